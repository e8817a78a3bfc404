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
    /// The longest all the requests of one update take together, however many holdings
    /// there are; a request without a reply by then has failed.
    long totalTimeoutMs = 15000;
};

/// What a quote update did.
struct QuoteUpdateResult
{
    std::size_t holdings = 0;   ///< Investment rows written before the loop ended
    std::size_t requests = 0;   ///< distinct symbols asked for
    std::size_t unanswered = 0; ///< requests that failed, timed out or got an HTTP error status
    std::size_t refused = 0;    ///< holdings whose reply gave an empty, zero, negative or
                                ///< not finite price
    bool failed = false;        ///< "Unable to update quotes." was shown
};

/// The Update Quotes command: under the status text "Updating quotes..." and the wait
/// cursor, fetches the quote of every distinct symbol of the Investment table at once (at
/// most maxParallel requests in flight, all of them within totalTimeoutMs), then in one
/// transaction sets each holding's LastPrice from a usable reply (one whose change is not
/// "N/A"; the price is read with "." as decimal point in every locale) and its Total to
/// LastPrice times Quantity (NULL read as 0). A holding keeps its LastPrice when its request
/// failed or when the price is empty, zero, negative or not finite; the others are still
/// written, and the update then ends with "Unable to update quotes.". A price that is no
/// number at all is an error that ends the loop with that message, the rows before it
/// staying written. The wait cursor ends; then every Investment account's balance is
/// recomputed, `refreshView` is called (the caller redraws the holdings list or the home
/// page when one of them is shown), and the status text goes.
QuoteUpdateResult UpdateQuotes(Database& db, UserInterface& ui, const QuoteService& service,
                               const std::function<void()>& refreshView = {},
                               const QuoteUpdateOptions& options = {});

/// The query whose rows the update walks, in the order it walks them.
extern const char* const QuoteUpdateQuery;
