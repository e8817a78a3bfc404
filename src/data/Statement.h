#pragma once

#include "data/Connection.h"
#include "data/Variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

/// One prepared statement of the engine in its own dialect, finalized when it goes out of
/// scope. Failures raise DatabaseError with the engine's message.
class Statement
{
public:
    Statement() = default;
    /// Prepares one statement on the connection.
    Statement(sqlite3* connection, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool IsPrepared() const { return m_stmt != nullptr; }

    /// Binds parameter `index` (from 1) to a value stored as the given column kind (Null:
    /// the value's own kind); NULL binds NULL.
    void Bind(int index, const Variant& value, Variant::Kind kind = Variant::Kind::Null);
    void Bind(int index, std::int64_t value);
    void Bind(int index, std::string_view text);
    /// Binds a text without copying it: the text must stay as it is until the statement is
    /// reset or bound again. For statements run once per row of an import.
    void BindKept(int index, std::string_view text);
    void BindNull(int index);

    /// Runs to the next row: true when a row is there, false when the statement is done.
    bool Step();
    /// Runs the statement to its end, rows ignored.
    void Run();
    /// Makes the statement ready to run again, with no parameters bound and no lock held.
    void Reset();

    int ColumnCount() const;
    bool IsNull(int column) const;
    std::int64_t ColumnInt64(int column) const;
    std::string ColumnText(int column) const;
    /// A column of the current row as a value of the given kind (Null: as stored).
    Variant ColumnValue(int column, Variant::Kind kind) const;
    /// The column's name in the result.
    std::string ColumnName(int column) const;
    /// The declared type of the column the result column reads; empty when computed.
    std::string ColumnDeclaredType(int column) const;
    /// The table and column the result column reads; empty when computed.
    std::string ColumnOriginTable(int column) const;
    std::string ColumnOriginName(int column) const;

    sqlite3_stmt* Handle() const { return m_stmt; }

private:
    void Check(int resultCode) const;

    sqlite3* m_connection = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

/// Resets a statement kept for reuse when the scope that ran it ends, on every way out.
class StatementReset
{
public:
    explicit StatementReset(Statement& statement) : m_statement(statement) {}
    ~StatementReset() { m_statement.Reset(); }
    StatementReset(const StatementReset&) = delete;
    StatementReset& operator=(const StatementReset&) = delete;

private:
    Statement& m_statement;
};
