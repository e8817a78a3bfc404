#include "exchange/frmCsvMapping.h"

#include "base/AppText.h"
#include "gui/DialogButtons.h"
#include "gui/WxText.h"
#include "data/Regional.h"
#include "exchange/CsvReader.h"
#include "exchange/frmSelectAccount.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/grid.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace
{
const std::size_t PreviewRows = 50;
const int DateColumnWidth = 150;
const int AmountColumnWidth = 110;
const int MaxColumnWidth = 260;
const char* const Automatic = "Automatic";
const char* const Charsets[] = {Automatic,     "UTF-8",  "CP1252", "ISO-8859-1",
                                "ISO-8859-15", "CP1250", "CP1257", "UTF-16"};
const char Delimiters[] = {',', ';', '\t'};
const char* const DelimiterNames[] = {"Comma", "Semicolon", "Tab"};
const CsvDateOrder Orders[] = {CsvDateOrder::DayMonthYear, CsvDateOrder::MonthDayYear,
                               CsvDateOrder::YearMonthDay};
const char* const OrderNames[] = {"D/M/Y", "M/D/Y", "Y/M/D"};

std::string ToUtf8(const wxString& text)
{
    return std::string(text.utf8_str());
}

// A cell as one line: line breaks inside quotes shown as blanks.
wxString CellText(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    return ToWx(text);
}

void AddLabelled(wxSizer* row, wxWindow* parent, const char* label, wxWindow* control)
{
    row->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    row->Add(control, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 16);
}

template <typename T, std::size_t N> int IndexOf(const T (&items)[N], T value)
{
    for (std::size_t i = 0; i < N; ++i)
        if (items[i] == value)
            return static_cast<int>(i);
    return 0;
}
} // namespace

frmCsvMapping::frmCsvMapping(wxWindow* parent, const CsvMappingRequest& request)
    : wxDialog(parent, wxID_ANY, "Import CSV Statement", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_request(request), m_mapping(request.mapping), m_doubts(request.doubts)
{
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* explanation = new wxStaticText(this, wxID_ANY,
                                         "Choose what each column of " + ToWx(request.path) +
                                             " holds. The rows below show how the file is read.");
    explanation->Wrap(760);
    top->Add(explanation, 0, wxALL, 8);
    BuildOptions(top);

    m_summary = new wxStaticText(this, IdCsvSummary, "");
    top->Add(m_summary, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

    m_table = new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxSize(780, 300),
                                   wxHSCROLL | wxVSCROLL | wxBORDER_SUNKEN);
    m_table->SetScrollRate(10, 10);
    auto* tableSizer = new wxBoxSizer(wxVERTICAL);
    m_roleRow = new wxBoxSizer(wxHORIZONTAL);
    tableSizer->Add(m_roleRow, 0);
    m_grid = new wxGrid(m_table, IdCsvPreview, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE);
    m_grid->CreateGrid(0, PreviewFileColumns);
    m_grid->EnableEditing(false);
    m_grid->SetRowLabelSize(48);
    m_grid->SetColLabelValue(PreviewDate, "Date");
    m_grid->SetColLabelValue(PreviewAmount, "Amount");
    // The window around scrolls the role lists and the rows together.
    m_grid->ShowScrollbars(wxSHOW_SB_NEVER, wxSHOW_SB_NEVER);
    tableSizer->Add(m_grid, 0);
    m_table->SetSizer(tableSizer);
    top->Add(m_table, 1, wxEXPAND | wxALL, 8);

    BuildAccount(top, request.accounts);
    AddOkCancelButtons(this, top, "Import");

    ReadText();
    LoadOptions(true);
    RebuildColumns();
    SetSizerAndFit(top);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnImport(); }, wxID_OK);
}

void frmCsvMapping::BuildOptions(wxSizer* top)
{
    auto* first = new wxBoxSizer(wxHORIZONTAL);
    m_charset = new wxComboBox(this, IdCsvCharset, "", wxDefaultPosition, wxSize(150, -1));
    for (const char* name : Charsets)
        m_charset->Append(name);
    AddLabelled(first, this, "Character set:", m_charset);
    m_delimiter = new wxChoice(this, IdCsvDelimiter);
    for (const char* name : DelimiterNames)
        m_delimiter->Append(name);
    AddLabelled(first, this, "Delimiter:", m_delimiter);
    m_skip = new wxSpinCtrl(this, IdCsvSkip, "", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS,
                            0, 100000);
    AddLabelled(first, this, "Lines to skip:", m_skip);
    m_header = new wxCheckBox(this, IdCsvHeader, "The first line holds column names");
    first->Add(m_header, 0, wxALIGN_CENTER_VERTICAL);
    top->Add(first, 0, wxLEFT | wxRIGHT | wxBOTTOM, 8);

    auto* second = new wxBoxSizer(wxHORIZONTAL);
    m_dates = new wxChoice(this, IdCsvDates);
    for (const char* name : OrderNames)
        m_dates->Append(name);
    AddLabelled(second, this, "Date order:", m_dates);
    m_decimal = new wxChoice(this, IdCsvDecimal);
    m_decimal->Append("Point (.)");
    m_decimal->Append("Comma (,)");
    AddLabelled(second, this, "Decimal mark:", m_decimal);
    m_signText = new wxTextCtrl(this, IdCsvSignText, "", wxDefaultPosition, wxSize(80, -1));
    m_signText->SetToolTip("The text of the Sign column that marks a debit; empty: a blank "
                           "cell marks the debit");
    AddLabelled(second, this, "Debit marker:", m_signText);
    m_negate = new wxCheckBox(this, IdCsvNegate, "Negate amounts (charges written as positive)");
    second->Add(m_negate, 0, wxALIGN_CENTER_VERTICAL);
    top->Add(second, 0, wxLEFT | wxRIGHT | wxBOTTOM, 8);

    auto* third = new wxBoxSizer(wxHORIZONTAL);
    m_only = new wxCheckBox(this, IdCsvOnly, "Only rows whose column");
    third->Add(m_only, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    m_onlyColumn = new wxChoice(this, IdCsvOnlyColumn);
    third->Add(m_onlyColumn, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    third->Add(new wxStaticText(this, wxID_ANY, "holds"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    m_onlyText = new wxTextCtrl(this, IdCsvOnlyText, "", wxDefaultPosition, wxSize(160, -1));
    third->Add(m_onlyText, 0, wxALIGN_CENTER_VERTICAL);
    top->Add(third, 0, wxLEFT | wxRIGHT | wxBOTTOM, 8);

    auto reshaping = [this](wxCommandEvent&) { OnOptionChanged(true); };
    auto reading = [this](wxCommandEvent&) { OnOptionChanged(false); };
    m_charset->Bind(wxEVT_COMBOBOX, reshaping);
    m_charset->Bind(wxEVT_TEXT, reshaping);
    m_delimiter->Bind(wxEVT_CHOICE, reshaping);
    m_skip->Bind(wxEVT_SPINCTRL, [this](wxSpinEvent&) { OnOptionChanged(true); });
    m_skip->Bind(wxEVT_TEXT, reshaping);
    m_header->Bind(wxEVT_CHECKBOX, reshaping);
    m_dates->Bind(wxEVT_CHOICE, reading);
    m_decimal->Bind(wxEVT_CHOICE, reading);
    m_negate->Bind(wxEVT_CHECKBOX, reading);
    m_signText->Bind(wxEVT_TEXT, reading);
    m_only->Bind(wxEVT_CHECKBOX, reading);
    m_onlyColumn->Bind(wxEVT_CHOICE, reading);
    m_onlyText->Bind(wxEVT_TEXT, reading);
}

void frmCsvMapping::BuildAccount(wxSizer* top, const AccountChoiceRequest& accounts)
{
    auto* box = new wxStaticBoxSizer(wxVERTICAL, this, "Account");
    wxWindow* parent = box->GetStaticBox();
    m_account.Create(parent, accounts);
    m_account.description->SetMinSize(wxSize(220, -1));
    auto* create = new wxBoxSizer(wxHORIZONTAL);
    create->Add(m_account.create, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 16);
    AddLabelled(create, parent, "Account type:", m_account.type);
    AddLabelled(create, parent, "Description:", m_account.description);
    box->Add(create, 0, wxALL, 4);

    auto* map = new wxBoxSizer(wxHORIZONTAL);
    map->Add(m_account.map, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 16);
    AddLabelled(map, parent, "Select which account:", m_account.existing);
    box->Add(map, 0, wxALL, 4);
    top->Add(box, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
}

// The option controls show the mapping; the character set only when the dialog opens, as
// the user may be typing one.
void frmCsvMapping::LoadOptions(bool withCharset)
{
    m_loading = true;
    if (withCharset)
        m_charset->ChangeValue(m_mapping.charset.empty() ? wxString(Automatic)
                                                         : ToWx(m_mapping.charset));
    m_delimiter->SetSelection(IndexOf(Delimiters, m_mapping.delimiter));
    m_skip->SetValue(static_cast<int>(m_mapping.skip));
    m_header->SetValue(m_mapping.header);
    m_dates->SetSelection(IndexOf(Orders, m_mapping.dates));
    m_decimal->SetSelection(m_mapping.decimal == ',' ? 1 : 0);
    m_negate->SetValue(m_mapping.negate);
    m_signText->ChangeValue(ToWx(m_mapping.signText));
    m_only->SetValue(m_mapping.onlyColumn.has_value());
    m_onlyText->ChangeValue(ToWx(m_mapping.onlyText));
    m_loading = false;
}

void frmCsvMapping::ReadText()
{
    std::optional<std::string> text = DecodeCsvFile(m_request.bytes, m_mapping.charset);
    m_readable = text.has_value();
    m_text = text ? std::move(*text) : std::string();
}

void frmCsvMapping::OnOptionChanged(bool reshapes)
{
    if (m_loading)
        return;
    std::string charset = ToUtf8(m_charset->GetValue());
    m_mapping.charset = charset == Automatic ? "" : charset;
    m_mapping.delimiter = Delimiters[std::max(0, m_delimiter->GetSelection())];
    m_mapping.skip = static_cast<std::size_t>(std::max(0, m_skip->GetValue()));
    m_mapping.header = m_header->GetValue();
    m_mapping.dates = Orders[std::max(0, m_dates->GetSelection())];
    m_mapping.decimal = m_decimal->GetSelection() == 1 ? ',' : '.';
    m_mapping.negate = m_negate->GetValue();
    m_mapping.signText = ToUtf8(m_signText->GetValue());
    m_mapping.onlyText = ToUtf8(m_onlyText->GetValue());
    if (m_only->GetValue())
        m_mapping.onlyColumn = static_cast<std::size_t>(std::max(0, m_onlyColumn->GetSelection()));
    else
        m_mapping.onlyColumn.reset();
    if (!reshapes)
    {
        // A choice the user made settles the doubt about it.
        std::erase_if(m_doubts, [](const CsvDoubt& doubt)
                      { return doubt.key == "dates" || doubt.key == "decimal"; });
        ShowPreview();
        return;
    }
    ReadText();
    Reguess();
    LoadOptions(false);
    RebuildColumns();
}

// Another character set, delimiter, skip or header gives other columns: their roles and
// what reads them are guessed again, the options the user set kept.
void frmCsvMapping::Reguess()
{
    if (!m_readable)
        return;
    CsvOptions given;
    given.charset = m_mapping.charset;
    given.delimiter = m_mapping.delimiter;
    given.skip = m_mapping.skip;
    given.header = m_mapping.header;
    CsvGuess guess = GuessCsvMapping(m_text, given);
    guess.mapping.negate = m_mapping.negate;
    guess.mapping.onlyColumn = m_mapping.onlyColumn;
    guess.mapping.onlyText = m_mapping.onlyText;
    m_mapping = guess.mapping;
    m_doubts = guess.doubts;
}

// One role list above each column of the file, as wide as the column below it.
void frmCsvMapping::RebuildColumns()
{
    m_preview = m_readable ? PreviewCsv(m_text, m_mapping, PreviewRows) : CsvPreview();
    m_roles.clear();
    m_roleRow->Clear(true); // the role lists go with their places
    m_roleRow->AddSpacer(m_grid->GetRowLabelSize() + DateColumnWidth + AmountColumnWidth);
    m_onlyColumn->Clear();
    for (std::size_t column = 0; column < m_preview.columns; ++column)
    {
        auto* role = new wxChoice(m_table, IdCsvFirstRole + static_cast<int>(column));
        for (CsvRole each : CsvRoles())
            role->Append(ToWx(CsvRoleName(each)));
        role->Bind(wxEVT_CHOICE, [this, column](wxCommandEvent&) { OnRoleChosen(column); });
        m_roles.push_back(role);
        m_roleRow->Add(role, 0);
        std::string name = column < m_preview.columnNames.size()
                               ? m_preview.columnNames[column]
                               : "Column " + std::to_string(column + 1);
        m_onlyColumn->Append(ToWx(std::to_string(column + 1) + ": " + name));
    }
    m_loading = true;
    if (m_mapping.onlyColumn && *m_mapping.onlyColumn < m_preview.columns)
        m_onlyColumn->SetSelection(static_cast<int>(*m_mapping.onlyColumn));
    else if (m_preview.columns > 0)
        m_onlyColumn->SetSelection(0);
    m_loading = false;
    ShowPreview();
}

void frmCsvMapping::FillRoles()
{
    const std::vector<CsvRole>& roles = CsvRoles();
    for (std::size_t column = 0; column < m_roles.size(); ++column)
    {
        auto found = std::find(roles.begin(), roles.end(), m_mapping.RoleOf(column));
        m_roles[column]->SetSelection(static_cast<int>(found - roles.begin()));
    }
    m_signText->Enable(m_mapping.ColumnOf(CsvRole::Sign).has_value());
    m_onlyColumn->Enable(m_only->GetValue());
    m_onlyText->Enable(m_only->GetValue());
}

void frmCsvMapping::OnRoleChosen(std::size_t column)
{
    int selection = m_roles[column]->GetSelection();
    if (selection < 0)
        return;
    CsvRole role = CsvRoles()[static_cast<std::size_t>(selection)];
    m_mapping.SetRole(column, role);
    std::erase_if(
        m_doubts, [role](const CsvDoubt& doubt)
        { return doubt.key == "amount" || (doubt.key == "date" && role == CsvRole::Date); });
    ShowPreview();
}

// The rows as the mapping reads them now, and what the whole file gives.
void frmCsvMapping::ShowPreview()
{
    if (m_readable)
        m_preview = PreviewCsv(m_text, m_mapping, PreviewRows);
    FillRoles();
    m_grid->BeginBatch();
    int rows = static_cast<int>(m_preview.rows.size());
    int columns = PreviewFileColumns + static_cast<int>(m_roles.size());
    if (m_grid->GetNumberRows() > rows)
        m_grid->DeleteRows(rows, m_grid->GetNumberRows() - rows);
    else if (m_grid->GetNumberRows() < rows)
        m_grid->AppendRows(rows - m_grid->GetNumberRows());
    if (m_grid->GetNumberCols() > columns)
        m_grid->DeleteCols(columns, m_grid->GetNumberCols() - columns);
    else if (m_grid->GetNumberCols() < columns)
        m_grid->AppendCols(columns - m_grid->GetNumberCols());
    for (std::size_t column = 0; column < m_roles.size(); ++column)
    {
        std::string name = column < m_preview.columnNames.size()
                               ? m_preview.columnNames[column]
                               : "Column " + std::to_string(column + 1);
        m_grid->SetColLabelValue(PreviewFileColumns + static_cast<int>(column), CellText(name));
    }
    for (int r = 0; r < rows; ++r)
    {
        const CsvPreviewRow& row = m_preview.rows[static_cast<std::size_t>(r)];
        m_grid->SetRowLabelValue(r, wxString::Format("%zu", row.line + 1));
        wxColour colour = *wxBLACK;
        if (row.row.kind == CsvRow::Kind::Transaction)
        {
            m_grid->SetCellValue(r, PreviewDate, ToWx(FormatShortDate(row.row.date)));
            m_grid->SetCellValue(r, PreviewAmount, ToWx(FormatCurrency(row.row.amount)));
        }
        else
        {
            bool unreadable = row.row.kind == CsvRow::Kind::Unreadable;
            colour = unreadable ? wxColour(176, 0, 0) : wxColour(128, 128, 128);
            m_grid->SetCellValue(r, PreviewDate,
                                 unreadable ? "Skipped: " + ToWx(row.row.problem)
                                            : wxString("Left out by the filter"));
            m_grid->SetCellValue(r, PreviewAmount, "");
        }
        for (int c = 0; c < columns; ++c)
        {
            m_grid->SetCellTextColour(r, c, colour);
            if (c >= PreviewFileColumns)
            {
                auto field = static_cast<std::size_t>(c - PreviewFileColumns);
                m_grid->SetCellValue(r, c,
                                     field < row.cells.size() ? CellText(row.cells[field]) : "");
            }
        }
    }
    m_grid->SetColSize(PreviewDate, DateColumnWidth);
    m_grid->SetColSize(PreviewAmount, AmountColumnWidth);
    int width = m_grid->GetRowLabelSize() + DateColumnWidth + AmountColumnWidth;
    for (std::size_t column = 0; column < m_roles.size(); ++column)
    {
        int gridColumn = PreviewFileColumns + static_cast<int>(column);
        m_grid->AutoSizeColumn(gridColumn, false);
        int size = std::max(m_roles[column]->GetBestSize().x,
                            std::min(m_grid->GetColSize(gridColumn), MaxColumnWidth));
        m_grid->SetColSize(gridColumn, size);
        m_roles[column]->SetMinSize(wxSize(size, -1));
        width += size;
    }
    m_grid->EndBatch();
    int height = m_grid->GetColLabelSize();
    for (int r = 0; r < rows; ++r)
        height += m_grid->GetRowSize(r);
    m_grid->SetMinSize(wxSize(width + 2, height + 2));
    m_grid->SetSize(wxSize(width + 2, height + 2));

    wxString summary;
    if (!m_readable)
        summary = "The file cannot be read in the character set " + ToWx(m_mapping.charset) + ".";
    else
    {
        summary = wxString::Format("%zu rows will be imported.", m_preview.transactions);
        if (m_mapping.charset.empty())
            summary = "The file is read as " + DetectCsvCharset(m_request.bytes) + ". " + summary;
        if (m_preview.unreadable > 0)
            summary += wxString::Format(" %zu rows cannot be read and will be listed as skipped.",
                                        m_preview.unreadable);
        if (m_preview.filtered > 0)
            summary +=
                wxString::Format(" %zu rows are left out by the filter.", m_preview.filtered);
        std::string problem = CheckCsvMapping(m_mapping);
        if (!problem.empty())
            summary += " " + ToWx(problem);
        for (const CsvDoubt& doubt : m_doubts)
            summary += "\nPlease check: " + ToWx(doubt.reason) + ".";
        if (m_request.remembered)
            summary += "\nThe columns are read as in the last statement with these column names.";
    }
    m_summary->SetLabel(summary);
    m_table->FitInside();
    Layout();
}

wxChoice* frmCsvMapping::RoleList(std::size_t column) const
{
    return column < m_roles.size() ? m_roles[column] : nullptr;
}

CsvMappingChoice frmCsvMapping::Choice() const
{
    return CsvMappingChoice{m_mapping, m_account.Choice()};
}

void frmCsvMapping::OnImport()
{
    std::string refusal =
        m_readable ? CheckCsvMapping(m_mapping)
                   : "The file cannot be read in the character set " + m_mapping.charset + ".";
    if (!refusal.empty())
    {
        wxMessageBox(ToWx(refusal), MessageCaption, wxOK | wxICON_ERROR, this);
        return;
    }
    if (m_account.AcceptChoice(this))
        EndModal(wxID_OK);
}

std::optional<CsvMappingChoice> DialogCsvMappingChooser::Choose(const CsvMappingRequest& request)
{
    frmCsvMapping dialog(m_parent, request);
    if (dialog.ShowModal() != wxID_OK)
        return std::nullopt;
    return dialog.Choice();
}
