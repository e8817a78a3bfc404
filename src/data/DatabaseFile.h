#pragma once

#include <string>

struct sqlite3;

/// What is wrong with a database file before the engine reads it: "" when nothing is seen.
/// Finds an empty file and one shorter than the page count its header gives (cut short by a
/// disk fault or a copy that stopped).
std::string DatabaseFileDamage(const std::string& path);

/// What is wrong with an open database as the program's: "" when it holds the program's
/// tables and the engine's quick check passes; else the reason. Reads every page.
std::string CheckProgramDatabase(sqlite3* db);

/// Whether the open database holds the program's tables (Account and Trans).
bool HasProgramTables(sqlite3* db);
