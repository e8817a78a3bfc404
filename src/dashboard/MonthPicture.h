#pragma once

#include <string>

struct BudgetReport;

/// The rows of the home page's "This month" box: the period's name, then per budget group
/// a bar of actual spending against the budgeted amount with both figures beside it. With
/// no budget lines, one row linking to the Budget view instead.
std::string MonthPictureRows(const BudgetReport& report, int year, int period);
