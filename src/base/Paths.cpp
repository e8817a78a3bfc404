#include "base/Paths.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string HomeDir()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    // Without $HOME, the account's own home folder.
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return {};
}

bool PathExists(const std::string& path)
{
    struct stat info
    {
    };
    return stat(path.c_str(), &info) == 0;
}
} // namespace

std::string GetProgramDir()
{
    std::string buffer(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<size_t>(length) >= buffer.size())
        return {};
    buffer.resize(static_cast<size_t>(length));
    const size_t slash = buffer.rfind('/');
    return slash == std::string::npos ? std::string() : buffer.substr(0, slash + 1);
}

std::string GetAppDataDir()
{
    std::string base;
    // A relative $XDG_DATA_HOME is ignored, as the XDG base-directory rules require.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/')
        base = xdg;
    else
        base = JoinPath(HomeDir(), ".local/share");
    return JoinPath(base, "Quorvel/Tallybrook");
}

std::string ResolveDataFile(const std::string& name)
{
    // An empty program folder would make the name relative to the working folder.
    if (const std::string programDir = GetProgramDir(); !programDir.empty())
    {
        std::string besideProgram = JoinPath(programDir, name);
        if (PathExists(besideProgram))
            return besideProgram;
    }
    return JoinPath(GetAppDataDir(), name);
}

std::string GetIniPath()
{
    return ResolveDataFile("qvtb.ini");
}

std::string GetIniDir()
{
    const std::string iniPath = GetIniPath();
    const size_t slash = iniPath.rfind('/');
    return slash == std::string::npos ? std::string() : iniPath.substr(0, slash + 1);
}

std::string GetTempDir()
{
    std::string tempDir = GetIniDir() + "temp";
    // The folder holds generated pages of the user's finances, so only the user may read it.
    mkdir(tempDir.c_str(), 0700);
    return tempDir;
}

std::string JoinPath(const std::string& left, const std::string& right)
{
    if (left.empty())
        return right;
    if (right.empty())
        return left;
    const size_t leftEnd = left.find_last_not_of('/');
    const size_t rightStart = right.find_first_not_of('/');
    const std::string head =
        leftEnd == std::string::npos ? std::string() : left.substr(0, leftEnd + 1);
    const std::string tail =
        rightStart == std::string::npos ? std::string() : right.substr(rightStart);
    return head + "/" + tail;
}
