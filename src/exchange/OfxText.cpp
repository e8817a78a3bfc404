#include "exchange/OfxText.h"

#include "data/SchemaCatalog.h"
#include "data/TextEncoding.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

namespace
{
const std::string_view CdataOpen = "<![CDATA[";
const std::string_view CdataClose = "]]>";
const std::string_view ByteOrderMark = "\xEF\xBB\xBF";
const std::size_t HeaderLimit = std::size_t{64} * 1024; ///< an OFX 1.x header is a few lines

bool IsWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view TrimWhite(std::string_view text)
{
    while (!text.empty() && IsWhite(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsWhite(text.back()))
        text.remove_suffix(1);
    return text;
}

// The value after "NAME:" in an OFX 1.x header, up to a blank or a tag; empty when the
// header does not have the field.
std::string HeaderField(std::string_view header, std::string_view name)
{
    std::size_t at = header.find(name);
    if (at == std::string_view::npos)
        return "";
    std::size_t start = at + name.size();
    while (start < header.size() && (header[start] == ' ' || header[start] == '\t'))
        ++start;
    std::size_t end = start;
    while (end < header.size() && !IsWhite(header[end]) && header[end] != '<')
        ++end;
    return UpperAscii(std::string(header.substr(start, end - start)));
}

// The iconv name of an OFX 1.x ENCODING and CHARSET pair.
std::string SgmlCharset(const std::string& encoding, const std::string& charset)
{
    if (encoding == "UTF-8" || encoding == "UTF8" || encoding == "UNICODE")
        return "UTF-8";
    if (charset.empty() || charset == "NONE")
        return "";
    if (charset.find_first_not_of("0123456789") == std::string::npos)
        return "CP" + charset; // a Windows code page: 1252, 1250
    if (charset.starts_with("8859-"))
        return "ISO-" + charset;
    return charset;
}

// The encoding named in an XML declaration "<?xml ... encoding="..."?>".
std::string XmlEncoding(std::string_view declaration)
{
    std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return "";
    std::size_t quote = declaration.find_first_of("\"'", at);
    if (quote == std::string_view::npos)
        return "";
    std::size_t end = declaration.find(declaration[quote], quote + 1);
    if (end == std::string_view::npos)
        return "";
    return std::string(TrimWhite(declaration.substr(quote + 1, end - quote - 1)));
}

// Decodes one entity starting at text[at] == '&' onto out; the length it took, or 0 when
// it is not one that is decoded.
std::size_t DecodeEntity(std::string_view text, std::size_t at, std::string& out)
{
    std::size_t semicolon = text.find(';', at + 1);
    if (semicolon == std::string_view::npos || semicolon - at > 12)
        return 0;
    std::string_view name = text.substr(at + 1, semicolon - at - 1);
    static const std::pair<std::string_view, char> named[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [entity, character] : named)
        if (name == entity)
        {
            out += character;
            return semicolon - at + 1;
        }
    if (name.size() < 2 || name[0] != '#')
        return 0;
    bool hex = name[1] == 'x' || name[1] == 'X';
    std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t code = 0;
    auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        code == 0 || !AppendUtf8(out, static_cast<char32_t>(code)))
        return 0;
    return semicolon - at + 1;
}

void AppendRaw(std::string& out, std::string_view text)
{
    out.append(text);
}

void AppendDecoded(std::string& out, std::string_view text)
{
    std::size_t done = 0;
    for (std::size_t amp = text.find('&'); amp != std::string_view::npos;
         amp = text.find('&', done))
    {
        out.append(text.substr(done, amp - done));
        std::size_t taken = DecodeEntity(text, amp, out);
        if (taken == 0)
        {
            out += '&';
            taken = 1;
        }
        done = amp + taken;
    }
    out.append(text.substr(done));
}

struct ValuePiece
{
    std::string_view text;
    bool cdata;
};

// The value after a tag in pieces: plain text up to the next "<" that does not open a
// CDATA section, and the CDATA sections; trimmed of white space at both ends.
std::vector<ValuePiece> ValuePieces(std::string_view text, std::size_t pos)
{
    std::vector<ValuePiece> pieces;
    for (;;)
    {
        std::size_t lt = text.find('<', pos);
        std::size_t plainEnd = lt == std::string_view::npos ? text.size() : lt;
        if (plainEnd > pos)
            pieces.push_back({text.substr(pos, plainEnd - pos), false});
        if (lt == std::string_view::npos || text.substr(lt, CdataOpen.size()) != CdataOpen)
            break;
        std::size_t close = text.find(CdataClose, lt + CdataOpen.size());
        if (close == std::string_view::npos)
            break; // an unfinished section ends the value
        std::size_t start = lt + CdataOpen.size();
        pieces.push_back({text.substr(start, close - start), true});
        pos = close + CdataClose.size();
    }
    while (!pieces.empty())
    {
        std::string_view& first = pieces.front().text;
        while (!first.empty() && IsWhite(first.front()))
            first.remove_prefix(1);
        if (!first.empty())
            break;
        pieces.erase(pieces.begin());
    }
    while (!pieces.empty())
    {
        std::string_view& last = pieces.back().text;
        while (!last.empty() && IsWhite(last.back()))
            last.remove_suffix(1);
        if (!last.empty())
            break;
        pieces.pop_back();
    }
    return pieces;
}

// The value after the first occurrence of the tag, plain text written by appendPlain.
template <typename AppendPlain>
std::string ReadValue(std::string_view text, std::string_view tag, AppendPlain appendPlain)
{
    std::size_t at = text.find(tag);
    if (at == std::string_view::npos)
        return "";
    std::size_t start = at + tag.size();
    std::size_t end = text.find('<', start);
    std::string value;
    if (end == std::string_view::npos || text.substr(end, CdataOpen.size()) != CdataOpen)
    {
        // The usual value: no CDATA, one piece.
        if (end == std::string_view::npos)
            end = text.size();
        appendPlain(value, TrimWhite(text.substr(start, end - start)));
        return value;
    }
    for (const ValuePiece& piece : ValuePieces(text, start))
    {
        if (piece.cdata)
            value.append(piece.text);
        else
            appendPlain(value, piece.text);
    }
    return value;
}
} // namespace

std::string DeclaredCharset(std::string_view text)
{
    if (text.starts_with(ByteOrderMark))
        text.remove_prefix(ByteOrderMark.size());
    std::size_t first = 0;
    while (first < text.size() && IsWhite(text[first]))
        ++first;
    if (text.substr(first, 5) == "<?xml")
    {
        std::size_t end = text.find("?>", first);
        return XmlEncoding(text.substr(first, end == std::string_view::npos ? end : end - first));
    }
    // The OFX 1.x header: the fields before the first tag.
    std::string_view header = text.substr(0, std::min(text.find('<'), HeaderLimit));
    return SgmlCharset(HeaderField(header, "ENCODING:"), HeaderField(header, "CHARSET:"));
}

std::string DecodeStatementFile(std::string bytes)
{
    if (std::string_view(bytes).starts_with(ByteOrderMark))
        bytes.erase(0, ByteOrderMark.size());
    if (IsValidUtf8(bytes))
        return bytes;
    return DecodeStatementText(bytes, DeclaredCharset(bytes));
}

std::string_view StatementText(std::string_view bytes, std::string& decoded)
{
    if (bytes.starts_with(ByteOrderMark))
        bytes.remove_prefix(ByteOrderMark.size());
    if (IsValidUtf8(bytes))
        return bytes;
    decoded = DecodeStatementText(bytes, DeclaredCharset(bytes));
    return decoded;
}

std::string TagValue(std::string_view text, std::string_view tag)
{
    return ReadValue(text, tag, AppendRaw);
}

std::string TagText(std::string_view text, std::string_view tag)
{
    return ReadValue(text, tag, AppendDecoded);
}

std::string NextAggregate(std::string_view text, std::string_view name, std::size_t& position)
{
    std::string block;
    NextAggregate(text, name, position, block);
    return block;
}

bool NextAggregate(std::string_view text, std::string_view name, std::size_t& position,
                   std::string& block)
{
    block.clear();
    std::string open = "<" + std::string(name) + ">";
    std::string close = "</" + std::string(name) + ">";
    std::size_t start = text.find(open, position);
    if (start == std::string_view::npos)
        return false;
    start += open.size();
    std::size_t end = text.find(close, start);
    if (end == std::string_view::npos)
        return false;
    position = end + close.size();
    const char* from = text.data() + start;
    const char* stop = text.data() + end;
    while (from < stop)
    {
        const void* found = std::memchr(from, '\n', static_cast<std::size_t>(stop - from));
        const char* lineEnd = found ? static_cast<const char*>(found) : stop;
        block.append(from, lineEnd);
        from = lineEnd + (found ? 1 : 0);
    }
    return !block.empty();
}
