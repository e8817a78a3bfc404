#pragma once

#include <string>

class Database;
class UserInterface;

/// One category rule: a test of a transaction field and the category it gives.
struct CategoryRule
{
    std::string column; ///< the field tested: Description, Amount or Notes
    std::string rule;   ///< contains, begins with, ends with or is (any case)
    std::string value;  ///< the text tested against
    std::string category;
};

/// Whether the field's text passes the rule's test; case is ignored. An unknown test
/// never passes.
bool RuleMatches(const std::string& rule, const std::string& value, const std::string& field);

/// Gives every uncategorised transaction the category of the first rule, in Sequence
/// order, that matches it, and ensures that category's budget line in the transaction's
/// period. One database transaction; a database error is shown through the user interface
/// and ends the run, keeping what it categorised before. Returns the number categorised.
int ApplyCategoryRules(Database& db, UserInterface& ui);
