#include "dashboard/HomePage.h"

#include "budget/BudgetTestDatabase.h"
#include "dashboard/PageFile.h"
#include "data/Today.h"
#include "schedule/ScheduleStore.h"
#include "schedule/UpcomingOccurrences.h"
#include "support/RegionEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>
#include <vector>

namespace
{
const char* const Script = "<script>alert(1)</script> & Co";

/// The text between the first `from` and the next `to` after it.
std::string Between(const std::string& page, const std::string& from, const std::string& to)
{
    std::size_t start = page.find(from);
    if (start == std::string::npos)
        return "(no " + from + ")";
    start += from.size();
    return page.substr(start, page.find(to, start) - start);
}

/// The rows of the box with the given heading ("Accounts", "Quotes").
std::string Box(const std::string& page, const std::string& heading)
{
    return Between(page, "colspan=\"2\">" + heading + "</td></tr>\n", "</table>");
}

std::string NetWorthRow(const std::string& amount)
{
    return "<tr><td class=\"menuText\"><b>Total Net Worth</b></td><td class=\"menuText\" "
           "align=\"right\"><b>" +
           amount + "</b></td></tr>\n";
}

/// The rows of the "Coming up" box.
std::string ComingUpBox(const std::string& page)
{
    return Between(page, "colspan=\"3\">Coming up</td></tr>\n", "</table>");
}

const std::string NothingComingUp =
    "<tr><td class='menuText' colspan='3'>Nothing scheduled in the next 14 days.</td></tr>\n";

class HomePage : public BudgetTestDatabase
{
protected:
    void TearDown() override { SetToday(std::nullopt); }

    std::string Page() { return BuildHomePage(Db(), 2016, 5); }

    /// A schedule of the bank account "B" repeating monthly from its first date.
    void AddMonthly(const std::string& description, const char* amount, const DateTime& first)
    {
        Schedule schedule;
        schedule.accountId = "B";
        schedule.description = description;
        schedule.amount = Currency::Parse(amount).value_or(Currency());
        schedule.rule.first = first;
        AddSchedule(Db(), schedule);
    }

    void AddHolding(const std::string& symbol, const std::string& lastPrice)
    {
        Db().Execute(
            "INSERT INTO Investment (StockSymbol, LastPrice, Quantity, AccountID) VALUES (" +
            SqlLiteral(symbol) + ", " + lastPrice + ", 1, 'INV')");
    }
};
} // namespace

TEST_F(HomePage, EmptyDatabaseShowsHeadingsTheZeroNetWorthAndNoBudget)
{
    for (const auto& [locale, zero] :
         {std::pair{"en_US.UTF-8", "$0.00"}, std::pair{"de_DE.UTF-8", "0,00 \xE2\x82\xAC"}})
    {
        LocaleEnv region(locale);
        ASSERT_TRUE(region.Ok()) << locale;
        std::string page = Page();
        EXPECT_EQ(Box(page, "Accounts"), NetWorthRow(zero)) << locale;
        EXPECT_EQ(Box(page, "Quotes"), "") << locale;
        EXPECT_NE(page.find("<a href='event://gotoBudget'>No budget for this month.</a>"),
                  std::string::npos);
        for (const char* placeholder :
             {"%accounts%", "%net_worth%", "%quotes%", "%this_month%", "%coming_up%"})
            EXPECT_EQ(page.find(placeholder), std::string::npos) << placeholder;
    }
}

TEST_F(HomePage, AccountRowIsExactWithEncodedThenEscapedLink)
{
    LocaleEnv region("en_US.UTF-8");
    EXPECT_EQ(AccountRow("Credit Card", "3", "A & B", Currency()),
              "<tr><td class='menuText'><a href='event://selectAccount?Credit%20Card&amp;3'>A "
              "&amp; B</a></td><td class='menuText' align='right'>$0.00</td></tr>\n");
    // An apostrophe cannot end the quoted attribute; the description shows as text.
    EXPECT_EQ(AccountRow("Bank'x", "12", "Joe's", Currency::FromUnits(-12345678)),
              "<tr><td class='menuText'><a href='event://selectAccount?Bank%27x&amp;12'>Joe&#39;s"
              "</a></td><td class='menuText' align='right'>-$1,234.57</td></tr>\n");
    EXPECT_EQ(QuoteRow("BRK.B", Currency::FromUnits(1234500)),
              "<tr><td class='menuText'>BRK.B</td><td class='menuText' "
              "align='right'>$123.45</td></tr>\n");
}

TEST_F(HomePage, AccountsByTypeThenDescriptionAndNullBalancesAddNothing)
{
    LocaleEnv region("en_US.UTF-8");
    AddAccount("L", "Loan", "-1000", true, "Mortgage");
    AddAccount("C2", "Credit Card", "-20", true, "Visa");
    AddAccount("B2", "Bank", "100.5", true, "savings");
    AddAccount("B1", "Bank", "50", true, "Checking");
    AddAccount("N", "Cash", "70", true, "Wallet");
    AddAccount("Q", "Cash", "0", true, "%quotes%");
    Db().Execute("UPDATE Account SET CurrentBalance = 10 WHERE AccountID = 'B1'");
    Db().Execute("UPDATE Account SET CurrentBalance = NULL WHERE AccountID = 'N'");

    std::string expected = AccountRow("Bank", "4", "Checking", Currency::FromWhole(60)) +
                           AccountRow("Bank", "3", "savings", Currency::FromUnits(1005000)) +
                           AccountRow("Cash", "6", "%quotes%", Currency()) +
                           AccountRow("Cash", "5", "Wallet", Currency()) +
                           AccountRow("Credit Card", "2", "Visa", Currency::FromWhole(-20)) +
                           AccountRow("Loan", "1", "Mortgage", Currency::FromWhole(-1000));
    // 60 + 100.5 - 20 - 1000; the wallet's NULL balance counts nothing.
    EXPECT_EQ(Box(Page(), "Accounts"), expected + NetWorthRow("-$859.50"));
}

TEST_F(HomePage, QuotesOnePerHoldingBySymbolWithNullPricesAsZero)
{
    for (const auto& [locale, price, zero] :
         {std::tuple{"en_US.UTF-8", "$12.50", "$0.00"},
          std::tuple{"de_DE.UTF-8", "12,50 \xE2\x82\xAC", "0,00 \xE2\x82\xAC"}})
    {
        LocaleEnv region(locale);
        Db().Execute("DELETE FROM Investment");
        AddHolding("MSFT", "NULL");
        AddHolding("IBM", "12.5");
        AddHolding("IBM", "12.5");
        std::string row = "</td><td class='menuText' align='right'>";
        EXPECT_EQ(Box(Page(), "Quotes"), "<tr><td class='menuText'>IBM" + row + price +
                                             "</td></tr>\n<tr><td class='menuText'>IBM" + row +
                                             price + "</td></tr>\n<tr><td class='menuText'>MSFT" +
                                             row + zero + "</td></tr>\n")
            << locale;
    }
}

TEST_F(HomePage, ScriptInDescriptionsAndSymbolsShowsAsText)
{
    AddAccount("S", "Bank", "1", true, Script);
    AddHolding(Script, "1");
    AddBudget(2016, 5, "Food", Script, "-10");
    std::string page = Page();
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("& Co"), std::string::npos);
    // Account, quote and budget group.
    std::size_t first = page.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; Co");
    ASSERT_NE(first, std::string::npos);
    std::size_t second = page.find("&lt;script&gt;", first + 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;", second + 1), std::string::npos);
}

TEST_F(HomePage, KeepsTheTasksAndPlacesLinks)
{
    std::string page = Page();
    for (const char* link :
         {"event://importTransactions\">Import...", "event://updateQuotes\">Update quotes",
          "event://addAccount?Bank\">Add bank account",
          "event://addAccount?Cash\">Add cash account",
          "event://addAccount?Credit%20Card\">Add credit card",
          "event://addAccount?Investment\">Add investment account",
          "event://addAccount?Loan\">Add loan", "event://gotoBudget\">Budget",
          "event://gotoBankWS\">Your bank's website", "event://gotoQuorvelWS\">Quorvel on the Web",
          "event://gotoForum\">Forum", "event://gotoTutorial\">Online Tutorial",
          "event://checkForUpdates\">Check for Updates", "event://donate\">Donate"})
        EXPECT_NE(page.find(link), std::string::npos) << link;
    EXPECT_NE(page.find("onContextMenu=\"return false\""), std::string::npos);
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
}

TEST_F(HomePage, MonthBoxShowsTheBudgetViewsGroupFigures)
{
    LocaleEnv region("en_US.UTF-8");
    AddSeveralGroupsInMay2016();
    std::string box = Between(Page(), "This month</td></tr>\n", "</table>");
    EXPECT_NE(box.find("<b>May 2016</b>"), std::string::npos) << box;
    // The figures of `tallybrook-cli budget 2016 5`: account X is not in the budget.
    EXPECT_NE(box.find("<td class='menuText'>Home</td>"), std::string::npos) << box;
    EXPECT_NE(box.find("align='right'>-$900.00</td><td class='menuText' "
                       "align='right'>-$1,020.50</td></tr>"),
              std::string::npos)
        << box;
    EXPECT_NE(box.find("align='right'>-$170.10</td><td class='menuText' "
                       "align='right'>-$350.00</td></tr>"),
              std::string::npos)
        << box;
    EXPECT_EQ(box.find("gotoBudget"), std::string::npos);
    EXPECT_EQ(box.find("<script"), std::string::npos);
}

TEST_F(HomePage, WritesThePageFileInTheTemporaryFolder)
{
    TempDir home;
    ScopedEnv dataHome("XDG_DATA_HOME", home.Path().string());
    std::filesystem::create_directories(home.Path() / "Quorvel/Tallybrook/temp");
    std::ofstream(home.File("Quorvel/Tallybrook/temp/home.html")) << "an older page";
    std::string path = WriteHomePage(Db(), 2016, 5);
    EXPECT_EQ(path, home.File("Quorvel/Tallybrook/temp/home.html"));
    EXPECT_EQ(path, PageFilePath());
    std::string text = FileContents(path);
    EXPECT_TRUE(text.starts_with("<html>")) << "the older page is replaced";
    EXPECT_NE(text.find("Total Net Worth"), std::string::npos);
}

TEST_F(HomePage, ComingUpRowLinksTheScheduleInTheRegionalFormats)
{
    const UpcomingOccurrence rent{7, DateTime{2026, 3, 5, 0, 0, 0}, "Rent & <b>",
                                  Currency::FromWhole(-1250), "B"};
    for (const auto& [locale, date, amount] :
         {std::tuple{"C", "03/05/2026", "-1250.00"},
          std::tuple{"de_DE.UTF-8", "05.03.2026", "-1.250,00 \xE2\x82\xAC"}})
    {
        LocaleEnv region(locale);
        ASSERT_TRUE(region.Ok()) << locale;
        EXPECT_EQ(ComingUpRow(rent),
                  std::string("<tr><td class='menuText'>") + date +
                      "</td><td class='menuText'><a href='event://selectSchedule?7'>Rent &amp; "
                      "&lt;b&gt;</a></td><td class='menuText' align='right'>" +
                      amount + "</td></tr>\n")
            << locale;
    }
}

TEST_F(HomePage, ComingUpListsTheNextTwoWeeksFromToday)
{
    LocaleEnv region("C");
    AddAccount("B", "Bank");
    // March 2026 has 31 days: March 20 + 14 is April 3. Rent (1) was due on March 19 and is
    // not entered; Water (2) on April 3 is the last day shown, Phone (3) on April 4 is not.
    AddMonthly("Rent & <b>", "-850", DateTime{2026, 2, 19, 0, 0, 0});
    AddMonthly("Water", "-40.5", DateTime{2026, 4, 3, 0, 0, 0});
    AddMonthly("Phone", "-30", DateTime{2026, 4, 4, 0, 0, 0});
    std::vector<DueOccurrence> february = DueOccurrences(Db(), DateTime{2026, 2, 19, 0, 0, 0});
    ASSERT_EQ(february.size(), 1U);
    ASSERT_TRUE(EnterOccurrence(Db(), february[0]));
    SetToday(DateTime{2026, 3, 20, 0, 0, 0});
    std::string row = "</td><td class='menuText' align='right'>";
    EXPECT_EQ(ComingUpBox(Page()),
              "<tr><td class='menuText'>03/19/2026</td><td class='menuText'><a "
              "href='event://selectSchedule?1'>Rent &amp; &lt;b&gt;</a>" +
                  row +
                  "-850.00</td></tr>\n<tr><td class='menuText'>04/03/2026</td><td "
                  "class='menuText'><a href='event://selectSchedule?2'>Water</a>" +
                  row + "-40.50</td></tr>\n");
    // A day earlier, only Rent's March 19.
    SetToday(DateTime{2026, 3, 19, 0, 0, 0});
    EXPECT_EQ(ComingUpBox(Page()).find("Water"), std::string::npos);
    EXPECT_NE(ComingUpBox(Page()).find("Rent"), std::string::npos);
}

TEST_F(HomePage, ComingUpSaysWhenNothingIsScheduled)
{
    SetToday(DateTime{2026, 3, 20, 0, 0, 0});
    EXPECT_EQ(ComingUpBox(Page()), NothingComingUp);
    // April 4 is 15 days away.
    AddAccount("B", "Bank");
    AddMonthly("Phone", "-30", DateTime{2026, 4, 4, 0, 0, 0});
    EXPECT_EQ(ComingUpBox(Page()), NothingComingUp);
    SetToday(DateTime{2026, 3, 21, 0, 0, 0});
    EXPECT_NE(ComingUpBox(Page()), NothingComingUp);
}
