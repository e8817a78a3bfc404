#include "data/Statement.h"

#include "data/DatabaseError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <utility>

namespace
{
ConnectionHandle OpenScratch(const std::string& path)
{
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    return ConnectionHandle(raw);
}
} // namespace

TEST(Statement, BindsStepsReadsAndRunsAgainAfterReset)
{
    TempDir dir;
    ConnectionHandle db = OpenScratch(dir.File("s.db"));
    Statement(db.get(), "CREATE TABLE T (Name TEXT, Amount INTEGER, Day TEXT)").Run();

    Statement insert(db.get(), "INSERT INTO T VALUES (?, ?, ?)");
    insert.Bind(1, std::string_view("Caf\xC3\xA9\0x", 7));
    insert.Bind(2, Variant::FromCurrency(Currency::FromUnits(-125000)), Variant::Kind::Currency);
    insert.Bind(3, Variant::FromDate(DateTime{2016, 3, 5, 0, 0, 0}));
    EXPECT_FALSE(insert.Step());
    insert.Reset();
    insert.Bind(1, Variant::FromText("second"));
    insert.BindNull(2);
    insert.Run(); // the third parameter was cleared by Reset: NULL
    EXPECT_THROW(insert.Bind(9, std::int64_t{1}), DatabaseError) << "no such parameter";

    Statement select(db.get(), "SELECT Name, Amount AS Money, Day FROM T ORDER BY rowid");
    EXPECT_EQ(select.ColumnCount(), 3);
    EXPECT_EQ(select.ColumnName(1), "Money");
    EXPECT_EQ(select.ColumnOriginName(1), "Amount");
    EXPECT_EQ(select.ColumnOriginTable(1), "T");
    EXPECT_EQ(select.ColumnDeclaredType(1), "INTEGER");
    ASSERT_TRUE(select.Step());
    EXPECT_EQ(select.ColumnText(0), std::string("Caf\xC3\xA9\0x", 7)) << "bytes kept whole";
    EXPECT_EQ(select.ColumnValue(1, Variant::Kind::Currency),
              Variant::FromCurrency(Currency::FromUnits(-125000)));
    EXPECT_EQ(select.ColumnValue(2, Variant::Kind::Date),
              Variant::FromDate(DateTime{2016, 3, 5, 0, 0, 0}));
    EXPECT_EQ(select.ColumnValue(2, Variant::Kind::Null), Variant::FromText("2016-03-05 00:00:00"));
    ASSERT_TRUE(select.Step());
    EXPECT_TRUE(select.IsNull(1));
    EXPECT_TRUE(select.ColumnValue(2, Variant::Kind::Date).IsNull());
    EXPECT_FALSE(select.Step());
    select.Reset();
    ASSERT_TRUE(select.Step()) << "a reset statement runs from the start";
    EXPECT_EQ(select.ColumnInt64(1), -125000);

    // Moving hands the statement over; the moved-from one holds nothing.
    Statement moved = std::move(select);
    EXPECT_FALSE(select.IsPrepared());
    EXPECT_TRUE(moved.IsPrepared());
}

TEST(Statement, RefusalsRaiseTheEngineMessageAndLeaveNoLock)
{
    TempDir dir;
    ConnectionHandle db = OpenScratch(dir.File("s.db"));
    Statement(db.get(), "CREATE TABLE T (Id INTEGER PRIMARY KEY)").Run();
    try
    {
        Statement(db.get(), "SELECT Nope FROM T");
        FAIL() << "prepared a statement with an unknown column";
    }
    catch (const DatabaseError& error)
    {
        EXPECT_EQ(error.Description(), "Unknown field name: 'Nope'.");
    }
    EXPECT_THROW(Statement(db.get(), "SELECT * FROM Missing"), DatabaseError);

    Statement insert(db.get(), "INSERT INTO T VALUES (1)");
    insert.Run();
    insert.Reset();
    EXPECT_THROW(insert.Run(), DatabaseError) << "the key is taken";
    Statement reader(db.get(), "SELECT Id FROM T");
    {
        StatementReset reset(reader);
        ASSERT_TRUE(reader.Step());
        EXPECT_THROW(Statement(db.get(), "DROP TABLE T").Run(), DatabaseError)
            << "a running statement locks its table";
    }
    // The kept statement no longer runs once reset: the table can be dropped.
    EXPECT_NO_THROW(Statement(db.get(), "DROP TABLE T").Run());
}
