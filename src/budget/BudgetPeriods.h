#pragma once

#include "data/Variant.h"

#include <string>

class Database;

/// Copies the latest earlier budget period that has lines into (year, period); nothing
/// happens when there is none.
void CopyPreviousBudget(Database& db, int year, int period);
/// The start-up copy: when (year, period) has no budget line at all, copies the latest
/// earlier budget into it; a period that has lines is left alone.
void CopyLastBudget(Database& db, int year, int period);
/// Makes the target period's budget a copy of the source period's lines; target lines the
/// source lacks are deleted and their transactions become "(none)".
void CopyBudget(Database& db, int fromYear, int fromPeriod, int toYear, int toPeriod);
/// Moves one stored transaction row to the next (+1) or previous (-1) budget period and
/// ensures a budget line there for the category shown in the register's current row.
void MoveTransactionPeriod(Database& db, int sequence, int subSequence, int direction,
                           const std::string& category);
