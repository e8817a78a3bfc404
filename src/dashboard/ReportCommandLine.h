#pragma once

#include <span>
#include <string>
#include <variant>
#include <vector>

class Database;

/// What `tallybrook-cli report` was asked for: the Preview event's arguments as the
/// parameters form sends them.
struct ReportCommandLine
{
    std::vector<std::string> arguments; ///< "StartDate=...", "EndDate=...", "categories=..."
};

/// Reads "[--from YYYY-MM-DD] [--to YYYY-MM-DD] [--categories TEXT]"; the dates are written
/// into the arguments in the locale's short date format, as the form holds them. On a
/// mistake, the text that names it.
std::variant<ReportCommandLine, std::string>
ParseReportCommandLine(std::span<const std::string> args);
