#pragma once

#include "data/Currency.h"
#include "data/Variant.h"

#include <cstdint>
#include <optional>

class Database;

/// The SubSequence the next part of a transaction gets: one more than its highest.
std::int32_t NextSubSequence(Database& db, std::int32_t sequence);

/// Splits one part of a transaction (Sequence, SubSequence; a part stored without a
/// SubSequence is addressed as 0): the part keeps the first amount and everything else, and
/// a copy of it with the second amount is added as the transaction's next part, its
/// description followed by " (split #n)" within 50 characters. Both rows are written or
/// neither. Returns the new part's SubSequence; nullopt, changing nothing, when no part has
/// that address.
std::optional<std::int32_t> SplitTransaction(Database& db, std::int32_t sequence,
                                             std::int32_t subSequence, const Variant& first,
                                             const Variant& second);

/// Splits the second amount off a part: SplitTransaction with the first amount being what
/// is left of the part's amount, as the Split Transaction dialog gives it.
std::optional<std::int32_t> SplitOff(Database& db, std::int32_t sequence, std::int32_t subSequence,
                                     Currency second);

/// The first amount that goes with a second one: what is left of the total. A total that
/// is NULL counts as 0.
Currency FirstSplitAmount(const Variant& total, Currency second);
