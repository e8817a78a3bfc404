#pragma once

#include "data/JetSql.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class SchemaCatalog;

/// Read-only queries kept prepared with their translation, so that a query run once per
/// row (the next Sequence, a budget line lookup) is translated and compiled once. Forgotten
/// whenever the schema changes, since the translation depends on the column types.
class QueryCache
{
public:
    /// A prepared statement and the translation it was prepared from.
    struct Query
    {
        TranslatedSql translated;
        sqlite3_stmt* statement = nullptr;
    };

    explicit QueryCache(sqlite3* db) : m_db(db) {}
    ~QueryCache();
    QueryCache(const QueryCache&) = delete;
    QueryCache& operator=(const QueryCache&) = delete;

    /// A statement for the query, idle from an earlier run or newly prepared; raises
    /// DatabaseError when the engine refuses it.
    Query Acquire(const std::string& jetSql, SchemaCatalog& catalog);
    /// Takes a statement back for the next run of the same query.
    void Release(const std::string& jetSql, sqlite3_stmt* statement);
    /// Finalizes every idle statement and forgets every translation.
    void Clear();

private:
    struct Entry
    {
        TranslatedSql translated;
        std::vector<sqlite3_stmt*> idle;
    };

    sqlite3* m_db;
    std::unordered_map<std::string, Entry> m_entries;
};
