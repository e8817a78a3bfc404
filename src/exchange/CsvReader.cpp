#include "exchange/CsvReader.h"

#include "data/TextEncoding.h"

namespace
{
const std::string_view Utf8Mark = "\xEF\xBB\xBF";

// A quoted field that runs over more lines than this was never closed: its opening quote
// is read as a character. Bank exports break a description over a few lines at most.
const std::size_t MaxQuotedLines = 50;

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool StartsUtf16(std::string_view bytes)
{
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}
} // namespace

bool CsvRecord::IsBlank() const
{
    for (const std::string& field : fields)
        if (field.find_first_not_of(" \t\n") != std::string::npos)
            return false;
    return true;
}

const std::string& CsvRecord::Field(std::size_t column) const
{
    static const std::string none;
    return column < fields.size() ? fields[column] : none;
}

CsvReader::CsvReader(std::string_view text, char delimiter, std::size_t firstLine)
    : m_text(text), m_delimiter(delimiter), m_pos(CsvLineStart(text, firstLine)),
      m_line(m_pos < text.size() ? firstLine : 0)
{
}

bool CsvReader::Next(CsvRecord& record)
{
    if (m_pos >= m_text.size())
        return false;
    record.line = m_line;
    record.begin = m_pos;
    std::size_t count = 0;
    for (;;)
    {
        std::string& field = NextField(record, count++);
        std::size_t start = m_pos;
        while (start < m_text.size() && IsBlank(m_text[start]))
            ++start;
        std::size_t line = m_line;
        if (start < m_text.size() && m_text[start] == '"' && !ReadQuoted(start + 1, field))
        {
            // Never closed: the quote is a character of a plain field.
            field.clear();
            m_line = line;
            ReadPlain(field);
        }
        else if (start >= m_text.size() || m_text[start] != '"')
            ReadPlain(field);
        if (m_pos < m_text.size() && m_text[m_pos] == m_delimiter)
        {
            ++m_pos;
            continue;
        }
        break;
    }
    record.fields.resize(count);
    record.end = m_pos;
    if (m_pos < m_text.size())
        PassLineEnd(m_pos);
    return true;
}

std::string& CsvReader::NextField(CsvRecord& record, std::size_t count)
{
    // The strings of the previous record are reused: no allocation for records alike.
    if (count < record.fields.size())
    {
        record.fields[count].clear();
        return record.fields[count];
    }
    return record.fields.emplace_back();
}

void CsvReader::ReadPlain(std::string& field)
{
    std::size_t start = m_pos;
    while (m_pos < m_text.size() && m_text[m_pos] != m_delimiter && !IsLineEnd(m_text[m_pos]))
        ++m_pos;
    field.append(m_text.data() + start, m_pos - start);
}

bool CsvReader::EndsField(std::size_t at) const
{
    while (at < m_text.size() && IsBlank(m_text[at]))
        ++at;
    return at >= m_text.size() || m_text[at] == m_delimiter || IsLineEnd(m_text[at]);
}

void CsvReader::PassLineEnd(std::size_t& at)
{
    if (m_text[at] == '\r')
    {
        std::size_t after = at;
        while (after < m_text.size() && m_text[after] == '\r')
            ++after;
        at = after < m_text.size() && m_text[after] == '\n' ? after + 1 : at + 1;
    }
    else
        ++at;
    ++m_line;
}

// A run of quotes that ends the field closes it; an even run elsewhere stands for half as
// many quotes, as RFC 4180 escapes them. An odd run inside the text (an unescaped quote)
// shows that the field does not escape its quotes: from there on every quote is a
// character, and only a quote before the delimiter or the line end closes the field.
bool CsvReader::ReadQuoted(std::size_t start, std::string& field)
{
    bool escaping = true;
    std::size_t lines = 0;
    std::size_t at = start;
    while (at < m_text.size())
    {
        char c = m_text[at];
        if (c == '"')
        {
            std::size_t run = 0;
            while (at + run < m_text.size() && m_text[at + run] == '"')
                ++run;
            at += run;
            if (EndsField(at) && (!escaping || run % 2 == 1))
            {
                field.append(escaping ? run / 2 : run - 1, '"');
                while (at < m_text.size() && IsBlank(m_text[at]))
                    ++at;
                m_pos = at;
                return true;
            }
            if (escaping && run % 2 == 1)
            {
                escaping = false;
                field.append((run + 1) / 2, '"');
            }
            else
                field.append(escaping ? run / 2 : run, '"');
        }
        else if (IsLineEnd(c))
        {
            if (++lines > MaxQuotedLines)
                return false;
            field += '\n';
            PassLineEnd(at);
        }
        else
        {
            std::size_t end = at;
            while (end < m_text.size() && m_text[end] != '"' && !IsLineEnd(m_text[end]))
                ++end;
            field.append(m_text.data() + at, end - at);
            at = end;
        }
    }
    return false;
}

std::size_t CsvLineStart(std::string_view text, std::size_t line)
{
    std::size_t at = 0;
    for (std::size_t n = 0; n < line && at < text.size(); ++n)
    {
        while (at < text.size() && !IsLineEnd(text[at]))
            ++at;
        if (at >= text.size())
            break;
        if (text[at] == '\r')
        {
            std::size_t after = at;
            while (after < text.size() && text[after] == '\r')
                ++after;
            at = after < text.size() && text[after] == '\n' ? after + 1 : at + 1;
        }
        else
            ++at;
    }
    return at;
}

std::string_view CsvLineAt(std::string_view text, std::size_t offset)
{
    std::size_t end = offset;
    while (end < text.size() && !IsLineEnd(text[end]))
        ++end;
    return offset < text.size() ? text.substr(offset, end - offset) : std::string_view();
}

std::vector<std::string_view> CsvLines(std::string_view text, std::size_t count)
{
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    while (at < text.size() && lines.size() < count)
    {
        std::string_view line = CsvLineAt(text, at);
        lines.push_back(line);
        at = CsvLineStart(text.substr(at), 1) + at;
    }
    return lines;
}

std::string DetectCsvCharset(std::string_view bytes)
{
    if (StartsUtf16(bytes))
        return "UTF-16";
    if (IsValidUtf8(bytes))
        return "UTF-8";
    return "CP1252";
}

std::optional<std::string> DecodeCsvFile(std::string_view bytes, const std::string& charset)
{
    if (charset.empty() && bytes.starts_with(Utf8Mark))
        bytes.remove_prefix(Utf8Mark.size());
    std::string name = charset.empty() ? DetectCsvCharset(bytes) : charset;
    std::string upper;
    for (char c : name)
        if (c != '-' && c != '_')
            upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (upper == "UTF8")
    {
        if (bytes.starts_with(Utf8Mark))
            bytes.remove_prefix(Utf8Mark.size());
        if (!IsValidUtf8(bytes))
            return std::nullopt;
        return std::string(bytes);
    }
    if (upper == "CP1252" || upper == "WINDOWS1252")
        return DecodeCp1252(bytes); // never fails: undefined bytes become U+FFFD
    std::optional<std::string> text = DecodeToUtf8(bytes, name);
    if (text && std::string_view(*text).starts_with(Utf8Mark))
        text->erase(0, Utf8Mark.size()); // UTF-16 and UTF-32 keep their byte-order mark
    return text;
}
