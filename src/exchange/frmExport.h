#pragma once

#include <string>

class UserInterface;
class wxWindow;

/// The Export command's save dialog: "Export", OFX or CSV, asking before a file is
/// replaced. Returns the path chosen; a name typed without an extension gets the one of the
/// file type chosen in the dialog (".ofx" or ".csv"). The empty text when the user cancelled.
std::string ChooseExportPath(wxWindow* parent, UserInterface& ui);
