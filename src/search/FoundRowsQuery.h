#pragma once

#include "search/TransactionSearch.h"

#include <string>
#include <vector>

/// The columns of the Find results grid, in the order of FoundRowsQuery's fields.
namespace FoundColumn
{
constexpr int PostDate = 0;
constexpr int Account = 1; ///< the account's description
constexpr int Description = 2;
constexpr int Amount = 3;
constexpr int CheckId = 4;
constexpr int Category = 5;
constexpr int Notes = 6; ///< PayeeName AS Notes
constexpr int AccountId = 7;
constexpr int Sequence = 8;
constexpr int SubSequence = 9;
constexpr int Year = 10;
constexpr int Period = 11;
constexpr int Count = 12;
} // namespace FoundColumn

/// The query the Find results grid reads: the found rows by their row numbers, newest first,
/// with the account's description and what going to a row needs (account, sequence, period).
std::string FoundRowsQuery(const std::vector<FoundTransaction>& rows);
