#include "exchange/BalanceCheck.h"

#include "data/Database.h"
#include "data/Regional.h"
#include "data/Statement.h"

#include <algorithm>
#include <tuple>

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

namespace
{
/// The checks of one account's requests (their positions), days in order.
void CheckAccount(Database& db, const std::vector<BalanceRequest>& requests,
                  const std::vector<std::size_t>& positions, std::vector<BalanceCheck>& checks)
{
    const std::string& accountId = requests[positions.front()].accountId;
    Statement account(db.Handle(),
                      "SELECT Description, OpeningBalance FROM Account WHERE AccountID = ?1");
    account.Bind(1, accountId);
    std::string description;
    Currency held;
    if (account.Step())
    {
        description = account.ColumnText(0);
        held = CurrencyColumn(account, 1);
    }
    Statement sum(db.Handle(), "SELECT SUM(Amount) FROM Trans WHERE AccountID = ?1 AND PostDate "
                               "> ?2 AND PostDate <= ?3");
    std::string counted; // rows up to the end of this stored text are in `held`
    for (std::size_t position : positions)
    {
        const BalanceRequest& request = requests[position];
        std::string end = DayText(request.date, "23:59:59");
        sum.Reset();
        sum.Bind(1, accountId);
        sum.Bind(2, counted);
        sum.Bind(3, end);
        if (sum.Step())
            held = held + CurrencyColumn(sum, 0);
        counted = end;
        BalanceCheck& check = checks[position];
        check =
            BalanceCheck{accountId,
                         description,
                         DateTime{request.date.year, request.date.month, request.date.day, 0, 0, 0},
                         request.bank,
                         held,
                         request.firstImport};
    }
}
} // namespace

std::vector<BalanceCheck> CheckBalances(Database& db, const std::vector<BalanceRequest>& requests)
{
    std::vector<std::size_t> order(requests.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b)
                     {
                         return std::tie(requests[a].accountId, requests[a].date) <
                                std::tie(requests[b].accountId, requests[b].date);
                     });
    std::vector<BalanceCheck> checks(requests.size());
    for (std::size_t first = 0; first < order.size();)
    {
        std::size_t end = first;
        std::vector<std::size_t> positions;
        while (end < order.size() &&
               requests[order[end]].accountId == requests[order[first]].accountId)
            positions.push_back(order[end++]);
        CheckAccount(db, requests, positions, checks);
        first = end;
    }
    return checks;
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
