#include "data/DatabaseLocation.h"

#include "base/Settings.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/Schema.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace
{
std::string AppDataDir(const TempDir& home)
{
    return home.File("Quorvel/Tallybrook");
}
} // namespace

TEST(DatabaseLocation, FirstStartCreatesAnEmptyDatabaseUnderTheDataFolder)
{
    TempDir home;
    ScopedEnv xdg("XDG_DATA_HOME", home.Path().string());
    std::string expected = AppDataDir(home) + "/db/qtb.mdb";
    DatabaseLocation location = LocateDatabase();
    EXPECT_EQ(location.path, expected);
    EXPECT_FALSE(location.fromSetting);
    EXPECT_FALSE(fs::exists(expected)) << "locating creates nothing";
    {
        std::unique_ptr<Database> db = OpenProgramDatabase();
        EXPECT_EQ(db->Path(), expected);
        EXPECT_EQ(ReadSchemaVersion(*db), 9);
        for (const char* table :
             {"Account", "Trans", "Budget", "Loan", "Investment", "CategoryRule", "Schedule"})
            EXPECT_NO_THROW(db->Execute(std::string("SELECT * FROM ") + table)) << table;
        db->Execute("INSERT INTO Account (AccountID) VALUES ('kept')");
    }
    EXPECT_TRUE(fs::exists(expected + ".bak"));
    EXPECT_FALSE(fs::exists(expected + ".new"));
    // The settings file is never created by opening the database.
    EXPECT_FALSE(fs::exists(AppDataDir(home) + "/qvtb.ini"));
    // The next start opens the same file and creates nothing.
    EXPECT_EQ(PrepareProgramDatabase(), expected);
    std::unique_ptr<Database> again = OpenProgramDatabase();
    EXPECT_TRUE(again->HasRows("Account", "AccountID = 'kept'"));
}

TEST(DatabaseLocation, UsesDatabasePathExactlyAndNeverCreatesIt)
{
    TempDir home;
    ScopedEnv xdg("XDG_DATA_HOME", home.Path().string());
    fs::create_directories(AppDataDir(home));
    std::string missing = home.File("elsewhere/missing.mdb");
    WriteSetting("DatabasePath", missing, "Settings");
    DatabaseLocation location = LocateDatabase();
    EXPECT_EQ(location.path, missing);
    EXPECT_TRUE(location.fromSetting);
    try
    {
        OpenProgramDatabase();
        FAIL() << "opened a missing database";
    }
    catch (const DatabaseError& error)
    {
        EXPECT_EQ(error.StatusCode(), Status::Fail);
        std::string message = GetComExceptionMessage(error);
        EXPECT_NE(message.find(missing), std::string::npos) << message;
        EXPECT_EQ(message.substr(message.size() - 13), "(-2147467259)");
    }
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_FALSE(fs::exists(missing + ".bak"));
    EXPECT_FALSE(fs::exists(AppDataDir(home) + "/db"));

    std::string present = home.File("mine.mdb");
    CreateDatabaseFile(present);
    WriteSetting("DatabasePath", present, "Settings");
    EXPECT_EQ(OpenProgramDatabase()->Path(), present);
}
