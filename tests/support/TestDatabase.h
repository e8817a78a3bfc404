#pragma once

#include <memory>
#include <string>

class Database;

/// A new database file at the path: the old shape of the tables, brought to the current
/// version unless asked not to. Opened without the backup copy.
std::unique_ptr<Database> CreateTestDatabase(const std::string& path, bool migrate = true);

/// Everything a database file holds as text: each table's statement and rows, tables in name
/// order, rows in rowid order. Two files with the same records give the same text whatever
/// their page layout; "" when the file cannot be read as a database.
std::string DatabaseDump(const std::string& path);
