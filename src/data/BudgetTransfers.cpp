#include "data/BudgetTransfers.h"

std::string NotBudgetTransfer()
{
    // An unlinked row has no TransferID, so the inner query finds nothing for it at once.
    return "NOT EXISTS (SELECT * FROM Trans AS OtherSide INNER JOIN Account AS OtherAccount ON "
           "OtherAccount.AccountID = OtherSide.AccountID WHERE OtherSide.TransferID = "
           "Trans.TransferID AND OtherSide.AccountID <> Trans.AccountID AND "
           "OtherAccount.BudgetInclude = TRUE)";
}
