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

TEST_F(CliImport, ImportsAStatementOfAKnownAccountOnce)
{
    std::string file =
        Write("s.ofx", Statement("1001", Block("F1", "20160105", "-12.50", "Corner Shop") +
                                             Block("F2", "20160105", "100", "Salary")));
    CliRun first = Cli({"import", file});
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(first.out, "imported 2, skipped 0\n");
    EXPECT_EQ(first.err, "");
    EXPECT_EQ(Cli({"import", file}).out, "imported 0, skipped 2\n");
    EXPECT_EQ(Sql("SELECT CurrentBalance FROM Account"), "CurrentBalance\n87.5\n");
}

TEST_F(CliImport, AnAccountOptionAnswersTheAccountQuestion)
{
    std::string file = Write("s.ofx", Statement("9999", Block("F1", "20160105", "-1", "Shop")));
    CliRun run = Cli({"import", file, "--create-account", "cash", "Savings"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "imported 1, skipped 0\n");
    EXPECT_EQ(Sql("SELECT AccountID, Type FROM Account WHERE Description = 'Savings'"),
              "AccountID\tType\n9999\tCash\n");

    // A description is found without regard to case.
    run = Cli({"import", "--map-account", "checking",
               Write("t.ofx", Statement("5555", Block("F1", "20160105", "-1", "Shop")))});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Sql("SELECT COUNT(1) AS N FROM Account WHERE AccountID = '5555'"), "N\n1\n");
}

TEST_F(CliImport, ExitCodesSayWhatStoppedTheImport)
{
    const std::string unknown = Statement("9999", Block("F1", "20160105", "-1", "Shop"));
    const std::string bad =
        Statement("1001", Block("F1", "20160105", "-1", "Shop") + Block("F2", "20160105", "x"));
    const struct
    {
        const char* name;
        std::string content;
        const char* mapTo; ///< --map-account's description; empty for none
        int code;
        const char* out;
        const char* err; ///< part of the message
    } cases[] = {
        // The account stays unknown: nothing is imported, and the options are named.
        {"a.ofx", unknown, "", 2, "", "the statement's account number '9999'"},
        {"b.ofx", unknown, "Nowhere", 2, "", "no account is described 'Nowhere'"},
        {"c.qif", "!Type:Bank\nD1/15/16\nT-12.34\n^\n", "", 2, "", "names no account number"},
        // The file cannot be read, or the reader stops: what was stored stays.
        {"d.ofx", "hello\n", "", 1, "", "Invalid file format.\n"},
        {"e.ofx", bad, "", 1, "imported 1, skipped 0\n", "found while importing:\nType mismatch."},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> args{"import", Write(c.name, c.content)};
        if (*c.mapTo)
            args.insert(args.end(), {"--map-account", c.mapTo});
        CliRun run = Cli(args);
        EXPECT_EQ(run.code, c.code) << c.name;
        EXPECT_EQ(run.out, c.out) << c.name;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.name << ": " << run.err;
        // Where the account is unknown the options that name it are given.
        EXPECT_EQ(run.err.find("Use --create-account TYPE DESCRIPTION") != std::string::npos,
                  c.code == 2)
            << run.err;
    }
    EXPECT_EQ(Sql("SELECT COUNT(1) AS N FROM Account"), "N\n1\n");
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

TEST_F(CliImport, EveryClosingBalanceOfTheBankIsComparedBeforeTheLastLine)
{
    // 100.00 in and 12.50 out from an opening balance of 0: Tallybrook holds 87.50 on 31
    // January. The statement is the account's first, so its opening balance may move.
    auto statement = [](const std::string& balance)
    {
        std::string body = Statement("1001", Block("F1", "20160105", "-12.50", "Corner Shop") +
                                                 Block("F2", "20160106", "100", "Salary"));
        return body.insert(body.find("</STMTRS>"),
                           "<LEDGERBAL>\r\n<BALAMT>" + balance +
                               "\r\n<DTASOF>20160131120000.000[-5:EST]\r\n</LEDGERBAL>\r\n");
    };
    const struct
    {
        const char* balance;
        bool setOpening;
        const char* out;
        const char* opening;
    } cases[] = {
        {"87.50", false, "balance 1001 2016-01-31 bank 87.50 held 87.50\nimported 2, skipped 0\n",
         "0"},
        {"90.00", false, "balance 1001 2016-01-31 bank 90.00 held 87.50\nimported 2, skipped 0\n",
         "0"},
        {"90.00", true, "balance 1001 2016-01-31 bank 90.00 held 90.00\nimported 2, skipped 0\n",
         "2.5"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.balance) + (c.setOpening ? " set" : ""));
        Sql("DELETE FROM Trans");
        Sql("UPDATE Account SET OpeningBalance = 0");
        std::vector<std::string> args{"import", Write("s.ofx", statement(c.balance))};
        if (c.setOpening)
            args.push_back("--set-opening-balance");
        CliRun run = Cli(args);
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(Sql("SELECT OpeningBalance FROM Account"),
                  std::string("OpeningBalance\n") + c.opening + "\n");
    }
    // A second import of the same statement is no first import: the offer is not made again.
    Sql("UPDATE Account SET OpeningBalance = 0");
    Sql("INSERT INTO Trans (AccountID, Sequence, PostDate, Amount) VALUES ('1001', 99, "
        "#1/1/2016#, 1)");
    CliRun run = Cli({"import", Write("s.ofx", statement("90.00")), "--set-opening-balance"});
    EXPECT_EQ(run.out, "balance 1001 2016-01-31 bank 90.00 held 88.50\nimported 0, skipped 2\n");
}
