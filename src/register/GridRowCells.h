#pragma once

#include "data/RecordRules.h"

class QvGrid;

/// The cells of one row of the register grid, for the record rules and the budget figures.
class GridRowCells : public RowCells
{
public:
    GridRowCells(QvGrid& grid, int row) : m_grid(grid), m_row(row) {}

    std::string CellText(int column) const override;
    /// Sets the cell as if typed, so that the value is written with the row.
    void SetCellText(int column, const std::string& text) override;
    Variant CellValue(int column) const override;

private:
    QvGrid& m_grid;
    int m_row;
};
