#include "data/TransactionAppender.h"

#include "data/Database.h"
#include "data/RecordHelpers.h"

namespace
{
const std::size_t NotesWidth = 255;
} // namespace

TransactionAppender::TransactionAppender(Database& db)
    : m_insert(db.Handle(),
               "INSERT INTO Trans (AccountID, FITID, CheckID, \"Year\", Period, PostDate, Amount, "
               "Description, PayeeName, Category, Sequence) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
               "?)"),
      m_nextSequence(db.NextTransSequence())
{
}

void TransactionAppender::Add(const std::string& accountId, const std::string& fitid,
                              const std::string& checkId, std::int64_t postDate,
                              const Variant& amount, const std::string& description,
                              const std::string& notes, const std::string& category)
{
    DateTime local = ToLocalCalendar(postDate);
    std::string postDateText = ToStorageText(local);
    std::string storedNotes = TrimToLength(notes, NotesWidth);
    // The texts live until the row is written and the statement reset: bound without a copy.
    StatementReset reset(m_insert);
    m_insert.BindKept(1, accountId);
    m_insert.BindKept(2, fitid);
    m_insert.BindKept(3, checkId);
    m_insert.Bind(4, std::int64_t{local.year});
    m_insert.Bind(5, std::int64_t{local.month});
    m_insert.BindKept(6, postDateText);
    m_insert.Bind(7, amount, Variant::Kind::Currency);
    m_insert.BindKept(8, description);
    m_insert.BindKept(9, storedNotes);
    m_insert.BindKept(10, category);
    m_insert.Bind(11, std::int64_t{m_nextSequence});
    m_insert.Run();
    ++m_nextSequence;
}
