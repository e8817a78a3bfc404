#pragma once

#include "exchange/ImportContext.h"
#include "exchange/OfxText.h"

#include <string>

/// Imports the bank transactions of an OFX, QFX or OFC statement that the account does not
/// hold yet; reports its own errors through the context's user interface. One database
/// transaction: what was stored before an error stays stored.
ImportResult ReadOfxFile(ImportContext& context, const std::string& path);

/// The file's bytes, up to the first NUL byte; the empty text when it cannot be read.
std::string ReadWholeFile(const std::string& path);

/// The check number as stored: one whose value is 0 (0, 0000, -0) is stored as empty.
std::string ClearZeroCheckNumber(const std::string& value);
