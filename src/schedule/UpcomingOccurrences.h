#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

class Database;

/// An occurrence of a schedule still to be entered, as the home page lists it.
struct UpcomingOccurrence
{
    std::int32_t scheduleId = 0;
    DateTime date; ///< its day, at midnight
    std::string description;
    Currency amount;
    std::string accountId;
};

/// Every occurrence of every schedule from its next one on whose day is on or before `days`
/// calendar days after today: those due and not entered yet too, as they are still to come
/// (at most 1,000 of one schedule). By date, then schedule ID.
std::vector<UpcomingOccurrence> UpcomingOccurrences(Database& db, const DateTime& today,
                                                    int days = 14);
