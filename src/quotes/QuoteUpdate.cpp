#include "quotes/QuoteUpdate.h"

#include "base/UserInterface.h"
#include "data/Balances.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/ViewKind.h"
#include "quotes/QuoteRecord.h"
#include "quotes/QuoteService.h"

#include <map>
#include <optional>
#include <stdexcept>
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
        std::vector<HttpResponse> responses = HttpGetAll(requests, options.maxParallel);
        for (std::size_t i = 0; i < asked.size(); ++i)
            m_replies[asked[i]] = ResponseText(std::move(responses[i]));
        m_requests = requests.size();
    }

    /// The reply to a symbol; "" for a symbol nothing was fetched for.
    const std::string& Reply(const std::string& symbol) const
    {
        static const std::string none;
        auto found = m_replies.find(symbol);
        return found == m_replies.end() ? none : found->second;
    }
    std::size_t Requests() const { return m_requests; }

private:
    std::map<std::string, std::string> m_replies;
    std::size_t m_requests = 0;
};

/// The new LastPrice of a record that carries a price: its last trade with "." as decimal
/// point whatever the locale; "" gives NULL. A text that is no number is an error.
Variant PriceOf(const QuoteRecord& record)
{
    const std::string& text = record.fields[QuoteRecord::LastTrade];
    if (text.empty())
        return Variant();
    std::optional<Currency> price = Currency::Parse(text, '.');
    if (!price)
        throw std::runtime_error("the price '" + text + "' is not a number");
    return Variant::FromCurrency(*price);
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
/// an error ended the walk (the row it happened on is left as it was).
bool WriteEachHolding(Recordset& holdings, const QuoteService& service, const QuoteReplies& replies,
                      std::size_t& written)
{
    try
    {
        for (; !holdings.IsEOF(); holdings.MoveNext(), ++written)
        {
            std::string symbol = holdings.GetText("StockSymbol");
            QuoteRecord record = QuoteRecord::ForSymbol(symbol);
            service.ReadReply(replies.Reply(symbol), record);
            if (record.HasPrice())
                holdings.SetValue("LastPrice", PriceOf(record));
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
/// was written before an error; false when an error ended the update of the holdings.
bool WriteHoldings(Database& db, const QuoteService& service, const QuoteUpdateOptions& options,
                   QuoteUpdateResult& result)
{
    try
    {
        Recordset holdings;
        holdings.Open(QuoteUpdateQuery, db, OpenMode::KeysetEdit);
        QuoteReplies replies(service, Symbols(holdings), options);
        result.requests = replies.Requests();
        Transaction transaction(db);
        bool ok = WriteEachHolding(holdings, service, replies, result.holdings);
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
    result.failed = !WriteHoldings(db, service, options, result);
    wait.End();
    if (result.failed)
        ui.ShowMessage("Unable to update quotes.", UserInterface::Icon::Exclamation);
    UpdateInvestmentBalances(db);
    if (refreshView)
        refreshView();
    return result;
}
