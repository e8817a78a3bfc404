#include "search/TransactionSearch.h"

#include "data/Database.h"
#include "data/Schema.h"
#include "data/Statement.h"
#include "data/TextEncoding.h"

#include <cstdio>
#include <string>

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

    void Add(std::string condition, const std::string& value) { Add(condition, value, 0, false); }
    void Add(std::string condition, std::int64_t value) { Add(condition, "", value, true); }

    void Add(std::string condition, const std::string& text, std::int64_t number, bool isNumber)
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
    found.rowId = std::stoll(row.ColumnText(10));
    return found;
}
} // namespace

SearchResult FindTransactions(Database& db, const SearchQuery& query, std::size_t limit)
{
    ApplySearchQueue(db);
    Conditions conditions(query);
    SearchResult result;
    Statement totals(db.Handle(),
                     std::string("SELECT COUNT(*), SUM(Trans.Amount)") + Rows + conditions.Where());
    conditions.Bind(totals);
    if (totals.Step())
    {
        result.count =
            static_cast<std::size_t>(totals.ColumnValue(0, Variant::Kind::Long).ToLong());
        if (!totals.IsNull(1))
            result.total = totals.ColumnValue(1, Variant::Kind::Currency).ToCurrency();
    }
    Statement rows(db.Handle(),
                   std::string("SELECT Trans.PostDate, Trans.AccountID, Account.Description, "
                               "Trans.Sequence, Trans.SubSequence, Trans.Description, "
                               "Trans.Amount, Trans.CheckID, Trans.Category, Trans.PayeeName, "
                               "Trans.rowid") +
                       Rows + conditions.Where() +
                       " ORDER BY Trans.PostDate DESC, Trans.Sequence DESC, Trans.SubSequence "
                       "DESC LIMIT " +
                       std::to_string(limit));
    conditions.Bind(rows);
    while (rows.Step())
        result.rows.push_back(ReadRow(rows));
    return result;
}
