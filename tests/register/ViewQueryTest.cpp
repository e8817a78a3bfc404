#include "register/ViewQuery.h"
#include "data/ViewKind.h"
#include "register/CUpdatedRow.h"

#include <gtest/gtest.h>

TEST(ViewQuery, RegisterQuerySelectsTheAccountsMonthNewestFirst)
{
    ViewQueryContext context{KindRegister, 2016, 5, "Bank", "A1"};
    EXPECT_EQ(BuildViewQuery(context),
              "SELECT PostDate, Description, Amount, CheckID, Category, PayeeName AS Notes, "
              "AccountID, Year, Period, FITID, Sequence, SubSequence FROM Trans WHERE AccountID = "
              "'A1' AND Period = 5 AND Year = 2016 ORDER BY PostDate DESC, Sequence DESC, "
              "SubSequence");
}

TEST(ViewQuery, BudgetQueryOrdersByGroupThenCategory)
{
    ViewQueryContext context{KindBudget, 2015, 12, "", ""};
    EXPECT_EQ(BuildViewQuery(context),
              "SELECT Category, Amount, Sequence, Year, Period, CategoryGroup FROM Budget WHERE "
              "Year = 2015 AND Period = 12 ORDER BY CategoryGroup, Category");
}

TEST(ViewQuery, AccountListQuotesTheTypeWithDoubledApostrophes)
{
    ViewQueryContext context{KindAccountList, 2016, 1, "Joe's", ""};
    EXPECT_EQ(BuildViewQuery(context),
              "SELECT Description, AccountID, OpeningBalance, (OpeningBalance + CurrentBalance) "
              "as TotBalance, Sequence, Type FROM Account WHERE Type = 'Joe''s' ORDER BY "
              "Description");
}

TEST(ViewQuery, InvestmentAndLoanQueriesFilterByAccount)
{
    EXPECT_EQ(BuildViewQuery({KindInvestment, 2016, 1, "", "I'1"}),
              "SELECT StockSymbol, StockName, PurchaseDate, PurchasePrice, Quantity, LastPrice, "
              "Total, AccountID, Sequence FROM Investment WHERE AccountID = 'I''1' ORDER BY "
              "PurchaseDate");
    EXPECT_EQ(BuildViewQuery({KindLoan, 2016, 1, "", "L1"}),
              "SELECT Description, OriginalAmount, PaidAmount, InterestRate, AccountID, Sequence "
              "FROM Loan WHERE AccountID = 'L1' ORDER BY Description");
}

TEST(ViewQuery, BrowserKindsHaveNoQuery)
{
    for (int kind : {KindHome, KindReports, KindTransactionsReport, KindNone})
        EXPECT_EQ(BuildViewQuery({kind, 2016, 1, "", ""}), "");
}

TEST(ViewQuery, SplitFindsWhereAndOrderByIgnoringCase)
{
    QueryParts parts = SplitQuery("SELECT a FROM T where x = 1  order by a DESC ");
    EXPECT_EQ(parts.base, "SELECT a FROM T");
    EXPECT_EQ(parts.condition, "x = 1");
    EXPECT_EQ(parts.order, "a DESC");
    EXPECT_EQ(JoinQuery(parts), "SELECT a FROM T WHERE x = 1 ORDER BY a DESC;");
}

TEST(ViewQuery, SplitWithoutConditionOrOrderLeavesThemEmpty)
{
    QueryParts parts = SplitQuery("SELECT a FROM T");
    EXPECT_EQ(parts.base, "SELECT a FROM T");
    EXPECT_EQ(parts.condition, "");
    EXPECT_EQ(parts.order, "");
    EXPECT_EQ(JoinQuery(parts), "SELECT a FROM T;");
    parts = SplitQuery("SELECT a FROM T ORDER BY a");
    EXPECT_EQ(parts.condition, "");
    EXPECT_EQ(parts.order, "a");
}

TEST(ViewQuery, OrderTextBracketsNamesAndMarksDescending)
{
    EXPECT_EQ(BuildOrderText({"Amount"}, {true}), "[Amount]");
    EXPECT_EQ(BuildOrderText({"Amount", "Category"}, {false, true}), "[Amount] DESC, [Category]");
}

TEST(ViewQuery, NotesHeadingSortsByStoredPayeeName)
{
    EXPECT_EQ(RewriteSortOrder("[Notes] DESC", false, true), "[PayeeName] DESC");
    EXPECT_EQ(RewriteSortOrder("[Amount]", false, true), "[Amount]");
}

TEST(ViewQuery, GroupedSortKeepsRowsInsideTheirGroups)
{
    EXPECT_EQ(RewriteSortOrder("[Amount]", true, true), "[CategoryGroup], [Amount]");
    EXPECT_EQ(RewriteSortOrder("[Amount] DESC", true, false),
              "[CategoryGroup] DESC, [Amount] DESC");
    EXPECT_EQ(RewriteSortOrder("[CategoryGroup] DESC", true, false),
              "[CategoryGroup] DESC, [Category]");
    EXPECT_EQ(RewriteSortOrder("[CategoryGroup]", true, true), "[CategoryGroup], [Category]");
}

TEST(ViewQuery, ColumnWidthDefaultsAndKeys)
{
    EXPECT_EQ(ColumnWidthKey(KindBudget), "Budget");
    EXPECT_EQ(ColumnWidthKey(KindAccountList), "Account");
    EXPECT_EQ(ColumnWidthKey(KindRegister), "Trans");
    EXPECT_EQ(ColumnWidthKey(KindInvestment), "Investment");
    EXPECT_EQ(ColumnWidthKey(KindLoan), "Loan");
    EXPECT_EQ(ColumnWidthKey(KindHome), "");
    EXPECT_EQ(DefaultColumnWidths(KindBudget),
              (std::vector<double>{0.25, 0.2, 0, 0, 0, 0, 0.2, 0.2}));
    EXPECT_EQ(DefaultColumnWidths(KindAccountList), (std::vector<double>{0.4, 0.2, 0.2, 0}));
    EXPECT_EQ(DefaultColumnWidths(KindInvestment).size(), 6u);
    EXPECT_EQ(DefaultColumnWidths(KindLoan), (std::vector<double>{0.4, 0.16, 0.16, 0.1, 0, 0, 0}));
}

TEST(ViewQuery, SplittingSkipsKeywordsInsideQuotedTextAndNames)
{
    QueryParts parts = SplitQuery("SELECT a FROM Trans WHERE AccountID = 'Joe''s order by "
                                  "where' AND [where x] = 1 ORDER BY PostDate DESC");
    EXPECT_EQ(parts.base, "SELECT a FROM Trans");
    EXPECT_EQ(parts.condition, "AccountID = 'Joe''s order by where' AND [where x] = 1");
    EXPECT_EQ(parts.order, "PostDate DESC");
    EXPECT_EQ(JoinQuery(parts), "SELECT a FROM Trans WHERE AccountID = 'Joe''s order by where' "
                                "AND [where x] = 1 ORDER BY PostDate DESC;");
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
}

TEST(ViewQuery, StoredWidthListOfWrongLengthGivesTheDefaults)
{
    EXPECT_EQ(CheckedColumnWidths(KindRegister, {0.2, 0.2, 0.2, 0.2}),
              (std::vector<double>{0.12, 0.3, 0.1, 0.1, 0.1}));
    EXPECT_EQ(CheckedColumnWidths(KindRegister, {0}), DefaultColumnWidths(KindRegister));
    std::vector<double> stored{0.2, 0.2, 0.2, 0.2, 0.2};
    EXPECT_EQ(CheckedColumnWidths(KindRegister, stored), stored);
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
