#pragma once

#include "data/Currency.h"

#include <string>

class Database;
struct UpcomingOccurrence;

/// The home page as it is written to the page file: the accounts with their balances and
/// the net worth, the quotes, the tasks and places, the "This month" budget picture of the
/// budget period (year, period), and the schedules' occurrences "Coming up" in the two weeks
/// from Today(). Database texts are HTML-escaped.
std::string BuildHomePage(Database& db, int year, int period);

/// Builds the home page and writes it to the page file; returns the file's path.
std::string WriteHomePage(Database& db, int year, int period);

/// One account row: a selectAccount link carrying the type and Sequence (URL-encoded, then
/// HTML-escaped), the description and the balance in the regional currency format.
std::string AccountRow(const std::string& type, const std::string& sequence,
                       const std::string& description, Currency balance);

/// One quote row: the symbol and the last price in the regional currency format.
std::string QuoteRow(const std::string& symbol, Currency price);

/// One "Coming up" row: the day in the regional short date format, the description as a
/// selectSchedule link carrying the ScheduleID, and the amount in the regional currency format.
std::string ComingUpRow(const UpcomingOccurrence& occurrence);
