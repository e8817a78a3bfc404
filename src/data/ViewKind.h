#pragma once

#include "data/Vocabulary.h"

#include <string>

/// What the right-hand side shows for a node of the account tree.
enum ViewKind : int
{
    KindNone = -1,
    KindHome = 0,               ///< browser: home page
    KindBudget = 1,             ///< grid: budget lines of the budget period
    KindAccountList = 2,        ///< grid: accounts of one type
    KindRegister = 3,           ///< grid: transactions of a Bank, Cash or Credit Card account
    KindInvestment = 4,         ///< grid: holdings of an Investment account
    KindLoan = 5,               ///< grid: loans of a Loan account
    KindReports = 6,            ///< browser: report list
    KindTransactionsReport = 7, ///< browser: transactions report parameters
    KindSpendingReport = 8,     ///< browser: Spending by Category parameters
    KindCashflowReport = 9,     ///< browser: Income and Expenses parameters
    KindNetWorthReport = 10,    ///< browser: Net Worth parameters
    KindBudgetYearReport = 11,  ///< browser: Budget for the Year parameters
    KindFind = 12,              ///< grid, read-only: what Find found in every account
    KindScheduled = 13          ///< grid: the schedules
};

/// The grid views of the tree's nodes: kinds 1 to 5 and the schedules.
constexpr int GridKinds[] = {KindBudget,     KindAccountList, KindRegister,
                             KindInvestment, KindLoan,        KindScheduled};

/// Whether a kind is one of GridKinds; the others show the browser pane, but Find's results.
inline bool IsGridKind(int kind)
{
    return (kind >= KindBudget && kind <= KindLoan) || kind == KindScheduled;
}

/// Whether a kind shows the grid: the grid kinds and Find's results.
inline bool ShowsGrid(int kind)
{
    return IsGridKind(kind) || kind == KindFind;
}

/// The view kind of an account of a type: "Investment" 4, "Loan" 5, any other type 3
/// (compared exactly, as the tree and the balances do).
inline int KindOfAccountType(const std::string& type)
{
    if (type == AccountType::Investment)
        return KindInvestment;
    if (type == AccountType::Loan)
        return KindLoan;
    return KindRegister;
}
