#include "data/Balances.h"

#include "data/BudgetTransfers.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/ViewKind.h"

namespace
{
/// The first row's value of one field of a read-only query; NULL when there is no row.
Variant ReadFirst(Database& db, const std::string& sql, const std::string& field)
{
    Recordset rs;
    rs.Open(sql, db, OpenMode::ReadOnly);
    if (rs.IsEOF())
        return Variant();
    return rs.GetValue(field);
}

std::string AccountIs(const std::string& accountId)
{
    return "AccountID = '" + SqlEscape(accountId) + "'";
}

std::string PeriodIs(int year, int month)
{
    return "Year = " + std::to_string(year) + " AND Period = " + std::to_string(month);
}
} // namespace

void UpdateCurrentBalance(Database& db, int kind, const std::string& accountId)
{
    std::string sumQuery;
    switch (kind)
    {
    case KindRegister:
        sumQuery = "SELECT SUM( Amount ) AS TotAmount FROM Trans WHERE " + AccountIs(accountId);
        break;
    case KindLoan:
        sumQuery = "SELECT sum( OriginalAmount - PaidAmount ) AS TotAmount FROM Loan WHERE " +
                   AccountIs(accountId);
        break;
    case KindInvestment:
        sumQuery = "SELECT sum( Total ) AS TotAmount FROM Investment WHERE " + AccountIs(accountId);
        break;
    default:
        return;
    }
    Recordset total;
    total.Open(sumQuery, db, OpenMode::ReadOnly);
    Recordset account;
    account.Open("SELECT CurrentBalance FROM Account WHERE " + AccountIs(accountId), db,
                 OpenMode::KeysetLock);
    Variant value = total.GetValue("TotAmount");
    if (value.IsNull())
        value = Variant::FromLong(0);
    if (account.IsEOF())
        throw DatabaseError(Status::NoCurrentRecord,
                            "No account has the account # '" + accountId + "'.");
    account.SetValue("CurrentBalance", value);
    account.Update();
}

void ComputeTotals(Database& db, const TotalsContext& context, Variant& first, Variant& second)
{
    first = Variant();
    second = Variant();
    switch (context.kind)
    {
    case KindBudget:
        first = ReadFirst(db,
                          "SELECT SUM( Amount ) AS TotAmount FROM Budget WHERE " +
                              PeriodIs(context.year, context.month),
                          "TotAmount");
        second = ReadFirst(db,
                           "SELECT SUM( Amount ) AS TotAmount FROM Account INNER JOIN Trans ON "
                           "Account.AccountID = Trans.AccountID WHERE Account.BudgetInclude = "
                           "TRUE AND " +
                               PeriodIs(context.year, context.month) + " AND " +
                               NotBudgetTransfer(),
                           "TotAmount");
        break;
    case KindAccountList:
    {
        Recordset sums;
        sums.Open("SELECT SUM( OpeningBalance ) AS TotOpn, SUM( CurrentBalance ) AS TotCur FROM "
                  "Account WHERE Type = '" +
                      SqlEscape(context.accountType) + "'",
                  db, OpenMode::ReadOnly);
        first = sums.GetValue("TotOpn");
        second = AddValues(first, sums.GetValue("TotCur"));
        break;
    }
    case KindRegister:
    {
        Recordset opening;
        opening.Open("SELECT OpeningBalance FROM Account WHERE Sequence = " +
                         std::to_string(context.currentSequence),
                     db, OpenMode::ReadOnly);
        std::string year = std::to_string(context.year);
        Variant transactions = ReadFirst(
            db,
            "SELECT SUM( Amount ) AS TotAmount FROM Trans WHERE " + AccountIs(context.accountId) +
                " AND ( Year < " + year + " OR ( Year = " + year +
                " AND Period <= " + std::to_string(context.month) + ") )",
            "TotAmount");
        // Before the account's first transaction its balance is its opening balance.
        if (transactions.IsNull())
            transactions = Variant::FromCurrency(Currency());
        first = AddValues(opening.GetValue("OpeningBalance"), transactions);
        break;
    }
    case KindInvestment:
        first = ReadFirst(db,
                          "SELECT sum( Total ) AS TotAmount FROM Investment WHERE " +
                              AccountIs(context.accountId),
                          "TotAmount");
        break;
    case KindLoan:
        first = ReadFirst(db, "SELECT SUM( OriginalAmount - PaidAmount ) AS TotAmount FROM Loan",
                          "TotAmount");
        break;
    default:
        break;
    }
}
