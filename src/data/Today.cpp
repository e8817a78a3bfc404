#include "data/Today.h"

#include <ctime>

namespace
{
std::optional<DateTime>& FixedDay()
{
    static std::optional<DateTime> day;
    return day;
}

DateTime AtMidnight(DateTime value)
{
    value.hour = 0;
    value.minute = 0;
    value.second = 0;
    return value;
}
} // namespace

DateTime Today()
{
    if (FixedDay())
        return *FixedDay();
    return AtMidnight(ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr))));
}

void SetToday(std::optional<DateTime> day)
{
    FixedDay() = day ? std::optional<DateTime>(AtMidnight(*day)) : std::nullopt;
}
