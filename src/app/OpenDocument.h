#pragma once

#include <functional>
#include <string>

/// Opens a web address in the user's browser, or anything else (a file) with its default
/// application; whether that worked is not examined.
void OpenDocument(const std::string& target);

/// Who opens documents instead of the desktop (tests record the addresses); an empty
/// function gives the desktop back. Returns the one it replaces.
using DocumentOpener = std::function<void(const std::string& target)>;
DocumentOpener SetDocumentOpener(DocumentOpener opener);
