#pragma once

#include <memory>
#include <string>

class Database;

/// A new database file at the path: the old shape of the tables, brought to the current
/// version unless asked not to. Opened without the backup copy.
std::unique_ptr<Database> CreateTestDatabase(const std::string& path, bool migrate = true);
