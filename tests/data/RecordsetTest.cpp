#include "data/Recordset.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/RecordHelpers.h"
#include "data/Schema.h"
#include "support/ScopedLocale.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <clocale>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>

namespace
{
// A database at the current schema version in a fresh folder.
struct Store
{
    TempDir dir;
    std::unique_ptr<Database> owned = CreateTestDatabase(dir.File("qtb.mdb"));
    Database& db = *owned;
};

Currency Money(const char* text)
{
    return *Currency::Parse(text);
}

// The status code a call raises, 0 when it raises nothing.
std::int32_t StatusOf(const std::function<void()>& call)
{
    try
    {
        call();
    }
    catch (const DatabaseError& error)
    {
        return error.StatusCode();
    }
    return 0;
}

std::int32_t Count(Database& db, const std::string& tableAndCondition)
{
    Recordset rs;
    rs.Open("SELECT COUNT( 1 ) AS [Count] FROM " + tableAndCondition, db, OpenMode::ReadOnly);
    return rs.GetLong("Count");
}

void AddTrans(Database& db, const std::string& values)
{
    db.Execute("INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
               "Category, Amount, Description, CheckID, PayeeName, FITID) VALUES (" +
               values + ")");
}

const char* const ImportQuery =
    "SELECT AccountID, PostDate, Amount, Description, FITID, CheckID, Period, Year, Category, "
    "PayeeName AS Notes, Sequence FROM Trans WHERE AccountID = 'A1'";

} // namespace

TEST(Recordset, EmptyResultIsAtEndAtOnceAndNullFieldsReadAsEmptyOrZero)
{
    Store s;
    for (OpenMode mode : {OpenMode::ReadOnly, OpenMode::KeysetRead, OpenMode::KeysetEdit})
    {
        Recordset rs;
        rs.Open("SELECT * FROM Trans WHERE AccountID = 'none'", s.db, mode);
        EXPECT_TRUE(rs.IsEOF());
        EXPECT_TRUE(rs.IsBOF());
        for (; !rs.IsEOF(); rs.MoveNext())
            ADD_FAILURE() << "a row of an empty result";
        EXPECT_EQ(StatusOf([&] { rs.GetText("Category"); }), Status::NoCurrentRecord);
    }
    // An aggregate over no rows is one row holding NULL.
    Recordset next;
    next.Open("SELECT MAX( Sequence ) AS NextSequence FROM Trans", s.db, OpenMode::ReadOnly);
    ASSERT_FALSE(next.IsEOF());
    EXPECT_TRUE(next.GetValue("NextSequence").IsNull());

    s.db.Execute("INSERT INTO Trans (AccountID) VALUES ('A1')");
    for (OpenMode mode : {OpenMode::ReadOnly, OpenMode::KeysetLock})
    {
        Recordset rs;
        rs.Open("SELECT * FROM Trans", s.db, mode);
        ASSERT_FALSE(rs.IsEOF());
        EXPECT_EQ(rs.GetText("Category"), "");
        EXPECT_EQ(rs.GetText("Amount"), "");
        EXPECT_EQ(rs.GetCurrency("Amount"), Currency());
        EXPECT_EQ(rs.GetTime("PostDate"), 0);
        EXPECT_TRUE(rs.GetValue("Year").IsNull());
        EXPECT_EQ(StatusOf([&] { rs.GetLong("Year"); }), static_cast<std::int32_t>(0x80020005));
        EXPECT_EQ(rs.GetLong("SubSequence"), 0); // the column's default
        EXPECT_EQ(StatusOf([&] { rs.GetText("NoSuchField"); }), Status::ItemNotFound);
    }
}

TEST(Recordset, CurrencyAddedThroughFieldsSumsExactly)
{
    Store s;
    {
        Recordset rs;
        rs.Open("SELECT AccountID, Amount, Sequence, SubSequence FROM Trans", s.db,
                OpenMode::KeysetEdit);
        Transaction batch(s.db);
        for (int i = 0; i < 1000; ++i)
        {
            rs.AddNew();
            rs.SetText("AccountID", "A1");
            rs.SetValue("Amount", Variant::FromCurrency(Money("0.1")));
            rs.SetLong("Sequence", 1);
            rs.SetLong("SubSequence", i);
            rs.Update();
        }
        batch.Commit();
    }
    Recordset sum;
    sum.Open("SELECT SUM( Amount ) AS TotAmount FROM Trans WHERE AccountID = 'A1'", s.db,
             OpenMode::ReadOnly);
    EXPECT_EQ(sum.GetValue("TotAmount"), Variant::FromCurrency(Currency::FromWhole(100)));
    EXPECT_EQ(sum.GetText("TotAmount"), "100");

    Recordset next;
    next.Open("SELECT MAX( SubSequence ) + 1 AS NextSubSequence FROM Trans WHERE Trans.Sequence "
              "= 1",
              s.db, OpenMode::ReadOnly);
    EXPECT_EQ(next.GetValue("NextSubSequence"), Variant::FromLong(1000));
    EXPECT_EQ(next.GetLong("NextSubSequence"), 1000);
}

TEST(Recordset, CurrencyTextFollowsTheLocale)
{
    Store s;
    AddTrans(s.db, "'A1', 1, 0, 2016, 1, #1/4/2016#, 'Food', -12.50, 'a', '', '', 'T1'");
    AddTrans(s.db, "'A1', 2, 0, 2016, 1, #1/4/2016#, 'Food', 100.00, 'b', '', '', 'T2'");
    auto amounts = [&]
    {
        Recordset rs;
        rs.Open("SELECT Amount FROM Trans ORDER BY Sequence", s.db, OpenMode::ReadOnly);
        std::string texts = rs.GetText("Amount");
        rs.MoveNext();
        return texts + " " + rs.GetText("Amount");
    };
    EXPECT_EQ(amounts(), "-12.5 100");

    ScopedLocale german("de_DE.UTF-8");
    if (!german.Ok())
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    EXPECT_EQ(amounts(), "-12,5 100");
    // SQL literals keep the point whatever the user's decimal separator.
    EXPECT_TRUE(s.db.HasRows("Trans", "Amount = -12.5"));
    Recordset rs;
    rs.Open("SELECT Amount FROM Trans WHERE FITID = 'T2'", s.db, OpenMode::KeysetEdit);
    rs.SetText("Amount", "7,25");
    rs.Update();
    EXPECT_TRUE(s.db.HasRows("Trans", "Amount = 7.25 AND FITID = 'T2'"));
}

TEST(Recordset, FindSearchesForwardFromTheCurrentRow)
{
    Store s;
    int sequence = 0;
    for (const char* fitid : {"a", "a''b", "c", "a''b", "d"})
        AddTrans(s.db, "'A1', " + std::to_string(++sequence) +
                           ", 0, 2016, 1, #1/4/2016#, 'Food', -1, 'x', '', '', '" + fitid + "'");
    Recordset rs;
    rs.Open(ImportQuery, s.db, OpenMode::KeysetEdit);
    rs.Find("FITID = 'a''b'");
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.GetLong("Sequence"), 2);
    rs.Find("FITID = 'a''b'"); // the current row counts
    EXPECT_EQ(rs.GetLong("Sequence"), 2);
    rs.MoveNext();
    rs.Find("FITID = 'a''b'");
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.GetLong("Sequence"), 4);
    EXPECT_EQ(rs.GetText("FITID"), "a'b");
    rs.MoveNext();
    rs.Find("FITID = 'a''b'");
    EXPECT_TRUE(rs.IsEOF());

    ASSERT_TRUE(FindFirst(rs, "FITID = 'c'"));
    EXPECT_EQ(rs.GetLong("Sequence"), 3);
    rs.Find("FITID = 'missing'");
    EXPECT_TRUE(rs.IsEOF());

    EXPECT_EQ(StatusOf([&] { rs.Find("FITID LIKE 'a%'"); }), Status::ErrorsInCommand);
}

TEST(Recordset, RequerySeesRowsAddedElsewhereAndReadOnlyRowsRefuseWrites)
{
    Store s;
    s.db.Execute("INSERT INTO Budget ([Year], Period, Category, Amount) VALUES (2016, 5, 'Food', "
                 "300)");
    const std::string query = "SELECT * FROM Budget WHERE Year = 2016 AND Period = 5";
    Recordset reader;
    reader.Open(query, s.db, OpenMode::KeysetRead);
    Recordset plain;
    plain.Open(query, s.db, OpenMode::ReadOnly);
    for (Recordset* rs : {&reader, &plain})
    {
        EXPECT_THROW(rs->SetText("Category", "Rent"), DatabaseError);
        EXPECT_THROW(rs->AddNew(), DatabaseError);
        EXPECT_THROW(rs->Delete(), DatabaseError);
    }
    Recordset sum;
    sum.Open("SELECT SUM( Amount ) AS TotAmount FROM Budget", s.db, OpenMode::KeysetLock);
    EXPECT_THROW(sum.AddNew(), DatabaseError);
    EXPECT_TRUE(s.db.HasRows("Budget", "Category = 'Food' AND Amount = 300"));
    reader.MoveNext();
    ASSERT_TRUE(reader.IsEOF());

    Recordset writer;
    writer.Open(query, s.db, OpenMode::KeysetLock);
    writer.AddNew();
    writer.SetLong("Year", 2016);
    writer.SetLong("Period", 5);
    writer.SetText("Category", "Rent");
    writer.SetValue("Amount", Variant::FromCurrency(Money("1000")));
    writer.Update();
    s.db.Execute("INSERT INTO Budget ([Year], Period, Category) VALUES (2016, 5, 'Fun')");

    EXPECT_EQ(reader.RecordCount(), 1u);
    reader.Requery();
    EXPECT_EQ(reader.RecordCount(), 3u);
    EXPECT_EQ(reader.GetText("Category"), "Food");
    EXPECT_TRUE(FindFirst(reader, "Category = 'Rent'"));
    EXPECT_EQ(reader.GetCurrency("Amount"), Money("1000"));
    EXPECT_EQ(reader.GetLong("Sequence"), 2);
}

TEST(Recordset, DuplicateRowCopiesEveryColumnIntoANewUnwrittenRow)
{
    Store s;
    AddTrans(s.db, "'A1', 7, 0, 2016, 5, #5/3/2016#, 'Food', -12.5, 'Grocer', '101', 'weekly', "
                   "'F1'");
    Recordset rs;
    rs.Open("SELECT * FROM Trans WHERE Trans.Sequence = 7 AND Trans.SubSequence = 0", s.db,
            OpenMode::KeysetLock);
    rs.SetValue("Amount", Variant::FromCurrency(Money("-10")));
    rs.Update();
    std::unique_ptr<Recordset> copy = rs.DuplicateRow();
    ASSERT_EQ(copy->FieldCount(), 14); // the first twelve, TransferID and ScheduleID
    for (int i = 0; i < rs.FieldCount(); ++i)
        EXPECT_EQ(copy->GetValue(i), rs.GetValue(i)) << rs.Field(i).name;
    EXPECT_EQ(Count(s.db, "Trans"), 1);

    copy->SetValue("Amount", Variant::FromCurrency(Money("-2.5")));
    copy->SetLong("SubSequence", 1);
    copy->SetText("Description", TrimToLength("Grocer (split #1)", 50));
    copy->Update();
    EXPECT_EQ(Count(s.db, "Trans"), 2);

    EXPECT_EQ(rs.GetCurrency("Amount"), Money("-10"));
    EXPECT_EQ(rs.GetLong("SubSequence"), 0);
    Recordset stored;
    stored.Open("SELECT * FROM Trans ORDER BY SubSequence", s.db, OpenMode::KeysetRead);
    EXPECT_EQ(stored.GetCurrency("Amount"), Money("-10"));
    EXPECT_EQ(stored.GetText("Description"), "Grocer");
    stored.MoveNext();
    EXPECT_EQ(stored.GetCurrency("Amount"), Money("-2.5"));
    EXPECT_EQ(stored.GetText("Description"), "Grocer (split #1)");
    EXPECT_EQ(stored.GetLong("SubSequence"), 1);
    for (const char* same : {"AccountID", "Sequence", "Year", "Period", "PostDate", "Category",
                             "CheckID", "PayeeName", "FITID"})
        EXPECT_EQ(stored.GetValue(same), rs.GetValue(same)) << same;
}

TEST(Recordset, WritesGoToTheOriginColumnsOfTheFields)
{
    Store s;
    AddTrans(s.db, "'A1', 1, 0, 2016, 5, #5/3/2016#, '(none)', -12.5, 'Grocer', '', 'old', "
                   "'F1'");
    {
        Recordset rs;
        rs.Open("SELECT Description, Amount, PayeeName AS Notes, Category, Year, Period FROM "
                "Trans WHERE Category = '(none)'",
                s.db, OpenMode::KeysetEdit);
        EXPECT_EQ(rs.GetText("Notes"), "old");
        rs.SetText("Notes", "new notes");
        rs.SetText("Category", "Food");
        rs.Update();
    }
    EXPECT_TRUE(s.db.HasRows("Trans", "PayeeName = 'new notes' AND Category = 'Food'"));

    // A new account gets the next Sequence and the table's defaults; the computed balance is
    // not written.
    s.db.Execute("INSERT INTO Account (AccountID, Type, Sequence) VALUES ('A9', 'Bank', 41)");
    Recordset list;
    list.Open("SELECT Description, AccountID, OpeningBalance, (OpeningBalance + CurrentBalance) "
              "as TotBalance, Sequence, Type FROM Account WHERE Type = 'Bank' ORDER BY "
              "Description",
              s.db, OpenMode::KeysetLock);
    EXPECT_EQ(list.Field(3).kind, Variant::Kind::Currency);
    list.AddNew();
    list.SetText("Description", "Checking");
    list.SetText("AccountID", "A1");
    list.SetText("Type", "Bank");
    list.SetValue("OpeningBalance", Variant::FromCurrency(Money("10.5")));
    list.SetValue("TotBalance", Variant::FromCurrency(Money("999")));
    list.Update();
    EXPECT_EQ(list.GetLong("Sequence"), 42);

    Recordset stored;
    stored.Open("SELECT * FROM Account WHERE AccountID <> 'A9' ORDER BY Sequence", s.db,
                OpenMode::ReadOnly);
    EXPECT_EQ(stored.GetLong("Sequence"), 42);
    EXPECT_EQ(stored.GetCurrency("OpeningBalance"), Money("10.5"));
    EXPECT_EQ(stored.GetCurrency("CurrentBalance"), Currency());
    EXPECT_EQ(stored.GetLong("BudgetInclude"), -1);
}

TEST(Recordset, RefusedRowWritesNothing)
{
    Store s;
    // CategoryRule's Sequence may not be NULL: the engine refuses the row.
    Recordset rules;
    rules.Open("SELECT Column, Rule, Value, Category, Sequence, RowID FROM CategoryRule ORDER BY "
               "Sequence",
               s.db, OpenMode::KeysetEdit);
    rules.AddNew();
    rules.SetText("Column", "Description");
    rules.SetText("Value", "GROCER");
    EXPECT_THROW(rules.Update(), DatabaseError);
    rules.CancelUpdate();
    EXPECT_EQ(Count(s.db, "CategoryRule"), 0);
    EXPECT_EQ(s.db.TransactionDepth(), 0);

    rules.AddNew();
    rules.SetText("Column", "Description");
    rules.SetLong("Sequence", 1);
    rules.Update();
    EXPECT_EQ(Count(s.db, "CategoryRule WHERE [Column] = 'Description' AND Rule = ''"), 1);
    EXPECT_FALSE(rules.GetValue("RowID").IsNull());
}

TEST(Recordset, DatesRoundTripThroughLocalCalendarTime)
{
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    Store s;
    const std::int64_t lateEvening = FromLocalCalendar(DateTime{2015, 12, 31, 23, 30, 5});
    const std::int64_t summerMidnight = FromLocalCalendar(DateTime{2016, 7, 1, 0, 0, 0});
    ASSERT_EQ(lateEvening, 1451601005); // 22:30:05 UTC
    {
        Recordset rs;
        rs.Open(ImportQuery, s.db, OpenMode::KeysetEdit);
        int sequence = 0;
        for (std::int64_t when : {lateEvening, summerMidnight})
        {
            DateTime local = ToLocalCalendar(when);
            rs.AddNew();
            rs.SetText("AccountID", "A1");
            rs.SetValue("PostDate", MakeDate(when));
            rs.SetLong("Year", local.year);
            rs.SetLong("Period", local.month);
            rs.SetLong("Sequence", ++sequence);
            rs.Update();
            EXPECT_EQ(rs.GetTime("PostDate"), when);
        }
    }
    Recordset rs;
    rs.Open("SELECT PostDate, Year, Period FROM Trans ORDER BY PostDate", s.db, OpenMode::ReadOnly);
    EXPECT_EQ(rs.GetTime("PostDate"), lateEvening);
    EXPECT_EQ(rs.GetText("PostDate"), "12/31/2015 23:30:05");
    EXPECT_EQ(rs.GetLong("Year"), 2015);
    EXPECT_EQ(rs.GetLong("Period"), 12);
    rs.MoveNext();
    EXPECT_EQ(rs.GetTime("PostDate"), summerMidnight);
    EXPECT_EQ(rs.GetText("PostDate"), "07/01/2016");

    // Stored in local time: the evening belongs to 31 December, after its midnight.
    EXPECT_TRUE(s.db.HasRows("Trans",
                             "PostDate >= #12/31/2015# AND PostDate < #1/1/2016# AND Year = 2015"));
    EXPECT_FALSE(s.db.HasRows("Trans", "PostDate <= #12/31/2015#"));
    EXPECT_TRUE(s.db.HasRows("Trans", "PostDate = #7/1/2016#"));
}
