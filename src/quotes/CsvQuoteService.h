#pragma once

#include "quotes/QuoteService.h"

/// The twelve-field quote protocol: BASE + "/d/quotes.csv?s=" + symbol +
/// "&f=sl1d1t1c1p2ohgbav&e=.csv", answered by one comma-separated line.
class CsvQuoteService : public QuoteService
{
public:
    /// An empty base address fetches nothing: every holding gets the defaults.
    explicit CsvQuoteService(std::string baseUrl);

    std::string RequestUrl(const std::string& symbol) const override;
    /// Fewer than twelve comma-separated pieces give the defaults; otherwise the first twelve
    /// pieces, without their double quotes, are the fields.
    void ReadReply(const std::string& reply, QuoteRecord& record) const override;

private:
    std::string m_baseUrl;
};
