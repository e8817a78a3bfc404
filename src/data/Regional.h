#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"

#include <optional>
#include <string>
#include <string_view>

// The user's regional formats come from the C library's locale (LANG, LC_*), set once at
// start with setlocale(LC_ALL, ""). The texts they format are UTF-8 whatever the locale's
// character set (de_DE@euro writes its euro sign as one ISO-8859-15 byte).

/// The locale's decimal separator ('.' in the C locale).
char DecimalSeparator();
/// The locale's digit-grouping character, or 0 when it has none.
char GroupSeparator();

/// A number as the locale writes it, with at most the given significant digits.
std::string FormatNumber(double value, int significantDigits);
/// The locale's short date with a four-digit year (5/3/2016 in en_US is 05/03/2016).
std::string FormatShortDate(const DateTime& value);
/// The locale's time of day; with or without seconds.
std::string FormatTimeOfDay(const DateTime& value, bool withSeconds);
/// The month's name and year in the locale's language ("May 2016").
std::string FormatMonthYear(int year, int month);
/// Date, then time when the value has one; a time alone when the date is 30 Dec 1899.
std::string FormatDateTimeText(const DateTime& value);
/// Money in the locale's currency format (symbol, decimals, grouping, negative form),
/// rounded half away from zero to the locale's decimals (two where it names none); an
/// amount that rounds to zero shows no sign.
std::string FormatCurrency(Currency value);

/// Reads a number written with the locale's separators (grouping allowed).
std::optional<double> ParseNumber(std::string_view text);
/// Reads money written with the locale's separators (grouping allowed), exactly.
std::optional<Currency> ParseCurrency(std::string_view text);
/// The order of day, month and year in a written date.
enum class DateOrder
{
    DayMonthYear,
    MonthDayYear,
    YearMonthDay
};

/// The order of the locale's short date; month first when it names none.
DateOrder LocaleDateOrder();

/// Reads a date in the locale's day, month and year order ("3/5/2016", "2016-05-03",
/// "5/3/16"), with an optional time of day.
std::optional<DateTime> ParseDate(std::string_view text);
/// Reads a date as ParseDate(text) does, in the given order instead of the locale's; a
/// four-digit first number still reads year first.
std::optional<DateTime> ParseDate(std::string_view text, DateOrder order);
