#include "quotes/CsvQuoteService.h"
#include "quotes/QuoteRecord.h"
#include "quotes/StooqQuoteService.h"

#include "base/Settings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{
using Fields = std::array<std::string, QuoteRecord::FieldCount>;

const Fields Defaults = {"IBM", "0.00", "N/A", "N/A", "N/A", "N/A",
                         "N/A", "N/A",  "N/A", "N/A", "N/A", "N/A"};

Fields Read(const QuoteService& service, const std::string& reply,
            const std::string& symbol = "IBM")
{
    QuoteRecord record = QuoteRecord::ForSymbol(symbol);
    service.ReadReply(reply, record);
    return record.fields;
}

const char* const StooqHeader = "Symbol,Date,Time,Open,High,Low,Close,Volume\r\n";
} // namespace

TEST(CsvQuoteService, AsksTheConfiguredAddressWithTheSymbolEncoded)
{
    CsvQuoteService service("http://127.0.0.1:8080/");
    EXPECT_EQ(service.RequestUrl("IBM"),
              "http://127.0.0.1:8080/d/quotes.csv?s=IBM&f=sl1d1t1c1p2ohgbav&e=.csv");
    EXPECT_EQ(service.RequestUrl("BRK.B"),
              "http://127.0.0.1:8080/d/quotes.csv?s=BRK.B&f=sl1d1t1c1p2ohgbav&e=.csv");
    EXPECT_EQ(service.RequestUrl("A&B C"),
              "http://127.0.0.1:8080/d/quotes.csv?s=A%26B%20C&f=sl1d1t1c1p2ohgbav&e=.csv");
    EXPECT_EQ(CsvQuoteService("").RequestUrl("IBM"), "");
}

TEST(CsvQuoteService, TakesTwelvePiecesWithoutQuotesOrGivesTheDefaults)
{
    CsvQuoteService service("http://quotes");
    EXPECT_EQ(Read(service, "\"IBM\",12.5,\"5/3/2016\",\"4:00pm\",+0.25,\"+2.04%\",12.3,12.6,"
                            "12.2,12.4,12.6,1000\r\n"),
              (Fields{"IBM", "12.5", "5/3/2016", "4:00pm", "+0.25", "+2.04%", "12.3", "12.6",
                      "12.2", "12.4", "12.6", "1000\r\n"}));
    // Pieces beyond the twelfth are left out.
    EXPECT_EQ(Read(service, "a,b,c,d,e,f,g,h,i,j,k,l,m,n")[11], "l");
    // Eleven pieces, an empty reply, an error page.
    EXPECT_EQ(Read(service, "IBM,12.5,a,b,c,d,e,f,g,h,i"), Defaults);
    EXPECT_EQ(Read(service, ""), Defaults);
    EXPECT_EQ(Read(service, "<html>Not found</html>"), Defaults);
    // A symbol the service does not know answers N/A in the change field.
    Fields unknown = Read(service, "\"XYZ\",0.00,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A,N/A,N/A,N/A");
    EXPECT_EQ(unknown[QuoteRecord::Change], "N/A");
}

TEST(StooqQuoteService, AsksForUsSymbolsUnlessAMarketIsGiven)
{
    StooqQuoteService service("");
    EXPECT_EQ(service.RequestUrl("IBM"), "https://stooq.com/q/l/?s=IBM.us&f=sd2t2ohlcv&h&e=csv");
    EXPECT_EQ(service.RequestUrl("VOD.L"), "https://stooq.com/q/l/?s=VOD.L&f=sd2t2ohlcv&h&e=csv");
    EXPECT_EQ(StooqQuoteService("http://127.0.0.1:9/").RequestUrl("A&B"),
              "http://127.0.0.1:9/q/l/?s=A%26B.us&f=sd2t2ohlcv&h&e=csv");
}

TEST(StooqQuoteService, NumericCloseIsThePriceAnythingElseGivesTheDefaults)
{
    StooqQuoteService service("");
    EXPECT_EQ(Read(service, std::string(StooqHeader) +
                                "IBM.US,2016-05-03,22:00:09,145.2,146.0,144.8,145.81,3521034\r\n"),
              (Fields{"IBM", "145.81", "2016-05-03", "22:00:09", "", "N/A", "N/A", "N/A", "N/A",
                      "N/A", "N/A", "N/A"}));
    // Unknown symbol, header only, too few columns, nothing, an HTML page.
    EXPECT_EQ(Read(service, std::string(StooqHeader) + "XYZ.US,N/D,N/D,N/D,N/D,N/D,N/D,N/D\r\n"),
              Defaults);
    EXPECT_EQ(Read(service, StooqHeader), Defaults);
    EXPECT_EQ(Read(service, std::string(StooqHeader) + "IBM.US,2016-05-03,22:00:09,145.2\r\n"),
              Defaults);
    EXPECT_EQ(Read(service, ""), Defaults);
    EXPECT_EQ(Read(service, "<html><body>busy</body></html>"), Defaults);
    // Without the header line and with quoted pieces and plain line feeds.
    EXPECT_EQ(Read(service, "\"IBM.US\",\"2016-05-03\",\"22:00:09\",1,2,3,\"99.5\",7\n")[1],
              "99.5");
}

TEST(QuoteService, SettingsChooseTheServiceAndItsAddress)
{
    EXPECT_EQ(ParseQuoteServiceName(""), QuoteServiceKind::Stooq);
    EXPECT_EQ(ParseQuoteServiceName("stooq"), QuoteServiceKind::Stooq);
    EXPECT_EQ(ParseQuoteServiceName("CSV"), QuoteServiceKind::Csv);
    EXPECT_EQ(ParseQuoteServiceName("yahoo"), std::nullopt);

    TempDir home;
    ScopedEnv dataHome("XDG_DATA_HOME", home.Path().string());
    std::filesystem::create_directories(home.Path() / "Quorvel/Tallybrook");
    EXPECT_EQ(QuoteServiceFromSettings()->RequestUrl("IBM"),
              "https://stooq.com/q/l/?s=IBM.us&f=sd2t2ohlcv&h&e=csv");
    WriteSetting("QuoteService", "csv", "Settings");
    EXPECT_EQ(QuoteServiceFromSettings()->RequestUrl("IBM"), "");
    WriteSetting("QuoteUrl", "http://127.0.0.1:5", "Settings");
    EXPECT_EQ(QuoteServiceFromSettings()->RequestUrl("IBM"),
              "http://127.0.0.1:5/d/quotes.csv?s=IBM&f=sl1d1t1c1p2ohgbav&e=.csv");
    // Overrides for one run, as the command line gives them.
    EXPECT_EQ(QuoteServiceFromSettings(QuoteServiceKind::Stooq)->RequestUrl("IBM"),
              "http://127.0.0.1:5/q/l/?s=IBM.us&f=sd2t2ohlcv&h&e=csv");
    EXPECT_EQ(QuoteServiceFromSettings(std::nullopt, "")->RequestUrl("IBM"), "");
    WriteSetting("QuoteService", "yahoo", "Settings");
    EXPECT_EQ(QuoteServiceFromSettings()->RequestUrl("IBM"),
              "http://127.0.0.1:5/q/l/?s=IBM.us&f=sd2t2ohlcv&h&e=csv");
}
