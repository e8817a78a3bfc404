#include "data/Regional.h"

#include "data/TextEncoding.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <langinfo.h>
#include <monetary.h>
#include <vector>

namespace
{
// Text the C library wrote in the locale's character set, as UTF-8.
std::string LocaleTextToUtf8(std::string text)
{
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return text;
    std::string codeset = nl_langinfo(CODESET);
    if (codeset == "UTF-8")
        return text;
    return DecodeToUtf8(text, codeset).value_or(ToValidUtf8(text));
}

std::string FormatTm(const std::string& format, const DateTime& value)
{
    std::tm t = ToTm(value);
    char buffer[128];
    std::size_t n = std::strftime(buffer, sizeof buffer, format.c_str(), &t);
    return LocaleTextToUtf8(std::string(buffer, n));
}

std::uint64_t PowerOfTen(int exponent)
{
    std::uint64_t power = 1;
    for (int i = 0; i < exponent; ++i)
        power *= 10;
    return power;
}

// The whole digits with the separator put in as the grouping string says: each byte a
// group's size from the right, the last repeated, CHAR_MAX or a negative size ending it.
std::string Grouped(const std::string& digits, const char* grouping, const std::string& separator)
{
    if (separator.empty() || grouping == nullptr)
        return digits;
    std::vector<std::string> groups;
    std::size_t left = digits.size();
    for (const char* size = grouping; *size > 0 && *size != CHAR_MAX;)
    {
        std::size_t width = static_cast<unsigned char>(*size);
        if (left <= width)
            break;
        left -= width;
        groups.push_back(digits.substr(left, width));
        if (size[1] != '\0')
            ++size;
    }
    std::string out = digits.substr(0, left);
    for (auto group = groups.rbegin(); group != groups.rend(); ++group)
        out += separator + *group;
    return out;
}

// A magnitude counted in units of 10^-kept, written with the locale's monetary grouping
// and decimal point (the numeric one when it names none, as strfmon does) and padded with
// zeros to the given decimals.
std::string MoneyDigits(std::uint64_t shown, int kept, int decimals)
{
    std::uint64_t scale = PowerOfTen(kept);
    const std::lconv* conv = std::localeconv();
    std::string out =
        Grouped(std::to_string(shown / scale), conv->mon_grouping, conv->mon_thousands_sep);
    if (decimals == 0)
        return out;
    std::string point = *conv->mon_decimal_point ? conv->mon_decimal_point
                        : *conv->decimal_point   ? conv->decimal_point
                                                 : ".";
    std::string fraction = kept > 0 ? std::to_string(shown % scale) : std::string();
    fraction.insert(0, static_cast<std::size_t>(kept) - fraction.size(), '0');
    fraction.append(static_cast<std::size_t>(decimals - kept), '0');
    return out + point + fraction;
}

// The locale's short date format with the two-digit year widened to four digits.
std::string ShortDateFormat()
{
    std::string format = nl_langinfo(D_FMT);
    for (std::size_t i = 0; i + 1 < format.size(); ++i)
        if (format[i] == '%' && format[i + 1] == 'y')
            format[i + 1] = 'Y';
    return format.empty() ? "%m/%d/%Y" : format;
}

std::string StripGrouping(std::string_view text)
{
    char group = GroupSeparator();
    char point = DecimalSeparator();
    auto digit = [&text](std::size_t i)
    { return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        // A separator counts as grouping only between a digit and a group of three: under
        // en_US "1,250" is 1250, while "12,50" is no number at all.
        bool grouping = text[i] == group && group != point && i > 0 && digit(i - 1) &&
                        digit(i + 1) && digit(i + 2) && digit(i + 3) && !digit(i + 4);
        if (!grouping)
            out += text[i];
    }
    return out;
}

int ExpandYear(int year, std::size_t digits)
{
    // Two-digit years follow the usual window: 00-29 are 2000s, 30-99 are 1900s.
    if (digits <= 2)
        return year < 30 ? 2000 + year : 1900 + year;
    return year;
}
} // namespace

char DecimalSeparator()
{
    const char* point = std::localeconv()->decimal_point;
    return point && *point ? *point : '.';
}

char GroupSeparator()
{
    const char* sep = std::localeconv()->thousands_sep;
    return sep && *sep && static_cast<unsigned char>(*sep) < 0x80 ? *sep : 0;
}

std::string FormatNumber(double value, int significantDigits)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*g", significantDigits, value);
    return LocaleTextToUtf8(buffer); // snprintf already uses the locale's decimal separator
}

std::string FormatShortDate(const DateTime& value)
{
    return FormatTm(ShortDateFormat(), value);
}

std::string FormatTimeOfDay(const DateTime& value, bool withSeconds)
{
    std::string format = nl_langinfo(T_FMT);
    if (format.empty())
        format = "%H:%M:%S";
    if (!withSeconds)
    {
        for (const char* seconds : {":%S", ".%S"})
        {
            std::size_t at = format.find(seconds);
            if (at != std::string::npos)
                format.erase(at, 3);
        }
        std::size_t at = format.find("%T");
        if (at != std::string::npos)
            format.replace(at, 2, "%H:%M");
        at = format.find("%r");
        if (at != std::string::npos)
            format.replace(at, 2, "%I:%M %p");
    }
    return FormatTm(format, value);
}

std::string FormatMonthYear(int year, int month)
{
    return FormatTm("%B %Y", DateTime{year, month, 1, 0, 0, 0});
}

std::string FormatDateTimeText(const DateTime& value)
{
    bool hasDate = !(value.year == 1899 && value.month == 12 && value.day == 30);
    if (!hasDate)
        return FormatTimeOfDay(value, true);
    if (!value.HasTime())
        return FormatShortDate(value);
    return FormatShortDate(value) + " " + FormatTimeOfDay(value, true);
}

std::string FormatCurrency(Currency value)
{
    constexpr int storedDecimals = 4; // Currency::Scale is 10^4
    std::int64_t units = value.Units();
    // Unsigned, as the smallest amount has no positive counterpart in 64 bits.
    std::uint64_t magnitude =
        units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    // The C locale names no decimals (CHAR_MAX); strfmon writes two there.
    int fracDigits = static_cast<unsigned char>(std::localeconv()->frac_digits);
    int decimals = fracDigits <= 9 ? fracDigits : 2;
    int kept = std::min(decimals, storedDecimals);
    std::uint64_t step = PowerOfTen(storedDecimals - kept);
    std::uint64_t shown = magnitude / step + (magnitude % step * 2 >= step ? 1 : 0);
    std::string digits = MoneyDigits(shown, kept, decimals);
    bool negative = units < 0 && shown != 0;
    // strfmon places the sign and symbol around a whole 8; the digits in its place come
    // from the stored units, so no double stands between the amount and the text.
    char layout[128];
    ssize_t n = strfmon(layout, sizeof layout, "%.0n", negative ? -8.0 : 8.0);
    std::string text = n < 0 ? std::string() : std::string(layout, static_cast<std::size_t>(n));
    std::size_t placeholder = text.find_first_of("0123456789");
    // Without a lone 8 (strfmon failed, or a symbol has digits of its own) the sign leads.
    if (placeholder == std::string::npos || text[placeholder] != '8' ||
        text.find_first_of("0123456789", placeholder + 1) != std::string::npos)
        return LocaleTextToUtf8((negative ? "-" : "") + digits);
    return LocaleTextToUtf8(text.replace(placeholder, 1, digits));
}

std::optional<double> ParseNumber(std::string_view text)
{
    std::string plain = StripGrouping(text);
    while (!plain.empty() && std::isspace(static_cast<unsigned char>(plain.back())))
        plain.pop_back();
    if (plain.empty())
        return std::nullopt;
    char* end = nullptr;
    double value = std::strtod(plain.c_str(), &end);
    if (end == plain.c_str() || *end != '\0' || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<Currency> ParseCurrency(std::string_view text)
{
    return Currency::Parse(StripGrouping(text), DecimalSeparator());
}

DateOrder LocaleDateOrder()
{
    std::string order;
    std::string format = nl_langinfo(D_FMT);
    for (std::size_t i = 0; i + 1 < format.size(); ++i)
    {
        if (format[i] != '%')
            continue;
        char c = format[++i];
        if (c == 'd' || c == 'e')
            order += 'd';
        else if (c == 'm')
            order += 'm';
        else if (c == 'y' || c == 'Y')
            order += 'y';
    }
    if (order == "dmy")
        return DateOrder::DayMonthYear;
    if (order == "ymd")
        return DateOrder::YearMonthDay;
    return DateOrder::MonthDayYear;
}

std::optional<DateTime> ParseDate(std::string_view text)
{
    return ParseDate(text, LocaleDateOrder());
}

std::optional<DateTime> ParseDate(std::string_view text, DateOrder order)
{
    std::vector<int> numbers;
    std::vector<std::size_t> widths;
    std::size_t i = 0;
    bool isoForm = false;
    while (i < text.size() && numbers.size() < 6)
    {
        if (std::isdigit(static_cast<unsigned char>(text[i])))
        {
            std::size_t start = i;
            int value = 0;
            while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            {
                if (i - start >= 4)
                    return std::nullopt;
                value = value * 10 + (text[i++] - '0');
            }
            if (numbers.empty() && i - start == 4)
                isoForm = true;
            numbers.push_back(value);
            widths.push_back(i - start);
        }
        else if (std::string_view("/.-: \t").find(text[i]) != std::string_view::npos)
            ++i;
        else if (numbers.size() >= 4 && std::isalpha(static_cast<unsigned char>(text[i])))
            break; // AM/PM marker after the time
        else
            return std::nullopt;
    }
    if (numbers.size() < 3 || numbers.size() == 4)
        return std::nullopt;
    static const char* const letters[] = {"dmy", "mdy", "ymd"};
    const char* fields = letters[static_cast<int>(isoForm ? DateOrder::YearMonthDay : order)];
    DateTime value;
    for (std::size_t k = 0; k < 3; ++k)
    {
        if (fields[k] == 'd')
            value.day = numbers[k];
        else if (fields[k] == 'm')
            value.month = numbers[k];
        else
            value.year = ExpandYear(numbers[k], widths[k]);
    }
    value.hour = numbers.size() > 3 ? numbers[3] : 0;
    value.minute = numbers.size() > 4 ? numbers[4] : 0;
    value.second = numbers.size() > 5 ? numbers[5] : 0;
    std::string rest(text.substr(std::min(i, text.size())));
    for (char& c : rest)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (rest.find("PM") != std::string::npos && value.hour < 12)
        value.hour += 12;
    else if (rest.find("AM") != std::string::npos && value.hour == 12)
        value.hour = 0;
    if (!value.IsValid())
        return std::nullopt;
    return value;
}
