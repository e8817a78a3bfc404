#include "budget/BudgetReport.h"

#include "budget/BudgetActual.h"
#include "data/Balances.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/ViewKind.h"

#include <charconv>
#include <ostream>

namespace
{
/// The grid shows group totals as currency.
Variant AsCurrency(const Variant& value)
{
    return value.ConvertTo(Variant::Kind::Currency);
}

std::optional<int> ParseWhole(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}
} // namespace

BudgetReport ReadBudgetReport(Database& db, int year, int period)
{
    BudgetReport report;
    BudgetFigures figures;
    Recordset lines;
    lines.Open("SELECT Category, Amount, Sequence, Year, Period, CategoryGroup FROM Budget WHERE "
               "Year = " +
                   std::to_string(year) + " AND Period = " + std::to_string(period) +
                   " ORDER BY CategoryGroup, Category",
               db, OpenMode::KeysetRead);
    for (; !lines.IsEOF(); lines.MoveNext())
    {
        // The grid starts a group where the group text changes.
        std::string group = lines.GetText("CategoryGroup");
        if (report.groups.empty() || report.groups.back().group != group)
            report.groups.push_back(BudgetReportGroup{group, {}, {}, {}});
        BudgetReportLine line;
        line.category = lines.GetText("Category");
        line.budgeted = lines.GetValue("Amount");
        // Actual first: the Difference follows from it.
        line.actual = figures.Actual(db, year, period, line.category);
        line.difference = figures.Difference(line.budgeted);
        report.groups.back().lines.push_back(std::move(line));
    }
    lines.Close();

    for (BudgetReportGroup& group : report.groups)
    {
        group.budgeted =
            AsCurrency(BudgetGroupTotal(db, year, period, group.group, BudgetColumn::Budgeted));
        group.actual =
            AsCurrency(BudgetGroupTotal(db, year, period, group.group, BudgetColumn::Actual));
    }

    TotalsContext totals;
    totals.kind = KindBudget;
    totals.year = year;
    totals.month = period;
    ComputeTotals(db, totals, report.budgeted, report.actual);
    return report;
}

void WriteBudgetReport(const BudgetReport& report, std::ostream& out)
{
    out << "Group\tCategory\tBudgeted\tActual\tDifference\n";
    for (const BudgetReportGroup& group : report.groups)
    {
        for (const BudgetReportLine& line : group.lines)
            out << group.group << '\t' << line.category << '\t' << line.budgeted.ToText() << '\t'
                << line.actual.ToText() << '\t' << line.difference.ToText() << '\n';
        out << group.group << "\tTotal\t" << group.budgeted.ToText() << '\t'
            << group.actual.ToText() << '\n';
    }
    out << "Month to date\t\t" << report.budgeted.ToText() << '\t' << report.actual.ToText()
        << '\n';
}

std::optional<BudgetPeriodArgument>
ParseBudgetPeriod(const std::string& year, const std::string& month, std::string& problem)
{
    std::optional<int> y = ParseWhole(year);
    if (!y || *y < 1000 || *y > 9999)
    {
        problem = "YEAR must be a four-digit year, got '" + year + "'";
        return std::nullopt;
    }
    std::optional<int> m = ParseWhole(month);
    if (!m || *m < 1 || *m > 12)
    {
        problem = "MONTH must be a month number 1 to 12, got '" + month + "'";
        return std::nullopt;
    }
    return BudgetPeriodArgument{*y, *m};
}
