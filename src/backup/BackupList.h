#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

/// One backup file and what its check found.
struct BackupInfo
{
    std::string path;
    std::time_t taken = 0; ///< when it was written
    std::uintmax_t bytes = 0;
    bool good = false;             ///< the program's database, and the engine's check passed
    std::int64_t transactions = 0; ///< rows of Trans, when good
    std::string problem;           ///< why it is not good
};

/// Opens a backup read-only and checks it as a backup is checked when taken.
BackupInfo InspectBackup(const std::string& path);

/// The backups of a database (PATH.bak and the daily copies), newest first, each checked.
std::vector<BackupInfo> ListBackups(const std::string& databasePath);

/// The newest backup that passes its check; nullopt when there is none.
std::optional<BackupInfo> NewestGoodBackup(const std::string& databasePath);

/// "YYYY-MM-DD HH:MM" in local time.
std::string BackupTime(std::time_t taken);
