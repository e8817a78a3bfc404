#pragma once

#include "exchange/AccountChoiceControls.h"
#include "exchange/ImportAccount.h"

#include <wx/dialog.h>

/// The Select Account dialog: asks whether a statement whose account is unknown goes to a
/// new account or to an existing one.
class frmSelectAccount : public wxDialog
{
public:
    frmSelectAccount(wxWindow* parent, const AccountChoiceRequest& request);

    /// The answer the dialog was closed with OK on.
    AccountChoice Choice() const;

private:
    void OnOk();

    AccountChoiceControls m_account;
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
