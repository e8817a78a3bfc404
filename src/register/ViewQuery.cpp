#include "register/ViewQuery.h"

#include "data/RecordHelpers.h"
#include "data/ViewKind.h"

#include <algorithm>
#include <cctype>

namespace
{
std::string Trim(const std::string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
        --last;
    return text.substr(first, last - first);
}

// The first occurrence of a keyword outside quoted text ('...', "...") and bracketed
// names, ignoring case: an account id such as 'order by' must not split the query.
std::size_t FindNoCase(const std::string& text, const std::string& word)
{
    char closing = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        char c = text[i];
        if (closing)
        {
            if (c == closing)
                closing = 0;
            continue;
        }
        if (c == '\'' || c == '"')
        {
            closing = c;
            continue;
        }
        if (c == '[')
        {
            closing = ']';
            continue;
        }
        if (i + word.size() > text.size())
            break;
        std::size_t k = 0;
        while (k < word.size() && std::toupper(static_cast<unsigned char>(text[i + k])) ==
                                      std::toupper(static_cast<unsigned char>(word[k])))
            ++k;
        if (k == word.size())
            return i;
    }
    return std::string::npos;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}
} // namespace

std::string BuildViewQuery(const ViewQueryContext& c)
{
    std::string fields;
    std::string table;
    std::string condition;
    std::string order;
    std::string year = std::to_string(c.year);
    std::string month = std::to_string(c.month);
    switch (c.kind)
    {
    case KindBudget:
        fields = "Category, Amount, Sequence, Year, Period, CategoryGroup";
        table = "Budget";
        condition = "Year = " + year + " AND Period = " + month;
        order = "CategoryGroup, Category";
        break;
    case KindAccountList:
        fields = "Description, AccountID, OpeningBalance, (OpeningBalance + CurrentBalance) as "
                 "TotBalance, Sequence, Type";
        table = "Account";
        condition = "Type = '" + SqlEscape(c.accountType) + "'";
        order = "Description";
        break;
    case KindRegister:
        fields = "PostDate, Description, Amount, CheckID, Category, PayeeName AS Notes, AccountID, "
                 "Year, Period, FITID, Sequence, SubSequence";
        table = "Trans";
        condition = "AccountID = '" + SqlEscape(c.accountId) + "' AND Period = " + month +
                    " AND Year = " + year;
        order = "PostDate DESC, Sequence DESC, SubSequence";
        break;
    case KindInvestment:
        fields = "StockSymbol, StockName, PurchaseDate, PurchasePrice, Quantity, LastPrice, Total, "
                 "AccountID, Sequence";
        table = "Investment";
        condition = "AccountID = '" + SqlEscape(c.accountId) + "'";
        order = "PurchaseDate";
        break;
    case KindLoan:
        fields = "Description, OriginalAmount, PaidAmount, InterestRate, AccountID, Sequence";
        table = "Loan";
        condition = "AccountID = '" + SqlEscape(c.accountId) + "'";
        order = "Description";
        break;
    case KindScheduled:
        fields = "NextDate, AccountID, Description, Amount, Category, Repeats, Entry, ScheduleID";
        table = "Schedule";
        order = "NextDate, ScheduleID";
        break;
    default:
        return "";
    }
    std::string sql = "SELECT " + fields + " FROM " + table;
    if (!condition.empty())
        sql += " WHERE " + condition;
    return sql + " ORDER BY " + order;
}

QueryParts SplitQuery(const std::string& sql)
{
    QueryParts parts;
    std::size_t where = FindNoCase(sql, "WHERE");
    std::size_t orderBy = FindNoCase(sql, "ORDER BY");
    std::size_t baseEnd = std::min(where, orderBy);
    parts.base = Trim(sql.substr(0, std::min(baseEnd, sql.size())));
    if (where != std::string::npos && (orderBy == std::string::npos || where < orderBy))
    {
        std::size_t end = orderBy == std::string::npos ? sql.size() : orderBy;
        parts.condition = Trim(sql.substr(where + 5, end - where - 5));
    }
    if (orderBy != std::string::npos)
        parts.order = Trim(sql.substr(orderBy + 8));
    return parts;
}

std::string JoinQuery(const QueryParts& parts)
{
    std::string sql = parts.base;
    if (!parts.condition.empty())
        sql += " WHERE " + parts.condition;
    if (!parts.order.empty())
        sql += " ORDER BY " + parts.order;
    return sql + ";";
}

std::string BuildOrderText(const std::vector<std::string>& names,
                           const std::vector<bool>& ascending)
{
    std::string order;
    for (std::size_t i = 0; i < names.size(); ++i)
    {
        if (!order.empty())
            order += ", ";
        order += "[" + names[i] + "]";
        if (i < ascending.size() && !ascending[i])
            order += " DESC";
    }
    return order;
}

std::string RewriteSortOrder(const std::string& order, bool grouped, bool groupAscending)
{
    if (grouped)
    {
        if (order == "[CategoryGroup]" || order == "[CategoryGroup] DESC")
            return order + ", [Category]";
        return std::string("[CategoryGroup]") + (groupAscending ? "" : " DESC") + ", " + order;
    }
    std::string rewritten = order;
    ReplaceAll(rewritten, "[Notes]", "[PayeeName]");
    return rewritten;
}

std::string ColumnWidthKey(int kind)
{
    switch (kind)
    {
    case KindBudget:
        return "Budget";
    case KindAccountList:
        return "Account";
    case KindRegister:
        return "Trans";
    case KindInvestment:
        return "Investment";
    case KindLoan:
        return "Loan";
    case KindScheduled:
        return "Schedule";
    default:
        return "";
    }
}

std::vector<double> DefaultColumnWidths(int kind)
{
    switch (kind)
    {
    case KindBudget:
        return {0.25, 0.2, 0, 0, 0, 0, 0.2, 0.2};
    case KindAccountList:
        return {0.4, 0.2, 0.2, 0};
    case KindRegister:
        return {0.12, 0.3, 0.1, 0.1, 0.1};
    case KindInvestment:
        return {0.1, 0.3, 0.1, 0.1, 0.1, 0.1};
    case KindLoan:
        return {0.4, 0.16, 0.16, 0.1, 0, 0, 0};
    case KindScheduled:
        return {0.1, 0.08, 0.22, 0.1, 0.13, 0.22};
    default:
        return {};
    }
}

std::vector<double> ScaledDefaultColumnWidths(int kind, double scale)
{
    std::vector<double> widths = DefaultColumnWidths(kind);
    double sum = 0;
    for (double width : widths)
        sum += width;
    // The stretched last column keeps a tenth of the grid however wide the font.
    if (sum > 0)
        scale = std::min(scale, MaxLeadingShare / sum);
    scale = std::max(scale, 1.0);
    for (double& width : widths)
        width *= scale;
    return widths;
}

std::vector<double> CheckedColumnWidths(int kind, const std::vector<double>& stored, double scale)
{
    std::vector<double> defaults = ScaledDefaultColumnWidths(kind, scale);
    return stored.size() == defaults.size() ? stored : defaults;
}
