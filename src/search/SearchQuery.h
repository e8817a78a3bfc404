#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

/// What the Find field asks for: every condition must hold.
///
/// The language: words without a prefix must all occur (anywhere, ignoring case) in a row's
/// description, notes, category or check number; `"two words"` in double quotes is one word;
/// `amount:42.17` is that amount in or out, `amount:10..50` a range of the absolute amount
/// (either end may be left out: `amount:10..`, `amount:..50`); `from:2024-01-01` and
/// `to:2024-12-31` bound the day (both ends included); `account:Checking` is an account's
/// description or number, `category:Food` a category, both compared whole, ignoring case (a
/// value with blanks in double quotes: `account:"Visa Card"`). Prefixes ignore case.
struct SearchQuery
{
    std::vector<std::string> words;
    std::optional<Currency> amountFrom; ///< the least absolute amount
    std::optional<Currency> amountTo;   ///< the greatest absolute amount
    std::optional<DateTime> from;       ///< the first day
    std::optional<DateTime> to;         ///< the last day
    std::string account;                ///< empty: any account
    std::string category;               ///< empty: any category

    /// Whether the query asks for nothing at all (no word, no condition).
    bool IsEmpty() const;
};

/// Reads a query; on a mistake, the hint to show under the field, naming what is wrong:
/// "Unknown prefix 'amout:'; use amount:, from:, to:, account: or category:.",
/// "'12,5x' is not an amount; write it as 42.17 or 10..50.", "'2024-13-01' is not a date;
/// write it as YYYY-MM-DD.", "A closing double quote is missing.", "from: is after to:.".
/// Amounts are written with a point or a comma as the decimal mark, no grouping.
std::variant<SearchQuery, std::string> ParseSearchQuery(std::string_view text);
