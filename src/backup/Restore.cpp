#include "backup/Restore.h"

#include "backup/BackupList.h"
#include "base/FileReplace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace
{
// The files the engine keeps beside a database while it writes.
const char* const EngineSideFiles[] = {"-journal", "-wal", "-shm"};

// What was moved aside, so a failed restore can put it back.
struct SetAside
{
    std::string target;
    std::string kept;
    bool present = false; ///< something stood at target and is now kept
    bool renamed = false; ///< it moved (else kept is a second name of the same file)
    std::vector<std::string> sideFiles;

    void Undo() const
    {
        for (const std::string& suffix : sideFiles)
            std::rename((kept + suffix).c_str(), (target + suffix).c_str());
        if (renamed)
            std::rename(kept.c_str(), target.c_str());
        else if (present)
            ::unlink(kept.c_str());
    }
};

// Keeps what stands at the target under the kept name: a regular file by a second name (so
// the path never stands empty), a folder by moving it. The message when it cannot.
std::string KeepAside(SetAside& aside)
{
    struct stat info
    {
    };
    if (::lstat(aside.target.c_str(), &info) != 0)
        return ""; // nothing stands there
    if (S_ISREG(info.st_mode) && ::link(aside.target.c_str(), aside.kept.c_str()) == 0)
    {
        aside.present = true;
        return "";
    }
    if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        return "'" + aside.target + "' is not a database file; it is left as it is.";
    if (std::rename(aside.target.c_str(), aside.kept.c_str()) != 0)
        return "'" + aside.target + "' could not be kept as '" + aside.kept +
               "': " + std::strerror(errno) + ".";
    aside.present = aside.renamed = true;
    return "";
}

// A journal left beside the replaced file would be rolled into the restored one.
std::string MoveSideFiles(SetAside& aside)
{
    std::error_code error;
    for (const char* suffix : EngineSideFiles)
    {
        if (!fs::exists(aside.target + suffix, error))
            continue;
        if (std::rename((aside.target + suffix).c_str(), (aside.kept + suffix).c_str()) != 0)
            return "'" + aside.target + suffix +
                   "' could not be moved aside: " + std::strerror(errno) + ".";
        aside.sideFiles.emplace_back(suffix);
    }
    return "";
}
} // namespace

std::string DamagedFileName(const std::string& databasePath, std::time_t now)
{
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return databasePath + ".damaged-" + stamp;
}

RestoreOutcome RestoreBackup(const std::string& databasePath, const std::string& backupPath,
                             std::time_t now)
{
    BackupInfo backup = InspectBackup(backupPath);
    if (!backup.good)
        return {"The backup '" + backupPath + "' cannot be restored: " + backup.problem + ".", ""};
    SetAside aside;
    aside.target = FollowLinks(databasePath);
    aside.kept = DamagedFileName(aside.target, now);
    // A second restore within the same second keeps its file under a numbered name.
    std::error_code error;
    for (int n = 2; fs::exists(fs::symlink_status(aside.kept, error)); ++n)
        aside.kept = DamagedFileName(aside.target, now) + "-" + std::to_string(n);
    std::string problem = KeepAside(aside);
    if (problem.empty())
        problem = MoveSideFiles(aside);
    if (problem.empty())
        problem = ReplaceFile(aside.target, CopyOf(backupPath), PermissionsOf(backupPath));
    if (!problem.empty())
    {
        aside.Undo();
        return {problem, ""};
    }
    return {"", aside.present ? aside.kept : ""};
}
