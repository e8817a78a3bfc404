#include "register/ScheduleGridRows.h"

#include "base/UserInterface.h"
#include "data/Database.h"
#include "data/Statement.h"
#include "data/ViewColumns.h"
#include "register/QvGrid.h"
#include "schedule/ScheduleRow.h"

namespace
{
void FillDefault(QvGrid& grid, int row, int column, const char* text)
{
    if (grid.CellTextValue(row, column).empty())
        grid.SetCellVariant(row, column, Variant::FromText(text));
}

ScheduleRowTexts TextsOfRow(const QvGrid& grid, int row)
{
    ScheduleRowTexts texts;
    Variant next = grid.CellValue(row, ScheduleColumn::NextDate);
    if (!next.IsNull())
        texts.nextDate = next.ToDate();
    texts.accountId = grid.CellTextValue(row, ScheduleColumn::AccountId);
    texts.description = grid.CellTextValue(row, ScheduleColumn::Description);
    Variant amount = grid.CellValue(row, ScheduleColumn::Amount);
    if (!amount.IsNull())
        texts.amount = amount.ToCurrency();
    texts.category = grid.CellTextValue(row, ScheduleColumn::Category);
    texts.repeats = grid.CellTextValue(row, ScheduleColumn::Repeats);
    texts.entry = grid.CellTextValue(row, ScheduleColumn::Entry);
    return texts;
}
} // namespace

namespace ScheduleGridRows
{
int ScheduleIdOfRow(const QvGrid& grid, int row)
{
    if (grid.DataSource().RecordOfRow(row) < 0)
        return 0;
    Variant id = grid.CellValue(row, ScheduleColumn::ScheduleId);
    return id.IsNull() ? 0 : id.ToLong();
}

bool Validate(Database& db, QvGrid& grid, int row, UserInterface& ui)
{
    FillDefault(grid, row, ScheduleColumn::Repeats, "Monthly");
    FillDefault(grid, row, ScheduleColumn::Entry, EntryAutomatic);
    std::optional<Schedule> stored;
    if (int id = ScheduleIdOfRow(grid, row))
        stored = ReadSchedule(db, id);
    auto schedule = ScheduleOfRow(db, stored, TextsOfRow(grid, row));
    const auto* refusal = std::get_if<ScheduleRowRefusal>(&schedule);
    if (!refusal)
        return true;
    ui.ShowMessage(refusal->message, UserInterface::Icon::Stop);
    grid.GoToCell(row, refusal->column);
    return false;
}

void Store(Database& db, QvGrid& grid, int row)
{
    int id = ScheduleIdOfRow(grid, row);
    if (id == 0)
    {
        // The row the grid has just added: the newest, under the write lock.
        Statement newest(db.Handle(), "SELECT MAX(ScheduleID) FROM Schedule");
        if (newest.Step())
            id = static_cast<int>(newest.ColumnInt64(0));
    }
    StoreScheduleRow(db, id);
}
} // namespace ScheduleGridRows
