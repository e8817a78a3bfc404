#pragma once

#include "quotes/QuoteService.h"

/// The free CSV quotes of stooq.com: BASE + "/q/l/?s=" + symbol + "&f=sd2t2ohlcv&h&e=csv",
/// answered by the header "Symbol,Date,Time,Open,High,Low,Close,Volume" and one data line.
class StooqQuoteService : public QuoteService
{
public:
    /// An empty base address is "https://stooq.com".
    explicit StooqQuoteService(std::string baseUrl);

    /// A symbol without a market suffix (no ".") is asked for on the US market (".us").
    std::string RequestUrl(const std::string& symbol) const override;
    /// A numeric Close becomes the last trade, Date and Time the trade's date and time, the
    /// change "" (so the price is taken) and the rest "N/A". A Close of "N/D" (unknown
    /// symbol), no data line or fewer than eight columns give the defaults.
    void ReadReply(const std::string& reply, QuoteRecord& record) const override;

private:
    std::string m_baseUrl;
};
