#include "data/DatabaseLocation.h"

#include "base/Paths.h"
#include "base/Settings.h"
#include "data/Database.h"
#include "data/Schema.h"

#include <filesystem>
#include <system_error>

namespace
{
const char* const DefaultDatabaseName = "db/qtb.mdb";
} // namespace

DatabaseLocation LocateDatabase()
{
    std::string configured = GetSetting("DatabasePath", "Settings");
    if (!configured.empty())
        return {configured, true};
    return {ResolveDataFile(DefaultDatabaseName), false};
}

std::string PrepareProgramDatabase()
{
    DatabaseLocation location = LocateDatabase();
    std::error_code error;
    if (!location.fromSetting && !std::filesystem::exists(location.path, error))
        CreateDatabaseFile(location.path);
    return location.path;
}

std::unique_ptr<Database> OpenProgramDatabase()
{
    return std::make_unique<Database>(PrepareProgramDatabase());
}
