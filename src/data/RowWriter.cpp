#include "data/RowWriter.h"

#include "data/Database.h"
#include "data/SchemaCatalog.h"

#include <sqlite3.h>

namespace
{
// The fields of one table that the current edit changed.
std::vector<std::size_t> ChangedFields(const RowShape& shape, std::size_t table,
                                       const std::vector<bool>& changed)
{
    std::vector<std::size_t> written;
    for (std::size_t i = 0; i < shape.fields.size(); ++i)
        if (shape.fieldTable[i] == static_cast<int>(table) && changed[i])
            written.push_back(i);
    return written;
}

// Names a kept statement by what it writes or reads.
std::string StatementKey(char verb, std::size_t table, const std::vector<std::size_t>& columns)
{
    std::string key(1, verb);
    key += std::to_string(table);
    for (std::size_t column : columns)
        key += "," + std::to_string(column);
    return key;
}

std::string ColumnList(const RowShape& shape, const std::vector<std::size_t>& columns,
                       const char* suffix)
{
    std::string list;
    for (std::size_t i : columns)
        list += (list.empty() ? "" : ", ") + QuoteName(shape.fields[i].originColumn) + suffix;
    return list;
}

std::string InsertSql(const std::string& table, const std::string& columns, std::size_t count)
{
    if (count == 0)
        return "INSERT INTO " + QuoteName(table) + " DEFAULT VALUES";
    std::string marks = "?";
    for (std::size_t k = 1; k < count; ++k)
        marks += ", ?";
    return "INSERT INTO " + QuoteName(table) + " (" + columns + ") VALUES (" + marks + ")";
}

int Parameter(std::size_t k)
{
    return static_cast<int>(k + 1);
}
} // namespace

std::vector<std::size_t> RowWriter::TablesToWrite(const RowShape& shape,
                                                  const std::vector<bool>& changed, bool adding)
{
    std::vector<std::size_t> touched;
    for (std::size_t t = 0; t < shape.tables.size(); ++t)
        if (!ChangedFields(shape, t, changed).empty())
            touched.push_back(t);
    if (touched.empty() && adding && !shape.tables.empty())
        touched.push_back(0);
    return touched;
}

Statement& RowWriter::Kept(const std::string& key, const std::function<std::string()>& build)
{
    auto found = m_statements.find(key);
    if (found == m_statements.end())
        found = m_statements.emplace(key, Statement(m_db.Handle(), build())).first;
    return found->second;
}

void RowWriter::Insert(const RowShape& shape, std::size_t table, RecordRow& row,
                       const std::vector<bool>& changed)
{
    std::vector<std::size_t> written = ChangedFields(shape, table, changed);
    Statement& insert = Kept(
        StatementKey('I', table, written), [&]
        { return InsertSql(shape.tables[table], ColumnList(shape, written, ""), written.size()); });
    {
        StatementReset reset(insert);
        for (std::size_t k = 0; k < written.size(); ++k)
            insert.Bind(Parameter(k), row.values[written[k]], shape.fields[written[k]].kind);
        insert.Run();
    }
    row.rowids[table] = sqlite3_last_insert_rowid(m_db.Handle());
    Reload(shape, table, row, changed);
}

void RowWriter::Reload(const RowShape& shape, std::size_t table, RecordRow& row,
                       const std::vector<bool>& changed)
{
    std::vector<std::size_t> read;
    for (std::size_t i = 0; i < shape.fields.size(); ++i)
        if (shape.fieldTable[i] == static_cast<int>(table) &&
            (!changed[i] || row.values[i].IsNull()))
            read.push_back(i);
    if (read.empty())
        return;
    Statement& select = Kept(StatementKey('S', table, read),
                             [&]
                             {
                                 return "SELECT " + ColumnList(shape, read, "") + " FROM " +
                                        QuoteName(shape.tables[table]) + " WHERE rowid = ?";
                             });
    StatementReset reset(select);
    select.Bind(1, row.rowids[table]);
    if (select.Step())
        for (std::size_t k = 0; k < read.size(); ++k)
            row.values[read[k]] =
                select.ColumnValue(static_cast<int>(k), shape.fields[read[k]].kind);
}

void RowWriter::Change(const RowShape& shape, std::size_t table, const RecordRow& row,
                       const std::vector<bool>& changed)
{
    std::vector<std::size_t> written = ChangedFields(shape, table, changed);
    if (written.empty())
        return;
    Statement& update = Kept(StatementKey('U', table, written),
                             [&]
                             {
                                 return "UPDATE " + QuoteName(shape.tables[table]) + " SET " +
                                        ColumnList(shape, written, " = ?") + " WHERE rowid = ?";
                             });
    StatementReset reset(update);
    for (std::size_t k = 0; k < written.size(); ++k)
        update.Bind(Parameter(k), row.values[written[k]], shape.fields[written[k]].kind);
    update.Bind(Parameter(written.size()), row.rowids[table]);
    update.Run();
}

void RowWriter::Delete(const RowShape& shape, std::int64_t rowid)
{
    Statement& remove =
        Kept("D", [&] { return "DELETE FROM " + QuoteName(shape.tables[0]) + " WHERE rowid = ?"; });
    StatementReset reset(remove);
    remove.Bind(1, rowid);
    remove.Run();
}
