#pragma once

#include "exchange/CsvMapping.h"

#include <optional>
#include <string>
#include <string_view>

// Mappings are remembered by the header line of the table they read, so the next statement
// of the same bank is read the same way. They live in the settings file, section
// "CsvMappings": the key is a hash of the header line, the value the mapping as a --csv
// text, which a user can read and copy.

/// The settings key of a header line: "H" and 16 hexadecimal digits of its FNV-1a hash.
std::string CsvHeaderKey(std::string_view headerLine);

/// The mapping remembered for the first of the text's first lines that has one, its skip
/// moved to that line; nullopt when none has.
std::optional<CsvMapping> FindRememberedCsvMapping(std::string_view text);

/// Remembers a mapping for the header line it reads in the text; a mapping without a header
/// line, or too long for a settings value, is not remembered.
void RememberCsvMapping(std::string_view text, const CsvMapping& mapping);
