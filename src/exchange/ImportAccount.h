#pragma once

#include <optional>
#include <string>
#include <vector>

class Database;
class UserInterface;
struct ImportContext;

/// What the Select Account dialog is shown with.
struct AccountChoiceRequest
{
    std::string accountId; ///< the statement's account number; empty when it names none
    bool supplied = false; ///< whether the statement named a number
    /// The Description of every account, in the order the store returns them; the dialog
    /// lists them unsorted. Empty: only a new account can be chosen.
    std::vector<std::string> descriptions;
    /// The number a new account gets when the statement names none: "New Account", then
    /// "New Account (2)", "New Account (3)" and so on, the first that no account has.
    std::string newAccountId;
};

/// The user's answer in the Select Account dialog.
struct AccountChoice
{
    enum class Action
    {
        Create, ///< create a new account for the statement
        Map     ///< file the statement under an existing account
    };
    Action action = Action::Create;
    std::string type;        ///< Create: one of ImportAccountTypes()
    std::string description; ///< Create: the new account's; Map: the chosen account's
};

/// Asks the user how to file a statement whose account is unknown. The Select Account
/// dialog implements it; tests and the command-line tool answer without a window.
class AccountChooser
{
public:
    virtual ~AccountChooser() = default;
    /// The user's answer, or nullopt when the user cancelled. A Create answer with an
    /// empty description is refused with AccountDescriptionRequired and asked again, so a
    /// dialog should check it with CheckAccountChoice before closing.
    virtual std::optional<AccountChoice> Choose(const AccountChoiceRequest& request) = 0;
};

/// The types a new account may get, in the order the dialog offers them (no Loan).
const std::vector<std::string>& ImportAccountTypes();

/// Shown when a new account is to be created without a description.
extern const char* const AccountDescriptionRequired;

/// The message that refuses an answer, or the empty text when it is acceptable.
std::string CheckAccountChoice(const AccountChoice& choice);

/// What the Select Account dialog is shown with for a statement that names accountId
/// (empty when it names none).
AccountChoiceRequest MakeAccountChoiceRequest(Database& db, const std::string& accountId);

/// Lifts the import's wait cursor and shows "Ready" while the user is asked; both come back
/// on every way out.
class AskingUser
{
public:
    explicit AskingUser(UserInterface& ui);
    ~AskingUser();
    AskingUser(const AskingUser&) = delete;
    AskingUser& operator=(const AskingUser&) = delete;

private:
    UserInterface& m_ui;
};

/// Whether an account has that AccountID.
bool AccountExists(Database& db, const std::string& accountId);

/// Makes sure transactions can be filed under accountId: true at once when an account has
/// that number; otherwise asks the chooser and returns whether the user answered. When the
/// statement named no number, accountId becomes the chosen account's number.
bool EnsureImportAccount(ImportContext& context, std::string& accountId);

/// Asks the chooser and carries out the answer: creates the account, or maps the statement
/// to an existing one (re-keying it, with its transactions, loans and holdings, when the
/// statement named a number). Returns false when the user cancelled; nothing changes then.
bool SelectImportAccount(ImportContext& context, std::string& accountId);
