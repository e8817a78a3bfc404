#pragma once

#include "data/Currency.h"
#include "data/Variant.h"

#include <wx/dialog.h>

#include <string>

class wxButton;
class wxKeyEvent;
class wxSpinButton;
class wxTextCtrl;

/// Control identifiers of the Split Transaction dialog; tests find the controls by them.
enum SplitControl
{
    IdSplitDescription = 1010,
    IdSplitLine = 1028,
    IdFirstAmount = 1009,
    IdSecondAmount = 1008,
    IdSecondSpinner = 1003,
    IdSplitTotal = 1005
};

/// The Split Transaction dialog: the user gives the second amount; the first is what is left
/// of the total, so the two always add up to it.
class frmSplit : public wxDialog
{
public:
    /// total: the row's amount (NULL counts as 0); description: the row's.
    frmSplit(wxWindow* parent, const Variant& total, const std::string& description);

    /// The amounts the dialog was closed with OK on.
    Variant FirstAmount() const { return m_firstResult; }
    Variant SecondAmount() const { return m_secondResult; }

private:
    void CreateControls(const std::string& description);
    void Initialise();
    /// Derives the first amount from the second, and enables OK, on every change.
    void Recompute();
    /// Writes a whole number into the second amount, as a click on the spin button does.
    void WritePosition(int position);
    void OnSecondKey(wxKeyEvent& event);
    void OnOk();

    Currency m_total;
    bool m_initialised = false;
    Currency m_first;
    Currency m_second;
    Variant m_firstResult;
    Variant m_secondResult;
    wxTextCtrl* m_firstText = nullptr;
    wxTextCtrl* m_secondText = nullptr;
    wxTextCtrl* m_totalText = nullptr;
    wxSpinButton* m_spinner = nullptr;
    wxButton* m_ok = nullptr;
};
