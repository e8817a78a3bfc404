#pragma once

#include "exchange/ExportFile.h"

#include <cstdint>
#include <string>

class Database;

/// Whether a file name asks for a CSV table: it ends in ".csv", in any case.
bool IsCsvPath(const std::string& path);

/// What the Export command does with the chosen file: the account's transactions as CSV
/// when IsCsvPath, else as an OFX statement made at `now`.
ExportResult ExportStatement(Database& db, const std::string& accountId, const std::string& path,
                             std::int64_t now);
