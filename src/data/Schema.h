#pragma once

#include <string>

class Database;

/// The version the program's schema is at after migration.
constexpr int CurrentSchemaVersion = 9;

/// The version recorded in _SchemaVersion (the name of its only column); creates the table
/// at version 0 when it is missing.
int ReadSchemaVersion(Database& db);
/// Whether MigrateSchema would change the file; reads only.
bool SchemaNeedsMigration(Database& db);
/// Runs the steps from the recorded version to the current one, as one transaction.
void MigrateSchema(Database& db);
/// Creates the tables of a new database at the oldest shape (no _SchemaVersion), which the
/// migration then brings to the current version.
void CreateInitialSchema(Database& db);
/// Builds a new, empty database file at a path (its folder created as needed): written
/// beside it first and moved into place, so a failure never leaves a half-made file under
/// the real name. Its tables are at the oldest shape; opening it migrates them.
void CreateDatabaseFile(const std::string& path);

/// Carries the rows added since and the changes the database noted of the texts of Trans
/// into Find's index, in four statements however many rows changed.
void ApplySearchQueue(Database& db);
