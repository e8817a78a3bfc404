#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"
#include "schedule/ScheduleStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

class Database;

/// A row of the Scheduled view as typed: the columns the user sees.
struct ScheduleRowTexts
{
    std::optional<DateTime> nextDate;
    std::string accountId;
    std::string description;
    Currency amount;
    std::string category;
    std::string repeats; ///< the rule in words; empty: "Monthly"
    std::string entry;   ///< EntryAutomatic or EntryAsk, in any case; empty: automatic
};

/// Why a row cannot be stored: the column (ScheduleColumn) to put the cursor in, and the
/// message to show.
struct ScheduleRowRefusal
{
    int column = 0;
    std::string message;
};

/// The schedule a row of the Scheduled view describes. `stored` is the schedule before the
/// row was edited (nullopt for a new row, whose Next date is its first occurrence). Repeats is
/// read as ParseRepeats reads it, a rule on a day of the month without one taking the day of
/// Next date. When only the end of the rule or nothing about it changed, the rule goes on as
/// WithRuleFrom goes on; when Next date moved, the rule starts again on that day (on its own
/// day of the month on or after it), its number of times reduced by the occurrences entered.
std::variant<Schedule, ScheduleRowRefusal>
ScheduleOfRow(Database& db, const std::optional<Schedule>& stored, const ScheduleRowTexts& row);

/// After the view wrote a row's columns to the schedule with the ID, in the same transaction:
/// reads the rule from them as ScheduleOfRow does and stores the schedule, its words
/// rewritten as the program writes them. A refusal raises DatabaseError (IntegrityViolation)
/// with its message, which undoes the view's write.
void StoreScheduleRow(Database& db, std::int32_t id);
