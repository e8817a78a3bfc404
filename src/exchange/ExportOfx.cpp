#include "exchange/ExportOfx.h"

#include "data/Database.h"
#include "data/DateTime.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/TextEncoding.h"

#include <ctime>
#include <optional>
#include <string_view>

namespace
{
const char* const HeaderStart = "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\n";
const char* const Cp1252Charset = "ENCODING:USASCII\r\nCHARSET:1252\r\n";
const char* const Utf8Charset = "ENCODING:UTF-8\r\nCHARSET:NONE\r\n";
const char* const HeaderEnd = "COMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n";

// "%Y%m%d%H%M%S" of a local calendar time, then the time zone; written by hand, as it runs
// for every row.
void AppendDate(std::string& out, const DateTime& value, const std::string& zone)
{
    char text[] = "00000000000000";
    auto put = [&text](int at, int number, int digits)
    {
        for (int i = digits - 1; i >= 0; --i, number /= 10)
            text[at + i] = static_cast<char>('0' + number % 10);
    };
    put(0, value.year, 4);
    put(4, value.month, 2);
    put(6, value.day, 2);
    put(8, value.hour, 2);
    put(10, value.minute, 2);
    put(12, value.second, 2);
    out.append(text, 14);
    out += zone;
}

// A text value that can neither open nor close a tag; a line break, which ends an SGML
// value for many readers, becomes a blank.
void AppendText(std::string& out, std::string_view text)
{
    for (char c : text)
    {
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
        case '\n':
            out += ' ';
            break;
        default:
            out += c;
        }
    }
}

std::string AmountText(const Variant& amount)
{
    return amount.IsNull() ? "0" : amount.ToCurrency().ToText('.');
}

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

/// The fields of Trans that the statement reads, by their place in the result.
struct TransFields
{
    explicit TransFields(const Recordset& rs)
        : postDate(rs.FieldIndex("PostDate")), amount(rs.FieldIndex("Amount")),
          checkId(rs.FieldIndex("CheckID")), fitid(rs.FieldIndex("FITID")),
          description(rs.FieldIndex("Description")), notes(rs.FieldIndex("PayeeName")),
          subSequence(rs.FieldIndex("SubSequence")), year(rs.FieldIndex("Year")),
          period(rs.FieldIndex("Period"))
    {
    }
    int postDate, amount, checkId, fitid, description, notes, subSequence, year, period;
};

/// The bank transaction list and what the walk over it sums up.
class TransactionList
{
public:
    TransactionList(std::string zone, std::int64_t now) : m_zone(std::move(zone)), m_now(now) {}

    void Add(const Recordset& rs, const TransFields& f)
    {
        DateTime posted = PostingDate(rs, f);
        if (!m_start)
            m_start = m_end = posted;
        else if (posted > *m_end)
            m_end = posted;
        else if (posted < *m_start)
            m_start = posted;
        Variant amount = rs.GetValue(f.amount);
        if (!amount.IsNull())
            m_balance += amount.ToCurrency();
        ++m_count;

        std::string checkId = rs.GetValue(f.checkId).ToText();
        m_text += "<STMTTRN><TRNTYPE>";
        m_text += TransactionType(checkId, amount);
        m_text += "<DTPOSTED>";
        AppendDate(m_text, posted, m_zone);
        m_text += "<TRNAMT>";
        m_text += AmountText(amount);
        m_text += "<FITID>";
        AppendText(m_text, Fitid(rs, f));
        if (!checkId.empty())
        {
            m_text += "<CHECKNUM>";
            AppendText(m_text, checkId);
        }
        m_text += "<NAME>";
        AppendText(m_text, rs.GetValue(f.description).ToText());
        m_text += "<MEMO>";
        AppendText(m_text, rs.GetValue(f.notes).ToText());
        m_text += "</STMTTRN>";
    }

    int Count() const { return m_count; }
    const std::string& Text() const { return m_text; }
    Currency Balance() const { return m_balance; }
    /// The earliest and latest posting dates; the start of 1970 when there is no row.
    DateTime Start() const { return m_start.value_or(ToLocalCalendar(0)); }
    DateTime End() const { return m_end.value_or(ToLocalCalendar(0)); }

private:
    static const char* TransactionType(const std::string& checkId, const Variant& amount)
    {
        if (!checkId.empty())
            return "CHECK";
        // Without an amount there is no sign to tell a credit from a fee.
        if (amount.IsNull())
            return "OTHER";
        return amount.ToCurrency() > Currency() ? "CREDIT" : "FEE";
    }

    // A part of a split transaction shares the FITID of the others; its SubSequence makes it
    // unique, so that each part imports again.
    std::string Fitid(const Recordset& rs, const TransFields& f) const
    {
        std::string fitid = rs.GetValue(f.fitid).ToText();
        if (fitid.empty())
            return "QVTB" + std::to_string(m_count);
        Variant subSequence = rs.GetValue(f.subSequence);
        std::int32_t part = subSequence.IsNull() ? 0 : subSequence.ToLong();
        return part > 0 ? fitid + "-" + std::to_string(part) : fitid;
    }

    // A row typed without a date is shown in its budget period: the statement dates it on
    // the period's first day, or at the statement's own time when the row has no period.
    DateTime PostingDate(const Recordset& rs, const TransFields& f) const
    {
        Variant posted = rs.GetValue(f.postDate);
        if (!posted.IsNull())
            return posted.ToDate();
        Variant year = rs.GetValue(f.year);
        Variant period = rs.GetValue(f.period);
        if (!year.IsNull() && !period.IsNull())
        {
            DateTime first{year.ToLong(), period.ToLong(), 1, 0, 0, 0};
            if (first.IsValid() && first.year >= 1970)
                return first;
        }
        return ToLocalCalendar(m_now);
    }

    std::string m_zone;
    std::int64_t m_now;
    std::string m_text;
    Currency m_balance;
    int m_count = 0;
    std::optional<DateTime> m_start;
    std::optional<DateTime> m_end;
};

std::string StatementLine(const std::string& accountId, const TransactionList& list,
                          const std::string& zone, std::int64_t now)
{
    DateTime server = ToLocalCalendar(now);
    std::string line;
    line.reserve(list.Text().size() + 600);
    line += "<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS><DTSERVER>";
    AppendDate(line, server, zone);
    line += "<LANGUAGE>ENG</SONRS></SIGNONMSGSRSV1><BANKMSGSRSV1><STMTTRNRS><TRNUID>0<STATUS>"
            "<CODE>0<SEVERITY>INFO</STATUS><STMTRS><CURDEF>USD<BANKACCTFROM><BANKID>000000000"
            "<ACCTID>";
    AppendText(line, accountId);
    line += "<ACCTTYPE>CHECKING</BANKACCTFROM><BANKTRANLIST><DTSTART>";
    AppendDate(line, list.Start(), zone);
    line += "<DTEND>";
    AppendDate(line, list.End(), zone);
    line += list.Text();
    line += "</BANKTRANLIST><LEDGERBAL><BALAMT>";
    line += list.Balance().ToText('.');
    line += "<DTASOF>";
    AppendDate(line, server, zone);
    line += "</LEDGERBAL></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\r\n";
    return line;
}

// The header and the body in the character set it declares: CP1252 when every character
// fits and the bytes cannot be taken for UTF-8 (readers prefer UTF-8 when the bytes are
// valid UTF-8), else UTF-8.
std::string EncodedStatement(std::string body)
{
    if (!IsValidUtf8(body))
        body = ToValidUtf8(body);
    std::string header = HeaderStart;
    if (IsAscii(body))
        return header + Cp1252Charset + HeaderEnd + body;
    std::optional<std::string> cp1252 = EncodeFromUtf8(body, "CP1252");
    if (cp1252 && !IsValidUtf8(*cp1252))
        return header + Cp1252Charset + HeaderEnd + *cp1252;
    return header + Utf8Charset + HeaderEnd + body;
}
} // namespace

std::string OfxTimeZoneSuffix(std::int64_t now)
{
    std::time_t time = static_cast<std::time_t>(now);
    std::tm local{};
    localtime_r(&time, &local);
    long hours = local.tm_gmtoff / 3600; // whole hours, cut towards zero
    return "[" + std::to_string(hours) + "]";
}

ExportResult ExportOfx(Database& db, const std::string& accountId, const std::string& path,
                       std::int64_t now)
{
    std::string zone = OfxTimeZoneSuffix(now);
    TransactionList list(zone, now);
    Recordset rs;
    rs.Open("select * from Trans where AccountID = '" + SqlEscape(accountId) + "'", db,
            OpenMode::ReadOnly);
    TransFields fields(rs);
    for (; !rs.IsEOF(); rs.MoveNext())
        list.Add(rs, fields);
    rs.Close();

    ExportResult result;
    result.transactions = list.Count();
    result.error =
        ReplaceFileContents(path, EncodedStatement(StatementLine(accountId, list, zone, now)));
    return result;
}
