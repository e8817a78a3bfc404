#include "data/Engine.h"

#include "data/DatabaseError.h"

#include <sqlite3.h>

namespace
{
// A statement that fires triggers (a rule recategorising rows, Find's notes of changed texts)
// keeps the pages it changes in a statement journal, which past 64 KiB goes to a temporary
// file, written at every row. The engine takes this process-wide setting only before its
// first use, so it is made as the program loads. Sorts still spill to temporary files, which
// is faster than sorting a million rows in memory.
const int StatementJournalsInMemory = sqlite3_config(SQLITE_CONFIG_STMTJRNL_SPILL, -1);

std::string AfterPrefix(const std::string& message, const std::string& prefix)
{
    return message.compare(0, prefix.size(), prefix) == 0 ? message.substr(prefix.size()) : "";
}
} // namespace

void ThrowEngineError(sqlite3* db, int resultCode)
{
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(resultCode);
    int primary = resultCode & 0xFF;
    std::string table = AfterPrefix(message, "no such table: ");
    if (!table.empty())
        throw DatabaseError(Status::NoSuchTable, "Cannot find the table '" + table + "'.");
    if (message == "integer overflow")
        throw DatabaseError(Status::Overflow, "Overflow"); // a SUM past the currency range
    std::string column = AfterPrefix(message, "no such column: ");
    if (!column.empty())
        throw DatabaseError(Status::ErrorsInCommand, "Unknown field name: '" + column + "'.");
    switch (primary)
    {
    case SQLITE_ERROR:
        throw DatabaseError(Status::ErrorsInCommand, "Error in SQL statement: " + message + ".");
    case SQLITE_CONSTRAINT:
        throw DatabaseError(Status::IntegrityViolation,
                            "The change was refused by the database: " + message + ".");
    case SQLITE_READONLY:
        throw DatabaseError(Status::Fail, "The database file is read-only.");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw DatabaseError(Status::Fail, "The database file is in use by another program.");
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        throw DatabaseError(Status::Fail, "The database file is damaged or is not a database.");
    case SQLITE_FULL:
        throw DatabaseError(Status::Fail, "The disk is full; the change was not written.");
    case SQLITE_MISMATCH:
        throw DatabaseError(Status::TypeMismatch, "Data type mismatch: " + message + ".");
    default:
        throw DatabaseError(Status::Fail, message);
    }
}

void ExecEngine(sqlite3* db, const std::string& sql)
{
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        ThrowEngineError(db, rc);
}
