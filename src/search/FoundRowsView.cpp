#include "search/FoundRowsView.h"

#include "data/Regional.h"
#include "gui/WxText.h"
#include "register/QvGrid.h"
#include "search/FoundRowsQuery.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <array>
#include <memory>

namespace
{
const std::array<const char*, 7> Headings = {"Date",    "Account",  "Description", "Amount",
                                             "Check #", "Category", "Notes"};
// Shares of the grid's width; Notes takes what is left.
const std::array<double, 6> WidthFractions = {0.11, 0.15, 0.26, 0.12, 0.07, 0.13};

std::string CountText(std::size_t count)
{
    return std::to_string(count) + " found:";
}
} // namespace

bool ShowFoundRows(QvGrid& grid, Database& db, const SearchResult& result, wxStaticText& label,
                   wxTextCtrl& total)
{
    std::string sql = FoundRowsQuery(result.rows);
    auto recordset = std::make_unique<Recordset>();
    recordset->Open(sql, db, OpenMode::KeysetRead);
    grid.PaintingOff();
    if (!grid.BindRecordset(std::move(recordset), sql))
    {
        grid.PaintingOn();
        return false;
    }
    for (std::size_t col = 0; col < Headings.size(); ++col)
    {
        grid.SetHeading(static_cast<int>(col), Headings[col]);
        grid.SetColumnReadOnly(static_cast<int>(col));
    }
    grid.SetColumnCurrency(FoundColumn::Amount);
    for (int col = FoundColumn::AccountId; col < FoundColumn::Count; ++col)
        grid.SetColumnHidden(col);
    label.SetLabel(ToWx(CountText(result.count)));
    total.ChangeValue(result.count == 0 ? wxString() : ToWx(FormatCurrency(result.total)));
    grid.AdjustScrollbars();
    ApplyFoundColumnWidths(grid, total);
    grid.PaintingOn();
    return true;
}

void ApplyFoundColumnWidths(QvGrid& grid, wxTextCtrl& total)
{
    for (std::size_t col = 0; col < WidthFractions.size(); ++col)
        grid.SetWidthFraction(static_cast<int>(col), WidthFractions[col]);
    grid.StretchLastColumn();
    grid.PlaceUnderColumn(&total, FoundColumn::Amount);
}

std::optional<FoundRowPlace> FoundRowAt(const QvGrid& grid, int row)
{
    if (!grid.IsBound() || grid.LogicalColumnCount() < FoundColumn::Count || row < 0 ||
        row >= grid.GetNumberRows())
        return std::nullopt;
    Variant account = grid.CellValue(row, FoundColumn::AccountId);
    if (account.IsNull())
        return std::nullopt;
    auto number = [&grid, row](int col)
    {
        Variant value = grid.CellValue(row, col);
        return value.IsNull() ? 0 : value.ToLong();
    };
    return FoundRowPlace{account.ToText(), number(FoundColumn::Sequence),
                         number(FoundColumn::SubSequence), number(FoundColumn::Year),
                         number(FoundColumn::Period)};
}
