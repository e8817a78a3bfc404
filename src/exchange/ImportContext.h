#pragma once

#include "data/DateTime.h"
#include "exchange/BalanceCheck.h"

#include <functional>
#include <optional>
#include <vector>

class Database;
class UserInterface;
class AccountChooser;
class CsvMappingChooser;
struct TransferPair;

/// What an import works with: the store, the user and the main window's state. The main
/// window fills it in; tests and the command-line tool give their own stand-ins.
struct ImportContext
{
    ImportContext(Database& database, UserInterface& user, AccountChooser& accountChooser)
        : db(database), ui(user), chooser(accountChooser)
    {
    }

    Database& db;
    UserInterface& ui;
    /// Answers the Select Account dialog when the statement's account is unknown.
    AccountChooser& chooser;
    /// Answers the CSV mapping dialog. Null: a CSV statement is read by a certain guess and
    /// its account asked for through `chooser`.
    CsvMappingChooser* csvChooser = nullptr;
    /// Rebuilds the account tree keeping its selected node; called after an account was
    /// added or re-keyed. May be empty.
    std::function<void()> rebuildTree;
    /// Re-reads the grid and totals of the current tree selection; called when the
    /// balances are up to date. May be empty.
    std::function<void()> refreshView;
    /// Asks which pairs of rows are transfers and links them; true when anything changed.
    /// Empty: the pairs wait for `tallybrook-cli transfers` or the next import.
    std::function<bool(const std::vector<TransferPair>&)> answerTransfers;
    /// Asked, for the first statement of an account whose balance disagrees with the
    /// bank's, whether to set the opening balance so that they agree. Empty: never.
    std::function<bool(const BalanceCheck&)> acceptOpeningBalance;
    int budgetYear = 0;   ///< the budget period selected in the main window
    int budgetPeriod = 0; ///< its month, 1 to 12
    /// The local day the import runs on, which decides how far back a row entered by a
    /// schedule may still meet the bank's. Empty: the clock's.
    std::optional<DateTime> today;
};

/// What became of one row of a statement.
enum class RowOutcome
{
    Added,  ///< stored as a new row
    Held,   ///< the account held it already
    Matched ///< a row entered by a schedule took its date, description and FITID
};

/// How one statement file went.
struct ImportResult
{
    /// False when the statement's account stayed unknown (the user cancelled).
    bool accountResolved = false;
    /// True when the reader ended the import early with an error message.
    bool stopped = false;
    int added = 0;      ///< transactions stored
    int duplicates = 0; ///< transaction records not stored because the account held them
    int pending = 0;    ///< entries the bank has not booked yet: never stored
    /// Rows not stored because a row entered by a schedule took their place.
    int matchedScheduled = 0;
    /// The bank's closing balances the statement carries, each against the account's.
    std::vector<BalanceCheck> balances;

    /// Counts one row.
    void Count(RowOutcome outcome)
    {
        switch (outcome)
        {
        case RowOutcome::Added:
            ++added;
            break;
        case RowOutcome::Held:
            ++duplicates;
            break;
        case RowOutcome::Matched:
            ++matchedScheduled;
            break;
        }
    }
};
