#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// What a CAMT or MT940 file says, read before anything is stored: one BankStatement per
// statement (or report, or notification) of the file, in file order.

/// One booked transaction, as it will be stored.
struct StatementEntry
{
    DateTime date;           ///< the booking day, else the value day; no time of day
    Currency amount;         ///< signed: money out is negative
    std::string fitid;       ///< the bank's reference; empty when the file gives none
    std::string description; ///< the other party's name, else the entry's own text
    std::string notes;       ///< the remittance text
};

/// The bank's own balance at the end of a day.
struct StatementBalance
{
    DateTime date;
    Currency amount;
};

/// One statement of one account.
struct BankStatement
{
    std::string accountId;               ///< as written, blanks around it removed
    std::vector<StatementEntry> entries; ///< the booked entries, in file order
    int pending = 0;                     ///< entries not booked: counted, never stored
    /// The first day the statement covers: its opening balance's day, else its period's
    /// start, else its first entry's day; nullopt when it says none of these.
    std::optional<DateTime> firstDay;
    std::optional<StatementBalance> closing; ///< the bank's closing balance, when given
};

/// A file that cannot be read as the format it claims, with the reason in words (for the
/// user: "The statement is not well-formed XML (line 3)."). Nothing of it is stored.
class StatementError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
