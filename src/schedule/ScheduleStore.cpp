#include "schedule/ScheduleStore.h"

#include "data/Balances.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/RecordRules.h"
#include "data/SchemaCatalog.h"
#include "data/Statement.h"
#include "data/ViewKind.h"
#include "data/Vocabulary.h"
#include "transfer/TransferLink.h"

#include <sqlite3.h>

#include <algorithm>
#include <tuple>

namespace
{
// The stored fields of a schedule, bound as ?1 to ?16 in this order; ?17 is its ScheduleID.
// The last two only show the others in words.
const std::string Fields = "AccountID, Description, Amount, Category, Notes, CheckID, RepeatUnit, "
                           "RepeatEvery, DayOfMonth, FirstDate, UntilDate, Times, NextIndex, "
                           "Entry, NextDate, Repeats";
const std::string FieldValues =
    "?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16";

// RepeatUnit's texts, in the order of the enumeration.
const char* const UnitNames[] = {"days", "weeks", "months", "years"};

DateTime DayOnly(const DateTime& value)
{
    return DateTime{value.year, value.month, value.day, 0, 0, 0};
}

void BindText(Statement& statement, int index, const std::string& text)
{
    if (text.empty())
        statement.BindNull(index);
    else
        statement.Bind(index, text);
}

void BindDay(Statement& statement, int index, const std::optional<DateTime>& day)
{
    if (day)
        statement.Bind(index, ToStorageText(DayOnly(*day)));
    else
        statement.BindNull(index);
}

void BindFields(Statement& statement, const Schedule& schedule)
{
    const ScheduleRule& rule = schedule.rule;
    statement.Bind(1, schedule.accountId);
    BindText(statement, 2, schedule.description);
    statement.Bind(3, Variant::FromCurrency(schedule.amount), Variant::Kind::Currency);
    BindText(statement, 4, schedule.category);
    BindText(statement, 5, schedule.notes);
    BindText(statement, 6, schedule.checkId);
    statement.Bind(7, std::string_view(UnitNames[static_cast<int>(rule.unit)]));
    statement.Bind(8, std::int64_t{rule.every});
    statement.Bind(9, std::int64_t{rule.dayOfMonth});
    BindDay(statement, 10, rule.first);
    BindDay(statement, 11, rule.until);
    if (rule.times)
        statement.Bind(12, std::int64_t{*rule.times});
    else
        statement.BindNull(12);
    statement.Bind(13, std::int64_t{schedule.nextIndex});
    statement.Bind(14, std::string_view(schedule.askFirst ? EntryAsk : EntryAutomatic));
    BindDay(statement, 15, NextDate(schedule));
    statement.Bind(16, DescribeRule(rule));
}

int IntAt(const Statement& row, int column)
{
    return static_cast<int>(row.ColumnInt64(column));
}

// A unit the program does not know, or a first date it cannot read, gives a rule that
// repeats nothing: such a schedule is never due.
ScheduleRule RuleAt(const Statement& row)
{
    ScheduleRule rule;
    rule.every = 0;
    for (int unit = 0; unit < 4; ++unit)
        if (EqualsNoCase(row.ColumnText(7), UnitNames[unit]))
        {
            rule.unit = static_cast<RepeatUnit>(unit);
            rule.every = IntAt(row, 8);
        }
    rule.dayOfMonth = IntAt(row, 9);
    std::optional<DateTime> first = ParseStorageText(row.ColumnText(10));
    if (first)
        rule.first = *first;
    else
        rule.every = 0;
    rule.until = ParseStorageText(row.ColumnText(11));
    if (!row.IsNull(12))
        rule.times = IntAt(row, 12);
    return rule;
}

Schedule ScheduleAt(const Statement& row)
{
    Schedule schedule;
    schedule.id = static_cast<std::int32_t>(row.ColumnInt64(0));
    schedule.accountId = row.ColumnText(1);
    schedule.description = row.ColumnText(2);
    schedule.amount = row.ColumnValue(3, Variant::Kind::Currency).ToCurrency();
    schedule.category = row.ColumnText(4);
    schedule.notes = row.ColumnText(5);
    schedule.checkId = row.ColumnText(6);
    schedule.rule = RuleAt(row);
    schedule.nextIndex = IntAt(row, 13);
    schedule.askFirst = EqualsNoCase(row.ColumnText(14), EntryAsk);
    return schedule;
}

std::vector<Schedule> QuerySchedules(Database& db, const std::string& condition,
                                     std::int32_t id = 0)
{
    Statement read(db.Handle(), "SELECT ScheduleID, " + Fields + " FROM Schedule" + condition);
    if (!condition.empty())
        read.Bind(1, std::int64_t{id});
    std::vector<Schedule> schedules;
    while (read.Step())
        schedules.push_back(ScheduleAt(read));
    return schedules;
}

void Refuse(Database& db, const Schedule& schedule)
{
    std::string refusal = ScheduleRefusal(db, schedule);
    if (!refusal.empty())
        throw DatabaseError(Status::IntegrityViolation, refusal);
}

std::string AccountRefusal(Database& db, const std::string& accountId)
{
    Statement read(db.Handle(), "SELECT Type FROM Account WHERE AccountID = ?1");
    read.Bind(1, accountId);
    if (!read.Step())
        return "There is no account '" + accountId + "'.";
    if (KindOfAccountType(read.ColumnText(0)) != KindRegister)
        return "The account '" + accountId + "' has no register to enter transactions in.";
    return "";
}

// Runs a statement on one schedule, bound as ?1; true when it changed the schedule's row.
bool ChangeSchedule(Database& db, const std::string& sql, std::int32_t id)
{
    Statement change(db.Handle(), sql);
    change.Bind(1, std::int64_t{id});
    change.Run();
    return sqlite3_changes(db.Handle()) > 0;
}

bool SameDays(const ScheduleRule& a, const ScheduleRule& b)
{
    return a.unit == b.unit && a.every == b.every && a.dayOfMonth == b.dayOfMonth &&
           DayOnly(a.first) == DayOnly(b.first);
}

ScheduleRule WithoutEnd(ScheduleRule rule)
{
    rule.until.reset();
    rule.times.reset();
    return rule;
}

// The rule made to start on a day: its first occurrence is its first on or after that day.
ScheduleRule StartingFrom(ScheduleRule rule, const DateTime& day)
{
    if (DayOnly(rule.first) >= day)
        return rule;
    // The day of the month was the first date's; the first date now moves.
    bool dayOfMonthRule = rule.unit == RepeatUnit::Months || rule.unit == RepeatUnit::Years;
    if (dayOfMonthRule && rule.dayOfMonth == 0)
        rule.dayOfMonth = rule.first.day;
    rule.first = day;
    // A day of the month before the day falls in the next month or year.
    ScheduleRule endless = WithoutEnd(rule);
    if (std::optional<int> index = FirstIndexOnOrAfter(endless, day))
        rule.first = OccurrenceAt(endless, *index).value_or(day);
    return rule;
}

// Moves a schedule past one occurrence, in the caller's transaction: only when it is the
// schedule's next one and still falls on its day. The schedule as stored then; nullopt
// when the occurrence is not the next one.
std::optional<Schedule> TakeOccurrence(Database& db, const DueOccurrence& due)
{
    // The condition and the move are one statement, and the first write of the transaction:
    // two programs entering the same occurrence cannot both move it.
    Statement move(db.Handle(), "UPDATE Schedule SET NextIndex = NextIndex + 1 WHERE "
                                "ScheduleID = ?1 AND NextIndex = ?2");
    move.Bind(1, std::int64_t{due.scheduleId});
    move.Bind(2, std::int64_t{due.index});
    move.Run();
    if (sqlite3_changes(db.Handle()) == 0)
        return std::nullopt;
    // A rule edited since the list was read counts its occurrences anew.
    std::optional<Schedule> stored = ReadSchedule(db, due.scheduleId);
    if (!stored || OccurrenceAt(stored->rule, due.index) != DayOnly(due.date))
        return std::nullopt;
    Statement shown(db.Handle(), "UPDATE Schedule SET NextDate = ?1 WHERE ScheduleID = ?2");
    BindDay(shown, 1, NextDate(*stored));
    shown.Bind(2, std::int64_t{due.scheduleId});
    shown.Run();
    return stored;
}

// The register row of an occurrence, as the register writes a typed one.
TransKey WriteRow(Database& db, const Schedule& schedule, const DateTime& day,
                  const Currency& amount)
{
    // A day whose midnight the clocks skip starts when they go on.
    DateTime local = ToLocalCalendar(FromLocalCalendar(DayOnly(day)));
    std::string category = schedule.category.empty() ? NoCategory : schedule.category;
    TransKey key{db.NextTransSequence(), 0};
    Statement insert(db.Handle(),
                     "INSERT INTO Trans (AccountID, Sequence, SubSequence, \"Year\", Period, "
                     "PostDate, Category, Amount, Description, CheckID, PayeeName, ScheduleID) "
                     "VALUES (?1, ?2, 0, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    insert.Bind(1, schedule.accountId);
    insert.Bind(2, std::int64_t{key.sequence});
    insert.Bind(3, std::int64_t{local.year});
    insert.Bind(4, std::int64_t{local.month});
    insert.Bind(5, ToStorageText(local));
    insert.Bind(6, category);
    insert.Bind(7, Variant::FromCurrency(amount), Variant::Kind::Currency);
    BindText(insert, 8, schedule.description);
    BindText(insert, 9, schedule.checkId);
    BindText(insert, 10, schedule.notes);
    insert.Bind(11, std::int64_t{schedule.id});
    insert.Run();
    EnsureRowBudgetLine(db, schedule.accountId, category, local.year, local.month);
    return key;
}
} // namespace

std::optional<DateTime> NextDate(const Schedule& schedule)
{
    return OccurrenceAt(schedule.rule, schedule.nextIndex);
}

ScheduleCheck CheckSchedule(Database& db, const Schedule& schedule)
{
    std::string refusal = AccountRefusal(db, schedule.accountId);
    if (!refusal.empty())
        return {ScheduleFault::Account, refusal};
    if (schedule.rule.every < 1)
        return {ScheduleFault::Rule,
                "The rule must repeat every 1 or more days, weeks, months or years."};
    if (!OccurrenceAt(schedule.rule, 0))
        return {
            ScheduleFault::Rule,
            "The rule gives no day to enter the transaction on: it ends before its first date."};
    refusal = TransferRefusal(db, schedule.accountId, schedule.category);
    return {refusal.empty() ? ScheduleFault::None : ScheduleFault::Category, refusal};
}

std::string ScheduleRefusal(Database& db, const Schedule& schedule)
{
    return CheckSchedule(db, schedule).message;
}

std::vector<Schedule> ReadSchedules(Database& db)
{
    std::vector<Schedule> schedules = QuerySchedules(db, "");
    auto order = [](const Schedule& schedule)
    {
        std::optional<DateTime> next = NextDate(schedule);
        return std::make_tuple(!next, next.value_or(DateTime{}), schedule.id);
    };
    std::sort(schedules.begin(), schedules.end(),
              [&](const Schedule& a, const Schedule& b) { return order(a) < order(b); });
    return schedules;
}

std::optional<Schedule> ReadSchedule(Database& db, std::int32_t id)
{
    std::vector<Schedule> found = QuerySchedules(db, " WHERE ScheduleID = ?1", id);
    if (found.empty())
        return std::nullopt;
    return found.front();
}

std::int32_t AddSchedule(Database& db, const Schedule& schedule)
{
    Refuse(db, schedule);
    Statement insert(db.Handle(),
                     "INSERT INTO Schedule (" + Fields + ") VALUES (" + FieldValues + ")");
    BindFields(insert, schedule);
    insert.Run();
    return static_cast<std::int32_t>(sqlite3_last_insert_rowid(db.Handle()));
}

void UpdateSchedule(Database& db, const Schedule& schedule)
{
    Transaction transaction(db);
    // Written first, so that the schedule is read under the write lock: an occurrence
    // another program is entering is waited for, not counted from before it.
    if (!ChangeSchedule(db, "UPDATE Schedule SET NextIndex = NextIndex WHERE ScheduleID = ?1",
                        schedule.id))
        return;
    std::optional<Schedule> stored = ReadSchedule(db, schedule.id);
    if (!stored)
        return;
    Schedule changed = schedule;
    Schedule counted = WithRuleFrom(*stored, schedule.rule);
    changed.rule = counted.rule;
    changed.nextIndex = counted.nextIndex;
    StoreSchedule(db, changed);
    transaction.Commit();
}

void StoreSchedule(Database& db, const Schedule& schedule)
{
    Refuse(db, schedule);
    Statement update(db.Handle(), "UPDATE Schedule SET (" + Fields + ") = (" + FieldValues +
                                      ") WHERE ScheduleID = ?17");
    BindFields(update, schedule);
    update.Bind(17, std::int64_t{schedule.id});
    update.Run();
}

void DeleteSchedule(Database& db, std::int32_t id)
{
    ChangeSchedule(db, "DELETE FROM Schedule WHERE ScheduleID = ?1", id);
}

Schedule WithRuleFrom(const Schedule& old, const ScheduleRule& newRule)
{
    Schedule changed = old;
    changed.rule = newRule;
    if (old.nextIndex <= 0 || SameDays(old.rule, newRule))
        return changed;
    // Where the old rule would have gone next, had it not ended.
    std::optional<DateTime> next = OccurrenceAt(WithoutEnd(old.rule), old.nextIndex);
    if (!next)
        return changed;
    changed.rule = StartingFrom(newRule, *next);
    if (changed.rule.times)
        changed.rule.times = *changed.rule.times - old.nextIndex;
    changed.nextIndex = 0;
    return changed;
}

std::vector<DueOccurrence> DueOccurrences(Database& db, const DateTime& today)
{
    std::vector<DueOccurrence> due;
    for (const Schedule& schedule : ReadSchedules(db))
    {
        int index = schedule.nextIndex;
        for (const DateTime& day : OccurrencesThrough(schedule.rule, index, today))
            due.push_back(DueOccurrence{schedule.id, index++, day, schedule.amount,
                                        schedule.accountId, schedule.description,
                                        schedule.askFirst});
    }
    std::sort(due.begin(), due.end(),
              [](const DueOccurrence& a, const DueOccurrence& b) {
                  return std::tie(a.date, a.scheduleId, a.index) <
                         std::tie(b.date, b.scheduleId, b.index);
              });
    return due;
}

bool EnterOccurrence(Database& db, const DueOccurrence& due, std::optional<DateTime> date,
                     std::optional<Currency> amount)
{
    Transaction transaction(db);
    std::optional<Schedule> schedule = TakeOccurrence(db, due);
    if (!schedule)
        return false;
    TransKey key = WriteRow(db, *schedule, date.value_or(due.date), amount.value_or(due.amount));
    ReconcileTransfer(db, key);
    UpdateCurrentBalance(db, KindRegister, schedule->accountId);
    transaction.Commit();
    return true;
}

bool SkipOccurrence(Database& db, const DueOccurrence& due)
{
    Transaction transaction(db);
    if (!TakeOccurrence(db, due))
        return false;
    transaction.Commit();
    return true;
}
