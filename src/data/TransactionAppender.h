#pragma once

#include "data/Statement.h"
#include "data/Variant.h"

#include <cstdint>
#include <string>

class Database;

/// Adds Trans rows one after the other as AddTransaction does, for an import that writes
/// many: one prepared INSERT, the Sequence numbers counted on from the highest stored when
/// the appender was made, nothing of the rows kept in memory. While it is in use no other
/// code may add Trans rows.
class TransactionAppender
{
public:
    explicit TransactionAppender(Database& db);

    /// The Sequence the next row gets; every row this appender adds has one at least as
    /// high as the first, every row stored before it a lower one (or none).
    std::int32_t NextSequence() const { return m_nextSequence; }

    /// Writes one row: Year and Period from the local date of postDate, the notes cut to
    /// 255 characters, the next Sequence.
    void Add(const std::string& accountId, const std::string& fitid, const std::string& checkId,
             std::int64_t postDate, const Variant& amount, const std::string& description,
             const std::string& notes, const std::string& category);

private:
    Statement m_insert;
    std::int32_t m_nextSequence;
};
