#include "update/CompareVersions.h"

#include <array>
#include <optional>

namespace
{
constexpr std::size_t MaxParts = 4;

/// The digits of each part without leading zeros (so "0" and "" are both zero); missing
/// parts stay empty.
using VersionParts = std::array<std::string_view, MaxParts>;

bool AllDigits(std::string_view text)
{
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::string_view WithoutLeadingZeros(std::string_view digits)
{
    std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : digits.substr(first);
}

std::optional<VersionParts> ParseVersion(std::string_view text)
{
    VersionParts parts;
    std::size_t count = 0;
    std::size_t pos = 0;
    while (pos < text.size())
    {
        std::size_t dot = text.find('.', pos);
        std::string_view part = text.substr(pos, dot == std::string_view::npos ? dot : dot - pos);
        pos = dot == std::string_view::npos ? text.size() : dot + 1;
        if (part.empty())
            continue; // runs of dots, and dots at either end, separate nothing
        if (count == MaxParts || !AllDigits(part))
            return std::nullopt;
        parts[count++] = WithoutLeadingZeros(part);
    }
    if (count == 0)
        return std::nullopt;
    return parts;
}

// Compares digit strings without leading zeros as numbers, whatever their length.
int CompareNumbers(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return a.size() > b.size() ? 1 : -1;
    int order = a.compare(b);
    return order > 0 ? 1 : (order < 0 ? -1 : 0);
}
} // namespace

int CompareVersions(std::string_view candidate, std::string_view own)
{
    std::optional<VersionParts> theirs = ParseVersion(candidate);
    if (!theirs)
        return InvalidCandidateVersion;
    std::optional<VersionParts> ours = ParseVersion(own);
    if (!ours)
        return InvalidOwnVersion;
    for (std::size_t i = 0; i < MaxParts; ++i)
        if (int order = CompareNumbers((*theirs)[i], (*ours)[i]))
            return order;
    return 0;
}
