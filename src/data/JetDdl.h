#pragma once

#include <string>
#include <string_view>

class Database;

/// Whether a statement changes the schema (CREATE, ALTER or DROP).
bool IsSchemaStatement(std::string_view sql);
/// Runs a CREATE TABLE, CREATE INDEX, ALTER TABLE or DROP statement in the Jet dialect:
/// Jet column types, names that are numbers, ALTER COLUMN and dropping a table's only
/// column (both by rebuilding the table with its rows), the counter type.
void ExecuteSchemaStatement(Database& db, std::string_view sql);
/// The engine's declared type for a Jet column type such as TEXT(30), LONG, YESNO.
std::string MapJetType(const std::string& jetType, const std::string& size);
