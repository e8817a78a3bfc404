#pragma once

#include "rules/CategoryRules.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Database;

/// The choices of a rule's Column, in the order the rule list offers them.
inline constexpr std::array<const char*, 3> RuleColumnChoices = {"Description", "Amount", "Notes"};
/// The choices of a rule's Rule, in the order the rule list offers them.
inline constexpr std::array<const char*, 4> RuleTestChoices = {"is", "contains", "begins with",
                                                               "ends with"};

/// The query the rule list shows: every rule in evaluation order.
inline constexpr const char* CategoryRuleListQuery =
    "SELECT Column, Rule, Value, Category, Sequence, RowID FROM CategoryRule ORDER BY Sequence";

/// One stored rule with its place in the order and its key.
struct StoredCategoryRule
{
    CategoryRule rule;
    std::int32_t sequence = 0;
    std::int32_t rowId = 0;
};

/// The choice a text names, compared without regard to case, in its listed spelling.
std::optional<std::string> RuleColumnChoice(const std::string& text);
std::optional<std::string> RuleTestChoice(const std::string& text);
/// Why a rule cannot be stored (a text longer than its column: Column, Rule and Value hold
/// 30 characters, Category 50); empty when it can.
std::string CheckCategoryRuleLengths(const CategoryRule& rule);

/// Every rule in Sequence order.
std::vector<StoredCategoryRule> ListCategoryRules(Database& db);
/// Stores a rule after all others, with NextSequence("CategoryRule"); returns its Sequence.
std::int32_t AddCategoryRule(Database& db, const CategoryRule& rule);
/// Deletes the rule of that Sequence; the others keep their numbers. False when no rule has it.
bool DeleteCategoryRule(Database& db, std::int32_t sequence);

/// Exchanges the places of two rules: "UPDATE CategoryRule SET Sequence = " + seqB +
/// " WHERE RowID = " + idA, then the same for idB with seqA.
void SwapCategoryRules(Database& db, std::int32_t idA, std::int32_t seqA, std::int32_t idB,
                       std::int32_t seqB);

/// What moving a rule did.
enum class RuleMove
{
    Moved,
    AtEnd,   ///< the rule is already first (up) or last (down): nothing changed
    NotFound ///< no rule has that Sequence
};
/// Swaps the rule of that Sequence with the one before it (offset -1) or after it (+1).
RuleMove MoveCategoryRule(Database& db, std::int32_t sequence, int offset);
