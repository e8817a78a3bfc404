#include "data/Regional.h"

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <langinfo.h>
#include <monetary.h>
#include <vector>

namespace
{
std::string FormatTm(const std::string& format, const DateTime& value)
{
    std::tm t = ToTm(value);
    char buffer[128];
    std::size_t n = std::strftime(buffer, sizeof buffer, format.c_str(), &t);
    return std::string(buffer, n);
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
    std::string out;
    for (char c : text)
        if (c != group || group == point)
            out += c;
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
    return buffer; // snprintf already uses the locale's decimal separator
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
    char buffer[128];
    ssize_t n = strfmon(buffer, sizeof buffer, "%n", value.ToDouble());
    if (n < 0)
        return value.ToText(DecimalSeparator());
    return std::string(buffer, static_cast<std::size_t>(n));
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
