#pragma once

#include "data/RecordRow.h"
#include "data/Recordset.h"
#include "data/Statement.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class Database;

/// The fields of a result and the tables they are written to.
struct RowShape
{
    std::vector<FieldInfo> fields;
    std::vector<int> fieldTable;     ///< per field: index into tables, -1 when not writable
    std::vector<std::string> tables; ///< origin tables whose row ids the rows carry
};

/// Writes the rows of a writable Recordset: one INSERT or UPDATE per origin table, each to
/// the origin columns of the changed fields. The statements, which run once per row
/// written, stay prepared for the writer's life instead of being compiled per row.
class RowWriter
{
public:
    explicit RowWriter(Database& db) : m_db(db) {}

    /// The tables that hold a changed field; a new row with nothing set goes to the first.
    static std::vector<std::size_t> TablesToWrite(const RowShape& shape,
                                                  const std::vector<bool>& changed, bool adding);
    /// Inserts the changed fields of a new row into one table, then keeps the new row id
    /// and reads back what the table supplied: defaults of the fields not written, and
    /// numbers its triggers gave to fields written empty.
    void Insert(const RowShape& shape, std::size_t table, RecordRow& row,
                const std::vector<bool>& changed);
    /// Updates the changed fields of a row in one table.
    void Change(const RowShape& shape, std::size_t table, const RecordRow& row,
                const std::vector<bool>& changed);
    /// Deletes a row of the first table.
    void Delete(const RowShape& shape, std::int64_t rowid);

private:
    /// The statement kept under the key, ready to run; its text is built only once.
    Statement& Kept(const std::string& key, const std::function<std::string()>& build);
    void Reload(const RowShape& shape, std::size_t table, RecordRow& row,
                const std::vector<bool>& changed);

    Database& m_db;
    std::unordered_map<std::string, Statement> m_statements;
};
