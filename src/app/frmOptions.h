#pragma once

#include <wx/dialog.h>

class Database;
class QvGrid;
class wxCheckBox;
class wxChoice;
class wxTextCtrl;

/// The Options dialog: the bank's web address, the quote update at start-up, the quote
/// service, and which Bank, Cash and Credit Card accounts count in the budget. Nothing is
/// written before OK.
class frmOptions : public wxDialog
{
public:
    /// Control identifiers; tests find the controls by them.
    enum ControlId
    {
        IdBankUrl = 1008,
        IdAccountGrid = 1017,
        IdAccountGroup = 1023,
        IdUpdateQuotes = 1033,
        IdQuoteService = 1040,
        IdQuoteUrl = 1041
    };
    /// Account grid columns.
    enum Column
    {
        ColumnInclude = 0,
        ColumnAccount = 1,
        ColumnAccountID = 2
    };

    frmOptions(wxWindow* parent, Database& db);

    QvGrid& AccountGrid() const { return *m_accounts; }

private:
    void FillAccounts();
    void OnOk();

    Database& m_db;
    wxTextCtrl* m_bankUrl = nullptr;
    wxCheckBox* m_updateQuotes = nullptr;
    wxChoice* m_quoteService = nullptr;
    wxTextCtrl* m_quoteUrl = nullptr;
    QvGrid* m_accounts = nullptr;
};
