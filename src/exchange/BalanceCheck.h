#pragma once

#include "data/Currency.h"
#include "data/DateTime.h"

#include <string>
#include <vector>

class Database;

/// The bank's closing balance of one statement against the account's balance in the store
/// on the same day: its opening balance plus every row dated on or before it.
struct BalanceCheck
{
    std::string accountId;
    std::string description; ///< the account's, as the user knows it
    DateTime date;           ///< the day of the bank's balance
    Currency bank;
    Currency held;
    /// The account held no row before the statement's first day: its opening balance may be
    /// set so that the two agree.
    bool firstImport = false;
    bool openingSet = false; ///< the opening balance was set so that the two agree

    bool Agrees() const { return bank == held; }
    /// The opening balance that would make the two agree.
    Currency AgreeingOpeningBalance(Database& db) const;
};

/// Whether the account holds a row dated before the day.
bool HoldsRowsBefore(Database& db, const std::string& accountId, const DateTime& day);

/// What a statement says of its account's balance.
struct BalanceRequest
{
    std::string accountId;
    DateTime date; ///< the day at whose end the bank counted
    Currency bank;
    bool firstImport = false;
};

/// Compares the bank's balances at the end of their days with the accounts', in the order
/// asked. Each account's rows are summed once, from one asked day to the next: a file of a
/// statement a day costs no more than one of a statement a year.
std::vector<BalanceCheck> CheckBalances(Database& db, const std::vector<BalanceRequest>& requests);

/// "Your bank's balance for Checking on 03/31/2016 is $1,234.56; Tallybrook has $1,200.00
/// (-$34.56)." or, when they agree, "Your bank's balance for Checking on 03/31/2016,
/// $1,234.56, agrees with Tallybrook's." In the locale's dates and money.
std::string BalanceCheckMessage(const BalanceCheck& check);

/// The question that offers to set the opening balance of a first import.
std::string OpeningBalanceQuestion(Database& db, const BalanceCheck& check);

/// Sets the account's opening balance so that the two agree (the balance shown is the
/// opening balance plus the rows) and makes the check agree. Nothing else changes.
void SetAgreeingOpeningBalance(Database& db, BalanceCheck& check);
