#include "exchange/ExportOfx.h"

#include "base/FileReplace.h"

#include "data/Database.h"
#include "data/DateTime.h"
#include "data/RecordHelpers.h"
#include "data/Recordset.h"
#include "data/TextEncoding.h"

#include <ctime>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace
{
const char* const HeaderStart = "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\n";
const char* const Cp1252Charset = "ENCODING:USASCII\r\nCHARSET:1252\r\n";
const char* const Utf8Charset = "ENCODING:UTF-8\r\nCHARSET:NONE\r\n";
const char* const HeaderEnd = "COMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n";

// "%Y%m%d%H%M%S" of a local calendar time, then the time zone.
void AppendDate(std::string& out, const DateTime& value, const std::string& zone)
{
    out += ToCompactText(value);
    out += zone;
}

// A text value that can neither open nor close a tag; a line break, which ends an SGML
// value for many readers, becomes a blank. Runs without such characters go in whole.
void AppendText(std::string& out, std::string_view text)
{
    const std::string_view special = "&<>\r\n";
    for (std::size_t at = text.find_first_of(special); at != std::string_view::npos;
         at = text.find_first_of(special))
    {
        out.append(text.substr(0, at));
        char c = text[at];
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : " ";
        text.remove_prefix(at + 1);
    }
    out.append(text);
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
        Variant amount = rs.GetValue(f.amount);
        Count(posted, amount);
        std::string checkId = rs.GetValue(f.checkId).ToText();
        std::string& text = Chunk();
        text += "<STMTTRN><TRNTYPE>";
        text += TransactionType(checkId, amount);
        text += "<DTPOSTED>";
        AppendDate(text, posted, m_zone);
        text += "<TRNAMT>";
        text += AmountText(amount);
        text += "<FITID>";
        AppendText(text, Fitid(rs, f));
        if (!checkId.empty())
        {
            text += "<CHECKNUM>";
            AppendText(text, checkId);
        }
        text += "<NAME>";
        AppendText(text, rs.GetValue(f.description).ToText());
        text += "<MEMO>";
        AppendText(text, rs.GetValue(f.notes).ToText());
        text += "</STMTTRN>";
    }

    int Count() const { return m_count; }
    /// The transactions' text in parts, each ending after a transaction, handed over once
    /// the walk is done.
    std::vector<std::string> TakeText() { return std::move(m_chunks); }
    Currency Balance() const { return m_balance; }
    /// The earliest and latest posting dates; the start of 1970 when there is no row.
    DateTime Start() const { return m_start.value_or(ToLocalCalendar(0)); }
    DateTime End() const { return m_end.value_or(ToLocalCalendar(0)); }

private:
    // The dates the list spans, the balance and the number of rows so far.
    void Count(const DateTime& posted, const Variant& amount)
    {
        if (!m_start)
            m_start = m_end = posted;
        else if (posted > *m_end)
            m_end = posted;
        else if (posted < *m_start)
            m_start = posted;
        if (!amount.IsNull())
            m_balance += amount.ToCurrency();
        ++m_count;
    }

    // The text grows in parts of about 1 MB: a statement of many transactions is never
    // copied to a larger buffer as it grows.
    std::string& Chunk()
    {
        const std::size_t size = std::size_t{1024} * 1024;
        if (m_chunks.empty() || m_chunks.back().size() >= size)
        {
            m_chunks.emplace_back();
            m_chunks.back().reserve(size + 4096);
        }
        return m_chunks.back();
    }

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
    std::vector<std::string> m_chunks;
    Currency m_balance;
    int m_count = 0;
    std::optional<DateTime> m_start;
    std::optional<DateTime> m_end;
};

/// The statement's one line in pieces: what comes before the transactions, the
/// transactions, and what follows them; kept apart so that the long middle is never copied.
struct StatementPieces
{
    std::string before;
    std::vector<std::string> transactions;
    std::string after;
};

StatementPieces StatementLine(const std::string& accountId, TransactionList& list,
                              const std::string& zone, std::int64_t now)
{
    DateTime server = ToLocalCalendar(now);
    StatementPieces line;
    line.before = "<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS><DTSERVER>";
    AppendDate(line.before, server, zone);
    line.before += "<LANGUAGE>ENG</SONRS></SIGNONMSGSRSV1><BANKMSGSRSV1><STMTTRNRS><TRNUID>0"
                   "<STATUS><CODE>0<SEVERITY>INFO</STATUS><STMTRS><CURDEF>USD<BANKACCTFROM>"
                   "<BANKID>000000000<ACCTID>";
    AppendText(line.before, accountId);
    line.before += "<ACCTTYPE>CHECKING</BANKACCTFROM><BANKTRANLIST><DTSTART>";
    AppendDate(line.before, list.Start(), zone);
    line.before += "<DTEND>";
    AppendDate(line.before, list.End(), zone);
    line.transactions = list.TakeText();
    line.after = "</BANKTRANLIST><LEDGERBAL><BALAMT>";
    line.after += list.Balance().ToText('.');
    line.after += "<DTASOF>";
    AppendDate(line.after, server, zone);
    line.after += "</LEDGERBAL></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\r\n";
    return line;
}

// UTF-8 text in CP1252; nullopt when a character does not fit. The text is converted in
// parts of about 64 KB, each ending before a "<", so that no conversion buffer grows large.
std::optional<std::string> EncodeCp1252(std::string_view text)
{
    const std::size_t part = std::size_t{64} * 1024;
    std::string out;
    out.reserve(text.size()); // a character never takes more bytes in CP1252
    while (!text.empty())
    {
        std::size_t end = text.size() > part ? text.find('<', part) : std::string_view::npos;
        std::optional<std::string> encoded = EncodeFromUtf8(text.substr(0, end), "CP1252");
        if (!encoded)
            return std::nullopt;
        out += *encoded;
        text.remove_prefix(end == std::string_view::npos ? text.size() : end);
    }
    return out;
}

// The pieces in CP1252 when every character fits and the bytes cannot be taken for UTF-8
// (readers prefer UTF-8 when the bytes are valid UTF-8); false, nothing changed, otherwise.
// Pieces part at tags, never inside a character, so the whole is valid UTF-8 exactly when
// every piece is.
bool ToCp1252(std::span<std::string* const> pieces)
{
    std::vector<std::string> encoded;
    bool readsAsUtf8 = true;
    for (const std::string* piece : pieces)
    {
        std::optional<std::string> cp1252 = EncodeCp1252(*piece);
        if (!cp1252)
            return false;
        readsAsUtf8 = readsAsUtf8 && IsValidUtf8(*cp1252);
        encoded.push_back(std::move(*cp1252));
    }
    if (readsAsUtf8)
        return false;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        *pieces[i] = std::move(encoded[i]);
    return true;
}

// Writes the header and the statement in the character set the header declares: CP1252
// when it can be, else UTF-8.
std::string WriteStatement(const std::string& path, StatementPieces line)
{
    std::vector<std::string*> pieces{&line.before};
    for (std::string& part : line.transactions)
        pieces.push_back(&part);
    pieces.push_back(&line.after);
    bool ascii = true;
    for (std::string* piece : pieces)
    {
        if (IsAscii(*piece))
            continue;
        ascii = false;
        if (!IsValidUtf8(*piece))
            *piece = ToValidUtf8(*piece);
    }
    const char* charset = ascii || ToCp1252(pieces) ? Cp1252Charset : Utf8Charset;
    std::string header = std::string(HeaderStart) + charset + HeaderEnd;
    std::vector<std::string_view> bytes{header};
    for (const std::string* piece : pieces)
        bytes.emplace_back(*piece);
    return ReplaceFile(path, bytes);
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
    // Posting order, the order readers list a statement in; the QVTB numbers follow it.
    rs.Open("select * from Trans where AccountID = '" + SqlEscape(accountId) +
                "' ORDER BY PostDate, Sequence, SubSequence",
            db, OpenMode::ReadOnly);
    TransFields fields(rs);
    for (; !rs.IsEOF(); rs.MoveNext())
        list.Add(rs, fields);
    rs.Close();

    ExportResult result;
    result.transactions = list.Count();
    result.error = WriteStatement(path, StatementLine(accountId, list, zone, now));
    return result;
}
