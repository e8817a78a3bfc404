#include "data/Variant.h"

#include "data/DatabaseError.h"
#include "data/Regional.h"

#include <cmath>
#include <limits>

namespace
{
[[noreturn]] void TypeMismatch()
{
    throw DatabaseError(Status::TypeMismatch, "");
}

std::int32_t ToInt32(double value)
{
    double rounded = std::nearbyint(value); // halves to even
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max()))
        throw DatabaseError(Status::TypeMismatch, "Overflow");
    return static_cast<std::int32_t>(rounded);
}
} // namespace

Variant Variant::FromText(std::string text)
{
    return Variant(Kind::Text, std::move(text));
}

Variant Variant::FromLong(std::int64_t value)
{
    return Variant(Kind::Long, value);
}

Variant Variant::FromCurrency(Currency value)
{
    return Variant(Kind::Currency, value);
}

Variant Variant::FromSingle(double value)
{
    // Held at single precision, as the column stores it.
    return Variant(Kind::Single, static_cast<double>(static_cast<float>(value)));
}

Variant Variant::FromDouble(double value)
{
    return Variant(Kind::Double, value);
}

Variant Variant::FromDate(const DateTime& value)
{
    return Variant(Kind::Date, value);
}

Variant Variant::FromBool(bool value)
{
    return Variant(Kind::Bool, value);
}

std::string Variant::ToText() const
{
    switch (m_kind)
    {
    case Kind::Null:
        return "";
    case Kind::Text:
        return RawText();
    case Kind::Long:
        return std::to_string(RawLong());
    case Kind::Currency:
        return RawCurrency().ToText(DecimalSeparator());
    case Kind::Single:
        return FormatNumber(RawDouble(), 7);
    case Kind::Double:
        return FormatNumber(RawDouble(), 15);
    case Kind::Date:
        return FormatDateTimeText(RawDate());
    case Kind::Bool:
        return RawBool() ? "-1" : "0"; // Jet's true is -1
    }
    return "";
}

std::int32_t Variant::ToLong() const
{
    switch (m_kind)
    {
    case Kind::Null:
        TypeMismatch();
    case Kind::Text:
    {
        auto number = ParseNumber(RawText());
        if (!number)
            TypeMismatch();
        return ToInt32(*number);
    }
    case Kind::Long:
        return ToInt32(static_cast<double>(RawLong()));
    case Kind::Currency:
    {
        Currency c = RawCurrency();
        std::int64_t whole = c.Units() / Currency::Scale;
        std::int64_t rest = c.Units() % Currency::Scale;
        if (rest * 2 > Currency::Scale || (rest * 2 == Currency::Scale && whole % 2 != 0))
            ++whole;
        else if (rest * 2 < -Currency::Scale || (rest * 2 == -Currency::Scale && whole % 2 != 0))
            --whole;
        return ToInt32(static_cast<double>(whole));
    }
    case Kind::Single:
    case Kind::Double:
        return ToInt32(RawDouble());
    case Kind::Date:
        TypeMismatch();
    case Kind::Bool:
        return RawBool() ? -1 : 0;
    }
    TypeMismatch();
}

Currency Variant::ToCurrency() const
{
    switch (m_kind)
    {
    case Kind::Null:
        return Currency();
    case Kind::Text:
    {
        auto value = ParseCurrency(RawText());
        if (!value)
            TypeMismatch();
        return *value;
    }
    case Kind::Long:
        return Currency::FromWhole(RawLong());
    case Kind::Currency:
        return RawCurrency();
    case Kind::Single:
    case Kind::Double:
        return Currency::FromDouble(RawDouble());
    case Kind::Date:
        TypeMismatch();
    case Kind::Bool:
        return Currency::FromWhole(RawBool() ? -1 : 0);
    }
    TypeMismatch();
}

double Variant::ToDouble() const
{
    switch (m_kind)
    {
    case Kind::Null:
        return 0;
    case Kind::Text:
    {
        auto number = ParseNumber(RawText());
        if (!number)
            TypeMismatch();
        return *number;
    }
    case Kind::Long:
        return static_cast<double>(RawLong());
    case Kind::Currency:
        return RawCurrency().ToDouble();
    case Kind::Single:
    case Kind::Double:
        return RawDouble();
    case Kind::Date:
        TypeMismatch();
    case Kind::Bool:
        return RawBool() ? -1 : 0;
    }
    TypeMismatch();
}

DateTime Variant::ToDate() const
{
    if (m_kind == Kind::Date)
        return RawDate();
    if (m_kind == Kind::Text)
    {
        if (auto value = ParseDate(RawText()))
            return *value;
    }
    TypeMismatch();
}

bool Variant::ToBool() const
{
    switch (m_kind)
    {
    case Kind::Null:
        return false;
    case Kind::Bool:
        return RawBool();
    case Kind::Text:
    {
        const std::string& t = RawText();
        if (t.size() == 4 && (t[0] == 't' || t[0] == 'T') && (t[1] == 'r' || t[1] == 'R'))
            return true;
        if (t.size() == 5 && (t[0] == 'f' || t[0] == 'F'))
            return false;
        if (t.size() == 3 && (t[0] == 'y' || t[0] == 'Y'))
            return true;
        if (t.size() == 2 && (t[0] == 'n' || t[0] == 'N'))
            return false;
        return ToDouble() != 0;
    }
    case Kind::Date:
        TypeMismatch();
    default:
        return ToDouble() != 0;
    }
}

Variant Variant::ConvertTo(Kind kind) const
{
    if (m_kind == kind || m_kind == Kind::Null || kind == Kind::Null)
        return *this;
    switch (kind)
    {
    case Kind::Text:
        return FromText(ToText());
    case Kind::Long:
        return FromLong(ToLong());
    case Kind::Currency:
        return FromCurrency(ToCurrency());
    case Kind::Single:
        return FromSingle(ToDouble());
    case Kind::Double:
        return FromDouble(ToDouble());
    case Kind::Date:
        return FromDate(ToDate());
    case Kind::Bool:
        return FromBool(ToBool());
    case Kind::Null:
        break;
    }
    return *this;
}

Variant AddValues(const Variant& a, const Variant& b)
{
    using Kind = Variant::Kind;
    if (a.IsNull() || b.IsNull())
        return Variant();
    Kind ka = a.GetKind();
    Kind kb = b.GetKind();
    if (ka == Kind::Text && kb == Kind::Text)
        return Variant::FromText(a.RawText() + b.RawText());
    if (ka == Kind::Currency || kb == Kind::Currency)
    {
        if (ka == Kind::Double || kb == Kind::Double || ka == Kind::Single || kb == Kind::Single)
            return Variant::FromDouble(a.ToDouble() + b.ToDouble());
        return Variant::FromCurrency(a.ToCurrency() + b.ToCurrency());
    }
    if ((ka == Kind::Long || ka == Kind::Bool) && (kb == Kind::Long || kb == Kind::Bool))
    {
        std::int64_t la = ka == Kind::Bool ? (a.RawBool() ? -1 : 0) : a.RawLong();
        std::int64_t lb = kb == Kind::Bool ? (b.RawBool() ? -1 : 0) : b.RawLong();
        return Variant::FromLong(la + lb);
    }
    return Variant::FromDouble(a.ToDouble() + b.ToDouble());
}

Variant MakeDate(std::int64_t pointInTime)
{
    return Variant::FromDate(ToLocalCalendar(pointInTime));
}

std::string SqlDate(std::int64_t pointInTime)
{
    DateTime local = ToLocalCalendar(pointInTime);
    return "#" + std::to_string(local.month) + "/" + std::to_string(local.day) + "/" +
           std::to_string(local.year) + "#";
}
