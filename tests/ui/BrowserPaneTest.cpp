// The browser pane's pages, driven as a user does: real clicks on the links and the form of
// the real pages in the embedded browser.
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/Settings.h"
#include "dashboard/QvDashboard.h"
#include "support/LoopbackHttpServer.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"

#include <wx/webview.h>

#include <chrono>
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
    std::string WaitForPage(const std::string& text)
    {
        std::string shown;
        for (auto until = Clock::now() + std::chrono::seconds(15); Clock::now() < until;)
        {
            RealInput::Settle(50);
            if (Web().IsBusy())
                continue;
            wxString body;
            if (Web().RunScript("document.readyState == 'complete' ? "
                                "document.documentElement.outerHTML : ''",
                                &body))
                shown = body.utf8_string();
            if (shown.find(text) != std::string::npos)
                break;
        }
        return shown;
    }

    /// Clicks the first element the CSS selector finds in the page shown.
    void ClickElement(const std::string& selector)
    {
        wxString box;
        ASSERT_TRUE(Web().RunScript("(function(){var e=document.querySelector(\"" + selector +
                                        "\"); if(!e) return ''; var r=e.getBoundingClientRect(); "
                                        "return Math.round(r.left+Math.min(r.width/2,10))+' '+"
                                        "Math.round(r.top+r.height/2);})()",
                                    &box));
        long x = 0;
        long y = 0;
        ASSERT_TRUE(box.BeforeFirst(' ').ToLong(&x) && box.AfterFirst(' ').ToLong(&y))
            << selector << " is not in the page";
        m_input->Click(&Web(), wxPoint(static_cast<int>(x), static_cast<int>(y)));
        RealInput::Settle(200);
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
    {
        ClickElement(field);
        m_input->Key('A', wxMOD_CONTROL);
        m_input->Key(WXK_DELETE);
    }
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
