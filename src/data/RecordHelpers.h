#pragma once

#include "data/Variant.h"

#include <cstddef>
#include <cstdint>
#include <string>

class Recordset;

/// Every single quote doubled, nothing else changed.
std::string SqlEscape(const std::string& text);
/// The text escaped and between single quotes.
std::string SqlLiteral(const std::string& text);
/// Leading white space removed, cut to n characters (UTF-8, never inside a character),
/// trailing white space removed.
std::string TrimToLength(const std::string& text, std::size_t n);
/// Whether a row meets "Column = 'value'"; leaves the Recordset on the first such row.
bool FindFirst(Recordset& recordset, const std::string& criteria);
/// Adds and writes one Trans row; Year and Period come from the posting date.
void AddTransaction(Recordset& recordset, const std::string& accountId, const std::string& fitid,
                    const std::string& checkId, std::int64_t postDate, const Variant& amount,
                    const std::string& description, const std::string& notes,
                    const std::string& category);
