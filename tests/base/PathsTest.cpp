#include "base/Paths.h"
#include "base/Settings.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(Paths, AppDataDirFollowsXdgDataHome)
{
    const ScopedEnv dataHome("XDG_DATA_HOME", "/data/home/");
    EXPECT_EQ(GetAppDataDir(), "/data/home/Quorvel/Tallybrook");
}

TEST(Paths, AppDataDirFallsBackToHomeWhenXdgDataHomeIsUnusable)
{
    const ScopedEnv home("HOME", "/home/user");
    for (const char* value : {"", "relative/data"})
    {
        const ScopedEnv dataHome("XDG_DATA_HOME", value);
        EXPECT_EQ(GetAppDataDir(), "/home/user/.local/share/Quorvel/Tallybrook") << value;
    }
}

TEST(Paths, ProgramDirIsTheFolderOfTheRunningProgram)
{
    const std::string programDir = GetProgramDir();
    ASSERT_FALSE(programDir.empty());
    EXPECT_EQ(programDir.back(), '/');
    EXPECT_TRUE(fs::is_directory(programDir));
    EXPECT_EQ(fs::read_symlink("/proc/self/exe").parent_path(), fs::path(programDir).parent_path());
}

TEST(Paths, DataFileFoundNowhereLiesUnderAppData)
{
    const TempDir temp;
    const ScopedEnv dataHome("XDG_DATA_HOME", temp.Path().string());
    const std::string appData = temp.File("Quorvel/Tallybrook");
    EXPECT_EQ(ResolveDataFile("db/qtb.mdb"), appData + "/db/qtb.mdb");
    EXPECT_EQ(GetIniPath(), appData + "/qvtb.ini");
    EXPECT_EQ(GetIniDir(), appData + "/");
}

TEST(Paths, TempDirIsCreatedBesideTheSettingsFile)
{
    const TempDir temp;
    const ScopedEnv dataHome("XDG_DATA_HOME", temp.Path().string());
    const fs::path appData = temp.Path() / "Quorvel" / "Tallybrook";

    // The application-data folder itself is never created.
    EXPECT_EQ(GetTempDir(), (appData / "temp").string());
    EXPECT_FALSE(fs::exists(temp.Path() / "Quorvel"));

    fs::create_directories(appData);
    EXPECT_EQ(GetTempDir(), (appData / "temp").string());
    EXPECT_TRUE(fs::is_directory(appData / "temp"));
    EXPECT_EQ(GetTempDir(), (appData / "temp").string());
}

TEST(Paths, SettingsFileBesideTheProgramWins)
{
    const TempDir temp;
    const ScopedEnv dataHome("XDG_DATA_HOME", temp.Path().string());
    const std::string programDir = GetProgramDir();
    const fs::path iniBeside = fs::path(programDir) / "qvtb.ini";
    const fs::path tempBeside = fs::path(programDir) / "temp";
    ASSERT_FALSE(fs::exists(iniBeside));
    ASSERT_FALSE(fs::exists(tempBeside));

    // Removes what the test puts beside the program even when an assertion fails.
    struct Cleanup
    {
        fs::path ini, tempDir;
        ~Cleanup()
        {
            std::error_code ignored;
            fs::remove(ini, ignored);
            fs::remove_all(tempDir, ignored);
        }
    } cleanup{iniBeside, tempBeside};

    std::ofstream(iniBeside) << "[Settings]\nBankUrl=beside\n";
    EXPECT_EQ(GetIniPath(), iniBeside.string());
    EXPECT_EQ(GetIniDir(), programDir);
    EXPECT_EQ(GetSetting("BankUrl", "Settings"), "beside");
    EXPECT_EQ(GetTempDir(), tempBeside.string());
    EXPECT_TRUE(fs::is_directory(tempBeside));
}

TEST(Paths, JoinPathPutsOneSlashBetweenParts)
{
    EXPECT_EQ(JoinPath("a", "b"), "a/b");
    EXPECT_EQ(JoinPath("a//", "/b"), "a/b");
    EXPECT_EQ(JoinPath("/", "b"), "/b");
    EXPECT_EQ(JoinPath("", "b"), "b");
    EXPECT_EQ(JoinPath("a/", ""), "a/");
}
