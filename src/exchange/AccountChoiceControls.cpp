#include "exchange/AccountChoiceControls.h"

#include "base/AppText.h"
#include "gui/WxText.h"

#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

void AccountChoiceControls::Create(wxWindow* parent, const AccountChoiceRequest& request)
{
    create = new wxRadioButton(parent, IdCreateAccount, "Create a new account", wxDefaultPosition,
                               wxDefaultSize, wxRB_GROUP);
    type = new wxChoice(parent, IdAccountType);
    for (const std::string& name : ImportAccountTypes())
        type->Append(ToWx(name));
    type->SetSelection(0);
    description = new wxTextCtrl(parent, IdDescription);
    map = new wxRadioButton(parent, IdMapAccount, "Map to an existing account");
    existing = new wxChoice(parent, IdExistingAccount);
    for (const std::string& name : request.descriptions)
        existing->Append(ToWx(name));

    create->SetValue(true);
    if (existing->GetCount() > 0)
        existing->SetSelection(0);
    else
        map->Disable(); // nothing to map to: only a new account can be made
    UpdateEnabling();
    create->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { UpdateEnabling(); });
    map->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { UpdateEnabling(); });
}

AccountChoice AccountChoiceControls::Choice() const
{
    AccountChoice choice;
    if (create->GetValue())
    {
        choice.action = AccountChoice::Action::Create;
        choice.type = type->GetStringSelection().utf8_string();
        choice.description = description->GetValue().utf8_string();
    }
    else
    {
        choice.action = AccountChoice::Action::Map;
        choice.description = existing->GetStringSelection().utf8_string();
    }
    return choice;
}

bool AccountChoiceControls::AcceptChoice(wxWindow* dialog) const
{
    std::string refusal = CheckAccountChoice(Choice());
    if (refusal.empty())
        return true;
    wxMessageBox(ToWx(refusal), MessageCaption, wxOK | wxICON_ERROR, dialog);
    description->SetFocus();
    return false;
}

void AccountChoiceControls::UpdateEnabling()
{
    bool creating = create->GetValue();
    type->Enable(creating);
    description->Enable(creating);
    existing->Enable(!creating);
}
