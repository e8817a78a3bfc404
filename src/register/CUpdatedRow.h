#pragma once

#include "data/Variant.h"

#include <optional>
#include <vector>

/// The edited cells of one grid row, kept until the row is written or dropped.
class CUpdatedRow
{
public:
    /// The grid row the cells belong to; -1 when empty.
    int Row() const { return m_row; }
    void SetRow(int row) { m_row = row; }

    bool Has(int column) const;
    /// The changed value of a column; nothing when the column was not changed.
    std::optional<Variant> Value(int column) const;
    /// Replaces the column's value, or adds the column after the ones changed before.
    void Set(int column, const Variant& value);
    /// Forgets every changed cell; the row becomes -1.
    void Clear();
    bool Empty() const { return m_cells.empty(); }

private:
    struct Cell
    {
        int column;
        Variant value;
    };
    int m_row = -1;
    std::vector<Cell> m_cells; ///< in the order the columns were first changed
};
