#include "data/Currency.h"

#include "data/DatabaseError.h"

#include <cmath>
#include <cstdlib>

namespace
{
// Products and scaled digits of 64-bit units need twice the width.
__extension__ typedef __int128 Int128;

// Divides with rounding of halves to even, as currency conversions round.
Int128 DivideRoundHalfEven(Int128 numerator, std::int64_t denominator)
{
    Int128 quotient = numerator / denominator;
    Int128 remainder = numerator % denominator;
    Int128 twice = remainder * 2;
    if (twice < 0)
        twice = -twice;
    if (twice > denominator || (twice == denominator && (quotient % 2) != 0))
        quotient += (numerator < 0) ? -1 : 1;
    return quotient;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
} // namespace

void Currency::Overflow()
{
    throw DatabaseError(Status::Overflow, "Overflow");
}

Currency Currency::FromDouble(double value)
{
    double units = std::nearbyint(value * Scale);
    // 2^63 is the first double past the range; NaN fails both tests.
    if (!(units >= -9223372036854775808.0 && units < 9223372036854775808.0))
        Overflow();
    return Currency(static_cast<std::int64_t>(units));
}

std::optional<Currency> Currency::Parse(std::string_view text, char decimalPoint)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
    {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    Int128 digits = 0;
    std::int64_t divisor = 1;
    bool anyDigit = false;
    bool afterPoint = false;
    for (char c : text)
    {
        if (c >= '0' && c <= '9')
        {
            anyDigit = true;
            if (digits > (Int128{1} << 100))
                return std::nullopt;
            if (afterPoint)
            {
                if (divisor >= 1000000000000LL)
                    continue; // digits far below the last unit cannot change the rounding much
                divisor *= 10;
            }
            digits = digits * 10 + (c - '0');
        }
        else if (c == decimalPoint && !afterPoint)
            afterPoint = true;
        else
            return std::nullopt;
    }
    if (!anyDigit)
        return std::nullopt;
    Int128 scaled = digits * Scale;
    if (negative)
        scaled = -scaled;
    Int128 units = DivideRoundHalfEven(scaled, divisor);
    if (units > INT64_MAX || units < INT64_MIN)
        return std::nullopt;
    return Currency(static_cast<std::int64_t>(units));
}

std::string Currency::ToText(char decimalPoint) const
{
    std::uint64_t magnitude =
        m_units < 0 ? 0 - static_cast<std::uint64_t>(m_units) : static_cast<std::uint64_t>(m_units);
    std::string text = std::to_string(magnitude / Scale);
    std::uint64_t fraction = magnitude % Scale;
    if (fraction != 0)
    {
        std::string digits = std::to_string(fraction + Scale).substr(1);
        while (!digits.empty() && digits.back() == '0')
            digits.pop_back();
        text += decimalPoint;
        text += digits;
    }
    return m_units < 0 ? "-" + text : text;
}

Currency Currency::MultipliedBy(Currency other) const
{
    Int128 product = static_cast<Int128>(m_units) * other.m_units;
    Int128 units = DivideRoundHalfEven(product, Scale);
    if (units > INT64_MAX || units < INT64_MIN)
        Overflow();
    return Currency(static_cast<std::int64_t>(units));
}

std::string Currency::ToPointText() const
{
    std::string text = ToText('.');
    std::size_t point = text.find('.');
    if (point == std::string::npos)
        return text + ".00";
    if (text.size() - point == 2)
        text += "0";
    return text;
}
