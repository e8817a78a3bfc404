#include "data/Database.h"

#include "data/BackupCopy.h"
#include "data/DatabaseError.h"
#include "data/DatabaseFile.h"
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

Database::~Database() = default;

void Database::Open(OpenOptions options)
{
    // A failure here releases the file: the members own the connection and its statements.
    Connect(options.migrate);
    bool backupNow =
        options.backup == BackupWhen::First || (options.backup == BackupWhen::BeforeMigrating &&
                                                options.migrate && SchemaNeedsMigration(*this));
    if (backupNow)
    {
        m_backupAttempted = true;
        BackupOutcome outcome = TakeBackup(m_path);
        if (outcome.result == BackupResult::Damaged)
            throw DamagedDatabaseError(outcome.message);
        if (outcome.result == BackupResult::Failed)
            m_backupProblem = outcome.message;
    }
    if (options.migrate)
        MigrateSchema(*this);
}

void Database::Connect(bool programDatabase)
{
    std::error_code error;
    if (!fs::exists(m_path, error))
        throw DatabaseError(Status::Fail, "Could not find file '" + m_path + "'.");
    if (!fs::is_regular_file(m_path, error))
        throw DamagedDatabaseError("'" + m_path + "' is not a database file.");
    if (std::string damage = programDatabase ? DatabaseFileDamage(m_path) : ""; !damage.empty())
        throw DamagedDatabaseError("The database '" + m_path + "' is damaged: " + damage + ".");
    sqlite3* opened = nullptr;
    int rc = sqlite3_open_v2(m_path.c_str(), &opened, SQLITE_OPEN_READWRITE, nullptr);
    m_connection.reset(opened);
    if (rc != SQLITE_OK)
    {
        std::string reason = opened ? sqlite3_errmsg(opened) : sqlite3_errstr(rc);
        m_connection.reset();
        throw DatabaseError(Status::Fail,
                            "Could not open the database '" + m_path + "': " + reason + ".");
    }
    sqlite3* db = m_connection.get();
    m_catalog = std::make_unique<SchemaCatalog>(db);
    m_queries = std::make_shared<QueryCache>(db);
    sqlite3_busy_timeout(db, 2000);
    // Pages are read from the file mapped into memory rather than copied in one by one: a
    // search or report over a million rows takes a third less. Writes go through the journal
    // as before.
    sqlite3_exec(db, "PRAGMA mmap_size = 1073741824", nullptr, nullptr, nullptr);
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT ||
        (programDatabase && rc == SQLITE_OK && !HasProgramTables(db)))
        throw DamagedDatabaseError("Unrecognized database format '" + m_path +
                                   "': the file is not a Tallybrook database.");
    if (rc != SQLITE_OK)
        ThrowEngineError(db, rc);
    if (sqlite3_db_readonly(db, "main") == 1)
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
    Statement(Handle(), translated.sql).Run();
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
    Variant value;
    try
    {
        if (query.statement.Step())
        {
            std::string declared = query.statement.ColumnDeclaredType(0);
            Variant::Kind kind = !declared.empty() ? SchemaCatalog::KindOfDeclaredType(declared)
                                 : query.translated.selectKinds.empty()
                                     ? Variant::Kind::Null
                                     : query.translated.selectKinds.front();
            value = query.statement.ColumnValue(0, kind);
        }
    }
    catch (...)
    {
        m_queries->Release(sql, std::move(query.statement));
        throw;
    }
    m_queries->Release(sql, std::move(query.statement));
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
    sqlite3_exec(Handle(), ("ROLLBACK TO " + name + "; RELEASE " + name).c_str(), nullptr, nullptr,
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
    ExecEngine(Handle(), sql);
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
