#include "data/Schema.h"

#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/Engine.h"
#include "data/SchemaCatalog.h"
#include "data/Statement.h"

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace
{
// The five tables at their oldest shape; the migration brings them up to date.
const char* const InitialTables[] = {
    "CREATE TABLE Account (AccountID TEXT(50), Description TEXT(100), Type TEXT(20), "
    "Sequence LONG, OpeningBalance CURRENCY DEFAULT 0, CurrentBalance CURRENCY DEFAULT 0)",
    "CREATE TABLE Trans (AccountID TEXT(50), Sequence LONG, SubSequence LONG DEFAULT 0, "
    "[Year] LONG, Period LONG, PostDate DATETIME, Category TEXT(50), Amount CURRENCY, "
    "Description TEXT(255), CheckID TEXT(20), PayeeName TEXT(50), FITID TEXT(255))",
    "CREATE TABLE Budget ([Year] LONG, Period LONG, Category TEXT(50), CategoryGroup TEXT(50), "
    "Amount CURRENCY DEFAULT 0, Sequence LONG)",
    "CREATE TABLE Loan (Description TEXT(100), OriginalAmount CURRENCY DEFAULT 0, "
    "PaidAmount CURRENCY DEFAULT 0, InterestRate DOUBLE, AccountID TEXT(50), Sequence LONG)",
    "CREATE TABLE Investment (StockSymbol TEXT(20), StockName TEXT(100), PurchaseDate DATETIME, "
    "PurchasePrice CURRENCY, Quantity DOUBLE, LastPrice CURRENCY, Total CURRENCY, "
    "AccountID TEXT(50), Sequence LONG)",
    // Lookups the program makes on every import, view and balance.
    "CREATE INDEX TransSequence ON Trans (Sequence, SubSequence)",
    "CREATE INDEX TransAccountPeriod ON Trans (AccountID, [Year], Period)",
    "CREATE INDEX TransPeriodCategory ON Trans ([Year], Period, Category)",
    "CREATE INDEX TransAccountFitid ON Trans (AccountID, FITID)",
    "CREATE INDEX BudgetPeriod ON Budget ([Year], Period, Category)",
    "CREATE INDEX AccountNumber ON Account (AccountID)",
};

// Rows typed in the grid for these tables arrive without a Sequence; the table numbers them.
const char* const NumberedTables[] = {"Account", "Budget", "Loan", "Investment"};

const int MigrationSteps = 9;

const char* const MigrationStatements[MigrationSteps][3] = {
    {"ALTER TABLE Loan ALTER COLUMN InterestRate Single", nullptr},
    {"ALTER TABLE Account ADD COLUMN BudgetInclude YESNO NOT NULL DEFAULT YES",
     "UPDATE Account SET BudgetInclude = YES"},
    {"CREATE TABLE CategoryRule ([Column] TEXT(30) NOT NULL DEFAULT '', [Rule] TEXT(30) NOT NULL "
     "DEFAULT '', [Value] TEXT(30) NOT NULL DEFAULT '', [Category] TEXT(50) NOT NULL DEFAULT '', "
     "[Sequence] INTEGER NOT NULL, RowID AUTOINCREMENT NOT NULL, PRIMARY KEY(RowID))",
     nullptr},
    {"ALTER TABLE Investment ALTER COLUMN Quantity Currency", nullptr},
    {"ALTER TABLE Trans ALTER COLUMN PayeeName varchar(255)", nullptr},
    // The two rows of a transfer share a TransferID; refused pairs are remembered.
    {"ALTER TABLE Trans ADD COLUMN TransferID LONG",
     "CREATE INDEX TransTransfer ON Trans (TransferID)",
     "CREATE TABLE TransferRefusal (Sequence1 LONG NOT NULL, SubSequence1 LONG NOT NULL, "
     "Sequence2 LONG NOT NULL, SubSequence2 LONG NOT NULL)"},
    // Reports read each account's rows of a range of dates from the index alone.
    {"CREATE INDEX TransAccountDate ON Trans (AccountID, PostDate, Category, Amount, TransferID)",
     nullptr, nullptr},
    // Find searches the texts of every row (SearchIndexStatements).
    {nullptr, nullptr, nullptr},
    // Scheduled transactions; a row a schedule entered names it (NULL for every other row).
    // RepeatUnit is 'days', 'weeks', 'months' or 'years'; DayOfMonth 0 is the day of FirstDate,
    // -1 the last day; NextIndex counts the occurrences entered or skipped. NextDate and
    // Repeats show the rule in the Scheduled view, which types into them; a row the view
    // adds has no FirstDate until its rule is read from them. Entry is 'Automatic' or 'Ask'.
    {"CREATE TABLE Schedule (ScheduleID AUTOINCREMENT NOT NULL, AccountID TEXT(50) NOT NULL, "
     "Description TEXT(255), Amount CURRENCY NOT NULL DEFAULT 0, Category TEXT(50), "
     "Notes TEXT(255), CheckID TEXT(20), RepeatUnit TEXT(10) NOT NULL DEFAULT 'months', "
     "RepeatEvery LONG NOT NULL DEFAULT 1, DayOfMonth LONG NOT NULL DEFAULT 0, "
     "FirstDate DATETIME, UntilDate DATETIME, Times LONG, "
     "NextIndex LONG NOT NULL DEFAULT 0, Entry TEXT(10) NOT NULL DEFAULT 'Automatic', "
     "NextDate DATETIME, Repeats TEXT(100), PRIMARY KEY(ScheduleID))",
     "ALTER TABLE Trans ADD COLUMN ScheduleID LONG", nullptr},
};

// Rows from TransferReview.FromSequence on are searched for the other side of a transfer;
// rows stored before transfers existed are history, never offered.
const char* const TransferReviewTable[] = {
    "CREATE TABLE TransferReview (FromSequence INTEGER NOT NULL)",
    "INSERT INTO TransferReview (FromSequence) SELECT IFNULL(MAX(Sequence), 0) + 1 FROM Trans",
};

// A transfer's category names the other account in brackets: renaming the account renames
// the brackets of the rows linked to its rows, in the same statement.
const char* const TransferRenameTrigger =
    "CREATE TRIGGER AccountRenameTransfers AFTER UPDATE OF Description ON Account "
    "WHEN NEW.Description IS NOT OLD.Description BEGIN "
    "UPDATE Trans SET Category = '[' || NEW.Description || ']' WHERE TransferID IN "
    "(SELECT TransferID FROM Trans WHERE AccountID = NEW.AccountID AND TransferID IS NOT NULL) "
    "AND AccountID IS NOT NEW.AccountID; END";
const int TransferStep = 5;
const int SearchStep = 7;

// Find's index of the texts of Trans: every three characters of a row's description, notes,
// category and check number (case folded). It holds no text of its own; the rows are read
// from Trans by rowid. New rows are those past the last row indexed (TransSearchState); the
// database itself notes every change and deletion of indexed texts (TransSearchQueue, by
// triggers). Both are carried into the index in a few statements before a search and after an
// import (ApplySearchQueue): the index takes rows one by one only at a great cost, as it writes
// out its pending pieces at every statement, and a trigger on every insert would make each
// insert keep a statement journal.
const char* const SearchIndexStatements[] = {
    "DROP TRIGGER IF EXISTS TransSearchInsert",
    "DROP TRIGGER IF EXISTS TransSearchDelete",
    "DROP TRIGGER IF EXISTS TransSearchUpdate",
    "DROP TABLE IF EXISTS TransSearchQueue",
    "DROP TABLE IF EXISTS TransSearchState",
    "DROP TABLE IF EXISTS TransSearch",
    // No sizes of the columns, which only ranking reads; a larger buffer before the index
    // writes out a piece: both halve what an import spends on the index.
    "CREATE VIRTUAL TABLE TransSearch USING fts5(Description, PayeeName, Category, CheckID, "
    "content='Trans', content_rowid='rowid', tokenize='trigram', columnsize=0)",
    "INSERT INTO TransSearch (TransSearch, rank) VALUES ('hashsize', 33554432)",
    // Change: 0 a row to index again, 1 the texts as indexed of a row changed or deleted.
    "CREATE TABLE TransSearchQueue (Row INTEGER NOT NULL, Change INTEGER NOT NULL, "
    "Description TEXT, PayeeName TEXT, Category TEXT, CheckID TEXT)",
    "CREATE INDEX TransSearchQueueRow ON TransSearchQueue (Row)",
    "CREATE TABLE TransSearchState (LastRow INTEGER NOT NULL)",
    "INSERT INTO TransSearchState (LastRow) SELECT IFNULL(MAX(rowid), 0) FROM Trans",
    "CREATE TRIGGER TransSearchDelete AFTER DELETE ON Trans BEGIN INSERT INTO TransSearchQueue "
    "VALUES (OLD.rowid, 1, OLD.Description, OLD.PayeeName, OLD.Category, OLD.CheckID); END",
    "CREATE TRIGGER TransSearchUpdate AFTER UPDATE OF Description, PayeeName, Category, CheckID "
    "ON Trans BEGIN INSERT INTO TransSearchQueue VALUES (OLD.rowid, 1, OLD.Description, "
    "OLD.PayeeName, OLD.Category, OLD.CheckID); INSERT INTO TransSearchQueue (Row, Change) "
    "VALUES (NEW.rowid, 0); END",
    "INSERT INTO TransSearch (TransSearch) VALUES ('rebuild')",
};

// The statements of ApplySearchQueue. A row's first note holds the texts the index has of it,
// if it had the row at all; a row past the last indexed was never indexed. Rows noted (a
// deleted row's number may be taken by a new row) and new rows are indexed as they are now.
const char* const ApplySearchStatements[] = {
    "INSERT INTO TransSearch (TransSearch, rowid, Description, PayeeName, Category, CheckID) "
    "SELECT 'delete', Row, Description, PayeeName, Category, CheckID FROM TransSearchQueue AS "
    "Note WHERE Change = 1 AND Row <= (SELECT LastRow FROM TransSearchState) AND Note.rowid = "
    "(SELECT MIN(rowid) FROM TransSearchQueue WHERE Row = Note.Row)",
    "INSERT INTO TransSearch (rowid, Description, PayeeName, Category, CheckID) SELECT rowid, "
    "Description, PayeeName, Category, CheckID FROM Trans WHERE rowid > (SELECT LastRow FROM "
    "TransSearchState) OR rowid IN (SELECT Row FROM TransSearchQueue)",
    "UPDATE TransSearchState SET LastRow = (SELECT IFNULL(MAX(rowid), 0) FROM Trans)",
    "DELETE FROM TransSearchQueue",
};

const char* const SearchIndexBehind =
    "SELECT EXISTS (SELECT 1 FROM TransSearchQueue) OR IFNULL((SELECT MAX(rowid) FROM Trans), 0) "
    "> (SELECT LastRow FROM TransSearchState)";

const char* const SearchIndexParts =
    "SELECT COUNT(*) FROM sqlite_master WHERE name IN ('TransSearch', 'TransSearchQueue', "
    "'TransSearchState', 'TransSearchDelete', 'TransSearchUpdate')";
} // namespace

namespace
{
// The version recorded in _SchemaVersion; nullopt when the table is missing.
std::optional<int> StoredSchemaVersion(Database& db)
{
    try
    {
        Recordset result = db.Execute("SELECT * FROM _SchemaVersion");
        std::string name = result.Field(0).name;
        return static_cast<int>(std::strtol(name.c_str(), nullptr, 10));
    }
    catch (const DatabaseError& error)
    {
        if (error.StatusCode() != Status::NoSuchTable)
            throw;
    }
    return std::nullopt;
}

bool FitidsAreExact(Database& db)
{
    const ColumnDef* fitid = db.Catalog().Column("Trans", "FITID");
    return !fitid || fitid->kind != Variant::Kind::Text || fitid->collation == "BINARY";
}
} // namespace

int ReadSchemaVersion(Database& db)
{
    if (std::optional<int> version = StoredSchemaVersion(db))
        return *version;
    db.Execute("CREATE TABLE _SchemaVersion (0 LONG)");
    return 0;
}

bool SchemaNeedsMigration(Database& db)
{
    std::optional<int> version = StoredSchemaVersion(db);
    if (!version)
        return true;
    if (*version < 0 || *version > CurrentSchemaVersion)
        return false; // a shape this program does not know is left alone
    return *version < CurrentSchemaVersion || !FitidsAreExact(db);
}

namespace
{
// Banks' transaction ids can differ only in case (A2 and a2): Trans.FITID compares byte for
// byte, its lookup index with it, while every other text keeps Jet's case-insensitivity.
// Files made before this rule get the column rebuilt once.
// True when the table was rebuilt.
bool MakeFitidsExact(Database& db)
{
    if (FitidsAreExact(db))
        return false;
    const ColumnDef* fitid = db.Catalog().Column("Trans", "FITID");
    db.Execute("ALTER TABLE Trans ALTER COLUMN FITID " + fitid->declaredType + " COLLATE BINARY");
    return true;
}

void CreateSearchIndex(Database& db)
{
    for (const char* statement : SearchIndexStatements)
        ExecEngine(db.Handle(), statement);
    db.SchemaChanged();
}

// Whether the index and the triggers that keep it are all there.
bool SearchIndexComplete(Database& db)
{
    Statement parts(db.Handle(), SearchIndexParts);
    return parts.Step() && parts.ColumnText(0) == "5";
}
} // namespace

void MigrateSchema(Database& db)
{
    // One transaction: a step that fails leaves the file exactly as it was, so the next
    // start runs the same steps on the same shape.
    Transaction transaction(db);
    int version = ReadSchemaVersion(db);
    if (version < 0 || version > CurrentSchemaVersion)
    {
        transaction.Commit(); // a shape this program does not know is left alone
        return;
    }
    if (version < CurrentSchemaVersion)
    {
        for (int step = version; step < MigrationSteps; ++step)
        {
            for (const char* statement : MigrationStatements[step])
                if (statement)
                    db.Execute(statement);
            if (step == TransferStep)
            {
                ExecEngine(db.Handle(), TransferRenameTrigger);
                for (const char* statement : TransferReviewTable)
                    ExecEngine(db.Handle(), statement);
            }
            if (step == SearchStep)
                CreateSearchIndex(db);
        }
        db.Execute("ALTER TABLE _SchemaVersion DROP COLUMN " + std::to_string(version));
        db.Execute("ALTER TABLE _SchemaVersion ADD  COLUMN " +
                   std::to_string(CurrentSchemaVersion) + " LONG");
    }
    // A rebuilt table numbers its rows anew; a missing part of the index is made again.
    if (MakeFitidsExact(db) || !SearchIndexComplete(db))
        CreateSearchIndex(db);
    transaction.Commit();
}

void CreateInitialSchema(Database& db)
{
    Transaction transaction(db);
    for (const char* statement : InitialTables)
        db.Execute(statement);
    for (const char* table : NumberedTables)
    {
        std::string trigger;
        trigger.append("CREATE TRIGGER ").append(table).append("Numbering AFTER INSERT ON ");
        trigger.append(table).append(" WHEN NEW.Sequence IS NULL BEGIN UPDATE ").append(table);
        trigger.append(" SET Sequence = (SELECT IFNULL(MAX(Sequence), 0) + 1 FROM ").append(table);
        trigger.append(") WHERE rowid = NEW.rowid; END");
        ExecEngine(db.Handle(), trigger);
    }
    transaction.Commit();
}

void ApplySearchQueue(Database& db)
{
    // Most searches find nothing to apply: they write nothing, as a commit waits for the disk.
    Statement pending(db.Handle(), SearchIndexBehind);
    if (!pending.Step() || pending.ColumnInt64(0) == 0)
        return;
    pending.Reset();
    Transaction transaction(db);
    for (const char* statement : ApplySearchStatements)
        ExecEngine(db.Handle(), statement);
    transaction.Commit();
}

void CreateDatabaseFile(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::create_directories(fs::path(path).parent_path(), ignored);
    std::string temp = path + ".new";
    fs::remove(temp, ignored);
    try
    {
        sqlite3* handle = nullptr;
        int rc = sqlite3_open_v2(temp.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                 nullptr);
        ConnectionHandle created(handle);
        if (rc != SQLITE_OK)
            throw DatabaseError(Status::Fail, "Could not create the database '" + path + "'.");
        created.reset(); // the engine has made the file; the Database below opens it
        Database fresh(temp, OpenOptions{BackupWhen::Never, false});
        CreateInitialSchema(fresh);
    }
    catch (...)
    {
        fs::remove(temp, ignored);
        throw;
    }
    std::error_code error;
    fs::rename(temp, path, error);
    if (error)
        throw DatabaseError(Status::Fail, "Could not create the database '" + path +
                                              "': " + error.message() + ".");
}
