#pragma once

#include <functional>
#include <string>

class UserInterface;
class wxFileDialog;
class wxString;
class wxWindow;

/// The Export command's save dialog: "Export", OFX or CSV, asking before a file is
/// replaced. Returns the path chosen, ".ofx" added to a name typed without an extension;
/// the empty text when the user cancelled.
std::string ChooseExportPath(wxWindow* parent, UserInterface& ui);

/// How the path the user confirmed is read from the save dialog: by default its GetPath.
/// wxGTK's dialog knows a path only once it was really shown, so a test that answers the
/// dialog through the modal-dialog hook reads the path it set there instead. An empty
/// function gives the default back; returns the one it replaces.
using ChosenPathReader = std::function<wxString(const wxFileDialog& dialog)>;
ChosenPathReader SetChosenPathReader(ChosenPathReader reader);
