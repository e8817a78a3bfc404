#pragma once

#include "data/Variant.h"

#include <cstdint>
#include <optional>
#include <string>

class Database;

/// Adds the budget line (year, period, category) with the group and amount unless it exists.
void EnsureBudgetLine(Database& db, const std::string& category, int year, int period,
                      const std::string& group, const Variant& amount);

/// What a stored budget line holds besides its period.
struct BudgetLineValues
{
    std::int32_t sequence = 0;
    std::string category; ///< as stored, whatever case it was looked up in
    std::string group;
    Variant amount;
};

/// Removes the period's line of the category (compared ignoring case; of several, the one
/// numbered first) and returns what it held, for a line that takes its place; nullopt, and
/// nothing removed, when the period has no numbered line of that category.
std::optional<BudgetLineValues> TakeBudgetLine(Database& db, const std::string& category, int year,
                                               int period);
