#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

/// A field value as the access layer carries it: NULL, text, whole number, currency,
/// floating point, date or yes/no.
class Variant
{
public:
    enum class Kind
    {
        Null,
        Text,
        Long,
        Currency,
        Single,
        Double,
        Date,
        Bool
    };

    Variant() = default;
    static Variant FromText(std::string text);
    static Variant FromLong(std::int64_t value);
    static Variant FromCurrency(Currency value);
    static Variant FromSingle(double value);
    static Variant FromDouble(double value);
    static Variant FromDate(const DateTime& value);
    static Variant FromBool(bool value);

    Kind GetKind() const { return m_kind; }
    bool IsNull() const { return m_kind == Kind::Null; }

    /// Text in the user's regional format (decimal separator, short date); NULL gives "".
    std::string ToText() const;
    /// Whole number (halves to even); NULL or text that is not a number raises
    /// DatabaseError (type mismatch). A true yes/no value reads as -1.
    std::int32_t ToLong() const;
    /// Currency; NULL reads as 0. Text is read in the user's regional format.
    Currency ToCurrency() const;
    /// Floating point; NULL reads as 0.
    double ToDouble() const;
    /// Date; NULL raises DatabaseError. Text is read in the user's regional date order.
    DateTime ToDate() const;
    /// Truth value; NULL reads as false.
    bool ToBool() const;

    /// The value converted to the given kind with the rules above; NULL stays NULL.
    Variant ConvertTo(Kind kind) const;

    const std::string& RawText() const { return std::get<std::string>(m_value); }
    std::int64_t RawLong() const { return std::get<std::int64_t>(m_value); }
    Currency RawCurrency() const { return std::get<Currency>(m_value); }
    double RawDouble() const { return std::get<double>(m_value); }
    const DateTime& RawDate() const { return std::get<DateTime>(m_value); }
    bool RawBool() const { return std::get<bool>(m_value); }

    bool operator==(const Variant&) const = default;

private:
    using Storage =
        std::variant<std::monostate, std::string, std::int64_t, Currency, double, DateTime, bool>;
    template <typename Value>
    Variant(Kind kind, Value&& value) : m_kind(kind), m_value(std::forward<Value>(value))
    {
    }

    Kind m_kind = Kind::Null;
    Storage m_value;
};

/// Exact addition: NULL with anything gives NULL; currency stays currency.
Variant AddValues(const Variant& a, const Variant& b);
/// A date value of the local calendar time of a point in time.
Variant MakeDate(std::int64_t pointInTime);
/// The Jet date literal of the local calendar date: #3/5/2015#.
std::string SqlDate(std::int64_t pointInTime);
