#pragma once

#include <ctime>
#include <string>
#include <vector>

/// How a backup copy went.
enum class BackupResult
{
    Taken,   ///< PATH.bak (and the day's copy) now hold the database as it was
    Damaged, ///< the copy failed its check: the database itself is damaged
    Failed   ///< the copy could not be made (no space, no permission, busy for too long)
};

struct BackupOutcome
{
    BackupResult result = BackupResult::Taken;
    std::string message; ///< for the user; empty when taken
};

/// The backup copy beside the database: PATH.bak.
std::string BackupPath(const std::string& databasePath);
/// The folder of the daily copies: "backups" beside the database.
std::string DailyBackupFolder(const std::string& databasePath);
/// The daily copy of a local date: backups/STEM-YYYY-MM-DD.EXT ("qtb-2026-12-07.mdb").
std::string DailyBackupPath(const std::string& databasePath, std::time_t day);
/// The daily copies that exist, oldest first (by the date in their names).
std::vector<std::string> DailyBackups(const std::string& databasePath);

/// How many daily copies are kept.
constexpr int KeptDailyBackups = 7;

/// Copies the database through the engine's online backup (consistent under the database
/// lock, whatever another process is doing) into a new file beside PATH.bak, checks the copy
/// (the program's tables, the engine's quick check), and only then puts it in place through
/// the safe file replacement. The first copy of a day is also kept as that day's copy; the
/// oldest daily copies beyond KeptDailyBackups are removed. A copy that fails changes no
/// backup.
BackupOutcome TakeBackup(const std::string& databasePath, std::time_t now = std::time(nullptr));
