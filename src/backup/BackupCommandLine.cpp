#include "backup/BackupCommandLine.h"

#include "backup/BackupList.h"
#include "backup/Restore.h"
#include "data/BackupCopy.h"

#include <filesystem>
#include <ostream>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
// A backup named on the command line: the path as given when it exists, else a file of
// that name among the backups.
std::string FindNamedBackup(const std::string& databasePath, const std::string& name)
{
    std::error_code error;
    if (fs::exists(name, error))
        return name;
    for (const BackupInfo& backup : ListBackups(databasePath))
        if (fs::path(backup.path).filename() == name)
            return backup.path;
    return name;
}
} // namespace

int RunBackupsCommand(const std::string& databasePath, std::ostream& out)
{
    std::vector<BackupInfo> backups = ListBackups(databasePath);
    if (backups.empty())
    {
        out << "No backups of '" << databasePath << "' were found.\n";
        return 0;
    }
    out << "TAKEN\tBYTES\tTRANSACTIONS\tFILE\n";
    for (const BackupInfo& backup : backups)
    {
        out << BackupTime(backup.taken) << "\t" << backup.bytes << "\t";
        if (backup.good)
            out << backup.transactions;
        else
            out << "damaged: " << backup.problem;
        out << "\t" << backup.path << "\n";
    }
    return 0;
}

int RunRestoreCommand(const std::string& databasePath, const std::optional<std::string>& backup,
                      std::ostream& out, std::ostream& err)
{
    std::optional<BackupInfo> chosen;
    if (backup)
        chosen = InspectBackup(FindNamedBackup(databasePath, *backup));
    else
        chosen = NewestGoodBackup(databasePath);
    if (!chosen)
    {
        err << "No good backup of '" << databasePath << "' was found.\n";
        return 1;
    }
    RestoreOutcome outcome = RestoreBackup(databasePath, chosen->path);
    if (!outcome.error.empty())
    {
        err << outcome.error << "\n";
        return 1;
    }
    out << "Restored '" << databasePath << "' from '" << chosen->path << "' (taken "
        << BackupTime(chosen->taken) << ", " << chosen->transactions << " transactions).\n";
    if (!outcome.keptAs.empty())
        out << "The file it replaced is kept as '" << outcome.keptAs << "'.\n";
    return 0;
}
