#pragma once

#include <wx/string.h>

#include <string_view>

/// Text of the core (UTF-8, or not quite: an older database, a settings file written by
/// hand) as a window shows it. Bytes that are not UTF-8 are read as Windows-1252, so a text
/// never shows as empty.
wxString ToWx(std::string_view text);
