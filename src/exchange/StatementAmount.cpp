#include "exchange/StatementAmount.h"

#include <string>

namespace
{
bool IsMark(char c)
{
    return c == '.' || c == ',';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The text read with the mark at decimalAt as the decimal mark and every other mark taken
// out as grouping.
std::optional<Currency> ReadWithMarks(std::string_view text, std::size_t decimalAt)
{
    char decimal = decimalAt < text.size() ? text[decimalAt] : '.';
    if (text.find_first_of(".,") == decimalAt)
        return Currency::Parse(text, decimal); // no grouping: nothing to take out
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!IsMark(text[i]) || i == decimalAt)
            plain += text[i];
    return Currency::Parse(plain, decimal);
}
} // namespace

std::optional<Currency> ParseOfxAmount(std::string_view text)
{
    std::size_t last = text.find_last_of(".,");
    if (last == std::string_view::npos)
        return Currency::Parse(text);
    char decimal = text[last];
    // The decimal mark occurs once; the other mark, when there is one, groups digits.
    if (text.find(decimal) != last)
        return std::nullopt;
    return ReadWithMarks(text, last);
}

std::optional<Currency> ParseQifAmount(std::string_view text)
{
    std::size_t end = text.find_last_not_of(" \t\r\n\v\f");
    std::string_view trimmed = text.substr(0, end == std::string_view::npos ? 0 : end + 1);
    std::size_t last = trimmed.find_last_of(".,");
    std::size_t decimals = last == std::string_view::npos ? 0 : trimmed.size() - last - 1;
    bool allDigits = decimals > 0;
    for (std::size_t i = last + 1; allDigits && i < trimmed.size(); ++i)
        allDigits = IsDigit(trimmed[i]);
    if (last != std::string_view::npos && allDigits && decimals <= 2)
        return ReadWithMarks(text, last);
    return ReadWithMarks(text, std::string_view::npos);
}
