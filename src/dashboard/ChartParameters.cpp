#include "dashboard/ChartParameters.h"

#include "dashboard/ChartReports.h"
#include "dashboard/PageTemplate.h"
#include "data/DateTime.h"
#include "data/Regional.h"

namespace
{
struct ChartName
{
    ReportKind kind;
    const char* name;
    const char* title;
};
const ChartName Charts[] = {{ReportKind::Spending, "spending", "Spending by Category"},
                            {ReportKind::Cashflow, "cashflow", "Income and Expenses"},
                            {ReportKind::NetWorth, "networth", "Net Worth"},
                            {ReportKind::Budget, "budget", "Budget for the Year"}};

std::string First(int year, int month)
{
    return FormatShortDate(DateTime{year, month, 1, 0, 0, 0});
}

std::string Last(int year, int month)
{
    return FormatShortDate(DateTime{year, month, DaysInMonth(year, month), 0, 0, 0});
}

/// The text after "name=" of the argument with that name; "" when there is none.
std::string Named(const std::vector<std::string>& arguments, const std::string& name)
{
    for (const std::string& argument : arguments)
        if (argument.starts_with(name + "="))
            return argument.substr(name.size() + 1);
    return "";
}

/// An empty text is an open end; a text that is no date is a mistake.
bool ReadDate(const std::string& text, std::optional<DateTime>& date)
{
    if (text.empty())
        return true;
    date = ParseDate(text);
    return date.has_value();
}
} // namespace

std::string ChartReportTitle(ReportKind kind)
{
    for (const ChartName& chart : Charts)
        if (chart.kind == kind)
            return chart.title;
    return "Transactions Report";
}

std::string ChartReportName(ReportKind kind)
{
    for (const ChartName& chart : Charts)
        if (chart.kind == kind)
            return chart.name;
    return "transactions";
}

std::string BuildChartParametersPage(ReportKind kind, std::int64_t now)
{
    DateTime today = ToLocalCalendar(now);
    int lastMonthYear = today.month == 1 ? today.year - 1 : today.year;
    int lastMonth = today.month == 1 ? 12 : today.month - 1;
    int twelveYear = today.month == 12 ? today.year : today.year - 1;
    int twelveMonth = today.month == 12 ? 1 : today.month + 1;
    return FillTemplate(ChartParametersPageTemplate(),
                        {{"%title%", ChartReportTitle(kind)},
                         {"%report%", ChartReportName(kind)},
                         {"%month_start%", First(today.year, today.month)},
                         {"%month_end%", Last(today.year, today.month)},
                         {"%last_month_start%", First(lastMonthYear, lastMonth)},
                         {"%last_month_end%", Last(lastMonthYear, lastMonth)},
                         {"%year_start%", First(today.year, 1)},
                         {"%year_end%", Last(today.year, 12)},
                         {"%last_year_start%", First(today.year - 1, 1)},
                         {"%last_year_end%", Last(today.year - 1, 12)},
                         {"%twelve_start%", First(twelveYear, twelveMonth)},
                         {"%twelve_end%", Last(today.year, today.month)}});
}

std::optional<ChartRequest> ReadChartRequest(const std::vector<std::string>& arguments)
{
    ChartRequest request;
    std::string name = Named(arguments, "Report");
    const ChartName* chart = nullptr;
    for (const ChartName& known : Charts)
        if (name == known.name)
            chart = &known;
    if (!chart)
        return std::nullopt;
    request.kind = chart->kind;
    request.scope.budgetAccounts = Named(arguments, "Accounts") == "budget";
    if (!ReadDate(Named(arguments, "StartDate"), request.scope.from) ||
        !ReadDate(Named(arguments, "EndDate"), request.scope.to))
        return std::nullopt;
    return request;
}

std::string BuildChartReport(Database& db, const ChartRequest& request, DateTime today)
{
    switch (request.kind)
    {
    case ReportKind::Cashflow:
        return BuildCashflowReport(db, request.scope);
    case ReportKind::NetWorth:
        return BuildNetWorthReport(db, request.scope, today);
    case ReportKind::Budget:
        return BuildBudgetYearReport(db,
                                     request.scope.from ? request.scope.from->year : today.year);
    default:
        return BuildSpendingReport(db, request.scope);
    }
}
