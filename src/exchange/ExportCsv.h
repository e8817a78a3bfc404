#pragma once

#include "exchange/ExportFile.h"

#include <string>

class Database;

/// Writes every transaction of the account as a comma-separated table in UTF-8, newest
/// first (the parts of a split transaction in their order), replacing the file: a heading
/// line, then date (the locale's date and time), description, amount (with "."), check
/// number, category and notes, the texts quoted. The empty account id writes the heading
/// only. Database failures raise DatabaseError; a file that cannot be written is reported
/// in the result.
ExportResult ExportCsv(Database& db, const std::string& accountId, const std::string& path);
