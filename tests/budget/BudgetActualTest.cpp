#include "budget/BudgetActual.h"

#include "budget/BudgetTestDatabase.h"
#include "data/Regional.h"
#include "data/ViewKind.h"

#include <gtest/gtest.h>

#include <tuple>

namespace
{
Variant Money(const char* text)
{
    return Variant::FromCurrency(*Currency::Parse(text));
}

/// Several groups, accounts and months; May 2016 is the period looked at.
class BudgetActualDb : public BudgetTestDatabase
{
protected:
    void SetUp() override
    {
        BudgetTestDatabase::SetUp();
        AddSeveralGroupsInMay2016();
    }

    Variant Actual(const std::string& category) { return BudgetActual(Db(), 2016, 5, category); }
    Variant GroupTotal(const std::string& group, int column)
    {
        return BudgetGroupTotal(Db(), 2016, 5, group, column);
    }
};
} // namespace

TEST_F(BudgetActualDb, ActualCountsTheBudgetAccountsAndDifferenceIsLastActualMinusBudgeted)
{
    EXPECT_EQ(Actual("Food"), Money("-110"));
    EXPECT_EQ(Actual("Rent"), Money("-900"));
    EXPECT_EQ(BudgetActual(Db(), 2016, 4, "Food"), Money("-500"));

    BudgetFigures figures;
    EXPECT_EQ(figures.Difference(Money("-300")), Money("300")); // nothing computed yet: 0
    EXPECT_EQ(figures.Actual(Db(), 2016, 5, "Food"), Money("-110"));
    EXPECT_EQ(figures.Difference(Money("-300")), Money("190"));
    EXPECT_EQ(figures.Difference(Variant::FromLong(-100)), Money("-10"));
    // A line without transactions shows minus its budgeted amount, not the previous line's.
    EXPECT_TRUE(figures.Actual(Db(), 2016, 5, "Utilities").IsNull());
    EXPECT_EQ(figures.Difference(Money("-120.5")), Money("120.5"));
    EXPECT_TRUE(figures.Difference(Variant()).IsNull());

    FakeRow food({{0, "Food"}, {1, "-300"}});
    Variant actual;
    Variant difference;
    figures.ComputeCell(Db(), KindBudget, 2016, 5, food, BudgetColumn::Actual, actual);
    figures.ComputeCell(Db(), KindBudget, 2016, 5, food, BudgetColumn::Difference, difference);
    EXPECT_EQ(actual, Money("-110"));
    EXPECT_EQ(difference, Money("190"));
    FakeRow loan({{0, "Car"}, {1, "1000"}, {2, "250"}});
    Variant balance;
    figures.ComputeCell(Db(), KindLoan, 2016, 5, loan, LoanColumn::Balance, balance);
    EXPECT_EQ(balance, Money("750"));
    // Other views and columns leave the value as it was.
    Variant untouched = Variant::FromText("x");
    figures.ComputeCell(Db(), KindRegister, 2016, 5, food, BudgetColumn::Actual, untouched);
    figures.ComputeCell(Db(), KindBudget, 2016, 5, food, 5, untouched);
    figures.ComputeCell(Db(), KindLoan, 2016, 5, loan, 7, untouched);
    EXPECT_EQ(untouched, Variant::FromText("x"));
}

TEST_F(BudgetActualDb, GroupTotalsCountOnlyTheGroupsCategoriesOfThePeriod)
{
    AddBudget(2016, 5, "Travel", "Holiday's", "-400");
    EXPECT_EQ(GroupTotal("Living", BudgetColumn::Budgeted), Money("-350"));
    EXPECT_EQ(GroupTotal("Home", BudgetColumn::Budgeted), Money("-1020.5"));
    // Fuel has a Living line in April, not in May: its May spending is not Living's.
    EXPECT_EQ(GroupTotal("Living", BudgetColumn::Actual), Money("-170.1"));
    EXPECT_EQ(GroupTotal("Home", BudgetColumn::Actual), Money("-900"));
    // April has no Food line: its Food spending is no group's.
    EXPECT_EQ(BudgetGroupTotal(Db(), 2016, 4, "Living", BudgetColumn::Actual),
              Variant::FromLong(0));
    EXPECT_EQ(GroupTotal("Holiday's", BudgetColumn::Actual), Variant::FromLong(0));
    EXPECT_EQ(GroupTotal("Holiday's", BudgetColumn::Budgeted), Money("-400"));
    EXPECT_TRUE(GroupTotal("Nobody", BudgetColumn::Budgeted).IsNull());
}

TEST_F(BudgetActualDb, HintListsTheTransactionsBehindALineInTheBudgetViewOnly)
{
    std::string expected = "Number of transactions: 3";
    for (auto [month, text, units] :
         {std::tuple{5, "Tx 1", -252500}, std::tuple{5, "Tx 2", -747500},
          std::tuple{3, "Tx 4", -100000}})
        expected += "\n\nDate: " + FormatShortDate(DateTime{2016, month, 1, 0, 0, 0}) +
                    "\nDescription: " + text +
                    "\nAmount: " + FormatCurrency(Currency::FromUnits(units));
    EXPECT_EQ(BudgetHintText(Db(), 2016, 5, "Food"), expected);
    EXPECT_EQ(BudgetHintText(Db(), 2016, 5, "Utilities"), "Number of transactions: 0");

    FakeRow row({{0, "Rent"}});
    EXPECT_EQ(BudgetCellHint(Db(), KindBudget, 0, 2016, 5, row), ""); // the new-record row
    EXPECT_EQ(BudgetCellHint(Db(), KindRegister, 2, 2016, 5, row), "");
    EXPECT_EQ(BudgetCellHint(Db(), KindBudget, 2, 2016, 5, row).substr(0, 25),
              "Number of transactions: 1");
}

TEST(BudgetActual, LoanBalanceIsOriginalMinusPaid)
{
    EXPECT_EQ(LoanBalance(Money("1000"), Money("250")), Money("750"));
    EXPECT_EQ(LoanBalance(Money("0.0003"), Variant::FromLong(1)), Money("-0.9997"));
    EXPECT_TRUE(LoanBalance(Money("1000"), Variant()).IsNull());
}
