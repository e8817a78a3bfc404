#include "exchange/StatementFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

StatementFile::StatementFile(const std::string& path)
{
    // Not blocking: a FIFO named as a statement must not hang the import.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat info = {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
    {
        auto size = static_cast<std::size_t>(info.st_size);
        // The pages come straight from the file cache, read in one go.
        void* mapping = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (mapping != MAP_FAILED)
        {
            m_mapping = mapping;
            m_data = static_cast<const char*>(mapping);
            m_size = size;
        }
    }
    close(fd);
}

StatementFile::~StatementFile()
{
    if (m_mapping)
        munmap(m_mapping, m_size);
}
