#include "dashboard/ChartReports.h"

#include "dashboard/HtmlEscape.h"
#include "dashboard/MonthPicture.h"
#include "dashboard/ReportCharts.h"
#include "data/Regional.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <ostream>

namespace
{
const char* const NoTransactions =
    "<p style=\"text-align:center\">No transactions in this date range.</p>";

std::string IsoDay(const DateTime& date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year % 10000, date.month % 100,
                  date.day % 100);
    return text;
}

std::string IsoMonth(int year, int month)
{
    return IsoDay(DateTime{year, month, 1, 0, 0, 0}).substr(0, 7);
}

std::string Heading(const std::string& title, const std::string& period)
{
    return "<h1>" + HtmlEscape(title) + "</h1><h2>" + HtmlEscape(period) + "</h2>";
}

std::string PeriodText(const ReportScope& scope)
{
    std::string accounts = scope.budgetAccounts ? ", budget accounts" : ", all accounts";
    if (!scope.from && !scope.to)
        return "All dates" + accounts;
    if (!scope.from)
        return "to " + FormatShortDate(*scope.to) + accounts;
    if (!scope.to)
        return "from " + FormatShortDate(*scope.from) + accounts;
    return "from " + FormatShortDate(*scope.from) + " to " + FormatShortDate(*scope.to) + accounts;
}

std::string Cell(const std::string& text, bool right = false, bool bold = false)
{
    std::string style = right ? "text-align:right;white-space:nowrap" : "";
    if (bold)
        style += std::string(style.empty() ? "" : ";") + "font-weight:bold";
    return "<td" + (style.empty() ? std::string() : " style=\"" + style + "\"") + ">" +
           HtmlEscape(text) + "</td>";
}

std::string Money(Currency value)
{
    return FormatCurrency(value);
}

std::string UrlEncoded(const std::string& text)
{
    std::string encoded;
    for (unsigned char c : text)
    {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.')
            encoded += static_cast<char>(c);
        else
        {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            encoded += hex;
        }
    }
    return encoded;
}

/// One side of Spending by Category: its chart and its table.
std::string SpendingPart(const ReportScope& scope, const std::string& title,
                         const std::vector<CategoryFigure>& figures)
{
    std::string part = "<h3>" + HtmlEscape(title) + "</h3>";
    if (figures.empty())
        return part + "<p>None.</p>";
    std::vector<ChartBar> bars;
    Currency total;
    for (const CategoryFigure& figure : figures)
    {
        bars.push_back({figure.category, figure.amount, TransactionsLink(scope, figure.category)});
        total += figure.amount;
    }
    part += HorizontalBarChart(bars) + "<table>";
    for (const CategoryFigure& figure : figures)
        part += "<tr>" + Cell(figure.category) + Cell(Money(figure.amount), true) + "</tr>";
    return part + "<tr>" + Cell("Total", false, true) + Cell(Money(total), true, true) +
           "</tr></table>";
}
} // namespace

std::string TransactionsLink(const ReportScope& scope, const std::string& category)
{
    return "event://Preview?StartDate=" +
           UrlEncoded(scope.from ? FormatShortDate(*scope.from) : "") +
           "&EndDate=" + UrlEncoded(scope.to ? FormatShortDate(*scope.to) : "") +
           "&categories=" + UrlEncoded(category);
}

std::string BuildSpendingReport(Database& db, const ReportScope& scope)
{
    std::string body = Heading("Spending by Category", PeriodText(scope));
    SpendingFigures figures = SpendingByCategory(db, scope);
    if (figures.out.empty() && figures.in.empty())
        return body + NoTransactions;
    return body + SpendingPart(scope, "Money out", figures.out) +
           SpendingPart(scope, "Money in", figures.in);
}

std::string BuildCashflowReport(Database& db, const ReportScope& scope)
{
    std::string body = Heading("Income and Expenses", PeriodText(scope));
    std::vector<MonthFlow> months = IncomeAndExpenses(db, scope);
    if (months.empty())
        return body + NoTransactions;
    std::vector<ChartColumn> columns;
    std::string rows;
    MonthFlow total;
    for (const MonthFlow& month : months)
    {
        std::string label = FormatMonthYear(month.year, month.month);
        columns.push_back({IsoMonth(month.year, month.month), {month.in, month.out, month.Net()}});
        rows += "<tr>" + Cell(label) + Cell(Money(month.in), true) + Cell(Money(month.out), true) +
                Cell(Money(month.Net()), true) + "</tr>";
        total.in += month.in;
        total.out += month.out;
    }
    body += ColumnLineChart({{"Money in", false}, {"Money out", false}, {"Net", true}}, columns);
    return body + "<table><tr>" + Cell("Month", false, true) + Cell("Money in", true, true) +
           Cell("Money out", true, true) + Cell("Net", true, true) + "</tr>" + rows + "<tr>" +
           Cell("Total", false, true) + Cell(Money(total.in), true, true) +
           Cell(Money(total.out), true, true) + Cell(Money(total.Net()), true, true) +
           "</tr></table>";
}

std::string BuildNetWorthReport(Database& db, const ReportScope& scope, DateTime today)
{
    std::string body = Heading("Net Worth", PeriodText(scope));
    std::vector<NetWorthPoint> points = NetWorth(db, scope, today);
    if (points.empty())
        return body + NoTransactions;
    body += "<p>Holdings count at their purchase price from their purchase date, and at their "
            "last price from this month on; loans count as what is still owed on them.</p>";
    std::vector<ChartColumn> columns;
    std::string rows;
    for (const NetWorthPoint& point : points)
    {
        std::string label = FormatShortDate(point.date);
        columns.push_back({label,
                           {point.total, point.bank, point.cash, point.creditCard, point.investment,
                            point.loan}});
        rows += "<tr>" + Cell(label);
        for (Currency value : columns.back().values)
            rows += Cell(Money(value), true);
        rows += "</tr>";
    }
    body += ColumnLineChart({{"Total", true},
                             {"Bank", true},
                             {"Cash", true},
                             {"Credit Card", true},
                             {"Investment", true},
                             {"Loan", true}},
                            columns);
    std::string heading = "<tr>" + Cell("Month end", false, true);
    for (const char* name : {"Total", "Bank", "Cash", "Credit Card", "Investment", "Loan"})
        heading += Cell(name, true, true);
    return body + "<table>" + heading + "</tr>" + rows + "</table>";
}

std::string BuildBudgetYearReport(Database& db, int year)
{
    std::string body = Heading("Budget for the Year", std::to_string(year));
    std::vector<BudgetMonthFigure> figures = BudgetForYear(db, year);
    if (figures.empty())
        return body + "<p style=\"text-align:center\">No budget for this year.</p>";
    // Groups by name, each with its months and its year's totals.
    std::map<std::string, std::map<int, const BudgetMonthFigure*>> groups;
    for (const BudgetMonthFigure& figure : figures)
        groups[figure.group][figure.month] = &figure;
    std::string table = "<table><tr>" + Cell("Group", false, true);
    for (int month = 1; month <= 12; ++month)
        table += Cell(FormatMonthYear(year, month), true, true);
    table += Cell("Year", true, true) + "</tr>";
    for (const auto& [group, months] : groups)
    {
        Currency budgeted;
        Currency actual;
        table += "<tr>" + Cell(group);
        for (int month = 1; month <= 12; ++month)
        {
            auto found = months.find(month);
            if (found == months.end())
            {
                table += "<td></td>";
                continue;
            }
            budgeted += found->second->budgeted;
            actual += found->second->actual;
            table += "<td style=\"text-align:right;white-space:nowrap\">" +
                     BudgetBar(found->second->budgeted, found->second->actual) + "<br>" +
                     HtmlEscape(Money(found->second->actual)) + "<br>" +
                     HtmlEscape(Money(found->second->budgeted)) + "</td>";
        }
        table += "<td style=\"text-align:right;white-space:nowrap\">" +
                 BudgetBar(budgeted, actual) + "<br>" + HtmlEscape(Money(actual)) + "<br>" +
                 HtmlEscape(Money(budgeted)) + "</td></tr>";
    }
    return body + "<p>Each cell: the bar, the actual amount, the budgeted amount.</p>" + table +
           "</table>";
}

void WriteSpendingFigures(const SpendingFigures& figures, std::ostream& out)
{
    for (const CategoryFigure& figure : figures.out)
        out << "out\t" << figure.category << "\t" << figure.amount.ToPointText() << "\n";
    for (const CategoryFigure& figure : figures.in)
        out << "in\t" << figure.category << "\t" << figure.amount.ToPointText() << "\n";
}

void WriteCashflowFigures(const std::vector<MonthFlow>& months, std::ostream& out)
{
    for (const MonthFlow& month : months)
        out << IsoMonth(month.year, month.month) << "\t" << month.in.ToPointText() << "\t"
            << month.out.ToPointText() << "\t" << month.Net().ToPointText() << "\n";
}

void WriteNetWorthFigures(const std::vector<NetWorthPoint>& points, std::ostream& out)
{
    for (const NetWorthPoint& point : points)
        out << IsoDay(point.date) << "\t" << point.total.ToPointText() << "\t"
            << point.bank.ToPointText() << "\t" << point.cash.ToPointText() << "\t"
            << point.creditCard.ToPointText() << "\t" << point.investment.ToPointText() << "\t"
            << point.loan.ToPointText() << "\n";
}

void WriteBudgetYearFigures(int year, const std::vector<BudgetMonthFigure>& figures,
                            std::ostream& out)
{
    for (const BudgetMonthFigure& figure : figures)
        out << IsoMonth(year, figure.month) << "\t" << figure.group << "\t"
            << figure.budgeted.ToPointText() << "\t" << figure.actual.ToPointText() << "\n";
}
