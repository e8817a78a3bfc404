#pragma once

#include <string>

/// A condition (Jet SQL) on the table Trans that leaves out the rows of transfers whose
/// other side is in an account that counts in the budget too: money moved between two
/// budgeted accounts is neither spending nor income. A transfer to or from an account
/// outside the budget stays in, under its bracketed category.
std::string NotBudgetTransfer();
