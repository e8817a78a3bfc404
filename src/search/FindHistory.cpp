#include "search/FindHistory.h"

#include "base/Settings.h"

#include <algorithm>

namespace
{
const char* const Section = "Find";

std::string KeyOf(std::size_t index)
{
    return "Search" + std::to_string(index + 1);
}

std::string Trimmed(const std::string& text)
{
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
} // namespace

void FindHistory::Load()
{
    m_searches.clear();
    for (std::size_t i = 0; i < Size; ++i)
    {
        std::string search = GetSetting(KeyOf(i), Section);
        if (!search.empty() &&
            std::find(m_searches.begin(), m_searches.end(), search) == m_searches.end())
            m_searches.push_back(search);
    }
}

void FindHistory::Remember(const std::string& text)
{
    std::string search = Trimmed(text);
    if (search.empty())
        return;
    std::erase(m_searches, search);
    m_searches.insert(m_searches.begin(), search);
    if (m_searches.size() > Size)
        m_searches.resize(Size);
    Save();
}

void FindHistory::Save() const
{
    for (std::size_t i = 0; i < Size; ++i)
    {
        // In double quotes, which reading takes off: a search that is itself quoted, or
        // ends in a blank, reads back as it was typed.
        std::string value = i < m_searches.size() ? "\"" + m_searches[i] + "\"" : std::string();
        WriteSetting(KeyOf(i), value, Section);
    }
}
