#pragma once

#include "data/DateTime.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

enum class RepeatUnit
{
    Days,
    Weeks,
    Months,
    Years
};

/// How a schedule repeats: every `every` units from `first`, until `until` (that day included)
/// or for `times` occurrences, or for ever when neither is set. Dates are calendar days; their
/// time of day is not looked at, and occurrences come back at midnight.
struct ScheduleRule
{
    RepeatUnit unit = RepeatUnit::Months;
    int every = 1; ///< 1 and up
    /// Months and years: the day of the month, 1 to 31, or LastDay; a month shorter than it takes
    /// its last day. 0: the day of `first`.
    int dayOfMonth = 0;
    static constexpr int LastDay = -1;
    DateTime first;                ///< the first occurrence
    std::optional<DateTime> until; ///< the last day an occurrence may fall on
    std::optional<int> times;      ///< how many occurrences in all (1 and up)
};

/// The occurrence number `index` (0 is the first), computed from `first` (never from the
/// occurrence before, so the 31st stays the 31st after February); nullopt past the end, and for
/// a rule that cannot repeat (every or times below 1, an invalid first day, a day of the month
/// out of range). Occurrences past the year 9999 are past the end.
std::optional<DateTime> OccurrenceAt(const ScheduleRule& rule, int index);

/// The occurrences from number `fromIndex` that fall on or before `lastDay`, in date order, at
/// most `limit` of them.
std::vector<DateTime> OccurrencesThrough(const ScheduleRule& rule, int fromIndex,
                                         const DateTime& lastDay, std::size_t limit = 1000);

/// The number of the first occurrence on or after a day (for a rule edited to start counting
/// again from a later day); nullopt when none is.
std::optional<int> FirstIndexOnOrAfter(const ScheduleRule& rule, const DateTime& day);

/// The rule in words for the Repeats column: "Daily", "Every 10 days", "Weekly", "Every 2
/// weeks", "Monthly on the 1st", "Monthly on the last day", "Every 3 months on the 15th",
/// "Yearly on March 5", "Every 2 years on February 29", "Yearly on the last day of February";
/// with ", 12 times" or ", until 2027-06-30" after it when limited.
std::string DescribeRule(const ScheduleRule& rule);

/// Reads the command line's rule words: "daily", "days:N", "weekly", "weekly:N", "monthly",
/// "monthly:N" (every N months), "monthly:last" (monthly on the last day), "yearly",
/// "yearly:N", in any case. Fills unit, every and dayOfMonth of the result; first, until and times
/// keep their defaults. On a mistake, the message to show: "'fortnightly' is not a rule; use
/// days:N, weekly, weekly:N, monthly, monthly:N, monthly:last, yearly or yearly:N." or
/// "'days:0' repeats nothing; the number must be 1 or more.".
std::variant<ScheduleRule, std::string> ParseRuleText(std::string_view text);

/// Reads the Repeats column's words back into a rule: every text DescribeRule writes, the
/// short forms of the drop list ("Monthly", "Every 3 months", "Every week") and the command
/// line's rule words ("monthly:last"), in any case, each with ", 12 times" and ", until
/// 2027-06-30" after it or not. Fills unit, every, dayOfMonth, until and times; first keeps its
/// default. A yearly rule's month is that of its first date: the month named is only checked
/// to be one. On a mistake, the message to show: "'Fortnightly' is not a repeat rule; pick one
/// from the list, or write it like "Every 2 weeks" or "Monthly on the 15th"." or "'Every 0
/// weeks' repeats nothing; the number must be 1 or more.", or one naming a day of the month or
/// a last day that no calendar has.
std::variant<ScheduleRule, std::string> ParseRepeats(std::string_view words);

/// The Repeats column's drop list, in order; ParseRepeats reads each of them.
std::vector<std::string> RepeatChoices();

/// The rule words of a rule, as ParseRuleText reads them ("monthly:last", "weekly:2"). The
/// words hold no day of the month but the last day, and that only monthly: other rules give
/// the words of their unit and count, which repeat on the day of `first`.
std::string RuleText(const ScheduleRule& rule);
