#include "exchange/ExportOfx.h"

#include "exchange/ExportStatement.h"
#include "support/RegionEnv.h"
#include "support/TransTestDatabase.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace
{
std::string Header(const std::string& encoding, const std::string& charset)
{
    return "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\nENCODING:" + encoding +
           "\r\nCHARSET:" + charset +
           "\r\nCOMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n";
}

/// The text between a tag and the next "<", for every occurrence, in order.
std::vector<std::string> Values(const std::string& text, const std::string& tag)
{
    std::vector<std::string> values;
    for (std::size_t at = text.find(tag); at != std::string::npos; at = text.find(tag, at + 1))
    {
        std::size_t start = at + tag.size();
        values.push_back(text.substr(start, text.find('<', start) - start));
    }
    return values;
}

class ExportOfxTest : public TransTestDatabase
{
protected:
    /// Exports account A1 at noon on 3 May 2016 and returns the file's bytes.
    std::string Export(const std::string& account = "A1")
    {
        std::string path = PathOf("out.ofx");
        ExportResult result = ExportOfx(Db(), account, path, At(2016, 5, 3, 12));
        EXPECT_TRUE(result.Ok()) << result.error;
        return ReadBytes(path);
    }
};
} // namespace

TEST_F(ExportOfxTest, WritesTheHeaderThenTheWholeStatementOnOneLine)
{
    TimeZoneEnv eastern("EST5");
    Add({.sequence = 1,
         .amount = "-12.5",
         .description = "Corner Bakery",
         .notes = "Bread",
         .fitid = "F1"});
    Add({.sequence = 2,
         .date = "3/2/2016",
         .amount = "100",
         .description = "Salary",
         .fitid = "F2"});
    Add({.sequence = 3, .amount = "-99", .account = "B2"}); // another account's
    EXPECT_EQ(Export(),
              Header("USASCII", "1252") +
                  "<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS><DTSERVER>"
                  "20160503120000[-5]<LANGUAGE>ENG</SONRS></SIGNONMSGSRSV1><BANKMSGSRSV1>"
                  "<STMTTRNRS><TRNUID>0<STATUS><CODE>0<SEVERITY>INFO</STATUS><STMTRS><CURDEF>USD"
                  "<BANKACCTFROM><BANKID>000000000<ACCTID>A1<ACCTTYPE>CHECKING</BANKACCTFROM>"
                  "<BANKTRANLIST><DTSTART>20160302000000[-5]<DTEND>20160315000000[-5]"
                  "<STMTTRN><TRNTYPE>CREDIT<DTPOSTED>20160302000000[-5]<TRNAMT>100<FITID>F2"
                  "<NAME>Salary<MEMO></STMTTRN>"
                  "<STMTTRN><TRNTYPE>FEE<DTPOSTED>20160315000000[-5]<TRNAMT>-12.5<FITID>F1"
                  "<NAME>Corner Bakery<MEMO>Bread</STMTTRN>"
                  "</BANKTRANLIST><LEDGERBAL><BALAMT>87.5<DTASOF>20160503120000[-5]</LEDGERBAL>"
                  "</STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\r\n");
}

TEST_F(ExportOfxTest, TypesFitidsAndTheLedgerBalanceFollowTheRows)
{
    Add({.sequence = 1, .amount = "0", .description = "zero"});
    Add({.sequence = 2, .amount = "250", .description = "check", .check = "0101"});
    Add({.sequence = 3, .amount = "10.25", .description = "credit", .fitid = ""});
    Add({.sequence = 4, .amount = std::nullopt, .description = "unknown", .fitid = "F4"});
    Add({.sequence = 4, .subSequence = 2, .amount = "-3", .description = "part", .fitid = "F4"});
    Add({.sequence = 5,
         .subSequence = std::nullopt,
         .amount = "-0.0001",
         .description = "fee",
         .fitid = "F5"});
    Add({.sequence = 6,
         .amount = std::nullopt,
         .description = "open check",
         .check = "7",
         .fitid = "F6"});
    std::string text = Export();

    // Each transaction by its NAME: type, amount, FITID. A row without FITID is numbered by
    // its place in the walk, whatever FITIDs the rows before it have.
    std::vector<std::string> names = Values(text, "<NAME>");
    std::vector<std::string> types = Values(text, "<TRNTYPE>");
    std::vector<std::string> amounts = Values(text, "<TRNAMT>");
    std::vector<std::string> fitids = Values(text, "<FITID>");
    ASSERT_EQ(names.size(), 7u);
    std::map<std::string, std::string> byName;
    for (std::size_t i = 0; i < names.size(); ++i)
    {
        std::string fitid = fitids[i];
        if (fitid == "QVTB" + std::to_string(i + 1))
            fitid = "QVTB<place>";
        byName[names[i]] = types[i] + " " + amounts[i] + " " + fitid;
    }
    EXPECT_EQ(byName, (std::map<std::string, std::string>{{"zero", "FEE 0 QVTB<place>"},
                                                          {"check", "CHECK 250 QVTB<place>"},
                                                          {"credit", "CREDIT 10.25 QVTB<place>"},
                                                          {"unknown", "OTHER 0 F4"},
                                                          {"part", "FEE -3 F4-2"},
                                                          {"fee", "FEE -0.0001 F5"},
                                                          {"open check", "CHECK 0 F6"}}));
    EXPECT_EQ(Values(text, "<CHECKNUM>"), (std::vector<std::string>{"0101", "7"}));
    // Amounts without a value add nothing; the opening balance is not part of it.
    EXPECT_EQ(Values(text, "<BALAMT>"), std::vector<std::string>{"257.2499"});
}

TEST_F(ExportOfxTest, RowsAreListedAndNumberedInPostingOrder)
{
    TimeZoneEnv eastern("EST5");
    // Stored out of date order, a split's second part before its first.
    Add({.sequence = 1, .date = "5/20/2016", .description = "late"});
    Add({.sequence = 2, .subSequence = 1, .date = "5/2/2016", .description = "early part"});
    Add({.sequence = 3, .date = "5/10/2016", .description = "middle", .fitid = "F3"});
    Add({.sequence = 4, .date = "5/2/2016", .description = "early second"});
    Add({.sequence = 2, .date = "5/2/2016", .description = "early"});
    std::string text = Export();
    EXPECT_EQ(Values(text, "<NAME>"),
              (std::vector<std::string>{"early", "early part", "early second", "middle", "late"}));
    EXPECT_EQ(Values(text, "<FITID>"),
              (std::vector<std::string>{"QVTB1", "QVTB2", "QVTB3", "F3", "QVTB5"}));
    EXPECT_EQ(
        Values(text, "<DTPOSTED>"),
        (std::vector<std::string>{"20160502000000[-5]", "20160502000000[-5]", "20160502000000[-5]",
                                  "20160510000000[-5]", "20160520000000[-5]"}));
    EXPECT_EQ(Values(text, "<DTSTART>"), std::vector<std::string>{"20160502000000[-5]"});
    EXPECT_EQ(Values(text, "<DTEND>"), std::vector<std::string>{"20160520000000[-5]"});
}

TEST_F(ExportOfxTest, EveryDateCarriesTheLocalOffsetInWholeHours)
{
    Add({.sequence = 1, .date = "3/15/2016", .fitid = "F1"});
    Add({.sequence = 2, .date = "1/4/2016", .fitid = "F2"});
    Add({.sequence = 3, .date = "7/9/2016", .fitid = "F3"});
    {
        TimeZoneEnv india("Asia/Kolkata"); // +5:30 is cut to 5
        EXPECT_EQ(Values(Export(), "<DTPOSTED>")[1], "20160315000000[5]");
    }
    {
        TimeZoneEnv newfoundland("America/St_Johns"); // -2:30 in May is cut to -2
        EXPECT_EQ(Values(Export(), "<DTSERVER>").front(), "20160503120000[-2]");
    }
    {
        // One offset for the whole file, the one of the moment of the export: summer time
        // in May, though the January row was posted in winter.
        TimeZoneEnv berlin("Europe/Berlin");
        std::string text = Export();
        EXPECT_EQ(Values(text, "<DTPOSTED>").front(), "20160104000000[2]");
        EXPECT_EQ(OfxTimeZoneSuffix(At(2016, 1, 4)), "[1]");
    }
}

TEST_F(ExportOfxTest, AnEmptyAccountIdWritesAnEmptyStatement)
{
    TimeZoneEnv eastern("EST5");
    Add({.sequence = 1, .fitid = "F1"});
    std::string text = Export("");
    EXPECT_EQ(Values(text, "<ACCTID>"), std::vector<std::string>{""});
    EXPECT_EQ(text.find("<STMTTRN>"), std::string::npos);
    // The start of 1970, universal time, is the last evening of 1969 in the east of America.
    EXPECT_EQ(Values(text, "<DTSTART>"), std::vector<std::string>{"19691231190000[-5]"});
    EXPECT_EQ(Values(text, "<DTEND>"), std::vector<std::string>{"19691231190000[-5]"});
    EXPECT_EQ(Values(text, "<BALAMT>"), std::vector<std::string>{"0"});
}

TEST_F(ExportOfxTest, TextsAreEscapedAndARowWithoutDateIsDatedByItsPeriod)
{
    TimeZoneEnv eastern("EST5");
    Add({.sequence = 1,
         .date = "",
         .description = "A<B & C>D",
         .check = "1&2",
         .notes = "two\r\nlines",
         .fitid = "<F>",
         .account = "R&D"});
    std::string text = Export("R&D");
    EXPECT_EQ(Values(text, "<NAME>"), std::vector<std::string>{"A&lt;B &amp; C&gt;D"});
    EXPECT_EQ(Values(text, "<MEMO>"), std::vector<std::string>{"two  lines"});
    EXPECT_EQ(Values(text, "<FITID>"), std::vector<std::string>{"&lt;F&gt;"});
    EXPECT_EQ(Values(text, "<CHECKNUM>"), std::vector<std::string>{"1&amp;2"});
    EXPECT_EQ(Values(text, "<ACCTID>"), std::vector<std::string>{"R&amp;D"});
    EXPECT_EQ(Values(text, "<DTPOSTED>"), std::vector<std::string>{"20160301000000[-5]"});
}

TEST_F(ExportOfxTest, TheHeaderNamesTheCharacterSetTheTextIsWrittenIn)
{
    // Western European text, the euro sign included, fits CP1252.
    Add({.sequence = 1, .description = "Caf\xC3\xA9 \xE2\x82\xAC 5", .fitid = "F1"});
    std::string text = Export();
    EXPECT_TRUE(text.starts_with(Header("USASCII", "1252")));
    EXPECT_EQ(Values(text, "<NAME>"), std::vector<std::string>{"Caf\xE9 \x80 5"});

    // Cyrillic does not: the whole file is UTF-8 and says so.
    Add({.sequence = 2, .description = "\xD0\x9C\xD0\xB8\xD1\x80", .fitid = "F2"});
    text = Export();
    EXPECT_TRUE(text.starts_with(Header("UTF-8", "NONE")));
    EXPECT_EQ(Values(text, "<NAME>"),
              (std::vector<std::string>{"Caf\xC3\xA9 \xE2\x82\xAC 5", "\xD0\x9C\xD0\xB8\xD1\x80"}));

    // A statement whose CP1252 bytes would read as other UTF-8 text ("Ã©" is C3 A9, "é" in
    // UTF-8) is written as UTF-8, so that no reader can take it for something else.
    Db().Execute("DELETE FROM Trans");
    Add({.sequence = 3, .description = "\xC3\x83\xC2\xA9", .fitid = "F3"});
    text = Export();
    EXPECT_TRUE(text.starts_with(Header("UTF-8", "NONE")));
    EXPECT_EQ(Values(text, "<NAME>"), std::vector<std::string>{"\xC3\x83\xC2\xA9"});
}

TEST_F(ExportOfxTest, AmountsAreWrittenWithAPointInEveryLocale)
{
    Add({.sequence = 1, .amount = "-1234.5", .fitid = "F1"});
    Add({.sequence = 2, .amount = "0.25", .fitid = "F2"});
    for (const char* name : {"en_US.UTF-8", "de_DE.UTF-8"})
    {
        LocaleEnv locale(name);
        ASSERT_TRUE(locale.Ok()) << name;
        std::string text = Export();
        EXPECT_EQ(Values(text, "<TRNAMT>"), (std::vector<std::string>{"-1234.5", "0.25"})) << name;
        EXPECT_EQ(Values(text, "<BALAMT>"), std::vector<std::string>{"-1234.25"}) << name;
    }
}

TEST_F(ExportOfxTest, AFileThatCannotBeWrittenIsReportedAndTheOldOneStays)
{
    Add({.sequence = 1, .fitid = "F1"});
    std::string missing = PathOf("no such folder/out.ofx");
    ExportResult result = ExportOfx(Db(), "A1", missing, At(2016, 5, 3));
    EXPECT_EQ(result.error,
              "The file '" + missing + "' could not be written: No such file or directory.");

    std::string folder = PathOf("a folder.ofx");
    std::filesystem::create_directory(folder);
    result = ExportOfx(Db(), "A1", folder, At(2016, 5, 3));
    EXPECT_EQ(result.error,
              "The file '" + folder + "' could not be written: it is not a regular file.");

    // A file that is there is replaced whole, keeping its permissions; nothing else is left
    // in the folder.
    std::string existing = PathOf("old.ofx");
    std::ofstream(existing) << "old";
    std::filesystem::permissions(existing, std::filesystem::perms(0640));
    result = ExportOfx(Db(), "A1", existing, At(2016, 5, 3));
    EXPECT_TRUE(result.Ok());
    EXPECT_EQ(result.transactions, 1);
    EXPECT_TRUE(ReadBytes(existing).starts_with("OFXHEADER:100\r\n"));
    EXPECT_EQ(std::filesystem::status(existing).permissions(), std::filesystem::perms(0640));
    // A new file gets what the file-creation mask allows.
    mode_t mask = ::umask(027);
    result = ExportOfx(Db(), "A1", PathOf("new.ofx"), At(2016, 5, 3));
    ::umask(mask);
    EXPECT_TRUE(result.Ok());
    EXPECT_EQ(std::filesystem::status(PathOf("new.ofx")).permissions(),
              std::filesystem::perms(0640));

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Folder().Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a folder.ofx", "new.ofx", "old.ofx", "qtb.mdb"}));
}

TEST_F(ExportOfxTest, TheNameChoosesTheKindOfFile)
{
    Add({.sequence = 1, .fitid = "F1"});
    for (const char* name : {"REPORT.CSV", "report.Csv", "x.csv"})
    {
        EXPECT_TRUE(IsCsvPath(name)) << name;
        ASSERT_TRUE(ExportStatement(Db(), "A1", PathOf(name), At(2016, 5, 3)).Ok());
        EXPECT_TRUE(ReadBytes(PathOf(name)).starts_with("Date,Description,")) << name;
    }
    for (const char* name : {"x.txt", "csv", "x.csv.bak", "x.ofx"})
    {
        EXPECT_FALSE(IsCsvPath(name)) << name;
        ASSERT_TRUE(ExportStatement(Db(), "A1", PathOf(name), At(2016, 5, 3)).Ok());
        EXPECT_TRUE(ReadBytes(PathOf(name)).starts_with("OFXHEADER:100\r\n")) << name;
    }
}
