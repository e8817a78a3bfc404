#include "data/RecordHelpers.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/Schema.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace
{
class RecordHelpersDb : public ::testing::Test
{
protected:
    void SetUp() override { m_db = CreateTestDatabase(m_dir.File("qtb.mdb")); }

    Database& Db() { return *m_db; }

    void OpenTrans(Recordset& rs)
    {
        rs.Open("SELECT AccountID, PostDate, Amount, Description, FITID, CheckID, Period, Year, "
                "Category, PayeeName AS Notes, Sequence FROM Trans WHERE AccountID = 'A1'",
                Db(), OpenMode::KeysetEdit);
    }

private:
    TempDir m_dir;
    std::unique_ptr<Database> m_db;
};

std::int64_t LocalTime(int year, int month, int day, int hour, int minute)
{
    return FromLocalCalendar(DateTime{year, month, day, hour, minute, 0});
}
} // namespace

TEST(RecordHelpers, EscapesQuotesAndTrims)
{
    EXPECT_EQ(SqlEscape("O'Brien's"), "O''Brien''s");
    EXPECT_EQ(SqlEscape("plain \"text\""), "plain \"text\"");
    EXPECT_EQ(SqlLiteral(""), "''");
    EXPECT_EQ(SqlLiteral("it's"), "'it''s'");
    EXPECT_EQ(TrimToLength("  abc", 2), "ab");
    EXPECT_EQ(TrimToLength("ab   cd", 4), "ab");
    EXPECT_EQ(TrimToLength("\t\r\n\v\f x \t", 10), "x");
    EXPECT_EQ(TrimToLength("", 5), "");
    EXPECT_EQ(TrimToLength("abc", 0), "");
    // Widths count characters of UTF-8 text; a character is never cut in two.
    EXPECT_EQ(TrimToLength("Z\xC3\xBCrich", 2), "Z\xC3\xBC");
    EXPECT_EQ(TrimToLength(" \xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", 2), "\xE2\x82\xAC\xE2\x82\xAC");
    EXPECT_EQ(TrimToLength(std::string(300, 'a') + "\xC3\xA9", 300), std::string(300, 'a'));
}

TEST_F(RecordHelpersDb, NextSequenceFollowsTheHighestStoredNumber)
{
    EXPECT_EQ(Db().NextSequence("Account"), 1);
    Db().Execute("INSERT INTO Account (AccountID, Sequence) VALUES ('A', 3)");
    Db().Execute("INSERT INTO Account (AccountID, Sequence) VALUES ('B', 41)");
    EXPECT_EQ(Db().NextSequence("Account"), 42);
    EXPECT_EQ(Db().NextTransSequence(), 1);
    EXPECT_THROW(Db().NextSequence("NoSuchTable"), DatabaseError);
}

TEST_F(RecordHelpersDb, HasRowsTakesTheConditionAsWritten)
{
    std::string id = "O'Neil";
    std::string condition = "AccountID = '" + SqlEscape(id) + "'";
    EXPECT_FALSE(Db().HasRows("Account", condition));
    Db().Execute("INSERT INTO Account (AccountID) VALUES (" + SqlLiteral(id) + ")");
    EXPECT_TRUE(Db().HasRows("Account", condition));
    EXPECT_TRUE(Db().HasRows("Account", "AccountID = 'o''neil'")); // text ignores case
    EXPECT_FALSE(Db().HasRows("Budget", "Year = 2016 and Period = 5"));
}

TEST_F(RecordHelpersDb, FindFirstSearchesFromTheFirstRow)
{
    Recordset rs;
    OpenTrans(rs);
    EXPECT_FALSE(FindFirst(rs, "FITID = 'x'"));
    for (const char* fitid : {"F1", "F'2", "F3"})
        AddTransaction(rs, "A1", fitid, "", LocalTime(2016, 5, 3, 0, 0),
                       Variant::FromCurrency(Currency::FromWhole(1)), "d", "n", "(none)");
    while (!rs.IsEOF())
        rs.MoveNext();
    EXPECT_TRUE(FindFirst(rs, "FITID = 'F1'"));
    EXPECT_EQ(rs.GetText("FITID"), "F1");
    EXPECT_TRUE(FindFirst(rs, "FITID = 'F''2'"));
    EXPECT_EQ(rs.GetText("FITID"), "F'2");
    EXPECT_FALSE(FindFirst(rs, "FITID = 'F4'"));
    EXPECT_TRUE(rs.IsEOF());
}

TEST_F(RecordHelpersDb, AddTransactionFilesTheRowUnderItsPostingPeriod)
{
    Db().Execute("INSERT INTO Trans (AccountID, Sequence) VALUES ('other', 41)");
    Recordset rs;
    OpenTrans(rs);
    std::int64_t lateOnNewYearsEve = LocalTime(2015, 12, 31, 23, 30);
    std::string longNotes = std::string(250, 'n') + "     " + std::string(45, 'x');
    std::string longDescription(300, 'd');
    AddTransaction(rs, "A1", "F1", "101", lateOnNewYearsEve,
                   Variant::FromCurrency(Currency::FromUnits(-125000)), longDescription, longNotes,
                   "(none)");

    Recordset stored = Db().Execute("SELECT * FROM Trans WHERE AccountID = 'A1'");
    ASSERT_FALSE(stored.IsEOF());
    EXPECT_EQ(stored.GetLong("Year"), 2015);
    EXPECT_EQ(stored.GetLong("Period"), 12);
    EXPECT_EQ(stored.GetLong("Sequence"), 42);
    EXPECT_EQ(stored.GetLong("SubSequence"), 0);
    EXPECT_EQ(stored.GetTime("PostDate"), lateOnNewYearsEve);
    EXPECT_EQ(stored.GetCurrency("Amount"), Currency::FromUnits(-125000));
    EXPECT_EQ(stored.GetText("PayeeName"), std::string(250, 'n'));
    EXPECT_EQ(stored.GetText("Description"), longDescription);
    EXPECT_EQ(stored.GetText("CheckID"), "101");
    EXPECT_EQ(stored.GetText("Category"), "(none)");

    AddTransaction(rs, "A1", "F2", "", lateOnNewYearsEve, Variant(), "", "", "(none)");
    EXPECT_EQ(rs.GetLong("Sequence"), 43);
    EXPECT_TRUE(rs.GetValue("Amount").IsNull());
}

TEST_F(RecordHelpersDb, AddTransactionThatFailsWritesNothing)
{
    Recordset rs;
    rs.Open("SELECT AccountID, FITID FROM Trans", Db(), OpenMode::KeysetEdit);
    EXPECT_THROW(AddTransaction(rs, "A1", "F1", "", 0, Variant(), "", "", "(none)"), DatabaseError);
    EXPECT_FALSE(rs.IsEditing());
    rs.Close();
    EXPECT_FALSE(Db().HasRows("Trans", "1 = 1"));
}
