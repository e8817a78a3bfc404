#pragma once

#include <memory>
#include <string>

class Database;

/// A new database file at the path: the old shape of the tables, brought to the current
/// version unless asked not to. Opened without the backup copy.
std::unique_ptr<Database> CreateTestDatabase(const std::string& path, bool migrate = true);

/// Takes a database at the current version back to an older one, for tests of the migration:
/// drops what the steps from `version` on added that the test cannot drop itself (the
/// scheduled transactions' table and column), and records `version`.
void SetBackToVersion(Database& db, int version);

/// Everything a database file holds as text: each table's statement and rows, tables in name
/// order, rows in rowid order. Two files with the same records give the same text whatever
/// their page layout; "" when the file cannot be read as a database.
std::string DatabaseDump(const std::string& path);
