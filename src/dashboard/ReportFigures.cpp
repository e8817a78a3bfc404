#include "dashboard/ReportFigures.h"

#include "budget/BudgetReport.h"
#include "data/Database.h"
#include "data/DateTime.h"
#include "data/Statement.h"
#include "data/Vocabulary.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

namespace
{
std::string DayText(const DateTime& date, const char* time)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %s", date.year % 10000, date.month % 100,
                  date.day % 100, time);
    return text;
}

/// The conditions (engine SQL, on Trans joined to its Account) that pick a scope's rows; ?1
/// and ?2 are the period's bounds as stored texts. Each account's rows of the period are one
/// range of the index TransAccountDate, which holds every column the sums read.
std::string ScopeCondition(const ReportScope& scope)
{
    std::string condition = "Trans.PostDate >= ?1 AND Trans.PostDate <= ?2";
    if (scope.budgetAccounts)
        condition += " AND Account.BudgetInclude <> 0";
    // A transfer whose other side is among the report's accounts moves money within them.
    condition += " AND (Trans.TransferID IS NULL OR NOT EXISTS (SELECT 1 FROM Trans AS Other "
                 "WHERE Other.TransferID = Trans.TransferID AND Other.rowid <> Trans.rowid AND "
                 "Other.AccountID IN (SELECT AccountID FROM Account";
    condition += scope.budgetAccounts ? " WHERE BudgetInclude <> 0)))" : ")))";
    return condition;
}

void BindScope(Statement& statement, const ReportScope& scope)
{
    statement.Bind(1, scope.from ? DayText(*scope.from, "00:00:00") : std::string("0000"));
    statement.Bind(2, scope.to ? DayText(*scope.to, "23:59:59") : std::string("9999-99"));
}

const char* const RowsOfScope =
    " FROM Account INNER JOIN Trans ON Trans.AccountID = Account.AccountID WHERE ";

Currency CurrencyColumn(const Statement& statement, int column)
{
    return statement.ColumnValue(column, Variant::Kind::Currency).ToCurrency();
}

bool LargerFirst(const CategoryFigure& a, const CategoryFigure& b)
{
    return std::tie(b.amount, a.category) < std::tie(a.amount, b.category);
}

/// Months from (year, month) to (lastYear, lastMonth), both included.
template <typename Each>
void ForEachMonth(int year, int month, int lastYear, int lastMonth, Each each)
{
    while (year < lastYear || (year == lastYear && month <= lastMonth))
    {
        each(year, month);
        if (++month > 12)
        {
            month = 1;
            ++year;
        }
    }
}

/// The year and month of a "YYYY-MM" text.
std::pair<int, int> YearAndMonth(const std::string& text)
{
    int year = 0, month = 0;
    if (std::sscanf(text.c_str(), "%d-%d", &year, &month) != 2)
        return {0, 0};
    return {year, month};
}
} // namespace

SpendingFigures SpendingByCategory(Database& db, const ReportScope& scope)
{
    Statement sums(db.Handle(), std::string("SELECT IFNULL(Trans.Category, '') AS C, "
                                            "SUM(Trans.Amount)") +
                                    RowsOfScope + ScopeCondition(scope) +
                                    " AND Trans.Amount IS NOT NULL GROUP BY C");
    BindScope(sums, scope);
    SpendingFigures figures;
    while (sums.Step())
    {
        Currency sum = CurrencyColumn(sums, 1);
        std::string category = sums.ColumnText(0).empty() ? NoCategory : sums.ColumnText(0);
        if (sum.Units() < 0)
            figures.out.push_back({category, -sum});
        else if (sum.Units() > 0)
            figures.in.push_back({category, sum});
    }
    std::sort(figures.out.begin(), figures.out.end(), LargerFirst);
    std::sort(figures.in.begin(), figures.in.end(), LargerFirst);
    return figures;
}

std::vector<MonthFlow> IncomeAndExpenses(Database& db, const ReportScope& scope)
{
    // Sums by account and day, added up into months here. From the first row on, the index
    // is read in its order without sorting a row; a period with a start is one range of the
    // index per account, whose rows are few enough to sort.
    Statement sums(db.Handle(),
                   std::string("SELECT Trans.PostDate, SUM(CASE WHEN Trans.Amount > 0 THEN "
                               "Trans.Amount ELSE 0 END), SUM(CASE WHEN Trans.Amount < 0 THEN "
                               "-Trans.Amount ELSE 0 END)") +
                       RowsOfScope + ScopeCondition(scope) +
                       (scope.from ? " GROUP BY Account.AccountID, Trans.PostDate"
                                   : " GROUP BY Trans.AccountID, Trans.PostDate"));
    BindScope(sums, scope);
    std::map<std::string, std::pair<Currency, Currency>> byMonth;
    while (sums.Step())
    {
        auto& [in, out] = byMonth[sums.ColumnText(0).substr(0, 7)];
        in = in + CurrencyColumn(sums, 1);
        out = out + CurrencyColumn(sums, 2);
    }
    if (byMonth.empty())
        return {};
    // A period open at either end runs from or to the first or last month with rows.
    auto [firstYear, firstMonth] = scope.from ? std::pair{scope.from->year, scope.from->month}
                                              : YearAndMonth(byMonth.begin()->first);
    auto [lastYear, lastMonth] = scope.to ? std::pair{scope.to->year, scope.to->month}
                                          : YearAndMonth(byMonth.rbegin()->first);
    std::vector<MonthFlow> months;
    ForEachMonth(
        firstYear, firstMonth, lastYear, lastMonth,
        [&](int year, int month)
        {
            MonthFlow flow{year, month, Currency(), Currency()};
            auto found = byMonth.find(DayText(DateTime{year, month, 1, 0, 0, 0}, "").substr(0, 7));
            if (found != byMonth.end())
                std::tie(flow.in, flow.out) = found->second;
            months.push_back(flow);
        });
    return months;
}

namespace
{
/// The part of a point that an account type adds to.
Currency* PartOf(NetWorthPoint& point, const std::string& type)
{
    if (type == AccountType::Cash)
        return &point.cash;
    if (type == AccountType::CreditCard)
        return &point.creditCard;
    if (type == AccountType::Investment || type == AccountType::Loan)
        return nullptr;
    return &point.bank;
}

std::string BudgetOnly(const ReportScope& scope)
{
    return scope.budgetAccounts ? " AND Account.BudgetInclude <> 0" : "";
}

/// A holding: what it cost, from when, and what it is worth at its last price.
struct Holding
{
    std::string purchased; ///< stored date text; empty when unknown
    Currency cost;
    Currency worth;
};

std::vector<Holding> Holdings(Database& db, const ReportScope& scope)
{
    Statement read(db.Handle(), "SELECT IFNULL(Investment.PurchaseDate, ''), "
                                "Investment.PurchasePrice, Investment.Quantity, Investment.Total "
                                "FROM Investment INNER JOIN Account ON Account.AccountID = "
                                "Investment.AccountID WHERE 1 = 1" +
                                    BudgetOnly(scope));
    std::vector<Holding> holdings;
    while (read.Step())
        holdings.push_back({read.ColumnText(0),
                            CurrencyColumn(read, 1).MultipliedBy(CurrencyColumn(read, 2)),
                            CurrencyColumn(read, 3)});
    return holdings;
}

Currency OwedOnLoans(Database& db, const ReportScope& scope)
{
    Statement read(db.Handle(), "SELECT SUM(IFNULL(Loan.OriginalAmount, 0) - "
                                "IFNULL(Loan.PaidAmount, 0)) FROM Loan INNER JOIN Account ON "
                                "Account.AccountID = Loan.AccountID WHERE 1 = 1" +
                                    BudgetOnly(scope));
    return read.Step() ? CurrencyColumn(read, 0) : Currency();
}

/// The register accounts' opening balances and their rows' sums by type and month.
struct RegisterSums
{
    std::map<std::string, Currency> opening;                      ///< by type
    std::map<std::pair<std::string, std::string>, Currency> rows; ///< by type and YYYY-MM
};

RegisterSums ReadRegisterSums(Database& db, const ReportScope& scope, const std::string& last)
{
    RegisterSums sums;
    Statement opening(db.Handle(), "SELECT Account.Type, SUM(Account.OpeningBalance) FROM "
                                   "Account WHERE Account.Type <> 'Investment' AND "
                                   "Account.Type <> 'Loan'" +
                                       BudgetOnly(scope) + " GROUP BY Account.Type");
    while (opening.Step())
        sums.opening[opening.ColumnText(0)] = CurrencyColumn(opening, 1);
    // Every row up to the end counts.
    // By account and day, as IncomeAndExpenses reads them; added up into months here.
    Statement rows(db.Handle(), std::string("SELECT Account.Type, Trans.PostDate, "
                                            "SUM(Trans.Amount)") +
                                    RowsOfScope + "Trans.PostDate <= ?1" + BudgetOnly(scope) +
                                    " GROUP BY Trans.AccountID, Trans.PostDate");
    rows.Bind(1, last);
    while (rows.Step())
    {
        Currency& sum = sums.rows[{rows.ColumnText(0), rows.ColumnText(1).substr(0, 7)}];
        sum = sum + CurrencyColumn(rows, 2);
    }
    return sums;
}

std::string MonthText(int year, int month)
{
    return DayText(DateTime{year, month, 1, 0, 0, 0}, "").substr(0, 7);
}
} // namespace

std::vector<NetWorthPoint> NetWorth(Database& db, const ReportScope& scope, DateTime today)
{
    int firstYear = today.year, firstMonth = today.month;
    int lastYear = today.year, lastMonth = today.month;
    if (scope.to)
        std::tie(lastYear, lastMonth) = std::pair{scope.to->year, scope.to->month};
    std::string end =
        scope.to ? DayText(*scope.to, "23:59:59")
                 : DayText(DateTime{lastYear, lastMonth, DaysInMonth(lastYear, lastMonth), 0, 0, 0},
                           "23:59:59");
    RegisterSums sums = ReadRegisterSums(db, scope, end);
    // Without a start the points begin at the first month with rows.
    if (scope.from)
        std::tie(firstYear, firstMonth) = std::pair{scope.from->year, scope.from->month};
    else if (!sums.rows.empty())
    {
        auto first = std::min_element(sums.rows.begin(), sums.rows.end(),
                                      [](const auto& a, const auto& b)
                                      { return a.first.second < b.first.second; });
        std::tie(firstYear, firstMonth) = YearAndMonth(first->first.second);
    }
    std::vector<Holding> holdings = Holdings(db, scope);
    Currency owed = OwedOnLoans(db, scope);

    // Rows before the first month are part of every balance.
    std::map<std::string, Currency> running = sums.opening;
    std::string first = MonthText(firstYear, firstMonth);
    for (const auto& [key, sum] : sums.rows)
        if (key.second < first)
            running[key.first] = running[key.first] + sum;
    std::vector<NetWorthPoint> points;
    ForEachMonth(firstYear, firstMonth, lastYear, lastMonth,
                 [&](int year, int month)
                 {
                     NetWorthPoint point;
                     point.date = DateTime{year, month, DaysInMonth(year, month), 0, 0, 0};
                     if (scope.to && point.date > *scope.to)
                         point.date = *scope.to;
                     std::string key = MonthText(year, month);
                     for (const auto& [typeAndMonth, sum] : sums.rows)
                         if (typeAndMonth.second == key)
                             running[typeAndMonth.first] = running[typeAndMonth.first] + sum;
                     for (const auto& [type, balance] : running)
                         if (Currency* part = PartOf(point, type))
                             *part = *part + balance;
                     bool priced = std::pair{year, month} >= std::pair{today.year, today.month};
                     std::string dayEnd = DayText(point.date, "23:59:59");
                     for (const Holding& holding : holdings)
                         if (priced)
                             point.investment = point.investment + holding.worth;
                         else if (holding.purchased <= dayEnd)
                             point.investment = point.investment + holding.cost;
                     point.loan = -owed;
                     point.total =
                         point.bank + point.cash + point.creditCard + point.investment + point.loan;
                     points.push_back(point);
                 });
    return points;
}

std::vector<BudgetMonthFigure> BudgetForYear(Database& db, int year)
{
    std::vector<BudgetMonthFigure> figures;
    for (int month = 1; month <= 12; ++month)
    {
        BudgetReport report = ReadBudgetReport(db, year, month);
        for (const BudgetReportGroup& group : report.groups)
            figures.push_back(
                {month, group.group, group.budgeted.ToCurrency(), group.actual.ToCurrency()});
    }
    return figures;
}
