#pragma once

#include "data/Currency.h"

#include <string>

struct BudgetReport;

/// A small bar (inline SVG): an outline as long as the budget and a filled bar as long as
/// the spending, both on the scale of the larger; spending beyond the budget is drawn red.
std::string BudgetBar(Currency budgeted, Currency actual);

/// The rows of the home page's "This month" box: the period's name, then per budget group
/// a bar of actual spending against the budgeted amount with both figures beside it. With
/// no budget lines, one row linking to the Budget view instead.
std::string MonthPictureRows(const BudgetReport& report, int year, int period);
