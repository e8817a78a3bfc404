#include "quotes/StooqQuoteService.h"

#include "data/Currency.h"
#include "net/HttpClient.h"
#include "quotes/QuoteRecord.h"

#include <cctype>
#include <vector>

namespace
{
constexpr const char* DefaultUrl = "https://stooq.com";

enum Column
{
    Date = 1,
    Time = 2,
    Close = 6,
    ColumnCount = 8
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size())
    {
        std::size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? end : end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return lines;
}

std::vector<std::string> Columns(const std::string& line)
{
    std::vector<std::string> columns;
    std::size_t at = 0;
    for (;;)
    {
        std::size_t comma = line.find(',', at);
        std::string piece = line.substr(at, comma == std::string::npos ? comma : comma - at);
        std::erase(piece, '"');
        columns.push_back(std::move(piece));
        if (comma == std::string::npos)
            return columns;
        at = comma + 1;
    }
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}
} // namespace

StooqQuoteService::StooqQuoteService(std::string baseUrl) : m_baseUrl(std::move(baseUrl))
{
    if (m_baseUrl.empty())
        m_baseUrl = DefaultUrl;
    while (!m_baseUrl.empty() && m_baseUrl.back() == '/')
        m_baseUrl.pop_back();
}

std::string StooqQuoteService::RequestUrl(const std::string& symbol) const
{
    std::string asked = symbol.find('.') == std::string::npos ? symbol + ".us" : symbol;
    return m_baseUrl + "/q/l/?s=" + UrlEncode(asked) + "&f=sd2t2ohlcv&h&e=csv";
}

void StooqQuoteService::ReadReply(const std::string& reply, QuoteRecord& record) const
{
    std::vector<std::string> lines = Lines(reply);
    std::size_t data = !lines.empty() && StartsWithNoCase(lines.front(), "Symbol,") ? 1 : 0;
    std::vector<std::string> columns =
        data < lines.size() ? Columns(lines[data]) : std::vector<std::string>();
    if (columns.size() < ColumnCount || !Currency::Parse(columns[Close], '.'))
    {
        record.SetDefaults();
        return;
    }
    record.fields[QuoteRecord::LastTrade] = columns[Close];
    record.fields[QuoteRecord::TradeDate] = columns[Date];
    record.fields[QuoteRecord::TradeTime] = columns[Time];
    record.fields[QuoteRecord::Change] = "";
    for (std::size_t i = QuoteRecord::Change + 1; i < QuoteRecord::FieldCount; ++i)
        record.fields[i] = "N/A";
}
