#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

/// A calendar date and time of day in local time, whole seconds (a Jet date value).
struct DateTime
{
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // clang-tidy takes the 0 that a rewritten `a < b` compares the result with for a pointer
    auto operator<=>(const DateTime&) const = default; // NOLINT(modernize-use-nullptr)
    bool HasTime() const { return hour != 0 || minute != 0 || second != 0; }
    bool IsValid() const;
};

/// The days of a month (1 to 12) of the Gregorian calendar: 28 to 31.
int DaysInMonth(int year, int month);

/// Days since 1970-01-01 of a date's day in the proleptic Gregorian calendar; the time of day
/// is not looked at. Whole days, not seconds: a week is 7 days whatever the clocks do.
std::int64_t DayNumber(const DateTime& value);

/// The C library's broken-down time of a calendar time; daylight saving left to the library.
std::tm ToTm(const DateTime& value);
/// Local calendar time of a point in time (seconds since 1970 UTC).
DateTime ToLocalCalendar(std::int64_t pointInTime);
/// The point in time of a local calendar time; daylight saving is decided by the date.
std::int64_t FromLocalCalendar(const DateTime& local);

/// Text form kept in the database: "YYYY-MM-DD HH:MM:SS"; sorts and compares as dates do.
std::string ToStorageText(const DateTime& value);
/// "%Y%m%d%H%M%S", as OFX writes dates.
std::string ToCompactText(const DateTime& value);
/// Reads the stored form; the time part may be missing.
std::optional<DateTime> ParseStorageText(std::string_view text);
/// Reads a day written exactly YYYY-MM-DD, as the command line takes dates; nullopt for any
/// other text and for days the calendar does not have.
std::optional<DateTime> ParseIsoDay(std::string_view text);
/// "YYYY-MM-DD": the day alone, as the command line writes dates.
std::string ToIsoDayText(const DateTime& value);
