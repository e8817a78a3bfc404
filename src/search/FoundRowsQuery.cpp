#include "search/FoundRowsQuery.h"

std::string FoundRowsQuery(const std::vector<FoundTransaction>& rows)
{
    std::string list;
    for (const FoundTransaction& row : rows)
        list += (list.empty() ? "" : ",") + std::to_string(row.rowId);
    // Row numbers start at 1: an empty list asks for none.
    if (list.empty())
        list = "0";
    return "SELECT Trans.PostDate, Account.Description AS Account, Trans.Description, "
           "Trans.Amount, Trans.CheckID, Trans.Category, Trans.PayeeName AS Notes, "
           "Trans.AccountID, Trans.Sequence, Trans.SubSequence, Trans.[Year], Trans.Period "
           "FROM Trans LEFT JOIN Account ON Account.AccountID = Trans.AccountID "
           "WHERE Trans.rowid IN (" +
           list + ") ORDER BY Trans.PostDate DESC, Trans.Sequence DESC, Trans.SubSequence DESC";
}
