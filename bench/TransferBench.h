#pragma once

#include <string>

/// Runs the transfer benchmark ("transfers"): the search for pairs after an import of
/// 100,000 rows into a database of 1,000,000 transactions in 20 accounts, against the
/// engine's bare scan of the same table; and the budget's month total with transfers left
/// out, against the same sum without that condition. Returns -1 when the name is not its
/// own.
int RunTransferBench(const std::string& name);
