#include "base/Settings.h"
#include "base/Paths.h"
#include "base/SiteAddress.h"
#include "support/ScopedLocale.h"
#include "support/TempDir.h"

#include <array>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace
{
// Lines of no use among those that hold a value.
const std::string Garbage = "\x00\xFF\xFE garbage\n[broken\n=novalue\njust text\n"s +
                            "[Settings]\nnoequals\nBankUrl=kept\n\x01\x02=\x03\n";
} // namespace

/// A settings file under a fresh application-data folder.
class Settings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(m_folder);
        ASSERT_EQ(GetIniPath(), (m_folder / "qvtb.ini").string());
    }

    void WriteIni(const std::string& text) const
    {
        std::ofstream(m_folder / "qvtb.ini", std::ios::binary) << text;
    }
    std::string ReadIni() const { return FileContents(m_folder / "qvtb.ini"); }

    TempDir m_temp;
    ScopedEnv m_dataHome{"XDG_DATA_HOME", m_temp.Path().string()};
    fs::path m_folder = m_temp.Path() / "Quorvel" / "Tallybrook";
};

TEST_F(Settings, ReadsValuesByTheirRules)
{
    EXPECT_EQ(GetSetting("BankUrl", "Settings"), "") << "no file yet";
    const std::string cased =
        "[settings]\r\n  BANKURL =  https://bank.example/  \r\n[Other]\r\nBankUrl=no\r\n";
    const std::string quoted = "[Settings]\nA=\"quoted\"\nB='single'\nC=\"half\nD=\"mixed'\nE=\"\n";
    const std::string cut = "[Settings]\nLong=" + std::string(300, 'x') +
                            "\nWide=" + std::string(258, 'x') + "\xC3\xA9\xC3\xA9\n";
    const struct
    {
        std::string ini;
        const char* section;
        const char* key;
        std::string value;
    } cases[] = {
        // Sections and keys without regard to case, the blanks around the value cut off.
        {cased, "Settings", "BankUrl", "https://bank.example/"},
        {cased, "OTHER", "BankUrl", "no"},
        {cased, "Nowhere", "BankUrl", ""},
        {cased, "Settings", "DatabasePath", ""},
        // Matching quotes only are taken off.
        {quoted, "Settings", "A", "quoted"},
        {quoted, "Settings", "B", "single"},
        {quoted, "Settings", "C", "\"half"},
        {quoted, "Settings", "D", "\"mixed'"},
        {quoted, "Settings", "E", "\""},
        // At most 259 characters; a character of two bytes is kept whole.
        {cut, "Settings", "Long", std::string(259, 'x')},
        {cut, "Settings", "Wide", std::string(258, 'x') + "\xC3\xA9"},
        // A malformed file gives what can be parsed.
        {Garbage, "Settings", "BankUrl", "kept"},
        {Garbage, "Settings", "noequals", ""},
    };
    for (const auto& c : cases)
    {
        WriteIni(c.ini);
        EXPECT_EQ(GetSetting(c.key, c.section), c.value) << c.section << " " << c.key;
    }
}

TEST_F(Settings, TypedValuesAndLists)
{
    WriteIni("[Settings]\nUpdateQuotesOnStartup=yes\nOne=1\nTen=10\nPlacement=10,20,300\n"
             "List= 12px, -5,abc,,99999999999,-99999999999\n");
    // A yes/no setting is true for 1 only.
    EXPECT_FALSE(GetBoolSetting("UpdateQuotesOnStartup"));
    EXPECT_FALSE(GetBoolSetting("Ten"));
    EXPECT_FALSE(GetBoolSetting("Missing"));
    EXPECT_TRUE(GetBoolSetting("One"));
    // A number list reads each piece's leading number, saturated; a missing one is one zero.
    EXPECT_EQ(GetIntListSetting("Placement"), (std::vector<std::int32_t>{10, 20, 300}));
    EXPECT_EQ(GetIntListSetting("List"),
              (std::vector<std::int32_t>{12, -5, 0, 0, INT32_MAX, INT32_MIN}));
    EXPECT_EQ(GetIntListSetting("Missing"), (std::vector<std::int32_t>{0}));
    WriteIntListSetting("Placement", {120, 80, 800, 489});
    EXPECT_EQ(GetSetting("Placement", "Settings"), "120,80,800,489");
    EXPECT_EQ(SplitSettingList(""), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitSettingList("1,2,"), (std::vector<std::string>{"1", "2", ""}));
    EXPECT_EQ(SplitSettingList(",a"), (std::vector<std::string>{"", "a"}));
}

TEST_F(Settings, ColumnWidthsAreWrittenShortestWithAPointInEveryLocale)
{
    EXPECT_EQ(GetColumnWidths("Trans"), (std::vector<double>{0}));
    for (const char* locale : {"C", "de_DE.UTF-8"})
    {
        ScopedLocale scoped(locale);
        ASSERT_TRUE(scoped.Ok()) << locale;
        WriteColumnWidths("Trans", {0.25, 0.5, 0.25});
        EXPECT_EQ(GetSetting("Trans", "ColumnWidths"), "0.25,0.5,0.25");
        WriteColumnWidths("Budget", {2.0 / 13, 1e-7});
        EXPECT_EQ(GetSetting("Budget", "ColumnWidths"), "0.153846,1e-07");
        EXPECT_EQ(GetColumnWidths("Trans"), (std::vector<double>{0.25, 0.5, 0.25}));
    }
}

TEST_F(Settings, WriteToMissingFolderIsLost)
{
    fs::remove_all(m_temp.Path() / "Quorvel");
    WriteSetting("BankUrl", "lost", "Settings");
    EXPECT_EQ(GetSetting("BankUrl", "Settings"), "");
    EXPECT_FALSE(fs::exists(m_temp.Path() / "Quorvel"));
}

TEST_F(Settings, WritesChangeOneLineAndKeepEveryOtherByte)
{
    const struct
    {
        std::string before;                             ///< empty: no file
        std::vector<std::array<std::string, 3>> writes; ///< section, key, value
        std::string after;
    } cases[] = {
        {"",
         {{"Settings", "BankUrl", "https://bank.example/"}},
         "[Settings]\nBankUrl=https://bank.example/\n"},
        {"; kept comment\n[Settings]\nbankurl = old\nPlacement=1,2,3,4\n\n"
         "[ColumnWidths]\nTrans=0.5,0.5",
         {{"SETTINGS", "BankUrl", "new"},
          {"Settings", "UpdateQuotesOnStartup", "1"},
          {"ColumnWidths", "Loan", "1"},
          {"Extra", "Key", "a\nb"}},
         "; kept comment\n[Settings]\nBankUrl=new\nPlacement=1,2,3,4\nUpdateQuotesOnStartup=1\n\n"
         "[ColumnWidths]\nTrans=0.5,0.5\nLoan=1\n[Extra]\nKey=a b\n"},
        {"[Settings]\r\nBankUrl=old\r\n",
         {{"Settings", "BankUrl", "new"}, {"Settings", "Placement", "1,2,3,4"}},
         "[Settings]\r\nBankUrl=new\r\nPlacement=1,2,3,4\r\n"},
        {Garbage,
         {{"Settings", "LastUpdateCheck", "2016-03-07"}},
         Garbage + "LastUpdateCheck=2016-03-07\n"},
    };
    for (const auto& c : cases)
    {
        fs::remove(m_folder / "qvtb.ini");
        if (!c.before.empty())
            WriteIni(c.before);
        for (const auto& [section, key, value] : c.writes)
            WriteSetting(key, value, section);
        EXPECT_EQ(ReadIni(), c.after);
        // The file is replaced whole, and no temporary file is left beside it.
        int entries = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(m_folder))
            ++entries;
        EXPECT_EQ(entries, 1);
    }
}

TEST_F(Settings, SiteAddressComesFromTheSettingElseFromTheBuild)
{
    EXPECT_EQ(MakerSiteUrl(), "https://www.quorvel.example");
    WriteIni("[Settings]\nSiteUrl=http://127.0.0.1:8080//\n");
    EXPECT_EQ(MakerSiteUrl(), "http://127.0.0.1:8080");
}
