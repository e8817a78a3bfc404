#pragma once

#include "exchange/ImportAccount.h"

#include <wx/dialog.h>

class wxChoice;
class wxRadioButton;
class wxTextCtrl;

/// Control identifiers of the Select Account dialog; tests find the controls by them.
enum SelectAccountControl
{
    IdCreateAccount = 1011,
    IdMapAccount = 1012,
    IdAccountType = 1013,
    IdExistingAccount = 1014,
    IdDescription = 1008
};

/// The Select Account dialog: asks whether a statement whose account is unknown goes to a
/// new account or to an existing one.
class frmSelectAccount : public wxDialog
{
public:
    frmSelectAccount(wxWindow* parent, const AccountChoiceRequest& request);

    /// The answer the dialog was closed with OK on.
    AccountChoice Choice() const;

private:
    void UpdateControls();
    void OnOk();

    wxRadioButton* m_create = nullptr;
    wxRadioButton* m_map = nullptr;
    wxChoice* m_type = nullptr;
    wxTextCtrl* m_description = nullptr;
    wxChoice* m_existing = nullptr;
};

/// Answers the import's account question with the Select Account dialog.
class DialogAccountChooser : public AccountChooser
{
public:
    explicit DialogAccountChooser(wxWindow* parent) : m_parent(parent) {}
    std::optional<AccountChoice> Choose(const AccountChoiceRequest& request) override;

private:
    wxWindow* m_parent;
};
