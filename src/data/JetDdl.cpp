#include "data/JetDdl.h"

#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/Engine.h"
#include "data/JetSql.h"
#include "data/SchemaCatalog.h"
#include "data/Statement.h"

#include <sqlite3.h>

#include <optional>
#include <vector>

namespace
{
using Type = SqlToken::Type;

// Placeholder kept in a table whose last column was dropped: the engine needs one column.
const char* const NoColumns = "__no_columns__";

[[noreturn]] void DdlError(const std::string& what)
{
    throw DatabaseError(Status::ErrorsInCommand, "Syntax error in schema statement: " + what + ".");
}

// Reads the significant tokens of a schema statement one by one.
class Cursor
{
public:
    explicit Cursor(std::string_view sql)
    {
        for (SqlToken& t : TokenizeSql(sql))
            if (t.type != Type::Space && !t.IsSymbol(";"))
                m_tokens.push_back(std::move(t));
    }

    bool AtEnd() const { return m_pos >= m_tokens.size(); }
    const SqlToken& Peek(std::size_t ahead = 0) const
    {
        static const SqlToken end{Type::Space, "", 0};
        return m_pos + ahead < m_tokens.size() ? m_tokens[m_pos + ahead] : end;
    }
    const SqlToken& Next()
    {
        if (AtEnd())
            DdlError("unexpected end");
        return m_tokens[m_pos++];
    }
    bool Accept(const char* word)
    {
        if (!Peek().IsWord(word))
            return false;
        ++m_pos;
        return true;
    }
    bool AcceptSymbol(const char* symbol)
    {
        if (!Peek().IsSymbol(symbol))
            return false;
        ++m_pos;
        return true;
    }
    void Expect(const char* word)
    {
        if (!Accept(word))
            DdlError(std::string("expected ") + word);
    }
    void ExpectSymbol(const char* symbol)
    {
        if (!AcceptSymbol(symbol))
            DdlError(std::string("expected ") + symbol);
    }
    /// A table or column name: plain, bracketed, quoted, or a number.
    std::string Name()
    {
        const SqlToken& t = Next();
        if (t.type == Type::Word || t.type == Type::QuotedName || t.type == Type::Number)
            return t.Name();
        DdlError("expected a name instead of '" + t.text + "'");
    }

private:
    std::vector<SqlToken> m_tokens;
    std::size_t m_pos = 0;
};

struct JetColumn
{
    std::string name;
    std::string type; // the engine's declared type
    bool notNull = false;
    bool counter = false;
    bool primaryKey = false;
    std::optional<std::string> defaultSql;
    std::string collation; ///< of a text column; empty: Jet's, ignoring case
};

std::string DefaultLiteral(Cursor& c, const std::string& type)
{
    std::string sign;
    if (c.Peek().IsSymbol("-") || c.Peek().IsSymbol("+"))
        sign = c.Next().text == "-" ? "-" : "";
    const SqlToken& t = c.Next();
    if (t.IsWord("YES") || t.IsWord("TRUE"))
        return "1";
    if (t.IsWord("NO") || t.IsWord("FALSE"))
        return "0";
    if (t.type == Type::Number)
    {
        Variant::Kind kind = SchemaCatalog::KindOfDeclaredType(type);
        if (kind == Variant::Kind::Currency)
            return sign + ScaleCurrencyLiteral(t.text);
        return sign + t.text;
    }
    if (t.type == Type::String || t.IsWord("NULL"))
        return t.text;
    if (t.type == Type::Date)
        return "'" + TranslateDateLiteral(t.text.substr(1, t.text.size() - 2)) + "'";
    DdlError("unsupported default '" + t.text + "'");
}

std::string ReadSize(Cursor& c)
{
    std::string size;
    if (!c.AcceptSymbol("("))
        return size;
    while (!c.Peek().IsSymbol(")"))
        size += c.Next().text;
    c.ExpectSymbol(")");
    return size;
}

JetColumn ReadColumn(Cursor& c)
{
    JetColumn column;
    column.name = c.Name();
    if (c.Peek().IsWord("AUTOINCREMENT") || c.Peek().IsWord("COUNTER"))
    {
        c.Next();
        ReadSize(c); // seed and increment are not kept
        column.counter = true;
        column.type = "INTEGER";
    }
    else
    {
        std::string jetType = c.Name();
        column.type = MapJetType(jetType, ReadSize(c));
    }
    while (!c.AtEnd() && !c.Peek().IsSymbol(",") && !c.Peek().IsSymbol(")"))
    {
        if (c.Accept("NOT"))
        {
            c.Expect("NULL");
            column.notNull = true;
        }
        else if (c.Accept("NULL"))
            column.notNull = false;
        else if (c.Accept("DEFAULT"))
            column.defaultSql = DefaultLiteral(c, column.type);
        else if (c.Accept("PRIMARY"))
        {
            c.Expect("KEY");
            column.primaryKey = true;
        }
        else if (c.Accept("AUTOINCREMENT") || c.Accept("COUNTER"))
            column.counter = true;
        else if (c.Accept("COLLATE"))
            column.collation = UpperAscii(c.Name()); // BINARY: compared byte for byte
        else
            DdlError("unexpected '" + c.Peek().text + "' in the column " + column.name);
    }
    return column;
}

bool IsTextType(const std::string& type)
{
    return SchemaCatalog::KindOfDeclaredType(type) == Variant::Kind::Text;
}

// The engine's column definition; text compares without regard to case, as Jet's does,
// unless the column asks for another collation.
std::string ColumnSql(const JetColumn& column)
{
    std::string sql = QuoteName(column.name) + " " + column.type;
    if (column.counter)
        return sql + " PRIMARY KEY AUTOINCREMENT NOT NULL";
    if (IsTextType(column.type))
        sql += " COLLATE " + (column.collation.empty() ? std::string("NOCASE") : column.collation);
    if (column.primaryKey)
        sql += " PRIMARY KEY";
    if (column.notNull)
        sql += " NOT NULL";
    if (column.defaultSql)
        sql += " DEFAULT " + *column.defaultSql;
    return sql;
}

struct StoredTable
{
    std::string name;
    std::vector<ColumnDef> columns;
    bool counter = false;
    std::vector<std::string> primaryKey;
    std::vector<std::string> dependents; // CREATE INDEX and CREATE TRIGGER texts
};

std::vector<std::string> QueryTexts(sqlite3* db, const std::string& sql, const std::string& arg)
{
    std::vector<std::string> texts;
    Statement query(db, sql);
    query.Bind(1, arg);
    while (query.Step())
        if (!query.IsNull(0))
            texts.push_back(query.ColumnText(0));
    return texts;
}

StoredTable ReadStoredTable(Database& db, const std::string& name)
{
    const auto* columns = db.Catalog().Columns(name);
    if (!columns)
        throw DatabaseError(Status::NoSuchTable, "Cannot find the table '" + name + "'.");
    StoredTable table;
    auto names = QueryTexts(db.Handle(),
                            "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? "
                            "COLLATE NOCASE",
                            name);
    table.name = names.empty() ? name : names.front();
    table.columns = *columns;
    auto sql = QueryTexts(
        db.Handle(), "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?", table.name);
    table.counter =
        !sql.empty() && UpperAscii(sql.front()).find("AUTOINCREMENT") != std::string::npos;
    for (const ColumnDef& c : table.columns)
        if (c.primaryKey)
            table.primaryKey.push_back(c.name);
    table.dependents = QueryTexts(db.Handle(),
                                  "SELECT sql FROM sqlite_master WHERE type IN ('index', "
                                  "'trigger') AND tbl_name = ? AND sql IS NOT NULL",
                                  table.name);
    return table;
}

JetColumn FromStored(const StoredTable& table, const ColumnDef& c)
{
    JetColumn column;
    column.name = c.name;
    column.type = c.declaredType;
    column.notNull = c.notNull;
    column.defaultSql = c.defaultSql;
    column.counter = table.counter && c.primaryKey && table.primaryKey.size() == 1;
    column.primaryKey = c.primaryKey && table.primaryKey.size() == 1 && !column.counter;
    if (IsTextType(c.declaredType))
        column.collation = c.collation;
    return column;
}

// The expression that converts a stored value from one kind of column to another.
std::string ConvertExpression(const std::string& column, Variant::Kind from, Variant::Kind to)
{
    using Kind = Variant::Kind;
    std::string c = QuoteName(column);
    if (from == to)
        return c;
    switch (to)
    {
    case Kind::Currency:
        if (from == Kind::Bool)
            return "CASE WHEN " + c + " <> 0 THEN -10000 ELSE 0 END";
        return "CAST(ROUND(CAST(" + c + " AS REAL) * 10000) AS INTEGER)";
    case Kind::Long:
        if (from == Kind::Currency)
            return "CAST(ROUND(" + c + " / 10000.0) AS INTEGER)";
        return "CAST(ROUND(CAST(" + c + " AS REAL)) AS INTEGER)";
    case Kind::Single:
    case Kind::Double:
        if (from == Kind::Currency)
            return "(" + c + " / 10000.0)";
        return "CAST(" + c + " AS REAL)";
    case Kind::Bool:
        return "CASE WHEN " + c + " IS NULL THEN NULL WHEN " + c + " <> 0 THEN 1 ELSE 0 END";
    case Kind::Text:
        // Currency becomes its shortest exact text (12.5, 100), as it reads as text.
        if (from == Kind::Currency)
            return CurrencyTextExpression(c);
        return "CAST(" + c + " AS TEXT)";
    default:
        return c;
    }
}

// Rebuilds a table with new columns, copying its rows; keeps its indexes and triggers.
// Each new column names the stored column it is filled from (empty: left to its default).
void RebuildTable(Database& db, const StoredTable& table, const std::vector<JetColumn>& columns,
                  const std::vector<std::string>& sources)
{
    std::string temp = table.name + "__rebuild";
    std::string create = "CREATE TABLE " + QuoteName(temp) + " (";
    std::string targets;
    std::string values;
    for (std::size_t i = 0; i < columns.size(); ++i)
    {
        create += (i ? ", " : "") + ColumnSql(columns[i]);
        if (sources[i].empty())
            continue;
        Variant::Kind from = db.Catalog().ColumnKind(table.name, sources[i]);
        Variant::Kind to = SchemaCatalog::KindOfDeclaredType(columns[i].type);
        targets += (targets.empty() ? "" : ", ") + QuoteName(columns[i].name);
        values += (values.empty() ? "" : ", ") + ConvertExpression(sources[i], from, to);
    }
    bool multiKey = table.primaryKey.size() > 1;
    if (multiKey)
    {
        create += ", PRIMARY KEY(";
        for (std::size_t i = 0; i < table.primaryKey.size(); ++i)
            create += (i ? ", " : "") + QuoteName(table.primaryKey[i]);
        create += ")";
    }
    create += ")";
    Transaction transaction(db);
    ExecEngine(db.Handle(), create);
    if (!targets.empty())
        ExecEngine(db.Handle(), "INSERT INTO " + QuoteName(temp) + " (" + targets + ") SELECT " +
                                    values + " FROM " + QuoteName(table.name));
    ExecEngine(db.Handle(), "DROP TABLE " + QuoteName(table.name));
    // Triggers of other tables may name this one in their bodies (an account's rename
    // renames transfer categories): the rename takes its place under the same name, so those
    // bodies stay right as written and must not be checked while the name is gone.
    ExecEngine(db.Handle(), "PRAGMA legacy_alter_table = ON");
    try
    {
        ExecEngine(db.Handle(),
                   "ALTER TABLE " + QuoteName(temp) + " RENAME TO " + QuoteName(table.name));
    }
    catch (...)
    {
        ExecEngine(db.Handle(), "PRAGMA legacy_alter_table = OFF");
        throw;
    }
    ExecEngine(db.Handle(), "PRAGMA legacy_alter_table = OFF");
    db.SchemaChanged();
    for (const std::string& dependent : table.dependents)
    {
        // An index or trigger on a column that no longer exists goes with it.
        if (sqlite3_exec(db.Handle(), dependent.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            continue;
    }
    transaction.Commit();
}

void RebuildKeeping(Database& db, const StoredTable& table, const std::vector<JetColumn>& columns)
{
    std::vector<std::string> sources;
    for (const JetColumn& c : columns)
    {
        bool stored = false;
        for (const ColumnDef& old : table.columns)
            stored = stored || EqualsNoCase(old.name, c.name);
        sources.push_back(stored ? c.name : "");
    }
    RebuildTable(db, table, columns, sources);
}

void CreateTable(Database& db, Cursor& c)
{
    std::string name = c.Name();
    c.ExpectSymbol("(");
    std::vector<JetColumn> columns;
    std::vector<std::string> primaryKey;
    do
    {
        if (c.Accept("CONSTRAINT"))
            c.Name();
        if (c.Accept("PRIMARY"))
        {
            c.Expect("KEY");
            c.ExpectSymbol("(");
            do
                primaryKey.push_back(c.Name());
            while (c.AcceptSymbol(","));
            c.ExpectSymbol(")");
        }
        else
            columns.push_back(ReadColumn(c));
    } while (c.AcceptSymbol(","));
    c.ExpectSymbol(")");
    if (primaryKey.size() == 1)
    {
        for (JetColumn& column : columns)
            if (EqualsNoCase(column.name, primaryKey.front()))
            {
                column.primaryKey = !column.counter;
                primaryKey.clear();
            }
    }
    std::string sql = "CREATE TABLE " + QuoteName(name) + " (";
    for (std::size_t i = 0; i < columns.size(); ++i)
        sql += (i ? ", " : "") + ColumnSql(columns[i]);
    if (!primaryKey.empty())
    {
        sql += ", PRIMARY KEY(";
        for (std::size_t i = 0; i < primaryKey.size(); ++i)
            sql += (i ? ", " : "") + QuoteName(primaryKey[i]);
        sql += ")";
    }
    ExecEngine(db.Handle(), sql + ")");
}

void CreateIndex(Database& db, Cursor& c, bool unique)
{
    std::string name = c.Name();
    c.Expect("ON");
    std::string table = c.Name();
    c.ExpectSymbol("(");
    std::string columns;
    do
    {
        columns += (columns.empty() ? "" : ", ") + QuoteName(c.Name());
        if (c.Accept("DESC"))
            columns += " DESC";
        else
            c.Accept("ASC");
    } while (c.AcceptSymbol(","));
    c.ExpectSymbol(")");
    ExecEngine(db.Handle(), std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " +
                                QuoteName(name) + " ON " + QuoteName(table) + " (" + columns + ")");
}

void AddColumn(Database& db, const StoredTable& table, const JetColumn& column)
{
    for (const ColumnDef& old : table.columns)
        if (EqualsNoCase(old.name, column.name))
            throw DatabaseError(Status::ErrorsInCommand, "The field '" + column.name +
                                                             "' already exists in the table '" +
                                                             table.name + "'.");
    bool empty = table.columns.size() == 1 && table.columns.front().name == NoColumns;
    if (empty || column.counter || column.primaryKey || (column.notNull && !column.defaultSql))
    {
        std::vector<JetColumn> columns;
        if (!empty)
            for (const ColumnDef& old : table.columns)
                columns.push_back(FromStored(table, old));
        columns.push_back(column);
        RebuildKeeping(db, table, columns);
        return;
    }
    ExecEngine(db.Handle(),
               "ALTER TABLE " + QuoteName(table.name) + " ADD COLUMN " + ColumnSql(column));
}

void DropColumn(Database& db, const StoredTable& table, const std::string& name)
{
    std::vector<JetColumn> columns;
    bool found = false;
    for (const ColumnDef& old : table.columns)
    {
        if (EqualsNoCase(old.name, name))
            found = true;
        else
            columns.push_back(FromStored(table, old));
    }
    if (!found)
        throw DatabaseError(Status::ErrorsInCommand, "The field '" + name +
                                                         "' does not exist in the table '" +
                                                         table.name + "'.");
    if (columns.empty())
        columns.push_back(JetColumn{NoColumns, "INTEGER", false, false, false, std::nullopt, ""});
    RebuildKeeping(db, table, columns);
}

void AlterColumn(Database& db, const StoredTable& table, const JetColumn& changed)
{
    std::vector<JetColumn> columns;
    bool found = false;
    for (const ColumnDef& old : table.columns)
    {
        JetColumn column = FromStored(table, old);
        if (EqualsNoCase(old.name, changed.name))
        {
            found = true;
            column.type = changed.type;
            if (!changed.collation.empty())
                column.collation = changed.collation;
            if (changed.notNull)
                column.notNull = true;
            if (changed.defaultSql)
                column.defaultSql = changed.defaultSql;
            else if (SchemaCatalog::KindOfDeclaredType(old.declaredType) !=
                     SchemaCatalog::KindOfDeclaredType(changed.type))
                column.defaultSql.reset();
        }
        columns.push_back(column);
    }
    if (!found)
        throw DatabaseError(Status::ErrorsInCommand, "The field '" + changed.name +
                                                         "' does not exist in the table '" +
                                                         table.name + "'.");
    RebuildKeeping(db, table, columns);
}

void AlterTable(Database& db, Cursor& c)
{
    StoredTable table = ReadStoredTable(db, c.Name());
    if (c.Accept("ADD"))
    {
        c.Accept("COLUMN");
        AddColumn(db, table, ReadColumn(c));
    }
    else if (c.Accept("DROP"))
    {
        c.Accept("COLUMN");
        DropColumn(db, table, c.Name());
    }
    else if (c.Accept("ALTER"))
    {
        c.Accept("COLUMN");
        AlterColumn(db, table, ReadColumn(c));
    }
    else
        DdlError("expected ADD, DROP or ALTER after ALTER TABLE " + table.name);
}
} // namespace

std::string MapJetType(const std::string& jetType, const std::string& size)
{
    std::string t = UpperAscii(jetType);
    std::string sized = size.empty() ? "" : "(" + size + ")";
    if (t == "TEXT" || t == "VARCHAR" || t == "CHAR" || t == "STRING" || t == "NVARCHAR" ||
        t == "NCHAR" || t == "ALPHANUMERIC")
        return (t == "VARCHAR" || t == "NVARCHAR" ? "VARCHAR" : "TEXT") + sized;
    if (t == "MEMO" || t == "LONGTEXT" || t == "NOTE")
        return "TEXT";
    if (t == "LONG" || t == "INTEGER" || t == "INT" || t == "INTEGER4" || t == "SHORT" ||
        t == "SMALLINT" || t == "INTEGER2" || t == "BYTE" || t == "INTEGER1")
        return "INTEGER";
    if (t == "SINGLE" || t == "REAL" || t == "FLOAT4" || t == "IEEESINGLE")
        return "SINGLE";
    if (t == "DOUBLE" || t == "FLOAT" || t == "FLOAT8" || t == "NUMBER" || t == "NUMERIC" ||
        t == "IEEEDOUBLE" || t == "DECIMAL")
        return "DOUBLE";
    if (t == "CURRENCY" || t == "MONEY")
        return "CURRENCY";
    if (t == "YESNO" || t == "BIT" || t == "LOGICAL" || t == "LOGICAL1" || t == "BOOLEAN")
        return "YESNO";
    if (t == "DATETIME" || t == "DATE" || t == "TIME" || t == "TIMESTAMP")
        return "DATETIME";
    throw DatabaseError(Status::ErrorsInCommand, "Unknown field type '" + jetType + "'.");
}

bool IsSchemaStatement(std::string_view sql)
{
    std::size_t i = sql.find_first_not_of(" \t\r\n");
    if (i == std::string_view::npos)
        return false;
    std::string first = UpperAscii(std::string(sql.substr(i, 6)));
    return first == "CREATE" || first.substr(0, 5) == "ALTER" || first.substr(0, 4) == "DROP";
}

void ExecuteSchemaStatement(Database& db, std::string_view sql)
{
    Cursor c(sql);
    db.SchemaChanged();
    if (c.Accept("CREATE"))
    {
        bool unique = c.Accept("UNIQUE");
        if (c.Accept("TABLE"))
            CreateTable(db, c);
        else if (c.Accept("INDEX"))
            CreateIndex(db, c, unique);
        else if (!unique && c.Peek().IsWord("TRIGGER"))
        {
            // Triggers belong to the engine; their bodies are written in its own dialect.
            ExecEngine(db.Handle(), std::string(sql));
            db.SchemaChanged();
            return;
        }
        else
            DdlError("expected TABLE, INDEX or TRIGGER after CREATE");
    }
    else if (c.Accept("ALTER"))
    {
        c.Expect("TABLE");
        AlterTable(db, c);
    }
    else if (c.Accept("DROP"))
    {
        if (c.Accept("TABLE"))
            ExecEngine(db.Handle(), "DROP TABLE " + QuoteName(c.Name()));
        else if (c.Accept("INDEX"))
        {
            std::string index = c.Name();
            if (c.Accept("ON"))
                c.Name(); // Jet names the table too
            ExecEngine(db.Handle(), "DROP INDEX " + QuoteName(index));
        }
        else
            DdlError("expected TABLE or INDEX after DROP");
    }
    if (!c.AtEnd())
        DdlError("unexpected '" + c.Peek().text + "'");
    db.SchemaChanged();
}
