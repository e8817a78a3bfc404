#include "dashboard/TransactionsReport.h"

#include "dashboard/HtmlEscape.h"
#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/Regional.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ostream>

namespace
{
/// The text after the first "=" of the argument at a position; "" when there is none.
std::string ArgumentValue(const std::vector<std::string>& arguments, std::size_t index)
{
    if (index >= arguments.size())
        return std::string();
    std::size_t equals = arguments[index].find('=');
    return equals == std::string::npos ? std::string() : arguments[index].substr(equals + 1);
}

std::int64_t ReadBound(const std::string& text, std::int64_t unbounded)
{
    if (text.empty())
        return unbounded;
    std::optional<DateTime> date = ParseDate(text);
    return date ? FromLocalCalendar(*date) : 0;
}

std::string ShortDate(std::int64_t pointInTime)
{
    return FormatShortDate(ToLocalCalendar(pointInTime));
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::string plain;
    for (char c : text)
        if (c != '\r')
            plain += c;
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (;;)
    {
        std::size_t end = plain.find('\n', at);
        lines.push_back(plain.substr(at, end == std::string::npos ? end : end - at));
        if (end == std::string::npos)
            return lines;
        at = end + 1;
    }
}

std::string Join(const std::vector<std::string>& parts, const char* separator)
{
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i)
        joined += (i ? separator : "") + parts[i];
    return joined;
}

void AppendTotalsRow(std::string& body, Currency total)
{
    body += "<tr><td colspan=\"2\" style=\"font-weight:bold\">Total</td><td style=\"white-space: "
            "nowrap;text-align:right;font-weight:bold\">";
    AppendHtmlEscaped(body, FormatCurrency(total));
    body += "</td></tr>";
}

void AppendAccountRow(std::string& body, Database& db, const std::string& accountId)
{
    Recordset rs;
    rs.Open("SELECT Description FROM Account WHERE AccountID = '" + SqlEscape(accountId) + "'", db,
            OpenMode::ReadOnly);
    body += "<tr class=\"AccountRow\"><td colspan=\"6\">";
    if (!rs.IsEOF())
        AppendHtmlEscaped(body, rs.GetText("Description"));
    body += "</td></tr>";
}

/// The fields a transaction row shows, looked up once per report.
struct RowFields
{
    explicit RowFields(const Recordset& rs)
        : accountId(rs.FieldIndex("AccountID")), postDate(rs.FieldIndex("PostDate")),
          description(rs.FieldIndex("Description")), amount(rs.FieldIndex("Amount")),
          checkId(rs.FieldIndex("CheckID")), category(rs.FieldIndex("Category")),
          notes(rs.FieldIndex("PayeeName"))
    {
    }
    int accountId, postDate, description, amount, checkId, category, notes;
};

void AppendCell(std::string& body, const Recordset& rs, int field)
{
    body += "<td>";
    AppendHtmlEscaped(body, rs.GetValue(field).ToText());
    body += "</td>";
}

/// Makes room for another row, growing the page four times over when it is full: each
/// growth copies the page into fresh memory, which dominates a report of many rows.
void MakeRoom(std::string& body)
{
    if (body.capacity() - body.size() < 4096)
        body.reserve(std::max<std::size_t>(body.capacity(), 4096) * 4);
}

void AppendTransactionRow(std::string& body, const Recordset& rs, const RowFields& fields,
                          Currency amount)
{
    MakeRoom(body);
    Variant posted = rs.GetValue(fields.postDate);
    body += "<tr><td style=\"white-space: nowrap\">";
    if (!posted.IsNull())
        AppendHtmlEscaped(body, FormatShortDate(posted.ToDate()));
    body += "</td>";
    AppendCell(body, rs, fields.description);
    body += "<td style=\"white-space: nowrap;text-align:right\">";
    AppendHtmlEscaped(body, FormatCurrency(amount));
    body += "</td>";
    AppendCell(body, rs, fields.checkId);
    AppendCell(body, rs, fields.category);
    AppendCell(body, rs, fields.notes);
    body += "</tr>";
}
} // namespace

std::int64_t UnboundedStart()
{
    return FromLocalCalendar(DateTime{1971, 1, 1, 0, 0, 0});
}

std::int64_t UnboundedEnd()
{
    return FromLocalCalendar(DateTime{2999, 12, 31, 23, 59, 59});
}

std::string CategoryFilter(const std::string& categories)
{
    if (categories.empty())
        return std::string();
    std::vector<std::string> literals;
    std::vector<std::string> patterns;
    for (const std::string& line : SplitLines(categories))
    {
        if (line.find('*') == std::string::npos)
        {
            literals.push_back(SqlLiteral(line));
            continue;
        }
        std::string pattern = SqlLiteral(line);
        for (char& c : pattern)
            if (c == '*')
                c = '%';
        patterns.push_back("Category LIKE " + pattern);
    }
    std::string in = "Category IN (" + Join(literals, ", ") + ")";
    std::string like = Join(patterns, " OR ");
    if (!literals.empty() && !patterns.empty())
        return " AND (" + in + " OR " + like + ")";
    if (!patterns.empty())
        return " AND (" + like + ")";
    return " AND " + in;
}

std::string RangeHeading(std::int64_t start, std::int64_t end)
{
    bool openStart = start == UnboundedStart();
    bool openEnd = end == UnboundedEnd();
    if (openStart && openEnd)
        return "all time";
    if (openStart)
        return "to " + ShortDate(end);
    if (openEnd)
        return "from " + ShortDate(start);
    return "from " + ShortDate(start) + " to " + ShortDate(end);
}

namespace
{
const char* const ReportColumns =
    "AccountID, Sequence, Subsequence, [Year], Period, PostDate, Category, Amount, Description, "
    "CheckID, PayeeName, FITID FROM Trans";

// By account and date: the order of the index TransAccountDate, so the first rows of a page
// are read without sorting the range.
const char* const ReportOrder = " ORDER BY AccountID, PostDate";

/// The WHERE clause of the report's range and categories. Jet date literals carry no time:
/// the End date is compared at its midnight.
std::string RangeCondition(const std::vector<std::string>& arguments)
{
    std::int64_t start = ReadBound(ArgumentValue(arguments, 0), UnboundedStart());
    std::int64_t end = ReadBound(ArgumentValue(arguments, 1), UnboundedEnd());
    return " WHERE PostDate >= " + SqlDate(start) + " AND PostDate <= " + SqlDate(end) +
           CategoryFilter(ArgumentValue(arguments, 2));
}

std::string TextOf(const Recordset& rs, int field)
{
    std::string text = rs.GetValue(field).ToText();
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}
} // namespace

void WriteTransactionsFigures(Database& db, const std::vector<std::string>& arguments,
                              std::ostream& out)
{
    Recordset rs;
    rs.Open(std::string("SELECT ") + ReportColumns + RangeCondition(arguments) + ReportOrder, db,
            OpenMode::ReadOnly);
    RowFields fields(rs);
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        Variant posted = rs.GetValue(fields.postDate);
        char day[16] = "";
        if (!posted.IsNull())
        {
            DateTime date = posted.ToDate();
            std::snprintf(day, sizeof day, "%04d-%02d-%02d", date.year % 10000, date.month % 100,
                          date.day % 100);
        }
        out << day << "\t" << TextOf(rs, fields.accountId) << "\t" << TextOf(rs, fields.description)
            << "\t"
            << (rs.GetValue(fields.amount).IsNull()
                    ? std::string()
                    : rs.GetValue(fields.amount).ToCurrency().ToPointText())
            << "\t" << TextOf(rs, fields.checkId) << "\t" << TextOf(rs, fields.category) << "\t"
            << TextOf(rs, fields.notes) << "\n";
    }
}

namespace
{
/// A page lists at most this many rows; the totals count every row of the range.
constexpr std::size_t PageRows = 10000;

/// An account's count and sum of the report's rows, summed by the engine.
struct AccountTotal
{
    std::string accountId;
    std::size_t rows = 0;
    Currency sum;
};

/// Account numbers compare as the engine groups them, ignoring the case of ASCII letters.
bool SameAccount(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y)
                      { return std::tolower(x) == std::tolower(y); });
}

std::vector<AccountTotal> ReadAccountTotals(Database& db, const std::string& condition)
{
    Recordset rs;
    rs.Open("SELECT AccountID, COUNT(*) AS RowCount, SUM(Amount) AS Total FROM Trans" + condition +
                " GROUP BY AccountID ORDER BY AccountID",
            db, OpenMode::ReadOnly);
    std::vector<AccountTotal> totals;
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        std::string accountId = rs.GetValue(0).ToText();
        // No number and an empty one are one group on the page.
        if (totals.empty() || !SameAccount(totals.back().accountId, accountId))
            totals.push_back({accountId, 0, Currency()});
        totals.back().rows += static_cast<std::size_t>(rs.GetValue(1).ToLong());
        totals.back().sum = totals.back().sum + rs.GetValue(2).ToCurrency();
    }
    return totals;
}

void AppendListedNote(std::string& body, std::size_t all)
{
    body += "<p>The first " + std::to_string(PageRows) + " of " + std::to_string(all) +
            " transactions are listed; narrow the dates or categories to list the others. The "
            "totals count them all.</p>";
}

/// Ends an account's rows: the count of rows not listed, then the account's total.
void CloseAccount(std::string& body, const AccountTotal& total, std::size_t listed)
{
    if (listed < total.rows)
        body += "<tr><td colspan=\"6\"><i>" + std::to_string(total.rows - listed) +
                (total.rows - listed == 1 ? " more transaction is" : " more transactions are") +
                " not listed.</i></td></tr>";
    AppendTotalsRow(body, total.sum);
}
} // namespace

std::string BuildTransactionsReport(Database& db, const std::vector<std::string>& arguments)
{
    std::int64_t start = ReadBound(ArgumentValue(arguments, 0), UnboundedStart());
    std::int64_t end = ReadBound(ArgumentValue(arguments, 1), UnboundedEnd());
    std::string body = "<h1>Transactions Report</h1><h2><a "
                       "href=\"event://Report_Transactions_Parameters\">" +
                       HtmlEscape(RangeHeading(start, end)) + "</a></h2>";
    std::string condition = RangeCondition(arguments);
    std::vector<AccountTotal> totals = ReadAccountTotals(db, condition);
    if (totals.empty())
        return body + "<p style=\"text-align:center\">No transactions in this date range.</p>";
    std::size_t all = 0;
    for (const AccountTotal& total : totals)
        all += total.rows;
    if (all > PageRows)
        AppendListedNote(body, all);

    body += "<table><tr><td><b>Date</b></td><td><b>Description</b></td><td "
            "align=\"right\"><b>Amount</b></td><td style=\"white-space: nowrap\"><b>Check "
            "#</b></td><td><b>Category</b></td><td><b>Notes</b></td></tr>";
    Recordset rs;
    rs.Open("SELECT TOP " + std::to_string(PageRows) + " " + ReportColumns + condition +
                ReportOrder,
            db, OpenMode::ReadOnly);
    RowFields fields(rs);
    std::size_t next = 0;   // the first account not yet begun
    std::size_t listed = 0; // rows listed of the account begun last
    bool closed = false;
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        std::string accountId = rs.GetValue(fields.accountId).ToText();
        if (next == 0 || !SameAccount(accountId, totals[next - 1].accountId))
        {
            if (next > 0)
                CloseAccount(body, totals[next - 1], listed);
            closed = next == totals.size();
            if (closed)
                break; // the rows changed since the totals were read
            AppendAccountRow(body, db, totals[next].accountId);
            ++next;
            listed = 0;
        }
        AppendTransactionRow(body, rs, fields, rs.GetValue(fields.amount).ToCurrency());
        ++listed;
    }
    if (next > 0 && !closed)
        CloseAccount(body, totals[next - 1], listed);
    // Accounts whose rows all lie beyond the page.
    for (; next < totals.size(); ++next)
    {
        AppendAccountRow(body, db, totals[next].accountId);
        CloseAccount(body, totals[next], 0);
    }
    body += "</table>";
    return body;
}
