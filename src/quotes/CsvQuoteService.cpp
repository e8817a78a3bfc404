#include "quotes/CsvQuoteService.h"

#include "net/HttpClient.h"
#include "quotes/QuoteRecord.h"

#include <vector>

namespace
{
std::string WithoutTrailingSlash(std::string url)
{
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url;
}

std::string WithoutQuotes(std::string text)
{
    std::erase(text, '"');
    return text;
}
} // namespace

CsvQuoteService::CsvQuoteService(std::string baseUrl)
    : m_baseUrl(WithoutTrailingSlash(std::move(baseUrl)))
{
}

std::string CsvQuoteService::RequestUrl(const std::string& symbol) const
{
    if (m_baseUrl.empty())
        return std::string();
    return m_baseUrl + "/d/quotes.csv?s=" + UrlEncode(symbol) + "&f=sl1d1t1c1p2ohgbav&e=.csv";
}

void CsvQuoteService::ReadReply(const std::string& reply, QuoteRecord& record) const
{
    std::vector<std::string> pieces;
    std::size_t at = 0;
    while (pieces.size() < QuoteRecord::FieldCount)
    {
        std::size_t comma = reply.find(',', at);
        pieces.push_back(reply.substr(at, comma == std::string::npos ? comma : comma - at));
        if (comma == std::string::npos)
            break;
        at = comma + 1;
    }
    // The last piece keeps the rest of the line up to the next comma, line break and all.
    if (reply.empty() || pieces.size() < QuoteRecord::FieldCount)
    {
        record.SetDefaults();
        return;
    }
    for (std::size_t i = 0; i < QuoteRecord::FieldCount; ++i)
        record.fields[i] = WithoutQuotes(pieces[i]);
}
