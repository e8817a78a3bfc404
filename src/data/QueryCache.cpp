#include "data/QueryCache.h"

#include "data/Engine.h"

#include <sqlite3.h>

namespace
{
// Queries with literal values differ in their text; past this many the cache starts over.
const std::size_t MaxQueries = 64;
const std::size_t MaxIdlePerQuery = 4;
} // namespace

QueryCache::~QueryCache()
{
    Clear();
}

QueryCache::Query QueryCache::Acquire(const std::string& jetSql, SchemaCatalog& catalog)
{
    auto found = m_entries.find(jetSql);
    if (found == m_entries.end())
    {
        if (m_entries.size() >= MaxQueries)
            Clear();
        found = m_entries.emplace(jetSql, Entry{TranslateJetSql(jetSql, catalog), {}}).first;
    }
    Entry& entry = found->second;
    Query query{entry.translated, nullptr};
    if (!entry.idle.empty())
    {
        query.statement = entry.idle.back();
        entry.idle.pop_back();
        return query;
    }
    int rc = sqlite3_prepare_v2(m_db, entry.translated.sql.c_str(), -1, &query.statement, nullptr);
    if (rc != SQLITE_OK)
    {
        sqlite3_finalize(query.statement);
        ThrowEngineError(m_db, rc);
    }
    return query;
}

void QueryCache::Release(const std::string& jetSql, sqlite3_stmt* statement)
{
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    auto found = m_entries.find(jetSql);
    if (found == m_entries.end() || found->second.idle.size() >= MaxIdlePerQuery)
    {
        sqlite3_finalize(statement);
        return;
    }
    found->second.idle.push_back(statement);
}

void QueryCache::Clear()
{
    for (auto& [sql, entry] : m_entries)
        for (sqlite3_stmt* statement : entry.idle)
            sqlite3_finalize(statement);
    m_entries.clear();
}
