#pragma once

#include "exchange/BalanceCheck.h"

#include <functional>
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
    /// The bank's closing balances the statement carries, each against the account's.
    std::vector<BalanceCheck> balances;
};
