// The four chart reports reached as a user does: a click on the report in the tree, the dates
// typed into the parameters page, Preview pressed, and the figures of the page shown checked
// against sums worked out by hand from the rows the test writes.
#include "dashboard/QvDashboard.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"

#include <wx/webview.h>

#include <chrono>
#include <clocale>
#include <string>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

class ChartReportsWindow : public ControllerTest
{
protected:
    void SetUp() override
    {
        ControllerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // Dates and amounts are written as the C locale shows them: 01/31/2016, -12.50.
        m_savedLocale = std::setlocale(LC_ALL, nullptr);
        m_locale.emplace("LC_ALL", "C.UTF-8");
        std::setlocale(LC_ALL, "C.UTF-8");
        WriteRows();
    }
    void TearDown() override
    {
        ControllerTest::TearDown();
        if (!m_savedLocale.empty())
            std::setlocale(LC_ALL, m_savedLocale.c_str());
    }

    /// One checking account: four rows in 2016, one just before and one just after the year,
    /// and a budget for January and February 2016.
    void WriteRows()
    {
        AddAccount("A1", "Checking", "Bank", 1);
        const char* const insert = "INSERT INTO Trans (AccountID, Sequence, [Year], Period, "
                                   "PostDate, Category, Amount, Description) VALUES ";
        Prepare({std::string(insert) + "('A1', 1, 2015, 12, #12/31/2015#, 'Food', -50, 'Old')",
                 std::string(insert) + "('A1', 2, 2016, 1, #1/4/2016#, 'Food', -12.5, 'Grocer')",
                 std::string(insert) + "('A1', 3, 2016, 1, #1/5/2016#, 'Rent', -400, 'Landlord')",
                 std::string(insert) + "('A1', 4, 2016, 1, #1/31/2016#, 'Salary', 900, 'Payroll')",
                 std::string(insert) + "('A1', 5, 2016, 2, #2/1/2016#, 'Food', -7.5, 'Market')",
                 std::string(insert) + "('A1', 6, 2017, 1, #1/1/2017#, 'Food', -60, 'New')",
                 "INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES "
                 "(2016, 1, 'Food', 'Living', -100)",
                 "INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES "
                 "(2016, 1, 'Rent', 'Housing', -400)",
                 "INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES "
                 "(2016, 2, 'Food', 'Living', -100)"});
    }

    wxWebView& Web() { return *m_controller->Dashboard()->View(); }

    /// The text of the page shown now, once it holds the text looked for (or after 15 s).
    std::string WaitForPage(const std::string& text) { return WaitForWebPage(Web(), text); }

    std::string Script(const std::string& script)
    {
        wxString result;
        if (!Web().RunScript(script, &result))
            return "<script failed>";
        return result.utf8_string();
    }

    /// The headings and table rows of the page shown, in page order: "H1 title" for a
    /// heading, the cells' texts joined by "|" for a row (a cell's lines joined by " / ").
    std::vector<std::string> PageLines()
    {
        std::string text =
            Script("Array.from(document.querySelectorAll('h1,h2,h3,tr')).map(function(e) {"
                   " if (e.tagName != 'TR') return e.tagName + ' ' + e.textContent;"
                   " return Array.from(e.cells).map(function(c) {"
                   "  return c.innerText.trim().replace(/\\s*\\n\\s*/g, ' / '); }).join('|');"
                   "}).join('\\n')");
        std::vector<std::string> lines;
        std::size_t at = 0;
        for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
            lines.push_back(text.substr(at, end - at));
        lines.push_back(text.substr(at));
        return lines;
    }

    /// Clicks the first element the CSS selector finds in the page shown.
    void ClickElement(const std::string& selector)
    {
        std::string box = Script("(function(){var e=document.querySelector(\"" + selector +
                                 "\"); if(!e) return ''; var r=e.getBoundingClientRect(); "
                                 "return Math.round(r.left+Math.min(r.width/2,10))+' '+"
                                 "Math.round(r.top+r.height/2);})()");
        long x = 0;
        long y = 0;
        wxString text = wxString::FromUTF8(box);
        ASSERT_TRUE(text.BeforeFirst(' ').ToLong(&x) && text.AfterFirst(' ').ToLong(&y))
            << selector << " is not in the page";
        m_input->Click(&Web(), wxPoint(static_cast<int>(x), static_cast<int>(y)));
        RealInput::Settle(200);
    }

    /// Replaces the text of a field as a user does: click into it, select all, type.
    void TypeInto(const std::string& selector, const std::string& text)
    {
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            ClickElement(selector);
            m_input->Key('A', wxMOD_CONTROL);
            m_input->Key(WXK_DELETE);
            m_input->Type(text);
            RealInput::Settle(100);
            if (Script("document.querySelector(\"" + selector + "\").value") == text)
                return;
        }
        ADD_FAILURE() << selector << " did not take " << text;
    }

    /// Clicks the report's node, types the whole of 2016 into Start and End and submits the
    /// form, with the Preview button or with Enter in the End field; returns the page shown.
    std::vector<std::string> ShowReport(const std::string& node, int kind, const std::string& name,
                                        const std::string& shownText, bool pressEnter = false)
    {
        m_input->ClickTreeItem(Tree(), Node(node, kind));
        std::string form = WaitForPage("value=\"" + name + "\"");
        EXPECT_NE(form.find("<h1>" + node + "</h1>"), std::string::npos) << node;
        EXPECT_NE(form.find("event://PreviewChart"), std::string::npos) << node;
        TypeInto("#StartDate", "01/01/2016");
        TypeInto("#EndDate", "12/31/2016");
        // Typed dates make the date filter a custom one.
        EXPECT_EQ(Script("document.getElementById('combo').value"), "custom");
        if (pressEnter)
            m_input->Key(WXK_RETURN);
        else
            ClickElement("#Preview");
        std::string page = WaitForPage(shownText);
        EXPECT_NE(page.find(shownText), std::string::npos) << node << " showed:\n" << page;
        return PageLines();
    }

    std::string m_savedLocale;
    std::optional<ScopedEnv> m_locale;
    std::optional<RealInput> m_input;
};
} // namespace

TEST_F(ChartReportsWindow, SpendingByCategorySumsEachCategoryAndItsBarListsTheRows)
{
    m_input.emplace(Start());
    // Out: Rent 400; Food 12.50 + 7.50 = 20 (the rows of 2015 and 2017 fall outside). In:
    // Salary 900.
    std::vector<std::string> expected = {"H1 Spending by Category",
                                         "H2 from 01/01/2016 to 12/31/2016, all accounts",
                                         "H3 Money out",
                                         "Rent|400.00",
                                         "Food|20.00",
                                         "Total|420.00",
                                         "H3 Money in",
                                         "Salary|900.00",
                                         "Total|900.00"};
    EXPECT_EQ(ShowReport("Spending by Category", KindSpendingReport, "spending", "Money in"),
              expected);
    // The bars' labels: 400 / 420 is 95.2% and 20 / 420 is 4.8%.
    std::string chart = Script("document.querySelector('svg').textContent");
    EXPECT_NE(chart.find("400.00  95.2%"), std::string::npos) << chart;
    EXPECT_NE(chart.find("20.00  4.8%"), std::string::npos) << chart;
    EXPECT_EQ(Script("document.querySelector(\"a[href*='categories=Food']\")"
                     ".getAttribute('href')"),
              "event://Preview?StartDate=01%2F01%2F2016&EndDate=12%2F31%2F2016&categories=Food");

    // The Food bar leads to the Food rows of the same period and no others.
    ClickElement("a[href*='categories=Food'] rect");
    std::string page = WaitForPage("Transactions Report");
    ASSERT_NE(page.find("Transactions Report"), std::string::npos) << page;
    std::vector<std::string> rows = {"H1 Transactions Report",
                                     "H2 from 01/01/2016 to 12/31/2016",
                                     "Date|Description|Amount|Check #|Category|Notes",
                                     "Checking",
                                     "01/04/2016|Grocer|-12.50||Food|",
                                     "02/01/2016|Market|-7.50||Food|",
                                     "Total|-20.00"};
    EXPECT_EQ(PageLines(), rows);
}

TEST_F(ChartReportsWindow, IncomeAndExpensesShowsEveryMonthOfThePeriod)
{
    m_input.emplace(Start());
    // January: in 900, out 12.50 + 400 = 412.50, net 487.50. February: out 7.50. The other
    // months have no rows. The year: in 900, out 420, net 480.
    std::vector<std::string> expected = {
        "H1 Income and Expenses", "H2 from 01/01/2016 to 12/31/2016, all accounts",
        "Month|Money in|Money out|Net", "January 2016|900.00|412.50|487.50",
        "February 2016|0.00|7.50|-7.50"};
    for (const char* month : {"March", "April", "May", "June", "July", "August", "September",
                              "October", "November", "December"})
        expected.push_back(std::string(month) + " 2016|0.00|0.00|0.00");
    expected.push_back("Total|900.00|420.00|480.00");
    EXPECT_EQ(ShowReport("Income and Expenses", KindCashflowReport, "cashflow", "</table>"),
              expected);
}

TEST_F(ChartReportsWindow, NetWorthCarriesTheBalanceFromBeforeThePeriod)
{
    m_input.emplace(Start());
    // The row of 12/31/2015 (-50) opens the balance: January -50 - 12.50 - 400 + 900 =
    // 437.50; February 437.50 - 7.50 = 430; then no change. 2016 is a leap year.
    std::vector<std::string> expected = {"H1 Net Worth",
                                         "H2 from 01/01/2016 to 12/31/2016, all accounts",
                                         "Month end|Total|Bank|Cash|Credit Card|Investment|Loan",
                                         "01/31/2016|437.50|437.50|0.00|0.00|0.00|0.00",
                                         "02/29/2016|430.00|430.00|0.00|0.00|0.00|0.00"};
    for (const char* end :
         {"03/31", "04/30", "05/31", "06/30", "07/31", "08/31", "09/30", "10/31", "11/30", "12/31"})
        expected.push_back(std::string(end) + "/2016|430.00|430.00|0.00|0.00|0.00|0.00");
    EXPECT_EQ(ShowReport("Net Worth", KindNetWorthReport, "networth", "</table>"), expected);
}

TEST_F(ChartReportsWindow, BudgetForTheYearShowsEachGroupsActualAndBudgetedByMonth)
{
    m_input.emplace(Start());
    // Housing: Rent -400 against -400 in January. Living: Food -12.50 against -100 in
    // January, -7.50 against -100 in February; the year -20 against -200. Each cell reads
    // actual / budgeted.
    std::vector<std::string> expected = {"H1 Budget for the Year", "H2 2016"};
    std::string heading = "Group";
    std::string housing = "Housing|-400.00 / -400.00";
    std::string living = "Living|-12.50 / -100.00|-7.50 / -100.00";
    for (const char* month : {"January", "February", "March", "April", "May", "June", "July",
                              "August", "September", "October", "November", "December"})
        heading += std::string("|") + month + " 2016";
    for (int month = 2; month <= 12; ++month)
        housing += "|";
    for (int month = 3; month <= 12; ++month)
        living += "|";
    expected.push_back(heading + "|Year");
    expected.push_back(housing + "|-400.00 / -400.00");
    expected.push_back(living + "|-20.00 / -200.00");
    EXPECT_EQ(ShowReport("Budget for the Year", KindBudgetYearReport, "budget", "</table>", true),
              expected);
}
