#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"

#include <optional>
#include <string>
#include <string_view>

// Dates and amounts as bank CSV exports write them. The file decides how, never the
// reader's locale; what cannot be read is refused rather than read as 0 or as 1970.

/// The order of day, month and year in a CSV file's dates.
enum class CsvDateOrder
{
    DayMonthYear,
    MonthDayYear,
    YearMonthDay
};

/// A date in the given order: any separators, or none (20190301, 010319); month numbers or
/// English month names and abbreviations (12-Dec-2019, Dec 12 2019), whose place the name
/// decides; two-digit years are 20xx; whatever follows the date after a separator (a time)
/// is ignored. Year first takes four digits, or two in six digits written together
/// (YYMMDD). Days the month does not have and years before 1970 are refused.
std::optional<DateTime> ParseCsvDate(std::string_view text, CsvDateOrder order);

/// An amount with the given decimal mark ('.' or ','). The other mark, "'", "’" and blanks
/// group digits (1.234,56; 1'234.56; 1 234,56); a leading "-", "+" or "−", a trailing "-",
/// or parentheses give the sign; a currency sign or ISO code may stand before or after the
/// number and its sign (- $220.00, 12,50 €, EUR -3). A number may start with the mark
/// (.46). Empty text, and anything else, is refused.
std::optional<Currency> ParseCsvAmount(std::string_view text, char decimalMark);

/// The text with blanks (including no-break and thin spaces) taken off both ends.
std::string_view TrimCsvText(std::string_view text);
