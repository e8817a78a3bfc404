#include "data/Balances.h"

#include "budget/BudgetPeriods.h"
#include "budget/BudgetTestDatabase.h"
#include "data/DatabaseError.h"
#include "data/ViewKind.h"

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
        return {KindRegister, year, month, "", id, SequenceOf(id)};
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

TEST_F(Balances, LoanAndInvestmentBalancesAreOwedAndHeldAndUnknownAccountsFail)
{
    AddAccount("L1", "Loan");
    AddAccount("L2", "Loan");
    AddAccount("I1", "Investment");
    AddAccount("I2", "Investment");
    for (const char* values :
         {"'Car', 1000, 250, 'L1'", "'Sofa', 500, 0, 'L1'", "'House', 90000, 10000.5, 'L2'"})
        Db().Execute("INSERT INTO Loan (Description, OriginalAmount, PaidAmount, AccountID) "
                     "VALUES (" +
                     std::string(values) + ")");
    for (const char* values : {"'X', 120.5, 'I1'", "'Y', 79.5, 'I1'", "'Z', 999, 'I2'"})
        Db().Execute("INSERT INTO Investment (StockSymbol, Total, AccountID) VALUES (" +
                     std::string(values) + ")");

    UpdateCurrentBalance(Db(), KindLoan, "L1");
    UpdateCurrentBalance(Db(), KindInvestment, "I1");

    EXPECT_EQ(CurrentBalance("L1"), "1250");
    EXPECT_EQ(CurrentBalance("I1"), "200");
    EXPECT_EQ(Totals({KindLoan, 0, 0, "", "L1", 0}), "81249.5|NULL"); // every loan
    EXPECT_EQ(Totals({KindInvestment, 0, 0, "", "I1", 0}), "200|NULL");

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
    AddTrans("A2", 2016, 5, "Pay", "50"); // 7

    EXPECT_EQ(Totals(Register("A1", 2016, 1)), "-221|NULL");
    EXPECT_EQ(Totals(Register("A2", 2014, 12)), "250|NULL"); // only the opening balance yet

    // Moving a transaction changes the period balance, not the stored one.
    UpdateCurrentBalance(Db(), KindRegister, "A2");
    MoveTransactionPeriod(Db(), 7, 0, 1, "Pay");
    UpdateCurrentBalance(Db(), KindRegister, "A2");
    EXPECT_EQ(Totals(Register("A2", 2016, 5)), "-599750|NULL");
    EXPECT_EQ(Totals(Register("A2", 2016, 6)), "-599700|NULL");
    EXPECT_EQ(CurrentBalance("A2"), "-599950");
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

    EXPECT_EQ(Totals({KindBudget, 2016, 5, "", "", 0}), "-1200.5|-926.25");
    EXPECT_EQ(Totals({KindBudget, 2016, 6, "", "", 0}), "NULL|NULL");
}

TEST_F(Balances, AccountListTotalsAreOpeningAndDisplayedBalancesOfTheType)
{
    AddAccount("A1", "Bank", "100");
    AddAccount("A2", "Bank", "-20.5");
    AddAccount("C1", "Cash", "7");
    AddAccount("Q", "Kid's", "3");
    Db().Execute("UPDATE Account SET CurrentBalance = 17 WHERE AccountID = 'Q'");
    AddTrans("A1", 2016, 5, "Food", "-30");
    AddTrans("C1", 2016, 5, "Food", "-1");
    UpdateCurrentBalance(Db(), KindRegister, "A1");
    UpdateCurrentBalance(Db(), KindRegister, "C1");
    UpdateCurrentBalance(Db(), KindRegister, "Q"); // no transactions: 0
    EXPECT_EQ(CurrentBalance("Q"), "0");

    auto list = [&](const char* type) { return Totals({KindAccountList, 0, 0, type, "", 0}); };
    EXPECT_EQ(list("Bank"), "79.5|49.5");
    EXPECT_EQ(list("Kid's"), "3|3"); // displayed balance = opening balance
    EXPECT_EQ(list("Loan"), "NULL|NULL");
}

TEST_F(Balances, ABalancePastTheCurrencyRangeRaisesOverflowAndStoresNothing)
{
    AddAccount("Big", "Bank", "5");
    AddTrans("Big", 2016, 1, "Pay", "900000000000000");
    AddTrans("Big", 2016, 2, "Pay", "900000000000000");
    try
    {
        UpdateCurrentBalance(Db(), KindRegister, "Big");
        ADD_FAILURE() << "the sum did not overflow";
    }
    catch (const DatabaseError& error)
    {
        EXPECT_EQ(GetComExceptionMessage(error), "Overflow (-2147352566)");
    }
    EXPECT_EQ(CurrentBalance("Big"), "0") << "nothing is stored";
    // The totals line adds the opening balance to the sum: past the range, Overflow too.
    Db().Execute("DELETE FROM Trans WHERE Period = 2");
    Db().Execute("UPDATE Account SET OpeningBalance = 900000000000000 WHERE AccountID = 'Big'");
    UpdateCurrentBalance(Db(), KindRegister, "Big");
    Variant first;
    Variant second;
    EXPECT_THROW(ComputeTotals(Db(), Register("Big", 2016, 1), first, second), DatabaseError);
}
