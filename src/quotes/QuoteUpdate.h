#pragma once

#include "quotes/FetchUrlText.h"

#include <cstddef>
#include <functional>
#include <string>

class Database;
class QuoteService;
class UserInterface;
struct QuoteRecord;

/// Fills the quote record for the symbol in its field 0 from the service.
void FetchQuote(const QuoteService& service, QuoteRecord& record, const FetchLimits& limits = {});

/// How the quote update reaches the service.
struct QuoteUpdateOptions
{
    FetchLimits limits;
    std::size_t maxParallel = 8; ///< requests in flight at once
};

/// What a quote update did.
struct QuoteUpdateResult
{
    std::size_t holdings = 0; ///< Investment rows written before the loop ended
    std::size_t requests = 0; ///< distinct symbols asked for
    bool failed = false;      ///< an error ended the loop; "Unable to update quotes." was shown
};

/// The Update Quotes command: under the status text "Updating quotes..." and the wait
/// cursor, fetches the quote of every distinct symbol of the Investment table at once (at
/// most maxParallel requests in flight), then in one transaction sets each holding's
/// LastPrice from a usable reply (one whose change is not "N/A"; the price is read with "."
/// as decimal point in every locale, an empty price is NULL) and its Total to LastPrice
/// times Quantity (NULL read as 0). An error ends that loop with "Unable to update quotes.",
/// the rows before it staying written. The wait cursor ends; then every Investment
/// account's balance is recomputed, `refreshView` is called (the caller redraws the
/// holdings list or the home page when one of them is shown), and the status text goes.
QuoteUpdateResult UpdateQuotes(Database& db, UserInterface& ui, const QuoteService& service,
                               const std::function<void()>& refreshView = {},
                               const QuoteUpdateOptions& options = {});

/// The query whose rows the update walks, in the order it walks them.
extern const char* const QuoteUpdateQuery;
