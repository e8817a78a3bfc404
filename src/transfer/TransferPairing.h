#pragma once

#include "data/Currency.h"
#include "transfer/TransferLink.h"

#include <string>
#include <vector>

class Database;

/// One row of a candidate pair, as the user is shown it.
struct PairedRow
{
    TransKey key;
    std::string accountId;
    std::string accountDescription;
    std::string date; ///< YYYY-MM-DD
    Currency amount;
    std::string description;
};

/// Two unlinked rows of different accounts that may be the two sides of one transfer:
/// opposite amounts, dated within 3 days of each other. `out` is the side with the money
/// going out. Sure when neither row has another candidate.
struct TransferPair
{
    PairedRow out;
    PairedRow in;
    bool sure = false;
};

/// The pairs not yet answered: each has at least one row stored since the last review (an
/// import, rows typed since), whose partner may be any unlinked row of another Bank, Cash or
/// Credit Card account. Pairs the user refused are left out. Ordered by the money-out
/// side's date, then by its Sequence.
std::vector<TransferPair> FindTransferPairs(Database& db);

/// Links each pair as one transfer (both categories become the brackets); pairs of which a
/// row has meanwhile been linked, changed or deleted are skipped. Returns the pairs linked.
int AcceptTransferPairs(Database& db, const std::vector<TransferPair>& pairs);

/// Remembers that the pairs are not transfers: they are never offered again.
void RefuseTransferPairs(Database& db, const std::vector<TransferPair>& pairs);

/// Ends the review when no pair is left to answer: later searches start after the rows
/// stored so far.
void CloseTransferReview(Database& db);

/// Starts the next review after the rows stored so far, whatever is left unanswered.
void StartTransferReview(Database& db);
