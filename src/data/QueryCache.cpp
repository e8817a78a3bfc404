#include "data/QueryCache.h"

#include <utility>

namespace
{
// Queries with literal values differ in their text; past this many the cache starts over.
const std::size_t MaxQueries = 64;
const std::size_t MaxIdlePerQuery = 4;
} // namespace

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
    if (!entry.idle.empty())
    {
        Query query{entry.translated, std::move(entry.idle.back())};
        entry.idle.pop_back();
        return query;
    }
    return Query{entry.translated, Statement(m_db, entry.translated.sql)};
}

void QueryCache::Release(const std::string& jetSql, Statement statement)
{
    statement.Reset();
    auto found = m_entries.find(jetSql);
    if (found != m_entries.end() && found->second.idle.size() < MaxIdlePerQuery)
        found->second.idle.push_back(std::move(statement));
}
