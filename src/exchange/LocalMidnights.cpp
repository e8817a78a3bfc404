#include "exchange/LocalMidnights.h"

#include <ctime>

std::optional<std::int64_t> LocalMidnights::At(int year, int month, int day)
{
    int key = (year * 100 + month) * 100 + day;
    auto found = m_days.find(key);
    if (found != m_days.end())
        return found->second;
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_isdst = -1;
    std::time_t time = std::mktime(&local);
    if (local.tm_year < 70)
        return std::nullopt;
    return m_days.emplace(key, static_cast<std::int64_t>(time)).first->second;
}
