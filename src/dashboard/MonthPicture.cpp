#include "dashboard/MonthPicture.h"

#include "budget/BudgetReport.h"
#include "dashboard/HtmlEscape.h"
#include "data/Regional.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int BarWidth = 160;
constexpr int BarHeight = 12;

int Scaled(std::int64_t units, std::int64_t most)
{
    if (most <= 0)
        return 0;
    double share = static_cast<double>(units) / static_cast<double>(most);
    return static_cast<int>(std::lround(BarWidth * std::clamp(share, 0.0, 1.0)));
}

std::string Cell(const std::string& content, bool right = false)
{
    return std::string("<td class='menuText'") + (right ? " align='right'" : "") + ">" + content +
           "</td>";
}
} // namespace

/// The bar: an outline as long as the budget and a filled bar as long as the spending, both
/// on the scale of the larger; spending beyond the budget is drawn in red. Spending counts
/// in the direction of the budgeted amount (budgets of expenses are negative), so a refund
/// against an expense budget draws no bar.
std::string BudgetBar(Currency budgeted, Currency actual)
{
    std::int64_t plan = budgeted.Units() < 0 ? -budgeted.Units() : budgeted.Units();
    int direction = budgeted.Units() < 0   ? -1
                    : budgeted.Units() > 0 ? 1
                    : actual.Units() < 0   ? -1
                                           : 1;
    std::int64_t spent = std::max<std::int64_t>(0, actual.Units() * direction);
    std::int64_t most = std::max(plan, spent);
    int planWidth = most == 0 ? BarWidth : Scaled(plan, most);
    int spentWidth = Scaled(spent, most);
    const char* colour = spent > plan ? "#c0392b" : "#7b869c";
    std::string w = std::to_string(BarWidth);
    std::string h = std::to_string(BarHeight);
    return "<svg width='" + w + "' height='" + h + "' viewBox='0 0 " + w + " " + h +
           "' role='img'><rect x='0' y='3' width='" + std::to_string(spentWidth) +
           "' height='6' fill='" + colour + "'/><rect x='0.5' y='0.5' width='" +
           std::to_string(std::max(planWidth, 1) - 1) + "' height='" +
           std::to_string(BarHeight - 1) +
           "' fill='none' stroke='#000000' stroke-width='1'/></svg>";
}

std::string MonthPictureRows(const BudgetReport& report, int year, int period)
{
    std::string rows = "<tr><td class='menuText' colspan='4'><b>" +
                       HtmlEscape(FormatMonthYear(year, period)) + "</b></td></tr>\n";
    if (report.groups.empty())
        return rows + "<tr><td class='menuText' colspan='4'><a href='event://gotoBudget'>No "
                      "budget for this month.</a></td></tr>\n";
    rows += "<tr>" + Cell("<b>Group</b>") + Cell("") + Cell("<b>Actual</b>", true) +
            Cell("<b>Budgeted</b>", true) + "</tr>\n";
    for (const BudgetReportGroup& group : report.groups)
    {
        Currency budgeted = group.budgeted.ToCurrency();
        Currency actual = group.actual.ToCurrency();
        rows += "<tr>" + Cell(HtmlEscape(group.group)) + Cell(BudgetBar(budgeted, actual)) +
                Cell(HtmlEscape(FormatCurrency(actual)), true) +
                Cell(HtmlEscape(FormatCurrency(budgeted)), true) + "</tr>\n";
    }
    return rows;
}
