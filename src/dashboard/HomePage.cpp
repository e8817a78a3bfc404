#include "dashboard/HomePage.h"

#include "budget/BudgetReport.h"
#include "dashboard/HtmlEscape.h"
#include "dashboard/MonthPicture.h"
#include "dashboard/PageFile.h"
#include "dashboard/PageTemplate.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Regional.h"
#include "data/Today.h"
#include "net/HttpClient.h"
#include "schedule/UpcomingOccurrences.h"

namespace
{
/// How far ahead the "Coming up" box looks, in calendar days.
constexpr int ComingUpDays = 14;

struct AccountRows
{
    std::string rows;
    Variant netWorth;
};

AccountRows ReadAccounts(Database& db)
{
    AccountRows accounts;
    // The net worth starts as 0, which is what the first balance added to nothing gives.
    accounts.netWorth = Variant::FromCurrency(Currency());
    Recordset rs;
    rs.Open("select Description, Type, Sequence, (OpeningBalance + CurrentBalance) as TotBalance "
            "from Account order by Type, Description",
            db, OpenMode::ReadOnly);
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        // A NULL opening or current balance makes the sum NULL: it shows 0 and adds nothing.
        Currency balance = rs.GetCurrency("TotBalance");
        accounts.rows += AccountRow(rs.GetText("Type"), rs.GetText("Sequence"),
                                    rs.GetText("Description"), balance);
        accounts.netWorth = AddValues(accounts.netWorth, Variant::FromCurrency(balance));
    }
    return accounts;
}

std::string ReadQuotes(Database& db)
{
    std::string rows;
    Recordset rs;
    rs.Open("select StockSymbol, LastPrice from Investment order by StockSymbol", db,
            OpenMode::ReadOnly);
    for (; !rs.IsEOF(); rs.MoveNext())
        rows += QuoteRow(rs.GetText("StockSymbol"), rs.GetCurrency("LastPrice"));
    return rows;
}

std::string ComingUpRows(Database& db)
{
    std::string rows;
    for (const UpcomingOccurrence& occurrence : UpcomingOccurrences(db, Today(), ComingUpDays))
        rows += ComingUpRow(occurrence);
    if (rows.empty())
        rows = "<tr><td class='menuText' colspan='3'>Nothing scheduled in the next " +
               std::to_string(ComingUpDays) + " days.</td></tr>\n";
    return rows;
}
} // namespace

std::string AccountRow(const std::string& type, const std::string& sequence,
                       const std::string& description, Currency balance)
{
    std::string link = "event://selectAccount?" + UrlEncode(type) + "&" + UrlEncode(sequence);
    return "<tr><td class='menuText'><a href='" + HtmlEscape(link) + "'>" +
           HtmlEscape(description) + "</a></td><td class='menuText' align='right'>" +
           HtmlEscape(FormatCurrency(balance)) + "</td></tr>\n";
}

std::string QuoteRow(const std::string& symbol, Currency price)
{
    return "<tr><td class='menuText'>" + HtmlEscape(symbol) +
           "</td><td class='menuText' align='right'>" + HtmlEscape(FormatCurrency(price)) +
           "</td></tr>\n";
}

std::string ComingUpRow(const UpcomingOccurrence& occurrence)
{
    std::string link = "event://selectSchedule?" + std::to_string(occurrence.scheduleId);
    return "<tr><td class='menuText'>" + HtmlEscape(FormatShortDate(occurrence.date)) +
           "</td><td class='menuText'><a href='" + HtmlEscape(link) + "'>" +
           HtmlEscape(occurrence.description) + "</a></td><td class='menuText' align='right'>" +
           HtmlEscape(FormatCurrency(occurrence.amount)) + "</td></tr>\n";
}

std::string BuildHomePage(Database& db, int year, int period)
{
    AccountRows accounts = ReadAccounts(db);
    std::string quotes = ReadQuotes(db);
    std::string month = MonthPictureRows(ReadBudgetReport(db, year, period), year, period);
    return FillTemplate(
        HomePageTemplate(),
        {{"%accounts%", std::move(accounts.rows)},
         {"%net_worth%", HtmlEscape(FormatCurrency(accounts.netWorth.ToCurrency()))},
         {"%quotes%", std::move(quotes)},
         {"%this_month%", std::move(month)},
         {"%coming_up%", ComingUpRows(db)}});
}

std::string WriteHomePage(Database& db, int year, int period)
{
    return WritePageFile(BuildHomePage(db, year, period));
}
