#include "transfer/ImportedTransfers.h"

#include "data/Database.h"
#include "data/DateTime.h"
#include "data/Statement.h"
#include "transfer/TransferLink.h"

#include <optional>
#include <string>
#include <vector>

namespace
{
const int MostDaysApart = 3;

/// A stored row whose category is in brackets.
struct BracketRow
{
    TransKey key;
    std::string accountId;
    std::string category;
    std::string postDate;
    std::int64_t units = 0;
};

std::vector<BracketRow> BracketRows(Database& db, std::int32_t fromSequence)
{
    Statement read(db.Handle(), "SELECT Sequence, IFNULL(SubSequence, 0), AccountID, Category, "
                                "PostDate, Amount FROM Trans WHERE Sequence >= ?1 AND "
                                "TransferID IS NULL AND Category LIKE '[%]' ORDER BY Sequence, "
                                "SubSequence");
    read.Bind(1, std::int64_t{fromSequence});
    std::vector<BracketRow> rows;
    while (read.Step())
        rows.push_back(
            BracketRow{TransKey{static_cast<std::int32_t>(read.ColumnInt64(0)),
                                static_cast<std::int32_t>(read.ColumnInt64(1))},
                       read.ColumnText(2), read.ColumnText(3), read.ColumnText(4),
                       read.ColumnValue(5, Variant::Kind::Currency).ToCurrency().Units()});
    return rows;
}

bool IsLinked(Database& db, TransKey key)
{
    Statement read(db.Handle(), "SELECT TransferID FROM Trans WHERE Sequence = ?1 AND "
                                "IFNULL(SubSequence, 0) = ?2");
    read.Bind(1, std::int64_t{key.sequence});
    read.Bind(2, std::int64_t{key.subSequence});
    return !read.Step() || !read.IsNull(0);
}

/// The unlinked row of the account with the opposite amount nearest in date, 3 days at most.
std::optional<TransKey> Counterpart(Database& db, const BracketRow& row,
                                    const std::string& accountId)
{
    std::optional<DateTime> date = ParseStorageText(row.postDate);
    if (!date)
        return std::nullopt;
    Statement find(db.Handle(),
                   "SELECT Sequence, IFNULL(SubSequence, 0) FROM Trans WHERE AccountID = ?1 AND "
                   "\"Year\" BETWEEN ?2 AND ?3 AND TransferID IS NULL AND Amount = ?4 AND "
                   "ABS(julianday(substr(PostDate, 1, 10)) - julianday(substr(?5, 1, 10))) <= ?6 "
                   "ORDER BY ABS(julianday(substr(PostDate, 1, 10)) - "
                   "julianday(substr(?5, 1, 10))), Sequence LIMIT 1");
    find.Bind(1, accountId);
    find.Bind(2, std::int64_t{date->year - 1});
    find.Bind(3, std::int64_t{date->year + 1});
    find.Bind(4, Variant::FromCurrency(Currency::FromUnits(-row.units)), Variant::Kind::Currency);
    find.Bind(5, row.postDate);
    find.Bind(6, std::int64_t{MostDaysApart});
    if (!find.Step())
        return std::nullopt;
    return TransKey{static_cast<std::int32_t>(find.ColumnInt64(0)),
                    static_cast<std::int32_t>(find.ColumnInt64(1))};
}
} // namespace

int LinkImportedTransfers(Database& db, std::int32_t fromSequence)
{
    int made = 0;
    for (const BracketRow& row : BracketRows(db, fromSequence))
    {
        std::optional<TransferAccount> target = AccountOfTransfer(db, row.category);
        // Rows linked meanwhile: the other side of an earlier row of the same file.
        if (!target || target->accountId == row.accountId || IsLinked(db, row.key))
            continue;
        if (std::optional<TransKey> other = Counterpart(db, row, target->accountId))
            LinkTransfer(db, row.key, *other);
        else
            ReconcileTransfer(db, row.key);
        ++made;
    }
    return made;
}
