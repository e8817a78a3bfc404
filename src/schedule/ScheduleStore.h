#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"
#include "schedule/ScheduleRule.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Database;

/// The Entry column's words: whether each occurrence is entered unasked or waits for a yes.
constexpr const char* EntryAutomatic = "Automatic";
constexpr const char* EntryAsk = "Ask";

/// A transaction entered again and again: the row it writes each time, the rule of its days,
/// and how far along the rule it has come.
struct Schedule
{
    std::int32_t id = 0; ///< ScheduleID; 0 before it is stored
    std::string accountId;
    std::string description;
    Currency amount;
    std::string category; ///< empty: "(none)"; an account in brackets makes each row a transfer
    std::string notes;    ///< the rows' notes (Trans.PayeeName)
    std::string checkId;
    ScheduleRule rule;
    /// The number of the next occurrence to enter: those before it are entered or skipped.
    int nextIndex = 0;
    bool askFirst = false; ///< each occurrence waits for the user's yes
};

/// The day of the occurrence to enter next; nullopt once the schedule has ended.
std::optional<DateTime> NextDate(const Schedule& schedule);

/// Why a schedule cannot be stored: its account is missing or has no register, its rule gives
/// no day at all, or its category names no account a transfer can go to. Empty when it can.
std::string ScheduleRefusal(Database& db, const Schedule& schedule);

/// What ScheduleRefusal finds at fault, and its message (empty with None).
enum class ScheduleFault
{
    None,
    Account,
    Rule,
    Category
};
struct ScheduleCheck
{
    ScheduleFault fault = ScheduleFault::None;
    std::string message;
};
ScheduleCheck CheckSchedule(Database& db, const Schedule& schedule);

/// Every schedule, by next date and then ID; ended schedules last.
std::vector<Schedule> ReadSchedules(Database& db);
/// The schedule with the ID; nullopt when none has it.
std::optional<Schedule> ReadSchedule(Database& db, std::int32_t id);

/// Stores a new schedule (its id is not looked at) and returns its ID. A schedule that
/// ScheduleRefusal refuses raises DatabaseError (IntegrityViolation) with that text and
/// nothing is stored.
std::int32_t AddSchedule(Database& db, const Schedule& schedule);
/// Writes a stored schedule's account, texts, amount, ask-first and rule, in one transaction.
/// The rule is applied as WithRuleFrom applies it to the schedule as stored then, and the
/// given nextIndex is not looked at: occurrences another program entered since the schedule
/// was read stay entered. Refused as AddSchedule refuses, nothing changed; a schedule no
/// longer stored is left so.
void UpdateSchedule(Database& db, const Schedule& schedule);
/// Writes every field of a stored schedule as given (its rule and next occurrence too), in the
/// caller's transaction; refused as AddSchedule refuses.
void StoreSchedule(Database& db, const Schedule& schedule);
/// Removes a schedule. The rows it entered stay, still naming it.
void DeleteSchedule(Database& db, std::int32_t id);

/// The schedule with a new rule that never enters a day again nor passes over one due. When
/// occurrences were entered and the days of the rule change (unit, count, day of the month or
/// first date), the new rule starts where the old one would have gone next (or at its own
/// first date when that is later): its first occurrence is the first on or after that day,
/// counting starts again from 0, and a number of times is reduced by the occurrences entered.
/// A rule of months or years on the day of its first date keeps that day of the month. When
/// only the end changes, or nothing was entered, the rule is taken as it is.
Schedule WithRuleFrom(const Schedule& old, const ScheduleRule& newRule);

/// An occurrence whose day has come and that was neither entered nor skipped.
struct DueOccurrence
{
    std::int32_t scheduleId = 0;
    int index = 0; ///< the occurrence's number in its schedule's rule
    DateTime date; ///< its day, at midnight
    Currency amount;
    std::string accountId;
    std::string description;
    bool askFirst = false;
};

/// Every occurrence of every schedule from its next one on whose day is on or before today,
/// the days missed included (at most 1,000 of one schedule at a time): by date, then
/// schedule ID.
std::vector<DueOccurrence> DueOccurrences(Database& db, const DateTime& today);

/// Enters an occurrence as a register row in its account, once: in one transaction, the
/// schedule's next occurrence moves on, but only from this one, and the row is written
/// (Sequence, SubSequence 0, Year and Period of its day, PostDate at local midnight, the
/// schedule's texts, ScheduleID), with its budget line, the other side of a transfer and the
/// balances, as a row typed in the register is. The date and amount default to the
/// occurrence's. False, with nothing written, when the occurrence is no longer the
/// schedule's next one (entered or skipped already, here or by another program, or the
/// schedule's rule or row gone). A DatabaseError while writing leaves everything as it was
/// and propagates.
bool EnterOccurrence(Database& db, const DueOccurrence& due,
                     std::optional<DateTime> date = std::nullopt,
                     std::optional<Currency> amount = std::nullopt);

/// Moves the schedule past an occurrence without a row, on the same condition as
/// EnterOccurrence; false when the occurrence is no longer the next one.
bool SkipOccurrence(Database& db, const DueOccurrence& due);
