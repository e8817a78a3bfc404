#include "dashboard/ReportPages.h"

#include "dashboard/ChartParameters.h"

#include "dashboard/PageFile.h"
#include "data/DateTime.h"
#include "support/RegionEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace
{
/// The dates the page's script puts into the form: month start and end, year start and end.
std::string FilledDates(const std::string& page)
{
    std::vector<std::string> dates;
    for (const char* field : {"start.value = \"", "end.value = \""})
        for (std::size_t at = page.find(field); at != std::string::npos;
             at = page.find(field, at + 1))
        {
            std::size_t begin = at + std::string(field).size();
            std::string value = page.substr(begin, page.find('"', begin) - begin);
            if (!value.empty())
                dates.push_back(value);
        }
    // Month start, year start, month end, year end: put them in the table's order.
    if (dates.size() != 4)
        return std::to_string(dates.size()) + " dates";
    return dates[0] + " " + dates[2] + " " + dates[1] + " " + dates[3];
}
} // namespace

TEST(ReportPages, DocumentWrapsTheBodyWithTheStyleSheet)
{
    std::string page = ReportDocument("<p>x</p>");
    EXPECT_TRUE(page.starts_with("<html><head><meta charset=\"utf-8\"><style")) << page;
    EXPECT_TRUE(page.ends_with("</style></head><body><p>x</p></body></html>")) << page;
    EXPECT_EQ(ReportsMenuBody(),
              "<b>Reports</b><br><a "
              "href=\"event://Report_Transactions_Parameters\">Transactions</a><br><a "
              "href=\"event://Report_Chart_Parameters?Report=spending\">Spending by "
              "Category</a><br><a href=\"event://Report_Chart_Parameters?Report=cashflow\">"
              "Income and Expenses</a><br><a "
              "href=\"event://Report_Chart_Parameters?Report=networth\">Net Worth</a><br><a "
              "href=\"event://Report_Chart_Parameters?Report=budget\">Budget for the Year</a>");
}

TEST(ReportPages, ParametersPageFillsThisMonthAndThisYearInTheShortDateFormat)
{
    // Day, then month start and end and year start and end, in New York or (german) Berlin.
    struct Case
    {
        bool german;
        DateTime day;
        const char* dates;
    };
    const Case cases[] = {
        {false, {2016, 5, 15, 12, 0, 0}, "05/01/2016 05/31/2016 01/01/2016 12/31/2016"},
        {true, {2016, 2, 3, 12, 0, 0}, "01.02.2016 29.02.2016 01.01.2016 31.12.2016"},
        {false, {2015, 12, 31, 12, 0, 0}, "12/01/2015 12/31/2015 01/01/2015 12/31/2015"},
        // The clocks go forward on the last day of March 2024 in Berlin: still the 31st.
        {true, {2024, 3, 10, 12, 0, 0}, "01.03.2024 31.03.2024 01.01.2024 31.12.2024"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.dates);
        LocaleEnv region(c.german ? "de_DE.UTF-8" : "en_US.UTF-8");
        TimeZoneEnv zone(c.german ? "Europe/Berlin" : "America/New_York");
        ASSERT_TRUE(region.Ok());
        EXPECT_EQ(FilledDates(BuildParametersPage(FromLocalCalendar(c.day))), c.dates);
    }
}

TEST(ReportPages, ParametersFormSendsThreeTextFieldsToPreview)
{
    std::string page = BuildParametersPage(FromLocalCalendar(DateTime{2016, 5, 15, 12, 0, 0}));
    EXPECT_EQ(page.find("<h1>Transactions Report</h1>"), 0u);
    EXPECT_NE(page.find("action=\"event://Preview\""), std::string::npos);
    EXPECT_NE(page.find("method=\"get\""), std::string::npos);
    EXPECT_NE(page.find("type=\"submit\" value=\"Preview\""), std::string::npos);
    std::size_t start = page.find("<input type=\"text\" name=\"StartDate\"");
    std::size_t end = page.find("<input type=\"text\" name=\"EndDate\"");
    std::size_t categories = page.find("<textarea name=\"categories\" rows=\"4\"");
    ASSERT_NE(start, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    ASSERT_NE(categories, std::string::npos);
    EXPECT_LT(start, end);
    EXPECT_LT(end, categories);
    EXPECT_EQ(page.find("type=\"date\""), std::string::npos);
    // The range drop-down is not sent.
    std::size_t combo = page.find("<select id=\"combo\"");
    ASSERT_NE(combo, std::string::npos);
    EXPECT_EQ(page.substr(combo, page.find('>', combo) - combo).find("name="), std::string::npos);
    EXPECT_NE(page.find("OnComboSelected();\n</script>"), std::string::npos);
}

TEST(ReportPages, PageFileIsReplacedByEachPage)
{
    TempDir home;
    ScopedEnv dataHome("XDG_DATA_HOME", home.Path().string());
    std::filesystem::create_directories(home.Path() / "Quorvel/Tallybrook");
    std::string path = WriteReportPage("<p>first, longer page</p>");
    EXPECT_EQ(path, home.File("Quorvel/Tallybrook/temp/home.html"));
    EXPECT_EQ(WriteReportPage(ReportsMenuBody()), path);
    EXPECT_EQ(FileContents(path), ReportDocument(ReportsMenuBody()));
    EXPECT_EQ(WritePageFile("<html>home</html>"), path);
    EXPECT_EQ(FileContents(path), "<html>home</html>");
    EXPECT_EQ(FileUrl("/tmp/My Data/temp/home.html"), "file:///tmp/My%20Data/temp/home.html");
    EXPECT_EQ(FileUrl("/a#b/c?d"), "file:///a%23b/c%3Fd");
}

namespace
{
/// The ranges the chart parameters page's script offers, "START END" each, in its order.
std::vector<std::string> ChartRanges(const std::string& page)
{
    std::vector<std::string> ranges;
    for (const char* name : {"month", "last_month", "year", "last_year", "twelve"})
    {
        std::string key = std::string("    ") + name + ": [\"";
        std::size_t at = page.find(key);
        if (at == std::string::npos)
            continue;
        at += key.size();
        std::size_t startEnd = page.find('"', at);
        std::size_t endBegin = page.find('"', startEnd + 1) + 1;
        ranges.push_back(page.substr(at, startEnd - at) + " " +
                         page.substr(endBegin, page.find('"', endBegin) - endBegin));
    }
    return ranges;
}
} // namespace

TEST(ReportPages, ChartParametersOfferEachRangeCountedFromToday)
{
    LocaleEnv region("en_US.UTF-8");
    ASSERT_TRUE(region.Ok());
    // In January, last month and the last twelve months reach into the year before.
    std::string page =
        BuildChartParametersPage(ReportKind::Cashflow, FromLocalCalendar({2016, 1, 15, 12, 0, 0}));
    EXPECT_EQ(page.find("<h1>Income and Expenses</h1>"), 0u);
    EXPECT_NE(page.find("name=\"Report\" value=\"cashflow\""), std::string::npos);
    EXPECT_NE(page.find("action=\"event://PreviewChart\""), std::string::npos);
    EXPECT_EQ(ChartRanges(page),
              (std::vector<std::string>{"01/01/2016 01/31/2016", "12/01/2015 12/31/2015",
                                        "01/01/2016 12/31/2016", "01/01/2015 12/31/2015",
                                        "02/01/2015 01/31/2016"}));
    // In December the last twelve months are this year's.
    page =
        BuildChartParametersPage(ReportKind::Budget, FromLocalCalendar({2016, 12, 31, 12, 0, 0}));
    EXPECT_EQ(ChartRanges(page)[4], "01/01/2016 12/31/2016");
    EXPECT_EQ(ChartRanges(page)[1], "11/01/2016 11/30/2016");
}

TEST(ReportPages, PreviewOfAChartReadsItsFieldsByName)
{
    LocaleEnv region("en_US.UTF-8");
    ASSERT_TRUE(region.Ok());
    std::optional<ChartRequest> request = ReadChartRequest(
        {"Report=networth", "StartDate=02/01/2016", "EndDate=", "Accounts=budget"});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, ReportKind::NetWorth);
    ASSERT_TRUE(request->scope.from);
    EXPECT_EQ(*request->scope.from, (DateTime{2016, 2, 1, 0, 0, 0}));
    EXPECT_FALSE(request->scope.to);
    EXPECT_TRUE(request->scope.budgetAccounts);
    EXPECT_FALSE(ReadChartRequest({"Report=pie", "StartDate=", "EndDate="}));
    EXPECT_FALSE(ReadChartRequest({"Report=spending", "StartDate=soon", "EndDate="}));
    EXPECT_FALSE(ReadChartRequest({"Report=spending", "StartDate=", "EndDate=", "Accounts=all"})
                     ->scope.budgetAccounts);
}
