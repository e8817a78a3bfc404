#include "app/frmOptions.h"

#include "base/Settings.h"
#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "gui/DialogButtons.h"
#include "gui/WxText.h"
#include "quotes/QuoteService.h"
#include "register/QvGrid.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

namespace
{
const char* const Section = "Settings";
/// The quote services' setting texts, in the order the choice lists them.
const char* const QuoteServiceNames[] = {"stooq", "csv"};

/// The accounts the budget may count: every Bank, Cash and Credit Card account.
const std::string AccountQuery = std::string("select BudgetInclude, Description, AccountID from "
                                             "Account where Type in ('") +
                                 "Bank" + "','" + "Cash" + "','" + "Credit Card" + "')";

/// An edit field at least as tall as the dialog's text: the program's compact style lets
/// the toolkit size a field for a smaller font.
wxTextCtrl* MakeField(wxWindow* parent, int id, const std::string& text, int width)
{
    auto* field = new wxTextCtrl(parent, id, ToWx(text));
    field->SetMinSize(wxSize(width, std::max(field->GetBestSize().y, parent->GetCharHeight() + 6)));
    return field;
}
} // namespace

frmOptions::frmOptions(wxWindow* parent, Database& db)
    : wxDialog(parent, wxID_ANY, "Options", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_db(db)
{
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(this, wxID_ANY, "Bank internet address:"), 0,
             wxLEFT | wxRIGHT | wxTOP, 8);
    m_bankUrl = MakeField(this, IdBankUrl, GetSetting("BankUrl", Section), GetCharWidth() * 50);
    top->Add(m_bankUrl, 0, wxEXPAND | wxALL, 8);

    m_updateQuotes = new wxCheckBox(this, IdUpdateQuotes, "Update quotes on startup");
    // Only "1" means yes: "yes" or "true" in the file leaves the box unticked.
    m_updateQuotes->SetValue(GetBoolSetting("UpdateQuotesOnStartup"));
    top->Add(m_updateQuotes, 0, wxLEFT | wxRIGHT | wxBOTTOM, 8);

    auto* quotes = new wxFlexGridSizer(2, 4, 8);
    quotes->AddGrowableCol(1);
    m_quoteService = new wxChoice(this, IdQuoteService);
    for (const char* name : QuoteServiceNames)
        m_quoteService->Append(name);
    std::optional<QuoteServiceKind> kind =
        ParseQuoteServiceName(GetSetting("QuoteService", Section));
    m_quoteService->SetSelection(kind == QuoteServiceKind::Csv ? 1 : 0);
    quotes->Add(new wxStaticText(this, wxID_ANY, "Quote service:"), 0, wxALIGN_CENTER_VERTICAL);
    quotes->Add(m_quoteService, 0);
    m_quoteUrl = MakeField(this, IdQuoteUrl, GetSetting("QuoteUrl", Section), -1);
    m_quoteUrl->SetHint("the service's own address");
    quotes->Add(new wxStaticText(this, wxID_ANY, "Quote service address:"), 0,
                wxALIGN_CENTER_VERTICAL);
    quotes->Add(m_quoteUrl, 1, wxEXPAND);
    top->Add(quotes, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);

    auto* group = new wxStaticBoxSizer(
        new wxStaticBox(this, IdAccountGroup, "Select accounts to include in the budget"),
        wxVERTICAL);
    m_accounts = new QvGrid(group->GetStaticBox(), IdAccountGrid, nullptr);
    m_accounts->SetShading(false);
    m_accounts->SetMinSize(wxSize(-1, GetCharHeight() * 12));
    group->Add(m_accounts, 1, wxEXPAND | wxALL, 4);
    top->Add(group, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);

    AddOkCancelButtons(this, top);
    SetSizerAndFit(top);

    FillAccounts();
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnOk(); }, wxID_OK);
}

void frmOptions::FillAccounts()
{
    // Read only: the ticks live in the grid until OK writes them.
    auto accounts = std::make_unique<Recordset>();
    accounts->Open(AccountQuery, m_db, OpenMode::KeysetRead);
    // A new grid has no row being typed, so the binding always takes.
    static_cast<void>(m_accounts->BindRecordset(std::move(accounts), AccountQuery));
    m_accounts->SetCheckBoxColumn(ColumnInclude, ColumnAccountID);
    m_accounts->SetHeading(ColumnInclude, "Include");
    m_accounts->SetHeading(ColumnAccount, "Account");
    m_accounts->SetHeading(ColumnAccountID, "");
    m_accounts->SetColumnReadOnly(ColumnAccount);
    m_accounts->SetColumnHidden(ColumnAccountID);
    m_accounts->SetColSize(ColumnInclude,
                           m_accounts->GetTextExtent("Include").x + 2 * GetCharWidth());
    m_accounts->StretchLastColumn();
}

void frmOptions::OnOk()
{
    // A box being ticked in its editor counts.
    m_accounts->EndCellEdit();
    WriteSetting("BankUrl", m_bankUrl->GetValue().utf8_string(), Section);
    WriteSetting("UpdateQuotesOnStartup", m_updateQuotes->GetValue() ? "1" : "0", Section);
    WriteSetting("QuoteService", QuoteServiceNames[std::max(0, m_quoteService->GetSelection())],
                 Section);
    WriteSetting("QuoteUrl", m_quoteUrl->GetValue().utf8_string(), Section);
    for (int row = 0; row < m_accounts->GetNumberRows(); ++row)
    {
        std::string included = m_accounts->CellTextValue(row, ColumnInclude);
        std::string id = m_accounts->CellTextValue(row, ColumnAccountID);
        m_db.Execute("UPDATE Account SET BudgetInclude = " + included + " WHERE AccountID = '" +
                     SqlEscape(id) + "' AND NOT BudgetInclude = " + included);
    }
    EndModal(wxID_OK);
}
