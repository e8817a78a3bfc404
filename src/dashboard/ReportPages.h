#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

/// The style sheet in the head of every report page: grey account rows on screen, italic
/// with a black rule below in print.
extern const char* const ReportStyleSheet;

/// The document a report page body is shown in (what ShowPage writes to the page file).
std::string ReportDocument(const std::string& body);

/// Writes ReportDocument(body) to a stream without building it first (reports run to many
/// megabytes).
void WriteReportDocument(std::ostream& out, const std::string& body);

/// ShowPage: writes ReportDocument(body) to the page file and returns the file's path.
std::string WriteReportPage(const std::string& body);

/// The body of the reports menu (the Reports node of the tree).
std::string ReportsMenuBody();

/// The body of the Transactions report's parameters page, its date ranges (this month and
/// this year, in the short date format) taken from the local date of `now`.
std::string BuildParametersPage(std::int64_t now);
