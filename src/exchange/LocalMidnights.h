#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>

/// Local midnight of the days of one import. A statement's rows fall on few days, and the
/// C library's mktime reads the time zone again at every call, which costs more than the
/// rest of reading a row.
class LocalMidnights
{
public:
    /// The point in time of local midnight; a day past the end of the month rolls into the
    /// next one. nullopt for days before the start of 1970, local time, which cannot be held.
    std::optional<std::int64_t> At(int year, int month, int day);

private:
    std::unordered_map<int, std::int64_t> m_days;
};
