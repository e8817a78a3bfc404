#pragma once

#include <string>

/// Opens a web address in the user's browser, or anything else (a file) with its default
/// application; whether that worked is not examined.
void OpenDocument(const std::string& target);
