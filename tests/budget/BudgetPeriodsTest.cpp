#include "budget/BudgetPeriods.h"
#include "data/BudgetLine.h"

#include "budget/BudgetTestDatabase.h"
#include "data/DatabaseError.h"

#include <gtest/gtest.h>

using Strings = std::vector<std::string>;

namespace
{
class BudgetPeriods : public BudgetTestDatabase
{
protected:
    Variant Zero() { return Variant::FromCurrency(Currency()); }

    std::string PeriodOf(int sequence, int subSequence = 0)
    {
        Recordset rs = Db().Execute("SELECT [Year], Period, PostDate FROM Trans WHERE Sequence = " +
                                    std::to_string(sequence) +
                                    " AND SubSequence = " + std::to_string(subSequence));
        return rs.GetText("Year") + "/" + rs.GetText("Period") + " posted " +
               std::to_string(rs.GetTime("PostDate"));
    }
};
} // namespace

TEST_F(BudgetPeriods, EnsureBudgetLineAddsAMissingLineOnly)
{
    AddBudget(2016, 5, "Food", "Living", "-300");
    EnsureBudgetLine(Db(), "food", 2016, 5, "(none)", Zero()); // categories ignore case
    EnsureBudgetLine(Db(), "O'Brien's", 2016, 5, "Gifts", Variant::FromText("-12.5"));
    EnsureBudgetLine(Db(), "O'Brien's", 2016, 5, "Other", Zero());
    EnsureBudgetLine(Db(), "Food", 2016, 6, "(none)", Zero());

    EXPECT_EQ(BudgetLines(2016, 5), (Strings{"Food|Living|-300", "O'Brien's|Gifts|-12.5"}));
    EXPECT_EQ(BudgetLines(2016, 6), (Strings{"Food|(none)|0"}));
    // The table numbers the lines added here.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget WHERE Sequence IS NULL"), "0");
}

TEST_F(BudgetPeriods, CopyPreviousBudgetSkipsMonthsWithoutLinesAcrossTheYearEnd)
{
    AddBudget(2016, 2, "Later", "Living", "-5"); // after the target: never a source
    CopyPreviousBudget(Db(), 2016, 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget"), "1");
    AddBudget(2014, 12, "Older", "Living", "-1");
    AddBudget(2015, 10, "Old", "Living", "-1");
    AddBudget(2015, 11, "Food", "Living", "-300");
    AddBudget(2015, 11, "Rent", "Home", "-900.25");

    CopyPreviousBudget(Db(), 2016, 1);

    EXPECT_EQ(BudgetLines(2016, 1), (Strings{"Food|Living|-300", "Rent|Home|-900.25"}));
    EXPECT_EQ(BudgetLines(2015, 12), Strings{});
    EXPECT_EQ(BudgetLines(2015, 11), (Strings{"Food|Living|-300", "Rent|Home|-900.25"}));

    CopyLastBudget(Db(), 2016, 2); // at start-up: February has a line and is left alone
    CopyLastBudget(Db(), 2015, 12);
    EXPECT_EQ(BudgetLines(2016, 2), (Strings{"Later|Living|-5"}));
    EXPECT_EQ(BudgetLines(2015, 12), (Strings{"Food|Living|-300", "Rent|Home|-900.25"}));
}

TEST_F(BudgetPeriods, CopyOverwritesLinesAndUncategorisesTransactionsOfDroppedLines)
{
    AddAccount("A1", "Bank");
    AddAccount("A2", "Bank", "0", false);
    AddBudget(2016, 4, "Rent", "Home", "-900");
    AddBudget(2016, 4, "Food", "Living", "-300");
    AddBudget(2016, 5, "rent", "Housing", "-850");
    AddBudget(2016, 5, "Kid's toys", "Living", "-20");
    AddBudget(2016, 5, "Unused", "Living", "-1");
    AddTrans("A1", 2016, 5, "Kid's toys", "-10"); // 1
    AddTrans("A2", 2016, 5, "Kid's toys", "-11"); // 2: every account counts
    AddTrans("A1", 2016, 6, "Kid's toys", "-12"); // 3: another month keeps its category
    AddTrans("A1", 2016, 5, "Rent", "-900");      // 4

    CopyBudget(Db(), 2016, 4, 2016, 5);

    // The existing line keeps its own spelling of the category.
    EXPECT_EQ(BudgetLines(2016, 5),
              (Strings{"(none)|(none)|0", "Food|Living|-300", "rent|Home|-900"}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget WHERE Sequence IS NULL"), "0");
    EXPECT_EQ(Column("SELECT Category FROM Trans ORDER BY Sequence"),
              (Strings{"(none)", "(none)", "Kid's toys", "Rent"}));

    // A "(none)" line already there is neither deleted nor doubled nor changed.
    Db().Execute("UPDATE Budget SET CategoryGroup = 'Misc', Amount = -5 WHERE Category = '(none)'");
    AddBudget(2016, 5, "Gone", "Living", "-1");
    AddTrans("A1", 2016, 5, "Gone", "-3");
    CopyBudget(Db(), 2016, 4, 2016, 5);
    EXPECT_EQ(BudgetLines(2016, 5),
              (Strings{"(none)|Misc|-5", "Food|Living|-300", "rent|Home|-900"}));

    CopyBudget(Db(), 2016, 3, 2016, 5); // an empty source leaves the target alone
    EXPECT_EQ(BudgetLines(2016, 5).size(), 3u);
    AddBudget(2016, 6, "Unused", "Living", "-1");
    CopyBudget(Db(), 2016, 4, 2016, 6); // a dropped line without transactions adds no "(none)"
    EXPECT_EQ(BudgetLines(2016, 6), (Strings{"Food|Living|-300", "Rent|Home|-900"}));
}

TEST_F(BudgetPeriods, MoveShiftsOneMonthAcrossTheYearEndKeepingThePostDate)
{
    AddAccount("A1", "Bank");
    AddTrans("A1", 2015, 12, "Gifts", "-40");
    std::string before = PeriodOf(1);
    std::string posted = before.substr(before.find(" posted"));

    MoveTransactionPeriod(Db(), 1, 0, 1, "Gifts");
    EXPECT_EQ(PeriodOf(1), "2016/1" + posted);
    EXPECT_EQ(BudgetLines(2016, 1), (Strings{"Gifts|(none)|0"}));
    MoveTransactionPeriod(Db(), 1, 0, -1, "Gifts");
    EXPECT_EQ(PeriodOf(1), "2015/12" + posted);
    EXPECT_EQ(BudgetLines(2015, 12), (Strings{"Gifts|(none)|0"}));

    AddBudget(2016, 4, "Food", "Living", "-300");
    AddTransWithSequence("A1", 2016, 3, "Food", "-10", 7, 0);
    AddTransWithSequence("A1", 2016, 3, "Food", "-20", 7, 1); // another part of the split
    MoveTransactionPeriod(Db(), 7, 1, 1, "Food");
    EXPECT_EQ(PeriodOf(7, 1).substr(0, 6), "2016/4");
    EXPECT_EQ(PeriodOf(7, 0).substr(0, 6), "2016/3");
    EXPECT_EQ(BudgetLines(2016, 4), (Strings{"Food|Living|-300"}));

    EXPECT_THROW(MoveTransactionPeriod(Db(), 99, 0, 1, "Food"), DatabaseError);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget"), "3");
}
