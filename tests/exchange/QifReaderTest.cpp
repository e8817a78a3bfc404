#include "exchange/QifReader.h"

#include "data/DateTime.h"
#include "exchange/ImportFixture.h"
#include "support/RegionEnv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::int64_t LocalTime(int year, int month, int day, int hour = 0, int minute = 0)
{
    return FromLocalCalendar(DateTime{year, month, day, hour, minute, 0});
}

class QifReader : public ImportTest
{
protected:
    QifReader() { AddAccount("A'1", "Checking"); }

    /// Reads a QIF file into the account described Checking.
    ImportResult Read(const std::string& content)
    {
        chooser.Map("Checking");
        return ReadQifFile(Context(), WriteFile("statement.qif", content));
    }
};

const char* const GroceryRecord = "!Type:Bank\nD1/15'16\nT-12.34\nPPayee\nMMemo\nLGroceries\n^\n";
} // namespace

TEST(QifStamp, WritesLocalDateTimeAndMillisecondsWithoutLeadingZeros)
{
    std::int64_t seconds = LocalTime(2016, 3, 5, 7, 8) + 9;
    EXPECT_EQ(FormatImportStamp(seconds * 1000 + 7), "2016-03-05T07:08:09.7");
    EXPECT_EQ(FormatImportStamp(seconds * 1000 + 250), "2016-03-05T07:08:09.250");
    EXPECT_EQ(FormatImportStamp(seconds * 1000), "2016-03-05T07:08:09.0");
}

namespace
{
// "YYYY-MM-DDTHH:MM:SS." and the milliseconds without leading zeros.
bool IsImportStamp(const std::string& text)
{
    const std::string shape = "dddd-dd-ddTdd:dd:dd.";
    if (text.size() <= shape.size() || text.size() > shape.size() + 3)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        char want = i < shape.size() ? shape[i] : 'd';
        bool digit = text[i] >= '0' && text[i] <= '9';
        if (want == 'd' ? !digit : text[i] != want)
            return false;
    }
    std::string millis = text.substr(shape.size());
    return millis == "0" || millis[0] != '0';
}
} // namespace

TEST_F(QifReader, AddsARecordAndNotAgainOnTheNextImport)
{
    EXPECT_EQ(Read(GroceryRecord).added, 1);
    EXPECT_EQ(Rows("SELECT AccountID, Amount, Description, PayeeName, Category, Year, Period "
                   "FROM Trans"),
              (std::vector<std::string>{"A'1|-12.34|Payee|Memo|Groceries|2016|1"}));
    EXPECT_EQ(PostDates(), (std::vector<std::int64_t>{LocalTime(2016, 1, 15)}));
    std::string fitid = Value("SELECT FITID FROM Trans");
    EXPECT_TRUE(IsImportStamp(fitid)) << fitid;
    EXPECT_EQ(Count("Budget WHERE Category = 'Groceries' AND Year = 2016 AND Period = 1"), 1);

    ImportResult second = Read(GroceryRecord);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.duplicates, 1);
    EXPECT_EQ(Count("Trans"), 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(QifReader, AlwaysAsksForTheAccountAndCancellingReadsNothing)
{
    chooser.Cancel();
    EXPECT_FALSE(ReadQifFile(Context(), WriteFile("s.qif", GroceryRecord)).accountResolved);
    EXPECT_EQ(Count("Trans") + Count("Budget"), 0);
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_FALSE(chooser.requests[0].supplied);
    EXPECT_EQ(chooser.requests[0].accountId, "");
    Read(GroceryRecord);
    EXPECT_EQ(chooser.requests.size(), 2u);
    EXPECT_EQ(Rows("SELECT AccountID, Description FROM Account"),
              (std::vector<std::string>{"A'1|Checking"}));
}

TEST_F(QifReader, StoresFieldsByTheirRules)
{
    const struct
    {
        std::string file;
        const char* fields;
        std::vector<std::string> rows;
    } cases[] = {
        {"!Type:Cash\nD2/1/16\nT3\n^\n",
         "Description, Category, CheckID, PayeeName",
         {"(Blank)|(none)||"}},
        {"!Type:Bank\nD1/1/16\nT1\nN0\n^\nD1/1/16\nT2\nN000\n^\nD1/1/16\nT3\nNEFT\n^\n"
         "D1/1/16\nT4\nN0012\n^\nD1/1/16\nT5\nN77\nN-0\n^\n",
         "CheckID",
         {"", "", "EFT", "0012", "77"}},
        {"!Type:Bank\nD1/1/16\nT7\n^\nD1/1/16\n^\n", "Amount", {"7", "0"}},
        {"!Type:Bank\nD1/1/16\nT1\nP  " + std::string(60, 'p') + "\nM  memo  \n^\n",
         "Description, PayeeName",
         {std::string(50, 'p') + "|memo"}},
        {"!Type:Bank\nD1/1/16\nT-30\nLFood\nSFood:Meat\nEsteak\n$-20\nSFood:Veg\n$-10\n"
         "U-30\nCX\nAStreet\n^\n",
         "Amount, Category",
         {"-30|Food"}},
        {"!Type:Bank\r\nD1/2/16\r\nT1\r\n^\r\nD1/3/16\rT2\r^\r",
         "Amount, Year, Period",
         {"1|2016|1", "2|2016|1"}},
        {"D1/1/16\nT1\n^\n!Type:Bank\nD1/2/16\nT2\n^\n", "Amount", {"2"}},
        {"!Type:Cat\nNAuto:Fuel\n^\n!Type:CCard\nD1/1/16\nT-5\nLAuto:Fuel\n^\n!Account\n"
         "NChecking\nTBank\n^\n!Type:Memorized\nD1/2/16\nT-6\n^\n",
         "Amount, Category",
         {"-5|Auto:Fuel"}},
        {"!Type:Bank \nNAuto:Oil\nD1/1/16\nT-5\n^\n", "Amount", {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.file);
        Db().Execute("DELETE FROM Trans");
        Read(c.file);
        EXPECT_EQ(Stored(c.fields), c.rows);
        EXPECT_TRUE(ui.messages.empty());
    }
    EXPECT_EQ(Count("Budget WHERE Category = '(none)' AND CategoryGroup = '(none)' AND Period = 2"),
              1);
    EXPECT_EQ(Count("Budget WHERE Category = 'Oil' AND CategoryGroup = 'Auto'"), 1);
}

TEST_F(QifReader, ReadsDatesByTheirRules)
{
    const std::int64_t march4 = LocalTime(2016, 3, 4);
    const struct
    {
        const char* file;
        std::vector<std::int64_t> dates;
        std::string message;
    } cases[] = {
        // A record without a D line takes the date before it; before any, it is skipped whole.
        {"!Type:Bank\nT1\nPFirst\n^\nD3/4/2016\nT2\n^\nT3\n^\n",
         {march4, march4},
         SkippedHead + "\nT1\nPFirst"},
        // A D line that cannot be read skips its record, and the undated ones after it.
        {"!Type:Bank\nD3/4/2016\nT1\n^\nDnot a date\nT2\n^\nD1/1/1899\nT3\n^\nT4\n^\n"
         "D3/4/16\nT5\n^\n",
         {march4, march4},
         SkippedHead + "\nDnot a date\nD1/1/1899\nT4"},
        {"!Type:Bank\nD3/4/2016 10:30\nT1\n^\n", {LocalTime(2016, 3, 4, 10, 30)}, ""},
        {"!Type:Bank\nD12/31/1969\nT1\n^\nD1/1/1970\nT2\n^\n",
         {LocalTime(1970, 1, 1)},
         SkippedHead + "\nD12/31/1969"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.file);
        Db().Execute("DELETE FROM Trans");
        ui.messages.clear();
        Read(c.file);
        EXPECT_EQ(PostDates(), c.dates);
        ASSERT_EQ(ui.messages.size(), c.message.empty() ? 0u : 1u);
        if (!c.message.empty())
        {
            EXPECT_EQ(ui.messages[0].text, c.message);
            EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Exclamation);
        }
    }
}

TEST_F(QifReader, ReadsDatesInTheOrderTheFileShowsElseInTheLocales)
{
    const char* const locales[] = {"C", "en_US.UTF-8", "de_DE.UTF-8"};
    for (const char* name : locales)
        if (!LocaleEnv(name).Ok())
            GTEST_SKIP() << "locale " << name << " is not installed";
    // A UK bank's file: 29/12 shows day first.
    const std::string uk = "!Type:Bank\nD01/06/2010\nT-10\n^\nD05/07/2010\nT-20\n^\n"
                           "D29/12/2010\nT-30\n^\n";
    // Quicken's own: 2/14 and the year after "'" show month first.
    const std::string us = "!Type:CCard\nD2/10'2020\nT-1\n^\nD2/14'2020\nT-2\n^\n"
                           "D 1/ 5'16\nT-3\n^\n";
    const std::string apostropheOnly = "!Type:Bank\nD3/4'16\nT-4\n^\n";
    const std::string undecided = "!Type:Bank\nD01/02/2020\nT5\n^\nD03/04/2020\nT6\n^\n";
    const std::string contradicting =
        "!Type:Bank\nD13/01/2020\nT1\n^\nD01/13/2020\nT2\n^\nD02/03/2020\nT3\n^\n";
    const std::string skipped = "Invalid data was found while importing. The following "
                                "lines were skipped:";
    const std::vector<std::int64_t> ukDates = {LocalTime(2010, 6, 1), LocalTime(2010, 7, 5),
                                               LocalTime(2010, 12, 29)};
    const std::vector<std::int64_t> usDates = {LocalTime(2020, 2, 10), LocalTime(2020, 2, 14),
                                               LocalTime(2016, 1, 5)};
    const struct
    {
        const char* locale;
        const std::string& file;
        std::vector<std::int64_t> dates;
        std::string message;
    } cases[] = {
        {"C", uk, ukDates, ""},
        {"en_US.UTF-8", uk, ukDates, ""},
        {"de_DE.UTF-8", uk, ukDates, ""},
        {"C", us, usDates, ""},
        {"en_US.UTF-8", us, usDates, ""},
        {"de_DE.UTF-8", us, usDates, ""},
        {"de_DE.UTF-8", apostropheOnly, {LocalTime(2016, 3, 4)}, ""},
        {"C", undecided, {LocalTime(2020, 1, 2), LocalTime(2020, 3, 4)}, ""},
        {"en_US.UTF-8", undecided, {LocalTime(2020, 1, 2), LocalTime(2020, 3, 4)}, ""},
        {"de_DE.UTF-8", undecided, {LocalTime(2020, 2, 1), LocalTime(2020, 4, 3)}, ""},
        {"C",
         contradicting,
         {LocalTime(2020, 1, 13), LocalTime(2020, 2, 3)},
         skipped + "\nD13/01/2020"},
        {"en_US.UTF-8",
         contradicting,
         {LocalTime(2020, 1, 13), LocalTime(2020, 2, 3)},
         skipped + "\nD13/01/2020"},
        {"de_DE.UTF-8",
         contradicting,
         {LocalTime(2020, 1, 13), LocalTime(2020, 3, 2)},
         skipped + "\nD01/13/2020"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.locale) + "\n" + c.file);
        LocaleEnv locale(c.locale);
        Db().Execute("DELETE FROM Trans");
        ui.messages.clear();
        EXPECT_EQ(Read(c.file).added, static_cast<int>(c.dates.size()));
        EXPECT_EQ(PostDates(), c.dates);
        ImportResult again = Read(c.file);
        EXPECT_EQ(again.added, 0);
        EXPECT_EQ(again.duplicates, static_cast<int>(c.dates.size()));
        EXPECT_EQ(PostDates(), c.dates);
        // Each import lists the unreadable lines again.
        std::vector<std::string> messages;
        for (const RecordingUi::Message& m : ui.messages)
            messages.push_back(m.text);
        std::vector<std::string> expected;
        if (!c.message.empty())
            expected = {c.message, c.message};
        EXPECT_EQ(messages, expected);
    }
}

TEST_F(QifReader, PassesOverMemorizedPayeesUntilTheNextHeader)
{
    const struct
    {
        const char* file;
        std::vector<std::int64_t> dates;
        int rentLines; ///< budget lines of the category Rent
    } cases[] = {
        {"!Type:Memorized\nKC\nPRent\nT-900\nLHome:Rent\n^\nKD\nPSalary\nT2000\n^\n", {}, 0},
        // Its D line would be unreadable month first, and would show day first.
        {"!Type:Bank\nD1/5/16\nT-1\n^\n!Type:Memorized\nKP\nPRent\nD25/12/2015\nT-9\n"
         "LHome:Rent\n^\n!Type:Bank\nD1/6/16\nT-2\n^\n",
         {LocalTime(2016, 1, 5), LocalTime(2016, 1, 6)},
         0},
        {"!Type:Memorized\nPRent\nT-900\nLHome:Rent\n^\n!Type:Cat\nNHome:Rent\nB900\n^\n", {}, 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.file);
        Db().Execute("DELETE FROM Trans");
        Db().Execute("DELETE FROM Budget");
        EXPECT_EQ(Read(c.file).added, static_cast<int>(c.dates.size()));
        EXPECT_EQ(PostDates(), c.dates);
        EXPECT_EQ(Count("Budget WHERE Category IN ('Rent', 'Home:Rent')"), c.rentLines);
        EXPECT_TRUE(ui.messages.empty());
    }
}

TEST_F(QifReader, ACategoryListAddsBudgetLinesToTheSelectedMonth)
{
    Db().Execute("INSERT INTO Budget (Year, Period, Category, CategoryGroup, Amount) VALUES "
                 "(2016, 5, 'Rent', 'Home', 900)");
    ImportResult result = Read("!Type:Cat\nNAuto:Fuel\nB100\nB50\n^\nNFuel\nB10\n^\n"
                               "NAuto:Parts:Extra\n^\nNHome:Rent\nB5\n^\nNAuto:Tax\nBabc\n^\n");
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(
        Rows("SELECT CategoryGroup, Category, Amount FROM Budget WHERE Year = 2016 AND "
             "Period = 5 ORDER BY Category"),
        (std::vector<std::string>{"|(none)|10", "Auto|Fuel|150", "Auto|Parts|0", "Home|Rent|900"}));
    EXPECT_EQ(Count("Trans"), 0);
    // A B line that cannot be read leaves its record out and is listed.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, SkippedHead + "\nBabc");
}

TEST_F(QifReader, FindsDuplicatesByAccountDateAmountMemoAndCheckNumber)
{
    AddAccount("B", "Other");
    for (const char* row : {
             "('A''1', #1/5/2016#, -5, 'memo', '101', 'F', 1)",
             "('A''1', #1/5/2016#, -5, 'MEMO', NULL, 'F', 2)",
             "('A''1', #1/6/2016#, 12.5, 'it''s', '', 'F', 3)",
             "('A''1', #1/7/2016#, 0, '', NULL, NULL, 4)", // typed: no FITID
             "('a''1', #1/8/2016#, 1, 'case', NULL, 'F', 5)",
             "('B', #1/9/2016#, 2, 'other', NULL, 'F', 6)",
             "('A''1', #1/10/2016 08:00:00#, 3, 'timed', NULL, 'F', 7)",
             "('A''1', #1/11/2016#, NULL, 'null amount', NULL, 'F', 8)",
             "('A''1', #1/12/2016#, -6, NULL, NULL, 'F', 9)",
         })
        Db().Execute("INSERT INTO Trans (AccountID, PostDate, Amount, PayeeName, CheckID, FITID, "
                     "Sequence) VALUES " +
                     std::string(row));
    const struct
    {
        const char* date;
        const char* amount;
        const char* memo;
        const char* check;
        bool duplicate;
    } probes[] = {
        {"1/5/16", "-5", "memo", "101", true},
        {"1/5/16", "-5", "memo", "", true},
        {"1/5/16", "-5", "memo", "102", false},
        {"1/5/16", "-5", "Memo", "101", true},
        {"1/5/16", "-5.0", "MEMO", "", true},
        {"1/6/16", "12.50", "it's", "", true},
        {"1/6/16", "12.5", "it's", "0", true},
        {"1/6/16", "12.5", "IT'S", "x", false},
        {"1/7/16", "0", "", "", false},
        {"1/8/16", "1", "case", "", true},
        {"1/9/16", "2", "other", "", false},
        {"1/10/16", "3", "timed", "", false},
        {"1/10/16 08:00", "3", "timed", "", false},
        {"1/11/16", "0", "null amount", "", false},
        {"1/5/16", "-5", "memo ", "", false},
        {"1/6/16", "-5", "memo", "", false},
        {"1/5/16", "-5.01", "memo", "", false},
        {"1/5/16", "-5", "memorandum", "", false},
        {"1/12/16", "-6", "", "", false},
        {"1/5/16", "-5", "memo", "102", false}, // the same record twice in one file
    };
    std::string file = "!Type:Bank\n";
    std::vector<std::string> expectedAdded;
    for (const auto& p : probes)
    {
        file += std::string("D") + p.date + "\nT" + p.amount + "\nM" + p.memo + "\n" +
                (*p.check ? std::string("N") + p.check + "\n" : "") + "^\n";
        std::string stored = p.memo;
        if (!p.duplicate)
            expectedAdded.push_back(stored.erase(stored.find_last_not_of(' ') + 1));
    }
    ImportResult result = Read(file);
    EXPECT_EQ(result.duplicates, static_cast<int>(std::size(probes) - expectedAdded.size()));
    EXPECT_EQ(Rows("SELECT PayeeName FROM Trans WHERE Sequence > 9 ORDER BY Sequence"),
              expectedAdded);
}

TEST_F(QifReader, FindsDuplicatesUnderACommaLocale)
{
    ScopedLocale german("de_DE.UTF-8");
    if (!german.Ok())
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    std::string file = "!Type:Bank\nD15.01.2016\nT-12,34\nMCafe\n^\n";
    EXPECT_EQ(Read(file).added, 1);
    ImportResult again = Read(file);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.duplicates, 1);
    EXPECT_TRUE(ui.messages.empty());
    Recordset rs = Db().Execute("SELECT Amount, PostDate FROM Trans");
    EXPECT_EQ(rs.GetCurrency("Amount"), Currency::FromUnits(-123400));
    EXPECT_EQ(rs.GetTime("PostDate"), LocalTime(2016, 1, 15));
}

TEST_F(QifReader, MissingBinaryAndNulByteFilesChangeNothingTheyCannotRead)
{
    chooser.Map("Checking");
    ImportResult missing = ReadQifFile(Context(), "/no/such/file.qif");
    EXPECT_TRUE(missing.accountResolved);
    EXPECT_EQ(missing.added, 0);
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 37) % 256);
    Read(binary);
    const char withNul[] = "!Type:Bank\nD1/1/16\nT1\nMa\0b\n^\n";
    Read(std::string(withNul, sizeof withNul - 1));
    EXPECT_EQ(Count("Trans"), 1);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(IntegrityCheck(), "ok");
}
