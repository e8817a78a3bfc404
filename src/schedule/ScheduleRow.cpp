#include "schedule/ScheduleRow.h"

#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/SchemaCatalog.h"
#include "data/Statement.h"
#include "data/ViewColumns.h"

#include <cctype>

namespace
{
std::string Trimmed(const std::string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
        --last;
    return text.substr(first, last - first);
}

bool OnDayOfMonth(const ScheduleRule& rule)
{
    return rule.unit == RepeatUnit::Months || rule.unit == RepeatUnit::Years;
}

// The day of the month a rule repeats on: its own, or its first date's.
int EffectiveDay(const ScheduleRule& rule)
{
    return rule.dayOfMonth == 0 ? rule.first.day : rule.dayOfMonth;
}

// The rule the Repeats words give, a rule of months or years without a day taking the day
// of the next occurrence.
std::variant<ScheduleRule, ScheduleRowRefusal> RuleOfWords(const ScheduleRowTexts& row)
{
    std::string words = Trimmed(row.repeats);
    auto parsed = ParseRepeats(words.empty() ? "Monthly" : words);
    if (const std::string* why = std::get_if<std::string>(&parsed))
        return ScheduleRowRefusal{ScheduleColumn::Repeats, *why};
    ScheduleRule rule = std::get<ScheduleRule>(parsed);
    if (OnDayOfMonth(rule) && rule.dayOfMonth == 0 && row.nextDate)
        rule.dayOfMonth = row.nextDate->day;
    return rule;
}

// The words' rule in place of the stored one: the stored days kept where the words name
// the same ones, so that nothing entered is counted again.
ScheduleRule Rewritten(const ScheduleRule& stored, ScheduleRule words)
{
    words.first = stored.first;
    bool sameDays = words.unit == stored.unit && words.every == stored.every &&
                    (!OnDayOfMonth(words) || words.dayOfMonth == EffectiveDay(stored));
    if (sameDays)
        words.dayOfMonth = stored.dayOfMonth;
    return words;
}

// The rule started again on a day: its first occurrence is its first on or after the day.
ScheduleRule StartedOn(ScheduleRule rule, const DateTime& day, int entered)
{
    rule.first = day;
    if (rule.times)
        rule.times = *rule.times - entered;
    ScheduleRule endless = rule;
    endless.until.reset();
    endless.times.reset();
    if (std::optional<int> index = FirstIndexOnOrAfter(endless, day))
        rule.first = OccurrenceAt(endless, *index).value_or(day);
    return rule;
}

std::optional<ScheduleRowRefusal> ReadEntry(const std::string& text, bool& askFirst)
{
    std::string entry = Trimmed(text);
    askFirst = EqualsNoCase(entry, EntryAsk);
    if (askFirst || entry.empty() || EqualsNoCase(entry, EntryAutomatic))
        return std::nullopt;
    return ScheduleRowRefusal{ScheduleColumn::Entry, "'" + entry + "' is not an entry; pick " +
                                                         EntryAutomatic + " or " + EntryAsk + "."};
}

// The rule and next occurrence of an edited row, its words read into `rule`.
void ApplyRule(Schedule& schedule, const std::optional<Schedule>& stored,
               const ScheduleRowTexts& row, const ScheduleRule& words)
{
    if (!stored)
    {
        schedule.rule = StartedOn(words, *row.nextDate, 0);
        schedule.nextIndex = 0;
        return;
    }
    bool wordsChanged = Trimmed(row.repeats) != DescribeRule(stored->rule);
    ScheduleRule rule = wordsChanged ? Rewritten(stored->rule, words) : stored->rule;
    if (row.nextDate && row.nextDate != NextDate(*stored))
    {
        // The next occurrence moved: the day typed is the rule's day from now on, unless the
        // words name another.
        if (!wordsChanged && OnDayOfMonth(rule) && rule.dayOfMonth != ScheduleRule::LastDay)
            rule.dayOfMonth = row.nextDate->day;
        schedule.rule = StartedOn(rule, *row.nextDate, stored->nextIndex);
        schedule.nextIndex = 0;
        return;
    }
    Schedule counted = WithRuleFrom(*stored, rule);
    schedule.rule = counted.rule;
    schedule.nextIndex = counted.nextIndex;
}
} // namespace

std::variant<Schedule, ScheduleRowRefusal>
ScheduleOfRow(Database& db, const std::optional<Schedule>& stored, const ScheduleRowTexts& row)
{
    Schedule schedule = stored.value_or(Schedule{});
    schedule.accountId = Trimmed(row.accountId);
    schedule.description = row.description;
    schedule.amount = row.amount;
    schedule.category = row.category;
    if (schedule.accountId.empty())
        return ScheduleRowRefusal{ScheduleColumn::AccountId,
                                  "Pick the account to enter the transactions in under Account."};
    if (std::optional<ScheduleRowRefusal> refusal = ReadEntry(row.entry, schedule.askFirst))
        return *refusal;
    if (!row.nextDate && (!stored || NextDate(*stored)))
        return ScheduleRowRefusal{ScheduleColumn::NextDate,
                                  "Type the day of the next occurrence under Next date."};
    auto words = RuleOfWords(row);
    if (const auto* refusal = std::get_if<ScheduleRowRefusal>(&words))
        return *refusal;
    ApplyRule(schedule, stored, row, std::get<ScheduleRule>(words));
    ScheduleCheck check = CheckSchedule(db, schedule);
    switch (check.fault)
    {
    case ScheduleFault::None:
        break;
    case ScheduleFault::Account:
        return ScheduleRowRefusal{ScheduleColumn::AccountId, check.message};
    case ScheduleFault::Rule:
        return ScheduleRowRefusal{ScheduleColumn::Repeats, check.message};
    case ScheduleFault::Category:
        return ScheduleRowRefusal{ScheduleColumn::Category, check.message};
    }
    return schedule;
}

void StoreScheduleRow(Database& db, std::int32_t id)
{
    Statement read(db.Handle(), "SELECT NextDate, AccountID, Description, Amount, Category, "
                                "Repeats, Entry, FirstDate FROM Schedule WHERE ScheduleID = ?1");
    read.Bind(1, std::int64_t{id});
    if (!read.Step())
        return;
    ScheduleRowTexts row;
    row.nextDate = ParseStorageText(read.ColumnText(0));
    row.accountId = read.ColumnText(1);
    row.description = read.ColumnText(2);
    row.amount = read.ColumnValue(3, Variant::Kind::Currency).ToCurrency();
    row.category = read.ColumnText(4);
    row.repeats = read.ColumnText(5);
    row.entry = read.ColumnText(6);
    // A row the view added has no rule yet.
    std::optional<Schedule> stored;
    if (!read.IsNull(7))
        stored = ReadSchedule(db, id);
    auto schedule = ScheduleOfRow(db, stored, row);
    if (const auto* refusal = std::get_if<ScheduleRowRefusal>(&schedule))
        throw DatabaseError(Status::IntegrityViolation, refusal->message);
    Schedule edited = std::get<Schedule>(schedule);
    edited.id = id;
    StoreSchedule(db, edited);
}
