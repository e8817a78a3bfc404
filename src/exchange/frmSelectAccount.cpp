#include "exchange/frmSelectAccount.h"

#include "gui/DialogButtons.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

namespace
{
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

    m_account.Create(this, request);
    top->Add(m_account.create, 0, wxLEFT | wxRIGHT, 8);
    auto* createRows = new wxFlexGridSizer(2, 4, 8);
    createRows->AddGrowableCol(1);
    AddRow(createRows, this, "Account type:", m_account.type);
    AddRow(createRows, this, "Description:", m_account.description);
    top->Add(createRows, 0, wxEXPAND | wxALL, 8);

    top->Add(m_account.map, 0, wxLEFT | wxRIGHT, 8);
    auto* mapRows = new wxFlexGridSizer(2, 4, 8);
    mapRows->AddGrowableCol(1);
    AddRow(mapRows, this, "Select which account:", m_account.existing);
    top->Add(mapRows, 0, wxEXPAND | wxALL, 8);

    AddOkCancelButtons(this, top);
    SetSizerAndFit(top);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnOk(); }, wxID_OK);
}

AccountChoice frmSelectAccount::Choice() const
{
    return m_account.Choice();
}

void frmSelectAccount::OnOk()
{
    if (m_account.AcceptChoice(this))
        EndModal(wxID_OK);
}

std::optional<AccountChoice> DialogAccountChooser::Choose(const AccountChoiceRequest& request)
{
    frmSelectAccount dialog(m_parent, request);
    if (dialog.ShowModal() != wxID_OK)
        return std::nullopt;
    return dialog.Choice();
}
