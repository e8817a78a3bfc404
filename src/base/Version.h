#pragma once

#include <string>

/// The product's version strings by key: "ProductName", "FileDescription", "FileVersion",
/// "LegalCopyright", "CompanyName"; "" for any other key.
std::string GetVersionString(const std::string& key);
