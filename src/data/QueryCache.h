#pragma once

#include "data/JetSql.h"
#include "data/Statement.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
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
        Statement statement;
    };

    explicit QueryCache(sqlite3* db) : m_db(db) {}
    QueryCache(const QueryCache&) = delete;
    QueryCache& operator=(const QueryCache&) = delete;

    /// A statement for the query, idle from an earlier run or newly prepared; raises
    /// DatabaseError when the engine refuses it.
    Query Acquire(const std::string& jetSql, SchemaCatalog& catalog);
    /// Takes a statement back, reset, for the next run of the same query.
    void Release(const std::string& jetSql, Statement statement);
    /// Finalizes every idle statement and forgets every translation.
    void Clear() { m_entries.clear(); }

private:
    struct Entry
    {
        TranslatedSql translated;
        std::vector<Statement> idle;
    };

    sqlite3* m_db;
    std::unordered_map<std::string, Entry> m_entries;
};
