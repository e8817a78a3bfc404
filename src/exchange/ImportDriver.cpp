#include "exchange/ImportDriver.h"

#include "base/UserInterface.h"
#include "data/Balances.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/Recordset.h"
#include "data/Schema.h"
#include "data/SchemaCatalog.h"
#include "data/ViewKind.h"
#include "exchange/CamtReader.h"
#include "exchange/CsvGuess.h"
#include "exchange/CsvImport.h"
#include "exchange/Mt940Reader.h"
#include "exchange/OfxReader.h"
#include "exchange/QifReader.h"
#include "exchange/StatementStore.h"
#include "rules/CategoryRules.h"
#include "transfer/ImportedTransfers.h"
#include "transfer/TransferPairing.h"

#include <filesystem>
#include <fstream>
#include <string_view>
#include <utility>
#include <vector>

namespace
{
// The status text and the wait cursor of an import, restored on every way out.
class ImportingStatus
{
public:
    ImportingStatus(UserInterface& ui, const std::string& text) : m_ui(ui)
    {
        m_ui.PushStatus(text);
        m_ui.BeginWait();
    }
    ~ImportingStatus()
    {
        m_ui.PopStatus();
        m_ui.EndWait();
    }
    ImportingStatus(const ImportingStatus&) = delete;
    ImportingStatus& operator=(const ImportingStatus&) = delete;

private:
    UserInterface& m_ui;
};

const std::string_view ByteOrderMark = "\xEF\xBB\xBF";
const std::size_t DetectionBytes =
    std::size_t{64} * 1024; ///< headers and declarations stand in the first

// The first bytes of a file; empty when it cannot be read.
std::string ReadHead(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return "";
    std::ifstream file(path, std::ios::binary);
    std::string head(DetectionBytes, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(file.gcount()));
    return head;
}

bool EndsWithQif(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return false;
    return EqualsNoCase(path.substr(dot), ".QIF");
}
ImportResult ReadFormat(ImportContext& context, const std::string& path, StatementFormat format)
{
    switch (format)
    {
    case StatementFormat::Qif:
        return ReadQifFile(context, path);
    case StatementFormat::Csv:
        return ReadCsvFile(context, path);
    case StatementFormat::Camt:
        return ReadCamtFile(context, path);
    case StatementFormat::Mt940:
        return ReadMt940File(context, path);
    default:
        return ReadOfxFile(context, path);
    }
}

std::string Transactions(int count)
{
    return std::to_string(count) + (count == 1 ? " transaction" : " transactions");
}
} // namespace

ImportFileResult ImportFile(ImportContext& context, const std::string& path)
{
    ImportFileResult result;
    if (path.empty())
        return result;
    ImportingStatus status(context.ui, "Importing " + path + "...");
    result.format = DetectFormat(path);
    if (result.format == StatementFormat::Unknown)
    {
        context.ui.ShowMessage("Invalid file format.", UserInterface::Icon::Stop);
        return result;
    }
    try
    {
        // One transaction for the file and the balances: a balance never disagrees with the
        // stored rows. Readers commit what they stored before an error in the statement.
        Transaction transaction(context.db);
        std::int32_t firstSequence = context.db.NextTransSequence();
        static_cast<ImportResult&>(result) = ReadFormat(context, path, result.format);
        LinkImportedTransfers(context.db, firstSequence);
        UpdateAllBalances(context.db);
        // The rows are found at once, and the first search after an import waits for none.
        ApplySearchQueue(context.db);
        // With no pair to answer, the next search starts after these rows.
        if (result.added > 0)
        {
            result.transferPairs = static_cast<int>(FindTransferPairs(context.db).size());
            if (result.transferPairs == 0)
                StartTransferReview(context.db);
        }
        transaction.Commit();
    }
    catch (const DatabaseError& error)
    {
        // The database failed (in use by another program, read-only, ...): the import is
        // undone and the engine's own words say why; the statement is not to blame.
        static_cast<ImportResult&>(result) = ImportResult{};
        result.stopped = true;
        result.databaseFailed = true;
        context.ui.ShowMessage(GetComExceptionMessage(error), UserInterface::Icon::Stop);
        return result;
    }
    if (context.refreshView)
        context.refreshView();
    return result;
}

namespace
{
// The pairs the new rows make with rows of other accounts go to the user; nothing is linked
// without an answer.
void OfferTransfers(ImportContext& context)
{
    if (!context.answerTransfers)
        return;
    try
    {
        std::vector<TransferPair> pairs = FindTransferPairs(context.db);
        if (!pairs.empty() && context.answerTransfers(pairs) && context.refreshView)
            context.refreshView();
    }
    catch (const DatabaseError& error)
    {
        context.ui.ShowMessage(GetComExceptionMessage(error), UserInterface::Icon::Stop);
    }
}
} // namespace

ImportFileResult ImportStatementFile(ImportContext& context, const std::string& path)
{
    ImportFileResult result = ImportFile(context, path);
    // A database that just failed would only fail the rules again with the same message.
    if (!result.databaseFailed)
    {
        try
        {
            OfferOpeningBalances(context, result);
        }
        catch (const DatabaseError& error)
        {
            context.ui.ShowMessage(GetComExceptionMessage(error), UserInterface::Icon::Stop);
        }
        ApplyCategoryRules(context.db, context.ui);
    }
    if (!result.databaseFailed && result.transferPairs > 0)
        OfferTransfers(context);
    return result;
}

void UpdateAllBalances(Database& db)
{
    std::vector<std::pair<std::string, std::string>> accounts;
    Recordset rs;
    rs.Open("SELECT AccountID, Type FROM Account", db, OpenMode::ReadOnly);
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        // Nothing can be filed under an account without a number, nor its balance stored.
        if (!rs.GetValue("AccountID").IsNull())
            accounts.emplace_back(rs.GetText("AccountID"), rs.GetText("Type"));
    }
    rs.Close();
    for (const auto& [accountId, type] : accounts)
    {
        int kind = KindOfAccountType(type);
        UpdateCurrentBalance(db, kind, accountId);
    }
}

StatementFormat DetectFormat(const std::string& path)
{
    if (EndsWithQif(path))
        return StatementFormat::Qif;
    std::string head = ReadHead(path);
    std::string_view text = head;
    // Banks write a byte-order mark, blank lines, or the whole header on one line.
    if (text.starts_with(ByteOrderMark))
        text.remove_prefix(ByteOrderMark.size());
    std::size_t first = text.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string_view::npos)
        return StatementFormat::Unknown;
    text.remove_prefix(first);
    if (text.starts_with("OFXHEADER:") || text.starts_with("<OFC>") || text.starts_with("<OFX>"))
        return StatementFormat::OfxSgml;
    if (text.starts_with("<?xml") && (text.find(" OFXHEADER") != std::string_view::npos ||
                                      text.find("<OFX>") != std::string_view::npos))
        return StatementFormat::OfxXml;
    if (LooksLikeCamt(text))
        return StatementFormat::Camt;
    if (LooksLikeMt940(text))
        return StatementFormat::Mt940;
    if (LooksLikeCsvStatement(head))
        return StatementFormat::Csv;
    return StatementFormat::Unknown;
}

std::string ImportSummary(const ImportResult& result)
{
    std::string summary = "Imported " + Transactions(result.added) + "; " +
                          Transactions(result.duplicates) +
                          (result.duplicates == 1 ? " was" : " were") + " already there.";
    if (result.matchedScheduled > 0)
        summary += " " + std::to_string(result.matchedScheduled) +
                   (result.matchedScheduled == 1 ? " matched a scheduled transaction."
                                                 : " matched scheduled transactions.");
    if (result.pending > 0)
        summary += " " + std::to_string(result.pending) + " pending " +
                   (result.pending == 1 ? "transaction was" : "transactions were") + " not stored.";
    for (const BalanceCheck& check : result.balances)
        summary += " " + BalanceCheckMessage(check);
    return summary;
}
