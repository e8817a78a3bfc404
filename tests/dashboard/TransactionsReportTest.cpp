#include "dashboard/TransactionsReport.h"

#include "budget/BudgetTestDatabase.h"
#include "data/Statement.h"
#include "support/RegionEnv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const std::string Heading = "<h1>Transactions Report</h1><h2><a "
                            "href=\"event://Report_Transactions_Parameters\">";
const std::string NoRows = "<p style=\"text-align:center\">No transactions in this date range.</p>";
const std::string TableHead =
    "<table><tr><td><b>Date</b></td><td><b>Description</b></td><td "
    "align=\"right\"><b>Amount</b></td><td style=\"white-space: nowrap\"><b>Check "
    "#</b></td><td><b>Category</b></td><td><b>Notes</b></td></tr>";

std::string AccountHead(const std::string& description)
{
    return "<tr class=\"AccountRow\"><td colspan=\"6\">" + description + "</td></tr>";
}

std::string Row(const std::string& date, const std::string& description, const std::string& amount,
                const std::string& check, const std::string& category, const std::string& notes)
{
    return "<tr><td style=\"white-space: nowrap\">" + date + "</td><td>" + description +
           "</td><td style=\"white-space: nowrap;text-align:right\">" + amount + "</td><td>" +
           check + "</td><td>" + category + "</td><td>" + notes + "</td></tr>";
}

std::string Totals(const std::string& amount)
{
    return "<tr><td colspan=\"2\" style=\"font-weight:bold\">Total</td><td style=\"white-space: "
           "nowrap;text-align:right;font-weight:bold\">" +
           amount + "</td></tr>";
}

std::string Range(const std::string& body)
{
    std::size_t start = body.find(Heading);
    if (start != 0)
        return "(no heading)";
    return body.substr(Heading.size(), body.find("</a></h2>") - Heading.size());
}

/// Runs the report under a locale and time zone.
class TransactionsReport : public BudgetTestDatabase
{
protected:
    void SetUp() override
    {
        BudgetTestDatabase::SetUp();
        ASSERT_TRUE(m_locale.Ok());
    }

    /// A transaction posted at a Jet date literal's moment ("5/2/2016 10:30:00").
    void Add(const std::string& account, const std::string& posted, const std::string& category,
             const std::string& amount, const std::string& description = "Tx",
             const std::string& check = "NULL", const std::string& notes = "NULL")
    {
        Db().Execute("INSERT INTO Trans (AccountID, Sequence, [Year], Period, PostDate, Category, "
                     "Amount, Description, CheckID, PayeeName) VALUES (" +
                     SqlLiteral(account) + ", " + std::to_string(Db().NextTransSequence()) +
                     ", 2016, 5, #" + posted + "#, " + SqlLiteral(category) + ", " + amount + ", " +
                     SqlLiteral(description) + ", " + check + ", " + notes + ")");
    }

    std::string Report(const std::string& start, const std::string& end,
                       const std::string& categories = "")
    {
        return BuildTransactionsReport(
            Db(), {"StartDate=" + start, "EndDate=" + end, "categories=" + categories});
    }

    /// The descriptions of the report's rows, in order.
    std::vector<std::string> Listed(const std::string& body)
    {
        std::vector<std::string> descriptions;
        const std::string cell = "<tr><td style=\"white-space: nowrap\">";
        for (std::size_t at = body.find(cell); at != std::string::npos; at = body.find(cell, at))
        {
            std::size_t start = body.find("<td>", at) + 4;
            descriptions.push_back(body.substr(start, body.find("</td>", start) - start));
            at = start;
        }
        return descriptions;
    }

private:
    TimeZoneEnv m_zone{"America/New_York"};
    LocaleEnv m_locale{"en_US.UTF-8"};
};
} // namespace

TEST_F(TransactionsReport, RangeHeadingNamesTheOpenEnds)
{
    EXPECT_EQ(Range(Report("", "")), "all time");
    EXPECT_EQ(Range(BuildTransactionsReport(Db(), {})), "all time");
    EXPECT_EQ(Range(Report("", "05/31/2016")), "to 05/31/2016");
    EXPECT_EQ(Range(Report("5/1/2016", "")), "from 05/01/2016");
    EXPECT_EQ(Range(Report("05/01/2016", "05/31/2016")), "from 05/01/2016 to 05/31/2016");
    // The open ends typed in full are still open.
    EXPECT_EQ(Range(Report("01/01/1971", "")), "all time");
    // A date that cannot be read is time 0: the evening of 31 December 1969 in New York.
    EXPECT_EQ(Range(Report("soon", "")), "from 12/31/1969");
    // An argument without "=" has no value.
    EXPECT_EQ(Range(BuildTransactionsReport(Db(), {"StartDate", "EndDate=05/31/2016"})),
              "to 05/31/2016");
}

TEST_F(TransactionsReport, HeadingAndDatesFollowTheLocaleAndTimeZone)
{
    Add("A1", "5/2/2016", "Food", "-1", "Early");
    for (const auto& [locale, zone, start, heading, date] :
         {std::tuple{"de_DE.UTF-8", "Europe/Berlin", "01.05.2016", "from 01.05.2016", "02.05.2016"},
          std::tuple{"en_US.UTF-8", "Asia/Tokyo", "05/01/2016", "from 05/01/2016", "05/02/2016"}})
    {
        LocaleEnv region(locale);
        TimeZoneEnv timeZone(zone);
        std::string body = Report(start, "");
        EXPECT_EQ(Range(body), heading) << locale;
        EXPECT_NE(body.find(std::string("nowrap\">") + date + "</td>"), std::string::npos) << body;
    }
}

TEST_F(TransactionsReport, NoMatchingTransactionsLeavesHeadingsAndOneLine)
{
    EXPECT_EQ(Report("", ""), Heading + "all time</a></h2>" + NoRows);
    Add("A1", "4/30/2016 23:59:59", "Food", "-1");
    EXPECT_EQ(Report("05/01/2016", "05/31/2016"),
              Heading + "from 05/01/2016 to 05/31/2016</a></h2>" + NoRows);
}

TEST_F(TransactionsReport, AccountsInIdOrderEachWithRowsByDateAndItsTotal)
{
    AddAccount("B-2", "Bank", "0", true, "Savings <b>");
    AddAccount("A-1", "Credit Card", "0", true, "Visa & Co");
    Add("B-2", "5/20/2016", "Interest", "1.5", "Bank interest");
    Add("A-1", "5/9/2016", "Car repairs", "-200", "Garage", "'1042'", "'brakes'");
    Add("A-1", "5/2/2016", "Food", "-25.25", "Grocer");
    Add("B-2", "5/3/2016", "(none)", "NULL", "No amount");
    Add("B-2", "6/1/2016", "Food", "-1", "June");

    EXPECT_EQ(Report("05/01/2016", "05/31/2016"),
              Heading + "from 05/01/2016 to 05/31/2016</a></h2>" + TableHead +
                  AccountHead("Visa &amp; Co") +
                  Row("05/02/2016", "Grocer", "-$25.25", "", "Food", "") +
                  Row("05/09/2016", "Garage", "-$200.00", "1042", "Car repairs", "brakes") +
                  Totals("-$225.25") + AccountHead("Savings &lt;b&gt;") +
                  Row("05/03/2016", "No amount", "$0.00", "", "(none)", "") +
                  Row("05/20/2016", "Bank interest", "$1.50", "", "Interest", "") +
                  Totals("$1.50") + "</table>");
}

TEST_F(TransactionsReport, EndDateIsComparedAtMidnightStartDateTooWithoutItsTime)
{
    Add("A1", "4/30/2016 23:00:00", "Food", "-1", "April night");
    Add("A1", "5/1/2016 08:15:00", "Food", "-1", "First morning");
    Add("A1", "5/31/2016", "Food", "-1", "Last midnight");
    Add("A1", "5/31/2016 10:30:00", "Food", "-1", "Last morning");
    EXPECT_EQ(Listed(Report("05/01/2016", "05/31/2016")),
              (std::vector<std::string>{"First morning", "Last midnight"}));
    // A time typed with the date plays no part either.
    EXPECT_EQ(Listed(Report("05/01/2016 09:00", "05/31/2016 23:00")),
              (std::vector<std::string>{"First morning", "Last midnight"}));
}

TEST_F(TransactionsReport, CategoryFilterSelectsTheTransactions)
{
    Add("A1", "5/2/2016", "Food", "-1", "food");
    Add("A1", "5/3/2016", "Car repairs", "-1", "car repairs");
    Add("A1", "5/4/2016", "carwash", "-1", "carwash");
    Add("A1", "5/5/2016", "Books", "-1", "books");
    Add("A1", "5/6/2016", "Kid's toys", "-1", "toys");
    Add("A1", "5/7/2016", "", "-1", "blank");
    Add("A1", "5/8/2016", "Food & Drink", "-1", "drinks");

    EXPECT_EQ(Listed(Report("", "", "Food\r\nCar*")),
              (std::vector<std::string>{"food", "car repairs", "carwash"}));
    EXPECT_EQ(Listed(Report("", "", "Kid's toys")), (std::vector<std::string>{"toys"}));
    // A star matches any text, at either end and with a quote before it.
    EXPECT_EQ(Listed(Report("", "", "*wash\nKid's*")),
              (std::vector<std::string>{"carwash", "toys"}));
    // The form's empty last line adds '' to the list, which matches only an empty category.
    EXPECT_EQ(Listed(Report("", "", "Books\r\n")), (std::vector<std::string>{"books", "blank"}));
    // An "&" typed into the form reaches the report inside its value.
    EXPECT_EQ(Listed(Report("", "", "Food & Drink")), (std::vector<std::string>{"drinks"}));
    EXPECT_EQ(Listed(Report("", "", "Nothing")), std::vector<std::string>{});
}

TEST_F(TransactionsReport, ScriptInStoredTextsShowsAsText)
{
    const std::string script = "<script>alert(1)</script> & Co";
    AddAccount("S", "Bank", "0", true, script);
    Add("S", "5/2/2016", script, "-1", script, SqlLiteral(script), SqlLiteral(script));
    std::string body = Report("", "", script);
    EXPECT_EQ(body.find("<script"), std::string::npos);
    EXPECT_EQ(body.find("& Co"), std::string::npos);
    const std::string shown = "&lt;script&gt;alert(1)&lt;/script&gt; &amp; Co";
    EXPECT_NE(body.find(AccountHead(shown)), std::string::npos) << body;
    EXPECT_NE(body.find(Row("05/02/2016", shown, "-$1.00", shown, shown, shown)), std::string::npos)
        << body;
}

TEST_F(TransactionsReport, TransactionsOfAnUnknownAccountGetTheirOwnTotal)
{
    AddAccount("A1", "Bank", "0", true, "Known");
    Add("", "5/2/2016", "Food", "-5", "orphan");
    Add("A1", "5/3/2016", "Food", "-7", "known");
    std::string body = Report("", "");
    EXPECT_NE(body.find(AccountHead("") + Row("05/02/2016", "orphan", "-$5.00", "", "Food", "") +
                        Totals("-$5.00") + AccountHead("Known")),
              std::string::npos)
        << body;
    EXPECT_NE(body.find(Totals("-$7.00") + "</table>"), std::string::npos);
}

TEST_F(TransactionsReport, APageListsTenThousandRowsAndItsTotalsCountEveryRow)
{
    // A's rows of 1.00 out each fill the page or leave one place for B's first row of 3.
    struct Case
    {
        int rowsOfA;
        int rowsOfB;
        const char* totalOfA;
        const char* listedOfB;
        const char* bTail;
    };
    const Case cases[] = {
        {10000, 2, "-$10,000.00", "", "2 more transactions are"},
        {9999, 3, "-$9,999.00", "-$3.00", "2 more transactions are"},
        {9999, 2, "-$9,999.00", "-$3.00", "1 more transaction is"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.rowsOfA);
        Db().Execute("DELETE FROM Trans");
        Db().Execute("DELETE FROM Account");
        AddAccount("A1", "Bank", "0", true, "Checking");
        AddAccount("B2", "Bank", "0", true, "Savings");
        Statement(Db().Handle(),
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                      std::to_string(c.rowsOfA) +
                      ") INSERT INTO Trans (AccountID, Sequence, PostDate, Amount, Description) "
                      "SELECT 'A1', i, '2016-05-02 00:00:00', -10000, 'a' FROM n")
            .Step();
        for (int i = 0; i < c.rowsOfB; ++i)
            Add("B2", "5/" + std::to_string(10 + i) + "/2016", "Food", i == 0 ? "-3" : "-4", "b");
        std::string body = Report("", "");
        EXPECT_NE(body.find("<p>The first 10000 of " + std::to_string(c.rowsOfA + c.rowsOfB) +
                            " transactions are listed; narrow the dates or categories to list "
                            "the others. The totals count them all.</p>"),
                  std::string::npos);
        std::vector<std::string> listed = Listed(body);
        EXPECT_EQ(listed.size(), 10000U);
        EXPECT_NE(body.find(Totals(c.totalOfA) + AccountHead("Savings")), std::string::npos);
        std::string bTotal = c.rowsOfB == 2 ? "-$7.00" : "-$11.00";
        std::string bRows =
            *c.listedOfB ? Row("05/10/2016", "b", c.listedOfB, "", "Food", "") : std::string();
        EXPECT_NE(body.find(AccountHead("Savings") + bRows + "<tr><td colspan=\"6\"><i>" + c.bTail +
                            " not listed.</i></td></tr>" + Totals(bTotal) + "</table>"),
                  std::string::npos)
            << body.substr(body.size() - 600);
    }
}
