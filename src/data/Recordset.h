#pragma once

#include "data/Variant.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Database;

/// How a Recordset walks and locks its rows.
enum class OpenMode
{
    ReadOnly,   ///< forward-only, read-only: rows are streamed from the engine
    KeysetRead, ///< all rows read at once; can be walked, searched and re-run
    KeysetLock, ///< as KeysetRead, and rows can be added and changed
    KeysetEdit  ///< as KeysetLock
};

/// Where a result field comes from and what kind of value it holds.
struct FieldInfo
{
    std::string name;         ///< the field's name in the result (its alias, if any)
    std::string originTable;  ///< table of the column it reads; empty for computed fields
    std::string originColumn; ///< column it reads; writes go there
    Variant::Kind kind = Variant::Kind::Null; ///< Null when the kind follows each value
    bool exactText = false;                   ///< text compares byte for byte, not ignoring case
};

/// A result set over one query on the Database's connection.
class Recordset
{
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    /// Opens the result set over a query in the Jet dialect.
    void Open(const std::string& sql, Database& db, OpenMode mode);
    /// Closes the result set if it is open.
    void Close();
    bool IsOpen() const;
    OpenMode Mode() const { return m_mode; }
    /// The Database the Recordset was opened on.
    Database& Owner() const;

    bool IsEOF() const;
    /// True when the result has no rows or the position is before the first row.
    bool IsBOF() const;
    void MoveNext();
    /// Moves to the first row (keyset modes).
    void MoveFirst();
    /// Runs the query again and stands on the first row (keyset modes).
    void Requery();
    /// Searches forward from the current row for the first row meeting "Column = 'value'";
    /// when none does, the Recordset is at EOF.
    void Find(const std::string& criteria);

    /// Number of rows read (keyset modes).
    std::size_t RecordCount() const;
    /// Index of the current row from 0 (keyset modes); RecordCount() when at EOF.
    std::size_t AbsolutePosition() const;
    void SetAbsolutePosition(std::size_t row);

    void AddNew();
    /// Writes the new or changed current row: one INSERT or one UPDATE per origin table.
    void Update();
    /// Drops the changes of the current row, or the row started by AddNew.
    void CancelUpdate();
    bool IsEditing() const;
    /// Deletes the current row from its table; the position moves to the next row.
    void Delete();
    /// A clone standing on a new, unwritten row holding a copy of every field of this
    /// Recordset's current row.
    std::unique_ptr<Recordset> DuplicateRow();

    int FieldCount() const;
    const FieldInfo& Field(int index) const;
    /// Index of a field by name (case-insensitive); raises DatabaseError when missing.
    int FieldIndex(const std::string& name) const;

    Variant GetValue(const std::string& field) const;
    Variant GetValue(int index) const;
    std::string GetText(const std::string& field) const;
    std::int32_t GetLong(const std::string& field) const;
    Currency GetCurrency(const std::string& field) const;
    std::int64_t GetTime(const std::string& field) const;

    void SetText(const std::string& field, const std::string& value);
    void SetLong(const std::string& field, std::int32_t value);
    void SetValue(const std::string& field, const Variant& value);
    void SetValue(int index, const Variant& value);

private:
    struct State;
    std::unique_ptr<State> m_state;
    OpenMode m_mode = OpenMode::ReadOnly;
};
