#pragma once

#include <memory>
#include <string>

class Database;

/// Where the program's database is, and whether the start-up may create it there.
struct DatabaseLocation
{
    std::string path;
    /// True when the path is the DatabasePath setting: a missing file there stays an error.
    bool fromSetting = false;
};

/// DatabasePath of the settings, used exactly as written; when it is empty, "db/qtb.mdb"
/// beside the program if it exists there, else under the application-data folder.
DatabaseLocation LocateDatabase();

/// The path the program opens. On the first start (no DatabasePath and no database in the
/// usual place) an empty database is created there first.
std::string PrepareProgramDatabase();

/// The program's database opened as the start-up opens it: located, created on the first
/// start, backed up to PATH.bak and migrated.
std::unique_ptr<Database> OpenProgramDatabase();
