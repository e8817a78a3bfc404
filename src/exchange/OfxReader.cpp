#include "exchange/OfxReader.h"

#include "base/UserInterface.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/SchemaCatalog.h"
#include "data/TransactionAppender.h"
#include "data/Vocabulary.h"
#include "exchange/ImportAccount.h"
#include "exchange/ImportSupport.h"
#include "exchange/StatementAmount.h"
#include "exchange/StatementFile.h"

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

OfxTransaction ReadBlock(const std::string& block, std::string fitid, LocalMidnights& midnights)
{
    OfxTransaction t;
    t.fitid = std::move(fitid);
    t.checkId = ClearZeroCheckNumber(TagText(block, "<CHECKNUM>"));
    t.date = ReadPostingDate(TagValue(block, "<DTPOSTED>"), midnights);
    t.amount = ReadAmount(TagValue(block, "<TRNAMT>"));
    t.description = TagText(block, "<NAME>");
    if (t.description.empty())
        t.description = "(blank)";
    t.notes = TrimToLength(TagText(block, "<MEMO>"), 255);
    return t;
}

// The condition that picks the account's rows.
std::string AccountIs(const std::string& accountId)
{
    return "AccountID = " + SqlLiteral(accountId);
}

// The FITIDs the account holds, compared byte for byte (banks' ids can differ only in
// case), with those this import adds: a FITID seen earlier in the file is a duplicate too.
class KnownFitids
{
public:
    /// Room is made for the transactions a text of that size can hold at most.
    KnownFitids(Database& db, const std::string& accountId, std::size_t textSize)
    {
        m_fitids.reserve(textSize / MinimalBlockSize);
        Recordset rs;
        rs.Open("SELECT FITID FROM Trans WHERE " + AccountIs(accountId), db, OpenMode::ReadOnly);
        for (; !rs.IsEOF(); rs.MoveNext())
        {
            Variant fitid = rs.GetValue(0);
            if (!fitid.IsNull())
                m_fitids.insert(fitid.ToText());
        }
    }

    /// Takes the FITID of a block about to be stored; false when it is known already.
    /// Earlier imports stored ids as written ("A&amp;B"), so that form counts as known too.
    bool Take(const std::string& fitid, const std::string& written)
    {
        if (written != fitid && m_fitids.contains(written))
            return false;
        return m_fitids.insert(fitid).second;
    }

private:
    static constexpr std::size_t MinimalBlockSize = 160; ///< bytes of a short STMTTRN aggregate

    std::unordered_set<std::string> m_fitids;
};

// Transactions without a FITID (some banks' OFC files): such a row is a duplicate only
// when the account held a row with the same posting date, amount, description, notes and
// check number before this import; rows this import adds never count, so two equal rows of
// one file are both stored. Texts compare as Jet's do, ignoring case; an absent text is
// the empty one.
class UnnumberedRows
{
public:
    /// Rows whose Sequence is below firstNew (or who have none) were there before.
    UnnumberedRows(Database& db, std::string accountId, std::int32_t firstNew)
        : m_db(db), m_accountId(std::move(accountId)), m_firstNew(firstNew)
    {
    }

    bool IsHeld(const OfxTransaction& t)
    {
        if (!m_loaded)
            Load();
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

    void Load()
    {
        m_loaded = true;
        Recordset rs;
        rs.Open("SELECT PostDate, Amount, Description, PayeeName, CheckID FROM Trans WHERE " +
                    AccountIs(m_accountId) + " AND (Sequence < " + std::to_string(m_firstNew) +
                    " OR Sequence IS NULL)",
                m_db, OpenMode::ReadOnly);
        for (; !rs.IsEOF(); rs.MoveNext())
        {
            Variant posted = rs.GetValue(0);
            if (posted.GetKind() == Variant::Kind::Date)
                m_keys.insert(Key(posted.RawDate(), rs.GetValue(1), rs.GetValue(2).ToText(),
                                  rs.GetValue(3).ToText(), rs.GetValue(4).ToText()));
        }
    }

    Database& m_db;
    std::string m_accountId;
    std::int32_t m_firstNew;
    bool m_loaded = false;
    std::unordered_set<std::string> m_keys;
};

void ReadTransactions(ImportContext& context, std::string_view text, const std::string& accountId,
                      ImportResult& result)
{
    KnownFitids fitids(context.db, accountId, text.size());
    TransactionAppender appender(context.db);
    UnnumberedRows unnumbered(context.db, accountId, appender.NextSequence());
    LocalMidnights midnights;
    BudgetLineCache budget(context.db);
    std::size_t position = 0;
    int lastYear = 0;
    int lastMonth = 0;
    std::string block;
    while (NextAggregate(text, "STMTTRN", position, block))
    {
        std::string written = TagValue(block, "<FITID>");
        std::string fitid =
            written.find('&') != std::string::npos ? TagText(block, "<FITID>") : written;
        // A block already held is not read further: its date or amount may be bad. A block
        // that turns out bad ends the import, and with it the FITIDs taken.
        if (!fitid.empty() && !fitids.Take(fitid, written))
        {
            ++result.duplicates;
            continue;
        }
        OfxTransaction t = ReadBlock(block, fitid, midnights);
        if (fitid.empty() && unnumbered.IsHeld(t))
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
        appender.Add(accountId, t.fitid, t.checkId, t.date.time, t.amount, t.description, t.notes,
                     NoCategory);
        ++result.added;
    }
}

// The first account number of the file; an account that earlier imports created under the
// number as written ("A&amp;B") keeps receiving its statements.
std::string ImportAccountId(Database& db, std::string_view text)
{
    std::string accountId = TagText(text, "<ACCTID>");
    std::string written = TagValue(text, "<ACCTID>");
    if (written != accountId && !AccountExists(db, accountId) && AccountExists(db, written))
        return written;
    return accountId;
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
    StatementFile file(path);
    std::string decoded;
    std::string_view text;
    try
    {
        // The text ends at the first NUL byte, as it always has.
        std::string_view bytes = file.Bytes();
        text = StatementText(bytes.substr(0, bytes.find('\0')), decoded);
        // The first account number of the file, whatever statement it stands in.
        std::string accountId = ImportAccountId(context.db, text);
        if (EnsureImportAccount(context, accountId))
        {
            result.accountResolved = true;
            ReadTransactions(context, text, accountId, result);
        }
    }
    catch (const DatabaseError& error)
    {
        // The database's own failure is the import's to report: the file is not to blame.
        if (IsDatabaseFailure(error))
            throw;
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
