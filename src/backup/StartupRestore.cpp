#include "backup/StartupRestore.h"

#include "backup/BackupList.h"
#include "backup/Restore.h"
#include "base/UserInterface.h"
#include "data/DatabaseError.h"
#include "data/DatabaseLocation.h"

#include <filesystem>
#include <optional>

std::string RestoreQuestion(const std::string& databasePath, const std::string& reason,
                            const std::string& backupTime, std::int64_t transactions,
                            const std::string& keptAs)
{
    std::string count =
        std::to_string(transactions) + (transactions == 1 ? " transaction" : " transactions");
    return "The database '" + databasePath + "' cannot be opened:\n" + reason +
           "\n\nRestore the newest good backup, taken " + backupTime + " with " + count +
           "?\nThe damaged file is kept as '" + std::filesystem::path(keptAs).filename().string() +
           "'.";
}

std::unique_ptr<Database> OpenOrRestoreProgramDatabase(UserInterface& ui, OpenOptions options,
                                                       std::time_t now)
{
    std::string path = PrepareProgramDatabase();
    try
    {
        return std::make_unique<Database>(path, options);
    }
    catch (const DamagedDatabaseError& damage)
    {
        std::optional<BackupInfo> backup = NewestGoodBackup(path);
        if (!backup)
            throw;
        std::string kept = DamagedFileName(path, now);
        if (!ui.AskYesNo(RestoreQuestion(path, damage.Description(), BackupTime(backup->taken),
                                         backup->transactions, kept)))
            throw;
        RestoreOutcome outcome = RestoreBackup(path, backup->path, now);
        if (!outcome.error.empty())
        {
            ui.ShowMessage(outcome.error, UserInterface::Icon::Stop);
            throw;
        }
    }
    return std::make_unique<Database>(path, options);
}
