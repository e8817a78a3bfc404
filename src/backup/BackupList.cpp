#include "backup/BackupList.h"

#include "data/BackupCopy.h"
#include "data/Connection.h"
#include "data/DatabaseFile.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>

namespace
{
// The backups that exist, newest first; PATH.bak before a daily copy of the same moment.
std::vector<BackupInfo> FindBackups(const std::string& databasePath)
{
    std::vector<std::string> paths{BackupPath(databasePath)};
    std::vector<std::string> dailies = DailyBackups(databasePath);
    paths.insert(paths.end(), dailies.rbegin(), dailies.rend());
    std::vector<BackupInfo> found;
    for (const std::string& path : paths)
    {
        struct stat info
        {
        };
        if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        {
            BackupInfo backup;
            backup.path = path;
            backup.taken = info.st_mtime;
            backup.bytes = static_cast<std::uintmax_t>(info.st_size);
            found.push_back(backup);
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const BackupInfo& a, const BackupInfo& b) { return a.taken > b.taken; });
    return found;
}

std::int64_t CountTransactions(sqlite3* db)
{
    sqlite3_stmt* statement = nullptr;
    std::int64_t count = 0;
    if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM Trans", -1, &statement, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return count;
}

void Check(BackupInfo& backup)
{
    backup.problem = DatabaseFileDamage(backup.path);
    if (!backup.problem.empty())
        return;
    sqlite3* opened = nullptr;
    int rc = sqlite3_open_v2(backup.path.c_str(), &opened, SQLITE_OPEN_READONLY, nullptr);
    ConnectionHandle connection(opened);
    if (rc != SQLITE_OK)
    {
        backup.problem = opened ? sqlite3_errmsg(opened) : sqlite3_errstr(rc);
        return;
    }
    backup.problem = CheckProgramDatabase(opened);
    backup.good = backup.problem.empty();
    if (backup.good)
        backup.transactions = CountTransactions(opened);
}
} // namespace

BackupInfo InspectBackup(const std::string& path)
{
    BackupInfo backup;
    backup.path = path;
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    {
        backup.problem = "there is no such file";
        return backup;
    }
    backup.taken = info.st_mtime;
    backup.bytes = static_cast<std::uintmax_t>(info.st_size);
    Check(backup);
    return backup;
}

std::vector<BackupInfo> ListBackups(const std::string& databasePath)
{
    std::vector<BackupInfo> backups = FindBackups(databasePath);
    for (BackupInfo& backup : backups)
        Check(backup);
    return backups;
}

std::optional<BackupInfo> NewestGoodBackup(const std::string& databasePath)
{
    for (BackupInfo& backup : FindBackups(databasePath))
    {
        Check(backup);
        if (backup.good)
            return backup;
    }
    return std::nullopt;
}

std::string BackupTime(std::time_t taken)
{
    std::tm local{};
    localtime_r(&taken, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}
