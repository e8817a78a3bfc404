#include "cli/CliDatabaseTest.h"

#include "support/RegionEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{
class CliExport : public CliDatabaseTest
{
protected:
    CliExport()
    {
        Sql("INSERT INTO Account (AccountID, Description, Type) VALUES ('I-9', 'Brokerage', "
            "'Investment')");
        Sql("INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
            "Category, Amount, Description, FITID) VALUES ('1001', 1, 0, 2016, 3, #3/15/2016#, "
            "'(none)', -100, 'Groceries', 'F1')");
        Sql("INSERT INTO Trans (AccountID, Sequence, [Year], Period, PostDate, Category, Amount, "
            "Description) VALUES ('I-9', 2, 2016, 3, #3/16/2016#, '(none)', 12.5, 'Dividend')");
    }
};
} // namespace

TEST_F(CliExport, ExportsAnAccountNamedByIdOrDescriptionOfAnyType)
{
    CliRun run = Cli({"export", "1001", File("checking.ofx")});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    std::string ofx = FileContents(File("checking.ofx"));
    EXPECT_TRUE(ofx.starts_with("OFXHEADER:100\r\n"));
    EXPECT_NE(ofx.find("<ACCTID>1001<"), std::string::npos);

    // A description, compared without regard to case; an Investment account too.
    run = Cli({"export", "BROKERAGE", File("Holdings.CSV")});
    EXPECT_EQ(run.code, 0) << run.err;
    std::string csv = FileContents(File("Holdings.CSV"));
    EXPECT_TRUE(csv.starts_with("Date,Description,Amount,Check #,Category,Notes\r\n")) << csv;
    EXPECT_NE(csv.find("\"Dividend\""), std::string::npos) << csv;
}

TEST_F(CliExport, UnknownAmbiguousOrUnwritableIsAFailureAndAWrongLineIsUsage)
{
    CliRun run = Cli({"export", "nobody", File("x.ofx")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "tallybrook-cli: no account has the id or the description 'nobody'\n");
    EXPECT_FALSE(std::filesystem::exists(File("x.ofx")));

    Sql("INSERT INTO Account (AccountID, Description, Type) VALUES ('2002', 'checking', 'Cash')");
    run = Cli({"export", "Checking", File("x.ofx")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err,
              "tallybrook-cli: 2 accounts are described 'Checking'; name the account by its id\n");

    std::string unwritable = File("missing/x.ofx");
    run = Cli({"export", "2002", unwritable});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err,
              "The file '" + unwritable + "' could not be written: No such file or directory.\n");

    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"export"},
                                                  {"export", "1001"},
                                                  {"export", "1001", "a", "b"},
                                                  {"split", "1", "0"},
                                                  {"split", "x", "0", "1"},
                                                  {"split", "1", "0", "1,5"},
                                                  {"split", "1", "0.5", "1"}})
    {
        EXPECT_EQ(Cli(wrong).code, 2) << wrong.size();
    }
}

TEST_F(CliExport, SplitsAPartAndPrintsTheNewSubSequence)
{
    // The amount is read with a point in every locale.
    LocaleEnv german("de_DE.UTF-8");
    ASSERT_TRUE(german.Ok());
    CliRun run = Cli({"split", "1", "0", "-30.25"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "1\n");
    EXPECT_EQ(Sql("SELECT SubSequence, Amount, Description FROM Trans WHERE Sequence = 1 "
                  "ORDER BY SubSequence"),
              "SubSequence\tAmount\tDescription\n0\t-69,75\tGroceries\n"
              "1\t-30,25\tGroceries (split #1)\n");

    run = Cli({"split", "3", "0", "1"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tallybrook-cli: no transaction part has Sequence 3 and SubSequence 0\n");
}
