#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"
#include "search/SearchQuery.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Database;

/// A transaction Find shows.
struct FoundTransaction
{
    std::int64_t rowId = 0; ///< the engine's row number of the transaction
    DateTime date;
    std::string accountId;
    std::string account; ///< the account's description
    std::int32_t sequence = 0;
    std::int32_t subSequence = 0;
    std::string description;
    std::optional<Currency> amount; ///< nullopt for a row without one
    std::string checkId;
    std::string category;
    std::string notes;
};

/// What a search found: its first rows, newest first, and the count and sum of all.
struct SearchResult
{
    std::vector<FoundTransaction> rows;
    std::size_t count = 0;
    Currency total;
};

/// Every transaction of every account that the query matches, newest first (by day, then
/// the newest row of a day first), at most `limit` of them; the count and total cover all.
/// Words of three or more characters are found through the index TransSearch (case folded
/// as Unicode does; accents count: "cafe" does not find "Café", "CAFÉ" does); shorter ones
/// by reading the texts, ignoring the case of ASCII letters only.
SearchResult FindTransactions(Database& db, const SearchQuery& query, std::size_t limit);
