#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"

#include <optional>
#include <string>
#include <vector>

class Database;

/// The reports: the table of transactions and the four charts.
enum class ReportKind
{
    Transactions,
    Spending,
    Cashflow,
    NetWorth,
    Budget
};

/// What a chart report covers: the days from `from` to `to`, both included (without one, from
/// the first row or to the last), and the accounts (every account, or those that count in
/// the budget). A transfer whose two sides are both among the accounts is neither money in
/// nor money out.
struct ReportScope
{
    std::optional<DateTime> from;
    std::optional<DateTime> to;
    bool budgetAccounts = false;
};

/// One category's sum over the period, as a positive amount.
struct CategoryFigure
{
    std::string category;
    Currency amount;
};

/// Spending by Category: categories whose rows sum to money out, and those that sum to money
/// in, each largest first.
struct SpendingFigures
{
    std::vector<CategoryFigure> out;
    std::vector<CategoryFigure> in;
};
SpendingFigures SpendingByCategory(Database& db, const ReportScope& scope);

/// Income and Expenses: one month's money in and out (both positive) and its net.
struct MonthFlow
{
    int year = 0;
    int month = 0;
    Currency in;
    Currency out;
    Currency Net() const { return in - out; }
};
/// Every month of the period, those without rows too; empty when the period has no rows.
std::vector<MonthFlow> IncomeAndExpenses(Database& db, const ReportScope& scope);

/// Net Worth at one month end: the total and the part of each account type. Loans are what
/// is still owed, so they count negative.
struct NetWorthPoint
{
    DateTime date;
    Currency total;
    Currency bank;
    Currency cash;
    Currency creditCard;
    Currency investment;
    Currency loan;
};
/// Each month end of the period (the last one the period's end when the month is not over),
/// holdings valued at purchase price from their purchase date and at their last price from
/// the month of `today` on; empty when there is nothing to value.
std::vector<NetWorthPoint> NetWorth(Database& db, const ReportScope& scope, DateTime today);

/// Budget for the Year: a budget group's budgeted and actual figures in one month, as the
/// Budget view shows them.
struct BudgetMonthFigure
{
    int month = 0;
    std::string group;
    Currency budgeted;
    Currency actual;
};
/// Every month and group of the year that has budget lines, by month then group.
std::vector<BudgetMonthFigure> BudgetForYear(Database& db, int year);
