#include "base/Settings.h"

#include "base/FileReplace.h"
#include "base/Paths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <locale.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// The profile API's readers have always used a buffer of 260 with room for the NUL.
constexpr size_t MaxValueCharacters = 259;
constexpr std::string_view Blanks = " \t\r\v\f";
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

// Section and key names compare without regard to case, as they always have in these files.
bool EqualsNoCase(std::string_view left, std::string_view right)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [&](char a, char b) { return lower(a) == lower(b); });
}

/// One line of the file as offsets into its text.
struct Line
{
    size_t start;   ///< first byte of the line
    size_t textEnd; ///< end of the text, before "\r\n" or "\n"
    size_t end;     ///< past the line end
};

std::vector<Line> SplitLines(const std::string& content)
{
    std::vector<Line> lines;
    size_t start = 0;
    while (start < content.size())
    {
        const size_t newline = content.find('\n', start);
        const size_t end = newline == std::string::npos ? content.size() : newline + 1;
        size_t textEnd = newline == std::string::npos ? content.size() : newline;
        if (textEnd > start && content[textEnd - 1] == '\r')
            --textEnd;
        lines.push_back({start, textEnd, end});
        start = end;
    }
    return lines;
}

std::string_view LineText(const std::string& content, const Line& line)
{
    std::string_view text(content.data() + line.start, line.textEnd - line.start);
    if (line.start == 0 && text.starts_with(ByteOrderMark))
        text.remove_prefix(ByteOrderMark.size());
    return text;
}

/// The section name when the line is a "[name]" header.
std::optional<std::string_view> SectionName(std::string_view text)
{
    text = Trim(text);
    if (!text.starts_with('['))
        return std::nullopt;
    const size_t close = text.rfind(']');
    if (close == 0 || close == std::string_view::npos)
        return std::nullopt;
    return Trim(text.substr(1, close - 1));
}

bool ParseKeyValue(std::string_view text, std::string_view& key, std::string_view& value)
{
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return false;
    key = Trim(text.substr(0, equals));
    value = Trim(text.substr(equals + 1));
    return !key.empty();
}

/// The lines of the first section of that name, after its header; nullopt when there is none.
struct SectionRange
{
    size_t header;
    size_t end; ///< index of the next header, or the line count
};

std::optional<SectionRange> FindSection(const std::string& content, const std::vector<Line>& lines,
                                        std::string_view section)
{
    for (size_t i = 0; i < lines.size(); ++i)
    {
        const auto name = SectionName(LineText(content, lines[i]));
        if (!name || !EqualsNoCase(*name, section))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !SectionName(LineText(content, lines[end])))
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> FindKey(const std::string& content, const std::vector<Line>& lines,
                              const SectionRange& range, std::string_view key)
{
    for (size_t i = range.header + 1; i < range.end; ++i)
    {
        std::string_view name;
        std::string_view value;
        if (ParseKeyValue(LineText(content, lines[i]), name, value) && EqualsNoCase(name, key))
            return i;
    }
    return std::nullopt;
}

/// The whole file; nullopt when it is missing or not a regular file.
std::optional<std::string> ReadFile(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info
    {
    };
    std::optional<std::string> content;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
    {
        content.emplace();
        char buffer[8192];
        for (;;)
        {
            const ssize_t count = read(fd, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                break;
            content->append(buffer, static_cast<size_t>(count));
        }
    }
    close(fd);
    return content;
}

std::string CutToCharacters(std::string_view value, size_t maxCharacters)
{
    // Counts UTF-8 characters so a multi-byte character is never split.
    size_t count = 0;
    for (size_t i = 0; i < value.size(); ++i)
    {
        if ((static_cast<unsigned char>(value[i]) & 0xC0) == 0x80)
            continue;
        if (count == maxCharacters)
            return std::string(value.substr(0, i));
        ++count;
    }
    return std::string(value);
}

/// Numbers in the settings file are written and read the same way whatever the user's locale.
class CNumericLocale
{
public:
    CNumericLocale() : m_c(newlocale(LC_ALL_MASK, "C", nullptr))
    {
        if (m_c != nullptr)
            m_previous = uselocale(m_c);
    }
    ~CNumericLocale()
    {
        if (m_c == nullptr)
            return;
        uselocale(m_previous);
        freelocale(m_c);
    }
    CNumericLocale(const CNumericLocale&) = delete;
    CNumericLocale& operator=(const CNumericLocale&) = delete;

private:
    locale_t m_c;
    locale_t m_previous = nullptr;
};

std::string Join(const std::vector<std::string>& pieces)
{
    std::string joined;
    for (size_t i = 0; i < pieces.size(); ++i)
        joined += (i == 0 ? "" : ",") + pieces[i];
    return joined;
}
} // namespace

std::string GetSetting(const std::string& key, const std::string& section)
{
    const std::optional<std::string> content = ReadFile(GetIniPath());
    if (!content)
        return {};
    const std::vector<Line> lines = SplitLines(*content);
    const auto range = FindSection(*content, lines, section);
    if (!range)
        return {};
    const auto index = FindKey(*content, lines, *range, key);
    if (!index)
        return {};
    std::string_view name;
    std::string_view value;
    ParseKeyValue(LineText(*content, lines[*index]), name, value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return CutToCharacters(value, MaxValueCharacters);
}

void WriteSetting(const std::string& key, const std::string& value, const std::string& section)
{
    const std::string path = GetIniPath();
    const std::string content = ReadFile(path).value_or(std::string());
    const std::vector<Line> lines = SplitLines(content);
    const std::string newline =
        !lines.empty() && content.compare(lines[0].textEnd, 2, "\r\n") == 0 ? "\r\n" : "\n";

    // A line break inside the value would start a line of its own.
    std::string flatValue = value;
    std::replace_if(
        flatValue.begin(), flatValue.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    const std::string entry = key + "=" + flatValue;

    std::string updated;
    if (const auto range = FindSection(content, lines, section))
    {
        if (const auto index = FindKey(content, lines, *range, key))
        {
            const Line& line = lines[*index];
            updated = content.substr(0, line.start) + entry + content.substr(line.textEnd);
        }
        else
        {
            // After the section's last line that is not blank, so blank lines stay between
            // sections.
            size_t last = range->header;
            for (size_t i = range->header + 1; i < range->end; ++i)
                if (!Trim(LineText(content, lines[i])).empty())
                    last = i;
            const Line& line = lines[last];
            const bool hasLineEnd = line.end > line.textEnd;
            updated = content.substr(0, line.end) + (hasLineEnd ? "" : newline) + entry +
                      (hasLineEnd ? newline : "") + content.substr(line.end);
        }
    }
    else
    {
        updated = content;
        if (!updated.empty() && updated.back() != '\n')
            updated += newline;
        updated += "[" + section + "]" + newline + entry + newline;
    }
    // A file that cannot be written keeps what it held; the setting is then not kept.
    static_cast<void>(ReplaceFile(path, updated));
}

bool GetBoolSetting(const std::string& key)
{
    return GetSetting(key, "Settings") == "1";
}

std::vector<std::int32_t> GetIntListSetting(const std::string& key)
{
    std::vector<std::int32_t> values;
    for (const std::string& piece : SplitSettingList(GetSetting(key, "Settings")))
    {
        const long number = std::strtol(piece.c_str(), nullptr, 10);
        values.push_back(static_cast<std::int32_t>(std::clamp<long>(number, INT32_MIN, INT32_MAX)));
    }
    return values;
}

void WriteIntListSetting(const std::string& key, const std::vector<std::int32_t>& values)
{
    std::vector<std::string> pieces;
    pieces.reserve(values.size());
    for (const std::int32_t value : values)
        pieces.push_back(std::to_string(value));
    WriteSetting(key, Join(pieces), "Settings");
}

std::vector<double> GetColumnWidths(const std::string& key)
{
    const std::vector<std::string> pieces = SplitSettingList(GetSetting(key, "ColumnWidths"));
    const CNumericLocale cLocale;
    std::vector<double> widths;
    widths.reserve(pieces.size());
    for (const std::string& piece : pieces)
        widths.push_back(std::strtod(piece.c_str(), nullptr));
    return widths;
}

void WriteColumnWidths(const std::string& key, const std::vector<double>& widths)
{
    std::vector<std::string> pieces;
    pieces.reserve(widths.size());
    {
        const CNumericLocale cLocale;
        for (const double width : widths)
        {
            char text[32];
            std::snprintf(text, sizeof text, "%lg", width);
            pieces.emplace_back(text);
        }
    }
    WriteSetting(key, Join(pieces), "ColumnWidths");
}

std::vector<std::string> SplitSettingList(const std::string& value)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t comma = value.find(','); comma != std::string::npos; comma = value.find(',', start))
    {
        pieces.push_back(value.substr(start, comma - start));
        start = comma + 1;
    }
    pieces.push_back(value.substr(start));
    return pieces;
}
