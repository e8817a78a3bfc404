#pragma once

#include <string>

/// The one file every generated page is written to: "home.html" in GetTempDir().
std::string PageFilePath();

/// Writes a whole document to the page file, replacing what it held, and returns the
/// file's path. A file that cannot be written is not reported: the browser then shows what
/// the file held before.
std::string WritePageFile(const std::string& document);

/// The "file://" address of a path, every byte outside A-Z a-z 0-9 - . _ ~ / encoded.
std::string FileUrl(const std::string& path);
