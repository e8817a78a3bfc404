#include "update/UpdateSchedule.h"

#include "base/Settings.h"
#include "data/DateTime.h"

#include <cstdio>

namespace
{
const char* const Key = "LastUpdateCheck";
const char* const Section = "Settings";

// The number in text[pos, pos + count) when every character there is a digit.
std::optional<int> DigitsAt(const std::string& text, std::size_t pos, std::size_t count)
{
    if (text.size() < pos + count)
        return std::nullopt;
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i)
    {
        char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}
} // namespace

std::optional<std::int64_t> ParseUpdateCheckDate(const std::string& text)
{
    std::optional<int> year = DigitsAt(text, 0, 4);
    std::optional<int> month = DigitsAt(text, 5, 2);
    std::optional<int> day = DigitsAt(text, 8, 2);
    if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1 || *day > 31)
        return std::nullopt;
    DateTime midnight;
    midnight.year = *year;
    midnight.month = *month;
    midnight.day = *day;
    return FromLocalCalendar(midnight);
}

std::string FormatUpdateCheckDate(std::int64_t now)
{
    DateTime today = ToLocalCalendar(now);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", today.year, today.month, today.day);
    return text;
}

UpdateCheckDue DecideUpdateCheck(const std::string& lastCheckText, std::int64_t now)
{
    if (lastCheckText.empty())
        return UpdateCheckDue::FirstStart;
    std::optional<std::int64_t> last = ParseUpdateCheckDate(lastCheckText);
    if (last && *last >= now - UpdateCheckIntervalSeconds)
        return UpdateCheckDue::NotDue;
    return UpdateCheckDue::Due;
}

bool BeginStartupUpdateCheck(std::int64_t now)
{
    switch (DecideUpdateCheck(GetSetting(Key, Section), now))
    {
    case UpdateCheckDue::FirstStart:
        WriteSetting(Key, FormatUpdateCheckDate(now), Section);
        return false;
    case UpdateCheckDue::NotDue:
        return false;
    case UpdateCheckDue::Due:
        break;
    }
    return true;
}

bool FinishStartupUpdateCheck(UpdateCheckCode code, std::int64_t now)
{
    if (code == UpdateCheckCode::Available || code == UpdateCheckCode::NoUpdate)
        WriteSetting(Key, FormatUpdateCheckDate(now), Section);
    return code == UpdateCheckCode::Available;
}
