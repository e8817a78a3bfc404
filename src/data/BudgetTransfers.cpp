#include "data/BudgetTransfers.h"

std::string NotBudgetTransfer()
{
    // Most rows are no transfer: they pass without the inner query.
    return "(Trans.TransferID IS NULL OR NOT EXISTS (SELECT * FROM Trans AS OtherSide INNER JOIN "
           "Account AS OtherAccount ON OtherAccount.AccountID = OtherSide.AccountID WHERE "
           "OtherSide.TransferID = Trans.TransferID AND OtherSide.AccountID <> Trans.AccountID "
           "AND OtherAccount.BudgetInclude = TRUE))";
}
