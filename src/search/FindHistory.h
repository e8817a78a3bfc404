#pragma once

#include <string>
#include <vector>

/// The last ten searches of the Find field, newest first, kept in the settings file.
class FindHistory
{
public:
    static constexpr std::size_t Size = 10;

    /// Reads the searches the settings file holds.
    void Load();
    /// Puts a search first, without the blanks around it (moving it up when it was there
    /// already, the oldest falling off) and writes the list; a blank search is not kept.
    void Remember(const std::string& text);
    const std::vector<std::string>& Searches() const { return m_searches; }

private:
    void Save() const;

    std::vector<std::string> m_searches;
};
