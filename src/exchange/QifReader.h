#pragma once

#include "exchange/ImportContext.h"

#include <cstdint>
#include <string>

/// Imports a QIF file: transaction records go to the account the user chooses (QIF names
/// none), category lists become budget lines of the context's budget period, memorized
/// payee lists are passed over. The file is read as UTF-8 when it is valid UTF-8, else as
/// CP1252, and its dates day or month first as its D lines show, else in the locale's
/// order. Lines that cannot be processed are skipped and listed in one warning at the end;
/// a record with a D, T or B line that cannot be read, or with no date at all, is never
/// stored. One database transaction around the whole file.
ImportResult ReadQifFile(ImportContext& context, const std::string& path);

/// The import stamp of a point in time (milliseconds since 1970): local date and time as
/// "%Y-%m-%dT%H:%M:%S", ".", the milliseconds without leading zeros.
std::string FormatImportStamp(std::int64_t milliseconds);
