#include "app/frmScheduledDue.h"

#include "data/Regional.h"
#include "gui/WxText.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace
{
wxString AmountText(Currency amount)
{
    return ToWx(amount.ToText(DecimalSeparator()));
}

wxString RowLabel(const DueOccurrence& due)
{
    return ToWx(due.description.empty() ? "(no description)" : due.description) + " (" +
           ToWx(due.accountId) + ")";
}
} // namespace

frmScheduledDue::frmScheduledDue(wxWindow* parent, const std::vector<DueOccurrence>& due)
    : wxDialog(parent, wxID_ANY, "Scheduled transactions due", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
{
    for (std::size_t i = 0; i < due.size() && i < MaxRows; ++i)
        m_rows.push_back(Row{due[i]});
    CreateControls();
    const std::pair<int, Choice> buttons[] = {
        {IdDueEnter, Choice::Enter}, {IdDueSkip, Choice::Skip}, {IdDueLater, Choice::Later}};
    for (const auto& [id, choice] : buttons)
        Bind(
            wxEVT_BUTTON, [this, choice](wxCommandEvent&) { Close(choice); }, id);
    SetEscapeId(IdDueLater);
}

wxSize frmScheduledDue::FieldSize(const char* widest) const
{
    return {GetTextExtent(widest).x + FromDIP(16), GetCharHeight() + FromDIP(8)};
}

void frmScheduledDue::CreateControls()
{
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(this, wxID_ANY,
                              "These scheduled transactions are due. Tick those to enter "
                              "or skip; Later asks again next time."),
             0, wxALL, 10);
    auto* list = new wxScrolledWindow(this, wxID_ANY);
    auto* grid = new wxFlexGridSizer(3, 4, 8);
    grid->AddGrowableCol(0, 1);
    for (const char* heading : {"Transaction", "Date", "Amount"})
        grid->Add(new wxStaticText(list, wxID_ANY, heading));
    for (std::size_t i = 0; i < m_rows.size(); ++i)
    {
        Row& row = m_rows[i];
        int offset = static_cast<int>(i);
        row.check = new wxCheckBox(list, IdDueFirstCheck + offset, RowLabel(row.due));
        row.check->SetValue(true);
        row.date =
            new wxTextCtrl(list, IdDueFirstDate + offset, ToWx(FormatShortDate(row.due.date)),
                           wxDefaultPosition, FieldSize("00/00/00000"));
        row.amount = new wxTextCtrl(list, IdDueFirstAmount + offset, AmountText(row.due.amount),
                                    wxDefaultPosition, FieldSize("-1,000,000.0000"), wxTE_RIGHT);
        grid->Add(row.check, 1, wxALIGN_CENTER_VERTICAL | wxEXPAND);
        grid->Add(row.date, 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(row.amount, 0, wxALIGN_CENTER_VERTICAL);
    }
    list->SetSizer(grid);
    list->SetScrollRate(0, 10);
    // Up to about ten rows show at once; more scroll.
    list->SetMinSize(wxSize(560, std::min(400, grid->CalcMin().GetHeight() + 8)));
    top->Add(list, 1, wxEXPAND | wxLEFT | wxRIGHT, 10);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* enter = new wxButton(this, IdDueEnter, "&Enter");
    buttons->Add(enter);
    buttons->Add(new wxButton(this, IdDueSkip, "&Skip"), 0, wxLEFT, 6);
    buttons->Add(new wxButton(this, IdDueLater, "&Later"), 0, wxLEFT, 6);
    top->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 10);
    enter->SetDefault();
    SetSizerAndFit(top);
}

bool frmScheduledDue::ReadAnswers(Choice choice)
{
    m_answers.clear();
    for (const Row& row : m_rows)
    {
        if (!row.check->GetValue())
            continue;
        // A skipped occurrence is not entered: its fields do not matter.
        if (choice == Choice::Skip)
        {
            m_answers.push_back(Answer{row.due, row.due.date, row.due.amount});
            continue;
        }
        std::optional<DateTime> date = ParseDate(row.date->GetValue().utf8_string());
        std::optional<Currency> amount = ParseCurrency(row.amount->GetValue().utf8_string());
        wxTextCtrl* wrong = !date ? row.date : !amount ? row.amount : nullptr;
        if (wrong)
        {
            wxMessageBox("\"" + wrong->GetValue() + "\" is not " +
                             (wrong == row.date ? "a date." : "an amount."),
                         GetTitle(), wxOK | wxICON_STOP, this);
            wrong->SetFocus();
            wrong->SelectAll();
            return false;
        }
        m_answers.push_back(Answer{row.due, *date, *amount});
    }
    return true;
}

void frmScheduledDue::Close(Choice choice)
{
    if (choice != Choice::Later && !ReadAnswers(choice))
        return;
    m_choice = choice;
    EndModal(wxID_OK);
}
