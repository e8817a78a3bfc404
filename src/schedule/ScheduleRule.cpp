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

std::string RepeatsNothing(std::string_view text)
{
    return "'" + std::string(text) + "' repeats nothing; the number must be 1 or more.";
}

std::string NotARepeatRule(std::string_view text)
{
    return "'" + std::string(text) +
           "' is not a repeat rule; pick one from the list, or write it like \"Every 2 weeks\" "
           "or \"Monthly on the 15th\".";
}

std::string NoSuchDay(std::string_view text, int lastDay)
{
    return "'" + std::string(text) + "' names no day of the month; the day must be 1 to " +
           std::to_string(lastDay) + ", or the last day.";
}

std::string NoSuchEnd(std::string_view text)
{
    return "'" + std::string(text) + "' names no last day; write it like \"until 2027-06-30\".";
}

/// The words of one part of a Repeats text, lower-cased, read from the front.
class WordList
{
public:
    explicit WordList(std::string_view text)
    {
        std::string lower = Lower(text);
        std::size_t start = 0;
        while ((start = lower.find_first_not_of(" \t", start)) != std::string::npos)
        {
            std::size_t end = std::min(lower.find_first_of(" \t", start), lower.size());
            m_words.push_back(lower.substr(start, end - start));
            start = end;
        }
    }

    /// The next word; empty at the end.
    std::string_view Peek() const
    {
        return m_next < m_words.size() ? std::string_view(m_words[m_next]) : "";
    }
    /// Takes the next word, whatever it is; empty at the end.
    std::string_view Next()
    {
        std::string_view word = Peek();
        m_next = std::min(m_next + 1, m_words.size());
        return word;
    }
    /// Takes the next word when it is this one.
    bool Take(std::string_view word)
    {
        if (Peek() != word || Done())
            return false;
        ++m_next;
        return true;
    }
    bool Done() const { return m_next == m_words.size(); }

private:
    std::vector<std::string> m_words;
    std::size_t m_next = 0;
};

/// A Repeats text being read: the rule so far, and the message of a mistake that says more
/// than that the text is no repeat rule (a day no month has, an end that is no day, the
/// command line's own messages).
struct RepeatsReading
{
    std::string_view text; ///< the whole text, as written
    ScheduleRule rule;
    std::optional<std::string> mistake;
};

struct UnitWords
{
    RepeatUnit unit;
    std::string_view adverb; ///< "monthly"
    std::string_view one;    ///< "every month"
    std::string_view many;   ///< "every 3 months"
};

const UnitWords UnitWordList[] = {
    {RepeatUnit::Days, "daily", "day", "days"},
    {RepeatUnit::Weeks, "weekly", "week", "weeks"},
    {RepeatUnit::Months, "monthly", "month", "months"},
    {RepeatUnit::Years, "yearly", "year", "years"},
};

/// "Monthly", "Every month", "Every 3 months": the unit and its count.
bool ReadUnit(WordList& words, ScheduleRule& rule)
{
    bool every = words.Take("every");
    std::optional<int> count = every ? ReadCount(words.Peek()) : std::nullopt;
    if (count)
        words.Next();
    std::string_view word = words.Next();
    for (const UnitWords& unit : UnitWordList)
    {
        if (every ? (word == unit.one || word == unit.many) : word == unit.adverb)
        {
            rule.unit = unit.unit;
            rule.every = count.value_or(1);
            return true;
        }
    }
    return false;
}

/// "15th" or "15"; nullopt for other words, and for a wrong ending ("15st").
std::optional<int> ReadOrdinal(std::string_view word)
{
    std::size_t digits = word.find_first_not_of("0123456789");
    std::optional<int> number = ReadCount(word.substr(0, digits));
    if (!number || digits == std::string_view::npos || Ordinal(*number) == word)
        return number;
    return std::nullopt;
}

/// The month of "March" or "Mar", 1 to 12.
std::optional<int> ReadMonth(std::string_view word)
{
    for (int month = 1; month <= 12; ++month)
    {
        std::string name = Lower(MonthNames[month - 1]);
        if (word == name || (word.size() == 3 && name.starts_with(word)))
            return month;
    }
    return std::nullopt;
}

/// The day of the month of a word, in a month of `lastDay` days at most.
bool ReadDayNumber(std::string_view word, int lastDay, RepeatsReading& reading)
{
    std::optional<int> day = ReadOrdinal(word);
    if (!day)
        return false;
    if (*day < 1 || *day > lastDay)
    {
        reading.mistake = NoSuchDay(reading.text, lastDay);
        return false;
    }
    reading.rule.dayOfMonth = *day;
    return true;
}

/// After "on": "the 15th", "the last day", and a year's "March 5" and "the last day of
/// February".
bool ReadDay(WordList& words, RepeatsReading& reading)
{
    bool years = reading.rule.unit == RepeatUnit::Years;
    if (!words.Take("the"))
    {
        std::optional<int> month = ReadMonth(words.Next());
        // February 29 is a day of February: its rule falls on the 28th in common years.
        return years && month && ReadDayNumber(words.Next(), DaysInMonth(2000, *month), reading);
    }
    if (!words.Take("last"))
        return ReadDayNumber(words.Next(), 31, reading);
    reading.rule.dayOfMonth = ScheduleRule::LastDay;
    return words.Take("day") && (!words.Take("of") || (years && ReadMonth(words.Next())));
}

/// The part before the first comma: the command line's rule words, or the unit, its count and
/// the day.
bool ReadPeriod(std::string_view part, RepeatsReading& reading)
{
    if (part.find(':') != std::string_view::npos)
    {
        std::variant<ScheduleRule, std::string> parsed = ParseRuleText(part);
        if (const std::string* message = std::get_if<std::string>(&parsed))
        {
            reading.mistake = *message;
            return false;
        }
        reading.rule = std::get<ScheduleRule>(parsed);
        return true;
    }
    WordList words(part);
    if (!ReadUnit(words, reading.rule))
        return false;
    bool dated = reading.rule.unit == RepeatUnit::Months || reading.rule.unit == RepeatUnit::Years;
    if (dated && words.Take("on") && !ReadDay(words, reading))
        return false;
    return words.Done();
}

/// A part after a comma: "12 times" or "until 2027-06-30", each at most once.
bool ReadEnd(std::string_view part, RepeatsReading& reading)
{
    WordList words(part);
    if (!words.Take("until"))
    {
        std::optional<int> times = ReadCount(words.Next());
        if (!times || reading.rule.times || !(words.Take("times") || words.Take("time")))
            return false;
        reading.rule.times = times;
        return words.Done();
    }
    std::string_view day = words.Next();
    if (reading.rule.until || !words.Done())
        return false;
    reading.rule.until = ParseIsoDay(day);
    if (!reading.rule.until)
        reading.mistake = NoSuchEnd(reading.text);
    return reading.rule.until.has_value();
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
        return RepeatsNothing(text);
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

std::variant<ScheduleRule, std::string> ParseRepeats(std::string_view words)
{
    RepeatsReading reading{Trim(words), {}, std::nullopt};
    std::string_view rest = reading.text;
    std::size_t comma = rest.find(',');
    bool read = ReadPeriod(Trim(rest.substr(0, comma)), reading);
    while (read && comma != std::string_view::npos)
    {
        rest.remove_prefix(comma + 1);
        comma = rest.find(',');
        read = ReadEnd(Trim(rest.substr(0, comma)), reading);
    }
    if (reading.mistake)
        return *reading.mistake;
    if (!read)
        return NotARepeatRule(reading.text);
    if (reading.rule.every < 1 || (reading.rule.times && *reading.rule.times < 1))
        return RepeatsNothing(reading.text);
    return reading.rule;
}

std::vector<std::string> RepeatChoices()
{
    return {"Daily",          "Weekly",         "Every 2 weeks",
            "Every 4 weeks",  "Monthly",        "Monthly on the last day",
            "Every 3 months", "Every 6 months", "Yearly"};
}
