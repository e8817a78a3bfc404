#pragma once

#include <span>
#include <string>
#include <string_view>

/// How an export went.
struct ExportResult
{
    int transactions = 0; ///< rows written
    std::string error;    ///< empty when the file was written; else the message for the user
    bool Ok() const { return error.empty(); }
};

/// Writes the bytes to a new file beside the target and renames it over the target once it
/// is complete, so the target holds either what it held before or all of the new bytes. A
/// new file gets the usual permissions, a replaced one keeps its own. Returns the empty text
/// when done; else the message naming the file and the reason.
std::string ReplaceFileContents(const std::string& path, std::string_view bytes);
/// The same with the bytes given in pieces, written one after the other.
std::string ReplaceFileContents(const std::string& path, std::span<const std::string_view> pieces);
