#include "data/SchemaCatalog.h"

#include "data/Statement.h"

#include <sqlite3.h>

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
        char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 'a' + 'A') : b[i];
        if (x != y)
            return false;
    }
    return true;
}

std::string QuoteName(const std::string& name)
{
    std::string out = "\"";
    for (char c : name)
    {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

Variant::Kind SchemaCatalog::KindOfDeclaredType(const std::string& declaredType)
{
    using Kind = Variant::Kind;
    std::string t = UpperAscii(declaredType);
    auto has = [&t](const char* part) { return t.find(part) != std::string::npos; };
    if (has("CURRENCY") || has("MONEY"))
        return Kind::Currency;
    if (has("YESNO") || has("BOOL") || t == "BIT")
        return Kind::Bool;
    if (has("DATE") || has("TIME"))
        return Kind::Date;
    if (has("SINGLE"))
        return Kind::Single;
    if (has("DOUB") || has("REAL") || has("FLOA"))
        return Kind::Double;
    if (has("INT") || has("LONG") || has("COUNTER"))
        return Kind::Long;
    if (has("CHAR") || has("TEXT") || has("CLOB") || has("MEMO"))
        return Kind::Text;
    return Kind::Null;
}

const std::vector<ColumnDef>* SchemaCatalog::Columns(const std::string& table)
{
    std::string key = UpperAscii(table);
    auto found = m_tables.find(key);
    if (found == m_tables.end())
    {
        std::vector<ColumnDef> columns;
        Statement info(m_db, "PRAGMA table_info(" + QuoteName(table) + ")");
        while (info.Step())
        {
            ColumnDef column;
            column.name = info.ColumnText(1);
            column.declaredType = info.ColumnText(2);
            column.kind = KindOfDeclaredType(column.declaredType);
            column.notNull = info.ColumnInt64(3) != 0;
            if (!info.IsNull(4))
                column.defaultSql = info.ColumnText(4);
            column.primaryKey = info.ColumnInt64(5) != 0;
            columns.push_back(std::move(column));
        }
        for (ColumnDef& column : columns)
        {
            const char* collation = nullptr;
            if (sqlite3_table_column_metadata(m_db, nullptr, table.c_str(), column.name.c_str(),
                                              nullptr, &collation, nullptr, nullptr,
                                              nullptr) == SQLITE_OK &&
                collation)
                column.collation = UpperAscii(collation);
        }
        std::optional<std::vector<ColumnDef>> entry;
        if (!columns.empty())
            entry = std::move(columns);
        found = m_tables.emplace(key, std::move(entry)).first;
    }
    return found->second ? &*found->second : nullptr;
}

Variant::Kind SchemaCatalog::ColumnKind(const std::string& table, const std::string& column)
{
    const ColumnDef* def = Column(table, column);
    return def ? def->kind : Variant::Kind::Null;
}

const ColumnDef* SchemaCatalog::Column(const std::string& table, const std::string& column)
{
    if (const auto* columns = Columns(table))
        for (const ColumnDef& c : *columns)
            if (EqualsNoCase(c.name, column))
                return &c;
    return nullptr;
}
