#include "schedule/UpcomingOccurrences.h"

#include "schedule/ScheduleRule.h"
#include "schedule/ScheduleStore.h"

#include <algorithm>

namespace
{
/// The day `days` calendar days after `today`: the occurrence that far along a daily rule,
/// counted in whole days whatever the clocks do; the last day of the calendar past its end.
DateTime DaysAfter(const DateTime& today, int days)
{
    ScheduleRule daily;
    daily.unit = RepeatUnit::Days;
    daily.first = today;
    return OccurrenceAt(daily, std::max(days, 0)).value_or(DateTime{9999, 12, 31, 0, 0, 0});
}
} // namespace

std::vector<UpcomingOccurrence> UpcomingOccurrences(Database& db, const DateTime& today, int days)
{
    // What is due by the last day shown is what comes up until then, in the same order.
    std::vector<UpcomingOccurrence> upcoming;
    for (const DueOccurrence& due : DueOccurrences(db, DaysAfter(today, days)))
        upcoming.push_back(UpcomingOccurrence{due.scheduleId, due.date, due.description, due.amount,
                                              due.accountId});
    return upcoming;
}
