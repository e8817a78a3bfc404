#pragma once

#include "dashboard/ReportFigures.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Database;

/// A chart report's title ("Spending by Category") and its name in links and on the command
/// line ("spending").
std::string ChartReportTitle(ReportKind kind);
std::string ChartReportName(ReportKind kind);

/// The body of a chart report's parameters page: the Date filter (This month, Last month,
/// This year, Last year, Last 12 months, Custom) filling Start and End in the short date
/// format, the accounts (all or the budget's) and Preview, which sends "PreviewChart" with
/// "Report=NAME", "StartDate=...", "EndDate=..." and "Accounts=all|budget". The ranges are
/// counted from the local date of `now`.
std::string BuildChartParametersPage(ReportKind kind, std::int64_t now);

/// What Preview asks for.
struct ChartRequest
{
    ReportKind kind = ReportKind::Spending;
    ReportScope scope;
};

/// Reads Preview's arguments by name; an empty date leaves that end open. nullopt for an
/// unknown report or a date that cannot be read (the page is not shown then).
std::optional<ChartRequest> ReadChartRequest(const std::vector<std::string>& arguments);

/// The result page of a chart report; the Budget for the Year is of the start's year (else
/// of `today`'s), `today` values the holdings.
std::string BuildChartReport(Database& db, const ChartRequest& request, DateTime today);
