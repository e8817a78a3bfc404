#pragma once

#include "data/Variant.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

class Database;

/// One budget line as the Budget view shows it.
struct BudgetReportLine
{
    std::string category;
    Variant budgeted;   ///< the stored amount
    Variant actual;     ///< NULL when the period has no transactions of the category
    Variant difference; ///< actual (NULL as 0) minus budgeted
};

/// The lines of one category group, in the view's order, with the group's totals.
struct BudgetReportGroup
{
    std::string group;
    std::vector<BudgetReportLine> lines;
    Variant budgeted; ///< the group's budgeted total, as currency
    Variant actual;   ///< the group's actual total, as currency
};

/// The budget of one period as the Budget view shows it, with its month-to-date totals.
struct BudgetReport
{
    std::vector<BudgetReportGroup> groups;
    Variant budgeted; ///< NULL when the period has no lines
    Variant actual;   ///< NULL when the period has no transactions in the budget
};

/// Reads the budget of (year, period) through the view's own query and figures.
BudgetReport ReadBudgetReport(Database& db, int year, int period);

/// Writes the report as tab-separated lines: a heading, each group's lines and totals, and
/// the month-to-date totals.
void WriteBudgetReport(const BudgetReport& report, std::ostream& out);

/// A budget period typed as text.
struct BudgetPeriodArgument
{
    int year = 0;
    int period = 0;
};

/// Reads a four-digit year and a month number 1 to 12; on failure, the problem's text.
std::optional<BudgetPeriodArgument>
ParseBudgetPeriod(const std::string& year, const std::string& month, std::string& problem);
