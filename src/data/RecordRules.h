#pragma once

#include "data/Variant.h"

#include <string>

class Database;

/// The cells of the grid's current row, by the column index of the view's query.
class RowCells
{
public:
    virtual ~RowCells() = default;
    /// The cell's text; empty for an empty cell.
    virtual std::string CellText(int column) const = 0;
    /// Sets the cell so that the value is written with the row.
    virtual void SetCellText(int column, const std::string& text) = 0;
    /// The cell's value; by default its text, NULL when the text is empty.
    virtual Variant CellValue(int column) const;
};

/// What the record rules need of the View.
struct RecordContext
{
    int kind = -1;                ///< the view kind
    int year = 0;                 ///< budget period
    int month = 0;                ///< budget period
    std::string accountType;      ///< account type in context (the type node's text)
    std::string currentAccountId; ///< CurrentAccountID
    bool newRow = false;          ///< the row is not stored yet
};

/// Whether the current row may be written; fills in its defaults when it may. On false,
/// column and message name the cell in error and the text to show. A new budget line for a
/// category its month already holds takes the stored line's place, which is removed.
bool ValidateRow(Database& db, const RecordContext& context, RowCells& row, int& column,
                 std::string& message);

/// Adds the budget line that a register row of the account needs for its category in its
/// period, unless the period has it; a transfer between two registers that count in the
/// budget is no spending and needs none.
void EnsureRowBudgetLine(Database& db, const std::string& accountId, const std::string& category,
                         int year, int month);

/// What else changes before the grid deletes its current row: in the Budget view, the
/// period's transactions of the line's category become "(none)".
void DeleteRecord(Database& db, const RecordContext& context, bool gridHasFocus,
                  const RowCells& row);
