#include "exchange/OfxReader.h"

#include "app/UserInterface.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/SchemaCatalog.h"
#include "data/Vocabulary.h"
#include "exchange/ImportAccount.h"
#include "exchange/ImportSupport.h"
#include "exchange/StatementAmount.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace
{
const char* const InvalidData = "Invalid data was found while importing:\n";

// A DTPOSTED that names no day the store can hold.
class InvalidPostingDate : public std::runtime_error
{
public:
    InvalidPostingDate() : std::runtime_error("invalid posting date") {}
};

// The whole number written at the start of a part of the text; 0 when there is none.
int PartNumber(const std::string& text, std::size_t start, std::size_t length)
{
    if (start >= text.size())
        return 0;
    std::string part = text.substr(start, length);
    return static_cast<int>(std::strtol(part.c_str(), nullptr, 10));
}

struct PostingDate
{
    int year = 0;
    int month = 0;     ///< as written, before a day past the month's end rolls over
    std::int64_t time; ///< local midnight of the day
};

// Local midnight of the days of one import. A statement's rows fall on few days, and the
// C library's mktime reads the time zone again at every call, which costs more than the
// rest of reading a row.
class LocalMidnights
{
public:
    /// The point in time of local midnight; a day past the end of the month rolls into the
    /// next one. Days before the start of 1970, local time, cannot be held.
    std::int64_t At(int year, int month, int day)
    {
        int key = (year * 100 + month) * 100 + day;
        auto found = m_days.find(key);
        if (found != m_days.end())
            return found->second;
        std::tm local{};
        local.tm_year = year - 1900;
        local.tm_mon = month - 1;
        local.tm_mday = day;
        local.tm_isdst = -1;
        std::time_t time = std::mktime(&local);
        if (local.tm_year < 70)
            throw InvalidPostingDate();
        return m_days.emplace(key, static_cast<std::int64_t>(time)).first->second;
    }

private:
    std::unordered_map<int, std::int64_t> m_days;
};

// YYYYMMDD, whatever follows; a day past the end of the month rolls into the next one.
PostingDate ReadPostingDate(const std::string& value, LocalMidnights& midnights)
{
    PostingDate date;
    date.year = PartNumber(value, 0, 4);
    date.month = PartNumber(value, 4, 2);
    int day = PartNumber(value, 6, 2);
    if (date.year < 1900 || date.month < 1 || date.month > 12 || day < 1 || day > 31)
        throw InvalidPostingDate();
    date.time = midnights.At(date.year, date.month, day);
    return date;
}

// The amount as the file writes it; NULL when empty. An amount that cannot be read stops
// the import rather than be stored as anything else.
Variant ReadAmount(const std::string& value)
{
    if (value.empty())
        return Variant();
    std::optional<Currency> amount = ParseOfxAmount(value);
    if (!amount)
        throw DatabaseError(Status::TypeMismatch, "");
    return Variant::FromCurrency(*amount);
}

// What one transaction block holds, as it will be stored.
struct OfxTransaction
{
    std::string fitid;
    std::string checkId;
    PostingDate date;
    Variant amount;
    std::string description;
    std::string notes;
};

OfxTransaction ReadBlock(const std::string& block, LocalMidnights& midnights)
{
    OfxTransaction t;
    t.fitid = TagValue(block, "<FITID>");
    t.checkId = ClearZeroCheckNumber(TagValue(block, "<CHECKNUM>"));
    t.date = ReadPostingDate(TagValue(block, "<DTPOSTED>"), midnights);
    t.amount = ReadAmount(TagValue(block, "<TRNAMT>"));
    t.description = TagText(block, "<NAME>");
    if (t.description.empty())
        t.description = "(blank)";
    t.notes = TrimToLength(TagText(block, "<MEMO>"), 255);
    return t;
}

// Transactions without a FITID (some banks' OFC files): such a row is a duplicate only
// when the account held a row with the same posting date, amount, description, notes and
// check number before this import; rows this import adds never count, so two equal rows of
// one file are both stored. Texts compare as Jet's do, ignoring case; an absent text is
// the empty one.
class UnnumberedRows
{
public:
    /// Remembers the rows the Recordset holds now, before the import adds any.
    explicit UnnumberedRows(const Recordset& rs) : m_held(rs.RecordCount()) {}

    bool IsHeld(Recordset& rs, const OfxTransaction& t)
    {
        if (!m_loaded)
            Load(rs);
        return m_keys.count(Key(ToLocalCalendar(t.date.time), t.amount, t.description, t.notes,
                                t.checkId)) > 0;
    }

private:
    static std::string Key(const DateTime& date, const Variant& amount,
                           const std::string& description, const std::string& notes,
                           const std::string& checkId)
    {
        std::string key = ToStorageText(date) + "|" +
                          (amount.IsNull() ? "NULL" : std::to_string(amount.ToCurrency().Units()));
        for (const std::string* text : {&description, &notes, &checkId})
            key += "|" + std::to_string(text->size()) + ":" + UpperAscii(*text);
        return key;
    }

    void Load(Recordset& rs)
    {
        m_loaded = true;
        int date = rs.FieldIndex("PostDate");
        int amount = rs.FieldIndex("Amount");
        int description = rs.FieldIndex("Description");
        int notes = rs.FieldIndex("Notes");
        int checkId = rs.FieldIndex("CheckID");
        for (std::size_t row = 0; row < m_held; ++row)
        {
            rs.SetAbsolutePosition(row);
            Variant posted = rs.GetValue(date);
            if (posted.GetKind() != Variant::Kind::Date)
                continue;
            m_keys.insert(Key(posted.RawDate(), rs.GetValue(amount),
                              rs.GetValue(description).ToText(), rs.GetValue(notes).ToText(),
                              rs.GetValue(checkId).ToText()));
        }
    }

    std::size_t m_held;
    bool m_loaded = false;
    std::unordered_set<std::string> m_keys;
};

const char* const TransSelect = "SELECT AccountID, PostDate, Amount, Description, FITID, CheckID, "
                                "Period, Year, Category, PayeeName AS Notes, Sequence FROM Trans "
                                "WHERE AccountID = '";

void ReadTransactions(ImportContext& context, const std::string& text, const std::string& accountId,
                      ImportResult& result)
{
    Recordset rs;
    // Rows added here take part in later FITID searches of the same import.
    rs.Open(TransSelect + SqlEscape(accountId) + "'", context.db, OpenMode::KeysetEdit);
    UnnumberedRows unnumbered(rs);
    LocalMidnights midnights;
    BudgetLineCache budget(context.db);
    std::size_t position = 0;
    int lastYear = 0;
    int lastMonth = 0;
    for (;;)
    {
        std::string block = NextAggregate(text, "STMTTRN", position);
        if (block.empty())
            break;
        std::string fitid = TagValue(block, "<FITID>");
        // A block already held is not read further: its date or amount may be bad.
        if (!fitid.empty() && FindFirst(rs, "FITID = '" + SqlEscape(fitid) + "'"))
        {
            ++result.duplicates;
            continue;
        }
        OfxTransaction t = ReadBlock(block, midnights);
        if (fitid.empty() && unnumbered.IsHeld(rs, t))
        {
            ++result.duplicates;
            continue;
        }
        if (t.date.year != lastYear || t.date.month != lastMonth)
        {
            lastYear = t.date.year;
            lastMonth = t.date.month;
            budget.Ensure(NoCategory, t.date.year, t.date.month, NoCategory, Currency());
        }
        AddTransaction(rs, accountId, t.fitid, t.checkId, t.date.time, t.amount, t.description,
                       t.notes, NoCategory);
        ++result.added;
    }
    rs.Close();
}
} // namespace

std::string ClearZeroCheckNumber(const std::string& value)
{
    return IsZeroNumber(value) ? std::string() : value;
}

ImportResult ReadOfxFile(ImportContext& context, const std::string& path)
{
    ImportResult result;
    Transaction transaction(context.db);
    std::string text;
    try
    {
        text = DecodeStatementFile(ReadWholeFile(path));
        // The first account number of the file, whatever statement it stands in.
        std::string accountId = TagValue(text, "<ACCTID>");
        if (EnsureImportAccount(context, accountId))
        {
            result.accountResolved = true;
            ReadTransactions(context, text, accountId, result);
        }
    }
    catch (const DatabaseError& error)
    {
        result.stopped = true;
        context.ui.ShowMessage(InvalidData + GetComExceptionMessage(error) + "\n" +
                                   StatementExcerpt(text),
                               UserInterface::Icon::Stop);
    }
    catch (const std::exception&)
    {
        result.stopped = true;
        context.ui.ShowMessage(InvalidData + StatementExcerpt(text), UserInterface::Icon::Stop);
    }
    transaction.Commit();
    return result;
}

std::string ReadWholeFile(const std::string& path)
{
    std::string text = ReadFileBytes(path);
    std::size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    return text;
}
