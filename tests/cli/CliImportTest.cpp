#include "cli/CliDatabaseTest.h"

#include "exchange/ImportFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
using CliImport = CliDatabaseTest;
} // namespace

TEST_F(CliImport, ImportsAStatementOfAKnownAccountOnceAndRunsTheRules)
{
    Sql("INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) VALUES "
        "('Description', 'contains', 'shop', 'Groceries', 1)");
    std::string file =
        Write("s.ofx", Statement("1001", Block("F1", "20160105", "-12.50", "Corner Shop") +
                                             Block("F2", "20160105", "100", "Salary")));
    CliRun first = Cli({"import", file});
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(first.out, "imported 2, skipped 0\n");
    EXPECT_EQ(first.err, "");
    EXPECT_EQ(Cli({"import", file}).out, "imported 0, skipped 2\n");
    EXPECT_EQ(Sql("SELECT CurrentBalance FROM Account"), "CurrentBalance\n87.5\n");
    EXPECT_EQ(Sql("SELECT Category FROM Trans ORDER BY Sequence"), "Category\nGroceries\n(none)\n");
    EXPECT_EQ(Sql("SELECT COUNT(1) AS N FROM Budget WHERE Category = 'Groceries'"), "N\n1\n");
}

TEST_F(CliImport, AnUnknownAccountNeedsAnOptionThenIsCreatedUnderTheStatementsNumber)
{
    std::string file = Write("s.ofx", Statement("9999", Block("F1", "20160105", "-1", "Shop")));
    CliRun run = Cli({"import", file});
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.out, "");
    for (const char* part : {"cannot be determined", "'9999'", "--create-account TYPE DESCRIPTION",
                             "--map-account DESCRIPTION"})
        EXPECT_NE(run.err.find(part), std::string::npos) << run.err;
    EXPECT_EQ(Sql("SELECT COUNT(1) AS N FROM Trans"), "N\n0\n");
    EXPECT_EQ(Sql("SELECT COUNT(1) AS N FROM Account"), "N\n1\n");

    run = Cli({"import", file, "--create-account", "cash", "Savings"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "imported 1, skipped 0\n");
    EXPECT_EQ(Sql("SELECT AccountID, Type FROM Account WHERE Description = 'Savings'"),
              "AccountID\tType\n9999\tCash\n");
    run = Cli({"import", Write("t.ofx", Statement("9999", Block("F2", "20160105", "-2", "Shop")))});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "imported 1, skipped 0\n");
}

TEST_F(CliImport, MapsToAnExistingAccountKeepingItsTransactions)
{
    Sql("INSERT INTO Trans (AccountID, Amount, Category, Sequence) VALUES ('1001', -5, 'Old', 1)");
    std::string file = Write("s.ofx", Statement("5555", Block("F1", "20160105", "-1", "Shop")));
    CliRun run = Cli({"import", file, "--map-account", "Nowhere"});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("no account is described 'Nowhere'"), std::string::npos) << run.err;
    EXPECT_EQ(Sql("SELECT COUNT(1) AS N FROM Trans"), "N\n1\n");
    run = Cli({"import", "--map-account", "checking", file});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Sql("SELECT AccountID, CurrentBalance FROM Account"),
              "AccountID\tCurrentBalance\n5555\t-6\n");
    EXPECT_EQ(Sql("SELECT COUNT(1) AS N FROM Trans WHERE AccountID = '5555'"), "N\n2\n");
}

TEST_F(CliImport, QifAlwaysNeedsAnOption)
{
    std::string file = Write("s.qif", "!Type:Bank\nD1/15/16\nT-12.34\nPPayee\n^\n");
    CliRun without = Cli({"import", file});
    EXPECT_EQ(without.code, 2);
    EXPECT_NE(without.err.find("names no account number"), std::string::npos) << without.err;
    CliRun mapped = Cli({"import", file, "--map-account", "Checking"});
    EXPECT_EQ(mapped.code, 0) << mapped.err;
    EXPECT_EQ(mapped.out, "imported 1, skipped 0\n");
}

TEST_F(CliImport, AnUnknownFormatOrAReaderErrorExitsOneKeepingWhatWasStored)
{
    CliRun run = Cli({"import", Write("s.ofx", "hello\n")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Invalid file format.\n");
    run =
        Cli({"import", Write("t.ofx", Statement("1001", Block("F1", "20160105", "-1", "Shop") +
                                                            Block("F2", "20160105", "x", "Bad")))});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "imported 1, skipped 0\n");
    EXPECT_EQ(run.err.rfind("Invalid data was found while importing:\nType mismatch.", 0), 0u)
        << run.err;
    EXPECT_EQ(Sql("SELECT CurrentBalance FROM Account"), "CurrentBalance\n-1\n");
}

TEST_F(CliImport, RefusesWrongCommandLines)
{
    std::string file = Write("s.ofx", Statement("1001", ""));
    const std::vector<std::vector<std::string>> wrong = {
        {"import"},
        {"import", file, file},
        {"import", file, "--create-account", "Loan", "Car"},
        {"import", file, "--create-account", "Bank"},
        {"import", file, "--create-account", "Bank", ""},
        {"import", file, "--map-account"},
        {"import", file, "--map-account", "A", "--create-account", "Bank", "B"},
        {"import", file, "--merge"},
    };
    for (const auto& args : wrong)
    {
        CliRun run = Cli(args);
        EXPECT_EQ(run.code, 2) << args.back();
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << run.err;
    }
}

TEST_F(CliImport, RunsTheImportCommandsOwnStepsEvenWhenTheAccountStaysUnknown)
{
    // The Import command runs the category rules whether or not a file was imported.
    Sql("INSERT INTO Trans (AccountID, Amount, Description, Category, Sequence, Year, Period) "
        "VALUES ('1001', -5, 'Corner Shop', '(none)', 1, 2016, 1)");
    Sql("INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) VALUES "
        "('Description', 'contains', 'shop', 'Groceries', 1)");
    CliRun run = Cli({"import", Write("s.ofx", Statement("9999", Block("F1", "20160105", "-1")))});
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(Sql("SELECT Category FROM Trans"), "Category\nGroceries\n");
    EXPECT_EQ(Sql("SELECT COUNT(1) AS N FROM Account"), "N\n1\n");
}
