#include "budget/BudgetPeriods.h"

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

    std::string CategoryOf(int sequence, int subSequence = 0)
    {
        return Scalar("SELECT Category FROM Trans WHERE Sequence = " + std::to_string(sequence) +
                      " AND SubSequence = " + std::to_string(subSequence));
    }

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
    AddBudget(2014, 12, "Older", "Living", "-1");
    AddBudget(2015, 10, "Old", "Living", "-1");
    AddBudget(2015, 11, "Food", "Living", "-300");
    AddBudget(2015, 11, "Rent", "Home", "-900.25");
    AddBudget(2016, 2, "Later", "Living", "-5"); // after the target: never a source

    CopyPreviousBudget(Db(), 2016, 1);

    EXPECT_EQ(BudgetLines(2016, 1), (Strings{"Food|Living|-300", "Rent|Home|-900.25"}));
    EXPECT_EQ(BudgetLines(2015, 12), Strings{});
    EXPECT_EQ(BudgetLines(2015, 11), (Strings{"Food|Living|-300", "Rent|Home|-900.25"}));
}

TEST_F(BudgetPeriods, CopyPreviousBudgetWithoutAnyEarlierBudgetChangesNothing)
{
    AddBudget(2016, 6, "Food", "Living", "-4");
    CopyPreviousBudget(Db(), 2016, 5);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget"), "1");
}

TEST_F(BudgetPeriods, StartUpCopyFillsOnlyAMonthWithoutLines)
{
    AddBudget(2016, 3, "Food", "Living", "-300");
    AddBudget(2016, 3, "Rent", "Home", "-900");
    AddBudget(2016, 5, "Fuel", "Car", "-60");

    CopyLastBudget(Db(), 2016, 5); // May has a line: left alone
    CopyLastBudget(Db(), 2016, 4); // April has none: March's lines

    EXPECT_EQ(BudgetLines(2016, 5), (Strings{"Fuel|Car|-60"}));
    EXPECT_EQ(BudgetLines(2016, 4), (Strings{"Food|Living|-300", "Rent|Home|-900"}));
}

TEST_F(BudgetPeriods, CopyOverwritesExistingLinesWithoutDuplicating)
{
    AddBudget(2016, 4, "Food", "Living", "-300");
    AddBudget(2016, 4, "Rent", "Home", "-900");
    AddBudget(2016, 5, "food", "Groceries", "-250");

    CopyBudget(Db(), 2016, 4, 2016, 5);

    // The existing line keeps its own spelling of the category.
    EXPECT_EQ(BudgetLines(2016, 5), (Strings{"food|Living|-300", "Rent|Home|-900"}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget WHERE [Year] = 2016 AND Period = 5"), "2");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget WHERE [Year] = 2016 AND Period = 5 AND "
                     "Sequence IS NULL"),
              "0");
}

TEST_F(BudgetPeriods, CopyUncategorisesTransactionsOfDroppedLines)
{
    AddAccount("A1", "Bank");
    AddAccount("A2", "Bank", "0", false);
    AddBudget(2016, 4, "Rent", "Home", "-900");
    AddBudget(2016, 5, "Food", "Living", "-300");
    AddBudget(2016, 5, "Kid's toys", "Living", "-20");
    AddBudget(2016, 5, "Unused", "Living", "-1");
    AddTrans("A1", 2016, 5, "Food", "-10");      // 1
    AddTrans("A2", 2016, 5, "Food", "-11");      // 2: every account counts
    AddTrans("A1", 2016, 6, "Food", "-12");      // 3: another month keeps its category
    AddTrans("A1", 2016, 5, "Kid's toys", "-7"); // 4
    AddTrans("A1", 2016, 5, "Rent", "-900");     // 5

    CopyBudget(Db(), 2016, 4, 2016, 5);

    EXPECT_EQ(BudgetLines(2016, 5), (Strings{"(none)|(none)|0", "Rent|Home|-900"}));
    EXPECT_EQ(CategoryOf(1), "(none)");
    EXPECT_EQ(CategoryOf(2), "(none)");
    EXPECT_EQ(CategoryOf(3), "Food");
    EXPECT_EQ(CategoryOf(4), "(none)");
    EXPECT_EQ(CategoryOf(5), "Rent");
}

TEST_F(BudgetPeriods, CopyKeepsTheTargetsNoneLine)
{
    AddBudget(2016, 4, "Rent", "Home", "-900");
    AddBudget(2016, 5, "(none)", "Misc", "-5");
    AddBudget(2016, 5, "Unused", "Living", "-1");
    AddAccount("A1", "Bank");
    AddTrans("A1", 2016, 5, "Unused", "-3");

    CopyBudget(Db(), 2016, 4, 2016, 5);

    // The existing "(none)" line is neither deleted nor doubled nor changed.
    EXPECT_EQ(BudgetLines(2016, 5), (Strings{"(none)|Misc|-5", "Rent|Home|-900"}));
}

TEST_F(BudgetPeriods, CopyOfAnEmptyPeriodLeavesTheTargetAlone)
{
    AddBudget(2016, 5, "Food", "Living", "-300");
    CopyBudget(Db(), 2016, 4, 2016, 5);
    EXPECT_EQ(BudgetLines(2016, 5), (Strings{"Food|Living|-300"}));
}

TEST_F(BudgetPeriods, DroppedLineWithoutTransactionsAddsNoNoneLine)
{
    AddBudget(2016, 4, "Rent", "Home", "-900");
    AddBudget(2016, 5, "Unused", "Living", "-1");
    CopyBudget(Db(), 2016, 4, 2016, 5);
    EXPECT_EQ(BudgetLines(2016, 5), (Strings{"Rent|Home|-900"}));
}

TEST_F(BudgetPeriods, MoveToNextMonthCrossesTheYearEndKeepingThePostDate)
{
    AddAccount("A1", "Bank");
    AddTrans("A1", 2015, 12, "Gifts", "-40");
    std::string before = PeriodOf(1);

    MoveTransactionPeriod(Db(), 1, 0, 1, "Gifts");

    std::string posted = before.substr(before.find(" posted"));
    EXPECT_EQ(PeriodOf(1), "2016/1" + posted);
    EXPECT_EQ(BudgetLines(2016, 1), (Strings{"Gifts|(none)|0"}));

    MoveTransactionPeriod(Db(), 1, 0, -1, "Gifts");
    EXPECT_EQ(PeriodOf(1), "2015/12" + posted);
    EXPECT_EQ(BudgetLines(2015, 12), (Strings{"Gifts|(none)|0"}));
}

TEST_F(BudgetPeriods, MoveShiftsOneMonthAndKeepsAnExistingLine)
{
    AddAccount("A1", "Bank");
    AddBudget(2016, 4, "Food", "Living", "-300");
    AddTransWithSequence("A1", 2016, 3, "Food", "-10", 7, 0);
    AddTransWithSequence("A1", 2016, 3, "Food", "-20", 7, 1); // another part of the split

    MoveTransactionPeriod(Db(), 7, 1, 1, "Food");
    EXPECT_EQ(PeriodOf(7, 1).substr(0, 6), "2016/4");
    EXPECT_EQ(PeriodOf(7, 0).substr(0, 6), "2016/3");
    EXPECT_EQ(BudgetLines(2016, 4), (Strings{"Food|Living|-300"}));

    MoveTransactionPeriod(Db(), 7, 0, -1, "Food");
    EXPECT_EQ(PeriodOf(7, 0).substr(0, 6), "2016/2");
}

TEST_F(BudgetPeriods, MovingAMissingTransactionFails)
{
    EXPECT_THROW(MoveTransactionPeriod(Db(), 99, 0, 1, "Food"), DatabaseError);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget"), "0");
}
