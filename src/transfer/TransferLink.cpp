#include "transfer/TransferLink.h"

#include "data/Balances.h"
#include "data/BudgetLine.h"
#include "data/Database.h"
#include "data/Statement.h"
#include "data/ViewKind.h"
#include "data/Vocabulary.h"

#include <vector>

namespace
{
const char* const KeyIs = "Sequence = ?1 AND SubSequence = ?2";

void BindKey(Statement& statement, TransKey key)
{
    statement.Bind(1, std::int64_t{key.sequence});
    statement.Bind(2, std::int64_t{key.subSequence});
}

/// What ReconcileTransfer reads of a row.
struct StoredRow
{
    std::string accountId;
    std::string category;
    std::optional<std::int64_t> transferId;
};

// Rows stored before every row had a SubSequence are part 0.
void NumberUnnumberedPart(Database& db, TransKey key)
{
    if (key.subSequence != 0)
        return;
    Statement number(
        db.Handle(),
        "UPDATE Trans SET SubSequence = 0 WHERE Sequence = ?1 AND SubSequence IS NULL");
    number.Bind(1, std::int64_t{key.sequence});
    number.Run();
}

std::optional<StoredRow> ReadRow(Database& db, TransKey key)
{
    Statement read(db.Handle(), std::string("SELECT AccountID, Category, TransferID FROM Trans "
                                            "WHERE ") +
                                    KeyIs);
    BindKey(read, key);
    if (!read.Step())
        return std::nullopt;
    StoredRow row{read.ColumnText(0), read.ColumnText(1), std::nullopt};
    if (!read.IsNull(2))
        row.transferId = read.ColumnInt64(2);
    return row;
}

bool IsRegisterAccount(Database& db, const std::string& accountId)
{
    Statement read(db.Handle(), "SELECT Type FROM Account WHERE AccountID = ?1");
    read.Bind(1, accountId);
    return read.Step() && KindOfAccountType(read.ColumnText(0)) == KindRegister;
}

void SetLink(Database& db, TransKey key, const std::optional<std::int64_t>& transferId,
             const std::string& category)
{
    Statement update(db.Handle(), std::string("UPDATE Trans SET TransferID = ?3, Category = ?4 "
                                              "WHERE ") +
                                      KeyIs);
    BindKey(update, key);
    if (transferId)
        update.Bind(3, *transferId);
    else
        update.BindNull(3);
    update.Bind(4, category);
    update.Run();
}

std::int64_t NewTransferId(Database& db)
{
    Statement highest(db.Handle(), "SELECT IFNULL(MAX(TransferID), 0) + 1 FROM Trans");
    highest.Step();
    return highest.ColumnInt64(0);
}

// The other side written anew in an account, as a whole transaction of its own.
TransKey WriteOtherSide(Database& db, TransKey key, const std::string& accountId,
                        std::int64_t transferId)
{
    TransKey other{db.NextTransSequence(), 0};
    Statement insert(db.Handle(), std::string("INSERT INTO Trans (AccountID, Sequence, "
                                              "SubSequence, TransferID, PostDate, \"Year\", "
                                              "Period, Amount, Description, PayeeName) SELECT ?3, "
                                              "?4, 0, ?5, PostDate, \"Year\", Period, -Amount, "
                                              "Description, PayeeName FROM Trans WHERE ") +
                                      KeyIs);
    BindKey(insert, key);
    insert.Bind(3, accountId);
    insert.Bind(4, std::int64_t{other.sequence});
    insert.Bind(5, transferId);
    insert.Run();
    return other;
}

// The other side takes the row's date, description, notes and opposite amount.
void CopyToOtherSide(Database& db, TransKey key, TransKey other, const std::string& accountId,
                     const std::string& category)
{
    Statement update(
        db.Handle(),
        "UPDATE Trans SET (PostDate, \"Year\", Period, Amount, Description, PayeeName) = (SELECT "
        "PostDate, \"Year\", Period, -Amount, Description, PayeeName FROM Trans WHERE "
        "Sequence = ?1 AND SubSequence = ?2), AccountID = ?5, Category = ?6 WHERE Sequence = ?3 "
        "AND SubSequence = ?4");
    BindKey(update, key);
    update.Bind(3, std::int64_t{other.sequence});
    update.Bind(4, std::int64_t{other.subSequence});
    update.Bind(5, accountId);
    update.Bind(6, category);
    update.Run();
}

void DeleteRow(Database& db, TransKey key)
{
    Statement remove(db.Handle(), std::string("DELETE FROM Trans WHERE ") + KeyIs);
    BindKey(remove, key);
    remove.Run();
}

// A side in a budgeted account whose other side is outside the budget is money that left the
// budget (or came into it): the budget shows it as a line of its bracketed category.
void EnsureBudgetLines(Database& db, std::int64_t transferId)
{
    Statement read(db.Handle(),
                   "SELECT Row.Category, Row.\"Year\", Row.Period FROM Trans AS Row INNER JOIN "
                   "Account ON Account.AccountID = Row.AccountID INNER JOIN Trans AS Other ON "
                   "Other.TransferID = Row.TransferID AND Other.rowid <> Row.rowid LEFT JOIN "
                   "Account AS OtherAccount ON OtherAccount.AccountID = Other.AccountID WHERE "
                   "Row.TransferID = ?1 AND Account.BudgetInclude <> 0 AND "
                   "IFNULL(OtherAccount.BudgetInclude, 0) = 0 AND Row.\"Year\" IS NOT NULL AND "
                   "Row.Period IS NOT NULL");
    read.Bind(1, transferId);
    struct Line
    {
        std::string category;
        int year;
        int period;
    };
    std::vector<Line> lines;
    while (read.Step())
        lines.push_back(Line{read.ColumnText(0), static_cast<int>(read.ColumnInt64(1)),
                             static_cast<int>(read.ColumnInt64(2))});
    for (const Line& line : lines)
        EnsureBudgetLine(db, line.category, line.year, line.period, NoCategory,
                         Variant::FromCurrency(Currency()));
}

void UpdateBalances(Database& db, const std::vector<std::string>& accountIds)
{
    for (const std::string& accountId : accountIds)
        if (!accountId.empty() && IsRegisterAccount(db, accountId))
            UpdateCurrentBalance(db, KindRegister, accountId);
}
} // namespace

std::string AccountDescription(Database& db, const std::string& accountId)
{
    Statement read(db.Handle(), "SELECT Description FROM Account WHERE AccountID = ?1");
    read.Bind(1, accountId);
    return read.Step() ? read.ColumnText(0) : std::string();
}

TransferEdit CheckTransferEdit(Database& db, TransKey key, bool newRow,
                               const std::string& accountId, const std::string& category)
{
    std::optional<StoredRow> stored;
    if (!newRow)
    {
        NumberUnnumberedPart(db, key);
        stored = ReadRow(db, key);
    }
    TransferEdit edit;
    // A stored category is not judged again: a file may hold brackets naming no account.
    if (!stored || stored->category != category)
        edit.refusal = TransferRefusal(db, accountId, category);
    if (!edit.refusal.empty() || !stored || !stored->transferId)
        return edit;
    std::optional<TransferSide> other = OtherSide(db, key);
    if (!other || other->accountDescription.empty())
        return edit;
    std::optional<TransferAccount> target = AccountOfTransfer(db, category);
    if (target && target->accountId == other->accountId)
        return edit;
    edit.question =
        target ? "Move the other side of this transfer from " + other->accountDescription + " to " +
                     target->description + "?"
               : "Remove the other side of this transfer from " + other->accountDescription + "?";
    return edit;
}

std::string DeleteTransferQuestion(Database& db, TransKey key, const std::string& accountId)
{
    NumberUnnumberedPart(db, key);
    std::optional<TransferSide> other = OtherSide(db, key);
    if (!other || other->accountDescription.empty())
        return "";
    return "Delete this transfer from both " + AccountDescription(db, accountId) + " and " +
           other->accountDescription + "?";
}

std::string TransferCategory(const std::string& accountDescription)
{
    return "[" + accountDescription + "]";
}

std::optional<TransferAccount> AccountOfTransfer(Database& db, const std::string& category)
{
    if (category.size() < 3 || category.front() != '[' || category.back() != ']')
        return std::nullopt;
    Statement find(db.Handle(), "SELECT AccountID, Description, Type FROM Account WHERE "
                                "Description = ?1 COLLATE NOCASE AND AccountID IS NOT NULL "
                                "ORDER BY Description = ?1 DESC, Sequence");
    find.Bind(1, category.substr(1, category.size() - 2));
    while (find.Step())
        if (KindOfAccountType(find.ColumnText(2)) == KindRegister)
            return TransferAccount{find.ColumnText(0), find.ColumnText(1)};
    return std::nullopt;
}

std::string TransferRefusal(Database& db, const std::string& accountId, const std::string& category)
{
    if (category.size() < 2 || category.front() != '[' || category.back() != ']')
        return "";
    std::optional<TransferAccount> target = AccountOfTransfer(db, category);
    if (!target)
        return "There is no Bank, Cash or Credit Card account '" +
               category.substr(1, category.size() - 2) + "' to transfer to.";
    if (target->accountId == accountId)
        return "A transfer cannot go to the account it comes from.";
    return "";
}

std::optional<TransferSide> OtherSide(Database& db, TransKey key)
{
    Statement find(db.Handle(),
                   "SELECT Other.Sequence, Other.SubSequence, Other.AccountID, "
                   "IFNULL(Account.Description, '') FROM Trans AS Row INNER JOIN Trans AS Other "
                   "ON Other.TransferID = Row.TransferID AND NOT (Other.Sequence = Row.Sequence "
                   "AND Other.SubSequence IS Row.SubSequence) LEFT JOIN Account ON "
                   "Account.AccountID = Other.AccountID WHERE Row.Sequence = ?1 AND "
                   "Row.SubSequence = ?2");
    BindKey(find, key);
    if (!find.Step())
        return std::nullopt;
    return TransferSide{TransKey{static_cast<std::int32_t>(find.ColumnInt64(0)),
                                 static_cast<std::int32_t>(find.ColumnInt64(1))},
                        find.ColumnText(2), find.ColumnText(3)};
}

void ReconcileTransfer(Database& db, TransKey key)
{
    NumberUnnumberedPart(db, key);
    std::optional<StoredRow> row = ReadRow(db, key);
    if (!row)
        return;
    std::optional<TransferAccount> target = AccountOfTransfer(db, row->category);
    std::string ownDescription = AccountDescription(db, row->accountId);
    if (target && (target->accountId == row->accountId || ownDescription.empty()))
        target.reset();
    std::optional<TransferSide> other = row->transferId ? OtherSide(db, key) : std::nullopt;
    std::vector<std::string> touched{row->accountId};
    if (other)
        touched.push_back(other->accountId);
    if (!target)
    {
        if (!row->transferId)
            return; // a plain row, as it was
        if (other)
            DeleteRow(db, other->key);
        if (row->transferId)
            SetLink(db, key, std::nullopt, row->category);
        UpdateBalances(db, touched);
        return;
    }
    std::int64_t transferId = row->transferId ? *row->transferId : NewTransferId(db);
    SetLink(db, key, transferId, TransferCategory(target->description));
    TransKey otherKey = other ? other->key : WriteOtherSide(db, key, target->accountId, transferId);
    CopyToOtherSide(db, key, otherKey, target->accountId, TransferCategory(ownDescription));
    EnsureBudgetLines(db, transferId);
    touched.push_back(target->accountId);
    UpdateBalances(db, touched);
}

void DeleteOtherSide(Database& db, TransKey key)
{
    NumberUnnumberedPart(db, key);
    std::optional<TransferSide> other = OtherSide(db, key);
    if (!other)
        return;
    DeleteRow(db, other->key);
    UpdateBalances(db, {other->accountId});
}

void LinkTransfer(Database& db, TransKey first, TransKey second)
{
    NumberUnnumberedPart(db, first);
    NumberUnnumberedPart(db, second);
    std::optional<StoredRow> a = ReadRow(db, first);
    std::optional<StoredRow> b = ReadRow(db, second);
    if (!a || !b || a->accountId == b->accountId || a->transferId || b->transferId)
        return;
    std::int64_t transferId = NewTransferId(db);
    SetLink(db, first, transferId, TransferCategory(AccountDescription(db, b->accountId)));
    SetLink(db, second, transferId, TransferCategory(AccountDescription(db, a->accountId)));
    EnsureBudgetLines(db, transferId);
}
