#include "base/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace
{
std::string CannotWrite(const std::string& path, const std::string& reason)
{
    return "The file '" + path + "' could not be written: " + reason + ".";
}

// The permissions the file ends with: a file being replaced keeps its own, a new one gets
// what the user's file-creation mask allows.
mode_t TargetMode(const struct stat* existing, int newFileMode)
{
    if (existing)
        return existing->st_mode & 07777;
    if (newFileMode >= 0)
        return static_cast<mode_t>(newFileMode) & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The temporary file: hidden, in the target's folder, so that the rename stays on one file
// system.
std::string TemporaryTemplate(const fs::path& target)
{
    std::string name = "." + target.filename().string() + ".XXXXXX";
    fs::path folder = target.parent_path();
    return folder.empty() ? name : (folder / name).string();
}

// Writes everything or reports the failure's errno; 0 when all was written.
int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty())
    {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// Flushes, sets the permissions and closes the temporary file; the failure's text or "".
std::string Finish(int fd, mode_t mode)
{
    std::string reason;
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        reason = std::strerror(errno);
    if (::close(fd) != 0 && reason.empty())
        reason = std::strerror(errno);
    return reason;
}
} // namespace

int PermissionsOf(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

FileContentWriter CopyOf(const std::string& from)
{
    return [from](int, const std::string& temporary) -> std::string
    {
        std::error_code error;
        fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, error);
        return error ? error.message() : "";
    };
}

std::string FollowLinks(const std::string& path)
{
    fs::path current(path);
    std::error_code error;
    // A loop of links ends the walk where it stands; the rename then meets the loop.
    for (int hops = 0; hops < 40 && fs::is_symlink(current, error); ++hops)
    {
        fs::path next = fs::read_symlink(current, error);
        if (error)
            break;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current.string();
}

bool SyncFolder(const std::string& folder)
{
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

std::string ReplaceFile(const std::string& path, const FileContentWriter& write, int newFileMode)
{
    fs::path target(FollowLinks(path));
    struct stat existing
    {
    };
    bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return CannotWrite(path, "it is not a regular file");
    std::string temporary = TemporaryTemplate(target);
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        return CannotWrite(path, std::strerror(errno));
    std::string reason = write(fd, name.data());
    if (reason.empty())
        reason = Finish(fd, TargetMode(exists ? &existing : nullptr, newFileMode));
    else
        ::close(fd);
    if (reason.empty() && ::rename(name.data(), target.c_str()) != 0)
        reason = std::strerror(errno);
    if (!reason.empty())
    {
        ::unlink(name.data());
        return CannotWrite(path, reason);
    }
    if (!SyncFolder(target.parent_path().string()))
        return CannotWrite(path,
                           std::string("its folder could not be flushed: ") + std::strerror(errno));
    return "";
}

std::string ReplaceFile(const std::string& path, std::span<const std::string_view> pieces)
{
    return ReplaceFile(path,
                       [pieces](int fd, const std::string&) -> std::string
                       {
                           for (std::string_view piece : pieces)
                               if (int error = WriteAll(fd, piece); error != 0)
                                   return std::strerror(error);
                           return "";
                       });
}

std::string ReplaceFile(const std::string& path, std::string_view bytes)
{
    return ReplaceFile(path, std::span<const std::string_view>(&bytes, 1));
}
