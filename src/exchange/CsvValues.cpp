#include "exchange/CsvValues.h"

#include "data/DateTime.h"

#include <array>

namespace
{
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The length of the blank at an offset: ASCII blanks, no-break space, narrow no-break space,
// thin space and figure space (grouping in French, Swiss and Nordic exports); 0 for none.
std::size_t BlankAt(std::string_view s, std::size_t i)
{
    if (i >= s.size())
        return 0;
    char c = s[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
        return 1;
    std::string_view rest = s.substr(i);
    if (rest.starts_with("\xC2\xA0"))
        return 2;
    if (rest.starts_with("\xE2\x80\xAF") || rest.starts_with("\xE2\x80\x89") ||
        rest.starts_with("\xE2\x80\x87"))
        return 3;
    return 0;
}

// The length of the blank that ends just before an offset; 0 for none.
std::size_t BlankBefore(std::string_view s, std::size_t end)
{
    for (std::size_t length : {1, 2, 3})
        if (end >= length && BlankAt(s, end - length) == length)
            return length;
    return 0;
}

// ---- dates ----

struct DatePart
{
    int value = 0;
    std::size_t digits = 0; ///< 0 for a month written as a name
};

// The month (1 to 12) a word names: its first three letters or more of the English name,
// and "sept"; 0 for any other word.
int MonthOfName(std::string_view word)
{
    static const char* const names[] = {"january",   "february", "march",    "april",
                                        "may",       "june",     "july",     "august",
                                        "september", "october",  "november", "december"};
    if (word.size() < 3)
        return 0;
    std::string lower;
    for (char c : word)
        lower += Lower(c);
    if (lower == "sept")
        return 9;
    for (int month = 0; month < 12; ++month)
        if (std::string_view(names[month]).starts_with(lower))
            return month + 1;
    return 0;
}

int Number(std::string_view digits)
{
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

// Digits written without separators: 8 (or, day first, 8 and 6) by the order; a year first
// may carry a time of day (YYYYMMDDHHMM[SS]).
bool SplitCompact(std::string_view run, CsvDateOrder order, std::array<DatePart, 3>& parts)
{
    std::size_t yearDigits = run.size() == 6 ? 2 : 4;
    if (order == CsvDateOrder::YearMonthDay && (run.size() == 12 || run.size() == 14))
        run = run.substr(0, 8);
    if (run.size() != 6 && run.size() != 8)
        return false;
    std::array<std::size_t, 3> widths = {2, 2, yearDigits};
    if (order == CsvDateOrder::YearMonthDay)
        widths = {yearDigits, 2, 2};
    std::size_t at = 0;
    for (std::size_t k = 0; k < 3; ++k)
    {
        parts[k] = {Number(run.substr(at, widths[k])), widths[k]};
        at += widths[k];
    }
    return true;
}

std::optional<int> YearOf(const DatePart& part)
{
    if (part.digits == 4)
        return part.value;
    if (part.digits == 1 || part.digits == 2)
        return 2000 + part.value;
    return std::nullopt;
}

// The parts that are numbers go to day, month and year by the order; a month name takes
// the month, a four-digit number the year, and the other number the day.
std::optional<DateTime> Assign(const std::array<DatePart, 3>& parts, CsvDateOrder order,
                               bool compact)
{
    int named = -1;
    for (int k = 0; k < 3; ++k)
        if (parts[k].digits == 0)
            named = k;
    DatePart day;
    DatePart month;
    DatePart year;
    if (named >= 0)
    {
        DatePart first = parts[named == 0 ? 1 : 0];
        DatePart second = parts[named == 2 ? 1 : 2];
        bool yearFirst =
            first.digits == 4 || (second.digits != 4 && order == CsvDateOrder::YearMonthDay);
        year = yearFirst ? first : second;
        day = yearFirst ? second : first;
        month = parts[named];
    }
    else
    {
        static const char* const orders[] = {"dmy", "mdy", "ymd"};
        const char* letters = orders[static_cast<int>(order)];
        for (int k = 0; k < 3; ++k)
        {
            DatePart& slot = letters[k] == 'd' ? day : letters[k] == 'm' ? month : year;
            slot = parts[k];
        }
        // Year first is ISO 8601's order, whose year has four digits; a two-digit year
        // first is taken only from six digits written together (YYMMDD).
        if (month.digits > 2 ||
            (order == CsvDateOrder::YearMonthDay && year.digits == 2 && !compact))
            return std::nullopt;
    }
    std::optional<int> fullYear = YearOf(year);
    if (!fullYear || day.digits > 2 || *fullYear < 1970 || *fullYear > 9999 || month.value < 1 ||
        month.value > 12 || day.value < 1 || day.value > DaysInMonth(*fullYear, month.value))
        return std::nullopt;
    return DateTime{*fullYear, month.value, day.value, 0, 0, 0};
}

// ---- amounts ----

// Currency signs and codes that may stand before or after a number.
std::size_t CurrencyPrefix(std::string_view s)
{
    static const char* const symbols[] = {"$",
                                          "\xC2\xA3",
                                          "\xE2\x82\xAC",
                                          "\xC2\xA5",
                                          "\xE2\x82\xB9",
                                          "\xE2\x82\xBD",
                                          "\xE2\x82\xA9",
                                          "\xE2\x82\xAA",
                                          "\xE2\x82\xBA",
                                          "z\xC5\x82",
                                          "K\xC4\x8D"};
    for (const char* symbol : symbols)
        if (s.starts_with(symbol))
            return std::string_view(symbol).size();
    std::size_t letters = 0;
    while (letters < s.size() && IsLetter(s[letters]))
        ++letters;
    std::string_view word = s.substr(0, letters);
    // Dollars of other countries: US$, A$, NZ$, HK$.
    if (letters >= 1 && letters <= 2 && s.substr(letters).starts_with("$"))
        return letters + 1;
    bool upperCode = letters == 3;
    for (char c : word)
        upperCode = upperCode && c >= 'A' && c <= 'Z';
    bool shortName = word == "kr" || word == "Kr" || word == "Ft" || word == "Fr" || word == "Rs";
    if (upperCode || shortName)
        return letters + (s.substr(letters).starts_with(".") && shortName ? 1 : 0);
    return 0;
}

std::size_t CurrencySuffix(std::string_view s)
{
    for (std::size_t length = 1; length <= std::min<std::size_t>(s.size(), 4); ++length)
    {
        std::size_t start = s.size() - length;
        // A suffix begins after a digit, a blank or a sign, never inside a word.
        if (start > 0 && IsLetter(s[start - 1]))
            continue;
        if (CurrencyPrefix(s.substr(start)) == length)
            return length;
    }
    return 0;
}

std::string_view TrimEnds(std::string_view s)
{
    for (std::size_t n = BlankAt(s, 0); n > 0; n = BlankAt(s, 0))
        s.remove_prefix(n);
    for (std::size_t n = BlankBefore(s, s.size()); n > 0; n = BlankBefore(s, s.size()))
        s.remove_suffix(n);
    return s;
}

// A leading sign: "-", "+" or the minus sign U+2212. Returns its length, 0 for none.
std::size_t LeadingSign(std::string_view s, bool& negative)
{
    if (s.starts_with("-") || s.starts_with("+"))
    {
        negative = s[0] == '-';
        return 1;
    }
    if (s.starts_with("\xE2\x88\x92"))
    {
        negative = true;
        return 3;
    }
    return 0;
}

// The length of a digit-grouping character at an offset; 0 for none.
std::size_t GroupingAt(std::string_view s, std::size_t i, char decimalMark)
{
    char other = decimalMark == '.' ? ',' : '.';
    if (s[i] == other || s[i] == '\'')
        return 1;
    if (s.substr(i).starts_with("\xE2\x80\x99")) // right single quotation mark, Swiss exports
        return 3;
    return BlankAt(s, i);
}

// Digits, grouped or not, with at most one decimal mark; the digits are appended to plain
// with "." for the mark. Groups after the first hold two or three digits, the last three.
bool ReadDigits(std::string_view s, char decimalMark, std::string& plain)
{
    std::string_view grouping;
    std::size_t groupDigits = 0;
    std::size_t groups = 0;
    bool afterMark = false;
    bool anyDigit = false;
    std::size_t i = 0;
    while (i < s.size())
    {
        char c = s[i];
        if (IsDigit(c))
        {
            plain += c;
            anyDigit = true;
            ++groupDigits;
            ++i;
            continue;
        }
        if (c == decimalMark && !afterMark)
        {
            if (groups > 0 && groupDigits != 3)
                return false;
            afterMark = true;
            plain += '.';
            ++i;
            continue;
        }
        std::size_t length = afterMark ? 0 : GroupingAt(s, i, decimalMark);
        if (length == 0 || groupDigits == 0 || i + length >= s.size() || !IsDigit(s[i + length]))
            return false;
        std::string_view mark = s.substr(i, length);
        if (groups == 0 ? groupDigits > 3 : (groupDigits < 2 || groupDigits > 3))
            return false;
        if (!grouping.empty() && mark != grouping)
            return false; // one kind of grouping in one number
        grouping = mark;
        ++groups;
        groupDigits = 0;
        i += length;
    }
    if (groups > 0 && !afterMark && groupDigits != 3)
        return false;
    return anyDigit;
}
} // namespace

std::string_view TrimCsvText(std::string_view text)
{
    return TrimEnds(text);
}

std::optional<DateTime> ParseCsvDate(std::string_view text, CsvDateOrder order)
{
    text = TrimEnds(text);
    std::array<DatePart, 3> parts;
    std::size_t count = 0;
    std::size_t i = 0;
    bool compact = false;
    while (count < 3)
    {
        // Any ASCII character that is neither a letter nor a digit separates.
        while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80 && !IsDigit(text[i]) &&
               !IsLetter(text[i]))
            ++i;
        if (i >= text.size())
            return std::nullopt;
        std::size_t start = i;
        if (IsDigit(text[i]))
        {
            while (i < text.size() && IsDigit(text[i]))
                ++i;
            std::string_view run = text.substr(start, i - start);
            if (count == 0 && run.size() > 4)
            {
                if (!SplitCompact(run, order, parts))
                    return std::nullopt;
                count = 3;
                compact = true;
            }
            else if (run.size() > 4)
                return std::nullopt;
            else
                parts[count++] = {Number(run), run.size()};
        }
        else if (IsLetter(text[i]))
        {
            while (i < text.size() && IsLetter(text[i]))
                ++i;
            int month = MonthOfName(text.substr(start, i - start));
            if (month == 0)
                return std::nullopt;
            for (std::size_t k = 0; k < count; ++k)
                if (parts[k].digits == 0)
                    return std::nullopt; // two month names
            parts[count++] = {month, 0};
        }
        else
            return std::nullopt;
    }
    // A time of day may follow after a separator, or after "T" as ISO 8601 writes it.
    if (i < text.size())
    {
        char next = text[i];
        bool separated =
            static_cast<unsigned char>(next) < 0x80 && !IsDigit(next) && !IsLetter(next);
        bool isoTime = (next == 'T' || next == 't') && i + 1 < text.size() && IsDigit(text[i + 1]);
        if (!separated && !isoTime)
            return std::nullopt;
    }
    return Assign(parts, order, compact);
}

std::optional<Currency> ParseCsvAmount(std::string_view text, char decimalMark)
{
    std::string_view s = TrimEnds(text);
    bool negative = false;
    bool signSeen = false;
    auto takeSign = [&]
    {
        if (signSeen)
            return;
        if (std::size_t n = LeadingSign(s, negative))
        {
            signSeen = true;
            s = TrimEnds(s.substr(n));
        }
    };
    auto takeParentheses = [&]
    {
        if (!signSeen && s.size() >= 2 && s.front() == '(' && s.back() == ')')
        {
            negative = signSeen = true;
            s = TrimEnds(s.substr(1, s.size() - 2));
        }
    };
    takeParentheses();
    takeSign();
    if (std::size_t n = CurrencyPrefix(s))
        s = TrimEnds(s.substr(n));
    takeParentheses();
    takeSign();
    if (std::size_t n = CurrencySuffix(s))
        s = TrimEnds(s.substr(0, s.size() - n));
    if (!signSeen && (s.ends_with("-") || s.ends_with("+")))
    {
        negative = s.back() == '-';
        signSeen = true;
        s = TrimEnds(s.substr(0, s.size() - 1));
        if (std::size_t n = CurrencySuffix(s))
            s = TrimEnds(s.substr(0, s.size() - n));
    }
    std::string plain = negative ? "-" : "";
    if (s.empty() || !ReadDigits(s, decimalMark, plain))
        return std::nullopt;
    return Currency::Parse(plain, '.');
}
