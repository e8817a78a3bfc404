#include "transfer/TransferPairing.h"

#include "data/Database.h"
#include "data/Statement.h"
#include "data/ViewKind.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace
{
const int MostDaysApart = 3;

/// What the search keeps of a row.
struct SearchRow
{
    TransKey key;
    int accountIndex = 0;
    int day = 0;
    std::int64_t units = 0;
};

/// Days since 1970-01-01 of the date at the start of a stored date text; 0 for no date.
int DayNumber(const std::string& text)
{
    if (text.size() < 10)
        return 0;
    int year = std::atoi(text.substr(0, 4).c_str());
    int month = std::atoi(text.substr(5, 2).c_str());
    int day = std::atoi(text.substr(8, 2).c_str());
    // Days from the civil calendar, counted from March so that leap days fall last.
    year -= month <= 2 ? 1 : 0;
    int era = (year >= 0 ? year : year - 399) / 400;
    int yearOfEra = year - era * 400;
    int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::int32_t ReviewStart(Database& db)
{
    Statement read(db.Handle(), "SELECT MIN(FromSequence) FROM TransferReview");
    return read.Step() && !read.IsNull(0) ? static_cast<std::int32_t>(read.ColumnInt64(0)) : 1;
}

/// The Bank, Cash and Credit Card accounts by number.
class RegisterAccounts
{
public:
    explicit RegisterAccounts(Database& db)
    {
        Statement read(db.Handle(), "SELECT AccountID, Type FROM Account WHERE AccountID IS NOT "
                                    "NULL");
        while (read.Step())
            if (KindOfAccountType(read.ColumnText(1)) == KindRegister)
                m_index.emplace(read.ColumnText(0), static_cast<int>(m_index.size()));
    }
    /// -1 for a row of no such account.
    int IndexOf(const std::string& accountId) const
    {
        auto found = m_index.find(accountId);
        return found == m_index.end() ? -1 : found->second;
    }

private:
    std::unordered_map<std::string, int> m_index;
};

using KeyPair = std::pair<TransKey, TransKey>;

KeyPair Ordered(TransKey a, TransKey b)
{
    return a < b ? KeyPair{a, b} : KeyPair{b, a};
}

std::set<KeyPair> RefusedPairs(Database& db)
{
    std::set<KeyPair> refused;
    Statement read(db.Handle(),
                   "SELECT Sequence1, SubSequence1, Sequence2, SubSequence2 FROM TransferRefusal");
    auto key = [&read](int column)
    {
        return TransKey{static_cast<std::int32_t>(read.ColumnInt64(column)),
                        static_cast<std::int32_t>(read.ColumnInt64(column + 1))};
    };
    while (read.Step())
        refused.insert(Ordered(key(0), key(2)));
    return refused;
}

const char* const RowFields = "SELECT Sequence, IFNULL(SubSequence, 0), AccountID, PostDate, "
                              "Amount FROM Trans WHERE +TransferID IS NULL AND Amount <> 0 AND ";

/// Reads the row the statement stands on; false for a row of no register account.
bool ReadSearchRow(const Statement& read, const RegisterAccounts& accounts, SearchRow& row)
{
    row.accountIndex = accounts.IndexOf(read.ColumnText(2));
    if (row.accountIndex < 0)
        return false;
    row.key = TransKey{static_cast<std::int32_t>(read.ColumnInt64(0)),
                       static_cast<std::int32_t>(read.ColumnInt64(1))};
    row.day = DayNumber(read.ColumnText(3));
    row.units = read.ColumnValue(4, Variant::Kind::Currency).ToCurrency().Units();
    return true;
}

/// The rows stored since the review started, by amount.
class NewRows
{
public:
    NewRows(Database& db, const RegisterAccounts& accounts, std::int32_t from)
    {
        Statement read(db.Handle(), std::string(RowFields) + "Sequence >= ?1");
        read.Bind(1, std::int64_t{from});
        SearchRow row;
        while (read.Step())
            if (ReadSearchRow(read, accounts, row))
            {
                m_byAmount.emplace(row.units, row);
                m_firstDay = std::min(m_firstDay, row.day);
                m_lastDay = std::max(m_lastDay, row.day);
            }
    }
    bool Empty() const { return m_byAmount.empty(); }
    int FirstDay() const { return m_firstDay; }
    int LastDay() const { return m_lastDay; }
    /// Every new row with that amount.
    auto WithAmount(std::int64_t units) const { return m_byAmount.equal_range(units); }

private:
    std::unordered_multimap<std::int64_t, SearchRow> m_byAmount;
    int m_firstDay = 1 << 30;
    int m_lastDay = -(1 << 30);
};

std::string DateText(int dayNumber)
{
    // The inverse of DayNumber.
    int z = dayNumber + 719468;
    int era = (z >= 0 ? z : z - 146096) / 146097;
    int dayOfEra = z - era * 146097;
    int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int shifted = (5 * dayOfYear + 2) / 153;
    int day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    int month = shifted + (shifted < 10 ? 3 : -9);
    int year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

/// Every pair of a new row and an unlinked row of another account, opposite in amount and
/// at most 3 days apart, refused pairs left out.
std::vector<KeyPair> CandidatePairs(Database& db, const RegisterAccounts& accounts,
                                    const NewRows& fresh, std::int32_t from)
{
    std::set<KeyPair> refused = RefusedPairs(db);
    std::string first = DateText(fresh.FirstDay() - MostDaysApart);
    std::string last = DateText(fresh.LastDay() + MostDaysApart + 1);
    // The year bounds let the engine read only those years through the period index.
    Statement read(db.Handle(), std::string(RowFields) +
                                    "\"Year\" BETWEEN ?1 AND ?2 AND PostDate >= ?3 AND "
                                    "PostDate < ?4");
    read.Bind(1, std::int64_t{std::atoi(first.substr(0, 4).c_str())});
    read.Bind(2, std::int64_t{std::atoi(last.substr(0, 4).c_str())});
    read.Bind(3, first);
    read.Bind(4, last);
    std::vector<KeyPair> pairs;
    SearchRow row;
    while (read.Step())
    {
        if (!ReadSearchRow(read, accounts, row))
            continue;
        auto [begin, end] = fresh.WithAmount(-row.units);
        for (auto match = begin; match != end; ++match)
        {
            const SearchRow& other = match->second;
            // Two new rows meet twice: counted from the later one only.
            if (other.accountIndex == row.accountIndex ||
                std::abs(other.day - row.day) > MostDaysApart ||
                (row.key.sequence >= from && !(other.key < row.key)))
                continue;
            KeyPair pair = Ordered(row.key, other.key);
            if (refused.count(pair) == 0)
                pairs.push_back(pair);
        }
    }
    return pairs;
}

PairedRow ReadPairedRow(Statement& read, TransKey key)
{
    StatementReset reset(read);
    read.Bind(1, std::int64_t{key.sequence});
    read.Bind(2, std::int64_t{key.subSequence});
    PairedRow row;
    row.key = key;
    if (read.Step())
    {
        row.accountId = read.ColumnText(0);
        row.accountDescription = read.ColumnText(1);
        row.date = read.ColumnText(2).substr(0, 10);
        row.amount = read.ColumnValue(3, Variant::Kind::Currency).ToCurrency();
        row.description = read.ColumnText(4);
    }
    return row;
}

bool SameAsStored(Database& db, const PairedRow& row)
{
    Statement read(db.Handle(), "SELECT AccountID, Amount FROM Trans WHERE Sequence = ?1 AND "
                                "IFNULL(SubSequence, 0) = ?2 AND TransferID IS NULL");
    read.Bind(1, std::int64_t{row.key.sequence});
    read.Bind(2, std::int64_t{row.key.subSequence});
    return read.Step() && read.ColumnText(0) == row.accountId &&
           read.ColumnValue(1, Variant::Kind::Currency).ToCurrency().Units() == row.amount.Units();
}
} // namespace

std::vector<TransferPair> FindTransferPairs(Database& db)
{
    std::int32_t from = ReviewStart(db);
    RegisterAccounts accounts(db);
    NewRows fresh(db, accounts, from);
    if (fresh.Empty())
        return {};
    std::vector<KeyPair> keys = CandidatePairs(db, accounts, fresh, from);
    std::map<TransKey, int> candidates;
    for (const KeyPair& pair : keys)
    {
        ++candidates[pair.first];
        ++candidates[pair.second];
    }
    Statement read(db.Handle(),
                   "SELECT Trans.AccountID, IFNULL(Account.Description, ''), PostDate, Amount, "
                   "IFNULL(Trans.Description, '') FROM Trans LEFT JOIN Account ON "
                   "Account.AccountID = Trans.AccountID WHERE Trans.Sequence = ?1 AND "
                   "IFNULL(Trans.SubSequence, 0) = ?2");
    std::vector<TransferPair> pairs;
    pairs.reserve(keys.size());
    for (const KeyPair& pair : keys)
    {
        TransferPair found{ReadPairedRow(read, pair.first), ReadPairedRow(read, pair.second),
                           candidates[pair.first] == 1 && candidates[pair.second] == 1};
        if (found.out.amount.Units() > 0)
            std::swap(found.out, found.in);
        pairs.push_back(std::move(found));
    }
    std::sort(pairs.begin(), pairs.end(),
              [](const TransferPair& a, const TransferPair& b) {
                  return std::tie(a.out.date, a.out.key, a.in.key) <
                         std::tie(b.out.date, b.out.key, b.in.key);
              });
    return pairs;
}

int AcceptTransferPairs(Database& db, const std::vector<TransferPair>& pairs)
{
    Transaction transaction(db);
    int linked = 0;
    for (const TransferPair& pair : pairs)
    {
        if (!SameAsStored(db, pair.out) || !SameAsStored(db, pair.in))
            continue;
        LinkTransfer(db, pair.out.key, pair.in.key);
        ++linked;
    }
    transaction.Commit();
    return linked;
}

void RefuseTransferPairs(Database& db, const std::vector<TransferPair>& pairs)
{
    Transaction transaction(db);
    Statement insert(db.Handle(), "INSERT INTO TransferRefusal (Sequence1, SubSequence1, "
                                  "Sequence2, SubSequence2) VALUES (?1, ?2, ?3, ?4)");
    for (const TransferPair& pair : pairs)
    {
        StatementReset reset(insert);
        KeyPair keys = Ordered(pair.out.key, pair.in.key);
        insert.Bind(1, std::int64_t{keys.first.sequence});
        insert.Bind(2, std::int64_t{keys.first.subSequence});
        insert.Bind(3, std::int64_t{keys.second.sequence});
        insert.Bind(4, std::int64_t{keys.second.subSequence});
        insert.Run();
    }
    transaction.Commit();
}

void CloseTransferReview(Database& db)
{
    if (FindTransferPairs(db).empty())
        StartTransferReview(db);
}

void StartTransferReview(Database& db)
{
    Transaction transaction(db);
    Statement clear(db.Handle(), "DELETE FROM TransferReview");
    clear.Run();
    Statement mark(db.Handle(), "INSERT INTO TransferReview (FromSequence) SELECT "
                                "IFNULL(MAX(Sequence), 0) + 1 FROM Trans");
    mark.Run();
    transaction.Commit();
}
