#pragma once

#include "dashboard/ReportFigures.h"

#include <iosfwd>
#include <span>
#include <string>
#include <variant>
#include <vector>

class Database;

/// What `tallybrook-cli report` was asked for: the report, its period and accounts, and for
/// the Transactions report the Preview event's arguments as the parameters form sends them.
struct ReportCommandLine
{
    ReportKind kind = ReportKind::Transactions;
    std::vector<std::string> arguments; ///< "StartDate=...", "EndDate=...", "categories=..."
    ReportScope scope;                  ///< the dates and accounts of the chart reports
    bool tsv = false;                   ///< the figures as tab-separated lines
};

/// Reads "[KIND] [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--accounts all|budget]
/// [--categories TEXT] [--tsv]"; the dates are written into the arguments in the locale's
/// short date format, as the form holds them. On a mistake, the text that names it.
std::variant<ReportCommandLine, std::string>
ParseReportCommandLine(std::span<const std::string> args);

/// Prints the report: its page as the program shows it, or its figures with --tsv. The
/// Budget for the Year is of --from's year (else this year's); `today` values the holdings.
void RunReportCommandLine(Database& db, const ReportCommandLine& command, DateTime today,
                          std::ostream& out);
