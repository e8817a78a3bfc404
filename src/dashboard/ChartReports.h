#pragma once

#include "dashboard/ReportFigures.h"

#include <iosfwd>
#include <string>

class Database;

/// The result pages of the chart reports: a heading with the period, the chart (inline SVG)
/// and the table of the same figures; "No transactions in this date range." for a period
/// without figures. Amounts are in the locale's money.
std::string BuildSpendingReport(Database& db, const ReportScope& scope);
std::string BuildCashflowReport(Database& db, const ReportScope& scope);
std::string BuildNetWorthReport(Database& db, const ReportScope& scope, DateTime today);
std::string BuildBudgetYearReport(Database& db, int year);

/// The same figures as tab-separated lines, amounts with a point and two decimals: spending
/// "out|in CATEGORY AMOUNT"; cash flow "YYYY-MM IN OUT NET"; net worth "YYYY-MM-DD TOTAL BANK
/// CASH CREDITCARD INVESTMENT LOAN"; budget "YYYY-MM GROUP BUDGETED ACTUAL".
void WriteSpendingFigures(const SpendingFigures& figures, std::ostream& out);
void WriteCashflowFigures(const std::vector<MonthFlow>& months, std::ostream& out);
void WriteNetWorthFigures(const std::vector<NetWorthPoint>& points, std::ostream& out);
void WriteBudgetYearFigures(int year, const std::vector<BudgetMonthFigure>& figures,
                            std::ostream& out);

/// The link a bar of Spending by Category leads to: the Transactions report of the category
/// over the period.
std::string TransactionsLink(const ReportScope& scope, const std::string& category);
