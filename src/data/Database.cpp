#include "data/Database.h"

#include "data/DatabaseError.h"
#include "data/Engine.h"
#include "data/JetDdl.h"
#include "data/JetSql.h"
#include "data/QueryCache.h"
#include "data/Schema.h"
#include "data/SchemaCatalog.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

Database::Database(const std::string& path, OpenOptions options) : m_path(path)
{
    Open(options);
}

Database::~Database()
{
    m_queries.reset();
    sqlite3_close_v2(m_db);
}

void Database::Open(OpenOptions options)
{
    if (options.backup)
    {
        // The copy is taken before anything touches the file; a failure is not examined.
        std::error_code ignored;
        fs::copy_file(m_path, m_path + ".bak", fs::copy_options::overwrite_existing, ignored);
    }
    try
    {
        Connect();
        if (options.migrate)
            MigrateSchema(*this);
    }
    catch (...)
    {
        // The destructor does not run for a constructor that throws: release the file here.
        m_queries.reset();
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw;
    }
}

void Database::Connect()
{
    std::error_code error;
    if (!fs::is_regular_file(m_path, error))
        throw DatabaseError(Status::Fail, "Could not find file '" + m_path + "'.");
    int rc = sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK)
    {
        std::string reason = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw DatabaseError(Status::Fail,
                            "Could not open the database '" + m_path + "': " + reason + ".");
    }
    m_catalog = std::make_unique<SchemaCatalog>(m_db);
    m_queries = std::make_shared<QueryCache>(m_db);
    sqlite3_busy_timeout(m_db, 2000);
    rc = sqlite3_exec(m_db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT)
        throw DatabaseError(Status::Fail, "Unrecognized database format '" + m_path +
                                              "': the file is not a Tallybrook database.");
    if (rc != SQLITE_OK)
        ThrowEngineError(m_db, rc);
    if (sqlite3_db_readonly(m_db, "main") == 1)
        throw DatabaseError(Status::Fail, "The database '" + m_path +
                                              "' is read-only; Tallybrook needs to write to it.");
}

Recordset Database::Execute(const std::string& sql)
{
    if (IsSchemaStatement(sql))
    {
        SchemaChanged();
        ExecuteSchemaStatement(*this, sql);
        SchemaChanged();
        return Recordset();
    }
    TranslatedSql translated = TranslateJetSql(sql, *m_catalog);
    if (translated.verb == "SELECT")
    {
        Recordset result;
        result.Open(sql, *this, OpenMode::ReadOnly);
        return result;
    }
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(m_db, translated.sql.c_str(), -1, &stmt, nullptr);
    if (rc != SQLITE_OK)
        ThrowEngineError(m_db, rc);
    rc = sqlite3_step(stmt);
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        ThrowEngineError(m_db, rc);
    return Recordset();
}

std::int32_t Database::NextSequence(const std::string& table)
{
    Variant highest = QueryScalar("SELECT MAX( Sequence ) AS NextSequence FROM " + table);
    return highest.IsNull() ? 1 : highest.ToLong() + 1;
}

std::int32_t Database::NextTransSequence()
{
    return NextSequence("Trans");
}

bool Database::HasRows(const std::string& table, const std::string& condition)
{
    Variant count =
        QueryScalar("SELECT COUNT( 1 ) AS [Count] FROM " + table + " WHERE " + condition);
    return count.ToLong() > 0;
}

Variant Database::QueryScalar(const std::string& sql)
{
    // Runs once per row in imports: a prepared statement from the cache, no Recordset.
    QueryCache::Query query = m_queries->Acquire(sql, *m_catalog);
    int rc = sqlite3_step(query.statement);
    Variant value;
    if (rc == SQLITE_ROW)
    {
        const char* declared = sqlite3_column_decltype(query.statement, 0);
        Variant::Kind kind = declared ? SchemaCatalog::KindOfDeclaredType(declared)
                             : query.translated.selectKinds.empty()
                                 ? Variant::Kind::Null
                                 : query.translated.selectKinds.front();
        value = ReadColumnValue(query.statement, 0, kind);
    }
    m_queries->Release(sql, query.statement);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        ThrowEngineError(m_db, rc);
    return value;
}

void Database::Begin()
{
    RunPlain("SAVEPOINT tx" + std::to_string(m_depth + 1));
    ++m_depth;
}

void Database::Commit()
{
    RunPlain("RELEASE tx" + std::to_string(m_depth));
    --m_depth;
}

void Database::Rollback()
{
    std::string name = "tx" + std::to_string(m_depth);
    --m_depth;
    sqlite3_exec(m_db, ("ROLLBACK TO " + name + "; RELEASE " + name).c_str(), nullptr, nullptr,
                 nullptr);
    SchemaChanged();
}

void Database::SchemaChanged()
{
    m_catalog->Invalidate();
    m_queries->Clear();
}

void Database::RunPlain(const std::string& sql)
{
    ExecEngine(m_db, sql);
}

Transaction::Transaction(Database& db) : m_db(db)
{
    m_db.Begin();
}

Transaction::~Transaction()
{
    if (!m_done)
        m_db.Rollback();
}

void Transaction::Commit()
{
    m_db.Commit();
    m_done = true;
}
