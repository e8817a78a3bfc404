#include "cli/CliRun.h"

#include "budget/BudgetTestDatabase.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

const char* const Heading = "Group\tCategory\tBudgeted\tActual\tDifference\n";

/// Several groups, accounts and months, figures worked out by hand below.
class CliBudget : public BudgetTestDatabase
{
protected:
    void SetUp() override
    {
        BudgetTestDatabase::SetUp();
        AddSeveralGroupsInMay2016();
        AddBudget(2016, 5, "(none)", "(none)", "0");
        AddTrans("A1", 2016, 5, "Unbudgeted", "-5"); // no line at all
        AddTrans("A1", 2016, 5, "(none)", "15");
        AddTrans("A1", 2016, 6, "Rent", "-900");
    }

    CliRun Budget(const std::string& year, const std::string& month)
    {
        return Cli({"--database", DatabasePath(), "budget", year, month});
    }
};
} // namespace

TEST_F(CliBudget, PrintsLinesGroupTotalsAndMonthToDate)
{
    CliRun run = Budget("2016", "5");
    EXPECT_EQ(run.code, 0) << run.err;
    // Food: -25.25 - 74.75 - 10 = -110, Difference -110 - -300 = 190. Living actual: Food and
    // Kid's toys only. Month to date: every May transaction of A1 and A2.
    EXPECT_EQ(run.out, std::string(Heading) + "(none)\t(none)\t0\t15\t15\n"
                                              "(none)\tTotal\t0\t15\n"
                                              "Home\tRent\t-900\t-900\t0\n"
                                              "Home\tUtilities\t-120.5\t\t120.5\n"
                                              "Home\tTotal\t-1020.5\t-900\n"
                                              "Living\tFood\t-300\t-110\t190\n"
                                              "Living\tKid's toys\t-50\t-60.1\t-10.1\n"
                                              "Living\tTotal\t-350\t-170.1\n"
                                              "Month to date\t\t-1370.5\t-1100.1\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(CliBudget, MonthWithoutLinesShowsEmptyFiguresAndCopiesNothing)
{
    CliRun run = Budget("2016", "6");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, std::string(Heading) + "Month to date\t\t\t-900\n");
    run = Budget("2016", "7");
    EXPECT_EQ(run.out, std::string(Heading) + "Month to date\t\t\t\n");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget WHERE [Year] = 2016 AND Period > 5"), "0");
}

TEST_F(CliBudget, BadYearOrMonthIsAWrongCommandLine)
{
    for (const auto& [year, month] :
         std::vector<std::pair<std::string, std::string>>{{"2016", "13"},
                                                          {"2016", "0"},
                                                          {"2016", "May"},
                                                          {"16", "5"},
                                                          {"2016x", "5"},
                                                          {"", "5"}})
    {
        CliRun run = Budget(year, month);
        EXPECT_EQ(run.code, 2) << year << " " << month;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(month == "13" || month == "0" || month == "May" ? "MONTH" : "YEAR"),
                  std::string::npos)
            << run.err;
    }
    EXPECT_EQ(Cli({"--database", DatabasePath(), "budget", "2016"}).code, 2);
    EXPECT_EQ(Cli({"--database", DatabasePath(), "budget", "2016", "5", "6"}).code, 2);
}
