#include "search/TransactionSearch.h"

#include "data/Database.h"
#include "data/Schema.h"
#include "data/Statement.h"
#include "data/TextEncoding.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>

namespace
{
constexpr std::size_t IndexedLength = 3; ///< characters of the index's pieces

std::size_t Characters(const std::string& text)
{
    std::size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

std::string DayText(const DateTime& day, const char* time)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %s", day.year % 10000, day.month % 100,
                  day.day % 100, time);
    return text;
}

/// An FTS5 string: the word in double quotes, its own quotes doubled.
std::string PhraseOf(const std::string& word)
{
    std::string phrase = "\"";
    for (char c : word)
        phrase += c == '"' ? std::string("\"\"") : std::string(1, c);
    return phrase + "\"";
}

/// A LIKE pattern that finds the word anywhere; % _ and the escape character escaped.
std::string PatternOf(const std::string& word)
{
    std::string pattern = "%";
    for (char c : word)
    {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

/// The WHERE clause of a query and the values it binds, in order.
class Conditions
{
public:
    explicit Conditions(const SearchQuery& query)
    {
        std::string phrases;
        for (const std::string& word : query.words)
        {
            if (Characters(word) >= IndexedLength)
                phrases += (phrases.empty() ? "" : " ") + PhraseOf(word);
            else
                AddShortWord(word);
        }
        if (!phrases.empty())
            Add("Trans.rowid IN (SELECT rowid FROM TransSearch WHERE TransSearch MATCH ?)",
                phrases);
        if (query.amountFrom)
            Add("abs(Trans.Amount) >= ?", query.amountFrom->Units());
        if (query.amountTo)
            Add("abs(Trans.Amount) <= ?", query.amountTo->Units());
        if (query.from)
            Add("Trans.PostDate >= ?", DayText(*query.from, "00:00:00"));
        if (query.to)
            Add("Trans.PostDate <= ?", DayText(*query.to, "23:59:59"));
        if (!query.account.empty())
            Add("(Account.Description = ? OR Trans.AccountID = ?1)", query.account);
        if (!query.category.empty())
            Add("Trans.Category = ?", query.category);
    }

    std::string Where() const { return m_where.empty() ? std::string() : " WHERE " + m_where; }

    void Bind(Statement& statement) const
    {
        for (std::size_t i = 0; i < m_texts.size(); ++i)
        {
            int index = static_cast<int>(i) + 1;
            if (m_isNumber[i])
                statement.Bind(index, m_numbers[i]);
            else
                statement.Bind(index, m_texts[i]);
        }
    }

private:
    void AddShortWord(const std::string& word)
    {
        Add("(Trans.Description LIKE ? ESCAPE '\\' OR Trans.PayeeName LIKE ?1 ESCAPE '\\' OR "
            "Trans.Category LIKE ?1 ESCAPE '\\' OR Trans.CheckID LIKE ?1 ESCAPE '\\')",
            PatternOf(word));
    }

    void Add(const std::string& condition, const std::string& value)
    {
        Add(condition, value, 0, false);
    }
    void Add(const std::string& condition, std::int64_t value) { Add(condition, "", value, true); }

    void Add(const std::string& condition, const std::string& text, std::int64_t number,
             bool isNumber)
    {
        // "?" is this value's place; "?1" a second use of it.
        std::string index = std::to_string(m_texts.size() + 1);
        std::string numbered;
        for (std::size_t i = 0; i < condition.size(); ++i)
        {
            if (condition[i] != '?')
                numbered += condition[i];
            else if (i + 1 < condition.size() && condition[i + 1] == '1')
            {
                numbered += "?" + index;
                ++i;
            }
            else
                numbered += "?" + index;
        }
        m_where += (m_where.empty() ? "" : " AND ") + numbered;
        m_texts.push_back(text);
        m_numbers.push_back(number);
        m_isNumber.push_back(isNumber);
    }

    std::string m_where;
    std::vector<std::string> m_texts;
    std::vector<std::int64_t> m_numbers;
    std::vector<bool> m_isNumber;
};

const char* const Rows = " FROM Trans LEFT JOIN Account ON Account.AccountID = Trans.AccountID";

/// Where a found row stands in the order of the results: newest first.
struct RowKey
{
    std::string day; ///< PostDate as stored; "" for none, which sorts last
    std::int64_t sequence = 0;
    std::int64_t subSequence = 0;
    std::int64_t rowId = 0;

    /// Whether this row is listed before the other.
    bool Before(const RowKey& other) const
    {
        if (day != other.day)
            return day > other.day;
        if (sequence != other.sequence)
            return sequence > other.sequence;
        return subSequence > other.subSequence;
    }
};

/// The first `limit` keys of the rows seen, in the order listed, kept as a heap whose top is
/// the last of them.
class FirstRows
{
public:
    explicit FirstRows(std::size_t limit) : m_limit(limit) {}

    /// Whether a row of that day would be listed: a cheap test before its key is built.
    bool MayTake(std::string_view day) const
    {
        if (m_keys.size() < m_limit)
            return true;
        return m_limit > 0 && day >= std::string_view(m_keys.front().day);
    }

    void Offer(RowKey key)
    {
        if (m_keys.size() == m_limit)
        {
            if (!key.Before(m_keys.front()))
                return;
            std::pop_heap(m_keys.begin(), m_keys.end(), Order);
            m_keys.back() = std::move(key);
        }
        else
            m_keys.push_back(std::move(key));
        std::push_heap(m_keys.begin(), m_keys.end(), Order);
    }

    /// The row numbers, in the order listed.
    std::vector<std::int64_t> Listed()
    {
        std::sort_heap(m_keys.begin(), m_keys.end(), Order);
        std::vector<std::int64_t> rows;
        for (const RowKey& key : m_keys)
            rows.push_back(key.rowId);
        return rows;
    }

private:
    static bool Order(const RowKey& a, const RowKey& b) { return a.Before(b); }

    std::size_t m_limit;
    std::vector<RowKey> m_keys;
};

std::string_view TextOf(const Statement& row, int column)
{
    const unsigned char* text = sqlite3_column_text(row.Handle(), column);
    return text ? std::string_view(
                      reinterpret_cast<const char*>(text),
                      static_cast<std::size_t>(sqlite3_column_bytes(row.Handle(), column)))
                : std::string_view();
}

FoundTransaction ReadRow(const Statement& row)
{
    FoundTransaction found;
    if (std::optional<DateTime> day = ParseStorageText(row.ColumnText(0)))
        found.date = DateTime{day->year, day->month, day->day, 0, 0, 0};
    found.accountId = row.ColumnText(1);
    found.account = row.ColumnText(2);
    found.sequence = static_cast<std::int32_t>(row.ColumnValue(3, Variant::Kind::Long).ToLong());
    found.subSequence = static_cast<std::int32_t>(row.ColumnValue(4, Variant::Kind::Long).ToLong());
    found.description = row.ColumnText(5);
    if (!row.IsNull(6))
        found.amount = row.ColumnValue(6, Variant::Kind::Currency).ToCurrency();
    found.checkId = row.ColumnText(7);
    found.category = row.ColumnText(8);
    found.notes = row.ColumnText(9);
    found.rowId = row.ColumnInt64(10);
    return found;
}

/// The rows of those row numbers, whole, in that order.
std::vector<FoundTransaction> ReadRows(Database& db, const std::vector<std::int64_t>& rowIds)
{
    std::vector<FoundTransaction> rows;
    if (rowIds.empty())
        return rows;
    std::string list;
    std::unordered_map<std::int64_t, std::size_t> place;
    for (std::size_t i = 0; i < rowIds.size(); ++i)
    {
        list += (i == 0 ? "" : ",") + std::to_string(rowIds[i]);
        place[rowIds[i]] = i;
    }
    Statement read(db.Handle(),
                   std::string("SELECT Trans.PostDate, Trans.AccountID, Account.Description, "
                               "Trans.Sequence, Trans.SubSequence, Trans.Description, "
                               "Trans.Amount, Trans.CheckID, Trans.Category, Trans.PayeeName, "
                               "Trans.rowid") +
                       Rows + " WHERE Trans.rowid IN (" + list + ")");
    rows.resize(rowIds.size());
    while (read.Step())
    {
        FoundTransaction row = ReadRow(read);
        rows[place.at(row.rowId)] = std::move(row);
    }
    return rows;
}
} // namespace

SearchResult FindTransactions(Database& db, const SearchQuery& query, std::size_t limit)
{
    ApplySearchQueue(db);
    Conditions conditions(query);
    // One pass over every row found counts and adds them up and keeps the first ones; only
    // those are read whole. The account is joined only when the query names one.
    std::string from = query.account.empty() ? std::string(" FROM Trans") : std::string(Rows);
    Statement found(db.Handle(), "SELECT Trans.rowid, Trans.PostDate, Trans.Sequence, "
                                 "Trans.SubSequence, Trans.Amount" +
                                     from + conditions.Where());
    conditions.Bind(found);
    SearchResult result;
    std::int64_t total = 0;
    FirstRows first(limit);
    while (found.Step())
    {
        ++result.count;
        if (!found.IsNull(4))
            total += found.ColumnValue(4, Variant::Kind::Currency).ToCurrency().Units();
        std::string_view day = TextOf(found, 1);
        if (first.MayTake(day))
            first.Offer(RowKey{std::string(day), found.ColumnInt64(2), found.ColumnInt64(3),
                               found.ColumnInt64(0)});
    }
    result.total = Currency::FromUnits(total);
    result.rows = ReadRows(db, first.Listed());
    return result;
}
