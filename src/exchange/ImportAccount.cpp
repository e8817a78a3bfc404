#include "exchange/ImportAccount.h"

#include "base/UserInterface.h"
#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "exchange/ImportContext.h"

namespace
{
// Tables whose rows belong to an account through its AccountID.
const char* const AccountRowTables[] = {"Trans", "Loan", "Investment"};

std::string NewAccountNumber(Database& db)
{
    std::string candidate = "New Account";
    for (int n = 2; AccountExists(db, candidate); ++n)
        candidate = "New Account (" + std::to_string(n) + ")";
    return candidate;
}

void CreateAccount(Database& db, const std::string& accountId, const AccountChoice& choice)
{
    Recordset rs;
    rs.Open("SELECT AccountID, Description, Type FROM Account", db, OpenMode::KeysetEdit);
    rs.AddNew();
    rs.SetText("AccountID", accountId);
    rs.SetText("Description", choice.description);
    rs.SetText("Type", choice.type);
    rs.Update();
    rs.Close();
}

// Gives every account with the description the statement's number. Their transactions,
// loans and holdings move along, so none is left under a number no account has.
void RekeyAccounts(Database& db, const std::string& accountId, const std::string& description)
{
    std::string described = "Description = '" + SqlEscape(description) + "'";
    std::vector<std::string> oldIds;
    Recordset rs;
    rs.Open("SELECT AccountID FROM Account WHERE " + described, db, OpenMode::ReadOnly);
    for (; !rs.IsEOF(); rs.MoveNext())
        if (!rs.GetValue("AccountID").IsNull())
            oldIds.push_back(rs.GetText("AccountID"));
    rs.Close();

    Transaction transaction(db);
    db.Execute("UPDATE Account SET AccountID = '" + SqlEscape(accountId) + "' WHERE " + described);
    for (const std::string& oldId : oldIds)
    {
        std::string owned = "AccountID = '" + SqlEscape(oldId) + "'";
        // Another account that still has the old number keeps the rows.
        if (db.HasRows("Account", owned))
            continue;
        for (const char* table : AccountRowTables)
            db.Execute(std::string("UPDATE ") + table + " SET AccountID = '" +
                       SqlEscape(accountId) + "' WHERE " + owned);
    }
    transaction.Commit();
}

std::string AccountNumberOf(Database& db, const std::string& description)
{
    Recordset rs;
    rs.Open("SELECT AccountID FROM Account WHERE Description = '" + SqlEscape(description) + "'",
            db, OpenMode::ReadOnly);
    std::string accountId = rs.GetText("AccountID");
    rs.Close();
    return accountId;
}
} // namespace

AccountChoiceRequest MakeAccountChoiceRequest(Database& db, const std::string& accountId)
{
    AccountChoiceRequest request;
    request.accountId = accountId;
    request.supplied = !accountId.empty();
    Recordset rs;
    rs.Open("SELECT Description FROM Account", db, OpenMode::ReadOnly);
    for (; !rs.IsEOF(); rs.MoveNext())
        request.descriptions.push_back(rs.GetText("Description"));
    rs.Close();
    if (!request.supplied)
        request.newAccountId = NewAccountNumber(db);
    return request;
}

AskingUser::AskingUser(UserInterface& ui) : m_ui(ui)
{
    m_ui.PushStatus("Ready");
    m_ui.EndWait();
}

AskingUser::~AskingUser()
{
    m_ui.BeginWait();
    m_ui.PopStatus();
}

const char* const AccountDescriptionRequired = "You must enter an account description.";

const std::vector<std::string>& ImportAccountTypes()
{
    static const std::vector<std::string> types = {"Bank", "Cash", "Credit Card", "Investment"};
    return types;
}

std::string CheckAccountChoice(const AccountChoice& choice)
{
    if (choice.action == AccountChoice::Action::Create && choice.description.empty())
        return AccountDescriptionRequired;
    return "";
}

bool AccountExists(Database& db, const std::string& accountId)
{
    return db.HasRows("Account", "AccountID = '" + SqlEscape(accountId) + "'");
}

bool EnsureImportAccount(ImportContext& context, std::string& accountId)
{
    if (!accountId.empty() && AccountExists(context.db, accountId))
        return true;
    AskingUser asking(context.ui);
    return SelectImportAccount(context, accountId);
}

bool SelectImportAccount(ImportContext& context, std::string& accountId)
{
    Database& db = context.db;
    AccountChoiceRequest request = MakeAccountChoiceRequest(db, accountId);
    std::optional<AccountChoice> choice;
    for (;;)
    {
        choice = context.chooser.Choose(request);
        if (!choice)
            return false;
        std::string problem = CheckAccountChoice(*choice);
        if (problem.empty())
            break;
        context.ui.ShowMessage(problem, UserInterface::Icon::Stop);
    }

    if (choice->action == AccountChoice::Action::Create)
    {
        if (!request.supplied)
            accountId = NewAccountNumber(db);
        CreateAccount(db, accountId, *choice);
        if (context.rebuildTree)
            context.rebuildTree();
        return true;
    }
    if (request.supplied)
    {
        RekeyAccounts(db, accountId, choice->description);
        if (context.rebuildTree)
            context.rebuildTree();
        return true;
    }
    accountId = AccountNumberOf(db, choice->description);
    return true;
}
