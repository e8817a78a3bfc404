#include "data/DatabaseFile.h"

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <sys/stat.h>

namespace
{
const std::size_t HeaderSize = 100;

std::uint32_t BigEndian(const unsigned char* bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

// The file length the header promises: page size times the in-header page count, which the
// engine trusts only when the version-valid-for number matches the change counter. 0 when
// the header does not say.
std::uint64_t PromisedSize(const std::array<unsigned char, HeaderSize>& header)
{
    std::uint32_t pageSize = BigEndian(&header[16], 2);
    if (pageSize == 1)
        pageSize = 65536;
    std::uint32_t pages = BigEndian(&header[28], 4);
    bool valid = BigEndian(&header[24], 4) == BigEndian(&header[92], 4);
    return valid ? static_cast<std::uint64_t>(pageSize) * pages : 0;
}
} // namespace

std::string DatabaseFileDamage(const std::string& path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return "";
    if (info.st_size == 0)
        return "the file is empty";
    std::array<unsigned char, HeaderSize> header{};
    std::ifstream file(path, std::ios::binary);
    if (!file.read(reinterpret_cast<char*>(header.data()), header.size()))
        return ""; // too short for a header: the engine names it as not a database
    if (static_cast<std::uint64_t>(info.st_size) < PromisedSize(header))
        return "the file is shorter than its header says; it was cut short";
    return "";
}

bool HasProgramTables(sqlite3* db)
{
    sqlite3_stmt* statement = nullptr;
    const char* sql = "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
                      "name IN ('Account', 'Trans') COLLATE NOCASE";
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return false;
    bool found = sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int(statement, 0) == 2;
    sqlite3_finalize(statement);
    return found;
}

std::string CheckProgramDatabase(sqlite3* db)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &statement, nullptr) != SQLITE_OK)
        return sqlite3_errmsg(db);
    int rc = sqlite3_step(statement);
    const unsigned char* text = rc == SQLITE_ROW ? sqlite3_column_text(statement, 0) : nullptr;
    std::string verdict = text ? reinterpret_cast<const char*>(text) : sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    if (verdict != "ok")
        return "the engine's check found: " + verdict;
    if (!HasProgramTables(db))
        return "it is not a Tallybrook database";
    return "";
}
