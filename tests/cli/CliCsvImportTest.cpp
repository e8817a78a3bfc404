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
using CliCsvImport = CliDatabaseTest;

// Every day is 12 or less: the date order cannot be told from the dates.
const char* const GermanStatement = "Buchungstag;Empf\xC3\xA4nger;Betrag\n"
                                    "01.02.2019;B\xC3\xA4"
                                    "ckerei;-3,50\n"
                                    "03.02.2019;Gehalt;1.000,00\n"
                                    ";vorgemerkt;-9,00\n";
} // namespace

TEST_F(CliCsvImport, AnUncertainGuessImportsNothingAndNamesTheKeysToGive)
{
    std::string file = Write("s.csv", GermanStatement);
    CliRun run = Cli({"import", file, "--map-account", "Checking"});
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.out, "");
    for (const char* part :
         {"cannot be read with certainty", "day/month/year and month/day/year read every date",
          "give dates=dmy or dates=mdy", "--csv", "delimiter=semicolon;skip=0;header=yes"})
        EXPECT_NE(run.err.find(part), std::string::npos) << run.err;
    EXPECT_EQ(Sql("SELECT COUNT(1) AS N FROM Trans"), "N\n0\n");

    // Settled, but a CSV statement names no account: it needs one of the options.
    run = Cli({"import", file, "--csv", "dates=dmy"});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("a CSV statement names no account"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("--create-account TYPE DESCRIPTION"), std::string::npos);
    EXPECT_EQ(run.err.find("certainty"), std::string::npos) << run.err;
    run = Cli({"import", file, "--csv", "dates=dmy", "--map-account", "Nowhere"});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("no account is described 'Nowhere'"), std::string::npos) << run.err;
    EXPECT_EQ(Sql("SELECT COUNT(1) AS N FROM Trans"), "N\n0\n");

    run = Cli({"import", file, "--csv", "dates=dmy", "--map-account", "checking"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "imported 2, skipped 0\n");
    EXPECT_EQ(run.err, "Invalid data was found while importing. The following lines were "
                       "skipped:\n;vorgemerkt;-9,00\n");

    // The next time the mapping remembered for the header line is used.
    run = Cli({"import", file, "--map-account", "Checking"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "imported 0, skipped 2\n");
}

TEST_F(CliCsvImport, TheOptionsOverrideTheGuessAndANewAccountCanBeMade)
{
    std::string file = Write("card.csv", "Date,Description,Amount\n2019-03-05,NETFLIX,15.99\n"
                                         "2019-03-10,PAYMENT,-500.00\n");
    CliRun run = Cli({"import", file, "--create-account", "Credit Card", "Visa", "--csv",
                      "negate=yes;description=2"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "imported 2, skipped 0\n");
    EXPECT_EQ(Sql("SELECT AccountID, Type FROM Account WHERE Description = 'Visa'"),
              "AccountID\tType\nNew Account\tCredit Card\n");
    // --csv on a statement that is not CSV is said to be unused.
    std::string ofx = Write("s.ofx", Statement("1001", Block("F1", "20160105", "-1", "Shop")));
    run = Cli({"import", ofx, "--csv", "dates=ymd"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "imported 1, skipped 0\n");
    EXPECT_NE(run.err.find("--csv was not used"), std::string::npos) << run.err;
}

TEST_F(CliCsvImport, WrongCsvOptionsAreAUsageError)
{
    std::string file = Write("s.csv", GermanStatement);
    const std::vector<std::vector<std::string>> wrong = {
        {"import", file, "--csv"},
        {"import", file, "--csv", "dates=yes"},
        {"import", file, "--csv", "amount=0"},
        {"import", file, "--csv", "date=1", "--csv", "amount=3"},
        {"import", file, "--csv", "nonsense"},
    };
    for (const auto& args : wrong)
    {
        CliRun run = Cli(args);
        EXPECT_EQ(run.code, 2) << args.back();
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << run.err;
    }
    EXPECT_EQ(Sql("SELECT COUNT(1) AS N FROM Trans"), "N\n0\n");
}
