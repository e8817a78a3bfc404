#include "exchange/CsvMappingStore.h"

#include "base/Settings.h"
#include "exchange/CsvReader.h"

#include <cstdint>
#include <cstdio>
#include <variant>

namespace
{
const char* const Section = "CsvMappings";
const std::size_t HeaderSearchLines = 40; ///< preambles are shorter
const std::size_t MaxSettingValue = 259;  ///< what the settings file gives back whole
} // namespace

std::string CsvHeaderKey(std::string_view headerLine)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : TrimCsvText(headerLine))
    {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char key[24];
    std::snprintf(key, sizeof key, "H%016llx", static_cast<unsigned long long>(hash));
    return key;
}

std::optional<CsvMapping> FindRememberedCsvMapping(std::string_view text)
{
    std::vector<std::string_view> lines = CsvLines(text, HeaderSearchLines);
    for (std::size_t line = 0; line < lines.size(); ++line)
    {
        if (TrimCsvText(lines[line]).empty())
            continue;
        std::string value = GetSetting(CsvHeaderKey(lines[line]), Section);
        if (value.empty())
            continue;
        auto options = ParseCsvOptions(value);
        if (!std::holds_alternative<CsvOptions>(options))
            continue; // edited by hand beyond reading: guessed again
        CsvMapping mapping = ApplyCsvOptions(CsvMapping(), std::get<CsvOptions>(options));
        mapping.skip = line;
        mapping.header = true;
        return mapping;
    }
    return std::nullopt;
}

void RememberCsvMapping(std::string_view text, const CsvMapping& mapping)
{
    if (!mapping.header)
        return;
    std::string value = FormatCsvOptions(mapping);
    if (value.size() > MaxSettingValue)
        return;
    std::string_view header = CsvLineAt(text, CsvLineStart(text, mapping.skip));
    if (TrimCsvText(header).empty())
        return;
    WriteSetting(CsvHeaderKey(header), value, Section);
}
