#include "data/Balances.h"

#include "budget/BudgetPeriods.h"
#include "budget/BudgetTestDatabase.h"
#include "data/DatabaseError.h"
#include "register/ViewKind.h"

#include <gtest/gtest.h>

namespace
{
class Balances : public BudgetTestDatabase
{
protected:
    std::string CurrentBalance(const std::string& id)
    {
        return Scalar("SELECT CurrentBalance FROM Account WHERE AccountID = " + SqlLiteral(id));
    }

    int SequenceOf(const std::string& id)
    {
        return std::stoi(
            Scalar("SELECT Sequence FROM Account WHERE AccountID = " + SqlLiteral(id)));
    }

    /// Both totals of a view as "first|second", a NULL total as "NULL".
    std::string Totals(const TotalsContext& context)
    {
        Variant first = Variant::FromText("stale");
        Variant second = Variant::FromText("stale");
        ComputeTotals(Db(), context, first, second);
        auto text = [](const Variant& v) { return v.IsNull() ? std::string("NULL") : v.ToText(); };
        return text(first) + "|" + text(second);
    }

    TotalsContext Register(const std::string& id, int year, int month)
    {
        TotalsContext context;
        context.kind = KindRegister;
        context.year = year;
        context.month = month;
        context.accountId = id;
        context.currentSequence = SequenceOf(id);
        return context;
    }
};
} // namespace

TEST_F(Balances, RegisterBalanceSumsEveryPeriodOfTheAccountOnly)
{
    AddAccount("O'Neil", "Bank", "100");
    AddAccount("B2", "Bank");
    AddTrans("O'Neil", 2015, 3, "Food", "-10.25");
    AddTrans("O'Neil", 2017, 8, "Pay", "1000.0001");
    AddTrans("B2", 2016, 1, "Pay", "5");

    UpdateCurrentBalance(Db(), KindRegister, "O'Neil");

    EXPECT_EQ(CurrentBalance("O'Neil"), "989.7501");
    EXPECT_EQ(CurrentBalance("B2"), "0");
}

TEST_F(Balances, AccountWithoutTransactionsGetsZero)
{
    AddAccount("A1", "Cash", "42.5");
    Db().Execute("UPDATE Account SET CurrentBalance = 17");

    UpdateCurrentBalance(Db(), KindRegister, "A1");

    EXPECT_EQ(CurrentBalance("A1"), "0");
    TotalsContext list;
    list.kind = KindAccountList;
    list.accountType = "Cash";
    EXPECT_EQ(Totals(list), "42.5|42.5"); // displayed balance = opening balance
}

TEST_F(Balances, LoanBalanceIsWhatIsStillOwed)
{
    AddAccount("L1", "Loan");
    AddAccount("L2", "Loan");
    Db().Execute("INSERT INTO Loan (Description, OriginalAmount, PaidAmount, AccountID) VALUES "
                 "('Car', 1000, 250, 'L1')");
    Db().Execute("INSERT INTO Loan (Description, OriginalAmount, PaidAmount, AccountID) VALUES "
                 "('Sofa', 500, 0, 'L1')");
    Db().Execute("INSERT INTO Loan (Description, OriginalAmount, PaidAmount, AccountID) VALUES "
                 "('House', 90000, 10000.5, 'L2')");

    UpdateCurrentBalance(Db(), KindLoan, "L1");

    EXPECT_EQ(CurrentBalance("L1"), "1250");
    TotalsContext loans;
    loans.kind = KindLoan;
    loans.accountId = "L1";
    EXPECT_EQ(Totals(loans), "81249.5|NULL"); // every loan account together
}

TEST_F(Balances, InvestmentBalanceAndTotalAreTheAccountsHoldings)
{
    AddAccount("I1", "Investment");
    AddAccount("I2", "Investment");
    Db().Execute(
        "INSERT INTO Investment (StockSymbol, Total, AccountID) VALUES ('X', 120.5, 'I1')");
    Db().Execute("INSERT INTO Investment (StockSymbol, Total, AccountID) VALUES ('Y', 79.5, 'I1')");
    Db().Execute("INSERT INTO Investment (StockSymbol, Total, AccountID) VALUES ('Z', 999, 'I2')");

    UpdateCurrentBalance(Db(), KindInvestment, "I1");

    EXPECT_EQ(CurrentBalance("I1"), "200");
    TotalsContext holdings;
    holdings.kind = KindInvestment;
    holdings.accountId = "I1";
    EXPECT_EQ(Totals(holdings), "200|NULL");
}

TEST_F(Balances, UnknownAccountFailsAndOtherKindsDoNothing)
{
    AddAccount("A1", "Bank");
    EXPECT_THROW(UpdateCurrentBalance(Db(), KindRegister, "nobody"), DatabaseError);
    EXPECT_THROW(UpdateCurrentBalance(Db(), KindLoan, "nobody"), DatabaseError);
    for (int kind : {KindHome, KindBudget, KindAccountList, KindReports})
        EXPECT_NO_THROW(UpdateCurrentBalance(Db(), kind, "nobody"));
}

TEST_F(Balances, RegisterTotalIsTheBalanceAtTheEndOfThePeriodShown)
{
    AddAccount("A1", "Bank", "100");
    AddAccount("A2", "Bank", "250");
    AddTrans("A1", 2014, 12, "Food", "-1");
    AddTrans("A1", 2015, 11, "Food", "-20");
    AddTrans("A1", 2016, 1, "Food", "-300");
    AddTrans("A1", 2016, 2, "Food", "-4000");
    AddTrans("A1", 2017, 1, "Food", "-50000");
    AddTrans("A2", 2015, 1, "Food", "-600000");

    EXPECT_EQ(Totals(Register("A1", 2016, 1)), "-221|NULL");
    EXPECT_EQ(Totals(Register("A2", 2014, 12)), "250|NULL"); // only the opening balance yet
}

TEST_F(Balances, MovingATransactionChangesThePeriodBalanceNotTheStoredOne)
{
    AddAccount("A1", "Bank", "10");
    AddTrans("A1", 2016, 5, "Food", "-3");
    AddTrans("A1", 2016, 5, "Pay", "50");
    UpdateCurrentBalance(Db(), KindRegister, "A1");
    EXPECT_EQ(Totals(Register("A1", 2016, 5)), "57|NULL");

    MoveTransactionPeriod(Db(), 2, 0, 1, "Pay");
    UpdateCurrentBalance(Db(), KindRegister, "A1");

    EXPECT_EQ(Totals(Register("A1", 2016, 5)), "7|NULL");
    EXPECT_EQ(Totals(Register("A1", 2016, 6)), "57|NULL");
    EXPECT_EQ(CurrentBalance("A1"), "47");
}

TEST_F(Balances, BudgetTotalsLeaveOutAccountsNotInTheBudget)
{
    AddAccount("A1", "Bank");
    AddAccount("A2", "Credit Card");
    AddAccount("X", "Bank", "0", false);
    AddBudget(2016, 5, "Food", "Living", "-300");
    AddBudget(2016, 5, "Rent", "Home", "-900.5");
    AddBudget(2016, 4, "Food", "Living", "-7");
    AddTrans("A1", 2016, 5, "Food", "-25.25");
    AddTrans("A2", 2016, 5, "Rent", "-900");
    AddTrans("A2", 2016, 5, "Unbudgeted", "-1"); // counts: the month's actual sum
    AddTrans("X", 2016, 5, "Food", "-1000");
    AddTrans("A1", 2016, 4, "Food", "-10000", 0, 5); // dated May, filed under April

    TotalsContext budget;
    budget.kind = KindBudget;
    budget.year = 2016;
    budget.month = 5;
    EXPECT_EQ(Totals(budget), "-1200.5|-926.25");
    budget.month = 6;
    EXPECT_EQ(Totals(budget), "NULL|NULL");
}

TEST_F(Balances, AccountListTotalsAreOpeningAndDisplayedBalancesOfTheType)
{
    AddAccount("A1", "Bank", "100");
    AddAccount("A2", "Bank", "-20.5");
    AddAccount("C1", "Cash", "7");
    AddAccount("Q", "Kid's", "3");
    AddTrans("A1", 2016, 5, "Food", "-30");
    AddTrans("C1", 2016, 5, "Food", "-1");
    UpdateCurrentBalance(Db(), KindRegister, "A1");
    UpdateCurrentBalance(Db(), KindRegister, "C1");

    TotalsContext list;
    list.kind = KindAccountList;
    list.accountType = "Bank";
    EXPECT_EQ(Totals(list), "79.5|49.5");
    list.accountType = "Kid's";
    EXPECT_EQ(Totals(list), "3|3");
    list.accountType = "Loan";
    EXPECT_EQ(Totals(list), "NULL|NULL");
}
