#include "data/BackupCopy.h"

#include "base/FileReplace.h"
#include "data/Connection.h"
#include "data/DatabaseFile.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
// How long a copy waits for another program's write to end before it gives up.
constexpr std::chrono::seconds LockWait{10};

struct CopyProblem
{
    bool damaged = false;
    std::string reason; ///< empty when the copy was made and passed its check
};

// The engine's online backup of the source into the (empty) file at target, then its check.
CopyProblem CopyThroughEngine(sqlite3* source, const std::string& target)
{
    sqlite3* opened = nullptr;
    int rc = sqlite3_open_v2(target.c_str(), &opened, SQLITE_OPEN_READWRITE, nullptr);
    ConnectionHandle copy(opened);
    if (rc != SQLITE_OK)
        return {false, opened ? sqlite3_errmsg(opened) : sqlite3_errstr(rc)};
    sqlite3_backup* backup = sqlite3_backup_init(opened, "main", source, "main");
    if (!backup)
        return {false, sqlite3_errmsg(opened)};
    // One step copies every page under one read lock: the copy is the database at one moment.
    auto deadline = std::chrono::steady_clock::now() + LockWait;
    while ((rc = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED)
    {
        if (std::chrono::steady_clock::now() > deadline)
            break;
        sqlite3_sleep(50);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
    {
        int primary = rc & 0xff;
        return {primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB, sqlite3_errstr(rc)};
    }
    std::string damage = CheckProgramDatabase(opened);
    return {!damage.empty(), damage};
}

bool IsDatePart(std::string_view text)
{
    // YYYY-MM-DD
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c)
                       { return c == '-' || std::isdigit(static_cast<unsigned char>(c)); });
}

// The day's copy: a second name of the new PATH.bak when the file system allows (the next
// backup replaces PATH.bak by a rename, so this name keeps today's file), else a copy.
std::string KeepDailyCopy(const std::string& databasePath, std::time_t now)
{
    std::string daily = DailyBackupPath(databasePath, now);
    std::error_code error;
    if (fs::exists(daily, error))
        return "";
    std::string folder = DailyBackupFolder(databasePath);
    fs::create_directories(folder, error);
    if (error)
        return "The folder '" + folder + "' could not be made: " + error.message() + ".";
    std::string backup = BackupPath(databasePath);
    if (::link(backup.c_str(), daily.c_str()) != 0)
    {
        std::string problem = ReplaceFile(daily, CopyOf(backup), PermissionsOf(databasePath));
        if (!problem.empty())
            return problem;
    }
    SyncFolder(folder);
    std::vector<std::string> dailies = DailyBackups(databasePath);
    for (std::size_t i = 0; i + KeptDailyBackups < dailies.size(); ++i)
        fs::remove(dailies[i], error);
    return "";
}
} // namespace

std::string BackupPath(const std::string& databasePath)
{
    return databasePath + ".bak";
}

std::string DailyBackupFolder(const std::string& databasePath)
{
    return (fs::path(databasePath).parent_path() / "backups").string();
}

std::string DailyBackupPath(const std::string& databasePath, std::time_t day)
{
    std::tm local{};
    localtime_r(&day, &local);
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    fs::path database(databasePath);
    std::string name = database.stem().string() + "-" + date + database.extension().string();
    return (fs::path(DailyBackupFolder(databasePath)) / name).string();
}

std::vector<std::string> DailyBackups(const std::string& databasePath)
{
    fs::path database(databasePath);
    std::string prefix = database.stem().string() + "-";
    std::string suffix = database.extension().string();
    std::vector<std::string> found;
    std::error_code error;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(DailyBackupFolder(databasePath), error))
    {
        std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 10 + suffix.size() && name.starts_with(prefix) &&
            name.ends_with(suffix) && IsDatePart(std::string_view(name).substr(prefix.size(), 10)))
            found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

BackupOutcome TakeBackup(const std::string& databasePath, std::time_t now)
{
    // The reason is a whole sentence.
    auto failed = [&](const std::string& reason)
    {
        return BackupOutcome{BackupResult::Failed, "The backup copy of '" + databasePath +
                                                       "' could not be made. " + reason +
                                                       " The earlier backups are kept."};
    };
    sqlite3* opened = nullptr;
    int rc = sqlite3_open_v2(databasePath.c_str(), &opened, SQLITE_OPEN_READONLY, nullptr);
    ConnectionHandle source(opened);
    if (rc != SQLITE_OK)
        return failed("The engine says: " +
                      std::string(opened ? sqlite3_errmsg(opened) : sqlite3_errstr(rc)) + ".");
    sqlite3_busy_timeout(opened, 2000);
    CopyProblem problem;
    std::string written = ReplaceFile(
        BackupPath(databasePath),
        [&](int, const std::string& temporary)
        {
            problem = CopyThroughEngine(opened, temporary);
            return problem.reason;
        },
        PermissionsOf(databasePath));
    if (problem.damaged)
        return {BackupResult::Damaged, "The database '" + databasePath +
                                           "' is damaged: " + problem.reason +
                                           ". The backups were left as they were."};
    if (!written.empty())
        return failed(written);
    std::string daily = KeepDailyCopy(databasePath, now);
    if (!daily.empty())
        return failed(daily);
    return {};
}
