#include "cli/CliRun.h"

#include "data/Database.h"
#include "support/LoopbackHttpServer.h"
#include "support/RegionEnv.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

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

/// Holdings in a database under a private settings folder, and a loopback quote service.
class CliQuotes : public ::testing::Test
{
protected:
    CliQuotes()
        : m_dataHome("XDG_DATA_HOME", m_home.Path().string()),
          m_server(
              [](const LoopbackHttpServer::Request& request) -> Reply
              {
                  if (request.target.starts_with("/d/quotes.csv?s=IBM&"))
                      return Answered(200,
                                      "\"IBM\",12.50,\"5/3/2016\",\"4:00pm\",+0.25,\"+2%\",1,2,3,4,"
                                      "5,6\r\n");
                  if (request.target.starts_with("/d/quotes.csv?s=BAD&"))
                      return Answered(200, "BAD,abc,1,2,+1,5,6,7,8,9,10,11\r\n");
                  if (request.target.starts_with("/d/quotes.csv?s=ERR"))
                      return Answered(500, "IBM,99,1,2,+1,5,6,7,8,9,10,11\r\n");
                  Reply silent;
                  silent.never = request.target.starts_with("/d/quotes.csv?s=HANG");
                  if (silent.never)
                      return silent;
                  // What the service answers for a symbol it does not know.
                  return Answered(200, "\"MSFT\",0.00,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A,N/A,"
                                       "N/A,N/A\r\n");
              })
    {
        std::filesystem::create_directories(m_home.Path() / "Quorvel/Tallybrook");
        auto db = CreateTestDatabase(Path());
        db->Execute("INSERT INTO Account (AccountID, Description, Type) VALUES ('INV', 'Broker', "
                    "'Investment')");
        db->Execute("INSERT INTO Investment (StockSymbol, Quantity, LastPrice, AccountID) VALUES "
                    "('IBM', 10, 3, 'INV')");
        db->Execute("INSERT INTO Investment (StockSymbol, Quantity, LastPrice, AccountID) VALUES "
                    "('MSFT', 2, NULL, 'INV')");
    }

    std::string Path() const { return m_home.File("qtb.mdb"); }
    std::string Url() const { return m_server.BaseUrl(); }

    CliRun Quotes(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--database", Path(), "quotes"});
        return Cli(args);
    }

    void AddHolding(const std::string& symbol)
    {
        Database db(Path(), OpenOptions{BackupWhen::Never, false});
        db.Execute("INSERT INTO Investment (StockSymbol, Quantity, LastPrice, AccountID) VALUES "
                   "('" +
                   symbol + "', 1, 1, 'INV')");
    }

private:
    TempDir m_home;
    ScopedEnv m_dataHome;
    LoopbackHttpServer m_server;
};
} // namespace

TEST_F(CliQuotes, UpdatesAndListsHoldingsInTheLocalesForm)
{
    for (const auto& [locale, out] : {std::pair{"de_DE.UTF-8", "IBM\t12,5\t125\nMSFT\t\t0\n"},
                                      std::pair{"en_US.UTF-8", "IBM\t12.5\t125\nMSFT\t\t0\n"}})
    {
        LocaleEnv region(locale);
        CliRun run = Quotes({"--service", "csv", "--url", Url()});
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out, out) << locale;
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(CliQuotes, UnusablePriceIsExitCodeOneAfterTheListing)
{
    AddHolding("BAD");
    CliRun run = Quotes({"--service", "csv", "--url", Url()});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "IBM\t12.5\t125\nMSFT\t\t0\nBAD\t1\t\n");
    EXPECT_EQ(run.err, "Unable to update quotes.\n");
}

TEST_F(CliQuotes, AServiceErrorIsExitCodeOneAndChangesNoPrice)
{
    AddHolding("ERR1");
    AddHolding("ERR2");
    CliRun run = Quotes({"--service", "csv", "--url", Url()});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "IBM\t12.5\t125\nMSFT\t\t0\nERR1\t1\t1\nERR2\t1\t1\n");
    EXPECT_EQ(run.err, "Unable to update quotes.\n");
}

TEST_F(CliQuotes, AServiceThatNeverAnswersIsExitCodeOneWithinTwentySeconds)
{
    // More silent symbols than run at once: only one deadline for the whole update keeps the
    // wait under twenty seconds.
    for (int i = 0; i < 20; ++i)
        AddHolding("HANG" + std::to_string(i));
    auto start = std::chrono::steady_clock::now();
    CliRun run = Quotes({"--service", "csv", "--url", Url()});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.out.starts_with("IBM\t12.5\t125\nMSFT\t\t0\nHANG0\t1\t1\n")) << run.out;
    EXPECT_EQ(run.err, "Unable to update quotes.\n");
}

TEST_F(CliQuotes, WrongServiceOrMissingValueIsAWrongCommandLine)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--service", "yahoo"},
                                                 {"--service", ""},
                                                 {"--service"},
                                                 {"--url"},
                                                 {"--service", "csv", "--service", "stooq"},
                                                 {"now"}})
    {
        CliRun run = Quotes(args);
        EXPECT_EQ(run.code, 2) << (args.empty() ? "" : args.front());
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
}
