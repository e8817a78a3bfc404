#include "exchange/frmSelectAccount.h"

#include "app/AppText.h"
#include "app/DialogButtons.h"
#include "app/WxText.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace
{
std::string ToUtf8(const wxString& text)
{
    return std::string(text.utf8_str());
}

// One labelled control, indented under its radio button.
void AddRow(wxFlexGridSizer* grid, wxWindow* parent, const char* label, wxWindow* control)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 16);
    grid->Add(control, 1, wxEXPAND);
}
} // namespace

frmSelectAccount::frmSelectAccount(wxWindow* parent, const AccountChoiceRequest& request)
    : wxDialog(parent, wxID_ANY, "Select Account")
{
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* explanation =
        new wxStaticText(this, 1024,
                         "The account that you are importing information for cannot be "
                         "determined. What would you like to do?");
    explanation->Wrap(300);
    top->Add(explanation, 0, wxALL, 8);

    m_create = new wxRadioButton(this, IdCreateAccount, "Create a new account", wxDefaultPosition,
                                 wxDefaultSize, wxRB_GROUP);
    top->Add(m_create, 0, wxLEFT | wxRIGHT, 8);
    auto* createRows = new wxFlexGridSizer(2, 4, 8);
    createRows->AddGrowableCol(1);
    m_type = new wxChoice(this, IdAccountType);
    for (const std::string& type : ImportAccountTypes())
        m_type->Append(ToWx(type));
    m_type->SetSelection(0);
    AddRow(createRows, this, "Account type:", m_type);
    m_description = new wxTextCtrl(this, IdDescription);
    AddRow(createRows, this, "Description:", m_description);
    top->Add(createRows, 0, wxEXPAND | wxALL, 8);

    m_map = new wxRadioButton(this, IdMapAccount, "Map to an existing account");
    top->Add(m_map, 0, wxLEFT | wxRIGHT, 8);
    auto* mapRows = new wxFlexGridSizer(2, 4, 8);
    mapRows->AddGrowableCol(1);
    m_existing = new wxChoice(this, IdExistingAccount);
    for (const std::string& description : request.descriptions)
        m_existing->Append(ToWx(description));
    AddRow(mapRows, this, "Select which account:", m_existing);
    top->Add(mapRows, 0, wxEXPAND | wxALL, 8);

    AddOkCancelButtons(this, top);
    SetSizerAndFit(top);

    m_create->SetValue(true);
    if (m_existing->GetCount() > 0)
        m_existing->SetSelection(0);
    else
        m_map->Disable(); // nothing to map to: only a new account can be made
    UpdateControls();

    m_create->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { UpdateControls(); });
    m_map->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { UpdateControls(); });
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnOk(); }, wxID_OK);
}

void frmSelectAccount::UpdateControls()
{
    bool create = m_create->GetValue();
    m_type->Enable(create);
    m_description->Enable(create);
    m_existing->Enable(!create);
}

AccountChoice frmSelectAccount::Choice() const
{
    AccountChoice choice;
    if (m_create->GetValue())
    {
        choice.action = AccountChoice::Action::Create;
        choice.type = ToUtf8(m_type->GetStringSelection());
        choice.description = ToUtf8(m_description->GetValue());
    }
    else
    {
        choice.action = AccountChoice::Action::Map;
        choice.description = ToUtf8(m_existing->GetStringSelection());
    }
    return choice;
}

void frmSelectAccount::OnOk()
{
    std::string refusal = CheckAccountChoice(Choice());
    if (!refusal.empty())
    {
        wxMessageBox(ToWx(refusal), MessageCaption, wxOK | wxICON_ERROR, this);
        m_description->SetFocus();
        return;
    }
    EndModal(wxID_OK);
}

std::optional<AccountChoice> DialogAccountChooser::Choose(const AccountChoiceRequest& request)
{
    frmSelectAccount dialog(m_parent, request);
    if (dialog.ShowModal() != wxID_OK)
        return std::nullopt;
    return dialog.Choice();
}
