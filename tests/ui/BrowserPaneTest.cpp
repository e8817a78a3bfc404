// The browser pane's pages, driven as a user does: real clicks on the links and the form of
// the real pages in the embedded browser.
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "base/Settings.h"
#include "dashboard/QvDashboard.h"
#include "support/LoopbackHttpServer.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"
#include "ui/RecordedDocuments.h"

#include <wx/webview.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace
{
using Clock = std::chrono::steady_clock;

class BrowserPane : public ControllerTest
{
protected:
    Controller& StartShown()
    {
        Controller& window = Start();
        m_input.emplace(window);
        return window;
    }
    wxWebView& Web() { return *m_controller->Dashboard()->View(); }

    /// The text of the page shown now, once it holds the text looked for (or after 15 s).
    std::string WaitForPage(const std::string& text) { return WaitForWebPage(Web(), text); }

    /// Clicks the first element the CSS selector finds in the page shown.
    void ClickElement(const std::string& selector) { m_input->ClickPageElement(Web(), selector); }

    /// Empties a text field of the page as a user does: click into it, select all, delete.
    /// The page may still be settling when the first click lands; it is tried again then.
    void ClearField(const std::string& selector)
    {
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            ClickElement(selector);
            m_input->Key('A', wxMOD_CONTROL);
            m_input->Key(WXK_DELETE);
            RealInput::Settle(100);
            wxString value;
            if (Web().RunScript("document.querySelector(\"" + selector + "\").value", &value) &&
                value.empty())
                return;
        }
        ADD_FAILURE() << selector << " could not be emptied";
    }

    std::optional<RealInput> m_input;
};
} // namespace

TEST_F(BrowserPane, HomePageLinksAddAnAccountAndSelectIt)
{
    Controller& window = StartShown();
    std::string page = WaitForPage("Total Net Worth");
    // An empty database: no account rows, the total only; no quote rows.
    EXPECT_EQ(page.find("selectAccount"), std::string::npos);
    ASSERT_NE(page.find("Total Net Worth"), std::string::npos);

    ClickElement("a[href='event://addAccount?Bank']");
    ASSERT_TRUE(Node("Bank", KindAccountList).IsOk());
    EXPECT_EQ(Tree().GetSelection(), Node("Bank", KindAccountList));
    EXPECT_EQ(window.GetView().Kind(), KindAccountList);
    ASSERT_TRUE(Grid().IsEditing());
    EXPECT_EQ(Grid().GetGridCursorRow(), 0);
    m_input->Type("Everyday");
    m_input->Key(WXK_TAB);
    m_input->Type("1001");
    m_input->Key(WXK_RETURN);
    m_input->Key(WXK_ESCAPE);
    Grid().EndCellEdit();
    EXPECT_EQ(Text("SELECT Type FROM Account WHERE AccountID = '1001'"), "Bank");

    // The type name with its blank travels encoded and arrives whole.
    m_input->ClickTreeItem(Tree(), Tree().GetRootItem());
    WaitForPage("Everyday");
    ClickElement("a[href='event://addAccount?Credit%20Card']");
    EXPECT_TRUE(Node("Credit Card", KindAccountList).IsOk());
    EXPECT_EQ(window.GetView().AccountTypeInContext(), "Credit Card");
    m_input->Key(WXK_ESCAPE);
    Grid().EndCellEdit();

    // The account's link selects it and gives the grid the keyboard focus.
    m_input->ClickTreeItem(Tree(), Tree().GetRootItem());
    WaitForPage("Everyday");
    int sequence = static_cast<int>(Scalar("SELECT Sequence FROM Account"));
    ClickElement("a[href^='event://selectAccount']");
    EXPECT_EQ(Tree().GetSelection(), Node(std::to_string(sequence), KindRegister));
    EXPECT_EQ(window.GetView().Kind(), KindRegister);
    EXPECT_TRUE(Grid().HasFocusInside());
}

TEST_F(BrowserPane, TheReportFormsPreviewShowsTheReport)
{
    AddAccount("A1", "Checking <main>", "Bank", 1);
    Prepare({"INSERT INTO Trans (AccountID, Sequence, [Year], Period, PostDate, Category, Amount, "
             "Description) VALUES ('A1', 1, 2016, 5, #5/3/2016#, 'Food', -20, "
             "'<script>alert(1)</script> & Co')"});
    StartShown();
    m_input->ClickTreeItem(Tree(), Node("Transactions", KindTransactionsReport));
    WaitForPage("StartDate");
    // All time: both dates emptied by the user.
    for (const char* field : {"#StartDate", "#EndDate"})
        ClearField(field);
    ClickElement("input[type=submit]");
    std::string report = WaitForPage("</table>");
    EXPECT_NE(report.find("all time"), std::string::npos);
    EXPECT_NE(report.find("Checking &lt;main&gt;"), std::string::npos);
    EXPECT_NE(report.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; Co"), std::string::npos);
    EXPECT_EQ(report.find("<script>alert"), std::string::npos);

    // The heading leads back to the form.
    ClickElement("h2 a");
    EXPECT_NE(WaitForPage("StartDate").find("StartDate"), std::string::npos);
}

TEST_F(BrowserPane, UpdateQuotesRedrawsTheHomePageWithTheNewPrices)
{
    LoopbackHttpServer quotes(
        [](const LoopbackHttpServer::Request&) -> LoopbackHttpServer::Reply
        {
            return {200,
                    "\"ACME\",12.50,\"5/3/2016\",\"4:00pm\",+0.25,\"+2%\",12,13,11,12,13,100\r\n",
                    "text/csv",
                    "",
                    0,
                    false};
        });
    WriteSetting("QuoteService", "csv", "Settings");
    WriteSetting("QuoteUrl", quotes.BaseUrl(), "Settings");
    AddAccount("I1", "Brokerage", "Investment", 1);
    Prepare({"INSERT INTO Investment (StockSymbol, StockName, Quantity, LastPrice, AccountID, "
             "Sequence) VALUES ('ACME', 'Acme', 10, 1, 'I1', 1)"});
    StartShown();
    WaitForPage("ACME");
    ClickElement("a[href='event://updateQuotes']");
    std::string page = WaitForPage("12.50");
    EXPECT_NE(page.find("12.50"), std::string::npos);
    EXPECT_EQ(Text("SELECT Total FROM Investment"), "125");
    EXPECT_EQ(Text("SELECT CurrentBalance FROM Account WHERE AccountID = 'I1'"), "125");
}

TEST_F(BrowserPane, EveryTaskAndPlaceLinkRunsItsEvent)
{
    WriteSetting("SiteUrl", "http://127.0.0.1:9/site", "Settings");
    WriteSetting("BankUrl", "http://127.0.0.1:9/bank", "Settings");
    RecordedDocuments documents;
    const std::vector<std::string>& opened = documents.Opened();
    Controller& window = StartShown();
    MessageBoxAnswers answers;
    const std::string site = "http://127.0.0.1:9/site";
    struct Link
    {
        const char* event;
        std::string opens; ///< the address it opens, "" when it does something else
    };
    const Link links[] = {
        {"gotoBankWS", "http://127.0.0.1:9/bank"},
        {"gotoQuorvelWS", site},
        {"gotoForum", site + "/forum"},
        {"gotoTutorial", site + "/tallybrook/tutorial"},
        {"checkForUpdates", site + "/tallybrook/checkforupdates.html?version=8.1.0"},
        {"donate", site + "/donate.html"},
    };
    for (const Link& link : links)
    {
        WaitForPage("Total Net Worth");
        ClickElement(std::string("a[href='event://") + link.event + "']");
        ASSERT_FALSE(opened.empty()) << link.event;
        EXPECT_EQ(opened.back(), link.opens);
    }
    ClickElement("a[href='event://importTransactions']");
    EXPECT_EQ(answers.OtherDialogs(), std::vector<std::string>{"Import"});

    // Names are compared case and all: an unknown event does nothing, not even navigate.
    std::size_t before = opened.size();
    Web().RunScript(
        "var a=document.createElement('a'); a.id='odd'; a.href='event://GotoBudget';"
        "a.textContent='odd link'; document.body.insertBefore(a, document.body.firstChild);");
    ClickElement("#odd");
    EXPECT_EQ(window.GetView().Kind(), KindHome);
    EXPECT_EQ(opened.size(), before);
    EXPECT_NE(WaitForPage("odd link").find("odd link"), std::string::npos);

    ClickElement("a[href='event://gotoBudget']");
    EXPECT_EQ(Tree().GetSelection(), Node("", KindBudget));
    EXPECT_EQ(window.GetView().Kind(), KindBudget);
}

TEST_F(BrowserPane, AnOrdinaryLinkIsFollowed)
{
    TempDir pages;
    std::string other = pages.File("other.html");
    std::ofstream(other) << "<html><body><p>another page</p></body></html>";
    StartShown();
    WaitForPage("Total Net Worth");
    Web().RunScript("var a=document.createElement('a'); a.id='plain'; a.href='file://" + other +
                    "'; a.textContent='plain link'; "
                    "document.body.insertBefore(a, document.body.firstChild);");
    ClickElement("#plain");
    EXPECT_NE(WaitForPage("another page").find("another page"), std::string::npos);
}

TEST_F(BrowserPane, QuotesAreUpdatedOnceTheWindowShowsWhenTheSettingSaysSo)
{
    LoopbackHttpServer quotes(
        [](const LoopbackHttpServer::Request&) -> LoopbackHttpServer::Reply
        { return {200, "ACME,7.25,x,x,+1,x,x,x,x,x,x,x", "text/csv", "", 0, false}; });
    WriteSetting("QuoteService", "csv", "Settings");
    WriteSetting("QuoteUrl", quotes.BaseUrl(), "Settings");
    WriteSetting("UpdateQuotesOnStartup", "1", "Settings");
    AddAccount("I1", "Brokerage", "Investment", 1);
    Prepare({"INSERT INTO Investment (StockSymbol, Quantity, AccountID, Sequence) VALUES "
             "('ACME', 4, 'I1', 1)"});
    StartShown();
    EXPECT_NE(WaitForPage("7.25").find("7.25"), std::string::npos);
    EXPECT_EQ(Text("SELECT Total FROM Investment"), "29");
}
