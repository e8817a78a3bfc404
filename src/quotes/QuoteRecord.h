#pragma once

#include <array>
#include <string>

/// The twelve text fields of a quote, in the order of the quote request's format letters:
/// symbol, last trade price, date and time of the last trade, change, percent change, open,
/// day's high, day's low, bid, ask and volume.
struct QuoteRecord
{
    enum Field
    {
        Symbol = 0,
        LastTrade = 1,
        TradeDate = 2,
        TradeTime = 3,
        Change = 4,
        FieldCount = 12
    };

    std::array<std::string, FieldCount> fields;

    /// A record holding only the symbol, as it is before a request.
    static QuoteRecord ForSymbol(const std::string& symbol);
    /// What an unusable reply leaves: the symbol kept, the price "0.00", the rest "N/A".
    void SetDefaults();
    /// Whether the record carries a price: its change is anything but exactly "N/A".
    bool HasPrice() const { return fields[Change] != "N/A"; }
};
