#pragma once

#include "exchange/ImportContext.h"

#include <cstddef>
#include <string>

/// Imports the bank transactions of an OFX, QFX or OFC statement that the account does not
/// hold yet; reports its own errors through the context's user interface. One database
/// transaction: what was stored before an error stays stored.
ImportResult ReadOfxFile(ImportContext& context, const std::string& path);

/// The file's bytes, up to the first NUL byte; the empty text when it cannot be read.
std::string ReadWholeFile(const std::string& path);

/// The text after the first occurrence of tag (brackets included, case-sensitive) up to
/// the next "<", trimmed of white space; empty when the tag does not occur.
std::string TagValue(const std::string& text, const std::string& tag);

/// TagValue with every "&amp;" read as "&"; no other entity is decoded.
std::string TagText(const std::string& text, const std::string& tag);

/// The text between "<name>" and the next "</name>" at or after position, line feeds
/// removed, and position moved past the closing tag; empty, position unchanged, when
/// either tag is missing.
std::string NextAggregate(const std::string& text, const std::string& name, std::size_t& position);

/// The check number as stored: one whose value is 0 (0, 0000, -0) is stored as empty.
std::string ClearZeroCheckNumber(const std::string& value);
