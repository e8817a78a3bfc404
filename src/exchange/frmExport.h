#pragma once

#include <string>

class UserInterface;
class wxWindow;

/// The Export command's save dialog: "Export", OFX or CSV, asking before a file is
/// replaced. Returns the path chosen, ".ofx" added to a name typed without an extension;
/// the empty text when the user cancelled.
std::string ChooseExportPath(wxWindow* parent, UserInterface& ui);
