#include "register/GridRowCells.h"

#include "register/QvGrid.h"

std::string GridRowCells::CellText(int column) const
{
    return m_grid.CellTextValue(m_row, column);
}

void GridRowCells::SetCellText(int column, const std::string& text)
{
    m_grid.DataSource().SetCellText(column, m_row, text);
    if (m_row >= 0 && m_row < m_grid.GetNumberRows())
        m_grid.RefreshBlock(m_row, 0, m_row, std::max(0, m_grid.GetNumberCols() - 1));
}

Variant GridRowCells::CellValue(int column) const
{
    return m_grid.CellValue(m_row, column);
}
