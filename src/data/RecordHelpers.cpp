#include "data/RecordHelpers.h"

#include "data/Database.h"
#include "data/Recordset.h"
#include "data/TextEncoding.h"

namespace
{
bool IsWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

const std::size_t NotesWidth = 255;

void FillTransaction(Recordset& recordset, const std::string& accountId, const std::string& fitid,
                     const std::string& checkId, const DateTime& local, const Variant& amount,
                     const std::string& description, const std::string& notes,
                     const std::string& category)
{
    recordset.SetText("AccountID", accountId);
    recordset.SetText("FITID", fitid);
    recordset.SetText("CheckID", checkId);
    recordset.SetLong("Year", local.year);
    recordset.SetLong("Period", local.month);
    recordset.SetValue("PostDate", Variant::FromDate(local)); // as MakeDate(postDate) gives
    recordset.SetValue("Amount", amount);
    recordset.SetText("Description", description);
    recordset.SetText("Notes", notes);
    recordset.SetText("Category", category);
    recordset.SetLong("Sequence", recordset.Owner().NextTransSequence());
}
} // namespace

std::string SqlEscape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
    {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out;
}

std::string SqlLiteral(const std::string& text)
{
    return "'" + SqlEscape(text) + "'";
}

std::string TrimToLength(const std::string& text, std::size_t n)
{
    std::size_t start = 0;
    while (start < text.size() && IsWhite(text[start]))
        ++start;
    // Texts are UTF-8: the width counts characters, and a character is never cut in two.
    std::string cut(Utf8Prefix(std::string_view(text).substr(start), n));
    while (!cut.empty() && IsWhite(cut.back()))
        cut.pop_back();
    return cut;
}

bool FindFirst(Recordset& recordset, const std::string& criteria)
{
    if (recordset.IsBOF() && recordset.IsEOF())
        return false;
    recordset.MoveFirst();
    recordset.Find(criteria);
    return !recordset.IsEOF();
}

void AddTransaction(Recordset& recordset, const std::string& accountId, const std::string& fitid,
                    const std::string& checkId, std::int64_t postDate, const Variant& amount,
                    const std::string& description, const std::string& notes,
                    const std::string& category)
{
    std::string storedNotes = TrimToLength(notes, NotesWidth);
    DateTime local = ToLocalCalendar(postDate);
    recordset.AddNew();
    try
    {
        FillTransaction(recordset, accountId, fitid, checkId, local, amount, description,
                        storedNotes, category);
        recordset.Update();
    }
    catch (...)
    {
        recordset.CancelUpdate(); // the row is not written, nor left pending
        throw;
    }
}
