#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <variant>
#include <vector>

class Database;

/// What `tallybrook-cli transfers` was asked to do.
struct TransfersCommandLine
{
    enum class Action
    {
        List,
        Accept,
        Refuse
    };
    Action action = Action::List;
    bool all = false;       ///< accept all
    bool sureOnly = false;  ///< accept the unambiguous ones
    std::vector<int> lines; ///< line numbers of the list, from 1
};

/// Reads "", "accept all|sure|N...", "reject N..."; on a mistake, the text that names it.
std::variant<TransfersCommandLine, std::string>
ParseTransfersCommandLine(std::span<const std::string> args);

/// Lists the candidate pairs, one per line, "DATE<TAB>ACCOUNT<TAB>SEQUENCE<TAB>AMOUNT<TAB>"
/// twice (money out, then money in) and "sure" or "unsure"; or links them ("linked N") or
/// remembers them as refused ("refused N"). A line number beyond the list is an error
/// (1, with the message on err) and changes nothing.
int RunTransfersCommandLine(Database& db, const TransfersCommandLine& command, std::ostream& out,
                            std::ostream& err);
