#pragma once

#include "search/TransactionSearch.h"

#include <cstdint>
#include <optional>
#include <string>

class Database;
class QvGrid;
class wxStaticText;
class wxTextCtrl;

/// Where a found row is filed: what going to it in its register needs.
struct FoundRowPlace
{
    std::string accountId;
    std::int32_t sequence = 0;
    std::int32_t subSequence = 0;
    int year = 0;
    int period = 0;
};

/// Shows what Find found in the main window's grid, read-only: Date, Account, Description,
/// Amount, Check #, Category, Notes, newest first; the totals line counts every row found
/// and shows the sum of their amounts under Amount. False when the grid kept a row being
/// typed that could not be written (its reason shown).
bool ShowFoundRows(QvGrid& grid, Database& db, const SearchResult& result, wxStaticText& label,
                   wxTextCtrl& total);
/// Sizes the results' columns to the grid's width, the total under Amount.
void ApplyFoundColumnWidths(QvGrid& grid, wxTextCtrl& total);
/// The place of the found row a grid row shows; nullopt for a row that shows none.
std::optional<FoundRowPlace> FoundRowAt(const QvGrid& grid, int row);
