#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// Fixed-point money: a signed count of 1/10,000 units, as Jet's currency type keeps it.
/// Arithmetic that leaves the range raises DatabaseError "Overflow", as Jet's does; it never
/// wraps around.
class Currency
{
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency FromUnits(std::int64_t units) { return Currency(units); }
    static constexpr Currency FromWhole(std::int64_t whole)
    {
        std::int64_t units = 0;
        if (__builtin_mul_overflow(whole, Scale, &units))
            Overflow();
        return Currency(units);
    }
    /// Rounds to the nearest 1/10,000, halves to even, as a currency conversion does.
    static Currency FromDouble(double value);
    /// Reads "-12.5", "1234", "0.0001" with the given decimal separator; more than four
    /// decimals round half to even. Blanks around the number are allowed.
    static std::optional<Currency> Parse(std::string_view text, char decimalPoint = '.');

    constexpr std::int64_t Units() const { return m_units; }
    double ToDouble() const { return static_cast<double>(m_units) / Scale; }
    /// Shortest exact text: -12.5 for -12.50, 100 for 100.00, no digit grouping.
    std::string ToText(char decimalPoint = '.') const;
    /// With a point and at least two decimals, for figures other programs read: "-500.00",
    /// "12.50", "0.0001".
    std::string ToPointText() const;
    /// The product rounded to four decimals, halves to even (quantity times price).
    Currency MultipliedBy(Currency other) const;

    constexpr Currency operator-() const { return Currency() - *this; }
    constexpr Currency operator+(Currency o) const
    {
        std::int64_t units = 0;
        if (__builtin_add_overflow(m_units, o.m_units, &units))
            Overflow();
        return Currency(units);
    }
    constexpr Currency operator-(Currency o) const
    {
        std::int64_t units = 0;
        if (__builtin_sub_overflow(m_units, o.m_units, &units))
            Overflow();
        return Currency(units);
    }
    constexpr Currency& operator+=(Currency o) { return *this = *this + o; }
    // clang-tidy takes the 0 that a rewritten `a < b` compares the result with for a pointer
    constexpr auto operator<=>(const Currency&) const = default; // NOLINT(modernize-use-nullptr)

    /// Raises the DatabaseError of a result outside the currency range.
    [[noreturn]] static void Overflow();

private:
    constexpr explicit Currency(std::int64_t units) : m_units(units) {}
    std::int64_t m_units = 0;
};
