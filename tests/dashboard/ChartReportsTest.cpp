#include "dashboard/ChartReports.h"
#include "support/RegionEnv.h"
#include "transfer/TransferTestDatabase.h"

#include <libxml/parser.h>

#include <sstream>

namespace
{
DateTime Day(int year, int month, int day)
{
    return DateTime{year, month, day, 0, 0, 0};
}

/// Checking, a wallet, a card, an account outside the budget, a holding and a loan, with
/// rows from December 2015 to February 2016 whose every figure is worked out by hand below.
class ChartReports : public TransferTest
{
protected:
    ChartReports()
    {
        AddAccount("W", "Wallet", "Cash");
        AddAccount("L", "Mortgage", "Loan");
        Db().Execute("UPDATE Account SET OpeningBalance = 20 WHERE AccountID = 'W'");
        Db().Execute("INSERT INTO Investment (StockSymbol, PurchaseDate, PurchasePrice, "
                     "Quantity, LastPrice, Total, AccountID) VALUES ('ACME', #2/10/2016#, 10, "
                     "5, 12, 60, 'I')");
        Db().Execute("INSERT INTO Loan (Description, OriginalAmount, PaidAmount, AccountID) "
                     "VALUES ('House', 1000, 250, 'L')");
        Add("C", 1, 2015, 12, 20, "-30", "Food");
        Add("C", 2, 2016, 1, 5, "1000", "Salary");
        Add("C", 3, 2016, 1, 10, "-45.5", "Food");
        Add("C", 4, 2016, 1, 12, "-20", "Food");
        Add("C", 4, 2016, 1, 12, "-10", "Household", 1); // the second part of a split
        Add("W", 5, 2016, 1, 15, "-4.5", "Food");
        Add("C", 6, 2016, 1, 20, "15", "Household"); // a refund: Household sums to money in
        Add("C", 7, 2016, 1, 25, "NULL", "Food");
        Add("C", 8, 2016, 1, 28, "-200", "[Visa]");
        Add("C", 9, 2016, 2, 2, "-50", "[Outside]");
        Add("K", 10, 2016, 2, 3, "-60", "Fuel");
        ReconcileTransfer(Db(), TransKey{8, 0});
        ReconcileTransfer(Db(), TransKey{9, 0});
        Db().Execute("INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES "
                     "(2016, 1, 'Food', 'Living', -100), (2016, 1, 'Salary', 'Income', 1000), "
                     "(2016, 2, 'Fuel', 'Car', -50)");
    }

    void Add(const std::string& account, int sequence, int year, int month, int day,
             const std::string& amount, const std::string& category, int part = 0)
    {
        Db().Execute("INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, "
                     "PostDate, Category, Amount, Description) VALUES (" +
                     SqlLiteral(account) + ", " + std::to_string(sequence) + ", " +
                     std::to_string(part) + ", " + std::to_string(year) + ", " +
                     std::to_string(month) + ", #" + std::to_string(month) + "/" +
                     std::to_string(day) + "/" + std::to_string(year) + "#, " +
                     SqlLiteral(category) + ", " + amount + ", 'Row <script>')");
    }

    static ReportScope Scope(std::optional<DateTime> from, std::optional<DateTime> to,
                             bool budget = false)
    {
        return ReportScope{from, to, budget};
    }

    template <typename Write, typename Figures> std::string Tsv(Write write, const Figures& figures)
    {
        std::ostringstream out;
        write(figures, out);
        return out.str();
    }
};

/// Whether a page's every <svg> element parses as XML on its own.
bool SvgParses(const std::string& page, int& charts)
{
    charts = 0;
    for (std::size_t at = page.find("<svg"); at != std::string::npos;
         at = page.find("<svg", at + 1))
    {
        std::size_t end = page.find("</svg>", at);
        if (end == std::string::npos)
            return false;
        std::string svg = page.substr(at, end + 6 - at);
        xmlDocPtr doc =
            xmlReadMemory(svg.data(), static_cast<int>(svg.size()), "chart.svg", nullptr,
                          XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        if (!doc)
            return false;
        xmlFreeDoc(doc);
        ++charts;
    }
    return true;
}
} // namespace

TEST_F(ChartReports, SpendingSumsEachCategoryAndLeavesTransfersWithinTheAccountsOut)
{
    // Food: -45.50 - 20 - 4.50 (the NULL row adds nothing); Household: -10 + 15 = +5. Both
    // transfers stay among all accounts; with the budget's accounts only, the 50 that went to
    // Outside left them.
    ReportScope year = Scope(Day(2016, 1, 1), Day(2016, 12, 31));
    EXPECT_EQ(Tsv(WriteSpendingFigures, SpendingByCategory(Db(), year)),
              "out\tFood\t70.00\nout\tFuel\t60.00\nin\tSalary\t1000.00\nin\tHousehold\t5.00\n");
    year.budgetAccounts = true;
    EXPECT_EQ(Tsv(WriteSpendingFigures, SpendingByCategory(Db(), year)),
              "out\tFood\t70.00\nout\tFuel\t60.00\nout\t[Outside]\t50.00\nin\tSalary\t1000.00\n"
              "in\tHousehold\t5.00\n");
    // The last day counts whole; December 2015 is outside.
    EXPECT_EQ(Tsv(WriteSpendingFigures,
                  SpendingByCategory(Db(), Scope(Day(2015, 12, 20), Day(2015, 12, 20)))),
              "out\tFood\t30.00\n");
    EXPECT_EQ(Tsv(WriteSpendingFigures,
                  SpendingByCategory(Db(), Scope(Day(2017, 1, 1), Day(2017, 1, 31)))),
              "");
}

TEST_F(ChartReports, IncomeAndExpensesGivesEveryMonthAcrossTheYearsEnd)
{
    // December: 30 out. January: 1000 + 15 in; 45.50 + 20 + 10 + 4.50 out. February: the
    // card's 60. March: nothing, yet listed.
    EXPECT_EQ(Tsv(WriteCashflowFigures,
                  IncomeAndExpenses(Db(), Scope(Day(2015, 12, 1), Day(2016, 3, 31)))),
              "2015-12\t0.00\t30.00\t-30.00\n2016-01\t1015.00\t80.00\t935.00\n"
              "2016-02\t0.00\t60.00\t-60.00\n2016-03\t0.00\t0.00\t0.00\n");
    // Open ends run from the first row's month to the last one's.
    EXPECT_EQ(Tsv(WriteCashflowFigures, IncomeAndExpenses(Db(), Scope({}, {}))),
              "2015-12\t0.00\t30.00\t-30.00\n2016-01\t1015.00\t80.00\t935.00\n"
              "2016-02\t0.00\t60.00\t-60.00\n");
    EXPECT_TRUE(IncomeAndExpenses(Db(), Scope(Day(2017, 1, 1), {})).empty());
}

TEST_F(ChartReports, NetWorthValuesEveryAccountTypeAtEachMonthEnd)
{
    // 31 January: Checking 100 - 30 + 1000 - 45.50 - 20 - 10 + 15 - 200 = 809.50; Wallet
    // 20 - 4.50; the card +200; the holding is bought on 10 February; the loan owes 750.
    // February (the month of today): Checking 759.50 and Outside 50; the card 140; the
    // holding at its last price, 60.
    EXPECT_EQ(Tsv(WriteNetWorthFigures,
                  NetWorth(Db(), Scope(Day(2016, 1, 1), Day(2016, 3, 15)), Day(2016, 2, 15))),
              "2016-01-31\t275.00\t809.50\t15.50\t200.00\t0.00\t-750.00\n"
              "2016-02-29\t275.00\t809.50\t15.50\t140.00\t60.00\t-750.00\n"
              "2016-03-15\t275.00\t809.50\t15.50\t140.00\t60.00\t-750.00\n");
    // Before today's month the holding counts at what it cost: 5 x 10.
    EXPECT_EQ(Tsv(WriteNetWorthFigures,
                  NetWorth(Db(), Scope(Day(2016, 2, 1), Day(2016, 2, 29)), Day(2016, 6, 1))),
              "2016-02-29\t265.00\t809.50\t15.50\t140.00\t50.00\t-750.00\n");
}

TEST_F(ChartReports, BudgetForTheYearGivesTheBudgetViewsGroupFigures)
{
    // January: Living -100 against the Food rows -70; Income 1000 against 1000. February:
    // Car -50 against -60, and the 50 sent outside the budget under a line of its own.
    EXPECT_EQ(Tsv([](const std::vector<BudgetMonthFigure>& figures, std::ostream& out)
                  { WriteBudgetYearFigures(2016, figures, out); },
                  BudgetForYear(Db(), 2016)),
              "2016-01\tIncome\t1000.00\t1000.00\n2016-01\tLiving\t-100.00\t-70.00\n"
              "2016-02\t(none)\t0.00\t-50.00\n2016-02\tCar\t-50.00\t-60.00\n");
    EXPECT_TRUE(BudgetForYear(Db(), 2017).empty());
}

TEST_F(ChartReports, PagesDrawParsableChartsInTheLocalesMoneyAndEscapeEveryText)
{
    Db().Execute("UPDATE Trans SET Category = 'Food <script>' WHERE Category = 'Food'");
    for (const char* locale : {"en_US.UTF-8", "de_DE.UTF-8"})
    {
        SCOPED_TRACE(locale);
        LocaleEnv region(locale);
        bool german = std::string(locale).starts_with("de");
        ReportScope year = Scope(Day(2016, 1, 1), Day(2016, 12, 31));
        const std::string pages[] = {
            BuildSpendingReport(Db(), year), BuildCashflowReport(Db(), year),
            BuildNetWorthReport(Db(), year, Day(2016, 2, 15)), BuildBudgetYearReport(Db(), 2016)};
        // Money out and in; one each for cash flow and net worth; a small bar for each month
        // with lines and for the year, of four groups.
        const int chartsWanted[] = {2, 1, 1, 8};
        for (std::size_t i = 0; i < 4; ++i)
        {
            int charts = 0;
            EXPECT_TRUE(SvgParses(pages[i], charts)) << pages[i];
            EXPECT_EQ(charts, chartsWanted[i]) << pages[i];
            EXPECT_EQ(pages[i].find("<script>"), std::string::npos) << pages[i];
        }
        EXPECT_NE(pages[0].find("Food &lt;script&gt;"), std::string::npos);
        EXPECT_NE(pages[0].find(german ? "1.000,00" : "1,000.00"), std::string::npos);
        EXPECT_NE(pages[1].find(german ? "935,00" : "935.00"), std::string::npos);
        // A bar leads to the Transactions report of its category and period.
        EXPECT_NE(pages[0].find("href='event://Preview?StartDate=" +
                                std::string(german ? "01.01.2016" : "01%2F01%2F2016") +
                                "&amp;EndDate="),
                  std::string::npos)
            << pages[0];
        EXPECT_NE(pages[0].find("categories=Food%20%3Cscript%3E'"), std::string::npos);
    }
    std::string empty = BuildCashflowReport(Db(), Scope(Day(2020, 1, 1), Day(2020, 1, 31)));
    EXPECT_NE(empty.find("No transactions in this date range."), std::string::npos);
    EXPECT_EQ(empty.find("<svg"), std::string::npos);
}
