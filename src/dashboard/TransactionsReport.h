#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class Database;

/// The body of the Transactions report for the Preview event's arguments, read by position:
/// StartDate, EndDate and categories, each "name=value". An empty date leaves that end of
/// the range open; a date that cannot be read counts as time 0. Rows are grouped by account
/// with a totals row each; every database text is HTML-escaped.
std::string BuildTransactionsReport(Database& db, const std::vector<std::string>& arguments);

/// The rows of the same report as tab-separated lines,
/// "DATE ACCOUNT DESCRIPTION AMOUNT CHECK CATEGORY NOTES" (dates YYYY-MM-DD, the account's
/// number, amounts with a point and two decimals), by account and date.
void WriteTransactionsFigures(Database& db, const std::vector<std::string>& arguments,
                              std::ostream& out);

/// The SQL condition that restricts the report to the categories typed one per line:
/// plain lines go into an IN list, lines with "*" become LIKE patterns. "" for no text.
std::string CategoryFilter(const std::string& categories);

/// The range heading: "all time", "to END", "from START" or "from START to END".
std::string RangeHeading(std::int64_t start, std::int64_t end);

/// The open ends of the range: 1 January 1971 00:00:00 and 31 December 2999 23:59:59, local.
std::int64_t UnboundedStart();
std::int64_t UnboundedEnd();
