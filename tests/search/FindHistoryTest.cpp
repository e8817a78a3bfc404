// The Find field's last ten searches, as the settings file keeps them between starts.

#include "search/FindHistory.h"

#include "support/ScopedLocale.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace
{
class FindHistoryTest : public ::testing::Test
{
protected:
    // The program's folder exists once it has started; the settings file lives there.
    void SetUp() override
    {
        std::filesystem::create_directories(m_temp.Path() / "Quorvel" / "Tallybrook");
    }

    /// The list as a later start reads it from the file.
    static std::vector<std::string> ReadAgain()
    {
        FindHistory later;
        later.Load();
        return later.Searches();
    }

    TempDir m_temp;
    ScopedEnv m_dataHome{"XDG_DATA_HOME", m_temp.Path().string()};
};
} // namespace

TEST_F(FindHistoryTest, KeepsTheLastTenNewestFirstEachOnce)
{
    FindHistory history;
    history.Load();
    EXPECT_TRUE(history.Searches().empty());
    for (int i = 1; i <= 12; ++i)
        history.Remember("search " + std::to_string(i));
    history.Remember("search 5"); // moves up, not kept twice
    history.Remember("   ");      // blank: not kept
    history.Remember("  rent  "); // kept without the blanks around it
    const std::vector<std::string> expected = {"rent",      "search 5", "search 12", "search 11",
                                               "search 10", "search 9", "search 8",  "search 7",
                                               "search 6",  "search 4"};
    EXPECT_EQ(history.Searches(), expected);
    EXPECT_EQ(ReadAgain(), expected);
}

TEST_F(FindHistoryTest, SearchesWithQuotesReadBackAsTyped)
{
    FindHistory history;
    const std::vector<std::string> typed = {"\"two words\"", "account:\"Visa Card\" coffee",
                                            "'single'", "caf\xC3\xA9 amount:4,50"};
    for (auto it = typed.rbegin(); it != typed.rend(); ++it)
        history.Remember(*it);
    EXPECT_EQ(ReadAgain(), typed);
}
