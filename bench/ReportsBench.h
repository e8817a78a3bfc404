#pragma once

#include <string>

/// Runs the reports benchmark ("reports-1000000"): every report over one year and over the
/// whole range of a database of 1,000,000 transactions in 20 accounts over 14 years, built
/// once and kept under the build folder, and the start's opening of that database; against
/// the engine's bare scan of the table. Returns -1 when the name is not its own.
int RunReportsBench(const std::string& name);

/// The path of that database, built when missing.
std::string ReportsBenchDatabase();
