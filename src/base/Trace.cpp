#include "base/Trace.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace
{
std::string& StoredTracePath()
{
    static std::string path;
    return path;
}
} // namespace

void StartTrace(const std::string& path)
{
    StoredTracePath() = path;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd >= 0)
        close(fd);
}

const std::string& TracePath()
{
    return StoredTracePath();
}

void Trace(const std::string& text)
{
    const std::string& path = StoredTracePath();
    if (path.empty())
        return;
    // Opened and closed per line so the log is complete up to the last line after a crash.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    const std::string line = text + "\n";
    size_t written = 0;
    while (written < line.size())
    {
        const ssize_t count = write(fd, line.data() + written, line.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        written += static_cast<size_t>(count);
    }
    close(fd);
}
