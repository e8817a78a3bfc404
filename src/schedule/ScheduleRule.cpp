#include "schedule/ScheduleRule.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <system_error>

namespace
{
constexpr int LastYear = 9999;

/// The day of a day number (Howard Hinnant's civil_from_days).
DateTime DayOf(std::int64_t number)
{
    number += 719468;
    std::int64_t era = (number >= 0 ? number : number - 146096) / 146097;
    std::int64_t dayOfEra = number - era * 146097;
    std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153; // March is 0
    int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    int year = static_cast<int>(yearOfEra + era * 400) + (month <= 2 ? 1 : 0);
    return DateTime{year, month, day, 0, 0, 0};
}

/// The calendar day alone, the time of day dropped.
DateTime DayOnly(const DateTime& value)
{
    return DateTime{value.year, value.month, value.day, 0, 0, 0};
}

bool CanRepeat(const ScheduleRule& rule)
{
    bool dayOk =
        rule.dayOfMonth == ScheduleRule::LastDay || (rule.dayOfMonth >= 0 && rule.dayOfMonth <= 31);
    return rule.every >= 1 && (!rule.times || *rule.times >= 1) && dayOk &&
           DayOnly(rule.first).IsValid();
}

/// The day in a month that a months or years rule falls on.
DateTime DayInMonth(const ScheduleRule& rule, int year, int month)
{
    int last = DaysInMonth(year, month);
    int day = rule.dayOfMonth == 0 ? rule.first.day : rule.dayOfMonth;
    if (rule.dayOfMonth == ScheduleRule::LastDay)
        day = last;
    return DateTime{year, month, std::min(day, last), 0, 0, 0};
}

/// Occurrence `index` without the rule's end; nullopt past the year 9999.
std::optional<DateTime> UnboundedOccurrence(const ScheduleRule& rule, std::int64_t index)
{
    // every and index are each below 2^31, so their product fits in 64 bits; times 7 might not,
    // hence the division in the check instead of a multiplication.
    std::int64_t steps = index * rule.every;
    switch (rule.unit)
    {
    case RepeatUnit::Days:
    case RepeatUnit::Weeks:
    {
        std::int64_t length = rule.unit == RepeatUnit::Weeks ? 7 : 1;
        std::int64_t first = DayNumber(rule.first);
        if (steps > (DayNumber(DateTime{LastYear, 12, 31, 0, 0, 0}) - first) / length)
            return std::nullopt;
        return DayOf(first + steps * length);
    }
    case RepeatUnit::Months:
    {
        std::int64_t month = std::int64_t{rule.first.year} * 12 + (rule.first.month - 1) + steps;
        if (month / 12 > LastYear)
            return std::nullopt;
        return DayInMonth(rule, static_cast<int>(month / 12), static_cast<int>(month % 12) + 1);
    }
    case RepeatUnit::Years:
        if (steps > LastYear - rule.first.year)
            return std::nullopt;
        return DayInMonth(rule, rule.first.year + static_cast<int>(steps), rule.first.month);
    }
    return std::nullopt;
}

/// An occurrence number no later than that of the first occurrence on or after `day`, and at
/// most one before it: the occurrences before it fall in earlier days, months or years than
/// `day` does.
std::int64_t LowerBoundIndex(const ScheduleRule& rule, const DateTime& day)
{
    std::int64_t units = 0;
    switch (rule.unit)
    {
    case RepeatUnit::Days:
        units = DayNumber(day) - DayNumber(rule.first);
        break;
    case RepeatUnit::Weeks:
        units = (DayNumber(day) - DayNumber(rule.first)) / 7;
        break;
    case RepeatUnit::Months:
        units = (std::int64_t{day.year} - rule.first.year) * 12 + (day.month - rule.first.month);
        break;
    case RepeatUnit::Years:
        units = std::int64_t{day.year} - rule.first.year;
        break;
    }
    return std::max<std::int64_t>(0, units / rule.every);
}

std::string Ordinal(int number)
{
    const char* suffix = "th";
    if (number % 100 < 11 || number % 100 > 13)
    {
        if (number % 10 == 1)
            suffix = "st";
        else if (number % 10 == 2)
            suffix = "nd";
        else if (number % 10 == 3)
            suffix = "rd";
    }
    return std::to_string(number) + suffix;
}

const char* const MonthNames[] = {"January",   "February", "March",    "April",
                                  "May",       "June",     "July",     "August",
                                  "September", "October",  "November", "December"};

/// "Daily", "Every 3 months", ...: the unit and count, without the day.
std::string Period(const ScheduleRule& rule)
{
    struct Words
    {
        const char* once;
        const char* plural;
    };
    static const Words words[] = {
        {"Daily", "days"}, {"Weekly", "weeks"}, {"Monthly", "months"}, {"Yearly", "years"}};
    const Words& unit = words[static_cast<int>(rule.unit)];
    if (rule.every == 1)
        return unit.once;
    return "Every " + std::to_string(rule.every) + " " + unit.plural;
}

/// " on the 15th", " on March 5": the day a months or years rule falls on.
std::string DayWords(const ScheduleRule& rule)
{
    int month = std::clamp(rule.first.month, 1, 12);
    std::string monthName = MonthNames[month - 1];
    bool years = rule.unit == RepeatUnit::Years;
    if (rule.dayOfMonth == ScheduleRule::LastDay)
        return years ? " on the last day of " + monthName : " on the last day";
    int day = rule.dayOfMonth == 0 ? rule.first.day : rule.dayOfMonth;
    if (!years)
        return " on the " + Ordinal(day);
    // February 29 is named as such; in common years it falls on the 28th.
    return " on " + monthName + " " + std::to_string(std::min(day, DaysInMonth(2000, month)));
}

std::string TwoDigits(int number)
{
    return (number < 10 ? "0" : "") + std::to_string(number);
}

std::string EndWords(const ScheduleRule& rule)
{
    std::string words;
    if (rule.times)
        words += ", " + std::to_string(*rule.times) + (*rule.times == 1 ? " time" : " times");
    if (rule.until)
        words += ", until " + std::to_string(rule.until->year) + "-" +
                 TwoDigits(rule.until->month) + "-" + TwoDigits(rule.until->day);
    return words;
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
    {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

/// Digits alone as a number; nullopt for anything else and for numbers past int.
std::optional<int> ReadCount(std::string_view digits)
{
    int count = 0;
    const char* end = digits.data() + digits.size();
    auto [stop, error] = std::from_chars(digits.data(), end, count);
    if (digits.empty() || digits.front() == '-' || error != std::errc() || stop != end)
        return std::nullopt;
    return count;
}

struct RuleWord
{
    std::string_view word;
    RepeatUnit unit;
    bool takesCount; ///< "days" is only ever written with ":N", "daily" never
};

const RuleWord RuleWords[] = {
    {"daily", RepeatUnit::Days, false},     {"days", RepeatUnit::Days, true},
    {"weekly", RepeatUnit::Weeks, false},   {"weekly", RepeatUnit::Weeks, true},
    {"monthly", RepeatUnit::Months, false}, {"monthly", RepeatUnit::Months, true},
    {"yearly", RepeatUnit::Years, false},   {"yearly", RepeatUnit::Years, true},
};

const RuleWord* FindRuleWord(std::string_view word, bool hasCount)
{
    for (const RuleWord& rule : RuleWords)
    {
        if (rule.word == word && rule.takesCount == hasCount)
            return &rule;
    }
    return nullptr;
}

std::string NotARule(std::string_view text)
{
    return "'" + std::string(text) +
           "' is not a rule; use days:N, weekly, weekly:N, monthly, monthly:N, monthly:last, "
           "yearly or yearly:N.";
}
} // namespace

std::optional<DateTime> OccurrenceAt(const ScheduleRule& rule, int index)
{
    if (index < 0 || !CanRepeat(rule) || (rule.times && index >= *rule.times))
        return std::nullopt;
    std::optional<DateTime> occurrence = UnboundedOccurrence(rule, index);
    if (occurrence && rule.until && *occurrence > DayOnly(*rule.until))
        return std::nullopt;
    return occurrence;
}

std::vector<DateTime> OccurrencesThrough(const ScheduleRule& rule, int fromIndex,
                                         const DateTime& lastDay, std::size_t limit)
{
    std::vector<DateTime> occurrences;
    DateTime last = DayOnly(lastDay);
    // Occurrences only ever move forward, so the first one past the last day ends the list.
    for (int index = std::max(fromIndex, 0); occurrences.size() < limit; ++index)
    {
        std::optional<DateTime> occurrence = OccurrenceAt(rule, index);
        if (!occurrence || *occurrence > last)
            break;
        occurrences.push_back(*occurrence);
        if (index == INT_MAX)
            break;
    }
    return occurrences;
}

std::optional<int> FirstIndexOnOrAfter(const ScheduleRule& rule, const DateTime& day)
{
    if (!CanRepeat(rule))
        return std::nullopt;
    DateTime wanted = DayOnly(day);
    // Counting from the lower bound takes a step or two, not one for every occurrence since
    // `first`.
    for (std::int64_t index = LowerBoundIndex(rule, wanted); index <= INT_MAX; ++index)
    {
        std::optional<DateTime> occurrence = OccurrenceAt(rule, static_cast<int>(index));
        if (!occurrence)
            return std::nullopt;
        if (*occurrence >= wanted)
            return static_cast<int>(index);
    }
    return std::nullopt;
}

std::string DescribeRule(const ScheduleRule& rule)
{
    std::string words = Period(rule);
    if (rule.unit == RepeatUnit::Months || rule.unit == RepeatUnit::Years)
        words += DayWords(rule);
    return words + EndWords(rule);
}

std::variant<ScheduleRule, std::string> ParseRuleText(std::string_view text)
{
    text = Trim(text);
    std::string lower = Lower(text);
    std::string_view words = lower;
    std::size_t colon = words.find(':');
    std::string_view word = words.substr(0, colon);
    std::string_view count = colon == std::string_view::npos ? "" : words.substr(colon + 1);
    const RuleWord* found = FindRuleWord(word, colon != std::string_view::npos);
    if (found == nullptr)
        return NotARule(text);
    ScheduleRule rule;
    rule.unit = found->unit;
    if (!found->takesCount)
        return rule;
    if (found->unit == RepeatUnit::Months && count == "last")
    {
        rule.dayOfMonth = ScheduleRule::LastDay;
        return rule;
    }
    std::optional<int> every = ReadCount(count);
    if (!every)
        return NotARule(text);
    if (*every < 1)
        return "'" + std::string(text) + "' repeats nothing; the number must be 1 or more.";
    rule.every = *every;
    return rule;
}

std::string RuleText(const ScheduleRule& rule)
{
    if (rule.unit == RepeatUnit::Months && rule.dayOfMonth == ScheduleRule::LastDay &&
        rule.every == 1)
        return "monthly:last";
    struct Words
    {
        const char* once;
        const char* counted;
    };
    static const Words words[] = {
        {"daily", "days"}, {"weekly", "weekly"}, {"monthly", "monthly"}, {"yearly", "yearly"}};
    const Words& unit = words[static_cast<int>(rule.unit)];
    if (rule.every == 1)
        return unit.once;
    return std::string(unit.counted) + ":" + std::to_string(rule.every);
}
