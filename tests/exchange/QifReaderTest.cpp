#include "exchange/QifReader.h"

#include "data/DateTime.h"
#include "data/RecordHelpers.h"
#include "exchange/ImportFixture.h"
#include "exchange/ImportSupport.h"

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
    QifReader() { AddAccount("1001", "Checking"); }

    /// Reads a QIF file into the account described Checking.
    ImportResult Read(const std::string& content)
    {
        chooser.Map("Checking");
        return ReadQifFile(Context(), WriteFile("statement.qif", content));
    }

    std::vector<std::string> Stored(const std::string& fields)
    {
        return Rows("SELECT " + fields + " FROM Trans ORDER BY Sequence");
    }
};

// "YYYY-MM-DDTHH:MM:SS." and the milliseconds without leading zeros.
bool IsImportStamp(const std::string& text)
{
    const std::string shape = "dddd-dd-ddTdd:dd:dd.";
    if (text.size() <= shape.size() || text.size() > shape.size() + 3)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        char expected = i < shape.size() ? shape[i] : 'd';
        bool digit = text[i] >= '0' && text[i] <= '9';
        if (expected == 'd' ? !digit : text[i] != expected)
            return false;
    }
    return text[shape.size()] != '0' || text.size() == shape.size() + 1;
}

const char* const GroceryRecord = "!Type:Bank\nD1/15'16\nT-12.34\nPPayee\nMMemo\nLGroceries\n^\n";
} // namespace

TEST(QifStamp, WritesLocalDateTimeAndMillisecondsWithoutLeadingZeros)
{
    std::int64_t seconds = LocalTime(2016, 3, 5, 7, 8) + 9;
    EXPECT_EQ(FormatImportStamp(seconds * 1000 + 7), "2016-03-05T07:08:09.7");
    EXPECT_EQ(FormatImportStamp(seconds * 1000 + 250), "2016-03-05T07:08:09.250");
    EXPECT_EQ(FormatImportStamp(seconds * 1000), "2016-03-05T07:08:09.0");
    EXPECT_TRUE(IsImportStamp("2016-03-05T07:08:09.0"));
    EXPECT_FALSE(IsImportStamp("2016-03-05T07:08:09.07"));
    EXPECT_FALSE(IsImportStamp("2016-03-05 07:08:09.7"));
}

TEST_F(QifReader, AddsARecordAndNotAgainOnTheNextImport)
{
    ImportResult first = Read(GroceryRecord);
    EXPECT_EQ(first.added, 1);
    Recordset rs = Db().Execute("SELECT AccountID, PostDate, Amount, Description, PayeeName, "
                                "Category, Year, Period, FITID FROM Trans");
    EXPECT_EQ(rs.GetText("AccountID"), "1001");
    EXPECT_EQ(rs.GetTime("PostDate"), LocalTime(2016, 1, 15));
    EXPECT_EQ(rs.GetCurrency("Amount"), Currency::FromUnits(-123400));
    EXPECT_EQ(rs.GetText("Description"), "Payee");
    EXPECT_EQ(rs.GetText("PayeeName"), "Memo");
    EXPECT_EQ(rs.GetText("Category"), "Groceries");
    EXPECT_EQ(rs.GetLong("Year"), 2016);
    EXPECT_EQ(rs.GetLong("Period"), 1);
    EXPECT_TRUE(IsImportStamp(rs.GetText("FITID"))) << rs.GetText("FITID");
    EXPECT_EQ(Count("Budget WHERE Category = 'Groceries' AND Year = 2016 AND Period = 1"), 1);

    ImportResult second = Read(GroceryRecord);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.duplicates, 1);
    EXPECT_EQ(Count("Trans"), 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(QifReader, AlwaysAsksForTheAccountWithoutANumber)
{
    Read(GroceryRecord);
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_FALSE(chooser.requests[0].supplied);
    EXPECT_EQ(chooser.requests[0].accountId, "");
    EXPECT_EQ(Rows("SELECT AccountID, Description FROM Account"),
              (std::vector<std::string>{"1001|Checking"}));
}

TEST_F(QifReader, CancellingTheAccountReadsNothing)
{
    chooser.Cancel();
    ImportResult result = ReadQifFile(Context(), WriteFile("s.qif", GroceryRecord));
    EXPECT_FALSE(result.accountResolved);
    EXPECT_EQ(Count("Trans"), 0);
    EXPECT_EQ(Count("Budget"), 0);
}

TEST_F(QifReader, StoresTwoIdenticalRecordsOfOneFile)
{
    std::string twice =
        std::string("!Type:Bank\n") + "D1/15/16\nT-5\nMSame\n^\n" + "D1/15/16\nT-5\nMSame\n^\n";
    EXPECT_EQ(Read(twice).added, 2);
    ImportResult again = Read(twice);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.duplicates, 2);
}

TEST_F(QifReader, FillsDescriptionAndCategoryWhenMissing)
{
    Read("!Type:Cash\nD2/1/16\nT3\n^\n");
    EXPECT_EQ(Stored("Description, Category, CheckID, PayeeName"),
              (std::vector<std::string>{"(Blank)|(none)||"}));
    EXPECT_EQ(Count("Budget WHERE Category = '(none)' AND CategoryGroup = '(none)'"), 1);
}

TEST_F(QifReader, ARecordWithoutDateTakesTheDateBeforeIt)
{
    Read("!Type:Bank\nT1\nPFirst\n^\nD3/4/2016\nT2\n^\nT3\n^\n");
    Recordset rs = Db().Execute("SELECT PostDate FROM Trans ORDER BY Sequence");
    EXPECT_EQ(rs.GetTime("PostDate"), 0);
    rs.MoveNext();
    EXPECT_EQ(rs.GetTime("PostDate"), LocalTime(2016, 3, 4));
    rs.MoveNext();
    EXPECT_EQ(rs.GetTime("PostDate"), LocalTime(2016, 3, 4));
}

TEST_F(QifReader, UnreadableDatesAndYearsBefore1900GiveTimeZero)
{
    Read("!Type:Bank\nD3/4/2016\nT1\n^\nDnot a date\nT2\n^\nD1/1/1899\nT3\n^\n");
    EXPECT_EQ(Rows("SELECT Amount FROM Trans WHERE PostDate = #3/4/2016#"),
              (std::vector<std::string>{"1"}));
    Recordset rs = Db().Execute("SELECT PostDate FROM Trans WHERE Amount <> 1");
    EXPECT_EQ(rs.GetTime("PostDate"), 0);
    rs.MoveNext();
    EXPECT_EQ(rs.GetTime("PostDate"), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(QifReader, KeepsTheTimeOfDayWritten)
{
    Read("!Type:Bank\nD3/4/2016 10:30\nT1\n^\n");
    Recordset rs = Db().Execute("SELECT PostDate FROM Trans");
    EXPECT_EQ(rs.GetTime("PostDate"), LocalTime(2016, 3, 4, 10, 30));
}

TEST_F(QifReader, ZeroCheckNumbersAreNoCheckNumbers)
{
    Read("!Type:Bank\nD1/1/16\nT1\nN0\n^\nD1/1/16\nT2\nN000\n^\nD1/1/16\nT3\nNEFT\n^\n"
         "D1/1/16\nT4\nN0012\n^\nD1/1/16\nT5\nN77\nN-0\n^\n");
    EXPECT_EQ(Stored("CheckID"), (std::vector<std::string>{"", "", "EFT", "0012", "77"}));
}

TEST_F(QifReader, AmountsThatAreNoNumbersAreIgnored)
{
    Read("!Type:Bank\nD1/1/16\nT7\nTabc\n^\nD1/1/16\nT\n^\n");
    EXPECT_EQ(Stored("Amount"), (std::vector<std::string>{"7", "0"}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(QifReader, PayeesAreCutToFiftyCharacters)
{
    Read("!Type:Bank\nD1/1/16\nT1\nP  " + std::string(60, 'p') + "\nM  memo  \n^\n");
    EXPECT_EQ(Stored("Description, PayeeName"),
              (std::vector<std::string>{std::string(50, 'p') + "|memo"}));
}

TEST_F(QifReader, SplitAndOtherFieldsHaveNoEffect)
{
    Read("!Type:Bank\nD1/1/16\nT-30\nLFood\nSFood:Meat\nEsteak\n$-20\nSFood:Veg\n$-10\n"
         "U-30\nCX\nAStreet\n^\n");
    EXPECT_EQ(Stored("Amount, Category"), (std::vector<std::string>{"-30|Food"}));
}

TEST_F(QifReader, ReadsLinesEndedByCrLfOrCrAlone)
{
    Read("!Type:Bank\r\nD1/2/16\r\nT1\r\n^\r\nD1/3/16\rT2\r^\r");
    EXPECT_EQ(Stored("Amount, Year, Period"), (std::vector<std::string>{"1|2016|1", "2|2016|1"}));
}

TEST_F(QifReader, FieldsBeforeTheFirstHeaderAreIgnored)
{
    Read("D1/1/16\nT1\n^\n!Type:Bank\nD1/2/16\nT2\n^\n");
    EXPECT_EQ(Stored("Amount"), (std::vector<std::string>{"2"}));
}

TEST_F(QifReader, DatesBefore1970AreListedAsSkippedLines)
{
    ImportResult result = Read("!Type:Bank\nD12/31/1969\nT1\n^\nD1/1/1970\nT2\n^\n");
    EXPECT_EQ(result.added, 2);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Invalid data was found while importing. The following "
                                   "lines were skipped:\nD12/31/1969");
    EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Exclamation);
    // The record keeps the date it held: time 0 before any good D line.
    Recordset rs = Db().Execute("SELECT PostDate FROM Trans ORDER BY Sequence");
    EXPECT_EQ(rs.GetTime("PostDate"), 0);
}

TEST_F(QifReader, ACategoryListAddsBudgetLinesToTheSelectedMonth)
{
    Db().Execute("INSERT INTO Budget (Year, Period, Category, CategoryGroup, Amount) VALUES "
                 "(2016, 5, 'Rent', 'Home', 900)");
    ImportResult result = Read("!Type:Cat\nNAuto:Fuel\nB100\nB50\n^\nNFuel\nB10\n^\n"
                               "NAuto:Parts:Extra\n^\nNHome:Rent\nB5\n^\nNAuto:Tax\nBabc\n^\n");
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(Rows("SELECT CategoryGroup, Category, Amount FROM Budget WHERE Year = 2016 AND "
                   "Period = 5 ORDER BY Category"),
              (std::vector<std::string>{"|(none)|10", "Auto|Fuel|150", "Auto|Parts|0",
                                        "Home|Rent|900", "Auto|Tax|0"}));
    EXPECT_EQ(Count("Trans"), 0);
}

TEST_F(QifReader, AHeaderWithATrailingBlankStartsACategoryList)
{
    Read("!Type:Bank \nNAuto:Fuel\nD1/1/16\nT-5\n^\n");
    EXPECT_EQ(Count("Trans"), 0);
    EXPECT_EQ(Count("Budget WHERE Category = 'Fuel' AND CategoryGroup = 'Auto'"), 1);
}

TEST_F(QifReader, SwitchesModeAtEveryHeader)
{
    Read("!Type:Cat\nNAuto:Fuel\n^\n!Type:CCard\nD1/1/16\nT-5\nLAuto:Fuel\n^\n!Account\n"
         "NChecking\nTBank\n^\n!Type:Memorized\nD1/2/16\nT-6\n^\n");
    EXPECT_EQ(Stored("Amount, Category"), (std::vector<std::string>{"-5|Auto:Fuel", "-6|(none)"}));
}

TEST_F(QifReader, ADuplicateMatchesDateAmountMemoAndCheckNumber)
{
    Read("!Type:Bank\nD1/5/16\nT-5\nMGas\nN101\n^\n");
    ImportResult result = Read("!Type:Bank\n"
                               "D1/5/16\nT-5\nMGAS\nN101\n^\n"  // memo in other case: the same
                               "D1/5/16\nT-5\nMGas\n^\n"        // no check number: the same
                               "D1/5/16\nT-5\nMGas\nN102\n^\n"  // other check number
                               "D1/6/16\nT-5\nMGas\nN101\n^\n"  // other day
                               "D1/5/16\nT-5.01\nMGas\n^\n"     // other amount
                               "D1/5/16\nT-5\nMGas \n^\n"       // memo with a trailing blank
                               "D1/5/16\nT-5\nMGasoline\n^\n"); // other memo
    EXPECT_EQ(result.duplicates, 2);
    EXPECT_EQ(result.added, 5);
}

TEST_F(QifReader, RowsTypedWithoutFitidNotesOrWithATimeAreNoDuplicates)
{
    Db().Execute("INSERT INTO Trans (AccountID, PostDate, Amount, PayeeName, Sequence) VALUES "
                 "('1001', #1/5/2016#, -5, 'Typed', 1)");
    Db().Execute("INSERT INTO Trans (AccountID, PostDate, Amount, FITID, Sequence) VALUES "
                 "('1001', #1/5/2016#, -6, 'X', 2)");
    Db().Execute("INSERT INTO Trans (AccountID, PostDate, Amount, PayeeName, FITID, Sequence) "
                 "VALUES ('1001', #1/5/2016 10:00:00#, -7, 'Timed', 'X', 3)");
    Db().Execute("INSERT INTO Trans (AccountID, PostDate, Amount, PayeeName, FITID, Sequence) "
                 "VALUES ('1001', #1/5/2016#, -8, 'Kept', 'X', 4)");
    ImportResult result = Read("!Type:Bank\nD1/5/16\nT-5\nMTyped\n^\nD1/5/16\nT-6\n^\n"
                               "D1/5/16\nT-7\nMTimed\n^\nD1/5/16\nT-8\nMKept\n^\n");
    EXPECT_EQ(result.added, 3);
    EXPECT_EQ(result.duplicates, 1);
}

TEST_F(QifReader, AgreesWithTheDuplicateQueryOfTheStore)
{
    // Rows of every shape the search must tell apart, checked against the query a
    // record's duplicate search stands for.
    Db().Execute("DELETE FROM Account");
    AddAccount("A'1", "Checking");
    AddAccount("B", "Other");
    const char* const stored[] = {
        "('A''1', #1/5/2016#, -5, 'memo', '101', 'F', 1)",
        "('A''1', #1/5/2016#, -5, 'MEMO', NULL, 'F', 2)",
        "('A''1', #1/6/2016#, 12.5, 'it''s', '', 'F', 3)",
        "('A''1', #1/7/2016#, 0, '', NULL, NULL, 4)",
        "('a''1', #1/8/2016#, 1, 'case', NULL, 'F', 5)",
        "('B', #1/9/2016#, 2, 'other', NULL, 'F', 6)",
        "('A''1', #1/10/2016 08:00:00#, 3, 'timed', NULL, 'F', 7)",
        "('A''1', #1/11/2016#, NULL, 'null amount', NULL, 'F', 8)",
    };
    for (const char* row : stored)
        Db().Execute("INSERT INTO Trans (AccountID, PostDate, Amount, PayeeName, CheckID, FITID, "
                     "Sequence) VALUES " +
                     std::string(row));
    struct Probe
    {
        const char* date;
        const char* amount;
        const char* memo;
        const char* check;
    };
    const Probe probes[] = {
        {"1/5/16", "-5", "memo", "101"},
        {"1/5/16", "-5", "memo", ""},
        {"1/5/16", "-5", "memo", "102"},
        {"1/5/16", "-5", "Memo", "101"},
        {"1/5/16", "-5.0", "MEMO", ""},
        {"1/6/16", "12.50", "it's", ""},
        {"1/6/16", "12.5", "it's", "0"},
        {"1/6/16", "12.5", "IT'S", "x"},
        {"1/7/16", "0", "", ""},
        {"1/7/16", "", "", ""},
        {"1/8/16", "1", "case", ""},
        {"1/9/16", "2", "other", ""},
        {"1/10/16", "3", "timed", ""},
        {"1/10/16 08:00", "3", "timed", ""},
        {"1/11/16", "0", "null amount", ""},
        {"1/5/16", "-5", "memo ", ""},
    };
    std::string file = "!Type:Bank\n";
    std::vector<bool> expected;
    for (const Probe& p : probes)
    {
        std::string check = IsZeroNumber(p.check) ? "" : p.check;
        std::int64_t date = LocalTime(2016, 1, std::stoi(std::string(p.date).substr(2)));
        char day[16];
        DateTime local = ToLocalCalendar(date);
        std::snprintf(day, sizeof day, "%04d-%02d-%02d", local.year, local.month, local.day);
        std::string amount = *p.amount ? p.amount : "0";
        std::string sql = "SELECT AccountID FROM Trans WHERE AccountID = 'A''1' AND PostDate = #" +
                          std::string(day) + "# AND Amount = " + amount +
                          (check.empty() ? "" : " AND CheckID = '" + SqlEscape(check) + "'") +
                          " AND PayeeName = '" + SqlEscape(p.memo) + "' AND FITID <> 'stamp'";
        expected.push_back(Value(sql) != "<no row>");
        file += std::string("D") + p.date + "\nT" + p.amount + "\nM" + p.memo + "\n";
        if (*p.check)
            file += std::string("N") + p.check + "\n";
        file += "^\n";
    }
    chooser.Map("Checking");
    ImportResult result = ReadQifFile(Context(), WriteFile("probe.qif", file));
    int duplicates = 0;
    for (bool d : expected)
        duplicates += d;
    EXPECT_EQ(result.duplicates, duplicates);
    EXPECT_GE(duplicates, 5);
    EXPECT_EQ(result.added + result.duplicates, static_cast<int>(std::size(probes)));
    // Which records were added tells which were found.
    std::vector<std::string> added = Rows("SELECT PayeeName FROM Trans WHERE Sequence > 8 "
                                          "ORDER BY Sequence");
    std::size_t next = 0;
    for (std::size_t i = 0; i < std::size(probes); ++i)
    {
        SCOPED_TRACE(i);
        if (expected[i])
            continue;
        ASSERT_LT(next, added.size());
        EXPECT_EQ(added[next++], TrimToLength(probes[i].memo, 255));
    }
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

TEST_F(QifReader, AFileThatCannotBeOpenedImportsNothing)
{
    chooser.Map("Checking");
    ImportResult result = ReadQifFile(Context(), "/no/such/file.qif");
    EXPECT_TRUE(result.accountResolved);
    EXPECT_EQ(result.added, 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(QifReader, ABinaryFileWithNulBytesChangesNothingItCannotRead)
{
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 37) % 256);
    Read(binary);
    const char withNul[] = "!Type:Bank\nD1/1/16\nT1\nMa\0b\n^\n";
    Read(std::string(withNul, sizeof withNul - 1));
    EXPECT_EQ(Count("Trans"), 1);
    EXPECT_EQ(IntegrityCheck(), "ok");
}
