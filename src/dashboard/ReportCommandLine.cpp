#include "dashboard/ReportCommandLine.h"

#include "dashboard/ChartParameters.h"
#include "dashboard/ChartReports.h"
#include "dashboard/ReportPages.h"
#include "dashboard/TransactionsReport.h"
#include "data/DateTime.h"
#include "data/Regional.h"

#include <algorithm>
#include <optional>

namespace
{
struct KindName
{
    const char* name;
    ReportKind kind;
};
const KindName Kinds[] = {{"transactions", ReportKind::Transactions},
                          {"spending", ReportKind::Spending},
                          {"cashflow", ReportKind::Cashflow},
                          {"networth", ReportKind::NetWorth},
                          {"budget", ReportKind::Budget}};

/// Reads the value of one option into the command; the problem's text on a mistake.
std::string ReadOption(const std::string& option, const std::string& value,
                       ReportCommandLine& command, std::optional<std::string> values[3])
{
    if (option == "--accounts")
    {
        if (value != "all" && value != "budget")
            return "--accounts takes all or budget, got '" + value + "'";
        command.scope.budgetAccounts = value == "budget";
        return "";
    }
    if (option == "--categories")
    {
        values[2] = value;
        return "";
    }
    std::optional<DateTime> date = ParseIsoDay(value);
    if (!date)
        return option + " needs a date as YYYY-MM-DD, got '" + value + "'";
    (option == "--from" ? command.scope.from : command.scope.to) = date;
    values[option == "--from" ? 0 : 1] = FormatShortDate(*date);
    return "";
}
} // namespace

std::variant<ReportCommandLine, std::string>
ParseReportCommandLine(std::span<const std::string> args)
{
    ReportCommandLine command;
    std::size_t i = 0;
    if (!args.empty() && !args.front().starts_with("--"))
    {
        const KindName* kind = nullptr;
        for (const KindName& known : Kinds)
            if (args.front() == known.name)
                kind = &known;
        if (!kind)
            return "unknown report '" + args.front() +
                   "'; the reports are transactions, spending, cashflow, networth and budget";
        command.kind = kind->kind;
        i = 1;
    }
    // The form's three fields, in the order it sends them; an omitted one stays empty.
    std::optional<std::string> values[3];
    std::vector<std::string> seen;
    for (; i < args.size(); ++i)
    {
        const std::string& option = args[i];
        if (option == "--tsv")
        {
            command.tsv = true;
            continue;
        }
        if (option != "--from" && option != "--to" && option != "--categories" &&
            option != "--accounts")
            return "unknown report argument '" + option + "'";
        if (std::find(seen.begin(), seen.end(), option) != seen.end())
            return option + " is given twice";
        seen.push_back(option);
        if (i + 1 == args.size())
            return option + (option == "--categories" ? " needs a TEXT"
                             : option == "--accounts" ? " needs all or budget"
                                                      : " needs a date");
        std::string problem = ReadOption(option, args[++i], command, values);
        if (!problem.empty())
            return problem;
    }
    command.arguments = {"StartDate=" + values[0].value_or(""), "EndDate=" + values[1].value_or(""),
                         "categories=" + values[2].value_or("")};
    return command;
}

void RunReportCommandLine(Database& db, const ReportCommandLine& command, DateTime today,
                          std::ostream& out)
{
    const ReportScope& scope = command.scope;
    if (!command.tsv)
    {
        WriteReportDocument(out, command.kind == ReportKind::Transactions
                                     ? BuildTransactionsReport(db, command.arguments)
                                     : BuildChartReport(db, {command.kind, scope}, today));
        return;
    }
    int year = scope.from ? scope.from->year : today.year;
    switch (command.kind)
    {
    case ReportKind::Transactions:
        WriteTransactionsFigures(db, command.arguments, out);
        return;
    case ReportKind::Spending:
        WriteSpendingFigures(SpendingByCategory(db, scope), out);
        return;
    case ReportKind::Cashflow:
        WriteCashflowFigures(IncomeAndExpenses(db, scope), out);
        return;
    case ReportKind::NetWorth:
        WriteNetWorthFigures(NetWorth(db, scope, today), out);
        return;
    case ReportKind::Budget:
        WriteBudgetYearFigures(year, BudgetForYear(db, year), out);
        return;
    }
}
