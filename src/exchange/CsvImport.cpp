#include "exchange/CsvImport.h"

#include "base/UserInterface.h"
#include "data/Database.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/SchemaCatalog.h"
#include "data/TextEncoding.h"
#include "data/TransactionAppender.h"
#include "data/Vocabulary.h"
#include "exchange/CsvMappingStore.h"
#include "exchange/CsvRow.h"
#include "exchange/CsvTableReader.h"
#include "exchange/ImportSupport.h"
#include "exchange/QifReader.h"
#include "exchange/ScheduledMatcher.h"

#include <chrono>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace
{
const char* const SkippedHead =
    "Invalid data was found while importing. The following lines were skipped:";

// Gives the account answer the user already gave in the mapping dialog to the account
// resolution, once: an answer refused there is not asked again.
class GivenAccountAnswer : public AccountChooser
{
public:
    explicit GivenAccountAnswer(AccountChoice answer) : m_answer(std::move(answer)) {}
    std::optional<AccountChoice> Choose(const AccountChoiceRequest&) override
    {
        if (m_given)
            return std::nullopt;
        m_given = true;
        return m_answer;
    }

private:
    AccountChoice m_answer;
    bool m_given = false;
};

// The text that finds a remembered mapping: the file read in its detected character set,
// whatever set the mapping chose, so the same header line always gives the same key.
std::string KeyText(const std::string& bytes)
{
    return DecodeCsvFile(bytes, "").value_or(DecodeCp1252(bytes));
}

std::int64_t NowMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// Files the rows of one import into one account. A row is held when the account had a row
// before this import with the same day, amount, description and notes (ASCII case ignored,
// an absent text the empty one); rows this import adds never count. The account's rows are
// read once and looked up by hash.
class CsvTransactionStore
{
public:
    CsvTransactionStore(ImportContext& context, std::string accountId)
        : m_context(context), m_accountId(std::move(accountId)), m_budget(context.db),
          m_stamp(FormatImportStamp(NowMilliseconds())), m_appender(context.db),
          m_scheduled(context)
    {
        Load();
    }

    /// Stores a row unless the account held it or a scheduled row takes it.
    RowOutcome Store(const CsvRow& row)
    {
        if (m_held.count(Key(row.date, row.amount, row.description, row.notes)))
            return RowOutcome::Held;
        std::int64_t midnight = Midnight(row.date);
        RowOutcome met = m_scheduled.Meet(
            ImportedRow{m_accountId, midnight, row.amount, row.description, m_stamp, false});
        if (met != RowOutcome::Added)
            return met;
        m_budget.Ensure(row.category, row.date.year, row.date.month, NoCategory, Currency());
        m_appender.Add(m_accountId, m_stamp, row.checkId, midnight,
                       Variant::FromCurrency(row.amount), row.description, row.notes, row.category);
        return RowOutcome::Added;
    }

private:
    static std::string Key(const DateTime& date, Currency amount, const std::string& description,
                           const std::string& notes)
    {
        char head[48];
        std::snprintf(head, sizeof head, "%04d%02d%02d|%lld|", date.year, date.month, date.day,
                      static_cast<long long>(amount.Units()));
        return head + std::to_string(description.size()) + ":" + UpperAscii(description) + "|" +
               UpperAscii(notes);
    }

    void Load()
    {
        Recordset rs;
        rs.Open("SELECT PostDate, Amount, Description, PayeeName AS Notes FROM Trans WHERE "
                "AccountID = '" +
                    SqlEscape(m_accountId) + "'",
                m_context.db, OpenMode::ReadOnly);
        for (; !rs.IsEOF(); rs.MoveNext())
        {
            Variant posted = rs.GetValue(0);
            Variant value = rs.GetValue(1);
            if (posted.GetKind() != Variant::Kind::Date || value.IsNull())
                continue;
            m_held.insert(Key(posted.RawDate(), value.ToCurrency(), rs.GetValue(2).ToText(),
                              rs.GetValue(3).ToText()));
        }
    }

    // Local midnight of a day; mktime reads the time zone at every call, so each day of
    // the import is turned once.
    std::int64_t Midnight(const DateTime& date)
    {
        int key = (date.year * 100 + date.month) * 100 + date.day;
        auto found = m_midnights.find(key);
        if (found != m_midnights.end())
            return found->second;
        return m_midnights.emplace(key, FromLocalCalendar(date)).first->second;
    }

    ImportContext& m_context;
    std::string m_accountId;
    BudgetLineCache m_budget;
    std::string m_stamp;
    TransactionAppender m_appender;
    ScheduledMatcher m_scheduled;
    std::unordered_set<std::string> m_held;
    std::unordered_map<int, std::int64_t> m_midnights;
};

// Stores every row of the table; the lines of the rows that cannot be read or stored are
// gathered, each after a line feed.
std::string StoreRows(ImportContext& context, const std::string& text, const CsvMapping& mapping,
                      const std::string& accountId, ImportResult& result)
{
    CsvTransactionStore store(context, accountId);
    CsvTableReader table(text, mapping);
    CsvRecord record;
    std::string skipped;
    while (table.Next(record))
    {
        CsvRow row = ReadCsvRow(record, mapping);
        try
        {
            if (row.kind == CsvRow::Kind::Transaction)
                result.Count(store.Store(row));
        }
        catch (const std::exception& error)
        {
            // A database that refuses every row is no fault of the rows.
            if (IsDatabaseFailure(error))
                throw;
            row.kind = CsvRow::Kind::Unreadable;
        }
        if (row.kind == CsvRow::Kind::Unreadable)
            skipped += "\n" + text.substr(record.begin, record.end - record.begin);
    }
    return skipped;
}

// The mapping and the account the user chose; nullopt when the import stops here.
std::optional<CsvMappingChoice> Ask(ImportContext& context, const CsvMappingRequest& request)
{
    AskingUser asking(context.ui);
    if (context.csvChooser)
        return context.csvChooser->Choose(request);
    // No one to show the mapping to: only a certain guess is taken.
    std::string problem = CheckCsvMapping(request.mapping);
    if (!request.doubts.empty() || !problem.empty())
    {
        std::string text = "The columns of this CSV file cannot be recognised with certainty:";
        for (const CsvDoubt& doubt : request.doubts)
            text += "\n" + doubt.reason;
        if (request.doubts.empty())
            text += "\n" + problem;
        context.ui.ShowMessage(text, UserInterface::Icon::Stop);
        return std::nullopt;
    }
    std::optional<AccountChoice> account = context.chooser.Choose(request.accounts);
    if (!account)
        return std::nullopt;
    return CsvMappingChoice{request.mapping, *account};
}
} // namespace

CsvMappingRequest MakeCsvMappingRequest(Database& db, const std::string& path, std::string bytes)
{
    CsvMappingRequest request;
    request.path = path;
    request.bytes = std::move(bytes);
    std::string keyText = KeyText(request.bytes);
    if (std::optional<CsvMapping> remembered = FindRememberedCsvMapping(keyText))
    {
        request.mapping = *remembered;
        request.remembered = true;
    }
    else
    {
        CsvGuess guess = GuessCsvMapping(keyText);
        request.mapping = guess.mapping;
        request.doubts = guess.doubts;
    }
    request.accounts = MakeAccountChoiceRequest(db, "");
    return request;
}

ImportResult ReadCsvFile(ImportContext& context, const std::string& path)
{
    ImportResult result;
    Transaction transaction(context.db);
    CsvMappingRequest request = MakeCsvMappingRequest(context.db, path, ReadFileBytes(path));
    std::optional<CsvMappingChoice> choice = Ask(context, request);
    std::optional<std::string> text;
    if (choice)
        text = DecodeCsvFile(request.bytes, choice->mapping.charset);
    if (choice && !text)
    {
        context.ui.ShowMessage("The file cannot be read in the character set " +
                                   choice->mapping.charset + ".",
                               UserInterface::Icon::Stop);
        choice.reset();
    }
    if (!choice)
    {
        transaction.Commit();
        return result;
    }

    // The account answer goes through the same resolution as a QIF statement's.
    GivenAccountAnswer answer(choice->account);
    ImportContext resolving(context.db, context.ui, answer);
    resolving.rebuildTree = context.rebuildTree;
    std::string accountId;
    if (!SelectImportAccount(resolving, accountId))
    {
        transaction.Commit();
        return result;
    }
    result.accountResolved = true;
    RememberCsvMapping(KeyText(request.bytes), choice->mapping);
    std::string skipped = StoreRows(context, *text, choice->mapping, accountId, result);
    transaction.Commit();
    if (!skipped.empty())
        context.ui.ShowMessage(SkippedHead + skipped, UserInterface::Icon::Exclamation);
    return result;
}
