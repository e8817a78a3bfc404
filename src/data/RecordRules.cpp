#include "data/RecordRules.h"

#include "data/BudgetLine.h"
#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/ViewColumns.h"
#include "data/ViewKind.h"
#include "data/Vocabulary.h"

#include <optional>

namespace
{
Variant Zero()
{
    return Variant::FromCurrency(Currency());
}

bool Refuse(int errorColumn, const char* text, int& column, std::string& message)
{
    column = errorColumn;
    message = text;
    return false;
}

// A month holds one line per category. A new line for a category the month already holds
// (the register adds one for every category it meets) takes that line's place: the stored
// line goes, and the new one is written with its number and its category's spelling, the
// group and amount typed, and the stored ones where nothing was typed. The grid writes the row
// in the same transaction, so a write that fails leaves the stored line where it was, to be
// taken again at the next try.
void TakePlaceOfStoredLine(Database& db, const RecordContext& context, RowCells& row)
{
    if (!context.newRow)
        return;
    std::optional<BudgetLineValues> stored =
        TakeBudgetLine(db, row.CellText(BudgetColumn::Category), context.year, context.month);
    if (!stored)
        return;
    row.SetCellText(BudgetColumn::Sequence, std::to_string(stored->sequence));
    row.SetCellText(BudgetColumn::Category, stored->category);
    if (row.CellText(BudgetColumn::Group).empty())
        row.SetCellText(BudgetColumn::Group, stored->group);
    if (row.CellText(BudgetColumn::Budgeted).empty())
        row.SetCellText(BudgetColumn::Budgeted, stored->amount.ToText());
}

bool ValidateBudgetLine(Database& db, const RecordContext& context, RowCells& row, int& column,
                        std::string& message)
{
    if (row.CellText(BudgetColumn::Category).empty())
        return Refuse(BudgetColumn::Category, "Please enter a category.", column, message);
    TakePlaceOfStoredLine(db, context, row);
    if (row.CellText(BudgetColumn::Group).empty())
        row.SetCellText(BudgetColumn::Group, NoCategory);
    row.SetCellText(BudgetColumn::Year, std::to_string(context.year));
    row.SetCellText(BudgetColumn::Period, std::to_string(context.month));
    return true;
}

bool ValidateAccount(Database& db, const RecordContext& context, RowCells& row, int& column,
                     std::string& message)
{
    if (row.CellText(AccountColumn::Description).empty())
        return Refuse(AccountColumn::Description, "Please enter an account description.", column,
                      message);
    std::string accountId = row.CellText(AccountColumn::AccountId);
    if (accountId.empty())
        return Refuse(AccountColumn::AccountId, "Please enter an account #.", column, message);
    // An existing row does not clash with itself.
    std::string condition = "AccountID = '" + SqlEscape(accountId) + "'";
    std::string sequence = row.CellText(AccountColumn::Sequence);
    if (!sequence.empty())
        condition += " AND Sequence <> " + sequence;
    if (db.HasRows("Account", condition))
        return Refuse(AccountColumn::AccountId, "That account already exists.", column, message);
    row.SetCellText(AccountColumn::Type, context.accountType);
    return true;
}

// Whether a category in brackets names an account with a register that, like the row's own
// account, counts in the budget: such a transfer is no spending, and needs no budget line.
bool TransferWithinBudget(Database& db, const std::string& accountId, const std::string& category)
{
    if (category.size() < 3 || category.front() != '[' || category.back() != ']')
        return false;
    std::string name = category.substr(1, category.size() - 2);
    return db.HasRows("Account", "BudgetInclude = TRUE AND AccountID = " + SqlLiteral(accountId)) &&
           db.HasRows("Account", "BudgetInclude = TRUE AND Type <> " +
                                     SqlLiteral(AccountType::Investment) + " AND Type <> " +
                                     SqlLiteral(AccountType::Loan) +
                                     " AND Description = " + SqlLiteral(name));
}

// The row's period is the one shown, not the month of its date. A new row is the first part
// of its transaction (SubSequence 0), so it can be split like an imported one.
void CompleteTransaction(Database& db, const RecordContext& context, RowCells& row)
{
    if (row.CellText(RegisterColumn::Sequence).empty())
    {
        row.SetCellText(RegisterColumn::AccountId, context.currentAccountId);
        row.SetCellText(RegisterColumn::Year, std::to_string(context.year));
        row.SetCellText(RegisterColumn::Period, std::to_string(context.month));
        row.SetCellText(RegisterColumn::Sequence, std::to_string(db.NextTransSequence()));
        row.SetCellText(RegisterColumn::SubSequence, "0");
    }
    if (row.CellText(RegisterColumn::Category).empty())
        row.SetCellText(RegisterColumn::Category, NoCategory);
    EnsureRowBudgetLine(db, row.CellText(RegisterColumn::AccountId),
                        row.CellText(RegisterColumn::Category), context.year, context.month);
}
} // namespace

void EnsureRowBudgetLine(Database& db, const std::string& accountId, const std::string& category,
                         int year, int month)
{
    if (!TransferWithinBudget(db, accountId, category))
        EnsureBudgetLine(db, category, year, month, NoCategory, Zero());
}

Variant RowCells::CellValue(int column) const
{
    std::string text = CellText(column);
    return text.empty() ? Variant() : Variant::FromText(std::move(text));
}

bool ValidateRow(Database& db, const RecordContext& context, RowCells& row, int& column,
                 std::string& message)
{
    switch (context.kind)
    {
    case KindBudget:
        return ValidateBudgetLine(db, context, row, column, message);
    case KindAccountList:
        return ValidateAccount(db, context, row, column, message);
    case KindRegister:
        CompleteTransaction(db, context, row);
        return true;
    case KindInvestment:
        row.SetCellText(InvestmentColumn::AccountId, context.currentAccountId);
        return true;
    case KindLoan:
        row.SetCellText(LoanColumn::AccountId, context.currentAccountId);
        return true;
    default:
        return true;
    }
}

void DeleteRecord(Database& db, const RecordContext& context, bool gridHasFocus,
                  const RowCells& row)
{
    if (!gridHasFocus || context.kind != KindBudget)
        return;
    // Every account's transactions count here, whatever BudgetInclude says; a transfer
    // keeps its bracketed category, which names the account at its other side.
    std::string condition = "Trans.Category = '" + SqlEscape(row.CellText(BudgetColumn::Category)) +
                            "' AND Year = " + std::to_string(context.year) +
                            " AND Period = " + std::to_string(context.month) +
                            " AND TransferID IS NULL";
    if (!db.HasRows("Trans", condition))
        return;
    EnsureBudgetLine(db, NoCategory, context.year, context.month, NoCategory, Zero());
    db.Execute("UPDATE Trans SET Category = " + SqlLiteral(NoCategory) + " WHERE " + condition);
}
