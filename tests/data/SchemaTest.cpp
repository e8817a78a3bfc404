#include "data/Schema.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/Statement.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"
#include "transfer/TransferLink.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace
{
// The statements that took a database from one version to the next, in order.
const std::vector<std::vector<std::string>> Steps = {
    {"ALTER TABLE Loan ALTER COLUMN InterestRate Single"},
    {"ALTER TABLE Account ADD COLUMN BudgetInclude YESNO NOT NULL DEFAULT YES",
     "UPDATE Account SET BudgetInclude = YES"},
    {"CREATE TABLE CategoryRule ([Column] TEXT(30) NOT NULL DEFAULT '', [Rule] TEXT(30) NOT NULL "
     "DEFAULT '', [Value] TEXT(30) NOT NULL DEFAULT '', [Category] TEXT(50) NOT NULL DEFAULT '', "
     "[Sequence] INTEGER NOT NULL, RowID AUTOINCREMENT NOT NULL, PRIMARY KEY(RowID))"},
    {"ALTER TABLE Investment ALTER COLUMN Quantity Currency"},
    {"ALTER TABLE Trans ALTER COLUMN PayeeName varchar(255)"},
    {"ALTER TABLE Trans ADD COLUMN TransferID LONG"},
};

// A file at the given version holding one row in each table; version -1 has no
// _SchemaVersion table at all.
void BuildAtVersion(const std::string& path, int version)
{
    {
        std::ofstream(path).flush();
    }
    Database db(path, OpenOptions{BackupWhen::Never, false});
    CreateInitialSchema(db);
    db.Execute("INSERT INTO Account (AccountID, Description, Type, OpeningBalance) VALUES "
               "('A-1', 'O''Neil Checking', 'Bank', 10.25)");
    db.Execute("INSERT INTO Trans (AccountID, Sequence, [Year], Period, PostDate, Category, "
               "Amount, Description, PayeeName, FITID) VALUES ('A-1', 7, 2016, 5, #5/3/2016#, "
               "'Food', -12.5, 'Grocer', 'weekly shop', 'F1')");
    db.Execute("INSERT INTO Loan (Description, OriginalAmount, PaidAmount, InterestRate, "
               "AccountID) VALUES ('Car', 1000, 250, 4.25, 'L-1')");
    db.Execute("INSERT INTO Investment (StockSymbol, Quantity, LastPrice, Total, AccountID) "
               "VALUES ('ACME', 2.5, 10, 25, 'I-1')");
    if (version < 0)
        return;
    db.Execute("CREATE TABLE _SchemaVersion (" + std::to_string(version) + " LONG)");
    for (int step = 0; step < version; ++step)
        for (const std::string& statement : Steps[step])
            db.Execute(statement);
}

std::string FirstValue(Database& db, const std::string& sql)
{
    Recordset rs = db.Execute(sql);
    return rs.IsEOF() ? "<none>" : rs.GetValue(0).ToText();
}

// A file in a fresh folder, built by each test at the version it needs.
class SchemaMigration : public ::testing::Test
{
protected:
    TempDir dir;
    std::string path = dir.File("qtb.mdb");
};
} // namespace

TEST_F(SchemaMigration, BringsEveryOlderVersionToNineKeepingRows)
{
    for (int version = -1; version <= 5; ++version)
    {
        SCOPED_TRACE("from version " + std::to_string(version));
        TempDir round;
        path = round.File("qtb.mdb");
        BuildAtVersion(path, version);
        Database db(path);
        EXPECT_EQ(ReadSchemaVersion(db), 9);
        Recordset current = db.Execute("SELECT * FROM _SchemaVersion");
        ASSERT_EQ(current.FieldCount(), 1);
        EXPECT_EQ(current.Field(0).name, "9");

        Recordset account = db.Execute("SELECT Description, OpeningBalance, BudgetInclude FROM "
                                       "Account");
        EXPECT_EQ(account.GetText("Description"), "O'Neil Checking");
        EXPECT_EQ(account.GetCurrency("OpeningBalance"), Currency::FromUnits(102500));
        EXPECT_EQ(account.GetLong("BudgetInclude"), -1);
        EXPECT_EQ(FirstValue(db, "SELECT PayeeName FROM Trans WHERE FITID = 'F1'"), "weekly shop");
        EXPECT_EQ(FirstValue(db, "SELECT Amount FROM Trans"), "-12.5");
        // Find's index holds the rows stored before it.
        Statement search(db.Handle(),
                         "SELECT COUNT(*) FROM TransSearch WHERE TransSearch MATCH 'weekly'");
        ASSERT_TRUE(search.Step());
        EXPECT_EQ(search.ColumnText(0), "1");
        EXPECT_EQ(FirstValue(db, "SELECT InterestRate FROM Loan"), "4.25");
        Recordset holding = db.Execute("SELECT Quantity, sum( Total ) AS T FROM Investment");
        EXPECT_EQ(holding.GetValue("Quantity"), Variant::FromCurrency(Currency::FromUnits(25000)));
        EXPECT_EQ(holding.GetValue("T").GetKind(), Variant::Kind::Currency);
        EXPECT_EQ(FirstValue(db, "SELECT COUNT( 1 ) AS [Count] FROM CategoryRule"), "0");
        // No schedule yet, and the stored row was entered by none.
        EXPECT_EQ(FirstValue(db, "SELECT COUNT( 1 ) AS [Count] FROM Schedule"), "0");
        EXPECT_EQ(FirstValue(db, "SELECT COUNT( ScheduleID ) AS N FROM Trans"), "0");
        // Transfers: no row is linked, the stored row (Sequence 7) is history that is never
        // offered as a transfer, and a rename reaches linked rows only.
        EXPECT_EQ(FirstValue(db, "SELECT COUNT( TransferID ) AS N FROM Trans"), "0");
        EXPECT_EQ(FirstValue(db, "SELECT FromSequence FROM TransferReview"), "8");
        db.Execute("UPDATE Account SET Description = 'Joint' WHERE AccountID = 'A-1'");
        EXPECT_EQ(FirstValue(db, "SELECT Category FROM Trans"), "Food");
        // The stored row becomes a transfer to a new account; the rename reaches its brackets.
        db.Execute("INSERT INTO Account (AccountID, Description, Type) VALUES ('S-1', "
                   "'Savings', 'Bank')");
        db.Execute("UPDATE Trans SET Category = '[Savings]'");
        ReconcileTransfer(db, TransKey{7, 0});
        EXPECT_EQ(FirstValue(db, "SELECT Amount FROM Trans WHERE AccountID = 'S-1'"), "12.5");
        db.Execute("UPDATE Account SET Description = 'Rainy Day' WHERE AccountID = 'S-1'");
        EXPECT_EQ(FirstValue(db, "SELECT Category FROM Trans WHERE AccountID = 'A-1'"),
                  "[Rainy Day]");
    }
}

TEST_F(SchemaMigration, VersionTwoKeepsStoredBudgetIncludeValues)
{
    BuildAtVersion(path, 2);
    {
        Database db(path, OpenOptions{BackupWhen::Never, false});
        db.Execute("UPDATE Account SET BudgetInclude = FALSE");
    }
    Database db(path);
    EXPECT_EQ(FirstValue(db, "SELECT BudgetInclude FROM Account"), "0");
    EXPECT_EQ(ReadSchemaVersion(db), 9);
}

TEST_F(SchemaMigration, CurrentVersionRunsNothingAndSecondOpenMigratesOnce)
{
    BuildAtVersion(path, -1);
    {
        Database first(path);
    }
    std::string afterFirst = FileContents(path);
    {
        Database second(path);
        EXPECT_EQ(ReadSchemaVersion(second), 9);
    }
    EXPECT_EQ(FileContents(path), afterFirst);
    EXPECT_EQ(DatabaseDump(path + ".bak"), DatabaseDump(path));
}

TEST_F(SchemaMigration, BackupHoldsTheFileAsItWasBeforeMigration)
{
    BuildAtVersion(path, 0);
    std::string before = DatabaseDump(path);
    ASSERT_NE(before, "");
    {
        std::ofstream(path + ".bak") << "an older backup";
    }
    Database db(path);
    EXPECT_EQ(DatabaseDump(path + ".bak"), before);
    EXPECT_NE(DatabaseDump(path), before);
    Database backup(path + ".bak", OpenOptions{BackupWhen::Never, false});
    Recordset version0 = backup.Execute("SELECT * FROM _SchemaVersion");
    EXPECT_EQ(version0.Field(0).name, "0");
}

TEST_F(SchemaMigration, FailingStepLeavesTheFileUnchanged)
{
    BuildAtVersion(path, 1);
    {
        // A database whose Investment table is gone cannot take step 4.
        Database db(path, OpenOptions{BackupWhen::Never, false});
        db.Execute("DROP TABLE Investment");
    }
    std::string before = FileContents(path);
    EXPECT_THROW(Database db(path), DatabaseError);
    Database db(path, OpenOptions{BackupWhen::Never, false});
    EXPECT_EQ(ReadSchemaVersion(db), 1);
    EXPECT_THROW(db.Execute("SELECT * FROM CategoryRule"), DatabaseError);
    Recordset account = db.Execute("SELECT * FROM Account");
    EXPECT_THROW(account.FieldIndex("BudgetInclude"), DatabaseError);
}

TEST_F(SchemaMigration, ReadSchemaVersionTreatsANonNumericColumnAsZero)
{
    BuildAtVersion(path, -1);
    Database db(path, OpenOptions{BackupWhen::Never, false});
    db.Execute("CREATE TABLE _SchemaVersion (abc LONG)");
    EXPECT_EQ(ReadSchemaVersion(db), 0);
}

TEST_F(SchemaMigration, NewTablesNumberRowsTypedWithoutSequence)
{
    BuildAtVersion(path, -1);
    Database db(path);
    db.Execute("INSERT INTO Budget ([Year], Period, Category, Sequence) VALUES (2016, 5, 'Rent', "
               "41)");
    const std::pair<const char*, const char*> tables[] = {{"Account", "AccountID"},
                                                          {"Budget", "Category"},
                                                          {"Loan", "Description"},
                                                          {"Investment", "StockSymbol"}};
    for (auto [table, field] : tables)
    {
        SCOPED_TRACE(table);
        Recordset rs;
        rs.Open(std::string("SELECT * FROM ") + table, db, OpenMode::KeysetEdit);
        std::int32_t expected = db.NextSequence(table);
        rs.AddNew();
        rs.SetText(field, "X");
        rs.Update();
        EXPECT_EQ(rs.GetLong("Sequence"), expected);
    }
    EXPECT_EQ(FirstValue(db, "SELECT MAX( Sequence ) FROM Budget"), "42");
    EXPECT_EQ(FirstValue(db, "SELECT SubSequence FROM Trans"), "0");
}

TEST_F(SchemaMigration, FitidsCompareByteForByteAndEveryOtherTextIgnoresCase)
{
    for (int version : {-1, 4, 5})
    {
        SCOPED_TRACE("from version " + std::to_string(version));
        TempDir round;
        path = round.File("qtb.mdb");
        BuildAtVersion(path, version);
        {
            // Files made before the rule, at version 5 too, compare FITIDs ignoring case.
            Database plain(path, OpenOptions{BackupWhen::Never, false});
            EXPECT_EQ(FirstValue(plain, "SELECT COUNT(1) FROM Trans WHERE FITID = 'f1'"), "1");
        }
        {
            Database db(path);
            db.Execute("INSERT INTO Trans (AccountID, Sequence, FITID, Description) VALUES "
                       "('A-1', 8, 'f1', 'lower')");
            EXPECT_EQ(FirstValue(db, "SELECT Description FROM Trans WHERE FITID = 'f1'"), "lower");
            EXPECT_EQ(FirstValue(db, "SELECT COUNT(1) FROM Trans WHERE FITID = 'F1'"), "1");
            EXPECT_EQ(FirstValue(db, "SELECT COUNT(1) FROM Trans WHERE AccountID = 'a-1' AND "
                                     "Description = 'GROCER'"),
                      "1")
                << "other texts keep ignoring case";
            EXPECT_EQ(FirstValue(db, "SELECT Description FROM Trans WHERE FITID = 'F1'"), "Grocer")
                << "rows survive the rebuild";

            // The lookup index compares the same way, and the engine uses it.
            EXPECT_EQ(FirstValue(db, "SELECT coll FROM pragma_index_xinfo('TransAccountFitid') "
                                     "WHERE name = 'FITID'"),
                      "BINARY");
            Statement plan(db.Handle(), "EXPLAIN QUERY PLAN SELECT * FROM Trans WHERE "
                                        "AccountID = 'A-1' AND FITID = 'f1'");
            ASSERT_TRUE(plan.Step());
            EXPECT_NE(plan.ColumnText(3).find("TransAccountFitid"), std::string::npos)
                << plan.ColumnText(3);

            // A keyset Find on FITID is exact; on any other text it ignores case.
            Recordset rs;
            rs.Open("SELECT FITID, Description FROM Trans", db, OpenMode::KeysetEdit);
            rs.Find("FITID = 'f1'");
            ASSERT_FALSE(rs.IsEOF());
            EXPECT_EQ(rs.GetText("Description"), "lower");
            rs.MoveFirst();
            rs.Find("FITID = 'F2'");
            EXPECT_TRUE(rs.IsEOF());
            rs.MoveFirst();
            rs.Find("Description = 'LOWER'");
            EXPECT_FALSE(rs.IsEOF());
        }
        // Later starts leave the file as it is.
        std::string before = FileContents(path);
        {
            Database again(path);
        }
        EXPECT_EQ(FileContents(path), before);
    }
}

TEST_F(SchemaMigration, VersionSixGainsTheIndexOfDates)
{
    BuildAtVersion(path, -1);
    {
        Database current(path);
        current.Execute("DROP INDEX TransAccountDate");
        SetBackToVersion(current, 6);
    }
    Database db(path);
    EXPECT_EQ(ReadSchemaVersion(db), 9);
    Statement index(db.Handle(), "SELECT name FROM pragma_index_info('TransAccountDate')");
    std::vector<std::string> columns;
    while (index.Step())
        columns.push_back(index.ColumnText(0));
    EXPECT_EQ(columns, (std::vector<std::string>{"AccountID", "PostDate", "Category", "Amount",
                                                 "TransferID"}));
    EXPECT_EQ(FirstValue(db, "SELECT PayeeName FROM Trans"), "weekly shop");
}

TEST_F(SchemaMigration, VersionEightGainsTheScheduleTable)
{
    BuildAtVersion(path, -1);
    {
        Database current(path);
        SetBackToVersion(current, 8);
    }
    Database db(path);
    EXPECT_EQ(ReadSchemaVersion(db), 9);
    // Each Jet type as the access layer declares it (TEXT(n) kept, LONG as INTEGER, the
    // counter as the key), NOT NULL and the defaults: name, type, not null,
    // default, key.
    std::vector<std::string> columns;
    Statement info(db.Handle(), "SELECT name, type, \"notnull\", IFNULL(dflt_value, ''), pk "
                                "FROM pragma_table_info('Schedule')");
    while (info.Step())
        columns.push_back(info.ColumnText(0) + "|" + info.ColumnText(1) + "|" + info.ColumnText(2) +
                          "|" + info.ColumnText(3) + "|" + info.ColumnText(4));
    EXPECT_EQ(
        columns,
        (std::vector<std::string>{
            "ScheduleID|INTEGER|1||1", "AccountID|TEXT(50)|1||0", "Description|TEXT(255)|0||0",
            "Amount|CURRENCY|1|0|0", "Category|TEXT(50)|0||0", "Notes|TEXT(255)|0||0",
            "CheckID|TEXT(20)|0||0", "RepeatUnit|TEXT(10)|1|'months'|0",
            "RepeatEvery|INTEGER|1|1|0", "DayOfMonth|INTEGER|1|0|0", "FirstDate|DATETIME|0||0",
            "UntilDate|DATETIME|0||0", "Times|INTEGER|0||0", "NextIndex|INTEGER|1|0|0",
            "Entry|TEXT(10)|1|'Automatic'|0", "NextDate|DATETIME|0||0", "Repeats|TEXT(100)|0||0"}));
    // A row given only its account and first date takes the defaults: monthly, on the day
    // of the first date, from occurrence 0, entered unasked; the counter numbers it 1.
    db.Execute("INSERT INTO Schedule (AccountID, FirstDate) VALUES ('A-1', #5/3/2016#)");
    Recordset schedule = db.Execute("SELECT ScheduleID, Amount, RepeatUnit, RepeatEvery, "
                                    "DayOfMonth, NextIndex, Entry FROM Schedule");
    std::string values;
    for (int i = 0; i < schedule.FieldCount(); ++i)
        values += (i ? "|" : "") + schedule.GetValue(i).ToText();
    EXPECT_EQ(values, "1|0|months|1|0|0|Automatic");
    // The stored row was entered by no schedule; a row may name the schedule that entered it.
    EXPECT_EQ(FirstValue(db, "SELECT COUNT( ScheduleID ) AS N FROM Trans"), "0");
    db.Execute("UPDATE Trans SET ScheduleID = 1");
    EXPECT_EQ(FirstValue(db, "SELECT ScheduleID FROM Trans WHERE PayeeName = 'weekly shop'"), "1");
}
