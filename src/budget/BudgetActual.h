#pragma once

#include "data/Variant.h"
#include "data/ViewColumns.h"

#include <string>

class Database;
class RowCells;

/// What was spent on a category in the budget period: the sum over the period's
/// transactions of accounts in the budget; NULL when there are none.
Variant BudgetActual(Database& db, int year, int period, const std::string& category);

/// A group's total for the Budget view's column 1 (budgeted, NULL when no line has an amount)
/// or any other column (actual; 0 when nothing was spent on the group's categories).
Variant BudgetGroupTotal(Database& db, int year, int period, const std::string& group, int column);

/// Outstanding amount of a loan: original minus paid, as currency.
Variant LoanBalance(const Variant& originalAmount, const Variant& paidAmount);

/// The hint of a budget line: the count of its transactions, then date, description and
/// amount of each.
std::string BudgetHintText(Database& db, int year, int period, const std::string& category);
/// The cell hint request: the hint of the row's budget line in the Budget view when the
/// grid's current row is not the new-record row (row 0); otherwise empty.
std::string BudgetCellHint(Database& db, int kind, int currentRow, int year, int period,
                           const RowCells& row);

/// The computed cells of the Budget and Loan views. The Difference of a row is taken from
/// the Actual computed just before it, so the grid asks for column 6 before column 7.
class BudgetFigures
{
public:
    /// The Actual of a budget line, remembered (NULL as 0) for the Difference that follows.
    Variant Actual(Database& db, int year, int period, const std::string& category);
    /// The last Actual minus the budgeted amount, as currency.
    Variant Difference(const Variant& budgeted) const;

    /// Fills a computed cell: Budget view columns 6 and 7, Loan view column 6. Any other
    /// view or column leaves the value untouched.
    void ComputeCell(Database& db, int kind, int year, int period, const RowCells& row, int column,
                     Variant& value);

private:
    Currency m_lastActual; ///< starts empty, which counts as 0
};
