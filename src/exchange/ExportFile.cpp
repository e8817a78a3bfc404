#include "exchange/ExportFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace
{
std::string CannotWrite(const std::string& path, int error)
{
    return "The file '" + path + "' could not be written: " + std::strerror(error) + ".";
}

// The permissions the file ends with: a file being replaced keeps its own, a new one gets
// what the user's file-creation mask allows.
mode_t TargetMode(const std::string& path)
{
    struct stat existing
    {
    };
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        return existing.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The file the bytes go to at first: hidden, in the target's folder, so that the rename
// stays on one file system.
std::string TemporaryTemplate(const std::string& path)
{
    std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    std::string name = "." + target.filename().string() + ".XXXXXX";
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
} // namespace

std::string ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    return ReplaceFileContents(path, std::span<const std::string_view>(&bytes, 1));
}

std::string ReplaceFileContents(const std::string& path, std::span<const std::string_view> pieces)
{
    std::string temporary = TemporaryTemplate(path);
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        return CannotWrite(path, errno);
    int error = 0;
    for (std::string_view piece : pieces)
        if (error == 0)
            error = WriteAll(fd, piece);
    if (error == 0 && ::fchmod(fd, TargetMode(path)) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(name.data(), path.c_str()) != 0)
        error = errno;
    if (error != 0)
    {
        ::unlink(name.data());
        return CannotWrite(path, error);
    }
    return "";
}
