#include "data/Recordset.h"

#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/FindIndex.h"
#include "data/JetSql.h"
#include "data/QueryCache.h"
#include "data/RowWriter.h"
#include "data/SchemaCatalog.h"

#include <algorithm>
#include <optional>

namespace
{
using Kind = Variant::Kind;

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

struct Recordset::State
{
    explicit State(Database& database) : db(&database), writer(database) {}

    Database* db;
    std::string sql; ///< as given, in the Jet dialect
    RowShape shape;

    Statement stream; ///< read-only mode: the running statement
    bool streamAtEnd = true;
    bool streamHadRows = false;
    RecordRow streamRow;

    std::vector<RecordRow> rows; ///< keyset modes: every row of the result
    std::size_t pos = 0;

    enum class Edit
    {
        None,
        Changing,
        Adding
    } edit = Edit::None;
    RecordRow editRow;
    std::vector<bool> changed;

    RowWriter writer;
    FindIndex index; ///< the fields searched with Find

    std::weak_ptr<QueryCache> cache; ///< where a statement from the cache goes back to
    bool streamFromCache = false;

    ~State() { Finish(std::move(stream)); }

    RecordRow ReadRow(const Statement& stmt) const
    {
        RecordRow row;
        std::size_t fieldCount = shape.fields.size();
        row.values.reserve(fieldCount);
        for (std::size_t i = 0; i < fieldCount; ++i)
            row.values.push_back(stmt.ColumnValue(static_cast<int>(i), shape.fields[i].kind));
        for (std::size_t t = 0; t < shape.tables.size(); ++t)
            row.rowids.push_back(stmt.ColumnInt64(static_cast<int>(fieldCount + t)));
        return row;
    }

    void Advance()
    {
        bool more = false;
        try
        {
            more = stream.Step();
        }
        catch (...)
        {
            streamAtEnd = true;
            Finish(std::move(stream));
            throw;
        }
        if (more)
        {
            streamRow = ReadRow(stream);
            streamHadRows = true;
            return;
        }
        streamAtEnd = true;
        Finish(std::move(stream));
    }

    void Load(OpenMode mode)
    {
        bool writable = mode == OpenMode::KeysetLock || mode == OpenMode::KeysetEdit;
        shape.tables.clear();
        Statement stmt;
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
            stmt = std::move(query.statement);
            translated = std::move(query.translated);
            cache = db->Queries();
            streamFromCache = true;
            if (translated.verb != "SELECT")
            {
                Finish(std::move(stmt));
                NotAQuery();
            }
        }
        DescribeFields(stmt, translated);
        if (mode == OpenMode::ReadOnly)
        {
            stream = std::move(stmt);
            streamAtEnd = false;
            Advance();
            return;
        }
        rows.clear();
        try
        {
            while (stmt.Step())
                rows.push_back(ReadRow(stmt));
        }
        catch (...)
        {
            Finish(std::move(stmt));
            throw;
        }
        Finish(std::move(stmt));
        pos = 0;
    }

    void RequireQuery(const TranslatedSql& translated) const
    {
        if (translated.verb != "SELECT")
            NotAQuery();
    }

    [[noreturn]] void NotAQuery() const
    {
        throw DatabaseError(Status::ErrorsInCommand,
                            "Only a query can be opened as a result set: " + sql);
    }

    // A writable result carries the row ids of its tables as hidden last columns.
    Statement PrepareWritable(const TranslatedSql& translated)
    {
        std::string text = translated.sql;
        if (translated.updatable && translated.fromOffset != std::string::npos)
        {
            std::string rowids;
            for (const TableRef& ref : translated.tables)
            {
                rowids += ", " + QuoteName(ref.reference) + ".rowid";
                shape.tables.push_back(ref.table);
            }
            text.insert(translated.fromOffset, rowids + " ");
        }
        return Statement(db->Handle(), text);
    }

    // Gives a statement back to the cache it came from, or finalizes it.
    void Finish(Statement stmt)
    {
        if (!stmt.IsPrepared() || !streamFromCache)
            return;
        streamFromCache = false;
        if (auto queries = cache.lock())
            queries->Release(sql, std::move(stmt));
    }

    void DescribeFields(const Statement& stmt, const TranslatedSql& translated)
    {
        int count = stmt.ColumnCount() - static_cast<int>(shape.tables.size());
        shape.fields.clear();
        shape.fieldTable.clear();
        for (int i = 0; i < count; ++i)
        {
            FieldInfo field;
            field.name = stmt.ColumnName(i);
            field.originTable = stmt.ColumnOriginTable(i);
            field.originColumn = stmt.ColumnOriginName(i);
            std::string declared = stmt.ColumnDeclaredType(i);
            if (!declared.empty())
                field.kind = SchemaCatalog::KindOfDeclaredType(declared);
            else if (static_cast<std::size_t>(i) < translated.selectKinds.size())
                field.kind = translated.selectKinds[static_cast<std::size_t>(i)];
            if (!field.originTable.empty())
                if (const ColumnDef* origin =
                        db->Catalog().Column(field.originTable, field.originColumn))
                    field.exactText = origin->kind == Kind::Text && origin->collation == "BINARY";
            int owner = -1;
            for (std::size_t t = 0; t < shape.tables.size() && !field.originTable.empty(); ++t)
                if (owner < 0 && EqualsNoCase(shape.tables[t], field.originTable))
                    owner = static_cast<int>(t);
            shape.fieldTable.push_back(owner);
            shape.fields.push_back(std::move(field));
        }
    }

    const RecordRow& Current() const
    {
        if (edit != Edit::None)
            return editRow;
        if (stream.IsPrepared() || !streamAtEnd)
        {
            if (streamAtEnd)
                NoCurrentRecord();
            return streamRow;
        }
        if (pos >= rows.size())
            NoCurrentRecord();
        return rows[pos];
    }
};

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

void Recordset::Open(const std::string& sql, Database& db, OpenMode mode)
{
    Close();
    auto state = std::make_unique<State>(db);
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
    m_state->index.Clear();
    m_state->Finish(std::move(m_state->stream));
    m_state->Load(m_mode);
}

void Recordset::Find(const std::string& criteria)
{
    REQUIRE_OPEN();
    if (m_mode == OpenMode::ReadOnly)
        throw DatabaseError(Status::NotSupported, "A forward-only result set cannot be searched.");
    auto [name, value] = ParseFindCriteria(criteria);
    int field = FieldIndex(name);
    State& s = *m_state;
    const FieldInfo& info = s.shape.fields[static_cast<std::size_t>(field)];
    if (!value.IsNull() && info.kind != Kind::Null)
    {
        try
        {
            value = value.ConvertTo(info.kind);
        }
        catch (const DatabaseError&)
        {
            s.pos = s.rows.size(); // a value the field cannot hold matches no row
            return;
        }
    }
    if (!s.index.Has(field))
        s.index.Build(field, info.exactText, s.rows);
    s.pos = s.index.Next(field, value, s.pos, s.rows.size());
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
    if (m_mode == OpenMode::ReadOnly || m_mode == OpenMode::KeysetRead || s.shape.tables.empty())
        NotUpdatable();
    if (s.edit != State::Edit::None)
        Update();
    s.editRow = RecordRow{std::vector<Variant>(s.shape.fields.size()),
                          std::vector<std::int64_t>(s.shape.tables.size())};
    s.changed.assign(s.shape.fields.size(), false);
    s.edit = State::Edit::Adding;
}

void Recordset::Update()
{
    REQUIRE_OPEN();
    State& s = *m_state;
    if (s.edit == State::Edit::None)
        return;
    bool adding = s.edit == State::Edit::Adding;
    std::vector<std::size_t> touched = RowWriter::TablesToWrite(s.shape, s.changed, adding);
    // One statement is atomic by itself; a row spread over several tables is written whole.
    std::optional<Transaction> transaction;
    if (touched.size() > 1)
        transaction.emplace(*s.db);
    for (std::size_t t : touched)
    {
        if (adding)
            s.writer.Insert(s.shape, t, s.editRow, s.changed);
        else
            s.writer.Change(s.shape, t, s.editRow, s.changed);
    }
    if (transaction)
        transaction->Commit();
    if (adding)
    {
        s.rows.push_back(std::move(s.editRow));
        s.pos = s.rows.size() - 1;
    }
    else
    {
        s.index.Remove(s.pos, s.rows[s.pos]);
        s.rows[s.pos] = std::move(s.editRow);
    }
    s.index.Add(s.pos, s.rows[s.pos]);
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
    if (m_mode == OpenMode::ReadOnly || m_mode == OpenMode::KeysetRead ||
        s.shape.tables.size() != 1)
        NotUpdatable();
    if (s.edit == State::Edit::Adding)
    {
        s.edit = State::Edit::None;
        return;
    }
    s.edit = State::Edit::None;
    if (s.pos >= s.rows.size())
        NoCurrentRecord();
    s.writer.Delete(s.shape, s.rows[s.pos].rowids[0]);
    s.rows.erase(s.rows.begin() + static_cast<std::ptrdiff_t>(s.pos));
    s.index.Clear();
}

std::unique_ptr<Recordset> Recordset::DuplicateRow()
{
    REQUIRE_OPEN();
    const State& s = *m_state;
    if (m_mode == OpenMode::ReadOnly)
        NotUpdatable();
    const RecordRow& source = s.Current();
    auto clone = std::make_unique<Recordset>();
    auto state = std::make_unique<State>(*s.db);
    state->sql = s.sql;
    state->shape = s.shape;
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
    return static_cast<int>(m_state->shape.fields.size());
}

const FieldInfo& Recordset::Field(int index) const
{
    REQUIRE_OPEN();
    if (index < 0 || index >= FieldCount())
        throw DatabaseError(Status::ItemNotFound,
                            "There is no field " + std::to_string(index) + " in the result set.");
    return m_state->shape.fields[static_cast<std::size_t>(index)];
}

int Recordset::FieldIndex(const std::string& name) const
{
    REQUIRE_OPEN();
    const auto& fields = m_state->shape.fields;
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
    const FieldInfo& field = s.shape.fields[static_cast<std::size_t>(index)];
    Variant converted = field.kind == Kind::Null ? value : value.ConvertTo(field.kind);
    if (s.edit == State::Edit::None)
    {
        s.editRow = s.Current();
        s.changed.assign(s.shape.fields.size(), false);
        s.edit = State::Edit::Changing;
    }
    s.editRow.values[static_cast<std::size_t>(index)] = std::move(converted);
    s.changed[static_cast<std::size_t>(index)] = true;
}
