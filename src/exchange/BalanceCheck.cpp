#include "exchange/BalanceCheck.h"

#include "data/Database.h"
#include "data/Regional.h"
#include "data/Statement.h"

namespace
{
std::string DayText(const DateTime& day, const char* time)
{
    DateTime start{day.year, day.month, day.day, 0, 0, 0};
    return ToStorageText(start).substr(0, 10) + " " + time;
}

Currency CurrencyColumn(const Statement& statement, int column)
{
    return statement.ColumnValue(column, Variant::Kind::Currency).ToCurrency();
}

Currency OpeningBalance(Database& db, const std::string& accountId)
{
    Statement read(db.Handle(), "SELECT OpeningBalance FROM Account WHERE AccountID = ?1");
    read.Bind(1, accountId);
    return read.Step() ? CurrencyColumn(read, 0) : Currency();
}
} // namespace

bool HoldsRowsBefore(Database& db, const std::string& accountId, const DateTime& day)
{
    Statement read(db.Handle(), "SELECT 1 FROM Trans WHERE AccountID = ?1 AND PostDate < ?2 "
                                "LIMIT 1");
    read.Bind(1, accountId);
    read.Bind(2, DayText(day, "00:00:00"));
    return read.Step();
}

BalanceCheck CheckBalance(Database& db, const std::string& accountId, const DateTime& date,
                          Currency bank, bool firstImport)
{
    BalanceCheck check;
    check.accountId = accountId;
    check.date = DateTime{date.year, date.month, date.day, 0, 0, 0};
    check.bank = bank;
    check.firstImport = firstImport;
    Statement read(db.Handle(), "SELECT Account.Description, Account.OpeningBalance, (SELECT "
                                "SUM(Amount) FROM Trans WHERE Trans.AccountID = "
                                "Account.AccountID AND Trans.PostDate <= ?2) FROM Account WHERE "
                                "Account.AccountID = ?1");
    read.Bind(1, accountId);
    read.Bind(2, DayText(date, "23:59:59"));
    if (read.Step())
    {
        check.description = read.ColumnText(0);
        check.held = CurrencyColumn(read, 1) + CurrencyColumn(read, 2);
    }
    return check;
}

Currency BalanceCheck::AgreeingOpeningBalance(Database& db) const
{
    return OpeningBalance(db, accountId) + (bank - held);
}

std::string BalanceCheckMessage(const BalanceCheck& check)
{
    std::string start =
        "Your bank's balance for " + check.description + " on " + FormatShortDate(check.date);
    if (check.Agrees())
        return start + ", " + FormatCurrency(check.bank) + ", agrees with Tallybrook's.";
    return start + " is " + FormatCurrency(check.bank) + "; Tallybrook has " +
           FormatCurrency(check.held) + " (" + FormatCurrency(check.held - check.bank) + ").";
}

std::string OpeningBalanceQuestion(Database& db, const BalanceCheck& check)
{
    return BalanceCheckMessage(check) + "\n\nThis is the first statement of " + check.description +
           ". Set its opening balance to " + FormatCurrency(check.AgreeingOpeningBalance(db)) +
           " so that the two agree?";
}

void SetAgreeingOpeningBalance(Database& db, BalanceCheck& check)
{
    Currency opening = check.AgreeingOpeningBalance(db);
    Statement write(db.Handle(), "UPDATE Account SET OpeningBalance = ?2 WHERE AccountID = ?1");
    write.Bind(1, check.accountId);
    write.Bind(2, Variant::FromCurrency(opening), Variant::Kind::Currency);
    write.Step();
    check.held = check.bank;
    check.openingSet = true;
}
