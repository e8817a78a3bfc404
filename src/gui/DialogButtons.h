#pragma once

#include <wx/string.h>

class wxButton;
class wxDialog;
class wxSizer;

/// Adds a dialog's OK button (the default one, under the label given) and its Cancel button,
/// in the platform's order, at the right of the bottom of the sizer; returns the OK button.
wxButton* AddOkCancelButtons(wxDialog* dialog, wxSizer* top, const wxString& okLabel = "OK");
