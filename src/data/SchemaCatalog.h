#pragma once

#include "data/Variant.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

/// A column of a stored table as the access layer sees it.
struct ColumnDef
{
    std::string name;
    std::string declaredType; ///< the engine's declared type, e.g. CURRENCY or TEXT(50)
    Variant::Kind kind = Variant::Kind::Null;
    bool notNull = false;
    std::optional<std::string> defaultSql; ///< the default as SQL text
    bool primaryKey = false;
    std::string collation; ///< how text compares: NOCASE (Jet's way) or BINARY (byte for byte)
};

/// The tables and column kinds of the open database, read from the engine on first use
/// and forgotten after every change of the schema.
class SchemaCatalog
{
public:
    explicit SchemaCatalog(sqlite3* db) : m_db(db) {}

    /// The columns of a table (name compared without regard to case); nullptr when the
    /// table does not exist.
    const std::vector<ColumnDef>* Columns(const std::string& table);
    /// The kind of a column of a table; Null when either is unknown.
    Variant::Kind ColumnKind(const std::string& table, const std::string& column);
    /// The column of a table; nullptr when either is unknown.
    const ColumnDef* Column(const std::string& table, const std::string& column);
    void Invalidate() { m_tables.clear(); }

    /// The value kind that a declared column type carries.
    static Variant::Kind KindOfDeclaredType(const std::string& declaredType);

private:
    sqlite3* m_db;
    std::map<std::string, std::optional<std::vector<ColumnDef>>> m_tables; // by upper-case name
};

/// Upper-case copy of an ASCII text (the engine's case-insensitive names).
std::string UpperAscii(std::string text);
/// Whether two names are equal without regard to ASCII case.
bool EqualsNoCase(const std::string& a, const std::string& b);
/// The name between double quotes, inner quotes doubled.
std::string QuoteName(const std::string& name);
