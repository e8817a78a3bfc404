#pragma once

#include "data/Connection.h"
#include "data/Recordset.h"

#include <cstdint>
#include <memory>
#include <string>

struct sqlite3;
class QueryCache;
class SchemaCatalog;

/// When opening takes the backup copy (PATH.bak and the day's copy; see TakeBackup).
enum class BackupWhen
{
    First,           ///< before anything else changes the file: commands that write
    BeforeMigrating, ///< only when the schema is about to change: readers, and callers that
                     ///< take the backup themselves afterwards
    Never            ///< the file as it is
};

/// Options of Database opening beyond the program's normal sequence.
struct OpenOptions
{
    BackupWhen backup = BackupWhen::First;
    /// The program's sequence: the file must be the program's database, and its schema is
    /// brought to the current version.
    bool migrate = true;
};

/// The one connection to the program's database file.
class Database
{
public:
    /// Opens the file at a path used exactly as written: the connection, the backup copy, the
    /// migration. A missing file is an error; it is never created here. A file that is not
    /// the program's database, or fails the backup's check, raises DamagedDatabaseError.
    explicit Database(const std::string& path, OpenOptions options = {});
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& Path() const { return m_path; }
    /// Why the backup copy taken on opening could not be made; empty when it was, or none
    /// was due. The database itself opened; the earlier backups are as they were.
    const std::string& BackupProblem() const { return m_backupProblem; }
    /// Whether opening took (or tried to take) the backup copy.
    bool BackupAttempted() const { return m_backupAttempted; }

    /// Runs one statement; a query's rows come back as an open read-only Recordset.
    Recordset Execute(const std::string& sql);

    /// The next free Sequence of a table: one more than the highest, 1 when empty.
    std::int32_t NextSequence(const std::string& table);
    std::int32_t NextTransSequence();
    /// Whether a row of the table meets the condition (inserted unchanged).
    bool HasRows(const std::string& table, const std::string& condition);

    /// The first field of the first row of a query; NULL when it has no rows.
    Variant QueryScalar(const std::string& sql);

    /// Savepoint-based transactions; see the Transaction class.
    void Begin();
    void Commit();
    void Rollback();
    int TransactionDepth() const { return m_depth; }

    sqlite3* Handle() const { return m_connection.get(); }
    SchemaCatalog& Catalog() { return *m_catalog; }
    /// Prepared read-only queries; Recordsets keep a weak reference, so a statement given
    /// back after the Database is gone is simply finalized.
    const std::shared_ptr<QueryCache>& Queries() const { return m_queries; }
    /// Forgets what was read of the schema: column types and prepared queries.
    void SchemaChanged();

private:
    void Open(OpenOptions options);
    void Connect(bool programDatabase);
    void RunPlain(const std::string& sql);

    std::string m_path;
    std::string m_backupProblem;
    bool m_backupAttempted = false;
    ConnectionHandle m_connection; ///< closed last: the members below hold its statements
    std::unique_ptr<SchemaCatalog> m_catalog;
    std::shared_ptr<QueryCache> m_queries;
    int m_depth = 0;
};

/// Begins a transaction in its constructor and rolls it back in its destructor unless
/// Commit() was called. Transactions nest.
class Transaction
{
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    Database& m_db;
    bool m_done = false;
};
