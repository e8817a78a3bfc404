#include "backup/BackupList.h"
#include "backup/Restore.h"
#include "data/BackupCopy.h"
#include "data/Database.h"
#include "data/DatabaseError.h"

#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace
{
// 2026-12-07 12:00 UTC, and whole days after it.
constexpr std::time_t Monday = 1796644800;
std::time_t Day(int n)
{
    return Monday + static_cast<std::time_t>(n) * 86400;
}

// Adds transactions with long descriptions, so the file spans many pages.
void AddTransactions(Database& db, int first, int count)
{
    Transaction transaction(db);
    for (int i = first; i < first + count; ++i)
        db.Execute("INSERT INTO Trans (AccountID, Sequence, [Year], Period, PostDate, Amount, "
                   "Description) VALUES ('1001', " +
                   std::to_string(i) + ", 2026, 12, #12/1/2026#, -1.25, '" + std::string(200, 'd') +
                   "')");
    transaction.Commit();
}

std::string Integrity(const std::string& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    std::string verdict = "unreadable";
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        verdict = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return verdict;
}

std::int64_t CountOf(const std::string& path)
{
    return InspectBackup(path).transactions;
}

// The rows of Trans in a database another process is writing to.
std::int64_t LiveCount(const std::string& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_busy_timeout(db, 10000);
    sqlite3_stmt* statement = nullptr;
    std::int64_t count = -1;
    if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM Trans", -1, &statement, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return count;
}

// The message opening the file as the program does raises; "" when it opens.
std::string DamageOnOpening(const std::string& path)
{
    try
    {
        Database db(path);
    }
    catch (const DamagedDatabaseError& error)
    {
        return error.Description();
    }
    return "";
}

class BackupTest : public ::testing::Test
{
protected:
    BackupTest()
    {
        auto db = CreateTestDatabase(path);
        AddTransactions(*db, 1, 300);
    }

    TempDir dir;
    ScopedEnv zone{"TZ", "UTC"};
    std::string path = dir.File("qtb.mdb");
};
} // namespace

TEST_F(BackupTest, EachDamageIsRefusedLeavesTheBackupsAndIsUndoneByARestore)
{
    struct Case
    {
        const char* name;
        std::function<void(const std::string&)> damage;
        std::string message;
    } cases[] = {
        {"cut in half", [](const std::string& p) { fs::resize_file(p, fs::file_size(p) / 2); },
         "The database '" + path +
             "' is damaged: the file is shorter than its header says; it was cut short."},
        {"zeroed header",
         [](const std::string& p)
         {
             std::fstream file(p, std::ios::in | std::ios::out | std::ios::binary);
             file.write(std::string(100, '\0').data(), 100);
         },
         "Unrecognized database format '" + path + "': the file is not a Tallybrook database."},
        {"zero bytes", [](const std::string& p) { fs::resize_file(p, 0); },
         "The database '" + path + "' is damaged: the file is empty."},
        {"a folder in its place",
         [](const std::string& p)
         {
             fs::remove(p);
             fs::create_directory(p);
         },
         "'" + path + "' is not a database file."},
    };
    std::string records;
    {
        Database first(path, OpenOptions{BackupWhen::First, true});
        records = DatabaseDump(path);
    }
    std::string backup = FileContents(BackupPath(path));
    std::string daily = DailyBackupPath(path, std::time(nullptr));
    ASSERT_EQ(FileContents(daily), backup);
    for (std::size_t i = 0; i < std::size(cases); ++i)
    {
        const Case& c = cases[i];
        c.damage(path);
        EXPECT_EQ(DamageOnOpening(path), c.message) << c.name;
        EXPECT_EQ(FileContents(BackupPath(path)), backup) << c.name;
        EXPECT_EQ(FileContents(daily), backup) << c.name;

        RestoreOutcome outcome = RestoreBackup(path, BackupPath(path), Day(static_cast<int>(i)));
        ASSERT_EQ(outcome.error, "") << c.name;
        EXPECT_EQ(outcome.keptAs, DamagedFileName(path, Day(static_cast<int>(i)))) << c.name;
        EXPECT_TRUE(fs::exists(outcome.keptAs)) << c.name;
        EXPECT_EQ(DamageOnOpening(path), "") << c.name;
        EXPECT_EQ(DatabaseDump(path), records) << c.name;
    }
}

TEST_F(BackupTest, APageDamagedInsideIsFoundByTheCheckAndReplacesNoBackup)
{
    ASSERT_EQ(TakeBackup(path, Day(0)).result, BackupResult::Taken);
    std::string backup = FileContents(BackupPath(path));
    {
        // The middle page of the file (Trans rows) overwritten with noise.
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(fs::file_size(path) / 4096 / 2 * 4096));
        file.write(std::string(4096, '\x5a').data(), 4096);
    }
    BackupOutcome outcome = TakeBackup(path, Day(1));
    EXPECT_EQ(outcome.result, BackupResult::Damaged);
    EXPECT_TRUE(outcome.message.starts_with("The database '" + path + "' is damaged: "))
        << outcome.message;
    EXPECT_EQ(FileContents(BackupPath(path)), backup);
    EXPECT_FALSE(fs::exists(DailyBackupPath(path, Day(1))));
    EXPECT_EQ(NewestGoodBackup(path)->path, BackupPath(path));
}

TEST_F(BackupTest, TheFirstCopyOfADayIsKeptAndOnlySevenDaysAreKept)
{
    ASSERT_EQ(TakeBackup(path, Day(0)).result, BackupResult::Taken);
    {
        Database db(path, OpenOptions{BackupWhen::Never, true});
        AddTransactions(db, 301, 5);
    }
    ASSERT_EQ(TakeBackup(path, Day(0)).result, BackupResult::Taken);
    EXPECT_EQ(CountOf(DailyBackupPath(path, Day(0))), 300);
    EXPECT_EQ(CountOf(BackupPath(path)), 305);

    for (int day = 1; day <= 8; ++day)
        ASSERT_EQ(TakeBackup(path, Day(day)).result, BackupResult::Taken);
    std::vector<std::string> expected;
    for (int day = 2; day <= 8; ++day)
        expected.push_back(DailyBackupPath(path, Day(day)));
    EXPECT_EQ(DailyBackups(path), expected);
    EXPECT_EQ(fs::path(expected.back()).filename(), "qtb-2026-12-15.mdb");
    EXPECT_EQ(ListBackups(path).size(), 8u);
}

TEST_F(BackupTest, ACopyTakenWhileAnotherProcessWritesIsWhole)
{
    pid_t writer = fork();
    ASSERT_NE(writer, -1);
    if (writer == 0)
    {
        // A second program writing: a small transaction every two milliseconds until stopped.
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db, 10000);
        for (int i = 0;; ++i)
        {
            std::string sql = "INSERT INTO Trans (AccountID, Sequence, Description) VALUES "
                              "('1001', " +
                              std::to_string(1000 + i) + ", '" + std::string(300, 'w') + "')";
            if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
                _exit(1);
            usleep(2000);
        }
    }
    std::int64_t written = 300;
    for (int copy = 0; copy < 5; ++copy)
    {
        // Each copy starts once the writer has added rows since the one before.
        for (int wait = 0; wait < 500 && LiveCount(path) <= written; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        written = LiveCount(path);
        BackupOutcome outcome = TakeBackup(path, Day(0));
        ASSERT_EQ(outcome.result, BackupResult::Taken) << outcome.message;
        ASSERT_EQ(Integrity(BackupPath(path)), "ok") << "copy " << copy;
    }
    int status = 0;
    EXPECT_EQ(waitpid(writer, &status, WNOHANG), 0) << "the writer was refused";
    kill(writer, SIGKILL);
    waitpid(writer, &status, 0);
    EXPECT_GT(written, 300); // the writer did write meanwhile
}

TEST_F(BackupTest, ARestoreMovesTheJournalAsideAndAFailedOneChangesNothing)
{
    ASSERT_EQ(TakeBackup(path, Day(0)).result, BackupResult::Taken);
    fs::resize_file(path, 0);
    std::ofstream(path + "-journal") << "a journal left by a crash";

    RestoreOutcome bad = RestoreBackup(path, dir.File("missing.bak"), Day(1));
    EXPECT_EQ(bad.error, "The backup '" + dir.File("missing.bak") +
                             "' cannot be restored: there is no such file.");
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_TRUE(fs::exists(path + "-journal"));

    RestoreOutcome good = RestoreBackup(path, BackupPath(path), Day(1));
    ASSERT_EQ(good.error, "");
    EXPECT_FALSE(fs::exists(path + "-journal"));
    EXPECT_EQ(FileContents(good.keptAs + "-journal"), "a journal left by a crash");
    EXPECT_EQ(fs::file_size(good.keptAs), 0u);
    EXPECT_EQ(CountOf(path), 300);
}
