#include "exchange/StatementStore.h"

#include "base/UserInterface.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/Regional.h"
#include "data/TextEncoding.h"
#include "data/TransactionAppender.h"
#include "data/Vocabulary.h"
#include "exchange/CamtReader.h"
#include "exchange/ImportAccount.h"
#include "exchange/ImportDuplicates.h"
#include "exchange/ImportSupport.h"
#include "exchange/LocalMidnights.h"
#include "exchange/Mt940Reader.h"
#include "exchange/ScheduledMatcher.h"
#include "exchange/StatementFile.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace
{
const char* const InvalidData = "Invalid data was found while importing:\n";
constexpr std::size_t LongestText = 255; ///< characters a description can hold

/// Each statement's account as resolved, in statement order; empty for one left unknown.
std::vector<std::string> ResolveAccounts(ImportContext& context,
                                         const std::vector<BankStatement>& statements)
{
    std::map<std::string, std::string> resolved; // by the number as written
    std::vector<std::string> accounts;
    for (const BankStatement& statement : statements)
    {
        auto found = resolved.find(statement.accountId);
        if (found == resolved.end())
        {
            std::string accountId = statement.accountId;
            if (!EnsureImportAccount(context, accountId))
                accountId.clear();
            found = resolved.emplace(statement.accountId, accountId).first;
        }
        accounts.push_back(found->second);
    }
    return accounts;
}

/// Local midnight of every entry's day, in the statements' order; refuses a day before 1970.
std::vector<std::int64_t> EntryTimes(const std::vector<BankStatement>& statements)
{
    LocalMidnights midnights;
    std::vector<std::int64_t> times;
    for (const BankStatement& statement : statements)
        for (const StatementEntry& entry : statement.entries)
        {
            std::optional<std::int64_t> time =
                midnights.At(entry.date.year, entry.date.month, entry.date.day);
            if (!time)
                throw StatementError("The statement holds a day before 1970 (" +
                                     FormatShortDate(entry.date) + "), which cannot be stored.");
            times.push_back(*time);
        }
    return times;
}

/// The day from which a statement's rows run, for telling its account's first import.
std::optional<DateTime> FirstDay(const BankStatement& statement)
{
    if (statement.firstDay)
        return statement.firstDay;
    if (!statement.entries.empty())
        return std::min_element(statement.entries.begin(), statement.entries.end(),
                                [](const StatementEntry& a, const StatementEntry& b)
                                { return a.date < b.date; })
            ->date;
    if (statement.closing)
        return statement.closing->date;
    return std::nullopt;
}

/// What the store knows of one account during an import.
struct AccountRows
{
    AccountRows(Database& db, const std::string& accountId, std::int32_t firstNew,
                std::size_t expected)
        : fitids(db, accountId, expected), unnumbered(db, accountId, firstNew)
    {
    }
    KnownFitids fitids;
    UnnumberedRows unnumbered;
};

/// Stores the entries of one statement, counting what was added and what was held.
class EntryWriter
{
public:
    explicit EntryWriter(ImportContext& context)
        : m_db(context.db), m_appender(context.db), m_budget(context.db), m_scheduled(context)
    {
    }

    void Write(const std::string& accountId, const StatementEntry& entry, std::int64_t time,
               std::size_t expected, ImportResult& result)
    {
        AccountRows& rows = RowsOf(accountId, expected);
        std::string description(Utf8Prefix(entry.description, LongestText));
        if (description.empty())
            description = "(blank)";
        Variant amount = Variant::FromCurrency(entry.amount);
        bool held = entry.fitid.empty()
                        ? rows.unnumbered.IsHeld(entry.date, amount, description, entry.notes, "")
                        : !rows.fitids.Take(entry.fitid);
        RowOutcome outcome =
            held ? RowOutcome::Held
                 : m_scheduled.Meet(ImportedRow{accountId, time, entry.amount, description,
                                                entry.fitid, !entry.fitid.empty()});
        if (outcome != RowOutcome::Added)
        {
            result.Count(outcome);
            return;
        }
        m_budget.Ensure(NoCategory, entry.date.year, entry.date.month, NoCategory, Currency());
        m_appender.Add(accountId, entry.fitid, "", time, amount, description, entry.notes,
                       NoCategory);
        ++result.added;
    }

private:
    AccountRows& RowsOf(const std::string& accountId, std::size_t expected)
    {
        auto found = m_accounts.find(accountId);
        if (found == m_accounts.end())
            found =
                m_accounts
                    .emplace(accountId, std::make_unique<AccountRows>(
                                            m_db, accountId, m_appender.NextSequence(), expected))
                    .first;
        return *found->second;
    }

    Database& m_db;
    TransactionAppender m_appender;
    BudgetLineCache m_budget;
    ScheduledMatcher m_scheduled;
    std::map<std::string, std::unique_ptr<AccountRows>> m_accounts;
};

ImportResult
ReadStatementFile(ImportContext& context, const std::string& path,
                  const std::function<std::vector<BankStatement>(std::string_view)>& read)
{
    ImportResult result;
    StatementFile file(path);
    std::string_view bytes = file.Bytes();
    Transaction transaction(context.db);
    try
    {
        StoreBankStatements(context, read(bytes), result);
    }
    catch (const StatementError& error)
    {
        result = ImportResult{};
        result.stopped = true;
        context.ui.ShowMessage(InvalidData + std::string(error.what()) + "\n" +
                                   StatementExcerpt(bytes),
                               UserInterface::Icon::Stop);
        return result;
    }
    catch (const DatabaseError& error)
    {
        // The database's own failure is the import's to report: the file is not to blame.
        if (IsDatabaseFailure(error))
            throw;
        result = ImportResult{};
        result.stopped = true;
        context.ui.ShowMessage(InvalidData + GetComExceptionMessage(error) + "\n" +
                                   StatementExcerpt(bytes),
                               UserInterface::Icon::Stop);
        return result;
    }
    transaction.Commit();
    return result;
}
} // namespace

void StoreBankStatements(ImportContext& context, const std::vector<BankStatement>& statements,
                         ImportResult& result)
{
    std::vector<std::int64_t> times = EntryTimes(statements);
    std::vector<std::string> accounts = ResolveAccounts(context, statements);
    // Only an account's first statement of the file can be its first import.
    std::vector<bool> firstImports;
    std::set<std::string> seen;
    for (std::size_t s = 0; s < statements.size(); ++s)
    {
        std::optional<DateTime> first = FirstDay(statements[s]);
        firstImports.push_back(!accounts[s].empty() && seen.insert(accounts[s]).second && first &&
                               !HoldsRowsBefore(context.db, accounts[s], *first));
    }
    EntryWriter writer(context);
    std::size_t next = 0; // index into times
    for (std::size_t s = 0; s < statements.size(); ++s)
    {
        const BankStatement& statement = statements[s];
        if (accounts[s].empty())
        {
            next += statement.entries.size();
            continue;
        }
        result.accountResolved = true;
        result.pending += statement.pending;
        for (const StatementEntry& entry : statement.entries)
            writer.Write(accounts[s], entry, times[next++], statement.entries.size(), result);
    }
    std::vector<BalanceRequest> requests;
    for (std::size_t s = 0; s < statements.size(); ++s)
        if (!accounts[s].empty() && statements[s].closing)
            requests.push_back({accounts[s], statements[s].closing->date,
                                statements[s].closing->amount, firstImports[s]});
    result.balances = CheckBalances(context.db, requests);
}

ImportResult ReadCamtFile(ImportContext& context, const std::string& path)
{
    return ReadStatementFile(context, path, ReadCamtStatements);
}

ImportResult ReadMt940File(ImportContext& context, const std::string& path)
{
    return ReadStatementFile(context, path,
                             [](std::string_view bytes)
                             { return ReadMt940Statements(DecodeStatementText(bytes, "")); });
}

void OfferOpeningBalances(ImportContext& context, ImportResult& result)
{
    if (!context.acceptOpeningBalance)
        return;
    for (std::size_t i = 0; i < result.balances.size(); ++i)
    {
        BalanceCheck& check = result.balances[i];
        if (!check.firstImport || check.Agrees() || !context.acceptOpeningBalance(check))
            continue;
        Currency change = check.bank - check.held;
        SetAgreeingOpeningBalance(context.db, check);
        if (context.refreshView)
            context.refreshView();
        for (std::size_t later = i + 1; later < result.balances.size(); ++later)
            if (result.balances[later].accountId == check.accountId)
                result.balances[later].held = result.balances[later].held + change;
    }
}
