#include "data/TextEncoding.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace
{
const char* const Replacement = "\xEF\xBF\xBD"; // U+FFFD

// One iconv conversion descriptor, closed when it goes.
class Converter
{
public:
    Converter(const std::string& to, const std::string& from)
        : m_cd(iconv_open(to.c_str(), from.c_str()))
    {
    }
    ~Converter()
    {
        if (IsOpen())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return m_cd != Unopened(); }

    /// The whole input converted; nullopt at the first sequence the sets cannot carry.
    std::optional<std::string> Convert(std::string_view input)
    {
        std::string output(input.size() + input.size() / 2 + 16, '\0');
        char* in = const_cast<char*>(input.data()); // iconv does not write to its input
        std::size_t inLeft = input.size();
        std::size_t done = 0;
        bool flushing = false; // the input is read; a stateful set may still have to end
        for (;;)
        {
            char* out = output.data() + done;
            std::size_t outLeft = output.size() - done;
            std::size_t rc = flushing ? iconv(m_cd, nullptr, nullptr, &out, &outLeft)
                                      : iconv(m_cd, &in, &inLeft, &out, &outLeft);
            done = output.size() - outLeft;
            if (rc != static_cast<std::size_t>(-1))
            {
                if (flushing)
                    break;
                flushing = true;
                continue;
            }
            if (errno != E2BIG)
                return std::nullopt; // EILSEQ, or a sequence cut at the end (EINVAL)
            output.resize(output.size() * 2);
        }
        output.resize(done);
        return output;
    }

private:
    // What iconv_open gives back when it cannot convert between the two sets: iconv's own
    // value, the integer -1 as a descriptor.
    static iconv_t Unopened()
    {
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        return reinterpret_cast<iconv_t>(-1);
    }

    iconv_t m_cd;
};

// Bytes 0x80 to 0xFF of CP1252 in UTF-8, as iconv reads them; U+FFFD where undefined.
const std::array<std::string, 128>& Cp1252High()
{
    static const std::array<std::string, 128> table = []
    {
        std::array<std::string, 128> high;
        Converter converter("UTF-8", "CP1252");
        for (std::size_t i = 0; i < high.size(); ++i)
        {
            char byte = static_cast<char>(0x80 + i);
            std::optional<std::string> text;
            if (converter.IsOpen())
                text = converter.Convert(std::string_view(&byte, 1));
            high[i] = text && !text->empty() ? *text : Replacement;
        }
        return high;
    }();
    return table;
}

// The length of the well-formed UTF-8 sequence at the start of the bytes; 0 when there is
// none.
std::size_t SequenceLength(const unsigned char* p, std::size_t left)
{
    unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    auto continuation = [&](std::size_t i, unsigned char low, unsigned char high)
    { return i < left && p[i] >= low && p[i] <= high; };
    if (c >= 0xC2 && c <= 0xDF)
        return continuation(1, 0x80, 0xBF) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF)
    {
        unsigned char low = c == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        unsigned char high = c == 0xED ? 0x9F : 0xBF; // no surrogates
        return continuation(1, low, high) && continuation(2, 0x80, 0xBF) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4)
    {
        unsigned char low = c == 0xF0 ? 0x90 : 0x80;
        unsigned char high = c == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
        return continuation(1, low, high) && continuation(2, 0x80, 0xBF) &&
                       continuation(3, 0x80, 0xBF)
                   ? 4
                   : 0;
    }
    return 0;
}

// Whether eight bytes from p are all ASCII.
bool AsciiWord(const unsigned char* p)
{
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

// Whether the set reads ASCII as ASCII: declared sets such as UTF-16 over 8-bit bytes do not.
bool KeepsAscii(const std::string& charsetName)
{
    static const std::string probe = "<OFX>\r\n !\"#&'()*+,-./0123456789:;=?@AZ[]_az{}~";
    std::optional<std::string> read = DecodeToUtf8(probe, charsetName);
    return read && *read == probe;
}
} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size)
    {
        if (i + 8 <= size && AsciiWord(p + i))
        {
            i += 8;
            continue;
        }
        std::size_t length = SequenceLength(p + i, size - i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::optional<std::string> DecodeToUtf8(std::string_view bytes, const std::string& charsetName)
{
    Converter converter("UTF-8", charsetName);
    if (!converter.IsOpen())
        return std::nullopt;
    return converter.Convert(bytes);
}

std::optional<std::string> EncodeFromUtf8(std::string_view text, const std::string& charsetName)
{
    if (!IsValidUtf8(text))
        return std::nullopt;
    Converter converter(charsetName, "UTF-8");
    if (!converter.IsOpen())
        return std::nullopt;
    return converter.Convert(text);
}

std::string ToValidUtf8(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::string out;
    out.reserve(text.size() + 8);
    std::size_t i = 0;
    while (i < text.size())
    {
        std::size_t length = SequenceLength(p + i, text.size() - i);
        if (length == 0)
        {
            out += Cp1252High()[p[i] - 0x80u];
            ++i;
            continue;
        }
        out.append(text.data() + i, length);
        i += length;
    }
    return out;
}

std::string DecodeCp1252(std::string_view bytes)
{
    const std::array<std::string, 128>& high = Cp1252High();
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes)
    {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out += c;
        else
            out += high[byte - 0x80u];
    }
    return out;
}

std::string DecodeStatementText(std::string_view bytes, const std::string& declaredCharset)
{
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    if (!declaredCharset.empty() && KeepsAscii(declaredCharset))
        if (std::optional<std::string> text = DecodeToUtf8(bytes, declaredCharset))
            return *text;
    return DecodeCp1252(bytes);
}

std::string_view Utf8Prefix(std::string_view text, std::size_t characters)
{
    std::size_t i = 0;
    std::size_t count = 0;
    while (i < text.size())
    {
        bool starts = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (starts && count++ == characters)
            break;
        ++i;
    }
    return text.substr(0, i);
}

bool AppendUtf8(std::string& text, char32_t codePoint)
{
    auto put = [&text](std::uint32_t byte) { text += static_cast<char>(byte); };
    auto c = static_cast<std::uint32_t>(codePoint);
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return false; // surrogates are not characters; nothing lies past U+10FFFF
    if (c < 0x80)
        put(c);
    else if (c < 0x800)
    {
        put(0xC0 | (c >> 6));
        put(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        put(0xE0 | (c >> 12));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    }
    else
    {
        put(0xF0 | (c >> 18));
        put(0x80 | ((c >> 12) & 0x3F));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    }
    return true;
}
