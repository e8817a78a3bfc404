#pragma once

#include "data/DateTime.h"
#include "schedule/ScheduleStore.h"

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <variant>

class Database;

/// What `tallybrook-cli scheduled` was asked to do.
struct ScheduledCommandLine
{
    enum class Action
    {
        List,
        Add,
        Due
    };
    Action action = Action::List;
    std::string account;           ///< Add: an AccountID, or else an account's description
    Schedule schedule;             ///< Add: the new schedule, but for its account
    bool enter = false;            ///< Due: enter every occurrence listed
    std::optional<DateTime> today; ///< Due: the day to count to instead of the local date

    /// Whether the command changes the database (and so takes the backup copy first).
    bool Writes() const { return action == Action::Add || enter; }
};

/// Reads "", "add ACCOUNT DESCRIPTION AMOUNT RULE FIRST [--category C] [--notes TEXT] [--check N] [--ask] [--until DATE |
/// --times N]" or "due [--enter] [--today DATE]" (dates YYYY-MM-DD, amounts with a point, the
/// rule in ParseRuleText's words); on a mistake, the text that names it.
std::variant<ScheduledCommandLine, std::string>
ParseScheduledCommandLine(std::span<const std::string> args);

/// Runs a scheduled command. The list prints
/// "ID<TAB>NEXT<TAB>ACCOUNTID<TAB>DESCRIPTION<TAB>AMOUNT<TAB>CATEGORY<TAB>RULE<TAB>auto|ask" per
/// schedule (NEXT empty once ended); add prints the new ID; due prints
/// "ID<TAB>DATE<TAB>ACCOUNTID<TAB>DESCRIPTION<TAB>AMOUNT" per occurrence due, and with --enter
/// enters them all and ends with "entered N". Returns 0; 2, with the message on err, when add
/// names no account, or one it cannot use, or a schedule the store refuses.
int RunScheduledCommandLine(Database& db, const ScheduledCommandLine& command, std::ostream& out,
                            std::ostream& err);
