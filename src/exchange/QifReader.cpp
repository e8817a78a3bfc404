#include "exchange/QifReader.h"

#include "base/UserInterface.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/Regional.h"
#include "data/SchemaCatalog.h"
#include "data/TextEncoding.h"
#include "data/TransactionAppender.h"
#include "data/Vocabulary.h"
#include "exchange/ImportAccount.h"
#include "exchange/ImportSupport.h"
#include "exchange/OfxReader.h"
#include "exchange/ReadLine.h"
#include "exchange/ScheduledMatcher.h"
#include "exchange/StatementAmount.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <unordered_set>

namespace
{
enum class Mode
{
    None,
    Transactions,
    Memorized, ///< payee templates, not transactions: read past
    CategoryList
};

Mode ModeOfHeader(const std::string& line)
{
    static const char* const transactionHeaders[] = {"!Type:Bank",  "!Type:Cash",  "!Type:CCard",
                                                     "!Type:Oth L", "!Type:Oth A", "!Type:Invst"};
    for (const char* header : transactionHeaders)
        if (line == header)
            return Mode::Transactions;
    if (line == "!Type:Memorized")
        return Mode::Memorized;
    return Mode::CategoryList;
}

struct Record
{
    /// Kept from one record to the next; none before the file's first readable D line.
    std::optional<std::int64_t> date;
    bool broken = false; ///< a line of the record could not be read: it is not stored
    std::string lines;   ///< the record's lines so far, each after a line feed
    Currency amount;
    std::string checkId;
    std::string memo;
    std::string payee;
    std::string category = NoCategory;
    std::string group;

    void Start()
    {
        broken = false;
        lines.clear();
        amount = Currency();
        checkId.clear();
        memo.clear();
        payee.clear();
        category = NoCategory;
        group.clear();
    }
};

// A line whose value cannot be read: the line is listed as skipped and its record is not
// stored, never stored with a made-up date or amount.
class UnreadableLine : public std::runtime_error
{
public:
    UnreadableLine() : std::runtime_error("unreadable line") {}
};

// A D value in the file's date order, "'" before a two-digit year as "/". Dates before
// 1970 cannot be held; nullopt for them and for what the parser rejects.
std::optional<std::int64_t> ReadDate(std::string value, DateOrder order)
{
    for (char& c : value)
        if (c == '\'')
            c = '/';
    std::optional<DateTime> date = ParseDate(value, order);
    if (!date || date->year < 1970)
        return std::nullopt;
    return FromLocalCalendar(*date);
}

// The date order of a file's transaction D lines, as QIF names none. A line that reads day
// first only (a first number over 12) shows day first; one that reads month first only (a
// second number over 12), or writes its year after "'" as Quicken does, shows month first.
// The locale's order holds when no line shows one, and when lines show both.
DateOrder FileDateOrder(const std::string& text)
{
    bool dayFirst = false;
    bool monthFirst = false;
    Mode mode = Mode::None;
    std::istringstream lines(text);
    std::string line;
    while (ReadLine(lines, line))
    {
        if (line.starts_with("!"))
            mode = ModeOfHeader(line);
        if (mode != Mode::Transactions || !line.starts_with("D"))
            continue;
        std::string value = line.substr(1);
        bool asDmy = ReadDate(value, DateOrder::DayMonthYear).has_value();
        bool asMdy = ReadDate(value, DateOrder::MonthDayYear).has_value();
        bool apostrophe = value.find('\'') != std::string::npos;
        bool showsDmy = asDmy && !asMdy;
        bool showsMdy = (asMdy && !asDmy) || (apostrophe && (asDmy || asMdy));
        if (showsDmy && showsMdy)
            continue; // an apostrophe year read day first only: the line shows nothing
        dayFirst = dayFirst || showsDmy;
        monthFirst = monthFirst || showsMdy;
    }
    if (dayFirst == monthFirst)
        return LocaleDateOrder();
    return dayFirst ? DateOrder::DayMonthYear : DateOrder::MonthDayYear;
}

std::int64_t NowMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// A stamp no earlier run of this process made: runs within one millisecond wait for the
// next.
std::string MakeImportStamp()
{
    static std::string last;
    std::string stamp = FormatImportStamp(NowMilliseconds());
    while (stamp == last)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        stamp = FormatImportStamp(NowMilliseconds());
    }
    last = stamp;
    return stamp;
}

const char* const TransSelect = "SELECT FITID, PostDate, Amount, CheckID, PayeeName AS Notes "
                                "FROM Trans WHERE AccountID = '";

// Files the records of one run into one account. A record is a duplicate when the account
// holds a row, not added by this run, with the same posting date (a row with a time of day
// never matches), amount, notes and, when the record has one, check number; texts compare
// as the engine's text equality does (ASCII case ignored, NULL equal to nothing). The
// account's other rows are read once and looked up by hash: rows this run adds carry its
// stamp and never take part. Rows are written through one prepared statement.
class TransactionStore
{
public:
    TransactionStore(ImportContext& context, std::string accountId)
        : m_context(context), m_accountId(std::move(accountId)), m_budget(context.db),
          m_scheduled(context)
    {
    }

    /// Stores a dated record unless the account holds it or a scheduled row takes it.
    RowOutcome Store(const Record& record)
    {
        if (!m_appender)
            Load();
        DateTime local = ToLocalCalendar(*record.date);
        if (IsKnown(local, record))
            return RowOutcome::Held;
        std::string description = record.payee.empty() ? "(Blank)" : record.payee;
        RowOutcome met = m_scheduled.Meet(
            ImportedRow{m_accountId, *record.date, record.amount, description, m_stamp, false});
        if (met != RowOutcome::Added)
            return met;
        m_budget.Ensure(record.category, local.year, local.month, NoCategory, Currency());
        m_appender->Add(m_accountId, m_stamp, record.checkId, *record.date,
                        Variant::FromCurrency(record.amount), description, record.memo,
                        record.category);
        return RowOutcome::Added;
    }

private:
    static std::string Key(const DateTime& date, Currency amount, const std::string* checkId,
                           const std::string& notes)
    {
        char head[48];
        std::snprintf(head, sizeof head, "%04d%02d%02d|%lld|", date.year, date.month, date.day,
                      static_cast<long long>(amount.Units()));
        std::string key = head;
        if (checkId)
            key += std::to_string(checkId->size()) + ":" + UpperAscii(*checkId);
        return key + "|" + UpperAscii(notes);
    }

    bool IsKnown(const DateTime& date, const Record& record) const
    {
        const std::string* checkId = record.checkId.empty() ? nullptr : &record.checkId;
        const auto& keys = checkId ? m_withCheck : m_withoutCheck;
        return keys.count(Key(date, record.amount, checkId, record.memo)) > 0;
    }

    // Reads the account's rows once; the next record reads them again when this fails.
    void Load()
    {
        do
            m_stamp = MakeImportStamp();
        while (!IndexRows()); // another process used the stamp: make a new one
        m_appender.emplace(m_context.db);
    }

    // Indexes the rows the duplicate search can find; false when one carries the stamp.
    bool IndexRows()
    {
        m_withCheck.clear();
        m_withoutCheck.clear();
        Recordset rs;
        rs.Open(TransSelect + SqlEscape(m_accountId) + "'", m_context.db, OpenMode::ReadOnly);
        const int fitid = 0;
        const int date = 1;
        const int amount = 2;
        const int checkId = 3;
        const int notes = 4;
        for (; !rs.IsEOF(); rs.MoveNext())
        {
            Variant id = rs.GetValue(fitid);
            if (id.IsNull())
                continue; // FITID <> stamp is not true of NULL
            if (id.ToText() == m_stamp)
                return false;
            Variant posted = rs.GetValue(date);
            Variant value = rs.GetValue(amount);
            Variant memo = rs.GetValue(notes);
            if (posted.GetKind() != Variant::Kind::Date || posted.RawDate().HasTime() ||
                value.IsNull() || memo.IsNull())
                continue;
            Currency units = value.ToCurrency();
            m_withoutCheck.insert(Key(posted.RawDate(), units, nullptr, memo.ToText()));
            Variant check = rs.GetValue(checkId);
            if (!check.IsNull())
            {
                std::string text = check.ToText();
                m_withCheck.insert(Key(posted.RawDate(), units, &text, memo.ToText()));
            }
        }
        return true;
    }

    ImportContext& m_context;
    std::string m_accountId;
    std::string m_stamp;
    std::optional<TransactionAppender> m_appender; ///< made once the rows are indexed
    BudgetLineCache m_budget;
    ScheduledMatcher m_scheduled;
    std::unordered_set<std::string> m_withoutCheck;
    std::unordered_set<std::string> m_withCheck;
};

class QifFileReader
{
public:
    QifFileReader(ImportContext& context, const std::string& accountId, DateOrder dateOrder,
                  ImportResult& result)
        : m_context(context), m_store(context, accountId), m_budget(context.db), m_result(result),
          m_dateOrder(dateOrder)
    {
    }

    void Read(std::istream& file)
    {
        std::string line;
        bool recordEnded = true;
        while (ReadLine(file, line))
        {
            if (recordEnded)
                m_record.Start();
            recordEnded = false;
            if (!line.empty() && line[0] == '!')
            {
                m_mode = ModeOfHeader(line);
                continue;
            }
            if (m_mode == Mode::Memorized)
                continue;
            char code = line.empty() ? '\0' : line[0];
            if (code == '^')
                recordEnded = true;
            else
                m_record.lines += "\n" + line;
            try
            {
                if (m_mode == Mode::Transactions)
                    TransactionField(code, line.empty() ? line : line.substr(1));
                else if (m_mode == Mode::CategoryList)
                    CategoryField(code, line.empty() ? line : line.substr(1));
            }
            catch (const std::exception& error)
            {
                // A database that refuses every row is no fault of the lines.
                if (IsDatabaseFailure(error))
                    throw;
                m_skipped += "\n" + line;
            }
        }
    }

    const std::string& Skipped() const { return m_skipped; }

private:
    void TransactionField(char code, const std::string& value)
    {
        switch (code)
        {
        case 'D':
            // A date that cannot be read is no date for the records after it either.
            m_record.date = ReadDate(value, m_dateOrder);
            if (!m_record.date)
                Unreadable();
            break;
        case 'T':
            m_record.amount = Amount(value);
            break;
        case 'N':
            if (!IsZeroNumber(value))
                m_record.checkId = value;
            break;
        case 'M':
            m_record.memo = value;
            break;
        case 'L':
            m_record.category = value;
            break;
        case 'P':
            m_record.payee = TrimToLength(value, 50);
            break;
        case '^':
            EndTransaction();
            break;
        default:
            break; // split lines and other codes have no effect
        }
    }

    void CategoryField(char code, const std::string& value)
    {
        switch (code)
        {
        case 'N':
        {
            std::size_t colon = value.find(':');
            if (colon == std::string::npos)
                break;
            std::size_t next = value.find(':', colon + 1);
            m_record.group = TrimToLength(value.substr(0, colon), 50);
            m_record.category = TrimToLength(
                value.substr(colon + 1, next == std::string::npos ? next : next - colon - 1), 50);
            break;
        }
        case 'B':
            m_record.amount += Amount(value);
            break;
        case '^':
            if (m_record.broken)
                break;
            if (m_record.category != NoCategory || m_record.amount != Currency())
                m_budget.Ensure(m_record.category, m_context.budgetYear, m_context.budgetPeriod,
                                m_record.group, m_record.amount);
            break;
        default:
            break;
        }
    }

    [[noreturn]] void Unreadable()
    {
        m_record.broken = true;
        throw UnreadableLine();
    }

    Currency Amount(const std::string& value)
    {
        std::optional<Currency> amount = ParseQifAmount(value);
        if (!amount)
            Unreadable();
        return *amount;
    }

    // A record whose line could not be read was listed with that line; one without a date
    // of its own before the file's first D line is listed whole.
    void EndTransaction()
    {
        if (m_record.broken)
            return;
        if (!m_record.date)
        {
            m_skipped += m_record.lines.empty() ? "\n^" : m_record.lines;
            return;
        }
        m_result.Count(m_store.Store(m_record));
    }

    ImportContext& m_context;
    TransactionStore m_store;
    BudgetLineCache m_budget;
    ImportResult& m_result;
    DateOrder m_dateOrder;
    Mode m_mode = Mode::None;
    Record m_record;
    std::string m_skipped;
};
} // namespace

std::string FormatImportStamp(std::int64_t milliseconds)
{
    std::int64_t seconds = milliseconds / 1000;
    DateTime local = ToLocalCalendar(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%d", local.year, local.month,
                  local.day, local.hour, local.minute, local.second,
                  static_cast<int>(milliseconds % 1000));
    return text;
}

ImportResult ReadQifFile(ImportContext& context, const std::string& path)
{
    ImportResult result;
    Transaction transaction(context.db);
    std::string accountId;
    if (!EnsureImportAccount(context, accountId))
    {
        transaction.Commit();
        return result;
    }
    result.accountResolved = true;
    // QIF declares no character set: UTF-8 when the bytes are, else CP1252.
    std::string text = DecodeStatementFile(ReadFileBytes(path));
    QifFileReader reader(context, accountId, FileDateOrder(text), result);
    {
        std::istringstream lines(text);
        reader.Read(lines);
    }
    transaction.Commit();
    if (!reader.Skipped().empty())
        context.ui.ShowMessage(
            "Invalid data was found while importing. The following lines were skipped:" +
                reader.Skipped(),
            UserInterface::Icon::Exclamation);
    return result;
}
