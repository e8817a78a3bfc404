#pragma once

#include "exchange/AccountChoiceControls.h"
#include "exchange/CsvImport.h"
#include "exchange/CsvPreview.h"

#include <wx/dialog.h>

#include <string>
#include <vector>

class wxCheckBox;
class wxChoice;
class wxComboBox;
class wxGrid;
class wxRadioButton;
class wxScrolledWindow;
class wxSpinCtrl;
class wxStaticText;
class wxTextCtrl;

/// Control identifiers of the CSV mapping dialog; tests find the controls by them. The
/// account controls keep the identifiers of the Select Account dialog.
enum CsvMappingControl
{
    IdCsvCharset = 4001,
    IdCsvDelimiter,
    IdCsvSkip,
    IdCsvHeader,
    IdCsvDates,
    IdCsvDecimal,
    IdCsvNegate,
    IdCsvSignText,
    IdCsvOnly,
    IdCsvOnlyColumn,
    IdCsvOnlyText,
    IdCsvSummary,
    IdCsvPreview,
    IdCsvFirstRole = 4100 ///< the role list above column N is IdCsvFirstRole + N (from 0)
};

/// Grid columns before the file's own: what each row reads as.
enum CsvPreviewColumn
{
    PreviewDate = 0,
    PreviewAmount = 1,
    PreviewFileColumns = 2 ///< the file's first column
};

/// The mapping dialog: the first rows of a CSV statement as the mapping reads them, the
/// columns' roles as drop lists above them, the options, and the account to import into.
class frmCsvMapping : public wxDialog
{
public:
    frmCsvMapping(wxWindow* parent, const CsvMappingRequest& request);

    /// The answer the dialog was closed with Import on.
    CsvMappingChoice Choice() const;
    const CsvMapping& Mapping() const { return m_mapping; }
    /// The role list above a column of the file (from 0); null past the last.
    wxChoice* RoleList(std::size_t column) const;
    wxGrid* PreviewGrid() const { return m_grid; }

private:
    void BuildOptions(wxSizer* top);
    void BuildAccount(wxSizer* top, const AccountChoiceRequest& accounts);
    void LoadOptions(bool withCharset);
    void ReadText();
    void OnOptionChanged(bool reshapes);
    void Reguess();
    void RebuildColumns();
    void ShowPreview();
    void FillRoles();
    void OnRoleChosen(std::size_t column);
    void OnImport();

    CsvMappingRequest m_request;
    CsvMapping m_mapping;
    std::string m_text;     ///< the file read in the chosen character set
    bool m_readable = true; ///< whether the chosen character set reads the file
    CsvPreview m_preview;
    std::vector<CsvDoubt> m_doubts;
    bool m_loading = false; ///< controls are being set from the mapping: no events

    wxComboBox* m_charset = nullptr;
    wxChoice* m_delimiter = nullptr;
    wxSpinCtrl* m_skip = nullptr;
    wxCheckBox* m_header = nullptr;
    wxChoice* m_dates = nullptr;
    wxChoice* m_decimal = nullptr;
    wxCheckBox* m_negate = nullptr;
    wxTextCtrl* m_signText = nullptr;
    wxCheckBox* m_only = nullptr;
    wxChoice* m_onlyColumn = nullptr;
    wxTextCtrl* m_onlyText = nullptr;
    wxStaticText* m_summary = nullptr;
    wxScrolledWindow* m_table = nullptr;
    wxSizer* m_roleRow = nullptr;
    std::vector<wxChoice*> m_roles;
    wxGrid* m_grid = nullptr;
    AccountChoiceControls m_account;
};

/// Answers the import's CSV question with the mapping dialog.
class DialogCsvMappingChooser : public CsvMappingChooser
{
public:
    explicit DialogCsvMappingChooser(wxWindow* parent) : m_parent(parent) {}
    std::optional<CsvMappingChoice> Choose(const CsvMappingRequest& request) override;

private:
    wxWindow* m_parent;
};
