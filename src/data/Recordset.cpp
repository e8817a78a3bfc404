#include "data/Recordset.h"

#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/Engine.h"
#include "data/JetSql.h"
#include "data/QueryCache.h"
#include "data/SchemaCatalog.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace
{
using Kind = Variant::Kind;

struct Row
{
    std::vector<Variant> values;
    std::vector<std::int64_t> rowids; ///< one per origin table
};

[[noreturn]] void NoCurrentRecord()
{
    throw DatabaseError(Status::NoCurrentRecord,
                        "Either BOF or EOF is True, or the current record has been deleted.");
}

[[noreturn]] void NotUpdatable()
{
    throw DatabaseError(Status::NotSupported, "The result set cannot be changed: it was opened "
                                              "read-only or its rows do not map onto a table.");
}

} // namespace

Variant ReadColumnValue(sqlite3_stmt* stmt, int column, Variant::Kind kind)
{
    int type = sqlite3_column_type(stmt, column);
    if (type == SQLITE_NULL)
        return Variant();
    auto text = [&]()
    {
        const unsigned char* t = sqlite3_column_text(stmt, column);
        return std::string(t ? reinterpret_cast<const char*>(t) : "",
                           static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)));
    };
    bool numeric = type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    switch (kind)
    {
    case Kind::Currency:
        if (type == SQLITE_INTEGER)
            return Variant::FromCurrency(Currency::FromUnits(sqlite3_column_int64(stmt, column)));
        if (type == SQLITE_FLOAT)
            return Variant::FromCurrency(
                Currency::FromUnits(std::llround(sqlite3_column_double(stmt, column))));
        break;
    case Kind::Long:
        if (type == SQLITE_INTEGER)
            return Variant::FromLong(sqlite3_column_int64(stmt, column));
        if (type == SQLITE_FLOAT)
            return Variant::FromDouble(sqlite3_column_double(stmt, column));
        break;
    case Kind::Bool:
        if (numeric)
            return Variant::FromBool(sqlite3_column_double(stmt, column) != 0);
        break;
    case Kind::Date:
        if (type == SQLITE_TEXT)
            if (auto date = ParseStorageText(text()))
                return Variant::FromDate(*date);
        break;
    case Kind::Single:
        if (numeric)
            return Variant::FromSingle(sqlite3_column_double(stmt, column));
        break;
    case Kind::Double:
        if (numeric)
            return Variant::FromDouble(sqlite3_column_double(stmt, column));
        break;
    case Kind::Text:
        return Variant::FromText(text());
    case Kind::Null:
        break;
    }
    if (type == SQLITE_INTEGER)
        return Variant::FromLong(sqlite3_column_int64(stmt, column));
    if (type == SQLITE_FLOAT)
        return Variant::FromDouble(sqlite3_column_double(stmt, column));
    return Variant::FromText(text());
}

namespace
{

int BindValue(sqlite3_stmt* stmt, int index, const Variant& value, Kind kind)
{
    if (value.IsNull())
        return sqlite3_bind_null(stmt, index);
    if (kind == Kind::Null)
        kind = value.GetKind();
    switch (kind)
    {
    case Kind::Currency:
        return sqlite3_bind_int64(stmt, index, value.ToCurrency().Units());
    case Kind::Long:
        return sqlite3_bind_int64(stmt, index,
                                  value.GetKind() == Kind::Long ? value.RawLong() : value.ToLong());
    case Kind::Bool:
        return sqlite3_bind_int(stmt, index, value.ToBool() ? 1 : 0);
    case Kind::Date:
        return sqlite3_bind_text(stmt, index, ToStorageText(value.ToDate()).c_str(), -1,
                                 SQLITE_TRANSIENT);
    case Kind::Single:
    case Kind::Double:
        return sqlite3_bind_double(stmt, index, value.ToDouble());
    default:
        return sqlite3_bind_text(stmt, index, value.ToText().c_str(), -1, SQLITE_TRANSIENT);
    }
}

// Statements a Recordset runs once per row written (its INSERT, UPDATE, read-back and
// DELETE), kept prepared for the Recordset's life instead of being compiled per row.
class StatementCache
{
public:
    StatementCache() = default;
    ~StatementCache()
    {
        for (auto& entry : m_statements)
            sqlite3_finalize(entry.second);
    }
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    /// The prepared statement kept under the key, reset and without bindings; the text is
    /// built only the first time the key is asked for.
    template <typename BuildSql>
    sqlite3_stmt* Get(sqlite3* db, const std::string& key, BuildSql build)
    {
        auto found = m_statements.find(key);
        if (found != m_statements.end())
        {
            sqlite3_reset(found->second);
            sqlite3_clear_bindings(found->second);
            return found->second;
        }
        std::string sql = build();
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK)
        {
            sqlite3_finalize(stmt);
            ThrowEngineError(db, rc);
        }
        m_statements.emplace(key, stmt);
        return stmt;
    }

private:
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
};

// A prepared statement that is finalized when it goes out of scope, or, when it comes from
// a cache, reset so that it holds no lock and can run again.
class Statement
{
public:
    Statement(sqlite3* db, const std::string& sql) : m_db(db)
    {
        int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &m_stmt, nullptr);
        if (rc != SQLITE_OK)
        {
            sqlite3_finalize(m_stmt);
            ThrowEngineError(db, rc);
        }
    }
    Statement(sqlite3* db, sqlite3_stmt* cached) : m_db(db), m_stmt(cached), m_cached(true) {}
    ~Statement()
    {
        if (m_cached)
            sqlite3_reset(m_stmt);
        else
            sqlite3_finalize(m_stmt);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* Get() const { return m_stmt; }
    void Bind(int index, const Variant& value, Kind kind)
    {
        int rc = BindValue(m_stmt, index, value, kind);
        if (rc != SQLITE_OK)
            ThrowEngineError(m_db, rc);
    }
    void BindRowid(int index, std::int64_t rowid) { sqlite3_bind_int64(m_stmt, index, rowid); }
    bool Step()
    {
        int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            ThrowEngineError(m_db, rc);
        return false;
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_cached = false;
};

std::string FindKey(const Variant& value)
{
    if (value.IsNull())
        return std::string("\x01");
    if (value.GetKind() == Kind::Text)
        return UpperAscii(value.RawText());
    return UpperAscii(value.ToText());
}

// Reads "Column = 'value'" (also a number or #date# value, and a bracketed name).
std::pair<std::string, Variant> ParseCriteria(const std::string& criteria)
{
    std::vector<SqlToken> tokens;
    for (SqlToken& t : TokenizeSql(criteria))
        if (t.type != SqlToken::Type::Space)
            tokens.push_back(std::move(t));
    bool shaped =
        tokens.size() == 3 && tokens[1].IsSymbol("=") &&
        (tokens[0].type == SqlToken::Type::Word || tokens[0].type == SqlToken::Type::QuotedName);
    if (!shaped)
        throw DatabaseError(Status::ErrorsInCommand, "The search criteria \"" + criteria +
                                                         "\" are not of the form "
                                                         "Column = 'value'.");
    const SqlToken& v = tokens[2];
    Variant value;
    if (v.type == SqlToken::Type::String)
    {
        std::string text;
        for (std::size_t i = 1; i + 1 < v.text.size(); ++i)
        {
            text += v.text[i];
            if (v.text[i] == '\'')
                ++i; // a doubled quote stands for one
        }
        value = Variant::FromText(text);
    }
    else if (v.type == SqlToken::Type::Number)
        value = Variant::FromText(v.text);
    else if (v.type == SqlToken::Type::Date)
        value = Variant::FromDate(
            *ParseStorageText(TranslateDateLiteral(v.text.substr(1, v.text.size() - 2))));
    else if (!v.IsWord("NULL"))
        throw DatabaseError(Status::ErrorsInCommand,
                            "The search value in \"" + criteria + "\" is not a literal.");
    return {tokens[0].Name(), value};
}
} // namespace

struct Recordset::State
{
    Database* db = nullptr;
    std::string sql; ///< as given, in the Jet dialect
    std::vector<FieldInfo> fields;
    std::vector<int> fieldTable;     ///< per field: index into tables, -1 when not writable
    std::vector<std::string> tables; ///< origin tables whose row ids the rows carry

    sqlite3_stmt* stream = nullptr; ///< read-only mode: the running statement
    bool streamAtEnd = true;
    bool streamHadRows = false;
    Row streamRow;

    std::vector<Row> rows; ///< keyset modes: every row of the result
    std::size_t pos = 0;

    enum class Edit
    {
        None,
        Changing,
        Adding
    } edit = Edit::None;
    Row editRow;
    std::vector<bool> changed;

    StatementCache statements; ///< writes and read-backs of rows

    /// Per field searched with Find: the row indexes of each value, ascending.
    std::unordered_map<int, std::unordered_map<std::string, std::vector<std::size_t>>> indexes;

    std::weak_ptr<QueryCache> cache; ///< where a cached statement goes back to
    sqlite3_stmt* cached = nullptr;  ///< the statement taken from the cache, while held

    ~State() { Finish(stream); }

    Row ReadRow(sqlite3_stmt* stmt) const
    {
        Row row;
        row.values.reserve(fields.size());
        for (std::size_t i = 0; i < fields.size(); ++i)
            row.values.push_back(ReadColumnValue(stmt, static_cast<int>(i), fields[i].kind));
        for (std::size_t t = 0; t < tables.size(); ++t)
            row.rowids.push_back(sqlite3_column_int64(stmt, static_cast<int>(fields.size() + t)));
        return row;
    }

    void Advance()
    {
        int rc = sqlite3_step(stream);
        if (rc == SQLITE_ROW)
        {
            streamRow = ReadRow(stream);
            streamHadRows = true;
            return;
        }
        streamAtEnd = true;
        Finish(stream);
        stream = nullptr;
        if (rc != SQLITE_DONE)
            ThrowEngineError(db->Handle(), rc);
    }

    void Load(OpenMode mode)
    {
        bool writable = mode == OpenMode::KeysetLock || mode == OpenMode::KeysetEdit;
        tables.clear();
        sqlite3_stmt* stmt = nullptr;
        TranslatedSql translated;
        if (writable)
        {
            translated = TranslateJetSql(sql, db->Catalog());
            RequireQuery(translated);
            stmt = PrepareWritable(translated);
        }
        else
        {
            QueryCache::Query query = db->Queries()->Acquire(sql, db->Catalog());
            stmt = query.statement;
            translated = std::move(query.translated);
            cache = db->Queries();
            cached = stmt;
            if (translated.verb != "SELECT")
            {
                Finish(stmt);
                RequireQuery(translated);
            }
        }
        DescribeFields(stmt, translated);
        if (mode == OpenMode::ReadOnly)
        {
            stream = stmt;
            streamAtEnd = false;
            Advance();
            return;
        }
        rows.clear();
        int rc;
        for (;;)
        {
            rc = sqlite3_step(stmt);
            if (rc != SQLITE_ROW)
                break;
            rows.push_back(ReadRow(stmt));
        }
        Finish(stmt);
        if (rc != SQLITE_DONE)
            ThrowEngineError(db->Handle(), rc);
        pos = 0;
    }

    void RequireQuery(const TranslatedSql& translated) const
    {
        if (translated.verb != "SELECT")
            throw DatabaseError(Status::ErrorsInCommand,
                                "Only a query can be opened as a result set: " + sql);
    }

    // A writable result carries the row ids of its tables as hidden last columns.
    sqlite3_stmt* PrepareWritable(const TranslatedSql& translated)
    {
        std::string text = translated.sql;
        if (translated.updatable && translated.fromOffset != std::string::npos)
        {
            std::string rowids;
            for (const TableRef& ref : translated.tables)
            {
                rowids += ", " + QuoteName(ref.reference) + ".rowid";
                tables.push_back(ref.table);
            }
            text.insert(translated.fromOffset, rowids + " ");
        }
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(db->Handle(), text.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK)
        {
            sqlite3_finalize(stmt);
            ThrowEngineError(db->Handle(), rc);
        }
        return stmt;
    }

    // Gives a statement back to the cache it came from, or finalizes it.
    void Finish(sqlite3_stmt* stmt)
    {
        if (stmt && stmt == cached)
        {
            cached = nullptr;
            if (auto queries = cache.lock())
            {
                queries->Release(sql, stmt);
                return;
            }
        }
        sqlite3_finalize(stmt);
    }

    void DescribeFields(sqlite3_stmt* stmt, const TranslatedSql& translated)
    {
        int count = sqlite3_column_count(stmt) - static_cast<int>(tables.size());
        fields.clear();
        fieldTable.clear();
        for (int i = 0; i < count; ++i)
        {
            FieldInfo field;
            field.name = sqlite3_column_name(stmt, i);
            const char* table = sqlite3_column_table_name(stmt, i);
            const char* column = sqlite3_column_origin_name(stmt, i);
            field.originTable = table ? table : "";
            field.originColumn = column ? column : "";
            const char* declared = sqlite3_column_decltype(stmt, i);
            if (declared)
                field.kind = SchemaCatalog::KindOfDeclaredType(declared);
            else if (static_cast<std::size_t>(i) < translated.selectKinds.size())
                field.kind = translated.selectKinds[i];
            int owner = -1;
            for (std::size_t t = 0; t < tables.size() && table; ++t)
                if (owner < 0 && EqualsNoCase(tables[t], field.originTable))
                    owner = static_cast<int>(t);
            fieldTable.push_back(owner);
            fields.push_back(std::move(field));
        }
    }

    const Row& Current() const
    {
        if (edit != Edit::None)
            return editRow;
        if (stream || !streamAtEnd)
        {
            if (streamAtEnd)
                NoCurrentRecord();
            return streamRow;
        }
        if (pos >= rows.size())
            NoCurrentRecord();
        return rows[pos];
    }

    void IndexRemove(std::size_t row, const Row& values)
    {
        for (auto& [field, index] : indexes)
        {
            auto& list = index[FindKey(values.values[field])];
            list.erase(std::remove(list.begin(), list.end(), row), list.end());
        }
    }

    void IndexAdd(std::size_t row, const Row& values)
    {
        for (auto& [field, index] : indexes)
        {
            auto& list = index[FindKey(values.values[field])];
            list.insert(std::lower_bound(list.begin(), list.end(), row), row);
        }
    }

    void BuildIndex(int field)
    {
        auto& index = indexes[field];
        index.reserve(rows.size() + 1024);
        for (std::size_t r = 0; r < rows.size(); ++r)
            index[FindKey(rows[r].values[field])].push_back(r);
    }

    // The tables that hold a changed field; a new row with nothing set goes to the first.
    std::vector<std::size_t> TablesToWrite() const
    {
        std::vector<std::size_t> touched;
        for (std::size_t t = 0; t < tables.size(); ++t)
            for (std::size_t i = 0; i < fields.size(); ++i)
                if (changed[i] && fieldTable[i] == static_cast<int>(t))
                {
                    touched.push_back(t);
                    break;
                }
        if (touched.empty() && edit == Edit::Adding && !tables.empty())
            touched.push_back(0);
        return touched;
    }

    // The fields of one table that the current edit changed.
    std::vector<std::size_t> ChangedFields(std::size_t table) const
    {
        std::vector<std::size_t> written;
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fieldTable[i] == static_cast<int>(table) && changed[i])
                written.push_back(i);
        return written;
    }

    // Names a cached write statement by what it writes, so its text is built only once.
    static std::string StatementKey(char verb, std::size_t table,
                                    const std::vector<std::size_t>& columns)
    {
        std::string key(1, verb);
        key += std::to_string(table);
        for (std::size_t column : columns)
            key += "," + std::to_string(column);
        return key;
    }

    std::string ColumnList(const std::vector<std::size_t>& columns, const char* suffix) const
    {
        std::string list;
        for (std::size_t i : columns)
            list += (list.empty() ? "" : ", ") + QuoteName(fields[i].originColumn) + suffix;
        return list;
    }

    void Insert(std::size_t table)
    {
        std::vector<std::size_t> written = ChangedFields(table);
        Statement insert(db->Handle(),
                         statements.Get(db->Handle(), StatementKey('I', table, written),
                                        [&]
                                        {
                                            if (written.empty())
                                                return "INSERT INTO " + QuoteName(tables[table]) +
                                                       " DEFAULT VALUES";
                                            std::string marks = "?";
                                            for (std::size_t k = 1; k < written.size(); ++k)
                                                marks += ", ?";
                                            return "INSERT INTO " + QuoteName(tables[table]) +
                                                   " (" + ColumnList(written, "") + ") VALUES (" +
                                                   marks + ")";
                                        }));
        for (std::size_t k = 0; k < written.size(); ++k)
            insert.Bind(static_cast<int>(k + 1), editRow.values[written[k]],
                        fields[written[k]].kind);
        insert.Step();
        editRow.rowids[table] = sqlite3_last_insert_rowid(db->Handle());
        Reload(table);
    }

    // Reads back what the table supplied for the new row: defaults of the fields not
    // written, and numbers its triggers gave to fields written empty.
    void Reload(std::size_t table)
    {
        std::vector<std::size_t> read;
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fieldTable[i] == static_cast<int>(table) &&
                (!changed[i] || editRow.values[i].IsNull()))
                read.push_back(i);
        if (read.empty())
            return;
        Statement select(db->Handle(),
                         statements.Get(db->Handle(), StatementKey('S', table, read),
                                        [&]
                                        {
                                            return "SELECT " + ColumnList(read, "") + " FROM " +
                                                   QuoteName(tables[table]) + " WHERE rowid = ?";
                                        }));
        select.BindRowid(1, editRow.rowids[table]);
        if (select.Step())
            for (std::size_t k = 0; k < read.size(); ++k)
                editRow.values[read[k]] =
                    ReadColumnValue(select.Get(), static_cast<int>(k), fields[read[k]].kind);
    }

    void Change(std::size_t table)
    {
        std::vector<std::size_t> written = ChangedFields(table);
        if (written.empty())
            return;
        Statement update(db->Handle(),
                         statements.Get(db->Handle(), StatementKey('U', table, written),
                                        [&]
                                        {
                                            return "UPDATE " + QuoteName(tables[table]) + " SET " +
                                                   ColumnList(written, " = ?") + " WHERE rowid = ?";
                                        }));
        for (std::size_t k = 0; k < written.size(); ++k)
            update.Bind(static_cast<int>(k + 1), editRow.values[written[k]],
                        fields[written[k]].kind);
        update.BindRowid(static_cast<int>(written.size() + 1), editRow.rowids[table]);
        update.Step();
    }
};

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

void Recordset::Open(const std::string& sql, Database& db, OpenMode mode)
{
    Close();
    auto state = std::make_unique<State>();
    state->db = &db;
    state->sql = sql;
    state->Load(mode);
    m_state = std::move(state);
    m_mode = mode;
}

void Recordset::Close()
{
    m_state.reset();
}

bool Recordset::IsOpen() const
{
    return m_state != nullptr;
}

namespace
{
[[noreturn]] void Closed()
{
    throw DatabaseError(Status::ObjectClosed,
                        "Operation is not allowed when the object is closed.");
}
} // namespace

#define REQUIRE_OPEN()                                                                             \
    if (!m_state)                                                                                  \
    Closed()

Database& Recordset::Owner() const
{
    REQUIRE_OPEN();
    return *m_state->db;
}

bool Recordset::IsEOF() const
{
    REQUIRE_OPEN();
    if (m_state->edit == State::Edit::Adding)
        return false;
    if (m_mode == OpenMode::ReadOnly)
        return m_state->streamAtEnd;
    return m_state->pos >= m_state->rows.size();
}

bool Recordset::IsBOF() const
{
    REQUIRE_OPEN();
    if (m_mode == OpenMode::ReadOnly)
        return !m_state->streamHadRows;
    return m_state->rows.empty();
}

void Recordset::MoveNext()
{
    REQUIRE_OPEN();
    if (m_state->edit != State::Edit::None)
        Update();
    if (m_mode == OpenMode::ReadOnly)
    {
        if (m_state->streamAtEnd)
            NoCurrentRecord();
        m_state->Advance();
        return;
    }
    if (m_state->pos >= m_state->rows.size())
        NoCurrentRecord();
    ++m_state->pos;
}

void Recordset::MoveFirst()
{
    SetAbsolutePosition(0);
}

void Recordset::Requery()
{
    REQUIRE_OPEN();
    m_state->edit = State::Edit::None;
    m_state->indexes.clear();
    m_state->Finish(m_state->stream);
    m_state->stream = nullptr;
    m_state->Load(m_mode);
}

void Recordset::Find(const std::string& criteria)
{
    REQUIRE_OPEN();
    if (m_mode == OpenMode::ReadOnly)
        throw DatabaseError(Status::NotSupported, "A forward-only result set cannot be searched.");
    auto [name, value] = ParseCriteria(criteria);
    int field = FieldIndex(name);
    State& s = *m_state;
    if (!value.IsNull() && s.fields[field].kind != Kind::Null)
    {
        try
        {
            value = value.ConvertTo(s.fields[field].kind);
        }
        catch (const DatabaseError&)
        {
            s.pos = s.rows.size(); // a value the field cannot hold matches no row
            return;
        }
    }
    if (s.indexes.find(field) == s.indexes.end())
        s.BuildIndex(field);
    auto& index = s.indexes[field];
    auto found = index.find(FindKey(value));
    if (found == index.end())
    {
        s.pos = s.rows.size();
        return;
    }
    auto next = std::lower_bound(found->second.begin(), found->second.end(), s.pos);
    s.pos = next == found->second.end() ? s.rows.size() : *next;
}

std::size_t Recordset::RecordCount() const
{
    REQUIRE_OPEN();
    return m_state->rows.size();
}

std::size_t Recordset::AbsolutePosition() const
{
    REQUIRE_OPEN();
    return std::min(m_state->pos, m_state->rows.size());
}

void Recordset::SetAbsolutePosition(std::size_t row)
{
    REQUIRE_OPEN();
    if (m_mode == OpenMode::ReadOnly)
        throw DatabaseError(Status::NotSupported, "A forward-only result set cannot move back.");
    if (m_state->edit != State::Edit::None)
        Update();
    m_state->pos = std::min(row, m_state->rows.size());
}

void Recordset::AddNew()
{
    REQUIRE_OPEN();
    State& s = *m_state;
    if (m_mode == OpenMode::ReadOnly || m_mode == OpenMode::KeysetRead || s.tables.empty())
        NotUpdatable();
    if (s.edit != State::Edit::None)
        Update();
    s.editRow =
        Row{std::vector<Variant>(s.fields.size()), std::vector<std::int64_t>(s.tables.size())};
    s.changed.assign(s.fields.size(), false);
    s.edit = State::Edit::Adding;
}

void Recordset::Update()
{
    REQUIRE_OPEN();
    State& s = *m_state;
    if (s.edit == State::Edit::None)
        return;
    std::vector<std::size_t> touched = s.TablesToWrite();
    // One statement is atomic by itself; a row spread over several tables is written whole.
    std::optional<Transaction> transaction;
    if (touched.size() > 1)
        transaction.emplace(*s.db);
    for (std::size_t t : touched)
    {
        if (s.edit == State::Edit::Adding)
            s.Insert(t);
        else
            s.Change(t);
    }
    if (transaction)
        transaction->Commit();
    if (s.edit == State::Edit::Adding)
    {
        s.rows.push_back(std::move(s.editRow));
        s.pos = s.rows.size() - 1;
        s.IndexAdd(s.pos, s.rows[s.pos]);
    }
    else
    {
        s.IndexRemove(s.pos, s.rows[s.pos]);
        s.rows[s.pos] = std::move(s.editRow);
        s.IndexAdd(s.pos, s.rows[s.pos]);
    }
    s.edit = State::Edit::None;
}

void Recordset::CancelUpdate()
{
    REQUIRE_OPEN();
    m_state->edit = State::Edit::None;
}

bool Recordset::IsEditing() const
{
    return m_state && m_state->edit != State::Edit::None;
}

void Recordset::Delete()
{
    REQUIRE_OPEN();
    State& s = *m_state;
    if (m_mode == OpenMode::ReadOnly || m_mode == OpenMode::KeysetRead || s.tables.size() != 1)
        NotUpdatable();
    if (s.edit == State::Edit::Adding)
    {
        s.edit = State::Edit::None;
        return;
    }
    s.edit = State::Edit::None;
    if (s.pos >= s.rows.size())
        NoCurrentRecord();
    Statement remove(s.db->Handle(), s.statements.Get(s.db->Handle(), "D",
                                                      [&] {
                                                          return "DELETE FROM " +
                                                                 QuoteName(s.tables[0]) +
                                                                 " WHERE rowid = ?";
                                                      }));
    remove.BindRowid(1, s.rows[s.pos].rowids[0]);
    remove.Step();
    s.rows.erase(s.rows.begin() + static_cast<std::ptrdiff_t>(s.pos));
    s.indexes.clear();
}

std::unique_ptr<Recordset> Recordset::DuplicateRow()
{
    REQUIRE_OPEN();
    const State& s = *m_state;
    if (m_mode == OpenMode::ReadOnly)
        NotUpdatable();
    const Row& source = s.Current();
    auto clone = std::make_unique<Recordset>();
    auto state = std::make_unique<State>();
    state->db = s.db;
    state->sql = s.sql;
    state->fields = s.fields;
    state->fieldTable = s.fieldTable;
    state->tables = s.tables;
    state->rows = s.rows;
    state->pos = s.pos;
    clone->m_state = std::move(state);
    clone->m_mode = m_mode;
    clone->AddNew();
    for (int i = 0; i < FieldCount(); ++i)
        clone->SetValue(i, source.values[static_cast<std::size_t>(i)]);
    return clone;
}

int Recordset::FieldCount() const
{
    REQUIRE_OPEN();
    return static_cast<int>(m_state->fields.size());
}

const FieldInfo& Recordset::Field(int index) const
{
    REQUIRE_OPEN();
    if (index < 0 || index >= FieldCount())
        throw DatabaseError(Status::ItemNotFound,
                            "There is no field " + std::to_string(index) + " in the result set.");
    return m_state->fields[static_cast<std::size_t>(index)];
}

int Recordset::FieldIndex(const std::string& name) const
{
    REQUIRE_OPEN();
    const auto& fields = m_state->fields;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (EqualsNoCase(fields[i].name, name))
            return static_cast<int>(i);
    throw DatabaseError(Status::ItemNotFound, "The field '" + name + "' is not in the result set.");
}

Variant Recordset::GetValue(const std::string& field) const
{
    return GetValue(FieldIndex(field));
}

Variant Recordset::GetValue(int index) const
{
    Field(index);
    return m_state->Current().values[static_cast<std::size_t>(index)];
}

std::string Recordset::GetText(const std::string& field) const
{
    return GetValue(field).ToText();
}

std::int32_t Recordset::GetLong(const std::string& field) const
{
    return GetValue(field).ToLong();
}

Currency Recordset::GetCurrency(const std::string& field) const
{
    return GetValue(field).ToCurrency();
}

std::int64_t Recordset::GetTime(const std::string& field) const
{
    Variant value = GetValue(field);
    if (value.IsNull())
        return 0;
    return FromLocalCalendar(value.ToDate());
}

void Recordset::SetText(const std::string& field, const std::string& value)
{
    SetValue(FieldIndex(field), Variant::FromText(value));
}

void Recordset::SetLong(const std::string& field, std::int32_t value)
{
    SetValue(FieldIndex(field), Variant::FromLong(value));
}

void Recordset::SetValue(const std::string& field, const Variant& value)
{
    SetValue(FieldIndex(field), value);
}

void Recordset::SetValue(int index, const Variant& value)
{
    Field(index);
    State& s = *m_state;
    if (m_mode == OpenMode::ReadOnly || m_mode == OpenMode::KeysetRead)
        NotUpdatable();
    const FieldInfo& field = s.fields[static_cast<std::size_t>(index)];
    Variant converted = field.kind == Kind::Null ? value : value.ConvertTo(field.kind);
    if (s.edit == State::Edit::None)
    {
        s.editRow = s.Current();
        s.changed.assign(s.fields.size(), false);
        s.edit = State::Edit::Changing;
    }
    s.editRow.values[static_cast<std::size_t>(index)] = std::move(converted);
    s.changed[static_cast<std::size_t>(index)] = true;
}
