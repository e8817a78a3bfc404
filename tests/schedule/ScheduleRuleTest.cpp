// The calendar arithmetic of scheduled transactions: which day each occurrence falls on, where a
// rule ends, its words in the Repeats column and on the command line, and those words read back.

#include "schedule/ScheduleRule.h"

#include "support/ScopedLocale.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

namespace
{
DateTime Day(int year, int month, int day)
{
    return DateTime{year, month, day, 0, 0, 0};
}

ScheduleRule Rule(RepeatUnit unit, int every, const DateTime& first, int dayOfMonth = 0)
{
    ScheduleRule rule;
    rule.unit = unit;
    rule.every = every;
    rule.first = first;
    rule.dayOfMonth = dayOfMonth;
    return rule;
}

/// The rule with an end: a number of occurrences, a last day, or both.
ScheduleRule Ending(ScheduleRule rule, std::optional<int> times,
                    std::optional<DateTime> until = std::nullopt)
{
    rule.times = times;
    rule.until = until;
    return rule;
}

using Days = std::vector<std::optional<DateTime>>;

/// The occurrences of the given numbers, nullopt for those past the end.
Days At(const ScheduleRule& rule, std::initializer_list<int> indexes)
{
    Days days;
    for (int index : indexes)
        days.push_back(OccurrenceAt(rule, index));
    return days;
}

std::string MessageOf(const std::string& text)
{
    std::variant<ScheduleRule, std::string> result = ParseRuleText(text);
    if (std::holds_alternative<ScheduleRule>(result))
    {
        ADD_FAILURE() << "[" << text << "] was read as a rule";
        return "";
    }
    return std::get<std::string>(result);
}

const int Last = ScheduleRule::LastDay;
const std::string UseRuleWords =
    "' is not a rule; use days:N, weekly, weekly:N, monthly, monthly:N, monthly:last, yearly or "
    "yearly:N.";
} // namespace

TEST(ScheduleRule, TheThirtyFirstTakesEachMonthsLastDayAndComesBack)
{
    // December 2023 + k months: January, February (29 days: 2024 is a leap year), March, April
    // (30 days), May; + 14 months is February 2025, a common year.
    for (int dayOfMonth : {0, 31})
    {
        SCOPED_TRACE(dayOfMonth);
        EXPECT_EQ(
            At(Rule(RepeatUnit::Months, 1, Day(2023, 12, 31), dayOfMonth), {0, 1, 2, 3, 4, 5, 14}),
            (Days{Day(2023, 12, 31), Day(2024, 1, 31), Day(2024, 2, 29), Day(2024, 3, 31),
                  Day(2024, 4, 30), Day(2024, 5, 31), Day(2025, 2, 28)}));
    }
}

TEST(ScheduleRule, LastDayIsEachMonthsLastDay)
{
    // From 2023-01-31: February 2023 has 28 days; 13 months on, February 2024 has 29.
    EXPECT_EQ(At(Rule(RepeatUnit::Months, 1, Day(2023, 1, 31), Last), {1, 2, 3, 13, 14}),
              (Days{Day(2023, 2, 28), Day(2023, 3, 31), Day(2023, 4, 30), Day(2024, 2, 29),
                    Day(2024, 3, 31)}));
    // From February 28: the last day goes on to March 31, the day of the month stays the 28th.
    EXPECT_EQ(OccurrenceAt(Rule(RepeatUnit::Months, 1, Day(2023, 2, 28), Last), 1),
              Day(2023, 3, 31));
    EXPECT_EQ(OccurrenceAt(Rule(RepeatUnit::Months, 1, Day(2023, 2, 28)), 1), Day(2023, 3, 28));
}

TEST(ScheduleRule, FebruaryTwentyNinthIsTheTwentyEighthInCommonYears)
{
    // 2025, 2026 and 2027 are common years; 2028 is a leap year.
    EXPECT_EQ(At(Rule(RepeatUnit::Years, 1, Day(2024, 2, 29)), {1, 2, 3, 4}),
              (Days{Day(2025, 2, 28), Day(2026, 2, 28), Day(2027, 2, 28), Day(2028, 2, 29)}));
    // Every 4 years from 2096: 2100 is divisible by 100 but not by 400, so common; 2104 leap.
    EXPECT_EQ(At(Rule(RepeatUnit::Years, 4, Day(2096, 2, 29)), {1, 2}),
              (Days{Day(2100, 2, 28), Day(2104, 2, 29)}));
}

TEST(ScheduleRule, EveryTwoWeeksIgnoresSummerTimeInEveryZone)
{
    // New York moves its clocks on 2026-03-08 and 2026-11-01, Berlin on 2026-03-29 and
    // 2026-10-25. Occurrence k is 14k days after March 8: 14 -> March 22, 28 -> April 5 (March
    // has 31 days); 224 -> October 18 (23 days to March 31, then 30+31+30+31+31+30 to
    // September 30 make 206, and 18 more); 238 -> November 1; 252 -> November 15.
    const Days expected = {Day(2026, 3, 8),   Day(2026, 3, 22), Day(2026, 4, 5),
                           Day(2026, 10, 18), Day(2026, 11, 1), Day(2026, 11, 15)};
    for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York"})
    {
        ScopedTimeZone tz(zone);
        SCOPED_TRACE(zone);
        EXPECT_EQ(At(Rule(RepeatUnit::Weeks, 2, Day(2026, 3, 8)), {0, 1, 2, 16, 17, 18}), expected);
    }
}

TEST(ScheduleRule, EveryTenDaysCrossesTheYearEnd)
{
    // December 15 + 10 = 25, + 20 = 35 - 31 = January 4; + 360 = a year on (365) less 5 days.
    EXPECT_EQ(At(Rule(RepeatUnit::Days, 10, Day(2025, 12, 15)), {1, 2, 3, 36}),
              (Days{Day(2025, 12, 25), Day(2026, 1, 4), Day(2026, 1, 14), Day(2026, 12, 10)}));
    // February 19 + 10 = 29 in a leap year, + 20 = March 10.
    EXPECT_EQ(At(Rule(RepeatUnit::Days, 10, Day(2024, 2, 19)), {1, 2}),
              (Days{Day(2024, 2, 29), Day(2024, 3, 10)}));
}

TEST(ScheduleRule, UntilIncludesItsOwnDayAndTimesCapsTheCount)
{
    // Monthly on the 15th from January: occurrence 3 is April 15, occurrence 4 May 15.
    ScheduleRule monthly = Rule(RepeatUnit::Months, 1, Day(2026, 1, 15));
    for (DateTime until : {Day(2026, 4, 15), Day(2026, 4, 20), DateTime{2026, 4, 15, 9, 30, 0}})
    {
        SCOPED_TRACE(ToStorageText(until));
        ScheduleRule rule = Ending(monthly, std::nullopt, until);
        EXPECT_EQ(At(rule, {3, 4}), (Days{Day(2026, 4, 15), std::nullopt}));
        EXPECT_EQ(OccurrencesThrough(rule, 0, Day(2030, 1, 1)).size(), 4U);
    }
    // Weekly from January 5, three times: 5, 12, 19.
    ScheduleRule threeWeeks = Ending(Rule(RepeatUnit::Weeks, 1, Day(2026, 1, 5)), 3);
    EXPECT_EQ(At(threeWeeks, {0, 2, 3}), (Days{Day(2026, 1, 5), Day(2026, 1, 19), std::nullopt}));
    EXPECT_EQ(OccurrencesThrough(threeWeeks, 0, Day(2030, 1, 1)),
              (std::vector<DateTime>{Day(2026, 1, 5), Day(2026, 1, 12), Day(2026, 1, 19)}));
}

TEST(ScheduleRule, OccurrencesThroughListsEveryMissedOneOldestFirst)
{
    // Monthly from January 31; May 31 is after May 10.
    ScheduleRule rule = Rule(RepeatUnit::Months, 1, Day(2026, 1, 31));
    const DateTime may10 = Day(2026, 5, 10);
    EXPECT_EQ(OccurrencesThrough(rule, 0, may10),
              (std::vector<DateTime>{Day(2026, 1, 31), Day(2026, 2, 28), Day(2026, 3, 31),
                                     Day(2026, 4, 30)}));
    EXPECT_EQ(OccurrencesThrough(rule, 2, may10),
              (std::vector<DateTime>{Day(2026, 3, 31), Day(2026, 4, 30)}));
    EXPECT_EQ(OccurrencesThrough(rule, 0, may10, 2),
              (std::vector<DateTime>{Day(2026, 1, 31), Day(2026, 2, 28)}));
    EXPECT_TRUE(OccurrencesThrough(rule, 0, may10, 0).empty());
    EXPECT_TRUE(OccurrencesThrough(rule, 0, Day(2026, 1, 30)).empty());
    // Daily from 2024-01-01 through 2026-12-31: 366 + 365 + 365 days, cut at the limit.
    ScheduleRule daily = Rule(RepeatUnit::Days, 1, Day(2024, 1, 1));
    EXPECT_EQ(OccurrencesThrough(daily, 0, Day(2026, 12, 31), 5000).size(), 1096U);
    EXPECT_EQ(OccurrencesThrough(daily, 0, Day(2026, 12, 31)).size(), 1000U);
}

TEST(ScheduleRule, FirstIndexOnOrAfterFindsTheNextOccurrence)
{
    ScheduleRule weekly = Rule(RepeatUnit::Weeks, 1, Day(2026, 1, 5));
    const struct
    {
        ScheduleRule rule;
        DateTime day;
        std::optional<int> index;
    } cases[] = {
        // January 31 monthly: February 28 is before March 1, March 31 is not.
        {Rule(RepeatUnit::Months, 1, Day(2026, 1, 31)), Day(2026, 3, 1), 2},
        {Rule(RepeatUnit::Months, 1, Day(2026, 1, 31)), Day(2026, 2, 28), 1},
        {Rule(RepeatUnit::Months, 1, Day(2026, 1, 31)), Day(2025, 6, 1), 0},
        {weekly, Day(2026, 1, 12), 1},                       // January 12 itself
        {weekly, Day(2026, 1, 13), 2},                       // the next is January 19
        {Ending(weekly, 3), Day(2026, 1, 20), std::nullopt}, // the third was January 19
        {Rule(RepeatUnit::Days, 1, Day(2026, 1, 1)), Day(2026, 12, 31), 364},
        {Rule(RepeatUnit::Years, 1, Day(2024, 2, 29)), Day(2027, 3, 1), 4}, // 2028-02-29
        {Rule(RepeatUnit::Days, 1, Day(9999, 12, 30)), Day(9999, 12, 31), 1},
        {Rule(RepeatUnit::Days, 1, Day(9999, 12, 30)), Day(10000, 1, 1), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirstIndexOnOrAfter(c.rule, c.day), c.index) << ToStorageText(c.day);
}

TEST(ScheduleRule, SillyRulesAndFarIndexesArePastTheEnd)
{
    ScheduleRule noTimes = Ending(Rule(RepeatUnit::Days, 1, Day(2026, 1, 1)), 0);
    EXPECT_EQ(OccurrenceAt(Rule(RepeatUnit::Days, 0, Day(2026, 1, 1)), 0), std::nullopt);
    EXPECT_EQ(OccurrenceAt(noTimes, 0), std::nullopt);
    EXPECT_EQ(OccurrenceAt(Rule(RepeatUnit::Days, 1, Day(2026, 1, 1)), -1), std::nullopt);
    EXPECT_EQ(OccurrenceAt(Rule(RepeatUnit::Days, 1, Day(2023, 2, 30)), 0), std::nullopt);
    EXPECT_EQ(OccurrenceAt(Rule(RepeatUnit::Months, 1, Day(2026, 1, 1), 32), 0), std::nullopt);
    EXPECT_EQ(At(Rule(RepeatUnit::Years, 1, Day(9998, 6, 1)), {1, 2}),
              (Days{Day(9999, 6, 1), std::nullopt}));
    for (RepeatUnit unit :
         {RepeatUnit::Days, RepeatUnit::Weeks, RepeatUnit::Months, RepeatUnit::Years})
        EXPECT_EQ(OccurrenceAt(Rule(unit, INT_MAX, Day(2026, 1, 1)), INT_MAX), std::nullopt);
    EXPECT_EQ(FirstIndexOnOrAfter(noTimes, Day(2026, 1, 1)), std::nullopt);
}

TEST(ScheduleRule, DescribeRuleNamesUnitDayAndEnd)
{
    const struct
    {
        ScheduleRule rule;
        std::string words;
    } cases[] = {
        {Rule(RepeatUnit::Days, 1, Day(2026, 1, 1)), "Daily"},
        {Rule(RepeatUnit::Days, 10, Day(2026, 1, 1)), "Every 10 days"},
        {Rule(RepeatUnit::Weeks, 1, Day(2026, 1, 1)), "Weekly"},
        {Rule(RepeatUnit::Weeks, 2, Day(2026, 1, 1)), "Every 2 weeks"},
        {Rule(RepeatUnit::Months, 1, Day(2026, 1, 1)), "Monthly on the 1st"},
        {Rule(RepeatUnit::Months, 1, Day(2026, 1, 31), Last), "Monthly on the last day"},
        {Rule(RepeatUnit::Months, 3, Day(2026, 1, 15), 15), "Every 3 months on the 15th"},
        {Rule(RepeatUnit::Years, 1, Day(2026, 3, 5)), "Yearly on March 5"},
        {Rule(RepeatUnit::Years, 2, Day(2024, 2, 29)), "Every 2 years on February 29"},
        {Rule(RepeatUnit::Years, 1, Day(2026, 2, 28), Last), "Yearly on the last day of February"},
        {Ending(Rule(RepeatUnit::Months, 1, Day(2026, 1, 1)), 12), "Monthly on the 1st, 12 times"},
        {Ending(Rule(RepeatUnit::Weeks, 1, Day(2026, 1, 1)), 1), "Weekly, 1 time"},
        {Ending(Rule(RepeatUnit::Days, 1, Day(2026, 1, 1)), std::nullopt, Day(2027, 6, 30)),
         "Daily, until 2027-06-30"}};
    for (const auto& c : cases)
        EXPECT_EQ(DescribeRule(c.rule), c.words);
}

TEST(ScheduleRule, DescribeRuleWritesOrdinals)
{
    // 11, 12 and 13 take "th"; other numbers ending in 1, 2 and 3 take "st", "nd" and "rd".
    for (std::string ordinal :
         {"1st", "2nd", "3rd", "4th", "11th", "12th", "13th", "21st", "22nd", "23rd", "31st"})
    {
        int day = std::stoi(ordinal);
        EXPECT_EQ(DescribeRule(Rule(RepeatUnit::Months, 1, Day(2026, 1, day), day)),
                  "Monthly on the " + ordinal);
    }
}

TEST(ScheduleRule, ParseRuleTextReadsTheRuleWords)
{
    const std::tuple<std::string, RepeatUnit, int, int> cases[] = {
        {"daily", RepeatUnit::Days, 1, 0},
        {"days:10", RepeatUnit::Days, 10, 0},
        {"weekly", RepeatUnit::Weeks, 1, 0},
        {"weekly:2", RepeatUnit::Weeks, 2, 0},
        {"monthly", RepeatUnit::Months, 1, 0},
        {"monthly:3", RepeatUnit::Months, 3, 0},
        {"monthly:last", RepeatUnit::Months, 1, Last},
        {"yearly", RepeatUnit::Years, 1, 0},
        {"yearly:2", RepeatUnit::Years, 2, 0},
        {" Weekly:02 ", RepeatUnit::Weeks, 2, 0}};
    for (const auto& [text, unit, every, dayOfMonth] : cases)
    {
        std::variant<ScheduleRule, std::string> result = ParseRuleText(text);
        ASSERT_TRUE(std::holds_alternative<ScheduleRule>(result)) << text;
        const ScheduleRule& rule = std::get<ScheduleRule>(result);
        EXPECT_EQ(std::tie(rule.unit, rule.every, rule.dayOfMonth),
                  std::tie(unit, every, dayOfMonth))
            << text;
        EXPECT_TRUE(rule.first == DateTime() && !rule.until && !rule.times) << text;
    }
}

TEST(ScheduleRule, ParseRuleTextNamesTheMistake)
{
    for (std::string text :
         {"fortnightly", "", "days", "days:", "days:x", "daily:2", "monthly:first", "weekly:last",
          "weekly:-1", "weekly:+2", "yearly:2.5", "days:99999999999", "monthly: 2"})
        EXPECT_EQ(MessageOf(text), "'" + text + UseRuleWords);
    for (std::string text : {"days:0", "weekly:0", "monthly:00", "yearly:0"})
        EXPECT_EQ(MessageOf(text), "'" + text + "' repeats nothing; the number must be 1 or more.");
}

TEST(ScheduleRule, RuleTextReadsBackAsTheSameRule)
{
    for (const char* text : {"daily", "days:10", "weekly", "weekly:2", "monthly", "monthly:3",
                             "monthly:last", "yearly", "yearly:2"})
        EXPECT_EQ(RuleText(std::get<ScheduleRule>(ParseRuleText(text))), text);
    // The words hold no other day of the month: the rule repeats on the day of its first.
    EXPECT_EQ(RuleText(Rule(RepeatUnit::Months, 1, Day(2026, 1, 15), 15)), "monthly");
}

namespace
{
const RepeatUnit Daily = RepeatUnit::Days;
const RepeatUnit Weekly = RepeatUnit::Weeks;
const RepeatUnit Monthly = RepeatUnit::Months;
const RepeatUnit Yearly = RepeatUnit::Years;

/// Unit, count and end as text: "2 every 3 until 2027-06-30 times 4".
std::string PeriodAndEnd(const ScheduleRule& rule)
{
    return std::to_string(static_cast<int>(rule.unit)) + " every " + std::to_string(rule.every) +
           " until " + (rule.until ? ToIsoDayText(*rule.until) : "-") + " times " +
           (rule.times ? std::to_string(*rule.times) : "-");
}

/// Every field ParseRepeats fills.
std::string Fields(const ScheduleRule& rule)
{
    return PeriodAndEnd(rule) + " day " + std::to_string(rule.dayOfMonth);
}

/// The fields of the rule a text reads as, or the message in brackets.
std::string Read(const std::string& text)
{
    std::variant<ScheduleRule, std::string> result = ParseRepeats(text);
    if (const std::string* message = std::get_if<std::string>(&result))
        return "[" + *message + "]";
    return Fields(std::get<ScheduleRule>(result));
}

/// A text and the rule it reads as (its first date is not read).
struct Reading
{
    std::string text;
    ScheduleRule rule;
};

Reading Reads(const std::string& text, RepeatUnit unit, int every, int dayOfMonth = 0,
              std::optional<int> times = std::nullopt, std::optional<DateTime> until = std::nullopt)
{
    return Reading{text, Ending(Rule(unit, every, DateTime(), dayOfMonth), times, until)};
}

void ExpectReadings(const std::vector<Reading>& readings)
{
    for (const Reading& reading : readings)
        EXPECT_EQ(Read(reading.text), Fields(reading.rule)) << reading.text;
}

std::vector<std::optional<DateTime>> FirstOccurrences(const ScheduleRule& rule)
{
    std::vector<std::optional<DateTime>> days;
    for (int index = 0; index <= 24; ++index)
        days.push_back(OccurrenceAt(rule, index));
    return days;
}

const std::string PickFromTheList =
    "' is not a repeat rule; pick one from the list, or write it like \"Every 2 weeks\" or "
    "\"Monthly on the 15th\".";
} // namespace

TEST(ScheduleRule, ParseRepeatsReadsEveryFormTheRepeatsColumnShows)
{
    const DateTime june30 = Day(2027, 6, 30);
    ExpectReadings({
        Reads("Daily", Daily, 1),
        Reads("Every 10 days", Daily, 10),
        Reads("Weekly", Weekly, 1),
        Reads("Every 2 weeks", Weekly, 2),
        Reads("Monthly on the 1st", Monthly, 1, 1),
        Reads("Monthly on the 22nd", Monthly, 1, 22),
        Reads("Monthly on the 23rd", Monthly, 1, 23),
        Reads("Monthly on the 11th", Monthly, 1, 11),
        Reads("Monthly on the last day", Monthly, 1, Last),
        Reads("Every 3 months on the 15th", Monthly, 3, 15),
        // A year's month comes from its first date; the day is the one named.
        Reads("Yearly on March 5", Yearly, 1, 5),
        Reads("Every 2 years on February 29", Yearly, 2, 29),
        Reads("Yearly on the last day of February", Yearly, 1, Last),
        Reads("Monthly on the 1st, 12 times", Monthly, 1, 1, 12),
        Reads("Weekly, 1 time", Weekly, 1, 0, 1),
        Reads("Daily, until 2027-06-30", Daily, 1, 0, std::nullopt, june30),
        Reads("Every 2 years on February 29, 3 times, until 2027-06-30", Yearly, 2, 29, 3, june30),
        // The end in the other order, blanks and case as a user types them.
        Reads("  monthly ON THE LAST DAY ,until 2027-06-30 , 4 TIMES ", Monthly, 1, Last, 4,
              june30),
    });
}

TEST(ScheduleRule, ParseRepeatsReadsShortFormsAndTheCommandLinesWords)
{
    ExpectReadings({
        Reads("Every 2 years", Yearly, 2),
        Reads("Every day", Daily, 1),
        Reads("Every week", Weekly, 1),
        Reads("Every month on the 15", Monthly, 1, 15),
        Reads("every\t2   WEEKS", Weekly, 2),
        Reads("Yearly on dec 31st", Yearly, 1, 31),
        Reads("Yearly on the last day", Yearly, 1, Last),
        Reads("monthly:last", Monthly, 1, Last),
        Reads("weekly:2", Weekly, 2),
        Reads("days:10", Daily, 10),
        Reads(" Yearly:3, 2 times ", Yearly, 3, 0, 2),
    });
}

TEST(ScheduleRule, ParseRepeatsReadsTheDropListsChoices)
{
    const std::vector<Reading> choices = {
        Reads("Daily", Daily, 1),
        Reads("Weekly", Weekly, 1),
        Reads("Every 2 weeks", Weekly, 2),
        Reads("Every 4 weeks", Weekly, 4),
        Reads("Monthly", Monthly, 1),
        Reads("Monthly on the last day", Monthly, 1, Last),
        Reads("Every 3 months", Monthly, 3),
        Reads("Every 6 months", Monthly, 6),
        Reads("Yearly", Yearly, 1),
    };
    std::vector<std::string> texts;
    texts.reserve(choices.size());
    for (const Reading& choice : choices)
        texts.push_back(choice.text);
    EXPECT_EQ(RepeatChoices(), texts);
    ExpectReadings(choices);
}

TEST(ScheduleRule, ParseRepeatsReadsDescribedRulesBackWithTheSameOccurrences)
{
    const std::vector<ScheduleRule> rules = {
        Rule(Daily, 1, Day(2026, 1, 1)),
        Ending(Rule(Daily, 10, Day(2025, 12, 15)), 6),
        Rule(Weekly, 1, Day(2026, 3, 8)),
        Ending(Rule(Weekly, 2, Day(2026, 3, 8)), std::nullopt, Day(2026, 6, 30)),
        // The 31st is named as such and takes each shorter month's last day.
        Rule(Monthly, 1, Day(2026, 1, 31)),
        Rule(Monthly, 1, Day(2026, 1, 10), 31),
        Ending(Rule(Monthly, 1, Day(2026, 2, 28), Last), 12),
        Ending(Rule(Monthly, 3, Day(2026, 1, 15), 15), std::nullopt, Day(2027, 6, 30)),
        Rule(Monthly, 2, Day(2024, 2, 29)),
        Rule(Yearly, 1, Day(2026, 3, 5)),
        Ending(Rule(Yearly, 2, Day(2024, 2, 29)), 5),
        Rule(Yearly, 4, Day(2096, 2, 29)),
        Rule(Yearly, 1, Day(2026, 2, 28), Last),
        // The 31st of a 30-day month is written as its 30th, of February as its 29th.
        Ending(Rule(Yearly, 1, Day(2026, 4, 10), 31), 3, Day(2030, 1, 1)),
        Rule(Yearly, 1, Day(2026, 2, 10), 31),
    };
    for (const ScheduleRule& rule : rules)
    {
        std::string words = DescribeRule(rule);
        std::variant<ScheduleRule, std::string> result = ParseRepeats(words);
        ASSERT_TRUE(std::holds_alternative<ScheduleRule>(result)) << words;
        ScheduleRule read = std::get<ScheduleRule>(result);
        EXPECT_EQ(PeriodAndEnd(read), PeriodAndEnd(rule)) << words;
        read.first = rule.first;
        EXPECT_EQ(FirstOccurrences(read), FirstOccurrences(rule)) << words;
    }
}

TEST(ScheduleRule, ParseRepeatsNamesWhatIsNoRule)
{
    for (const char* text :
         {"Fortnightly", "Every", "Every 2", "Every two weeks", "Every -1 weeks",
          "Every 99999999999 days", "Daily on the 5th", "Weekly on the 15th", "Monthly on March 5",
          "Monthly on the last day of February", "Monthly on the 15st", "Monthly on the",
          "Monthly on the last", "Monthly on the 15th and 30th", "Yearly on Smarch 5",
          "Yearly on March",
          // The end.
          "Monthly,", "Monthly, 12", "Monthly, twelve times", "Monthly, 12 times, 3 times",
          "Monthly, 12 times please", "Monthly, until 2027-01-01, until 2027-02-01",
          "Monthly, until 2027-01-01 please"})
        EXPECT_EQ(Read(text), "['" + std::string(text) + PickFromTheList + "]");
    // The text as written, without its surrounding blanks; nothing at all is no rule either.
    EXPECT_EQ(Read("  Fortnightly \t"), "['Fortnightly" + PickFromTheList + "]");
    EXPECT_EQ(Read(" "), "['" + PickFromTheList + "]");
}

TEST(ScheduleRule, ParseRepeatsNamesANumberThatRepeatsNothing)
{
    for (std::string text : {"Every 0 weeks", "every 0 months on the 15th", "Daily, 0 times",
                             "Every 00 days", "days:3, 0 times"})
        EXPECT_EQ(Read(text), "['" + text + "' repeats nothing; the number must be 1 or more.]");
    // The command line's words keep its messages, naming its own words.
    EXPECT_EQ(Read("days:0"), "['days:0' repeats nothing; the number must be 1 or more.]");
    EXPECT_EQ(Read("weekly:x"), "['weekly:x" + UseRuleWords + "]");
}

TEST(ScheduleRule, ParseRepeatsNamesADayTheCalendarHasNot)
{
    const std::pair<std::string, int> days[] = {
        {"Monthly on the 32nd", 31},      {"Monthly on the 0th", 31},
        {"Every 2 months on the 40", 31}, {"Yearly on February 30", 29},
        {"Yearly on April 31st", 30},     {"Yearly on the 32nd, 3 times", 31}};
    for (const auto& [text, lastDay] : days)
        EXPECT_EQ(Read(text), "['" + text + "' names no day of the month; the day must be 1 to " +
                                  std::to_string(lastDay) + ", or the last day.]");
    for (std::string text : {"Monthly, until 2027-02-30", "Daily, until tomorrow",
                             "Weekly, 3 times, until 30/06/2027", "Weekly, until"})
        EXPECT_EQ(Read(text),
                  "['" + text + "' names no last day; write it like \"until 2027-06-30\".]");
}
