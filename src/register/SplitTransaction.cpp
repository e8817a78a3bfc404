#include "register/SplitTransaction.h"

#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "transfer/TransferLink.h"

#include <memory>
#include <string>

namespace
{
const std::size_t DescriptionWidth = 50;

std::string PartCondition(std::int32_t sequence, std::int32_t subSequence)
{
    return "Trans.Sequence = " + std::to_string(sequence) +
           " AND Trans.SubSequence = " + std::to_string(subSequence);
}

// Rows stored before every row had a SubSequence (typed in the register, or by another
// program) take 0, so that part 0 can be found and the next part counted.
void NumberUnnumberedPart(Database& db, std::int32_t sequence)
{
    db.Execute("UPDATE Trans SET SubSequence = 0 WHERE Trans.Sequence = " +
               std::to_string(sequence) + " AND Trans.SubSequence IS NULL");
}
} // namespace

std::int32_t NextSubSequence(Database& db, std::int32_t sequence)
{
    Recordset rs;
    rs.Open("SELECT MAX( SubSequence ) + 1 AS NextSubSequence FROM Trans WHERE Trans.Sequence = " +
                std::to_string(sequence),
            db, OpenMode::ReadOnly);
    return rs.GetLong("NextSubSequence");
}

std::optional<std::int32_t> SplitTransaction(Database& db, std::int32_t sequence,
                                             std::int32_t subSequence, const Variant& first,
                                             const Variant& second)
{
    Transaction transaction(db);
    if (subSequence == 0)
        NumberUnnumberedPart(db, sequence);
    if (!db.HasRows("Trans", PartCondition(sequence, subSequence)))
        return std::nullopt;
    std::int32_t next = NextSubSequence(db, sequence);

    Recordset stored;
    stored.Open("SELECT * FROM Trans WHERE " + PartCondition(sequence, subSequence), db,
                OpenMode::KeysetLock);
    stored.SetValue("Amount", first);
    stored.Update();

    std::unique_ptr<Recordset> part = stored.DuplicateRow();
    part->SetValue("Amount", second);
    part->SetLong("SubSequence", next);
    part->SetValue("TransferID", Variant()); // a transfer part gets its own other side below
    part->SetText("Description", TrimToLength(stored.GetText("Description") + " (split #" +
                                                  std::to_string(next) + ")",
                                              DescriptionWidth));
    part->Update();
    part->Close();
    stored.Close();
    // The other side of a transfer follows the part's new amount; the new part of a transfer
    // moves its share to the same account.
    ReconcileTransfer(db, TransKey{sequence, subSequence});
    ReconcileTransfer(db, TransKey{sequence, next});
    transaction.Commit();
    return next;
}

std::optional<std::int32_t> SplitOff(Database& db, std::int32_t sequence, std::int32_t subSequence,
                                     Currency second)
{
    Transaction transaction(db);
    if (subSequence == 0)
        NumberUnnumberedPart(db, sequence);
    Recordset part;
    part.Open("SELECT Amount FROM Trans WHERE " + PartCondition(sequence, subSequence), db,
              OpenMode::ReadOnly);
    if (part.IsEOF())
        return std::nullopt;
    Currency first = FirstSplitAmount(part.GetValue("Amount"), second);
    part.Close();
    std::optional<std::int32_t> added = SplitTransaction(
        db, sequence, subSequence, Variant::FromCurrency(first), Variant::FromCurrency(second));
    transaction.Commit();
    return added;
}

Currency FirstSplitAmount(const Variant& total, Currency second)
{
    Currency whole = total.IsNull() ? Currency() : total.ToCurrency();
    return whole - second;
}
