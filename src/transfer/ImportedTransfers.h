#pragma once

#include <cstdint>

class Database;

/// Makes transfers of the rows an import stored (Sequence from `fromSequence` on) whose
/// category names another Bank, Cash or Credit Card account in brackets, as QIF writes
/// them ("L[Savings]"): each is linked to an unlinked row of that account with the opposite
/// amount dated within 3 days (the nearest date first), or else gets its other side written
/// there. A category naming no such account stays a plain category. Returns the rows made
/// transfers. Balances are left to the caller.
int LinkImportedTransfers(Database& db, std::int32_t fromSequence);
