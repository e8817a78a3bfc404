#pragma once

#include <wx/dialog.h>
#include <wx/icon.h>

class wxStaticText;

/// The About dialog: the program's icon, name and version, copyright and the maker's link.
class frmAbout : public wxDialog
{
public:
    frmAbout(wxWindow* owner, const wxIcon& largeIcon);

    wxStaticText* Link() const { return m_link; }
    /// Opens the link's address (a click on the link).
    void OpenLink();

private:
    wxStaticText* m_link;
};
