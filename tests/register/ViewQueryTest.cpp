#include "register/ViewQuery.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/ViewKind.h"
#include "register/CUpdatedRow.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace
{
/// One field of every row a view's query selects, in its order.
std::vector<std::string> Selected(Database& db, const ViewQueryContext& context,
                                  const std::string& field)
{
    std::vector<std::string> rows;
    for (Recordset rs = db.Execute(BuildViewQuery(context)); !rs.IsEOF(); rs.MoveNext())
        rows.push_back(rs.GetText(field));
    return rows;
}
} // namespace

TEST(ViewQuery, EachGridSelectsItsRowsInItsOrder)
{
    TempDir dir;
    std::unique_ptr<Database> db = CreateTestDatabase(dir.File("qtb.mdb"));
    for (const char* sql :
         {"INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
          "Description) VALUES ('A''1', 1, 0, 2016, 5, #5/3/2016#, 'older')",
          "INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
          "Description) VALUES ('A''1', 2, 1, 2016, 5, #5/9/2016#, 'part')",
          "INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
          "Description) VALUES ('A''1', 2, 0, 2016, 5, #5/9/2016#, 'newer')",
          "INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
          "Description) VALUES ('A''1', 3, 0, 2015, 5, #5/9/2015#, 'other year')",
          "INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
          "Description) VALUES ('A2', 4, 0, 2016, 5, #5/9/2016#, 'other account')",
          "INSERT INTO Budget ([Year], Period, Category, CategoryGroup) VALUES (2015, 12, 'Rent', "
          "'Home')",
          "INSERT INTO Budget ([Year], Period, Category, CategoryGroup) VALUES (2015, 12, 'Food', "
          "'Living')",
          "INSERT INTO Budget ([Year], Period, Category, CategoryGroup) VALUES (2015, 12, 'Heat', "
          "'Home')",
          "INSERT INTO Budget ([Year], Period, Category, CategoryGroup) VALUES (2016, 12, 'Gas', "
          "'Car')",
          "INSERT INTO Account (AccountID, Description, Type) VALUES ('J1', 'Zed', 'Joe''s')",
          "INSERT INTO Account (AccountID, Description, Type) VALUES ('J2', 'Abe', 'Joe''s')",
          "INSERT INTO Account (AccountID, Description, Type) VALUES ('B1', 'Bob', 'Bank')",
          "INSERT INTO Investment (StockSymbol, PurchaseDate, AccountID) VALUES ('MSFT', "
          "#2/1/2016#, 'I''1')",
          "INSERT INTO Investment (StockSymbol, PurchaseDate, AccountID) VALUES ('IBM', "
          "#1/1/2016#, 'I''1')",
          "INSERT INTO Investment (StockSymbol, PurchaseDate, AccountID) VALUES ('ACME', "
          "#1/1/2015#, 'I2')",
          "INSERT INTO Loan (Description, AccountID) VALUES ('House', 'L1')",
          "INSERT INTO Loan (Description, AccountID) VALUES ('Boat', 'L1')",
          "INSERT INTO Loan (Description, AccountID) VALUES ('Car', 'L2')"})
        db->Execute(sql);
    using Texts = std::vector<std::string>;
    // The register: the account's month, newest first, a transaction's parts in order.
    EXPECT_EQ(Selected(*db, {KindRegister, 2016, 5, "Bank", "A'1"}, "Description"),
              (Texts{"newer", "part", "older"}));
    EXPECT_EQ(Selected(*db, {KindBudget, 2015, 12, "", ""}, "Category"),
              (Texts{"Heat", "Rent", "Food"}));
    EXPECT_EQ(Selected(*db, {KindAccountList, 2016, 1, "Joe's", ""}, "Description"),
              (Texts{"Abe", "Zed"}));
    EXPECT_EQ(Selected(*db, {KindInvestment, 2016, 1, "", "I'1"}, "StockSymbol"),
              (Texts{"IBM", "MSFT"}));
    EXPECT_EQ(Selected(*db, {KindLoan, 2016, 1, "", "L1"}, "Description"),
              (Texts{"Boat", "House"}));
}

TEST(ViewQuery, BrowserKindsHaveNoQuery)
{
    for (int kind : {KindHome, KindReports, KindTransactionsReport, KindNone})
        EXPECT_EQ(BuildViewQuery({kind, 2016, 1, "", ""}), "");
}

TEST(ViewQuery, SplitFindsWhereAndOrderByIgnoringCaseOutsideQuotedTextAndNames)
{
    const struct
    {
        const char* sql;
        QueryParts parts;
        const char* joined;
    } cases[] = {
        {"SELECT a FROM T where x = 1  order by a DESC ",
         {"SELECT a FROM T", "x = 1", "a DESC"},
         "SELECT a FROM T WHERE x = 1 ORDER BY a DESC;"},
        {"SELECT a FROM T", {"SELECT a FROM T", "", ""}, "SELECT a FROM T;"},
        {"SELECT a FROM T ORDER BY a", {"SELECT a FROM T", "", "a"}, "SELECT a FROM T ORDER BY a;"},
        {"SELECT a FROM Trans WHERE AccountID = 'Joe''s order by where' AND [where x] = 1 ORDER BY "
         "PostDate DESC",
         {"SELECT a FROM Trans", "AccountID = 'Joe''s order by where' AND [where x] = 1",
          "PostDate DESC"},
         "SELECT a FROM Trans WHERE AccountID = 'Joe''s order by where' AND [where x] = 1 ORDER BY "
         "PostDate DESC;"},
    };
    for (const auto& c : cases)
    {
        QueryParts parts = SplitQuery(c.sql);
        EXPECT_EQ(parts.base, c.parts.base) << c.sql;
        EXPECT_EQ(parts.condition, c.parts.condition) << c.sql;
        EXPECT_EQ(parts.order, c.parts.order) << c.sql;
        EXPECT_EQ(JoinQuery(parts), c.joined);
    }
}

TEST(ViewQuery, SortOrdersBracketNamesAndKeepRowsInsideTheirGroups)
{
    EXPECT_EQ(BuildOrderText({"Amount"}, {true}), "[Amount]");
    EXPECT_EQ(BuildOrderText({"Amount", "Category"}, {false, true}), "[Amount] DESC, [Category]");
    const struct
    {
        const char* order;
        bool grouped;
        bool groupAscending;
        const char* rewritten;
    } cases[] = {
        // Without groups the Notes heading sorts by the stored PayeeName.
        {"[Notes] DESC", false, true, "[PayeeName] DESC"},
        {"[Amount]", false, true, "[Amount]"},
        {"[Amount]", true, true, "[CategoryGroup], [Amount]"},
        {"[Amount] DESC", true, false, "[CategoryGroup] DESC, [Amount] DESC"},
        {"[CategoryGroup] DESC", true, false, "[CategoryGroup] DESC, [Category]"},
        {"[CategoryGroup]", true, true, "[CategoryGroup], [Category]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RewriteSortOrder(c.order, c.grouped, c.groupAscending), c.rewritten) << c.order;
}

TEST(ViewQuery, DefaultWidthsGrowWithTheFontButLeaveTheLastColumnATenth)
{
    EXPECT_EQ(ScaledDefaultColumnWidths(KindRegister, 1.0), DefaultColumnWidths(KindRegister));
    // A font narrower than the one the defaults were made for keeps them.
    EXPECT_EQ(ScaledDefaultColumnWidths(KindRegister, 0.8), DefaultColumnWidths(KindRegister));
    std::vector<double> wide = ScaledDefaultColumnWidths(KindRegister, 1.2);
    ASSERT_EQ(wide.size(), 5u);
    EXPECT_DOUBLE_EQ(wide[2], 0.12);
    for (int kind = KindBudget; kind <= KindLoan; ++kind)
    {
        double sum = 0;
        for (double width : ScaledDefaultColumnWidths(kind, 3.0))
            sum += width;
        EXPECT_LE(sum, MaxLeadingShare + 1e-9) << kind;
        EXPECT_GE(sum, 0.8) << kind;
    }
    // A stored list is used as stored, whatever the font.
    std::vector<double> stored{0.2, 0.2, 0.2, 0.2, 0.2};
    EXPECT_EQ(CheckedColumnWidths(KindRegister, stored, 1.5), stored);
    EXPECT_EQ(CheckedColumnWidths(KindRegister, {0}, 1.2), wide);
    EXPECT_EQ(CheckedColumnWidths(KindRegister, {0.2, 0.2, 0.2, 0.2}),
              DefaultColumnWidths(KindRegister));
}

TEST(CUpdatedRow, KeepsOneValuePerColumnInFirstChangedOrder)
{
    CUpdatedRow row;
    EXPECT_EQ(row.Row(), -1);
    EXPECT_TRUE(row.Empty());
    row.SetRow(3);
    row.Set(2, Variant::FromText("a"));
    row.Set(0, Variant::FromLong(5));
    row.Set(2, Variant::FromText("b"));
    EXPECT_TRUE(row.Has(2));
    EXPECT_FALSE(row.Has(1));
    EXPECT_EQ(*row.Value(2), Variant::FromText("b"));
    EXPECT_FALSE(row.Value(1).has_value());
    row.Clear();
    EXPECT_EQ(row.Row(), -1);
    EXPECT_FALSE(row.Has(2));
}
