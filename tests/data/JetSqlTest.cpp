#include "data/JetSql.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/Recordset.h"
#include "data/Schema.h"
#include "support/ScopedLocale.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace
{
// A database in a fresh folder: the old shape, brought to the current version when asked.
struct Store
{
    explicit Store(bool migrate = true)
        : owned(CreateTestDatabase(dir.File("qtb.mdb"), migrate)), db(*owned)
    {
    }

    TempDir dir;
    std::unique_ptr<Database> owned;
    Database& db;
};

Variant Money(const char* text)
{
    return Variant::FromCurrency(*Currency::Parse(text));
}

// The named field of the first row; NULL when the query has no rows.
Variant First(Database& db, const std::string& sql, const std::string& field)
{
    Recordset rs;
    rs.Open(sql, db, OpenMode::ReadOnly);
    return rs.IsEOF() ? Variant() : rs.GetValue(field);
}

// The text of one field of every row, in the query's order.
std::vector<std::string> Texts(Database& db, const std::string& sql, const std::string& field)
{
    std::vector<std::string> texts;
    Recordset rs;
    rs.Open(sql, db, OpenMode::ReadOnly);
    for (; !rs.IsEOF(); rs.MoveNext())
        texts.push_back(rs.GetText(field));
    return texts;
}

void AddAccount(Database& db, const std::string& values)
{
    db.Execute("INSERT INTO Account (AccountID, Description, Type, Sequence, OpeningBalance, "
               "CurrentBalance, BudgetInclude) VALUES (" +
               values + ")");
}

void AddTrans(Database& db, const std::string& values)
{
    db.Execute("INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
               "Category, Amount, Description, PayeeName, FITID) VALUES (" +
               values + ")");
}

void AddBudget(Database& db, const std::string& values)
{
    db.Execute("INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES (" +
               values + ")");
}

// Two accounts, one left out of the budget, with budget lines and transactions around May 2016.
void AddBudgetMonth(Database& db)
{
    AddAccount(db, "'A1', 'Checking', 'Bank', 1, 100.25, 0, TRUE");
    AddAccount(db, "'A2', 'Savings', 'Bank', 2, 50, -7, NO");
    AddBudget(db, "2016, 5, 'Food', 'Living', 300");
    AddBudget(db, "2016, 5, 'Rent', 'Living', 1000");
    AddBudget(db, "2016, 5, 'Fun', 'Leisure', 50.25");
    AddBudget(db, "2016, 3, 'Food', 'Living', 250");
    AddBudget(db, "2015, 12, 'Food', 'Living', 200");
    AddTrans(db, "'A1', 1, 0, 2016, 5, #5/3/2016#, 'Food', -12.5, 'Grocer', 'weekly', 'F1'");
    AddTrans(db, "'A1', 2, 0, 2016, 5, #5/9/2016#, 'Food', -30.1, 'Market', '', 'F2'");
    AddTrans(db, "'A1', 3, 0, 2016, 5, #5/1/2016#, 'Rent', -1000, 'Landlord', '', 'F3'");
    AddTrans(db, "'A1', 4, 0, 2016, 5, #5/20/2016#, 'Fun', -0.3, 'Arcade', '', 'F4'");
    AddTrans(db, "'A2', 5, 0, 2016, 5, #5/4/2016#, 'Food', -7, 'Bakery', '', 'F5'");
    AddTrans(db, "'A1', 6, 0, 2016, 4, #4/28/2016#, 'Food', -99, 'Grocer', '', 'F6'");
    AddTrans(db, "'A1', 7, 0, 2016, 6, #6/2/2016#, 'Food', -5, 'Grocer', '', 'F7'");
}
} // namespace

TEST(JetDialect, NestedJoinsAndTopOneOverABudgetMonth)
{
    Store s;
    AddBudgetMonth(s.db);
    // A join nested in brackets, with AND in its ON clause; only accounts in the budget count.
    auto groupActual = [&](const std::string& group)
    {
        return First(s.db,
                     "SELECT SUM(Trans.Amount) AS TotAmount FROM Account INNER JOIN (Budget "
                     "INNER JOIN Trans ON Budget.Category = Trans.Category AND Budget.Year = "
                     "Trans.Year AND Budget.Period = Trans.Period) ON Account.AccountID = "
                     "Trans.AccountID WHERE Account.BudgetInclude = TRUE AND Trans.Year = 2016 "
                     "AND Trans.Period = 5 AND CategoryGroup = '" +
                         group + "'",
                     "TotAmount");
    };
    EXPECT_EQ(groupActual("Living"), Money("-1042.6"));
    EXPECT_EQ(groupActual("Leisure"), Money("-0.3"));
    EXPECT_TRUE(groupActual("Travel").IsNull());

    // TOP 1 with a descending order finds the previous budget.
    auto previous = [&](int year, int period)
    {
        std::string y = std::to_string(year);
        Recordset rs;
        rs.Open("SELECT TOP 1 Year, Period FROM Budget WHERE Year < " + y + " OR (Year = " + y +
                    " AND Period < " + std::to_string(period) + ") ORDER BY Year DESC, Period DESC",
                s.db, OpenMode::ReadOnly);
        if (rs.IsEOF())
            return std::string("none");
        std::string found = rs.GetText("Year") + "/" + rs.GetText("Period");
        rs.MoveNext();
        return rs.IsEOF() ? found : found + " and more";
    };
    EXPECT_EQ(previous(2016, 5), "2016/3");
    EXPECT_EQ(previous(2016, 3), "2015/12");
    EXPECT_EQ(previous(2015, 12), "none");
}

TEST(JetDialect, DateLiteralRangesIncludeBothEndDays)
{
    Store s;
    AddTrans(s.db, "'B', 1, 0, 2015, 12, #12/31/2015#, 'Food', -1, 'Old year', '', 'X1'");
    AddTrans(s.db, "'B', 2, 0, 2016, 1, #1/1/2016#, 'Fuel', -2, 'First day', '', 'X2'");
    AddTrans(s.db, "'A', 3, 0, 2016, 1, #1/31/2016#, 'food', -3, 'Last day', 'n', 'X3'");
    AddTrans(s.db, "'A', 3, 1, 2016, 1, #1/15/2016 2:30:00 PM#, 'Rent', -4, 'Middle', '', 'X4'");
    AddTrans(s.db, "'A', 5, 0, 2016, 2, #2/1/2016#, 'Food', -5, 'Next month', '', 'X5'");
    AddTrans(s.db, "'A', 6, 0, 2016, 1, #2016-01-20#, 'Toys', -6, 'Unlisted', '', 'X6'");

    const std::string report =
        "SELECT AccountID, Sequence, Subsequence, [Year], Period, PostDate, Category, Amount, "
        "Description, CheckID, PayeeName, FITID FROM Trans WHERE PostDate >= #1/1/2016# AND "
        "PostDate <= #1/31/2016#";
    EXPECT_EQ(Texts(s.db, report + " ORDER BY AccountID, PostDate", "FITID"),
              (std::vector<std::string>{"X4", "X6", "X3", "X2"}));
    EXPECT_EQ(Texts(s.db,
                    report + " AND (Category IN ('Food', 'Rent') OR Category LIKE 'F%') ORDER BY "
                             "AccountID, PostDate",
                    "FITID"),
              (std::vector<std::string>{"X4", "X3", "X2"}));

    Recordset rs;
    rs.Open(report + " AND FITID = 'X4'", s.db, OpenMode::ReadOnly);
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.GetLong("SubSequence"), 1);
    EXPECT_EQ(rs.GetLong("Year"), 2016);
    EXPECT_EQ(rs.GetValue("PostDate"), Variant::FromDate(DateTime{2016, 1, 15, 14, 30, 0}));

    // A statement import's duplicate search matches the day, amount and memo exactly.
    const std::string same = "AccountID = 'A' AND PayeeName = 'n' AND FITID <> 'stamp' AND ";
    EXPECT_TRUE(s.db.HasRows("Trans", same + "PostDate = #2016-01-31# AND Amount = -3"));
    EXPECT_FALSE(s.db.HasRows("Trans", same + "PostDate = #2016-01-31# AND Amount = -3.0001"));
    EXPECT_FALSE(s.db.HasRows("Trans", same + "PostDate = #2016-01-30# AND Amount = -3"));
}

TEST(JetDialect, YesNoLiteralsAndCurrencyComparisonsFollowTheColumns)
{
    Store s;
    AddAccount(s.db, "'t', 'By TRUE', 'Bank', 1, 0, 0, TRUE");
    AddAccount(s.db, "'y', 'By YES', 'Bank', 2, 0, 0, YES");
    AddAccount(s.db, "'one', 'By one', 'Bank', 3, 0, 0, 1");
    AddAccount(s.db, "'f', 'By FALSE', 'Bank', 4, 0, 0, FALSE");
    AddAccount(s.db, "'x', 'Ticked later', 'Bank', 5, 0, 0, NO");

    // Jet reads a true yes/no value as -1.
    EXPECT_EQ(Texts(s.db, "SELECT BudgetInclude FROM Account ORDER BY Sequence", "BudgetInclude"),
              (std::vector<std::string>{"-1", "-1", "-1", "0", "0"}));
    Variant yes =
        First(s.db, "SELECT BudgetInclude FROM Account WHERE AccountID = 'y'", "BudgetInclude");
    EXPECT_EQ(yes, Variant::FromBool(true));
    EXPECT_EQ(yes.ToLong(), -1);

    s.db.Execute("UPDATE Account SET BudgetInclude = 1 WHERE AccountID = 'x' AND NOT "
                 "BudgetInclude = 1");
    s.db.Execute("UPDATE Account SET BudgetInclude = 0 WHERE AccountID = 't' AND NOT "
                 "BudgetInclude = 0");
    for (const char* ticked :
         {"BudgetInclude = TRUE", "BudgetInclude = -1 AND BudgetInclude = YES"})
        EXPECT_EQ(Texts(s.db,
                        "SELECT AccountID FROM Account WHERE " + std::string(ticked) +
                            " ORDER BY Sequence",
                        "AccountID"),
                  (std::vector<std::string>{"y", "one", "x"}));

    AddTrans(s.db, "'y', 1, 0, 2016, 1, #1/4/2016#, 'Food', -12.5, 'a', '', 'C1'");
    AddTrans(s.db, "'y', 2, 0, 2016, 1, #1/4/2016#, 'Food', 12.5, 'b', '', 'C2'");
    AddTrans(s.db, "'y', 3, 0, 2016, 1, #1/4/2016#, 'Food', -12.4999, 'c', '', 'C3'");
    auto matching = [&](const std::string& condition) {
        return Texts(s.db, "SELECT FITID FROM Trans WHERE " + condition + " ORDER BY FITID",
                     "FITID");
    };
    EXPECT_EQ(matching("Amount = -12.5"), (std::vector<std::string>{"C1"}));
    EXPECT_EQ(matching("Amount=12.5"), (std::vector<std::string>{"C2"}));
    EXPECT_EQ(matching("-12.5 < Amount AND Amount < 0"), (std::vector<std::string>{"C3"}));
    s.db.Execute("UPDATE Trans SET Amount = Amount + 0.0001 WHERE FITID = 'C3'");
    EXPECT_EQ(matching("Amount = -12.4998"), (std::vector<std::string>{"C3"}));
}

TEST(JetDialect, QuotedTextPassesThroughUntouchedAndTextIgnoresCase)
{
    Store s;
    const std::string tricky = "#1/2/2016# [Year] TRUE YES 12.5 -- it''s \"odd\" & more";
    const std::string stored = "#1/2/2016# [Year] TRUE YES 12.5 -- it's \"odd\" & more";
    AddTrans(s.db,
             "'A''1', 1, 0, 2016, 1, #1/2/2016#, 'TRUE', 12.5, '" + tricky + "', '--', '[x]'");
    Recordset rs;
    rs.Open("SELECT Description, PayeeName AS Notes, Category, AccountID, FITID, Amount FROM "
            "Trans WHERE Description = '" +
                tricky + "' AND AccountID = 'A''1'",
            s.db, OpenMode::ReadOnly);
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.GetText("Description"), stored);
    EXPECT_EQ(rs.GetText("Notes"), "--");
    EXPECT_EQ(rs.GetText("Category"), "TRUE");
    EXPECT_EQ(rs.GetText("AccountID"), "A'1");
    EXPECT_EQ(rs.GetText("FITID"), "[x]");
    EXPECT_EQ(rs.GetValue("Amount"), Money("12.5"));

    s.db.Execute("UPDATE Trans SET PayeeName = 'O''Brien''s #5' WHERE FITID = '[x]'");
    EXPECT_EQ(
        Texts(s.db, "SELECT PayeeName FROM Trans WHERE PayeeName = 'O''Brien''s #5'", "PayeeName"),
        (std::vector<std::string>{"O'Brien's #5"}));

    // Text compares and sorts without regard to case.
    AddTrans(s.db, "'A1', 1, 0, 2016, 1, #1/2/2016#, 'Food', -1, 'banana', 'Note', 'G1'");
    AddTrans(s.db, "'a1', 2, 0, 2016, 1, #1/2/2016#, 'food', -2, 'Apple', 'NOTE', 'G2'");
    AddTrans(s.db, "'A1', 3, 0, 2016, 1, #1/2/2016#, 'Fuel', -3, 'cherry', 'other', 'G3'");
    EXPECT_EQ(
        Texts(s.db, "SELECT FITID FROM Trans WHERE Category = 'FOOD' ORDER BY FITID", "FITID"),
        (std::vector<std::string>{"G1", "G2"}));
    EXPECT_EQ(Texts(s.db,
                    "SELECT Description FROM Trans WHERE AccountID = 'A1' ORDER BY Description",
                    "Description"),
              (std::vector<std::string>{"Apple", "banana", "cherry"}));
    // PayeeName was widened by rebuilding Trans; it still compares without regard to case.
    EXPECT_TRUE(s.db.HasRows("Trans", "PayeeName = 'note' AND AccountID = 'A1'"));
    EXPECT_EQ(
        Texts(s.db, "SELECT FITID FROM Trans WHERE PayeeName = 'note' ORDER BY FITID", "FITID"),
        (std::vector<std::string>{"G1", "G2"}));
}

TEST(JetDialect, AmpersandJoinsTheAmountOfACurrencyColumnNotItsStoredUnits)
{
    Store s;
    AddTrans(s.db, "'A1', 1, 0, 2016, 1, #1/2/2016#, 'Food', -12.5, 'Grocer', '', 'F1'");
    AddTrans(s.db, "'A1', 2, 0, 2016, 1, #1/2/2016#, 'Rent', 1000, 'Landlord', '', 'F2'");
    AddTrans(s.db, "'A1', 3, 0, 2016, 1, #1/2/2016#, 'Fee', -0.0001, 'Bank', '', 'F3'");
    AddTrans(s.db, "'A1', 4, 0, 2016, 1, #1/2/2016#, 'Open', NULL, 'Blank', NULL, 'F4'");
    EXPECT_EQ(
        Texts(s.db, "SELECT Description & ': ' & Amount AS Line FROM Trans ORDER BY Sequence",
              "Line"),
        (std::vector<std::string>{"Grocer: -12.5", "Landlord: 1000", "Bank: -0.0001", "Blank: "}));
    // An empty column joins as empty text.
    EXPECT_EQ(First(s.db, "SELECT Category & PayeeName & '!' AS Line FROM Trans WHERE FITID = 'F4'",
                    "Line"),
              Variant::FromText("Open!"));
    // Qualified, on the right and on the left, in a condition.
    EXPECT_EQ(Texts(s.db,
                    "SELECT T.Amount & '/' & T.Category AS Line FROM Trans AS T "
                    "WHERE 'x' & T.Amount = 'x1000'",
                    "Line"),
              (std::vector<std::string>{"1000/Rent"}));
    // Arithmetic on the column keeps its units.
    EXPECT_EQ(First(s.db, "SELECT Amount * 2 AS Twice FROM Trans WHERE FITID = 'F1'", "Twice"),
              Money("-25"));
}

TEST(JetDialect, AlterColumnRebuildsKeepingRowsIndexesAndTriggers)
{
    Store s;
    s.db.Execute("CREATE TABLE Holding (Code TEXT(10), Units LONG, Price DOUBLE, Cost CURRENCY)");
    s.db.Execute("CREATE INDEX HoldingCode ON Holding (Code)");
    s.db.Execute("INSERT INTO Holding (Code, Units, Price, Cost) VALUES ('a', 5, 2.5, 12.5)");
    s.db.Execute("INSERT INTO Holding (Code, Units, Price, Cost) VALUES ('b', -3, 0.1, 100)");
    s.db.Execute("INSERT INTO Holding (Code) VALUES ('c')");
    s.db.Execute("CREATE TRIGGER HoldingUpper AFTER INSERT ON Holding BEGIN UPDATE Holding SET "
                 "Code = upper(Code) WHERE rowid = NEW.rowid; END");

    s.db.Execute("ALTER TABLE Holding ALTER COLUMN Units CURRENCY");
    s.db.Execute("ALTER TABLE Holding ALTER COLUMN Price Currency");
    s.db.Execute("ALTER TABLE Holding ALTER COLUMN Cost varchar(20)");

    Recordset rs;
    rs.Open("SELECT Code, Units, Price, Cost FROM Holding ORDER BY Code", s.db,
            OpenMode::KeysetRead);
    ASSERT_EQ(rs.RecordCount(), 3u);
    for (const auto& [units, price, cost] :
         {std::tuple{Money("5"), Money("2.5"), Variant::FromText("12.5")},
          std::tuple{Money("-3"), Money("0.1"), Variant::FromText("100")},
          std::tuple{Variant(), Variant(), Variant()}})
    {
        EXPECT_EQ(rs.GetValue("Units"), units);
        EXPECT_EQ(rs.GetValue("Price"), price);
        EXPECT_EQ(rs.GetValue("Cost"), cost);
        rs.MoveNext();
    }

    s.db.Execute("INSERT INTO Holding (Code, Units) VALUES ('d', 0.25)");
    EXPECT_EQ(First(s.db, "SELECT Code, Units FROM Holding WHERE Units = 0.25", "Code"),
              Variant::FromText("D"));
    EXPECT_EQ(First(s.db,
                    "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = "
                    "'Holding'",
                    "name"),
              Variant::FromText("HoldingCode"));
}

TEST(JetDialect, CategoryRuleRowsAreNumberedByTheCounter)
{
    Store s;
    s.db.Execute("INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) "
                 "VALUES ('Description', 'Contains', 'GROCER', 'Food', 1)");
    s.db.Execute("INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) "
                 "VALUES ('Notes', 'Equals', 'rent', 'Rent', 2)");
    auto ids = [&]
    {
        return Texts(s.db,
                     "SELECT Column, Rule, Value, Category, Sequence, RowID FROM CategoryRule "
                     "ORDER BY Sequence",
                     "RowID");
    };
    EXPECT_EQ(ids(), (std::vector<std::string>{"1", "2"}));
    s.db.Execute("UPDATE CategoryRule SET Sequence = 2 WHERE RowID = 1");
    s.db.Execute("UPDATE CategoryRule SET Sequence = 1 WHERE RowID = 2");
    EXPECT_EQ(ids(), (std::vector<std::string>{"2", "1"}));

    s.db.Execute("DELETE FROM CategoryRule WHERE RowID = 2");
    s.db.Execute("INSERT INTO CategoryRule (Sequence) VALUES (3)");
    // The counter never reuses a number, and the text columns take their empty defaults.
    EXPECT_EQ(Texts(s.db,
                    "SELECT RowID & '|' & [Column] AS Row FROM CategoryRule WHERE "
                    "Sequence = 3",
                    "Row"),
              (std::vector<std::string>{"3|"}));
}

TEST(JetDialect, EngineFailuresRaiseDatabaseError)
{
    Store s;
    try
    {
        s.db.Execute("SELECT * FROM Nowhere");
        FAIL() << "a missing table was read";
    }
    catch (const DatabaseError& error)
    {
        EXPECT_EQ(error.StatusCode(), static_cast<std::int32_t>(0x80040E37));
        std::string message = GetComExceptionMessage(error);
        ASSERT_GE(message.size(), 14u);
        EXPECT_EQ(message.substr(message.size() - 14), " (-2147217865)") << message;
    }
    Recordset rs;
    EXPECT_THROW(rs.Open("SELECT * FROM Nowhere", s.db, OpenMode::KeysetLock), DatabaseError);
    for (const char* broken :
         {"UPDATE Nowhere SET A = 1", "SELEC * FROM Account", "SELECT FROM WHERE",
          "SELECT * FROM Account WHERE AccountID = 'open",
          "SELECT * FROM Trans WHERE PostDate = #1/2/2016",
          "SELECT * FROM Trans WHERE PostDate = #2/30/2016#", "SELECT * FROM [Account",
          "SELECT * FROM Account WHERE (AccountID = 'a'",
          "ALTER TABLE Account ALTER COLUMN Nothing LONG", "CREATE TABLE Broken (A TEXT(10)",
          "CREATE TABLE Odd (A PICTURE)"})
        EXPECT_THROW(s.db.Execute(broken), DatabaseError) << broken;
    // Nothing half-done remains: the connection still works.
    EXPECT_FALSE(s.db.HasRows("Account", "AccountID = 'open'"));
}

TEST(JetDialect, CurrencyArithmeticComputesAmountsInEveryStatementForm)
{
    Store s;
    AddAccount(s.db, "'A1', 'Checking', 'Bank', 1, 100.25, -7, TRUE");
    const std::string t1 = "SELECT Amount FROM Trans WHERE FITID = 'T1'";
    const std::string t2 = "SELECT Amount FROM Trans WHERE FITID = 'T2'";
    const std::string n1 = "SELECT Amount FROM Trans WHERE FITID = 'N1'";
    const std::string sum = "SELECT SUM(Amount) FROM Trans";
    const std::string insert = "INSERT INTO Trans (AccountID, Sequence, Amount, FITID) ";
    // Each case starts from T1 (Sequence 1, Amount 12.5) and T2 (Sequence 2, Amount -4).
    const struct
    {
        std::string statement; ///< run first when not empty
        std::string query;     ///< its first field is read back
        const char* expected;  ///< "amount X" or "number X"
    } cases[] = {
        {insert + "SELECT 'A1', 3, -1.25, 'N1'", n1, "amount -1.25"},
        {insert + "SELECT AccountID, 3, Amount + 0.5, 'N1' FROM Trans WHERE FITID = 'T1'", n1,
         "amount 13"},
        // A whole-number column stored as an amount counts whole amounts.
        {insert + "SELECT AccountID, 3, Sequence, 'N1' FROM Trans WHERE FITID = 'T2'", n1,
         "amount 2"},
        {insert + "VALUES ('A1', 3, 1 + 0.25, 'N1')", n1, "amount 1.25"},
        {"UPDATE Trans SET Amount = Amount * 2 WHERE FITID = 'T1'", t1, "amount 25"},
        {"UPDATE Trans SET Amount = 2 * Amount WHERE FITID = 'T1'", t1, "amount 25"},
        {"UPDATE Trans SET Amount = Amount + 1.5 WHERE FITID = 'T1'", t1, "amount 14"},
        {"UPDATE Trans SET Amount = 10 - Amount WHERE FITID = 'T1'", t1, "amount -2.5"},
        {"UPDATE Trans SET Amount = (Amount + 1) * -2 WHERE FITID = 'T1'", t1, "amount -27"},
        {"UPDATE Trans SET Amount = Amount * 1.5 WHERE FITID = 'T1'", t1, "amount 18.75"},
        // 12.5 / 3 = 4.16666..., rounded to the unit.
        {"UPDATE Trans SET Amount = Amount / 3 WHERE FITID = 'T1'", t1, "amount 4.1667"},
        {"UPDATE Trans SET Amount = Amount / 8 WHERE FITID = 'T1'", t1, "amount 1.5625"},
        {"UPDATE Trans SET Amount = Amount * Amount WHERE FITID = 'T1'", t1, "amount 156.25"},
        {"UPDATE Trans SET Amount = Amount * (SELECT OpeningBalance FROM Account WHERE "
         "AccountID = 'A1') WHERE FITID = 'T2'",
         t2, "amount -401"},
        {"UPDATE Trans SET Amount = Sequence + 0.5 WHERE FITID = 'T2'", t2, "amount 2.5"},
        {"UPDATE Trans SET Amount = 2 / 3 WHERE FITID = 'T1'", t1, "amount 0.6667"},
        // Conditions compare amounts: 12.5 * 2 is 25.
        {"UPDATE Trans SET Amount = 0 WHERE Amount * 2 > 30", t1, "amount 12.5"},
        {"UPDATE Trans SET Amount = 0 WHERE Amount * 2 > 20", t1, "amount 0"},
        {"UPDATE Trans SET Amount = Amount + 1 WHERE Amount BETWEEN 12 AND 13 OR Amount IN "
         "(-4, 7)",
         sum, "amount 10.5"},
        {"UPDATE Trans SET Amount = IIF(Amount > 0, Amount - 0.5, 0)", sum, "amount 12"},
        // Queries read what the arithmetic computes: an amount, or a plain number.
        {"", "SELECT Amount / Amount FROM Trans WHERE FITID = 'T1'", "number 1"},
        {"", "SELECT 100 / Amount FROM Trans WHERE FITID = 'T2'", "number -25"},
        {"", "SELECT Amount * Amount FROM Trans WHERE FITID = 'T2'", "amount 16"},
        {"", "SELECT SUM(Amount) / COUNT(*) FROM Trans", "amount 4.25"},
        {"", "SELECT TOP 1 Amount * 1.5 FROM Trans ORDER BY Amount * 1.5", "amount -6"},
        {"", "SELECT (SELECT TOP 1 Amount FROM Trans ORDER BY Amount DESC) * 1.5", "amount 18.75"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.statement.empty() ? c.query : c.statement);
        s.db.Execute("DELETE FROM Trans");
        AddTrans(s.db, "'A1', 1, 0, 2016, 1, #1/4/2016#, 'Food', 12.5, 'x', '', 'T1'");
        AddTrans(s.db, "'A1', 2, 0, 2016, 1, #1/5/2016#, 'Food', -4, 'y', '', 'T2'");
        if (!c.statement.empty())
            s.db.Execute(c.statement);
        Variant value = s.db.QueryScalar(c.query);
        std::string kind = value.GetKind() == Variant::Kind::Currency ? "amount"
                           : value.GetKind() == Variant::Kind::Double ? "number"
                                                                      : "other";
        EXPECT_EQ(kind + " " + value.ToText(), c.expected);
    }
}

TEST(JetDialect, NumberLiteralsReadTheSameInEveryLocale)
{
    Store s;
    for (const char* locale : {"C", "C.UTF-8", "en_US.UTF-8", "de_DE.UTF-8"})
    {
        ScopedLocale scoped(locale);
        if (!scoped.Ok())
        {
            ADD_FAILURE() << "locale " << locale << " is not installed";
            continue;
        }
        SCOPED_TRACE(locale);
        s.db.Execute("DELETE FROM Account");
        AddAccount(s.db, "'E', 'Exponent', 'Bank', 1, 1.5E2, 2.5e-1, 0.5");
        EXPECT_EQ(First(s.db, "SELECT OpeningBalance FROM Account", "OpeningBalance"),
                  Money("150"));
        EXPECT_EQ(First(s.db, "SELECT CurrentBalance FROM Account", "CurrentBalance"),
                  Money("0.25"));
        EXPECT_EQ(First(s.db, "SELECT BudgetInclude FROM Account", "BudgetInclude"),
                  Variant::FromBool(true));
        EXPECT_EQ(
            First(s.db, "SELECT COUNT(1) AS N FROM Account WHERE OpeningBalance = 1.5E2", "N"),
            Variant::FromLong(1));
        EXPECT_EQ(First(s.db, "SELECT COUNT(1) AS N FROM Account WHERE BudgetInclude = 0.25", "N"),
                  Variant::FromLong(1))
            << "a non-zero number next to a yes/no column is true";
        EXPECT_EQ(ScaleCurrencyLiteral("1.5E2"), "1500000");
        EXPECT_EQ(ScaleCurrencyLiteral("12.5"), "125000");
    }
}
