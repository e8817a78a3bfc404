#include "cli/CliRun.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace
{
/// A database of its own in a fresh application-data folder, reached through the command line.
class CliRules : public ::testing::Test
{
protected:
    CliRules()
    {
        std::ostringstream ignored;
        EXPECT_EQ(RunCli({"check"}, ignored, ignored), 0);
    }

    static CliRun Ok(const std::vector<std::string>& args)
    {
        CliRun run = Cli(args);
        EXPECT_EQ(run.code, 0) << testing::PrintToString(args) << run.err;
        return run;
    }

    static std::string List() { return Ok({"rules"}).out; }

    static void AddTransaction(int sequence, const std::string& description,
                               const std::string& category = "(none)")
    {
        Ok({"sql", "INSERT INTO Trans (AccountID, Description, Amount, Category, Year, Period, "
                   "Sequence) VALUES ('1', '" +
                       description + "', -5, '" + category + "', 2024, 3, " +
                       std::to_string(sequence) + ")"});
    }

    TempDir m_home;
    ScopedEnv m_dataHome{"XDG_DATA_HOME", m_home.Path().string()};
};
} // namespace

TEST_F(CliRules, AddListsAndEachVerbChangesTheList)
{
    EXPECT_EQ(List(), "");
    EXPECT_EQ(Ok({"rules", "add", "Description", "contains", "O'Brien", "Fuel"}).out, "");
    Ok({"rules", "add", "notes", "Ends With", "x", "Misc"});
    Ok({"rules", "add", "Amount", "is", "", "Zero"});
    EXPECT_EQ(List(), "1\tDescription\tcontains\tO'Brien\tFuel\n"
                      "2\tNotes\tends with\tx\tMisc\n"
                      "3\tAmount\tis\t\tZero\n");

    EXPECT_EQ(Ok({"rules", "down", "1"}).out, "");
    EXPECT_EQ(Ok({"rules", "up", "3"}).out, "");
    EXPECT_EQ(Ok({"rules", "delete", "3"}).out, "");
    EXPECT_EQ(List(), "1\tNotes\tends with\tx\tMisc\n"
                      "2\tAmount\tis\t\tZero\n");
}

TEST_F(CliRules, UnknownSequenceFails)
{
    Ok({"rules", "add", "Description", "is", "a", "A"});
    for (const char* verb : {"delete", "up", "down"})
    {
        CliRun run = Cli({"rules", verb, "7"});
        EXPECT_EQ(run.code, 1) << verb;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("no rule has the Sequence 7"), std::string::npos) << run.err;
    }
    EXPECT_EQ(List(), "1\tDescription\tis\ta\tA\n");
}

TEST_F(CliRules, WrongCommandLinesExitWithTwoAndChangeNothing)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"rules", "add", "Payee", "is", "a", "A"},
          {"rules", "add", "Description", "equals", "a", "A"},
          {"rules", "add", "Description", "is", "a"},
          {"rules", "add", "Description", "is", "a", "A", "extra"},
          {"rules", "add", "Description", "is", std::string(31, 'v'), "A"},
          {"rules", "delete"},
          {"rules", "up", "first"},
          {"rules", "down", "1", "2"},
          {"rules", "down", "99999999999"},
          {"rules", "apply", "now"},
          {"rules", "sort"},
          {"update-check", "--site"},
          {"update-check", "--site", ""},
          {"update-check", "--site", "a", "--site", "b"},
          {"update-check", "now"}})
    {
        CliRun run = Cli(args);
        EXPECT_EQ(run.code, 2) << testing::PrintToString(args);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage: tallybrook-cli"), std::string::npos);
    }
    EXPECT_NE(Cli({"rules", "add", "Payee", "is", "a", "A"}).err.find("'Payee'"),
              std::string::npos);
    EXPECT_EQ(List(), "");
}

TEST_F(CliRules, ApplyCountsTheTransactionsItCategorised)
{
    AddTransaction(1, "Shell Gas");
    AddTransaction(2, "Bakery");
    Ok({"rules", "add", "Description", "contains", "shell", "Auto"});
    EXPECT_EQ(Ok({"rules", "apply"}).out, "categorised 1\n");

    // A rule naming no field, as a rule with an empty Column typed in the list is stored: the
    // engine's error, and what was done before it stays.
    Ok({"sql", "UPDATE Trans SET Category = '(none)'"});
    Ok({"sql", "INSERT INTO CategoryRule (Sequence) VALUES (2)"});
    CliRun run = Cli({"rules", "apply"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "categorised 1\n");
    EXPECT_NE(run.err.find("(-"), std::string::npos) << run.err;
}
