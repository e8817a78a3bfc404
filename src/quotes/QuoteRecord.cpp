#include "quotes/QuoteRecord.h"

QuoteRecord QuoteRecord::ForSymbol(const std::string& symbol)
{
    QuoteRecord record;
    record.fields[Symbol] = symbol;
    return record;
}

void QuoteRecord::SetDefaults()
{
    fields[LastTrade] = "0.00";
    for (std::size_t i = TradeDate; i < FieldCount; ++i)
        fields[i] = "N/A";
}
