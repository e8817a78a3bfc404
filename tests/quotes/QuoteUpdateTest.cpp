#include "quotes/QuoteUpdate.h"

#include "base/UserInterface.h"
#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "quotes/CsvQuoteService.h"
#include "quotes/QuoteRecord.h"
#include "quotes/StooqQuoteService.h"
#include "support/LoopbackHttpServer.h"
#include "support/RegionEnv.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

using Reply = LoopbackHttpServer::Reply;

namespace
{
/// A reply of a status and a body, answered at once.
Reply Answered(int status, std::string body)
{
    Reply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

/// Records what the update asks of the user, in order.
class RecordingUi : public UserInterface
{
public:
    void ShowMessage(const std::string& text, Icon icon) override
    {
        events.push_back("message " + text + (icon == Icon::Exclamation ? " (!)" : " (?)"));
    }
    bool AskYesNo(const std::string&) override { return false; }
    void PushStatus(const std::string& text) override { events.push_back("push " + text); }
    void PopStatus() override { events.push_back("pop"); }
    void BeginWait() override { events.push_back("wait"); }
    void EndWait() override { events.push_back("end wait"); }

    std::vector<std::string> events;
};

/// A quote line of the CSV protocol.
std::string CsvLine(const std::string& symbol, const std::string& price,
                    const std::string& change = "+0.25")
{
    return "\"" + symbol + "\"," + price + ",\"5/3/2016\",\"4:00pm\"," + change +
           ",\"+2.04%\",12.3,12.6,12.2,12.4,12.6,1000\r\n";
}

std::string CsvTarget(const std::string& encodedSymbol)
{
    return "/d/quotes.csv?s=" + encodedSymbol + "&f=sl1d1t1c1p2ohgbav&e=.csv";
}

/// A database with two Investment accounts and a bank account, and a loopback quote service
/// answering from a table of request targets (404 for the rest).
class QuoteUpdate : public ::testing::Test
{
protected:
    QuoteUpdate()
        : m_db(CreateTestDatabase(m_dir.File("qtb.mdb"))),
          m_server(
              [this](const LoopbackHttpServer::Request& request)
              {
                  std::lock_guard<std::mutex> lock(m_mutex);
                  auto found = m_replies.find(request.target);
                  return found == m_replies.end() ? Answered(404, "no such page") : found->second;
              })
    {
        for (const char* account : {"INV", "INV2"})
            Db().Execute(
                std::string("INSERT INTO Account (AccountID, Description, Type) VALUES ('") +
                account + "', 'Broker', 'Investment')");
        Db().Execute("INSERT INTO Account (AccountID, Description, Type, CurrentBalance) VALUES "
                     "('BANK', 'Checking', 'Bank', 5)");
    }

    Database& Db() { return *m_db; }
    LoopbackHttpServer& Server() { return m_server; }

    void Answer(const std::string& target, Reply reply)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_replies[target] = std::move(reply);
    }
    void AnswerCsv(const std::string& symbol, const std::string& body)
    {
        Answer(CsvTarget(symbol), Answered(200, body));
    }

    void AddHolding(const std::string& symbol, const std::string& quantity,
                    const std::string& lastPrice = "NULL", const std::string& account = "INV",
                    const std::string& total = "NULL")
    {
        Db().Execute("INSERT INTO Investment (StockSymbol, Quantity, LastPrice, Total, AccountID) "
                     "VALUES (" +
                     SqlLiteral(symbol) + ", " + quantity + ", " + lastPrice + ", " + total +
                     ", '" + account + "')");
    }

    /// "SYMBOL LASTPRICE TOTAL" per holding, in the update's order.
    std::vector<std::string> Holdings()
    {
        std::vector<std::string> rows;
        for (Recordset rs = Db().Execute(QuoteUpdateQuery); !rs.IsEOF(); rs.MoveNext())
            rows.push_back(rs.GetText("StockSymbol") + " " + rs.GetText("LastPrice") + " " +
                           rs.GetText("Total"));
        return rows;
    }

    std::string Balance(const std::string& account)
    {
        return Db()
            .QueryScalar("SELECT CurrentBalance FROM Account WHERE AccountID = '" + account + "'")
            .ToText();
    }

    /// Runs the update with short timeouts and records the refresh among the UI's events.
    QuoteUpdateResult Update(const QuoteService& service, std::size_t maxParallel = 8)
    {
        QuoteUpdateOptions options;
        options.limits.connectTimeoutMs = 1000;
        options.limits.timeoutMs = 1500;
        options.totalTimeoutMs = 2000;
        options.maxParallel = maxParallel;
        return UpdateQuotes(
            Db(), ui, service, [this] { ui.events.push_back("refresh"); }, options);
    }

    CsvQuoteService Csv() { return CsvQuoteService(m_server.BaseUrl()); }

    RecordingUi ui;

private:
    TempDir m_dir;
    std::unique_ptr<Database> m_db;
    std::mutex m_mutex;
    std::map<std::string, Reply> m_replies;
    LoopbackHttpServer m_server;
};

const std::vector<std::string> QuietRun = {"push Updating quotes...", "wait", "end wait", "refresh",
                                           "pop"};
const std::vector<std::string> FailedRun = {"push Updating quotes...",
                                            "wait",
                                            "end wait",
                                            "message Unable to update quotes. (!)",
                                            "refresh",
                                            "pop"};
} // namespace

TEST_F(QuoteUpdate, SetsPriceAndTotalAndRecomputesTheInvestmentBalances)
{
    AddHolding("IBM", "10");
    AddHolding("MSFT", "2", "50");
    AddHolding("AAPL", "1", "NULL", "INV2", "99");
    AnswerCsv("IBM", CsvLine("IBM", "12.5"));
    AnswerCsv("MSFT", CsvLine("MSFT", "0.00", "N/A"));
    AnswerCsv("AAPL", "AAPL,0.00");

    QuoteUpdateResult result = Update(Csv());
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.holdings, 3u);
    EXPECT_EQ(result.requests, 3u);
    // MSFT's change is N/A: its price stays and its Total follows it; AAPL's reply is short.
    EXPECT_EQ(Holdings(), (std::vector<std::string>{"IBM 12.5 125", "MSFT 50 100", "AAPL  0"}));
    EXPECT_EQ(Balance("INV"), "225");
    EXPECT_EQ(Balance("INV2"), "0");
    EXPECT_EQ(Balance("BANK"), "5");
    EXPECT_EQ(ui.events, QuietRun);

    std::vector<LoopbackHttpServer::Request> seen = Server().Requests();
    ASSERT_EQ(seen.size(), 3u);
    bool askedIbm = false;
    for (const LoopbackHttpServer::Request& request : seen)
    {
        askedIbm = askedIbm || request.target == CsvTarget("IBM");
        EXPECT_EQ(request.userAgent, "Quorvel Tallybrook");
        EXPECT_NE(request.head.find("no-cache"), std::string::npos);
    }
    EXPECT_TRUE(askedIbm);
}

TEST_F(QuoteUpdate, UnusableRepliesKeepThePriceButRecomputeTheTotal)
{
    AddHolding("SHORT", "3", "7");
    AddHolding("EMPTY", "3", "7");
    AddHolding("QUOTED", "3", "7", "INV2");
    AnswerCsv("SHORT", "SHORT,1,2,3,4,5,6,7,8,9,10");
    AnswerCsv("EMPTY", "");
    AnswerCsv("QUOTED", "\"QUOTED\",\"8.25\",\"5/3/2016\",\"4:00pm\",\"+0.25\",\"\",\"\",\"\","
                        "\"\",\"\",\"\",\"\"\r\n");

    QuoteUpdateResult result = Update(Csv());
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(Holdings(),
              (std::vector<std::string>{"SHORT 7 21", "EMPTY 7 21", "QUOTED 8.25 24.75"}));
    EXPECT_EQ(Balance("INV"), "42");
    EXPECT_EQ(ui.events, QuietRun);
}

TEST_F(QuoteUpdate, APriceThatIsNoPriceKeepsTheHoldingAndSaysSo)
{
    for (const char* price : {"-5", "0", "0.00", "", " ", "nan", "-inf", "Infinity"})
    {
        SCOPED_TRACE(std::string("price '") + price + "'");
        Db().Execute("DELETE FROM Investment");
        AddHolding("BAD", "3", "7", "INV", "1");
        AddHolding("GOOD", "2", "1", "INV", "2");
        AnswerCsv("BAD", CsvLine("BAD", price));
        AnswerCsv("GOOD", CsvLine("GOOD", "4.5"));
        ui.events.clear();

        QuoteUpdateResult result = Update(Csv());
        EXPECT_TRUE(result.failed);
        EXPECT_EQ(result.refused, 1u);
        // The price stays and the total follows it; the other holding is still updated.
        EXPECT_EQ(Holdings(), (std::vector<std::string>{"BAD 7 21", "GOOD 4.5 9"}));
        EXPECT_EQ(Balance("INV"), "30");
        EXPECT_EQ(ui.events, FailedRun);
    }
}

TEST_F(QuoteUpdate, AServiceThatFailsChangesNoPriceAndSaysSo)
{
    AddHolding("IBM", "4", "10");
    AddHolding("MSFT", "1", "3", "INV2");
    Reply silent = Answered(200, CsvLine("IBM", "99"));
    silent.never = true;
    const std::vector<std::pair<std::string, Reply>> answers = {
        {"silent", silent},
        {"HTTP 500", Answered(500, CsvLine("IBM", "99"))},
        {"HTTP 404", Answered(404, CsvLine("IBM", "99"))},
        {"HTTP 503", Answered(503, "")}};
    for (const auto& [name, reply] : answers)
    {
        SCOPED_TRACE(name);
        Answer(CsvTarget("IBM"), reply);
        Answer(CsvTarget("MSFT"), reply);
        ui.events.clear();
        QuoteUpdateResult result = Update(Csv());
        EXPECT_TRUE(result.failed);
        EXPECT_EQ(result.unanswered, 2u);
        EXPECT_EQ(Holdings(), (std::vector<std::string>{"IBM 10 40", "MSFT 3 3"}));
        EXPECT_EQ(ui.events, FailedRun);
    }

    // A port where nothing listens is no better.
    ui.events.clear();
    CsvQuoteService closed("http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()));
    EXPECT_TRUE(Update(closed).failed);
    EXPECT_EQ(Holdings(), (std::vector<std::string>{"IBM 10 40", "MSFT 3 3"}));
    EXPECT_EQ(ui.events, FailedRun);
}

TEST_F(QuoteUpdate, OneFailedRequestStillLetsTheOthersUpdate)
{
    AddHolding("IBM", "4", "10");
    AddHolding("MSFT", "2", "3");
    Answer(CsvTarget("IBM"), Answered(500, "oops"));
    AnswerCsv("MSFT", CsvLine("MSFT", "5.25"));
    QuoteUpdateResult result = Update(Csv());
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(result.unanswered, 1u);
    EXPECT_EQ(result.holdings, 2u);
    EXPECT_EQ(Holdings(), (std::vector<std::string>{"IBM 10 40", "MSFT 5.25 10.5"}));
    EXPECT_EQ(Balance("INV"), "50.5");
    EXPECT_EQ(ui.events, FailedRun);
}

TEST_F(QuoteUpdate, ServicesThatNeverAnswerCostOneDeadlineNotOnePerRequest)
{
    // Each request alone may wait 3 s and two run at once: 12 s if each had its own limit.
    Reply silent;
    silent.never = true;
    for (int i = 0; i < 8; ++i)
    {
        AddHolding("S" + std::to_string(i), "1", "2");
        Answer(CsvTarget("S" + std::to_string(i)), silent);
    }
    QuoteUpdateOptions options;
    options.limits.connectTimeoutMs = 3000;
    options.limits.timeoutMs = 3000;
    options.maxParallel = 2;
    options.totalTimeoutMs = 700;
    auto start = std::chrono::steady_clock::now();
    QuoteUpdateResult result = UpdateQuotes(Db(), ui, Csv(), {}, options);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(700));
    EXPECT_LT(took, std::chrono::milliseconds(2500));
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(result.unanswered, 8u);
    for (const std::string& row : Holdings())
        EXPECT_EQ(row.substr(row.find(' ')), " 2 2");
    // Left as it is, an update never keeps the user waiting twenty seconds.
    EXPECT_LT(QuoteUpdateOptions().totalTimeoutMs, 20000);
}

TEST_F(QuoteUpdate, PriceIsReadWithAPointInEveryLocale)
{
    AddHolding("IBM", "10");
    AnswerCsv("IBM", CsvLine("IBM", "12.50"));
    for (const char* locale : {"de_DE.UTF-8", "en_US.UTF-8"})
    {
        LocaleEnv region(locale);
        ASSERT_TRUE(region.Ok()) << locale;
        Db().Execute("UPDATE Investment SET LastPrice = NULL, Total = NULL");
        EXPECT_FALSE(Update(Csv()).failed) << locale;
        Variant price = Db().QueryScalar("SELECT LastPrice FROM Investment");
        Variant total = Db().QueryScalar("SELECT Total FROM Investment");
        EXPECT_EQ(price.ToCurrency(), Currency::FromUnits(125000)) << locale;
        EXPECT_EQ(total.ToCurrency(), Currency::FromWhole(125)) << locale;
    }
}

TEST_F(QuoteUpdate, PriceThatIsNoNumberEndsTheLoopKeepingEarlierRows)
{
    AddHolding("A", "2", "1", "INV", "2");
    AddHolding("B", "2", "1", "INV", "2");
    AddHolding("C", "2", "1", "INV2", "2");
    AnswerCsv("A", CsvLine("A", "2.5"));
    AnswerCsv("B", CsvLine("B", "abc"));
    AnswerCsv("C", CsvLine("C", "3"));

    QuoteUpdateResult result = Update(Csv());
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(result.holdings, 1u);
    EXPECT_EQ(Holdings(), (std::vector<std::string>{"A 2.5 5", "B 1 2", "C 1 2"}));
    // The balances are still recomputed from what was written.
    EXPECT_EQ(Balance("INV"), "7");
    EXPECT_EQ(Balance("INV2"), "2");
    EXPECT_EQ(ui.events,
              (std::vector<std::string>{"push Updating quotes...", "wait", "end wait",
                                        "message Unable to update quotes. (!)", "refresh", "pop"}));
}

TEST_F(QuoteUpdate, OneRequestPerDistinctSymbolEncodedInTheAddress)
{
    AddHolding("IBM", "1");
    AddHolding("A&B C", "1");
    AddHolding("IBM", "2", "NULL", "INV2");
    AddHolding("", "1", "3");
    AnswerCsv("IBM", CsvLine("IBM", "10"));
    AnswerCsv("A%26B%20C", CsvLine("A&B C", "20"));

    QuoteUpdateResult result = Update(Csv());
    EXPECT_EQ(result.requests, 2u);
    EXPECT_EQ(Server().Requests().size(), 2u);
    EXPECT_EQ(Holdings(),
              (std::vector<std::string>{"IBM 10 10", "A&B C 20 20", "IBM 10 20", " 3 3"}));
    EXPECT_EQ(Balance("INV"), "33");
}

TEST_F(QuoteUpdate, StooqRepliesFillTheSameRecord)
{
    AddHolding("IBM", "10", "1");
    AddHolding("XYZ", "10", "1");
    AddHolding("VOD.L", "100", "1");
    const std::string header = "Symbol,Date,Time,Open,High,Low,Close,Volume\r\n";
    Answer("/q/l/?s=IBM.us&f=sd2t2ohlcv&h&e=csv",
           Answered(200, header + "IBM.US,2016-05-03,22:00:09,145.2,146,144.8,145.81,3521034\r\n"));
    Answer("/q/l/?s=XYZ.us&f=sd2t2ohlcv&h&e=csv",
           Answered(200, header + "XYZ.US,N/D,N/D,N/D,N/D,N/D,N/D,N/D\r\n"));
    Answer("/q/l/?s=VOD.L&f=sd2t2ohlcv&h&e=csv",
           Answered(200, header + "VOD.UK,2016-05-03,17:35:00,2.1,2.2,2.0,2.15,100\r\n"));

    EXPECT_FALSE(Update(StooqQuoteService(Server().BaseUrl())).failed);
    EXPECT_EQ(Holdings(),
              (std::vector<std::string>{"IBM 145.81 1458.1", "XYZ 1 10", "VOD.L 2.15 215"}));
    EXPECT_EQ(ui.events, QuietRun);
}

TEST_F(QuoteUpdate, CsvServiceWithoutAddressFetchesNothing)
{
    AddHolding("IBM", "10", "3", "INV", "0");
    QuoteUpdateResult result = Update(CsvQuoteService(""));
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.requests, 0u);
    EXPECT_TRUE(Server().Requests().empty());
    EXPECT_EQ(Holdings(), std::vector<std::string>{"IBM 3 30"});
    EXPECT_EQ(Balance("INV"), "30");
    EXPECT_EQ(ui.events, QuietRun);
}

TEST_F(QuoteUpdate, AsksForSeveralQuotesAtOnceWithinTheLimit)
{
    std::atomic<int> inFlight{0};
    std::atomic<int> most{0};
    LoopbackHttpServer slow(
        [&](const LoopbackHttpServer::Request& request)
        {
            int now = ++inFlight;
            for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);)
            {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            --inFlight;
            std::string symbol = request.target.substr(16, request.target.find('&') - 16);
            return Answered(200, CsvLine(symbol, "1"));
        });
    for (int i = 0; i < 7; ++i)
        AddHolding("S" + std::to_string(i), "1");
    QuoteUpdateResult result = Update(CsvQuoteService(slow.BaseUrl()), 3);
    EXPECT_EQ(result.requests, 7u);
    EXPECT_GT(most.load(), 1);
    EXPECT_LE(most.load(), 3);
    for (const std::string& row : Holdings())
        EXPECT_EQ(row.substr(row.find(' ')), " 1 1");
}

TEST_F(QuoteUpdate, FetchQuoteAndFetchUrlTextReadOnlyUsableReplies)
{
    AnswerCsv("IBM", CsvLine("IBM", "12.5"));
    Answer("/broken", Answered(500, "oops"));
    Answer("/text", Answered(200, "hello"));
    QuoteRecord record = QuoteRecord::ForSymbol("IBM");
    FetchQuote(Csv(), record);
    EXPECT_EQ(record.fields[QuoteRecord::LastTrade], "12.5");
    EXPECT_EQ(record.fields[QuoteRecord::Symbol], "IBM");
    EXPECT_TRUE(record.HasPrice());

    QuoteRecord unknown = QuoteRecord::ForSymbol("XYZ");
    FetchQuote(Csv(), unknown);
    EXPECT_EQ(unknown.fields[QuoteRecord::Symbol], "XYZ");
    EXPECT_EQ(unknown.fields[QuoteRecord::LastTrade], "0.00");
    EXPECT_FALSE(unknown.HasPrice());

    EXPECT_EQ(FetchUrlText(Server().BaseUrl() + "/text"), "hello");
    EXPECT_EQ(FetchUrlText(Server().BaseUrl() + "/broken"), "");
    EXPECT_EQ(FetchUrlText("http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort()) +
                           "/text"),
              "");
    EXPECT_EQ(FetchUrlText("not an address"), "");
}
