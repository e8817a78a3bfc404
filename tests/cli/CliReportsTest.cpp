#include "cli/CliDatabaseTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
/// Checking (1001) with three rows in January and February 2016 and a budget line.
class CliReports : public CliDatabaseTest
{
protected:
    CliReports()
    {
        Sql("INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
            "Category, Amount, Description) VALUES ('1001', 1, 0, 2016, 1, #1/4/2016#, 'Food', "
            "-12.5, 'Grocer')");
        Sql("INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
            "Category, Amount, Description, PayeeName) VALUES ('1001', 2, 0, 2016, 1, "
            "#1/31/2016#, 'Salary', 900, 'Employer', 'January')");
        Sql("INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
            "Category, Amount, Description) VALUES ('1001', 3, 0, 2016, 2, #2/1/2016#, 'Food', "
            "-7.5, 'Baker')");
        Sql("INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES (2016, "
            "1, 'Food', 'Living', -40)");
    }
};
} // namespace

TEST_F(CliReports, EachKindPrintsItsFiguresWithAPoint)
{
    struct Case
    {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{"spending", "--from", "2016-01-01", "--to", "2016-01-31"},
         "out\tFood\t12.50\nin\tSalary\t900.00\n"},
        {{"cashflow", "--from", "2016-01-01", "--to", "2016-02-29"},
         "2016-01\t900.00\t12.50\t887.50\n2016-02\t0.00\t7.50\t-7.50\n"},
        {{"networth", "--from", "2016-01-01", "--to", "2016-02-10"},
         "2016-01-31\t887.50\t887.50\t0.00\t0.00\t0.00\t0.00\n"
         "2016-02-10\t880.00\t880.00\t0.00\t0.00\t0.00\t0.00\n"},
        {{"budget", "--from", "2016-01-01"}, "2016-01\tLiving\t-40.00\t-12.50\n"},
        {{"--from", "2016-01-31", "--to", "2016-02-01"},
         "2016-01-31\t1001\tEmployer\t900.00\t\tSalary\tJanuary\n"
         "2016-02-01\t1001\tBaker\t-7.50\t\tFood\t\n"},
        {{"spending", "--from", "2017-01-01", "--accounts", "budget"}, ""},
    };
    for (const Case& c : cases)
    {
        std::vector<std::string> args{"report"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back("--tsv");
        CliRun run = Cli(args);
        EXPECT_EQ(run.code, 0) << testing::PrintToString(args) << run.err;
        EXPECT_EQ(run.out, c.out) << testing::PrintToString(args);
    }
    CliRun page = Cli({"report", "cashflow", "--from", "2016-01-01", "--to", "2016-02-29"});
    EXPECT_NE(page.out.find("<h1>Income and Expenses</h1>"), std::string::npos) << page.out;
    EXPECT_NE(page.out.find("<svg"), std::string::npos);
}

TEST_F(CliReports, AWrongKindOrOptionIsAUsageError)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"report", "pie"},
          {"report", "spending", "--accounts", "some"},
          {"report", "spending", "--from", "2016-13-01"},
          {"report", "networth", "--tsv", "--to"},
          {"report", "budget", "--from", "2016-01-01", "--from", "2016-01-01"}})
    {
        CliRun run = Cli(args);
        EXPECT_EQ(run.code, 2) << testing::PrintToString(args);
        EXPECT_EQ(run.out, "");
    }
}
