#include "support/TestDatabase.h"

#include "data/Database.h"
#include "data/Schema.h"

#include <fstream>

std::unique_ptr<Database> CreateTestDatabase(const std::string& path, bool migrate)
{
    std::ofstream(path).flush(); // the engine opens existing files only
    auto db = std::make_unique<Database>(path, OpenOptions{false, false});
    CreateInitialSchema(*db);
    if (migrate)
        MigrateSchema(*db);
    return db;
}
