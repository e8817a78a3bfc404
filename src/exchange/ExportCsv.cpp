#include "exchange/ExportCsv.h"

#include "base/FileReplace.h"

#include "data/Database.h"
#include "data/DateTime.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/TextEncoding.h"

#include <langinfo.h>

#include <cstring>
#include <ctime>
#include <map>
#include <string_view>

namespace
{
// The text between double quotes, every double quote in it doubled.
void AppendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text)
    {
        out += c;
        if (c == '"')
            out += '"';
    }
    out += '"';
}

// The locale's date and time representation ("%c") of stored calendar times, in UTF-8. A
// table spans few distinct times, and each needs the C library's time-zone work.
class DateTexts
{
public:
    DateTexts() : m_codeset(nl_langinfo(CODESET)) {}

    const std::string& Text(const DateTime& value)
    {
        auto found = m_texts.find(value);
        if (found != m_texts.end())
            return found->second;
        return m_texts.emplace(value, Format(value)).first->second;
    }

private:
    std::string Format(const DateTime& value) const
    {
        // The weekday, the daylight-saving flag and the zone name come from the library;
        // the date and time stay as stored, even in an hour a clock change skips.
        std::tm shown = ToTm(value);
        std::tm normal = shown;
        std::mktime(&normal);
        shown.tm_wday = normal.tm_wday;
        shown.tm_yday = normal.tm_yday;
        shown.tm_isdst = normal.tm_isdst;
        shown.tm_gmtoff = normal.tm_gmtoff;
        shown.tm_zone = normal.tm_zone;
        char buffer[256];
        std::size_t n = std::strftime(buffer, sizeof buffer, "%c", &shown);
        std::string text(buffer, n);
        if (IsValidUtf8(text) || m_codeset == "UTF-8")
            return ToValidUtf8(text);
        return DecodeToUtf8(text, m_codeset).value_or(ToValidUtf8(text));
    }

    std::string m_codeset;
    std::map<DateTime, std::string> m_texts;
};

void AppendRow(std::string& out, const Recordset& rs, DateTexts& dates, const int fields[6])
{
    Variant posted = rs.GetValue(fields[0]);
    if (!posted.IsNull())
    {
        const std::string& date = dates.Text(posted.ToDate());
        // A locale whose date has a comma or a quote would add a column: such a date is
        // quoted.
        if (date.find_first_of(",\"\r\n") == std::string::npos)
            out += date;
        else
            AppendQuoted(out, date);
    }
    out += ',';
    AppendQuoted(out, rs.GetValue(fields[1]).ToText());
    out += ',';
    Variant amount = rs.GetValue(fields[2]);
    if (!amount.IsNull())
        out += amount.ToCurrency().ToText('.');
    for (int i = 3; i < 6; ++i)
    {
        out += ',';
        AppendQuoted(out, rs.GetValue(fields[i]).ToText());
    }
    out += "\r\n";
}
} // namespace

ExportResult ExportCsv(Database& db, const std::string& accountId, const std::string& path)
{
    Recordset rs;
    rs.Open("select * from Trans where AccountID = '" + SqlEscape(accountId) +
                "' ORDER BY PostDate DESC, Sequence DESC, SubSequence",
            db, OpenMode::ReadOnly);
    const int fields[6] = {rs.FieldIndex("PostDate"), rs.FieldIndex("Description"),
                           rs.FieldIndex("Amount"),   rs.FieldIndex("CheckID"),
                           rs.FieldIndex("Category"), rs.FieldIndex("PayeeName")};
    std::string text = "Date,Description,Amount,Check #,Category,Notes\r\n";
    DateTexts dates;
    ExportResult result;
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        AppendRow(text, rs, dates, fields);
        ++result.transactions;
    }
    rs.Close();
    if (!IsValidUtf8(text))
        text = ToValidUtf8(text);
    result.error = ReplaceFile(path, text);
    return result;
}
