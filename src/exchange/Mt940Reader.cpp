#include "exchange/Mt940Reader.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace
{
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool AllDigits(std::string_view text)
{
    for (char c : text)
        if (!IsDigit(c))
            return false;
    return !text.empty();
}

std::string_view TrimLeft(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text)
{
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view Trim(std::string_view text)
{
    return TrimRight(TrimLeft(text));
}

/// The value of two to four digits; the caller has checked they are digits.
int Number(std::string_view digits)
{
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

/// Characters of a UTF-8 text: every byte but the continuation bytes.
std::size_t CharacterCount(std::string_view text)
{
    std::size_t count = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0U) != 0x80U)
            ++count;
    return count;
}

// ---- Lines and tagged fields ----

struct Line
{
    std::string_view text; ///< without its line end
    int number = 0;        ///< counted from 1
};

/// The lines of a text; LF, CR LF and CR each end a line.
std::vector<Line> SplitLines(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t start = 0;
    int number = 1;
    while (start < text.size())
    {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.push_back({text.substr(start, end - start), number++});
        start = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++start;
    }
    return lines;
}

/// Whether a line starts with a "{1:", "{2:" ... block of the envelope around a message.
bool StartsEnvelope(std::string_view line)
{
    return line.size() >= 3 && line[0] == '{' && IsDigit(line[1]) && line[2] == ':';
}

/// The rest of a line after the envelope's blocks ("{1:...}{2:...}{3:{108:...}}"). "{4:"
/// opens the message text, so what follows it on the line is read; a block left open at the
/// line's end takes the whole line.
std::string_view AfterEnvelope(std::string_view line)
{
    while (StartsEnvelope(line))
    {
        if (line.starts_with("{4:"))
            return line.substr(3);
        int depth = 0;
        std::size_t i = 0;
        for (; i < line.size(); ++i)
        {
            if (line[i] == '{')
                ++depth;
            else if (line[i] == '}' && --depth == 0)
                break;
        }
        if (i == line.size())
            return {};
        line.remove_prefix(i + 1);
    }
    return line;
}

/// The tag of a line that starts with one (":20:", ":28C:", ":60F:"): "20", "28C", "60F".
/// Empty for any other line; ":940:", which Rabobank writes first, is no tag.
std::string_view TagOf(std::string_view line)
{
    if (line.size() < 4 || line[0] != ':' || !IsDigit(line[1]) || !IsDigit(line[2]))
        return {};
    if (line[3] == ':')
        return line.substr(1, 2);
    if (line.size() >= 5 && IsLetter(line[3]) && line[4] == ':')
        return line.substr(1, 3);
    return {};
}

/// Whether line i, which starts with "-", ends a statement: "-", "-}", "-}{5:...}", or any
/// "-" line followed by the file's end, an envelope or a ":20:" line ("-XXX"). Other lines
/// that start with "-" continue the text of the field before them.
bool EndsStatement(const std::vector<Line>& lines, std::size_t i)
{
    std::string_view rest = Trim(lines[i].text.substr(1));
    if (rest.empty() || rest.starts_with('}'))
        return true;
    for (std::size_t next = i + 1; next < lines.size(); ++next)
    {
        std::string_view text = lines[next].text;
        if (Trim(text).empty())
            continue;
        return StartsEnvelope(text) || TagOf(text) == "20";
    }
    return true;
}

/// One tagged field: its tag line and the lines that continue it.
struct Field
{
    std::string_view tag;                ///< "20", "61", "60F" ...; empty for a statement's end
    std::vector<std::string_view> lines; ///< the value on the tag's line, then the rest
    int line = 0;                        ///< the tag's line
};

/// The fields of a file in file order, with an end field wherever a statement ends. Lines
/// that are neither a tag nor the continuation of one (a bank's header lines) are passed over.
std::vector<Field> ReadFields(std::string_view text)
{
    std::vector<Line> lines = SplitLines(text);
    std::vector<Field> fields;
    bool open = false; // whether the last field takes the lines that follow it
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        std::string_view line = lines[i].text;
        if (StartsEnvelope(line))
        {
            line = AfterEnvelope(line);
            open = false;
        }
        std::string_view tag = TagOf(line);
        if (!tag.empty())
        {
            fields.push_back({tag, {line.substr(tag.size() + 2)}, lines[i].number});
            open = true;
        }
        else if (line.starts_with('-') && EndsStatement(lines, i))
        {
            fields.push_back({{}, {}, lines[i].number});
            open = false;
        }
        else if (open)
            fields.back().lines.push_back(line);
    }
    return fields;
}

// ---- Values of the statement lines ----

[[noreturn]] void Fail(int line, const std::string& reason)
{
    throw StatementError("The MT940 statement cannot be read: line " + std::to_string(line) + " " +
                         reason + ".");
}

int FullYear(int twoDigits)
{
    return twoDigits < 80 ? 2000 + twoDigits : 1900 + twoDigits;
}

/// A YYMMDD date; nullopt unless it is six digits of a real day.
std::optional<DateTime> ReadShortDate(std::string_view text)
{
    if (text.size() != 6 || !AllDigits(text))
        return std::nullopt;
    DateTime date{FullYear(Number(text.substr(0, 2))), Number(text.substr(2, 2)),
                  Number(text.substr(4, 2))};
    if (!date.IsValid())
        return std::nullopt;
    return date;
}

/// An amount with a decimal comma ("1234,56", "100,", "0,5"); nullopt for anything else.
std::optional<Currency> ReadAmount(std::string_view text)
{
    for (char c : text)
        if (!IsDigit(c) && c != ',')
            return std::nullopt;
    return Currency::Parse(text, ',');
}

/// A balance line (":60F:", ":62F:"): C or D, YYMMDD, currency, amount ("C190215EUR194,57").
StatementBalance ReadBalance(const Field& field)
{
    std::string_view value = Trim(field.lines.front());
    const std::string what = "(:" + std::string(field.tag) + ":) is not a readable balance";
    if (value.size() < 11 || (value[0] != 'C' && value[0] != 'D'))
        Fail(field.line, what);
    std::optional<DateTime> date = ReadShortDate(value.substr(1, 6));
    std::optional<Currency> amount = ReadAmount(value.substr(10));
    if (!date || !amount)
        Fail(field.line, what);
    return {*date, value[0] == 'D' ? -*amount : *amount};
}

/// The booking date of a :61: value, taken from its front: the entry date MMDD after the
/// value date YYMMDD when there is one, in the value date's year, moved by a year where the
/// two lie on either side of a year's end; else the value date.
DateTime TakeBookingDate(std::string_view& rest, int line)
{
    const char* const what = "(:61:) has no valid date";
    if (rest.size() < 6 || !AllDigits(rest.substr(0, 6)))
        Fail(line, what);
    DateTime date{FullYear(Number(rest.substr(0, 2))), Number(rest.substr(2, 2)),
                  Number(rest.substr(4, 2))};
    rest.remove_prefix(6);
    if (rest.size() >= 4 && AllDigits(rest.substr(0, 4)))
    {
        int valueMonth = date.month;
        date.month = Number(rest.substr(0, 2));
        date.day = Number(rest.substr(2, 2));
        if (valueMonth - date.month > 6)
            ++date.year;
        else if (date.month - valueMonth > 6)
            --date.year;
        rest.remove_prefix(4);
        if (valueMonth < 1 || valueMonth > 12)
            Fail(line, what);
    }
    else if (rest.starts_with("    "))
        rest.remove_prefix(4); // blanks where the entry date would be
    if (!date.IsValid())
        Fail(line, what);
    return date;
}

/// The sign a :61: debit/credit mark gives, taken from the front: C and RD (a debit
/// reversed) bring money in, D and RC (a credit reversed) take it out.
int TakeSign(std::string_view& rest, int line)
{
    static const std::array<std::pair<std::string_view, int>, 4> marks = {
        {{"RC", -1}, {"RD", 1}, {"C", 1}, {"D", -1}}};
    for (const auto& [mark, sign] : marks)
        if (rest.starts_with(mark))
        {
            rest.remove_prefix(mark.size());
            return sign;
        }
    Fail(line, "(:61:) has no debit or credit mark (C, D, RC or RD)");
}

/// The amount of a :61: value, taken from the front.
Currency TakeAmount(std::string_view& rest, int line)
{
    std::size_t end = 0;
    while (end < rest.size() && (IsDigit(rest[end]) || rest[end] == ','))
        ++end;
    std::optional<Currency> amount = ReadAmount(rest.substr(0, end));
    if (!amount)
        Fail(line, "(:61:) has no valid amount");
    rest.remove_prefix(end);
    return *amount;
}

bool IsReference(std::string_view text)
{
    return !text.empty() && text != "NONREF";
}

/// An entry of a :61: field without its :86: text. Its first line is "YYMMDD[MMDD]",
/// the mark, the third letter of the currency (optional), the amount, the transaction type
/// ("NTRF"), the customer's reference and "//" the bank's; the line after it (further
/// details) is not read.
StatementEntry ReadBookingLine(const Field& field)
{
    std::string_view rest = field.lines.front();
    StatementEntry entry;
    entry.date = TakeBookingDate(rest, field.line);
    int sign = TakeSign(rest, field.line);
    if (!rest.empty() && IsLetter(rest.front()))
        rest.remove_prefix(1); // the currency's third letter: "R" of EUR
    Currency amount = TakeAmount(rest, field.line);
    entry.amount = sign < 0 ? -amount : amount;
    rest = TrimLeft(rest);
    rest.remove_prefix(std::min<std::size_t>(4, rest.size())); // the transaction type
    std::size_t slashes = rest.find("//");
    std::string_view customer = Trim(rest.substr(0, slashes));
    std::string_view bank =
        slashes == std::string_view::npos ? std::string_view() : Trim(rest.substr(slashes + 2));
    entry.fitid = std::string(IsReference(bank) ? bank : IsReference(customer) ? customer : "");
    return entry;
}

// ---- The :86: text of an entry ----

/// Whether a remittance piece starts with a SEPA keyword ("EREF+", "SVWZ+", "ABWA+"): a new
/// item, never the rest of the piece before it.
bool StartsWithKeyword(std::string_view piece)
{
    if (piece.size() < 5 || piece[4] != '+')
        return false;
    for (char c : piece.substr(0, 4))
        if (c < 'A' || c > 'Z')
            return false;
    return true;
}

/// Pieces of a text cut into lines of 27 characters, as German banks cut the remittance
/// and the name: a piece of exactly 27 characters goes on in the next one, which is joined
/// to it as it is, unless it starts with a SEPA keyword; other pieces are joined with one
/// blank.
std::string JoinCutPieces(const std::vector<std::string_view>& pieces)
{
    std::string joined;
    bool cut = false;
    for (std::string_view piece : pieces)
    {
        if (Trim(piece).empty())
        {
            cut = false;
            continue;
        }
        if (joined.empty())
            joined = TrimLeft(piece);
        else if (cut && !StartsWithKeyword(piece))
            joined += piece;
        else
        {
            joined = TrimRight(joined);
            joined += ' ';
            joined += TrimLeft(piece);
        }
        cut = CharacterCount(piece) == 27;
    }
    return std::string(Trim(joined));
}

/// Whether a :86: text is German: a three-digit transaction code, then fields "?00", "?20"
/// ... marked by the character right after the code ("?" mostly, ">" at some banks).
bool IsGermanDetails(std::string_view text)
{
    if (text.size() < 6 || !AllDigits(text.substr(0, 3)) || !AllDigits(text.substr(4, 2)))
        return false;
    char mark = text[3];
    return mark > ' ' && mark < 0x7F && !IsDigit(mark) && !IsLetter(mark);
}

/// German fields: "?20" marks field 20 up to the next mark followed by two digits.
void ReadGermanDetails(std::string_view text, StatementEntry& entry)
{
    char mark = text[3];
    std::vector<std::string_view> remittance;
    std::vector<std::string_view> name;
    std::string_view bookingText;
    std::size_t at = 3;
    while (at + 3 <= text.size())
    {
        int code = Number(text.substr(at + 1, 2));
        std::size_t next = at + 3;
        while (next < text.size() && !(text[next] == mark && next + 2 < text.size() &&
                                       IsDigit(text[next + 1]) && IsDigit(text[next + 2])))
            ++next;
        std::string_view value = text.substr(at + 3, next - at - 3);
        if ((code >= 20 && code <= 29) || (code >= 60 && code <= 63))
            remittance.push_back(value);
        else if (code == 32 || code == 33)
            name.push_back(value);
        else if (code == 0)
            bookingText = value;
        at = next;
    }
    entry.notes = JoinCutPieces(remittance);
    entry.description = JoinCutPieces(name);
    if (entry.description.empty())
        entry.description = Trim(bookingText);
}

/// Whether a :86: text is structured as Dutch banks and SWIFT write it: "/KEY/value/...".
bool IsKeyedDetails(std::string_view text)
{
    std::size_t end = text.find('/', 1);
    if (!text.starts_with('/') || end == std::string_view::npos || end < 3 || end > 5)
        return false;
    for (char c : text.substr(1, end - 1))
        if (c < 'A' || c > 'Z')
            return false;
    return true;
}

bool IsKey(std::string_view token)
{
    static constexpr auto keys = std::to_array<std::string_view>(
        {"ACCW", "ADDR", "BENM", "BIC",  "BUSP", "CDTRREF", "CDTRREFTP", "CHGS", "CNTP",
         "CRED", "CSID", "DEBT", "EREF", "EXCH", "IBAN",    "IREF",      "ISDT", "KREF",
         "MARF", "MREF", "NAME", "OCMT", "ORDP", "PREF",    "PURP",      "REMI", "RTRN",
         "SUM",  "SVCL", "TRCD", "TRTP", "ULTB", "ULTC",    "ULTD"});
    return std::find(keys.begin(), keys.end(), token) != keys.end();
}

/// A key of a keyed :86: text and the "/"-separated values up to the next key.
struct KeyedField
{
    std::string_view key;
    std::vector<std::string_view> values;
};

std::vector<KeyedField> SplitKeyedFields(std::string_view text)
{
    std::vector<KeyedField> fields;
    std::size_t start = 1;
    while (start <= text.size())
    {
        std::size_t end = text.find('/', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view token = text.substr(start, end - start);
        if (IsKey(token))
            fields.push_back({token, {}});
        else if (!fields.empty())
            fields.back().values.push_back(token);
        start = end + 1;
    }
    return fields;
}

/// Values joined again with the "/" they were split at; empty values at either end dropped.
std::string JoinValues(std::vector<std::string_view> values, std::size_t first = 0)
{
    std::size_t last = values.size();
    while (first < last && Trim(values[first]).empty())
        ++first;
    while (last > first && Trim(values[last - 1]).empty())
        --last;
    std::string joined;
    for (std::size_t i = first; i < last; ++i)
    {
        if (i > first)
            joined += '/';
        joined += values[i];
    }
    return std::string(Trim(joined));
}

/// "/NAME/" (also after "/ORDP/" or "/BENM/") or the third value of "/CNTP/" as the
/// description; "/REMI/" as the notes, without its "USTD" or "STRD" (and "CUR") marks.
void ReadKeyedDetails(std::string_view text, StatementEntry& entry)
{
    std::vector<KeyedField> fields = SplitKeyedFields(text);
    std::string counterparty;
    for (const KeyedField& field : fields)
    {
        if (field.key == "NAME" && entry.description.empty())
            entry.description = JoinValues(field.values);
        else if (field.key == "CNTP" && counterparty.empty() && field.values.size() > 2)
            counterparty = Trim(field.values[2]);
        else if (field.key == "REMI" && entry.notes.empty())
        {
            std::size_t first = 0;
            if (first < field.values.size() &&
                (field.values[first] == "USTD" || field.values[first] == "STRD"))
                ++first;
            if (first == 1 && field.values[0] == "STRD" && field.values.size() > 1 &&
                field.values[1] == "CUR")
                ++first;
            entry.notes = JoinValues(field.values, first);
        }
    }
    if (entry.description.empty())
        entry.description = counterparty;
}

/// The text of an entry's :86: lines. Structured texts (German fields, Dutch keys) are
/// joined without their line breaks, which only cut the lines; plain text is joined with a
/// blank and becomes the description.
void ReadDetails(const std::vector<std::string_view>& lines, StatementEntry& entry)
{
    std::string joined;
    for (std::string_view line : lines)
        joined += line;
    std::string_view text = Trim(joined);
    if (IsGermanDetails(text))
        ReadGermanDetails(text, entry);
    else if (IsKeyedDetails(text))
        ReadKeyedDetails(text, entry);
    else
    {
        std::string plain;
        for (std::string_view line : lines)
            if (!Trim(line).empty())
                plain += (plain.empty() ? "" : " ") + std::string(Trim(line));
        entry.description = plain;
    }
}

// ---- Statements ----

/// The statements read so far and the entry whose :86: lines are being gathered.
class StatementBuilder
{
public:
    void Add(const Field& field)
    {
        if (field.tag != "86")
            FinishEntry();
        if (field.tag.empty())
            m_inStatement = false;
        else if (field.tag == "20")
            StartStatement();
        else if (field.tag == "25")
            ReadAccount(field);
        else if (field.tag == "61")
            ReadEntry(field);
        else if (field.tag == "86" && m_entryOpen)
            m_details.insert(m_details.end(), field.lines.begin(), field.lines.end());
        else if (m_inStatement)
            ReadBalanceField(field);
    }

    std::vector<BankStatement> Finish()
    {
        FinishEntry();
        for (BankStatement& statement : m_statements)
            if (!statement.firstDay && !statement.entries.empty())
                statement.firstDay = statement.entries.front().date;
        return std::move(m_statements);
    }

private:
    void StartStatement()
    {
        m_statements.emplace_back();
        m_inStatement = true;
        m_hasAccount = false;
    }

    void ReadAccount(const Field& field)
    {
        if (!m_inStatement)
            StartStatement();
        m_statements.back().accountId = Trim(field.lines.front());
        m_hasAccount = true;
    }

    void ReadEntry(const Field& field)
    {
        if (!m_inStatement || !m_hasAccount)
            Fail(field.line, "(:61:) comes before the statement's account line (:25:)");
        m_statements.back().entries.push_back(ReadBookingLine(field));
        m_entryOpen = true;
    }

    void ReadBalanceField(const Field& field)
    {
        BankStatement& statement = m_statements.back();
        if (field.tag == "60F" || field.tag == "60M")
            statement.firstDay = ReadBalance(field).date;
        else if (field.tag == "62F" || field.tag == "62M")
            statement.closing = ReadBalance(field);
    }

    /// Gives the entry being read its :86: text, if it has any.
    void FinishEntry()
    {
        if (m_entryOpen && !m_details.empty())
            ReadDetails(m_details, m_statements.back().entries.back());
        m_details.clear();
        m_entryOpen = false;
    }

    std::vector<BankStatement> m_statements;
    bool m_inStatement = false;              ///< a ":20:" has come and no end of statement since
    bool m_hasAccount = false;               ///< the current statement's ":25:" has come
    bool m_entryOpen = false;                ///< the last field was a ":61:" or an ":86:" after it
    std::vector<std::string_view> m_details; ///< the open entry's :86: lines so far
};

/// The first lines a bank may write before the first statement: ":940:", "ABNANL2A",
/// "0000 01INGBNL2AXXXX00001", a few words.
constexpr int MostHeaderLines = 4;
} // namespace

bool LooksLikeMt940(std::string_view head)
{
    if (head.starts_with("\xEF\xBB\xBF"))
        head.remove_prefix(3);
    std::vector<Line> lines = SplitLines(head);
    int headerLines = 0;
    std::size_t i = 0;
    std::string_view firstTag;
    for (; i < lines.size() && firstTag.empty(); ++i)
    {
        std::string_view line = TrimLeft(lines[i].text);
        if (StartsEnvelope(line))
            line = AfterEnvelope(line);
        firstTag = TagOf(line);
        if (firstTag.empty() && !Trim(line).empty() && ++headerLines > MostHeaderLines)
            return false;
    }
    if (firstTag != "20")
        return false;
    bool account = false;
    for (; i < lines.size(); ++i)
    {
        std::string_view tag = TagOf(lines[i].text);
        account = account || tag == "25";
        if (account && (tag == "61" || tag == "60F" || tag == "60M"))
            return true;
    }
    return false;
}

std::vector<BankStatement> ReadMt940Statements(std::string_view text)
{
    StatementBuilder builder;
    for (const Field& field : ReadFields(text))
        builder.Add(field);
    return builder.Finish();
}
