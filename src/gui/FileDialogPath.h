#pragma once

#include <functional>
#include <string>

class wxFileDialog;
class wxString;

/// The path the user confirmed in a file dialog, in UTF-8.
std::string ChosenPath(const wxFileDialog& dialog);

/// How ChosenPath reads the dialog: by default its GetPath. wxGTK's dialog knows a path only
/// once it was really shown, so a test that answers the dialog through the modal-dialog hook
/// reads the path it set there instead. An empty function gives the default back; returns the
/// one it replaces.
using ChosenPathReader = std::function<wxString(const wxFileDialog& dialog)>;
ChosenPathReader SetChosenPathReader(ChosenPathReader reader);
