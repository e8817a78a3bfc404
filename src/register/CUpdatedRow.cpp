#include "register/CUpdatedRow.h"

bool CUpdatedRow::Has(int column) const
{
    for (const Cell& cell : m_cells)
        if (cell.column == column)
            return true;
    return false;
}

std::optional<Variant> CUpdatedRow::Value(int column) const
{
    for (const Cell& cell : m_cells)
        if (cell.column == column)
            return cell.value;
    return std::nullopt;
}

void CUpdatedRow::Set(int column, const Variant& value)
{
    for (Cell& cell : m_cells)
        if (cell.column == column)
        {
            cell.value = value;
            return;
        }
    m_cells.push_back({column, value});
}

void CUpdatedRow::Clear()
{
    m_cells.clear();
    m_row = -1;
}
