#include "data/Statement.h"

#include "data/DatabaseError.h"
#include "data/Engine.h"

#include <sqlite3.h>

#include <utility>

void CloseConnection::operator()(sqlite3* connection) const noexcept
{
    sqlite3_close_v2(connection);
}

Statement::Statement(sqlite3* connection, std::string_view sql) : m_connection(connection)
{
    int rc =
        sqlite3_prepare_v2(connection, sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK)
    {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        ThrowEngineError(connection, rc);
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement&& other) noexcept
    : m_connection(other.m_connection), m_stmt(std::exchange(other.m_stmt, nullptr))
{
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other)
    {
        sqlite3_finalize(m_stmt);
        m_connection = other.m_connection;
        m_stmt = std::exchange(other.m_stmt, nullptr);
    }
    return *this;
}

void Statement::Check(int resultCode) const
{
    if (resultCode != SQLITE_OK)
        ThrowEngineError(m_connection, resultCode);
}

void Statement::Bind(int index, const Variant& value, Variant::Kind kind)
{
    using Kind = Variant::Kind;
    if (value.IsNull())
        return BindNull(index);
    if (kind == Kind::Null)
        kind = value.GetKind();
    switch (kind)
    {
    case Kind::Currency:
        return Bind(index, value.ToCurrency().Units());
    case Kind::Long:
        return Bind(index, value.GetKind() == Kind::Long ? value.RawLong() : value.ToLong());
    case Kind::Bool:
        return Bind(index, std::int64_t{value.ToBool() ? 1 : 0});
    case Kind::Date:
        return Bind(index, ToStorageText(value.ToDate()));
    case Kind::Single:
    case Kind::Double:
        return Check(sqlite3_bind_double(m_stmt, index, value.ToDouble()));
    default:
        if (value.GetKind() == Kind::Text)
            return Bind(index, value.RawText());
        return Bind(index, value.ToText());
    }
}

void Statement::Bind(int index, std::int64_t value)
{
    Check(sqlite3_bind_int64(m_stmt, index, value));
}

void Statement::Bind(int index, std::string_view text)
{
    Check(sqlite3_bind_text64(m_stmt, index, text.data(), text.size(), SQLITE_TRANSIENT,
                              SQLITE_UTF8));
}

void Statement::BindKept(int index, std::string_view text)
{
    Check(sqlite3_bind_text64(m_stmt, index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8));
}

void Statement::BindNull(int index)
{
    Check(sqlite3_bind_null(m_stmt, index));
}

bool Statement::Step()
{
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        ThrowEngineError(m_connection, rc);
    return false;
}

void Statement::Run()
{
    while (Step())
    {
    }
}

void Statement::Reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::ColumnCount() const
{
    return sqlite3_column_count(m_stmt);
}

bool Statement::IsNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

std::int64_t Statement::ColumnInt64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

std::string Statement::ColumnText(int column) const
{
    const unsigned char* text = sqlite3_column_text(m_stmt, column);
    if (!text)
        return std::string();
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)));
}

Variant Statement::ColumnValue(int column, Variant::Kind kind) const
{
    using Kind = Variant::Kind;
    int type = sqlite3_column_type(m_stmt, column);
    if (type == SQLITE_NULL)
        return Variant();
    bool numeric = type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    switch (kind)
    {
    case Kind::Currency:
        if (type == SQLITE_INTEGER)
            return Variant::FromCurrency(Currency::FromUnits(ColumnInt64(column)));
        if (type == SQLITE_FLOAT)
            return Variant::FromCurrency(
                Currency::FromDouble(sqlite3_column_double(m_stmt, column) / Currency::Scale));
        break;
    case Kind::Long:
        if (type == SQLITE_INTEGER)
            return Variant::FromLong(ColumnInt64(column));
        if (type == SQLITE_FLOAT)
            return Variant::FromDouble(sqlite3_column_double(m_stmt, column));
        break;
    case Kind::Bool:
        if (numeric)
            return Variant::FromBool(sqlite3_column_double(m_stmt, column) != 0);
        break;
    case Kind::Date:
        if (type == SQLITE_TEXT)
            if (auto date = ParseStorageText(ColumnText(column)))
                return Variant::FromDate(*date);
        break;
    case Kind::Single:
        if (numeric)
            return Variant::FromSingle(sqlite3_column_double(m_stmt, column));
        break;
    case Kind::Double:
        if (numeric)
            return Variant::FromDouble(sqlite3_column_double(m_stmt, column));
        break;
    case Kind::Text:
        return Variant::FromText(ColumnText(column));
    case Kind::Null:
        break;
    }
    if (type == SQLITE_INTEGER)
        return Variant::FromLong(ColumnInt64(column));
    if (type == SQLITE_FLOAT)
        return Variant::FromDouble(sqlite3_column_double(m_stmt, column));
    return Variant::FromText(ColumnText(column));
}

namespace
{
std::string OrEmpty(const char* text)
{
    return text ? std::string(text) : std::string();
}
} // namespace

std::string Statement::ColumnName(int column) const
{
    return OrEmpty(sqlite3_column_name(m_stmt, column));
}

std::string Statement::ColumnDeclaredType(int column) const
{
    return OrEmpty(sqlite3_column_decltype(m_stmt, column));
}

std::string Statement::ColumnOriginTable(int column) const
{
    return OrEmpty(sqlite3_column_table_name(m_stmt, column));
}

std::string Statement::ColumnOriginName(int column) const
{
    return OrEmpty(sqlite3_column_origin_name(m_stmt, column));
}
