#include "data/RecordRules.h"

#include "budget/BudgetTestDatabase.h"
#include "data/ViewKind.h"

#include <gtest/gtest.h>

#include <algorithm>

using Strings = std::vector<std::string>;

namespace
{
class RecordRules : public BudgetTestDatabase
{
protected:
    RecordContext Context(int kind)
    {
        return {.kind = kind,
                .year = 2016,
                .month = 5,
                .accountType = "Bank",
                .currentAccountId = "A1",
                .newRow = m_newRow};
    }

    /// Runs ValidateRow; "ok" or "column:message".
    std::string Validate(int kind, FakeRow& row)
    {
        int column = -1;
        std::string message;
        if (ValidateRow(Db(), Context(kind), row, column, message))
            return "ok";
        return std::to_string(column) + ":" + message;
    }

    /// Writes a row of the Budget view as the grid writes a new one: every cell with text.
    void WriteNewBudgetRow(const FakeRow& row)
    {
        Recordset rs;
        rs.Open("SELECT Category, Amount, Sequence, Year, Period, CategoryGroup FROM Budget "
                "WHERE Year = 2016 AND Period = 5",
                Db(), OpenMode::KeysetEdit);
        rs.AddNew();
        for (const auto& [column, text] : row.Cells())
            rs.SetValue(column, Variant::FromText(text));
        rs.Update();
    }

    bool m_newRow = true; ///< the rows validated are new ones
};
} // namespace

TEST_F(RecordRules, BudgetLineNeedsACategoryAndGetsThePeriodAndAGroup)
{
    FakeRow noCategory({{1, "-300"}, {5, "Living"}});
    EXPECT_EQ(Validate(KindBudget, noCategory), "0:Please enter a category.");
    EXPECT_EQ(noCategory.CellText(3), ""); // nothing filled in on refusal

    FakeRow noGroup({{0, "Food"}, {1, "-300"}, {3, "2015"}, {4, "1"}});
    EXPECT_EQ(Validate(KindBudget, noGroup), "ok");
    EXPECT_EQ(noGroup.Cells(),
              (std::map<int, std::string>{
                  {0, "Food"}, {1, "-300"}, {3, "2016"}, {4, "5"}, {5, "(none)"}}));

    FakeRow withGroup({{0, "Food"}, {5, "Living"}});
    EXPECT_EQ(Validate(KindBudget, withGroup), "ok");
    EXPECT_EQ(withGroup.CellText(5), "Living");
}

TEST_F(RecordRules, ANewBudgetLineForACategoryTheMonthHoldsTakesThatLinesPlace)
{
    AddBudget(2016, 5, "Food", "(none)", "0");     // Sequence 1, as the register adds it
    AddBudget(2016, 4, "Food", "Living", "-80");   // 2: another month
    AddBudget(2016, 5, "Rent", "Home", "-900");    // 3
    AddBudget(2016, 5, "Utilities", "Home", "-1"); // 4 and 5: a pair stored earlier
    AddBudget(2016, 5, "Utilities", "Bills", "-2");

    // Typed in another case: the line keeps its number and spelling, takes group and amount.
    FakeRow food({{0, "food"}, {1, "-300"}, {5, "Groceries"}});
    EXPECT_EQ(Validate(KindBudget, food), "ok");
    EXPECT_EQ(food.Cells(),
              (std::map<int, std::string>{
                  {0, "Food"}, {1, "-300"}, {2, "1"}, {3, "2016"}, {4, "5"}, {5, "Groceries"}}));
    // Validated again before the write: nothing more changes.
    EXPECT_EQ(Validate(KindBudget, food), "ok");
    EXPECT_EQ(food.CellText(2), "1");
    WriteNewBudgetRow(food);
    EXPECT_EQ(Column("SELECT Sequence FROM Budget WHERE Category = 'Food' AND Period = 5"),
              (Strings{"1"}));

    // Cells left empty keep the line's group and amount.
    FakeRow rent({{0, "Rent"}});
    EXPECT_EQ(Validate(KindBudget, rent), "ok");
    EXPECT_EQ(rent.Cells(),
              (std::map<int, std::string>{
                  {0, "Rent"}, {1, "-900"}, {2, "3"}, {3, "2016"}, {4, "5"}, {5, "Home"}}));
    WriteNewBudgetRow(rent);

    // Of a stored pair, the line numbered first is the one replaced; the other stays.
    FakeRow utilities({{0, "Utilities"}, {1, "-120.5"}});
    EXPECT_EQ(Validate(KindBudget, utilities), "ok");
    EXPECT_EQ(utilities.CellText(2), "4");
    EXPECT_EQ(utilities.CellText(5), "Home");
    WriteNewBudgetRow(utilities);

    // A category the month does not hold is a line of its own.
    FakeRow fuel({{0, "Fuel"}, {1, "-60"}});
    EXPECT_EQ(Validate(KindBudget, fuel), "ok");
    EXPECT_EQ(fuel.CellText(2), "");
    WriteNewBudgetRow(fuel);

    // A stored line renamed to a category the month holds stays a line of its own.
    m_newRow = false;
    FakeRow renamed({{0, "Fuel"}, {1, "-5"}, {2, "3"}, {5, "Home"}});
    EXPECT_EQ(Validate(KindBudget, renamed), "ok");
    EXPECT_EQ(renamed.CellText(2), "3");
    EXPECT_EQ(Column("SELECT COUNT(*) FROM Budget WHERE Category = 'Fuel'"), (Strings{"1"}));

    Strings lines = BudgetLines(2016, 5);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (Strings{"Food|Groceries|-300", "Fuel|(none)|-60", "Rent|Home|-900",
                              "Utilities|Bills|-2", "Utilities|Home|-120.5"}));
    EXPECT_EQ(Column("SELECT Sequence FROM Budget WHERE Category = 'Utilities' ORDER BY Sequence"),
              (Strings{"4", "5"}));
    EXPECT_EQ(BudgetLines(2016, 4), (Strings{"Food|Living|-80"}));
}

TEST_F(RecordRules, AccountNeedsADescriptionAndAnUnusedNumber)
{
    AddAccount("O'Hara-1", "Bank");
    std::string sequence = Scalar("SELECT Sequence FROM Account WHERE AccountID = 'O''Hara-1'");

    FakeRow noDescription({{1, "9"}});
    EXPECT_EQ(Validate(KindAccountList, noDescription), "0:Please enter an account description.");
    FakeRow noNumber({{0, "Savings"}});
    EXPECT_EQ(Validate(KindAccountList, noNumber), "1:Please enter an account #.");
    FakeRow clash({{0, "Savings"}, {1, "o'hara-1"}});
    EXPECT_EQ(Validate(KindAccountList, clash), "1:That account already exists.");
    EXPECT_EQ(clash.CellText(5), "");

    // The stored row edited without changing its number does not clash with itself.
    FakeRow same({{0, "Renamed"}, {1, "O'Hara-1"}, {4, sequence}});
    EXPECT_EQ(Validate(KindAccountList, same), "ok");
    EXPECT_EQ(same.CellText(5), "Bank");

    FakeRow fresh({{0, "Savings"}, {1, "2"}});
    EXPECT_EQ(Validate(KindAccountList, fresh), "ok");
    EXPECT_EQ(fresh.CellText(5), "Bank");
}

TEST_F(RecordRules, NewRegisterRowIsFiledUnderThePeriodShownAndAStoredOneKeepsItsPeriod)
{
    AddAccount("A1", "Bank");
    AddBudget(2016, 5, "Rent", "Home", "-900");
    AddTrans("A1", 2016, 4, "Food", "-1"); // Sequence 1
    AddTrans("A1", 2016, 4, "Food", "-2"); // Sequence 2

    FakeRow row({{0, "12/30/2015"}, {1, "Groceries"}, {2, "-12.5"}});
    EXPECT_EQ(Validate(KindRegister, row), "ok");
    EXPECT_EQ(row.Cells(), (std::map<int, std::string>{{0, "12/30/2015"},
                                                       {1, "Groceries"},
                                                       {2, "-12.5"},
                                                       {4, "(none)"},
                                                       {6, "A1"},
                                                       {7, "2016"},
                                                       {8, "5"},
                                                       {10, "3"},
                                                       {11, "0"}}));

    // A stored row keeps its own period, yet the line is ensured in the period shown.
    const std::map<int, std::string> stored{
        {4, "Kid's toys"}, {6, "B7"}, {7, "2016"}, {8, "4"}, {10, "17"}};
    FakeRow old(stored);
    EXPECT_EQ(Validate(KindRegister, old), "ok");
    EXPECT_EQ(old.Cells(), stored);
    EXPECT_EQ(BudgetLines(2016, 5),
              (Strings{"(none)|(none)|0", "Kid's toys|(none)|0", "Rent|Home|-900"}));
    EXPECT_EQ(BudgetLines(2016, 4), Strings{});
}

TEST_F(RecordRules, HoldingsAndLoansTakeTheAccountInContext)
{
    FakeRow holding({{0, "ACME"}, {7, "other"}});
    EXPECT_EQ(Validate(KindInvestment, holding), "ok");
    EXPECT_EQ(holding.CellText(7), "A1");

    FakeRow loan({{0, "Car"}});
    EXPECT_EQ(Validate(KindLoan, loan), "ok");
    EXPECT_EQ(loan.Cells(), (std::map<int, std::string>{{0, "Car"}, {4, "A1"}}));

    FakeRow other({{0, "x"}});
    for (int kind : {KindHome, KindReports, KindTransactionsReport})
        EXPECT_EQ(Validate(kind, other), "ok");
    EXPECT_EQ(other.Cells(), (std::map<int, std::string>{{0, "x"}}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget"), "0");
}

TEST_F(RecordRules, DeletingABudgetLineUncategorisesThatMonthsTransactions)
{
    AddAccount("A1", "Bank");
    AddAccount("X", "Bank", "0", false);
    AddBudget(2016, 5, "Kid's toys", "Living", "-20");
    AddTrans("A1", 2016, 5, "Kid's toys", "-1"); // 1
    AddTrans("X", 2016, 5, "Kid's toys", "-2");  // 2: every account counts
    AddTrans("A1", 2016, 6, "Kid's toys", "-3"); // 3: another month
    AddTrans("A1", 2016, 5, "Food", "-4");       // 4

    // Without transactions, without the focus or in another view nothing changes.
    FakeRow unused({{0, "Unused"}});
    DeleteRecord(Db(), Context(KindBudget), true, unused);
    FakeRow food({{0, "Food"}});
    DeleteRecord(Db(), Context(KindBudget), false, food);
    DeleteRecord(Db(), Context(KindRegister), true, food);
    EXPECT_EQ(BudgetLines(2016, 5), (Strings{"Kid's toys|Living|-20"}));
    EXPECT_EQ(Column("SELECT Category FROM Trans WHERE Sequence = 4"), (Strings{"Food"}));

    FakeRow line({{0, "Kid's toys"}});
    DeleteRecord(Db(), Context(KindBudget), true, line);
    EXPECT_EQ(Column("SELECT Category FROM Trans ORDER BY Sequence"),
              (Strings{"(none)", "(none)", "Kid's toys", "Food"}));
    EXPECT_EQ(BudgetLines(2016, 5), (Strings{"(none)|(none)|0", "Kid's toys|Living|-20"}));
}

TEST_F(RecordRules, ATransferBetweenBudgetedAccountsAddsNoBudgetLine)
{
    AddAccount("A1", "Bank", "0", true, "Checking");
    AddAccount("S", "Bank", "0", true, "Savings");
    AddAccount("X", "Bank", "0", false, "Outside");
    AddAccount("I", "Investment", "0", true, "Brokerage");
    // Money that stays in the budget needs no line; money that leaves it does, as does a
    // category that only looks like an account.
    for (const char* category : {"[Savings]", "[Outside]", "[Brokerage]", "[Nowhere]"})
    {
        FakeRow row({{0, "5/2/2016"}, {2, "-10"}, {4, category}});
        EXPECT_EQ(Validate(KindRegister, row), "ok") << category;
    }
    EXPECT_EQ(BudgetLines(2016, 5), (Strings{"[Brokerage]|(none)|0", "[Nowhere]|(none)|0",
                                             "[Outside]|(none)|0"}));
}
