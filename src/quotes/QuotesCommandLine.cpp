#include "quotes/QuotesCommandLine.h"

#include "base/TerminalUi.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "quotes/QuoteUpdate.h"

#include <ostream>

namespace
{
void PrintHoldings(Database& db, std::ostream& out)
{
    Recordset rs;
    rs.Open(QuoteUpdateQuery, db, OpenMode::ReadOnly);
    for (; !rs.IsEOF(); rs.MoveNext())
        out << rs.GetText("StockSymbol") << '\t' << rs.GetText("LastPrice") << '\t'
            << rs.GetText("Total") << '\n';
}
} // namespace

std::variant<QuotesCommandLine, std::string>
ParseQuotesCommandLine(std::span<const std::string> args)
{
    QuotesCommandLine command;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg != "--service" && arg != "--url")
            return "unknown quotes argument '" + arg + "'";
        if (i + 1 == args.size())
            return arg == "--service" ? "--service needs csv or stooq"
                                      : "--url needs a BASE address";
        const std::string& value = args[++i];
        if (arg == "--url")
        {
            if (command.url)
                return "--url is given twice";
            command.url = value;
            continue;
        }
        if (command.service)
            return "--service is given twice";
        std::optional<QuoteServiceKind> kind = ParseQuoteServiceName(value);
        if (!kind || value.empty())
            return "--service must be csv or stooq, got '" + value + "'";
        command.service = kind;
    }
    return command;
}

int RunQuotesCommandLine(Database& db, const QuotesCommandLine& command, std::ostream& out,
                         std::ostream& err)
{
    TerminalUi ui(err);
    QuoteUpdateResult result =
        UpdateQuotes(db, ui, *QuoteServiceFromSettings(command.service, command.url));
    PrintHoldings(db, out);
    return result.failed ? 1 : 0;
}
