#pragma once

#include <ctime>
#include <string>

/// How a restore went.
struct RestoreOutcome
{
    std::string error;  ///< empty when the backup is in place; else the message for the user
    std::string keptAs; ///< where the file it replaced was kept; empty when there was none
};

/// The name the replaced database is kept under: PATH.damaged-YYYYMMDD-HHMMSS (local time);
/// a restore that finds it taken adds "-2", "-3", ...
std::string DamagedFileName(const std::string& databasePath, std::time_t now);

/// Puts a backup in the database's place. The backup must pass its check. What stood at the
/// path (a damaged file, or a folder) is kept beside it under DamagedFileName, with any
/// journal the engine left for it, so nothing is rolled into the restored file; the backup's
/// bytes then replace the path through the safe file replacement. A failure leaves the path
/// as it was.
RestoreOutcome RestoreBackup(const std::string& databasePath, const std::string& backupPath,
                             std::time_t now = std::time(nullptr));
