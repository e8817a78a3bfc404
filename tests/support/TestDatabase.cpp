#include "support/TestDatabase.h"

#include "data/Database.h"
#include "data/Schema.h"

#include <sqlite3.h>

#include <fstream>

std::unique_ptr<Database> CreateTestDatabase(const std::string& path, bool migrate)
{
    std::ofstream(path).flush(); // the engine opens existing files only
    auto db = std::make_unique<Database>(path, OpenOptions{BackupWhen::Never, false});
    CreateInitialSchema(*db);
    if (migrate)
        MigrateSchema(*db);
    return db;
}

void SetBackToVersion(Database& db, int version)
{
    if (version < 9)
    {
        db.Execute("DROP TABLE Schedule");
        db.Execute("ALTER TABLE Trans DROP COLUMN ScheduleID");
    }
    db.Execute("ALTER TABLE _SchemaVersion DROP COLUMN " + std::to_string(CurrentSchemaVersion));
    db.Execute("ALTER TABLE _SchemaVersion ADD COLUMN " + std::to_string(version) + " LONG");
}

namespace
{
// Appends the rows of one query, fields separated by "|", rows by newlines.
void AppendRows(sqlite3* db, const std::string& sql, std::string& text)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return;
    while (sqlite3_step(statement) == SQLITE_ROW)
    {
        for (int i = 0; i < sqlite3_column_count(statement); ++i)
        {
            const unsigned char* value = sqlite3_column_text(statement, i);
            text +=
                (i ? "|" : "") + std::string(value ? reinterpret_cast<const char*>(value) : "NULL");
        }
        text += "\n";
    }
    sqlite3_finalize(statement);
}
} // namespace

std::string DatabaseDump(const std::string& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    {
        sqlite3_close(db);
        return "";
    }
    std::string schema;
    AppendRows(db, "SELECT name, sql FROM sqlite_master WHERE type = 'table' ORDER BY name",
               schema);
    std::string text = schema;
    std::size_t at = 0;
    while (at < schema.size())
    {
        std::size_t end = schema.find('\n', at);
        std::string table = schema.substr(at, schema.find('|', at) - at);
        AppendRows(db, "SELECT * FROM \"" + table + "\" ORDER BY rowid", text);
        at = end + 1;
    }
    sqlite3_close(db);
    return text;
}
