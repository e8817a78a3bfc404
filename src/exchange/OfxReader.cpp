#include "exchange/OfxReader.h"

#include "base/UserInterface.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/SchemaCatalog.h"
#include "data/TransactionAppender.h"
#include "data/Vocabulary.h"
#include "exchange/BalanceCheck.h"
#include "exchange/ImportAccount.h"
#include "exchange/ImportDuplicates.h"
#include "exchange/ImportSupport.h"
#include "exchange/LocalMidnights.h"
#include "exchange/ScheduledMatcher.h"
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

constexpr std::size_t MinimalBlockSize = 160; ///< bytes of a short STMTTRN aggregate

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

// YYYYMMDD, whatever follows; a day past the end of the month rolls into the next one.
PostingDate ReadPostingDate(const std::string& value, LocalMidnights& midnights)
{
    PostingDate date;
    date.year = PartNumber(value, 0, 4);
    date.month = PartNumber(value, 4, 2);
    int day = PartNumber(value, 6, 2);
    if (date.year < 1900 || date.month < 1 || date.month > 12 || day < 1 || day > 31)
        throw InvalidPostingDate();
    std::optional<std::int64_t> midnight = midnights.At(date.year, date.month, day);
    if (!midnight)
        throw InvalidPostingDate();
    date.time = *midnight;
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

std::optional<Currency> AmountOf(const Variant& amount)
{
    if (amount.IsNull())
        return std::nullopt;
    return amount.ToCurrency();
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

void ReadTransactions(ImportContext& context, std::string_view text, const std::string& accountId,
                      ImportResult& result)
{
    KnownFitids fitids(context.db, accountId, text.size() / MinimalBlockSize);
    TransactionAppender appender(context.db);
    UnnumberedRows unnumbered(context.db, accountId, appender.NextSequence());
    LocalMidnights midnights;
    BudgetLineCache budget(context.db);
    ScheduledMatcher scheduled(context);
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
        if (fitid.empty() && unnumbered.IsHeld(ToLocalCalendar(t.date.time), t.amount,
                                               t.description, t.notes, t.checkId))
        {
            ++result.duplicates;
            continue;
        }
        RowOutcome met = scheduled.Meet(ImportedRow{accountId, t.date.time, AmountOf(t.amount),
                                                    t.description, t.fitid, !t.fitid.empty()});
        if (met != RowOutcome::Added)
        {
            result.Count(met);
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

// The day of the first date of a tag (YYYYMMDD, whatever follows), as written.
std::optional<DateTime> StatementDay(std::string_view text, std::string_view tag)
{
    std::string value = TagValue(text, tag);
    DateTime day{
        PartNumber(value, 0, 4), PartNumber(value, 4, 2), PartNumber(value, 6, 2), 0, 0, 0};
    if (value.size() < 8 || !day.IsValid())
        return std::nullopt;
    return day;
}

// The bank's ledger balance (LEDGERBAL), when the statement gives its amount and day,
// against the account's.
void CheckLedgerBalance(Database& db, std::string_view text, const std::string& accountId,
                        bool firstImport, ImportResult& result)
{
    std::size_t position = 0;
    std::string ledger = NextAggregate(text, "LEDGERBAL", position);
    std::optional<Currency> amount = ParseOfxAmount(TagValue(ledger, "<BALAMT>"));
    std::optional<DateTime> day = StatementDay(ledger, "<DTASOF>");
    if (amount && day)
        result.balances = CheckBalances(db, {{accountId, *day, *amount, firstImport}});
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
            std::optional<DateTime> firstDay = StatementDay(text, "<DTSTART>");
            if (!firstDay)
                firstDay = StatementDay(text, "<DTPOSTED>");
            bool firstImport = firstDay && !HoldsRowsBefore(context.db, accountId, *firstDay);
            ReadTransactions(context, text, accountId, result);
            CheckLedgerBalance(context.db, text, accountId, firstImport, result);
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
