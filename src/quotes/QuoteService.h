#pragma once

#include <memory>
#include <optional>
#include <string>

struct QuoteRecord;

/// Where quotes come from: the address to ask for a symbol and how to read the answer into
/// a quote record. The quote update does not know which service answered.
class QuoteService
{
public:
    virtual ~QuoteService() = default;
    /// The request address for a symbol; "" when nothing is to be fetched.
    virtual std::string RequestUrl(const std::string& symbol) const = 0;
    /// Fills the record, whose field 0 holds the symbol, from a reply ("" when nothing
    /// came); a reply that cannot be used gives the record its defaults.
    virtual void ReadReply(const std::string& reply, QuoteRecord& record) const = 0;
};

/// The services the setting QuoteService of section Settings names.
enum class QuoteServiceKind
{
    Csv,  ///< the twelve-field CSV protocol at the address in QuoteUrl
    Stooq ///< the free CSV quotes of stooq.com
};

/// "csv" or "stooq" (any case); "" is stooq, the default; anything else nullopt.
std::optional<QuoteServiceKind> ParseQuoteServiceName(const std::string& name);

/// A service of a kind at a base address (scheme and host, perhaps a path). An empty
/// address gives stooq its public one; the CSV service then fetches nothing.
std::unique_ptr<QuoteService> MakeQuoteService(QuoteServiceKind kind, const std::string& baseUrl);

/// The service the settings choose: QuoteService and QuoteUrl of section Settings, each
/// unless overridden for this run. An unknown service name falls back to the default.
std::unique_ptr<QuoteService>
QuoteServiceFromSettings(std::optional<QuoteServiceKind> kind = std::nullopt,
                         std::optional<std::string> baseUrl = std::nullopt);
