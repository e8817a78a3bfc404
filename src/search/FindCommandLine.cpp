#include "search/FindCommandLine.h"

#include "search/SearchQuery.h"
#include "search/TransactionSearch.h"

#include <cstdio>
#include <limits>
#include <ostream>
#include <variant>

namespace
{
std::string Plain(std::string text)
{
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

void PrintRow(std::ostream& out, const FoundTransaction& row)
{
    char day[16];
    std::snprintf(day, sizeof day, "%04d-%02d-%02d", row.date.year % 10000, row.date.month % 100,
                  row.date.day % 100);
    out << day << "\t" << Plain(row.accountId) << "\t" << row.sequence << "\t"
        << Plain(row.description) << "\t" << (row.amount ? row.amount->ToPointText() : "") << "\t"
        << Plain(row.checkId) << "\t" << Plain(row.category) << "\t" << Plain(row.notes) << "\n";
}
} // namespace

int RunFindCommandLine(Database& db, std::span<const std::string> args, std::ostream& out,
                       std::ostream& err)
{
    std::string text;
    for (const std::string& arg : args)
        text += (text.empty() ? "" : " ") + arg;
    auto query = ParseSearchQuery(text);
    if (const std::string* hint = std::get_if<std::string>(&query))
    {
        err << "tallybrook-cli: " << *hint << "\n";
        return 2;
    }
    SearchResult result = FindTransactions(db, std::get<SearchQuery>(query),
                                           std::numeric_limits<std::int32_t>::max());
    for (const FoundTransaction& row : result.rows)
        PrintRow(out, row);
    return 0;
}
