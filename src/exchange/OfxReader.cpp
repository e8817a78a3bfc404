#include "exchange/OfxReader.h"

#include "app/UserInterface.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/Regional.h"
#include "data/Vocabulary.h"
#include "exchange/ImportAccount.h"
#include "exchange/ImportSupport.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace
{
const char* const InvalidData = "Invalid data was found while importing:\n";

bool IsWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

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
PostingDate ReadPostingDate(const std::string& value)
{
    PostingDate date;
    date.year = PartNumber(value, 0, 4);
    date.month = PartNumber(value, 4, 2);
    int day = PartNumber(value, 6, 2);
    if (date.year < 1900 || date.month < 1 || date.month > 12 || day < 1 || day > 31)
        throw InvalidPostingDate();
    std::tm local{};
    local.tm_year = date.year - 1900;
    local.tm_mon = date.month - 1;
    local.tm_mday = day;
    local.tm_isdst = -1;
    std::time_t time = std::mktime(&local);
    // Points in time before the start of 1970, local time, cannot be held.
    if (local.tm_year < 70)
        throw InvalidPostingDate();
    date.time = static_cast<std::int64_t>(time);
    return date;
}

// The amount as written, "." read as the decimal point; NULL when empty.
Variant ReadAmount(std::string value)
{
    char point = DecimalSeparator();
    for (char& c : value)
        if (c == '.')
            c = point;
    if (value.empty())
        return Variant();
    auto amount = ParseCurrency(value);
    if (!amount)
        throw DatabaseError(Status::TypeMismatch, "");
    return Variant::FromCurrency(*amount);
}

const char* const TransSelect = "SELECT AccountID, PostDate, Amount, Description, FITID, CheckID, "
                                "Period, Year, Category, PayeeName AS Notes, Sequence FROM Trans "
                                "WHERE AccountID = '";

void ReadTransactions(ImportContext& context, const std::string& text, const std::string& accountId,
                      ImportResult& result)
{
    Recordset rs;
    // Rows added here take part in later duplicate searches of the same import.
    rs.Open(TransSelect + SqlEscape(accountId) + "'", context.db, OpenMode::KeysetEdit);
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
        if (FindFirst(rs, "FITID = '" + SqlEscape(fitid) + "'"))
        {
            ++result.duplicates;
            continue;
        }
        std::string checkId = ClearZeroCheckNumber(TagValue(block, "<CHECKNUM>"));
        PostingDate date = ReadPostingDate(TagValue(block, "<DTPOSTED>"));
        Variant amount = ReadAmount(TagValue(block, "<TRNAMT>"));
        std::string description = TagText(block, "<NAME>");
        if (description.empty())
            description = "(blank)";
        std::string notes = TagText(block, "<MEMO>");
        if (date.year != lastYear || date.month != lastMonth)
        {
            lastYear = date.year;
            lastMonth = date.month;
            budget.Ensure(NoCategory, date.year, date.month, NoCategory, Currency());
        }
        AddTransaction(rs, accountId, fitid, checkId, date.time, amount, description, notes,
                       NoCategory);
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
        text = ReadWholeFile(path);
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
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return "";
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return "";
    file.seekg(0, std::ios::end);
    std::streamoff size = file.tellg();
    if (size <= 0)
        return "";
    file.seekg(0, std::ios::beg);
    std::string text(static_cast<std::size_t>(size), '\0');
    file.read(text.data(), size);
    text.resize(static_cast<std::size_t>(file.gcount()));
    std::size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    return text;
}

std::string TagValue(const std::string& text, const std::string& tag)
{
    std::size_t at = text.find(tag);
    if (at == std::string::npos)
        return "";
    std::size_t start = at + tag.size();
    std::size_t end = text.find('<', start);
    if (end == std::string::npos)
        end = text.size();
    while (end > start && IsWhite(text[end - 1]))
        --end;
    while (start < end && IsWhite(text[start]))
        ++start;
    return text.substr(start, end - start);
}

std::string TagText(const std::string& text, const std::string& tag)
{
    std::string value = TagValue(text, tag);
    const std::string entity = "&amp;";
    for (std::size_t at = value.find(entity); at != std::string::npos;
         at = value.find(entity, at + 1))
        value.replace(at, entity.size(), "&");
    return value;
}

std::string NextAggregate(const std::string& text, const std::string& name, std::size_t& position)
{
    std::string open = "<" + name + ">";
    std::string close = "</" + name + ">";
    std::size_t start = text.find(open, position);
    if (start == std::string::npos)
        return "";
    start += open.size();
    std::size_t end = text.find(close, start);
    if (end == std::string::npos)
        return "";
    position = end + close.size();
    std::string block;
    block.reserve(end - start);
    for (std::size_t i = start; i < end; ++i)
        if (text[i] != '\n')
            block += text[i];
    return block;
}
