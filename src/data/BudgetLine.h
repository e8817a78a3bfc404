#pragma once

#include <string>

class Database;
class Variant;

/// Adds the budget line (year, period, category) with the group and amount unless it exists.
void EnsureBudgetLine(Database& db, const std::string& category, int year, int period,
                      const std::string& group, const Variant& amount);
