#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// The bytes of a statement file, mapped into memory rather than copied: a 50 MB statement
/// is read without filling 50 MB of fresh memory first. Empty when the file cannot be read
/// (missing, a directory, no permission) or is empty.
class StatementFile
{
public:
    explicit StatementFile(const std::string& path);
    ~StatementFile();
    StatementFile(const StatementFile&) = delete;
    StatementFile& operator=(const StatementFile&) = delete;

    std::string_view Bytes() const { return {m_data, m_size}; }

private:
    const char* m_data = nullptr;
    std::size_t m_size = 0;
    void* m_mapping = nullptr; ///< what munmap takes back; null when nothing is mapped
};
