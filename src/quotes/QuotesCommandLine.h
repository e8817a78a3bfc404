#pragma once

#include "quotes/QuoteService.h"

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <variant>

class Database;

/// What `tallybrook-cli quotes` was asked for; what is not given comes from the settings.
struct QuotesCommandLine
{
    std::optional<QuoteServiceKind> service; ///< --service csv|stooq
    std::optional<std::string> url;          ///< --url BASE
};

/// Reads "[--service csv|stooq] [--url BASE]"; on a mistake, the text that names it.
std::variant<QuotesCommandLine, std::string>
ParseQuotesCommandLine(std::span<const std::string> args);

/// Runs the quote update as the Update Quotes command does, its message going to err, then
/// prints "SYMBOL<TAB>LASTPRICE<TAB>TOTAL" per Investment row in the update's order (values
/// in the locale's form, NULL empty). Returns 0, or 1 when the update reported an error.
int RunQuotesCommandLine(Database& db, const QuotesCommandLine& command, std::ostream& out,
                         std::ostream& err);
