#pragma once

class Database;
class QvGrid;
class UserInterface;

/// The Scheduled view's rows as the grid writes them: checked before the write (the defaults
/// filled in, a refusal shown with the cursor put in its cell) and their rule stored from
/// their words in the transaction that writes them.
namespace ScheduleGridRows
{
/// Whether the grid's row may be written; false (the reason shown) keeps it pending.
bool Validate(Database& db, QvGrid& grid, int row, UserInterface& ui);
/// In the write's transaction: the rule and next occurrence of the row just written.
void Store(Database& db, QvGrid& grid, int row);
/// The schedule's ID of a row; 0 for the new-record row.
int ScheduleIdOfRow(const QvGrid& grid, int row);
} // namespace ScheduleGridRows
