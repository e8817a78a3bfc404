#include "cli/CliRun.h"

#include "budget/BudgetTestDatabase.h"
#include "dashboard/HomePage.h"
#include "dashboard/ReportPages.h"
#include "dashboard/TransactionsReport.h"
#include "data/TextEncoding.h"
#include "support/RegionEnv.h"

#include <gtest/gtest.h>

#include <ctime>

namespace
{
/// The command line's home and report pages against a database with two accounts.
class CliPages : public BudgetTestDatabase
{
protected:
    void SetUp() override
    {
        BudgetTestDatabase::SetUp();
        AddAccount("A1", "Bank", "10", true, "<script>alert(1)</script> & Co");
        AddAccount("A2", "Credit Card", "-4", true, "Visa");
        AddTrans("A1", 2016, 5, "Food", "-25.25");
        AddTrans("A2", 2016, 5, "Car repairs", "-100");
        AddTrans("A2", 2016, 6, "Food", "-1");
    }

    CliRun Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--database", DatabasePath()});
        return Cli(args);
    }

    std::string Expected(const std::vector<std::string>& arguments)
    {
        return ReportDocument(BuildTransactionsReport(Db(), arguments));
    }

    TimeZoneEnv m_zone{"Europe/Berlin"};
};
} // namespace

TEST_F(CliPages, HomeIsThePageOfThisMonthAsTheProgramWritesIt)
{
    for (const char* locale : {"en_US.UTF-8", "de_DE.UTF-8"})
    {
        LocaleEnv region(locale);
        CliRun run = Run({"home"});
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.err, "");
        DateTime today = ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr)));
        EXPECT_EQ(run.out, BuildHomePage(Db(), today.year, today.month)) << locale;
        EXPECT_EQ(run.out.find("<script>"), std::string::npos);
        EXPECT_NE(run.out.find(std::string(locale) == "en_US.UTF-8" ? "$6.00" : "6,00"),
                  std::string::npos);
    }
    CliRun extra = Run({"home", "now"});
    EXPECT_EQ(extra.code, 2);
    EXPECT_EQ(extra.out, "");
    EXPECT_NE(extra.err.find("usage:"), std::string::npos);
}

TEST_F(CliPages, HomeShowsAHoldingsPriceRoundedFromItsExactValue)
{
    Db().Execute("INSERT INTO Investment (StockSymbol, LastPrice, Quantity, AccountID) VALUES "
                 "('ACME', 1.015, 1, 'A1')");
    for (const auto& [locale, price] :
         {std::pair{"en_US.UTF-8", "$1.02"}, std::pair{"de_DE.UTF-8", "1,02 \xE2\x82\xAC"}})
    {
        LocaleEnv region(locale);
        ASSERT_TRUE(region.Ok()) << locale;
        CliRun run = Run({"home"});
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_NE(run.out.find(std::string("<td class='menuText'>ACME</td><td class='menuText' "
                                           "align='right'>") +
                               price + "</td>"),
                  std::string::npos)
            << locale;
    }
}

TEST_F(CliPages, HomeUnderALatinNineLocaleIsUtf8)
{
    LocaleEnv region("de_DE@euro");
    if (!region.Ok())
        GTEST_SKIP() << "de_DE@euro is not installed";
    CliRun run = Run({"home"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(IsValidUtf8(run.out));
    // The net worth: 10 in the bank and -4 on the card.
    EXPECT_NE(run.out.find("<b>6,00 \xE2\x82\xAC</b>"), std::string::npos);
    EXPECT_EQ(run.out.find('\xA4'), std::string::npos); // the euro sign in ISO-8859-15
}

TEST_F(CliPages, ReportTakesIsoDatesAndPrintsTheShownPage)
{
    for (const auto& [locale, from, to] : {std::tuple{"en_US.UTF-8", "05/01/2016", "05/31/2016"},
                                           std::tuple{"de_DE.UTF-8", "01.05.2016", "31.05.2016"}})
    {
        LocaleEnv region(locale);
        CliRun run = Run({"report", "--from", "2016-05-01", "--to", "2016-05-31"});
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out, Expected({std::string("StartDate=") + from, std::string("EndDate=") + to,
                                     "categories="}))
            << locale;
        EXPECT_NE(run.out.find(std::string("from ") + from + " to " + to), std::string::npos);
        EXPECT_EQ(run.out.find("<script>"), std::string::npos);
    }
    LocaleEnv region("en_US.UTF-8");
    CliRun all = Run({"report"});
    EXPECT_EQ(all.code, 0);
    EXPECT_EQ(all.out, Expected({"StartDate=", "EndDate=", "categories="}));
    EXPECT_NE(all.out.find(">all time</a>"), std::string::npos);
    // The categories text keeps its line feeds: Food or anything beginning with Car.
    CliRun some = Run({"report", "--categories", "Food\nCar*", "--to", "2016-05-31"});
    EXPECT_EQ(some.code, 0);
    EXPECT_EQ(some.out, Expected({"StartDate=", "EndDate=05/31/2016", "categories=Food\nCar*"}));
    EXPECT_NE(some.out.find("Car repairs"), std::string::npos);
    EXPECT_NE(some.out.find(">to 05/31/2016</a>"), std::string::npos);
}

TEST_F(CliPages, ReportRefusesDatesNotWrittenYearMonthDay)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"report", "--from", "05/01/2016"},
          {"report", "--from", "2016-5-1"},
          {"report", "--to", "2016-02-30"},
          {"report", "--to", "2016-13-01"},
          {"report", "--to", "2016-05-01x"},
          {"report", "--from"},
          {"report", "--categories"},
          {"report", "--from", "2016-05-01", "--from", "2016-05-02"},
          {"report", "--since", "2016-05-01"},
          {"report", "2016-05-01"}})
    {
        CliRun run = Run(args);
        EXPECT_EQ(run.code, 2) << args.back();
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
    EXPECT_NE(Run({"report", "--to", "2016-02-30"}).err.find("YYYY-MM-DD"), std::string::npos);
    EXPECT_EQ(Run({"report", "--to", "2016-02-29"}).code, 0);
}

TEST_F(CliPages, FailureToOpenTheDatabaseIsExitCodeOne)
{
    CliRun run = Cli({"--database", DatabasePath() + ".missing", "home"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");
}
