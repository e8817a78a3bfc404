#include "quotes/QuoteUpdate.h"

#include "base/UserInterface.h"
#include "data/Balances.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/ViewKind.h"
#include "quotes/QuoteRecord.h"
#include "quotes/QuoteService.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

const char* const QuoteUpdateQuery =
    "SELECT StockSymbol, LastPrice, Total, Quantity FROM Investment";

namespace
{
/// The status text, kept up until the update has ended however it ends.
class StatusText
{
public:
    StatusText(UserInterface& ui, const std::string& text) : m_ui(ui) { m_ui.PushStatus(text); }
    ~StatusText() { m_ui.PopStatus(); }
    StatusText(const StatusText&) = delete;
    StatusText& operator=(const StatusText&) = delete;

private:
    UserInterface& m_ui;
};

/// The wait cursor, ended early by End() or at the end of the scope.
class WaitCursor
{
public:
    explicit WaitCursor(UserInterface& ui) : m_ui(ui) { m_ui.BeginWait(); }
    ~WaitCursor() { End(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void End()
    {
        if (m_on)
            m_ui.EndWait();
        m_on = false;
    }

private:
    UserInterface& m_ui;
    bool m_on = true;
};

/// The replies to every distinct symbol, asked for all at once.
class QuoteReplies
{
public:
    QuoteReplies(const QuoteService& service, const std::vector<std::string>& symbols,
                 const QuoteUpdateOptions& options)
    {
        std::vector<HttpRequest> requests;
        std::vector<std::string> asked;
        for (const std::string& symbol : symbols)
        {
            if (symbol.empty() || m_replies.contains(symbol))
                continue;
            m_replies[symbol] = std::string();
            std::string url = service.RequestUrl(symbol);
            if (url.empty())
                continue;
            requests.push_back(MakeFetchRequest(url, options.limits));
            asked.push_back(symbol);
        }
        std::vector<HttpResponse> responses =
            HttpGetAll(requests, options.maxParallel, options.totalTimeoutMs);
        for (std::size_t i = 0; i < asked.size(); ++i)
        {
            if (!responses[i].Ok())
                ++m_unanswered;
            m_replies[asked[i]] = ResponseText(std::move(responses[i]));
        }
        m_requests = requests.size();
    }

    /// The reply to a symbol; "" for a symbol nothing was fetched for or whose request failed.
    const std::string& Reply(const std::string& symbol) const
    {
        static const std::string none;
        auto found = m_replies.find(symbol);
        return found == m_replies.end() ? none : found->second;
    }
    std::size_t Requests() const { return m_requests; }
    /// The requests that failed, timed out or were answered with an HTTP error status.
    std::size_t Unanswered() const { return m_unanswered; }

private:
    std::map<std::string, std::string> m_replies;
    std::size_t m_requests = 0;
    std::size_t m_unanswered = 0;
};

/// Whether a text is blank or a number that is not finite ("nan", "inf", "-Infinity").
bool IsBlankOrNotFinite(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    if (text.empty())
        return true;
    if (text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !std::isfinite(value);
}

/// The new LastPrice of a record that carries a price: its last trade with "." as decimal
/// point whatever the locale. None when the price is empty, zero, negative or not finite: a
/// missing price is no price of 0. A text that is no number at all is an error.
std::optional<Currency> PriceOf(const QuoteRecord& record)
{
    const std::string& text = record.fields[QuoteRecord::LastTrade];
    std::optional<Currency> price = Currency::Parse(text, '.');
    if (price)
        return *price > Currency() ? price : std::nullopt;
    if (IsBlankOrNotFinite(text))
        return std::nullopt;
    throw std::runtime_error("the price '" + text + "' is not a number");
}

std::vector<std::string> Symbols(Recordset& holdings)
{
    std::vector<std::string> symbols;
    for (; !holdings.IsEOF(); holdings.MoveNext())
        symbols.push_back(holdings.GetText("StockSymbol"));
    holdings.MoveFirst();
    return symbols;
}

/// Sets LastPrice and Total of each holding in turn, moving on writes the row; false when
/// an error ended the walk (the row it happened on is left as it was). A holding whose
/// price is none keeps its LastPrice and is counted in `refused`.
bool WriteEachHolding(Recordset& holdings, const QuoteService& service, const QuoteReplies& replies,
                      QuoteUpdateResult& result)
{
    try
    {
        for (; !holdings.IsEOF(); holdings.MoveNext(), ++result.holdings)
        {
            std::string symbol = holdings.GetText("StockSymbol");
            QuoteRecord record = QuoteRecord::ForSymbol(symbol);
            service.ReadReply(replies.Reply(symbol), record);
            if (record.HasPrice())
            {
                if (std::optional<Currency> price = PriceOf(record))
                    holdings.SetValue("LastPrice", Variant::FromCurrency(*price));
                else
                    ++result.refused;
            }
            Currency lastPrice = holdings.GetCurrency("LastPrice");
            Currency quantity = holdings.GetCurrency("Quantity");
            holdings.SetValue("Total", Variant::FromCurrency(lastPrice.MultipliedBy(quantity)));
        }
        return true;
    }
    catch (const std::exception&)
    {
        if (holdings.IsEditing())
            holdings.CancelUpdate();
        return false;
    }
}

/// Fetches the quotes of all holdings, then writes them in one transaction that keeps what
/// was written before an error; false when an error ended the walk over the holdings.
bool WriteHoldings(Database& db, const QuoteService& service, const QuoteUpdateOptions& options,
                   QuoteUpdateResult& result)
{
    try
    {
        Recordset holdings;
        holdings.Open(QuoteUpdateQuery, db, OpenMode::KeysetEdit);
        QuoteReplies replies(service, Symbols(holdings), options);
        result.requests = replies.Requests();
        result.unanswered = replies.Unanswered();
        Transaction transaction(db);
        bool ok = WriteEachHolding(holdings, service, replies, result);
        transaction.Commit();
        return ok;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

void UpdateInvestmentBalances(Database& db)
{
    Recordset accounts;
    accounts.Open("SELECT AccountID, Type FROM Account WHERE Type = 'Investment'", db,
                  OpenMode::ReadOnly);
    std::vector<std::string> ids;
    for (; !accounts.IsEOF(); accounts.MoveNext())
        ids.push_back(accounts.GetText("AccountID"));
    accounts.Close();
    Transaction transaction(db);
    for (const std::string& id : ids)
        UpdateCurrentBalance(db, KindInvestment, id);
    transaction.Commit();
}
} // namespace

void FetchQuote(const QuoteService& service, QuoteRecord& record, const FetchLimits& limits)
{
    std::string url = service.RequestUrl(record.fields[QuoteRecord::Symbol]);
    service.ReadReply(url.empty() ? std::string() : FetchUrlText(url, limits), record);
}

QuoteUpdateResult UpdateQuotes(Database& db, UserInterface& ui, const QuoteService& service,
                               const std::function<void()>& refreshView,
                               const QuoteUpdateOptions& options)
{
    QuoteUpdateResult result;
    StatusText status(ui, "Updating quotes...");
    WaitCursor wait(ui);
    bool walked = WriteHoldings(db, service, options, result);
    // A failed request or a price that is none is a failure too: nothing may look updated
    // that was not.
    result.failed = !walked || result.unanswered > 0 || result.refused > 0;
    wait.End();
    if (result.failed)
        ui.ShowMessage("Unable to update quotes.", UserInterface::Icon::Exclamation);
    UpdateInvestmentBalances(db);
    if (refreshView)
        refreshView();
    return result;
}
