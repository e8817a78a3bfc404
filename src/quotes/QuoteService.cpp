#include "quotes/QuoteService.h"

#include "base/Settings.h"
#include "quotes/CsvQuoteService.h"
#include "quotes/StooqQuoteService.h"

#include <cctype>

namespace
{
std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
} // namespace

std::optional<QuoteServiceKind> ParseQuoteServiceName(const std::string& name)
{
    std::string lower = Lower(name);
    if (lower.empty() || lower == "stooq")
        return QuoteServiceKind::Stooq;
    if (lower == "csv")
        return QuoteServiceKind::Csv;
    return std::nullopt;
}

std::unique_ptr<QuoteService> MakeQuoteService(QuoteServiceKind kind, const std::string& baseUrl)
{
    if (kind == QuoteServiceKind::Csv)
        return std::make_unique<CsvQuoteService>(baseUrl);
    return std::make_unique<StooqQuoteService>(baseUrl);
}

std::unique_ptr<QuoteService> QuoteServiceFromSettings(std::optional<QuoteServiceKind> kind,
                                                       std::optional<std::string> baseUrl)
{
    if (!kind)
        kind = ParseQuoteServiceName(GetSetting("QuoteService", "Settings"))
                   .value_or(QuoteServiceKind::Stooq);
    if (!baseUrl)
        baseUrl = GetSetting("QuoteUrl", "Settings");
    return MakeQuoteService(*kind, *baseUrl);
}
