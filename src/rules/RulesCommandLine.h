#pragma once

#include "rules/CategoryRules.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <variant>

class Database;

/// What `tallybrook-cli rules` was asked to do.
struct RulesCommandLine
{
    enum class Action
    {
        List,
        Add,
        Delete,
        Up,
        Down,
        Apply
    };
    Action action = Action::List;
    CategoryRule rule;         ///< Add: the new rule, its choices in their listed spelling
    std::int32_t sequence = 0; ///< Delete, Up, Down
};

/// Reads "", "add COLUMN RULE VALUE CATEGORY", "delete SEQUENCE", "up SEQUENCE",
/// "down SEQUENCE" or "apply"; on a mistake, the text that names it.
std::variant<RulesCommandLine, std::string>
ParseRulesCommandLine(std::span<const std::string> args);

/// Runs a rules command. The list prints "SEQUENCE<TAB>COLUMN<TAB>RULE<TAB>VALUE<TAB>CATEGORY"
/// per rule; apply prints "categorised N"; the others print nothing. Returns 0; 1 when no rule
/// has the SEQUENCE or the rule engine reported an error (its message goes to err).
int RunRulesCommandLine(Database& db, const RulesCommandLine& command, std::ostream& out,
                        std::ostream& err);
