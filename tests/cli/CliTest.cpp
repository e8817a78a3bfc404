#include "cli/CliRun.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

/// An application-data folder of its own, so no real user data is touched.
class CliTest : public ::testing::Test
{
protected:
    TempDir m_home;
    ScopedEnv m_dataHome{"XDG_DATA_HOME", m_home.Path().string()};
    std::filesystem::path m_defaultDb = m_home.Path() / "Quorvel/Tallybrook/db/qtb.mdb";
};

const char* InsertChecking = "INSERT INTO Account (AccountID, Description, Type, OpeningBalance) "
                             "VALUES ('1','Checking','Bank',12.5)";

} // namespace

TEST_F(CliTest, CheckCreatesDatabaseOnFirstStart)
{
    CliRun run = Cli({"check"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "created the new database " + m_defaultDb.string() + "\nschema version 9\n");
    EXPECT_TRUE(std::filesystem::exists(m_defaultDb));
    EXPECT_EQ(Cli({"check"}).out, "schema version 9\n") << "the second run creates nothing";
}

TEST_F(CliTest, CheckCreatesTheFileNamedByDatabaseOtherCommandsRefuseIt)
{
    std::string missing = m_home.File("new.mdb");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--database", missing, "sql", "SELECT 1"},
          {"--database", missing, "budget", "2016", "5"},
          {"--database", missing, "import", m_home.File("none.qif")}})
    {
        CliRun run = Cli(args);
        EXPECT_EQ(run.code, 1) << testing::PrintToString(args);
        EXPECT_EQ(run.err, "Could not find file '" + missing + "'. (-2147467259)\n");
        EXPECT_FALSE(std::filesystem::exists(missing));
    }

    CliRun run = Cli({"--database", missing, "check"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "created the new database " + missing + "\nschema version 9\n");
    EXPECT_TRUE(std::filesystem::exists(missing + ".bak"));
    EXPECT_FALSE(std::filesystem::exists(m_defaultDb)) << "the usual place is left alone";
    EXPECT_EQ(Cli({"--database", missing, "sql", "SELECT COUNT(1) AS N FROM Trans"}).out, "N\n0\n");

    // A folder that cannot be made is reported, and nothing is left behind.
    std::string blocked = m_home.File("new.mdb/inside.mdb");
    CliRun failed = Cli({"--database", blocked, "check"});
    EXPECT_EQ(failed.code, 1);
    EXPECT_NE(failed.err.find("Could not create the database"), std::string::npos) << failed.err;
}

TEST_F(CliTest, CheckKeepsRefusingAMissingDatabasePathSetting)
{
    std::filesystem::create_directories(m_home.Path() / "Quorvel/Tallybrook");
    std::string missing = m_home.File("gone.mdb");
    std::ofstream(m_home.Path() / "Quorvel/Tallybrook/qvtb.ini")
        << "[Settings]\nDatabasePath=" << missing << "\n";
    CliRun run = Cli({"check"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Could not find file '" + missing + "'. (-2147467259)\n");
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_FALSE(std::filesystem::exists(m_defaultDb));
}

TEST_F(CliTest, SqlPrintsHeaderAndTabSeparatedRows)
{
    ASSERT_EQ(Cli({"check"}).code, 0);
    CliRun run =
        Cli({"sql", InsertChecking, "SELECT AccountID, Description, OpeningBalance FROM Account"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "AccountID\tDescription\tOpeningBalance\n1\tChecking\t12.5\n");
}

TEST_F(CliTest, SqlStopsAtFailingStatementKeepingEarlierOnes)
{
    ASSERT_EQ(Cli({"check"}).code, 0);
    std::string path = m_defaultDb.string();
    CliRun run = Cli({"--database", path, "sql", InsertChecking, "SELECT * FROM NoSuchTable",
                      "DELETE FROM Account"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("(-2147217865)"), std::string::npos) << run.err;

    CliRun after = Cli({"--database", path, "sql", "SELECT Description FROM Account"});
    EXPECT_EQ(after.out, "Description\nChecking\n");
}

TEST_F(CliTest, SqlNeitherBacksUpNorMigrates)
{
    ASSERT_EQ(Cli({"check"}).code, 0);
    std::filesystem::path backup = m_defaultDb.string() + ".bak";
    std::filesystem::remove(backup);
    ASSERT_EQ(
        Cli({"sql", "DROP TABLE _SchemaVersion", "CREATE TABLE _SchemaVersion ([3] LONG)"}).code,
        0);
    EXPECT_EQ(Cli({"sql", "SELECT * FROM _SchemaVersion"}).out, "3\n");
    EXPECT_FALSE(std::filesystem::exists(backup));
}

TEST_F(CliTest, WrongCommandLineExitsWithTwo)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"frobnicate"},
                                                 {"--verbose", "check"},
                                                 {"sql"},
                                                 {"--database"},
                                                 {"check", "extra"}})
    {
        CliRun run = Cli(args);
        EXPECT_EQ(run.code, 2) << testing::PrintToString(args);
        EXPECT_NE(run.err.find("usage: tallybrook-cli"), std::string::npos);
    }
    EXPECT_NE(Cli({"frobnicate"}).err.find("unknown command 'frobnicate'"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_defaultDb));
}

TEST_F(CliTest, HelpPrintsUsage)
{
    CliRun run = Cli({"--help"});
    EXPECT_EQ(run.code, 0);
    EXPECT_NE(run.out.find("usage: tallybrook-cli"), std::string::npos);
    EXPECT_NE(run.out.find("sql STATEMENT..."), std::string::npos);
    EXPECT_EQ(run.err, "");
}
