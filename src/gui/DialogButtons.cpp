#include "gui/DialogButtons.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>

wxButton* AddOkCancelButtons(wxDialog* dialog, wxSizer* top, const wxString& okLabel)
{
    auto* buttons = new wxStdDialogButtonSizer();
    auto* ok = new wxButton(dialog, wxID_OK, okLabel);
    ok->SetDefault();
    buttons->AddButton(ok);
    buttons->AddButton(new wxButton(dialog, wxID_CANCEL, "Cancel"));
    buttons->Realize();
    top->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 8);
    return ok;
}
