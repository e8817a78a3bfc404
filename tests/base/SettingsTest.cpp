#include "base/Settings.h"
#include "base/Paths.h"
#include "base/SiteAddress.h"
#include "support/TempDir.h"

#include <clocale>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace
{
void WriteFile(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}
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

    void WriteIni(const std::string& text) const { WriteFile(m_folder / "qvtb.ini", text); }
    std::string ReadIni() const { return ReadFile(m_folder / "qvtb.ini"); }

    TempDir m_temp;
    ScopedEnv m_dataHome{"XDG_DATA_HOME", m_temp.Path().string()};
    fs::path m_folder = m_temp.Path() / "Quorvel" / "Tallybrook";
};

TEST_F(Settings, ReadsSectionsAndKeysWithoutRegardToCase)
{
    WriteIni("[settings]\r\n  BANKURL =  https://bank.example/  \r\n[Other]\r\nBankUrl=no\r\n");
    EXPECT_EQ(GetSetting("BankUrl", "Settings"), "https://bank.example/");
    EXPECT_EQ(GetSetting("BankUrl", "OTHER"), "no");
}

TEST_F(Settings, StripsMatchingQuotesOnly)
{
    WriteIni("[Settings]\nA=\"quoted\"\nB='single'\nC=\"half\nD=\"mixed'\nE=\"\n");
    EXPECT_EQ(GetSetting("A", "Settings"), "quoted");
    EXPECT_EQ(GetSetting("B", "Settings"), "single");
    EXPECT_EQ(GetSetting("C", "Settings"), "\"half");
    EXPECT_EQ(GetSetting("D", "Settings"), "\"mixed'");
    EXPECT_EQ(GetSetting("E", "Settings"), "\"");
}

TEST_F(Settings, MissingFileSectionOrKeyReadsEmpty)
{
    EXPECT_EQ(GetSetting("BankUrl", "Settings"), "");
    WriteIni("[Settings]\nBankUrl=x\n");
    EXPECT_EQ(GetSetting("BankUrl", "Nowhere"), "");
    EXPECT_EQ(GetSetting("DatabasePath", "Settings"), "");
}

TEST_F(Settings, CutsValuesLongerThan259Characters)
{
    WriteIni("[Settings]\nLong=" + std::string(300, 'x') + "\nWide=" + std::string(258, 'x') +
             "\xC3\xA9\xC3\xA9\n");
    EXPECT_EQ(GetSetting("Long", "Settings"), std::string(259, 'x'));
    // A character of two bytes is kept whole.
    EXPECT_EQ(GetSetting("Wide", "Settings"), std::string(258, 'x') + "\xC3\xA9");
}

TEST_F(Settings, BoolIsTrueOnlyForOne)
{
    WriteIni("[Settings]\nUpdateQuotesOnStartup=yes\nOne=1\nTen=10\n");
    EXPECT_FALSE(GetBoolSetting("UpdateQuotesOnStartup"));
    EXPECT_FALSE(GetBoolSetting("Ten"));
    EXPECT_FALSE(GetBoolSetting("Missing"));
    EXPECT_TRUE(GetBoolSetting("One"));
}

TEST_F(Settings, PlacementWithThreeNumbersReadsThreeElements)
{
    WriteIni("[Settings]\nPlacement=10,20,300\n");
    EXPECT_EQ(GetIntListSetting("Placement"), (std::vector<std::int32_t>{10, 20, 300}));
    EXPECT_EQ(GetIntListSetting("Missing"), (std::vector<std::int32_t>{0}));
}

TEST_F(Settings, IntListReadsLeadingNumbersAndSaturates)
{
    WriteIni("[Settings]\nList= 12px, -5,abc,,99999999999,-99999999999\n");
    EXPECT_EQ(GetIntListSetting("List"),
              (std::vector<std::int32_t>{12, -5, 0, 0, INT32_MAX, INT32_MIN}));
}

TEST_F(Settings, IntListRoundTrips)
{
    WriteIntListSetting("Placement", {120, 80, 800, 489});
    EXPECT_EQ(GetSetting("Placement", "Settings"), "120,80,800,489");
    EXPECT_EQ(GetIntListSetting("Placement"), (std::vector<std::int32_t>{120, 80, 800, 489}));
}

TEST_F(Settings, ListCutsAtEveryCommaKeepingTheLastPiece)
{
    EXPECT_EQ(SplitSettingList(""), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitSettingList("1,2,"), (std::vector<std::string>{"1", "2", ""}));
    EXPECT_EQ(SplitSettingList(",a"), (std::vector<std::string>{"", "a"}));
}

TEST_F(Settings, MissingColumnWidthsKeyGivesOneZero)
{
    EXPECT_EQ(GetColumnWidths("Trans"), (std::vector<double>{0}));
}

TEST_F(Settings, WritesColumnWidthsInShortestForm)
{
    WriteColumnWidths("Trans", {0.25, 0.5, 0.25});
    EXPECT_EQ(GetSetting("Trans", "ColumnWidths"), "0.25,0.5,0.25");
    WriteColumnWidths("Budget", {2.0 / 13, 1e-7});
    EXPECT_EQ(GetSetting("Budget", "ColumnWidths"), "0.153846,1e-07");
    EXPECT_EQ(GetColumnWidths("Trans"), (std::vector<double>{0.25, 0.5, 0.25}));
}

TEST_F(Settings, ColumnWidthsIgnoreTheUserDecimalComma)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    char sample[16];
    std::snprintf(sample, sizeof sample, "%g", 0.25);
    const std::string userForm = sample;

    WriteColumnWidths("Loan", {0.25, 0.75});
    const std::string written = GetSetting("Loan", "ColumnWidths");
    WriteIni("[ColumnWidths]\nAccount=0.5,0.125\n");
    const std::vector<double> read = GetColumnWidths("Account");
    std::setlocale(LC_ALL, previous.c_str());

    ASSERT_EQ(userForm, "0,25");
    EXPECT_EQ(written, "0.25,0.75");
    EXPECT_EQ(read, (std::vector<double>{0.5, 0.125}));
}

TEST_F(Settings, MalformedFileReadsWhatCanBeParsed)
{
    const std::string garbage = "\x00\xFF\xFE garbage\n[broken\n=novalue\njust text\n"s +
                                "[Settings]\nnoequals\nBankUrl=kept\n\x01\x02=\x03\n";
    WriteIni(garbage);
    EXPECT_EQ(GetSetting("BankUrl", "Settings"), "kept");
    EXPECT_EQ(GetSetting("noequals", "Settings"), "");
    WriteSetting("LastUpdateCheck", "2016-03-07", "Settings");
    EXPECT_EQ(ReadIni(), garbage + "LastUpdateCheck=2016-03-07\n");
}

TEST_F(Settings, ReadsTheFileAnewAfterAnOutsideChange)
{
    WriteSetting("BankUrl", "first", "Settings");
    EXPECT_EQ(GetSetting("BankUrl", "Settings"), "first");
    WriteIni("[Settings]\nBankUrl=second\n");
    EXPECT_EQ(GetSetting("BankUrl", "Settings"), "second");
}

TEST_F(Settings, WriteToMissingFolderIsLost)
{
    fs::remove_all(m_temp.Path() / "Quorvel");
    WriteSetting("BankUrl", "lost", "Settings");
    EXPECT_EQ(GetSetting("BankUrl", "Settings"), "");
    EXPECT_FALSE(fs::exists(m_temp.Path() / "Quorvel"));
}

TEST_F(Settings, WriteCreatesFileAndLeavesNoTemporaryFile)
{
    WriteSetting("BankUrl", "https://bank.example/", "Settings");
    EXPECT_EQ(ReadIni(), "[Settings]\nBankUrl=https://bank.example/\n");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(m_folder))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(Settings, WriteKeepsEveryOtherLine)
{
    WriteIni("; kept comment\n[Settings]\nbankurl = old\nPlacement=1,2,3,4\n\n"
             "[ColumnWidths]\nTrans=0.5,0.5");
    WriteSetting("BankUrl", "new", "SETTINGS");
    WriteSetting("UpdateQuotesOnStartup", "1", "Settings");
    WriteSetting("Loan", "1", "ColumnWidths");
    WriteSetting("Key", "a\nb", "Extra");
    EXPECT_EQ(ReadIni(), "; kept comment\n[Settings]\nBankUrl=new\nPlacement=1,2,3,4\n"
                         "UpdateQuotesOnStartup=1\n\n[ColumnWidths]\nTrans=0.5,0.5\nLoan=1\n"
                         "[Extra]\nKey=a b\n");
}

TEST_F(Settings, WriteKeepsCrLfLineEnds)
{
    WriteIni("[Settings]\r\nBankUrl=old\r\n");
    WriteSetting("BankUrl", "new", "Settings");
    WriteSetting("Placement", "1,2,3,4", "Settings");
    EXPECT_EQ(ReadIni(), "[Settings]\r\nBankUrl=new\r\nPlacement=1,2,3,4\r\n");
}

TEST_F(Settings, SiteAddressComesFromTheSettingElseFromTheBuild)
{
    EXPECT_EQ(MakerSiteUrl(), "https://www.quorvel.example");
    WriteIni("[Settings]\nSiteUrl=http://127.0.0.1:8080//\n");
    EXPECT_EQ(MakerSiteUrl(), "http://127.0.0.1:8080");
}
