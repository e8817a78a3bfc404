#include "cli/CliDatabaseTest.h"

#include "exchange/ImportFixture.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

namespace
{
class CliScheduled : public CliDatabaseTest
{
protected:
    CliScheduled()
    {
        Sql("INSERT INTO Account (AccountID, Description, Type) VALUES ('2002', 'Savings', "
            "'Bank')");
    }

    /// Schedules rent of 850 from Checking monthly from January 15, 2026; returns the output.
    std::string AddRent()
    {
        CliRun run = Cli({"scheduled", "add", "1001", "Rent", "-850.00", "monthly", "2026-01-15",
                          "--category", "Rent", "--notes", "flat 4b", "--check", "101"});
        EXPECT_EQ(run.code, 0) << run.err;
        return run.out;
    }
};

// The three months from January 15 to April 14: January, February and March 15.
const std::string RentDue = "1\t2026-01-15\t1001\tRent\t-850.00\n"
                            "1\t2026-02-15\t1001\tRent\t-850.00\n"
                            "1\t2026-03-15\t1001\tRent\t-850.00\n";
} // namespace

TEST_F(CliScheduled, AddsSchedulesAndListsThemByNextDate)
{
    EXPECT_EQ(AddRent(), "1\n");
    // The account by its description; every two weeks, asked, six times.
    CliRun run = Cli({"scheduled", "add", "Savings", "Top up", "25", "weekly:2", "2026-01-05",
                      "--ask", "--times", "6"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "2\n");
    run = Cli({"scheduled"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "2\t2026-01-05\t2002\tTop up\t25.00\t\tweekly:2\task\n"
                       "1\t2026-01-15\t1001\tRent\t-850.00\tRent\tmonthly\tauto\n");
}

TEST_F(CliScheduled, DueListsEveryMissedMonthAndEntersEachOnce)
{
    AddRent();
    CliRun run = Cli({"scheduled", "due", "--today", "2026-04-14"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, RentDue);
    run = Cli({"scheduled", "due", "--enter", "--today", "2026-04-14"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, RentDue + "entered 3\n");
    EXPECT_EQ(Cli({"scheduled", "due", "--today", "2026-04-14", "--enter"}).out, "entered 0\n");
    EXPECT_EQ(Sql("SELECT Sequence, [Year], Period, Category, Amount, Description, ScheduleID, "
                  "PayeeName, CheckID FROM Trans ORDER BY Sequence"),
              "Sequence\tYear\tPeriod\tCategory\tAmount\tDescription\tScheduleID\tPayeeName\t"
              "CheckID\n"
              "1\t2026\t1\tRent\t-850\tRent\t1\tflat 4b\t101\n"
              "2\t2026\t2\tRent\t-850\tRent\t1\tflat 4b\t101\n"
              "3\t2026\t3\tRent\t-850\tRent\t1\tflat 4b\t101\n");
    // Three rows of -850.
    EXPECT_EQ(Sql("SELECT CurrentBalance FROM Account WHERE AccountID = '1001'"),
              "CurrentBalance\n-2550\n");
    EXPECT_EQ(Cli({"scheduled"}).out, "1\t2026-04-15\t1001\tRent\t-850.00\tRent\tmonthly\tauto\n");
}

TEST_F(CliScheduled, TwoProcessesEnteringAtOnceEnterEachOccurrenceOnce)
{
    AddRent();
    const std::vector<std::string> enter = {"--database", DatabasePath(), "scheduled", "due",
                                            "--enter",    "--today",      "2026-04-14"};
    std::vector<pid_t> children;
    for (int i = 0; i < 2; ++i)
    {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0)
        {
            std::ostringstream out;
            std::ostringstream err;
            std::_Exit(RunCli(enter, out, err));
        }
        children.push_back(pid);
    }
    for (pid_t pid : children)
    {
        int status = -1;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    // January, February and March once each, whichever process entered them.
    EXPECT_EQ(Sql("SELECT Period FROM Trans ORDER BY Period"), "Period\n1\n2\n3\n");
    EXPECT_EQ(Cli({"scheduled"}).out, "1\t2026-04-15\t1001\tRent\t-850.00\tRent\tmonthly\tauto\n");
}

TEST_F(CliScheduled, RefusesWrongInputWithExitTwo)
{
    struct Case
    {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<std::string> add = {"scheduled", "add", "1001", "Rent", "-850"};
    auto with = [&](std::vector<std::string> more)
    {
        std::vector<std::string> args = add;
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    const Case cases[] = {
        {with({"fortnightly", "2026-01-15"}), "'fortnightly' is not a rule"},
        {with({"monthly", "2026-02-30"}), "FIRST needs a date as YYYY-MM-DD, got '2026-02-30'"},
        {{"scheduled", "add", "1001", "Rent", "12,50", "monthly", "2026-01-15"},
         "AMOUNT '12,50' is not an amount"},
        {{"scheduled", "add", "9999", "Rent", "-850", "monthly", "2026-01-15"},
         "no account has the id or the description '9999'"},
        {with({"monthly", "2026-01-15", "--until", "2026-06-30", "--times", "3"}), "not both"},
        {with({"monthly", "2026-01-15", "--until", "2025-12-31"}), "it ends before its first date"},
        {with({"monthly", "2026-01-15", "--times", "0"}), "--times needs a number of 1 or more"},
        {with({"monthly", "2026-01-15", "--category", "[Nowhere]"}),
         "no Bank, Cash or Credit Card account 'Nowhere'"},
        {with({"monthly"}), "needs ACCOUNT DESCRIPTION AMOUNT RULE FIRST"},
        {{"scheduled", "due", "--today", "14/04/2026"}, "--today needs a date as YYYY-MM-DD"},
        {{"scheduled", "due", "--later"}, "unknown option '--later'"},
        {{"scheduled", "skip"}, "unknown scheduled command 'skip'"},
    };
    for (const Case& c : cases)
    {
        CliRun run = Cli(c.args);
        SCOPED_TRACE(run.err);
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.message;
    }
    EXPECT_EQ(Cli({"scheduled"}).out, "") << "nothing was stored";
}

TEST_F(CliScheduled, ImportPrintsTheRowsThatMetEnteredOccurrences)
{
    // The import counts from the local date it runs on: the occurrence is today's.
    DateTime today = ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr)));
    std::string day = ToIsoDayText(today);
    ASSERT_EQ(Cli({"scheduled", "add", "1001", "Rent", "-850.00", "monthly", day}).code, 0);
    ASSERT_EQ(Cli({"scheduled", "due", "--enter", "--today", day}).code, 0);
    std::string file =
        Write("s.ofx", Statement("1001", Block("B1", ToCompactText(today).substr(0, 8), "-850.00",
                                               "ACME PROPERTY")));
    CliRun run = Cli({"import", file});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "matched 1\nimported 0, skipped 0\n");
    EXPECT_EQ(Sql("SELECT Description, FITID, ScheduleID FROM Trans"),
              "Description\tFITID\tScheduleID\nACME PROPERTY\tB1\t1\n");
    // Nothing met: the line is left out.
    EXPECT_EQ(Cli({"import", file}).out, "imported 0, skipped 1\n");
}
