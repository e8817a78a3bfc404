#pragma once

#include "exchange/BankStatement.h"
#include "exchange/ImportContext.h"

#include <string>
#include <vector>

/// Stores the booked entries of a file's statements that their accounts do not hold yet,
/// then compares every statement's closing balance with its account's (result.balances).
/// Each account number is resolved once, as an OFX account is: the chooser is asked for an
/// unknown one, and the statements of an account left unknown are not stored. An entry is
/// held already when its account holds its FITID, or, without a FITID, a row of the same
/// day, amount and texts from before this import. Throws StatementError for a day the
/// store cannot hold, before anything is stored.
void StoreBankStatements(ImportContext& context, const std::vector<BankStatement>& statements,
                         ImportResult& result);

/// Imports an ISO 20022 CAMT.052, .053 or .054 file; reports its own errors through the
/// context's user interface. A file that cannot be read stores nothing.
ImportResult ReadCamtFile(ImportContext& context, const std::string& path);

/// Imports a SWIFT MT940 file, in UTF-8 when it is valid UTF-8, else in CP1252 (which reads
/// ISO-8859-1's letters alike); as ReadCamtFile otherwise.
ImportResult ReadMt940File(ImportContext& context, const std::string& path);

/// Offers, through context.acceptOpeningBalance, to set the opening balance of every
/// account whose first statement disagrees with the bank; an accepted offer sets it and
/// moves the account's later checks of the same import along.
void OfferOpeningBalances(ImportContext& context, ImportResult& result);
