#pragma once

#include "data/Variant.h"

#include <string>

class Database;

/// Recomputes Account.CurrentBalance of one account from its transactions (kind 3), loans
/// (kind 5) or holdings (kind 4); other kinds do nothing.
void UpdateCurrentBalance(Database& db, int kind, const std::string& accountId);

/// What the totals line below the grid is computed for: the View's state.
struct TotalsContext
{
    int kind = -1;           ///< the view kind
    int year = 0;            ///< budget period
    int month = 0;           ///< budget period
    std::string accountType; ///< account type in context (account list)
    std::string accountId;   ///< CurrentAccountID (register, investments)
    int currentSequence = 0; ///< CurrentSequence (register)
};

/// The two figures of the totals line for the view; a figure that does not apply, or a sum
/// over no rows, is NULL.
void ComputeTotals(Database& db, const TotalsContext& context, Variant& first, Variant& second);
