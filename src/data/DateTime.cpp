#include "data/DateTime.h"

#include <cctype>
#include <cstdio>
#include <ctime>

namespace
{
bool IsLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

} // namespace

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

std::int64_t DayNumber(const DateTime& value)
{
    // Howard Hinnant's days_from_civil, the year counted from March so leap days fall last.
    std::int64_t y = value.year - (value.month <= 2 ? 1 : 0);
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t yearOfEra = y - era * 400;
    std::int64_t dayOfYear =
        (153 * (value.month > 2 ? value.month - 3 : value.month + 9) + 2) / 5 + value.day - 1;
    std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool DateTime::IsValid() const
{
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month) && hour >= 0 && hour < 24 && minute >= 0 &&
           minute < 60 && second >= 0 && second < 60;
}

DateTime ToLocalCalendar(std::int64_t pointInTime)
{
    std::time_t t = static_cast<std::time_t>(pointInTime);
    std::tm local{};
    localtime_r(&t, &local);
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::tm ToTm(const DateTime& value)
{
    std::tm t{};
    t.tm_year = value.year - 1900;
    t.tm_mon = value.month - 1;
    t.tm_mday = value.day;
    t.tm_hour = value.hour;
    t.tm_min = value.minute;
    t.tm_sec = value.second;
    t.tm_isdst = -1; // daylight saving decided by the date itself
    return t;
}

std::int64_t FromLocalCalendar(const DateTime& value)
{
    std::tm local = ToTm(value);
    return static_cast<std::int64_t>(std::mktime(&local));
}

namespace
{
// Writes year, month, day, hour, minute and second as digits at the given places of text: by
// hand, as this runs for every date stored or exported, and a formatted print is slow.
void PutDigits(char* text, const DateTime& value, const std::size_t (&at)[6])
{
    const int numbers[6] = {value.year, value.month,  value.day,
                            value.hour, value.minute, value.second};
    for (std::size_t k = 0; k < 6; ++k)
    {
        int number = numbers[k];
        for (std::size_t i = k == 0 ? 4 : 2; i-- > 0; number /= 10)
            text[at[k] + i] = static_cast<char>('0' + number % 10);
    }
}
} // namespace

std::string ToStorageText(const DateTime& value)
{
    char text[] = "0000-00-00 00:00:00";
    PutDigits(text, value, {0, 5, 8, 11, 14, 17});
    return text;
}

std::string ToCompactText(const DateTime& value)
{
    char text[] = "00000000000000";
    PutDigits(text, value, {0, 4, 6, 8, 10, 12});
    return text;
}

std::optional<DateTime> ParseStorageText(std::string_view text)
{
    DateTime value;
    value.hour = value.minute = value.second = 0;
    std::string copy(text);
    int consumed = 0;
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2d%n", &value.year, &value.month, &value.day,
                    &consumed) != 3)
        return std::nullopt;
    if (static_cast<std::size_t>(consumed) < copy.size())
    {
        int more = 0;
        if (std::sscanf(copy.c_str() + consumed, " %2d:%2d:%2d%n", &value.hour, &value.minute,
                        &value.second, &more) != 3)
            return std::nullopt;
    }
    if (!value.IsValid())
        return std::nullopt;
    return value;
}

std::optional<DateTime> ParseIsoDay(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    for (std::size_t i : {0U, 1U, 2U, 3U, 5U, 6U, 8U, 9U})
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return std::nullopt;
    return ParseStorageText(text);
}

std::string ToIsoDayText(const DateTime& value)
{
    return ToStorageText(value).substr(0, 10);
}
