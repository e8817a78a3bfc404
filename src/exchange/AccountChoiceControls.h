#pragma once

#include "exchange/ImportAccount.h"

class wxChoice;
class wxRadioButton;
class wxTextCtrl;
class wxWindow;

/// Control identifiers of the account question; tests find the controls by them.
enum SelectAccountControl
{
    IdCreateAccount = 1011,
    IdMapAccount = 1012,
    IdAccountType = 1013,
    IdExistingAccount = 1014,
    IdDescription = 1008
};

/// The controls that answer the import's account question, shared by the Select Account and
/// the CSV mapping dialogs (each lays them out its own way): create a new account of a type
/// with a description, or map to an existing account.
struct AccountChoiceControls
{
    /// Makes the five controls under parent: "Create a new account" chosen, the first type,
    /// the first existing account; mapping disabled when there is none to map to.
    void Create(wxWindow* parent, const AccountChoiceRequest& request);
    /// The answer the controls show.
    AccountChoice Choice() const;
    /// True when the answer can be taken; otherwise shows why over the dialog and puts the
    /// cursor in the description.
    bool AcceptChoice(wxWindow* dialog) const;

    wxRadioButton* create = nullptr;
    wxRadioButton* map = nullptr;
    wxChoice* type = nullptr;
    wxTextCtrl* description = nullptr;
    wxChoice* existing = nullptr;

private:
    // The controls of the chosen answer are enabled, the others not.
    void UpdateEnabling();
};
