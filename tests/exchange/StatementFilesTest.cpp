// Statement files in the shapes banks really write them: character sets that are declared,
// undeclared or wrongly declared, amounts written for another locale, headers on one line
// or missing, CDATA, FITIDs differing only in case, rows without FITID, undated QIF records.
// Each is imported through the driver, as the Import command imports it.

#include "budget/BudgetActual.h"
#include "data/DateTime.h"
#include "data/TextEncoding.h"
#include "exchange/ImportDriver.h"
#include "exchange/ImportFixture.h"
#include "support/RegionEnv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const std::string CafeUtf8 = "Caf\xC3\xA9 Z\xC3\xBCrich";
const std::string Cafe1252 = "Caf\xE9 Z\xFCrich"; // the same text in CP1252 and ISO-8859-1

std::string SgmlHeader(const std::string& charset)
{
    return "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\nENCODING:USASCII\r\n"
           "CHARSET:" +
           charset + "\r\nCOMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n";
}

// The body of an SGML statement without its header.
std::string SgmlBody(const std::string& blocks)
{
    std::string whole = Statement("1001", blocks);
    return whole.substr(whole.find("<OFX>"));
}

std::string XmlStatement(const std::string& encoding, const std::string& transactions)
{
    return "<?xml version=\"1.0\" encoding=\"" + encoding +
           "\" standalone=\"no\"?>\n<?OFX OFXHEADER=\"200\" VERSION=\"211\" SECURITY=\"NONE\" "
           "OLDFILEUID=\"NONE\" NEWFILEUID=\"NONE\"?>\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS>"
           "<BANKACCTFROM><ACCTID>1001</ACCTID></BANKACCTFROM><BANKTRANLIST>" +
           transactions + "</BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n";
}

std::string XmlTransaction(const std::string& fitid, const std::string& amount,
                           const std::string& name, const std::string& memo = "")
{
    return "<STMTTRN><TRNTYPE>DEBIT</TRNTYPE><DTPOSTED>20160105</DTPOSTED><TRNAMT>" + amount +
           "</TRNAMT><FITID>" + fitid + "</FITID><NAME>" + name + "</NAME>" +
           (memo.empty() ? "" : "<MEMO>" + memo + "</MEMO>") + "</STMTTRN>";
}

class StatementFiles : public ImportTest
{
protected:
    StatementFiles() { AddAccount("1001", "Checking"); }

    /// Imports a file through the driver; a QIF file goes to the account described Checking.
    ImportFileResult Import(const std::string& name, const std::string& content)
    {
        if (name.ends_with(".qif"))
            chooser.Map("Checking");
        return ImportFile(Context(), WriteFile(name, content));
    }

    /// Every stored amount in units of 1/10,000, in Sequence order.
    std::vector<std::int64_t> Amounts()
    {
        std::vector<std::int64_t> units;
        for (Recordset rs = Db().Execute("SELECT Amount FROM Trans ORDER BY Sequence"); !rs.IsEOF();
             rs.MoveNext())
            units.push_back(rs.GetCurrency("Amount").Units());
        return units;
    }
};
} // namespace

TEST_F(StatementFiles, TextIsStoredAsUtf8WhateverTheFileDeclares)
{
    const struct
    {
        const char* name;
        std::string content;
        std::string memo; ///< as stored
    } files[] = {
        // OFX 1.x declaring its Windows code page, as most banks write it.
        {"cp1252.ofx",
         SgmlHeader("1252") + SgmlBody(Block("A1", "20160105", "-1", Cafe1252, "5\x80 fee")),
         "5\xE2\x82\xAC fee"},
        // OFX 1.x in ISO-8859-1, where byte 0x80 is a control character, not the euro sign.
        {"latin1.ofx",
         SgmlHeader("ISO-8859-1") + SgmlBody(Block("A2", "20160105", "-1", Cafe1252, "5\x80 fee")),
         "5\xC2\x80 fee"},
        // OFX 2.x with its XML declaration.
        {"cp1252-xml.ofx",
         XmlStatement("windows-1252", XmlTransaction("A3", "-1", Cafe1252, "5\x80 fee")),
         "5\xE2\x82\xAC fee"},
        {"latin1-xml.ofx",
         XmlStatement("ISO-8859-1", XmlTransaction("A4", "-1", Cafe1252, "5\x80 fee")),
         "5\xC2\x80 fee"},
        // Banks that declare 1252 over UTF-8 text, or UTF-16 over plain bytes: UTF-8 wins.
        {"utf8-under-1252.ofx",
         SgmlHeader("1252") + SgmlBody(Block("A5", "20160105", "-1", CafeUtf8, "cart\xC3\xA3o")),
         "cart\xC3\xA3o"},
        {"utf16-declared.ofx", XmlStatement("utf-16", XmlTransaction("A6", "-1", CafeUtf8, "x")),
         "x"},
        // A set that does not read the bytes, or none at all: CP1252.
        {"none.ofx", SgmlHeader("NONE") + SgmlBody(Block("A7", "20160105", "-1", Cafe1252, "\x80")),
         "\xE2\x82\xAC"},
        {"utf16-over-1252.ofx",
         XmlStatement("utf-16", XmlTransaction("A8", "-1", Cafe1252, "\x80")), "\xE2\x82\xAC"},
        // QIF declares nothing: UTF-8 when the bytes are, else CP1252.
        {"cp1252.qif", "!Type:Bank\nD1/5/2016\nT-1\nP" + Cafe1252 + "\nM\x80 1\n^\n",
         "\xE2\x82\xAC 1"},
        {"utf8.qif", "!Type:Bank\nD1/5/2016\nT-2\nP" + CafeUtf8 + "\nM\xE2\x82\xAC 2\n^\n",
         "\xE2\x82\xAC 2"},
    };
    std::vector<std::string> expected;
    for (const auto& file : files)
    {
        ImportFileResult result = Import(file.name, file.content);
        EXPECT_EQ(result.added, 1) << file.name;
        expected.push_back(CafeUtf8 + "|" + file.memo);
    }
    EXPECT_EQ(Stored("Description, PayeeName"), expected);
    for (const std::string& row : Stored("Description, PayeeName"))
        EXPECT_TRUE(IsValidUtf8(row)) << row;
    EXPECT_TRUE(ui.messages.empty());

    // The Budget view's hint shows the text whole.
    Db().Execute("UPDATE Trans SET Category = 'Travel'");
    std::string hint = BudgetHintText(Db(), 2016, 1, "Travel");
    EXPECT_TRUE(IsValidUtf8(hint));
    EXPECT_NE(hint.find("Description: " + CafeUtf8 + "\n"), std::string::npos) << hint;
}

TEST_F(StatementFiles, TheErrorMessageQuotesTheFileAsUtf8)
{
    std::string file = SgmlHeader("1252") + SgmlBody(Block("B1", "20160105", "-1", Cafe1252) +
                                                     Block("B2", "20160105", "twelve", Cafe1252));
    ImportFileResult result = Import("bad.ofx", file);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.added, 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& text = ui.messages[0].text;
    EXPECT_TRUE(IsValidUtf8(text));
    EXPECT_TRUE(text.starts_with("Invalid data was found while importing:\nType mismatch. "
                                 "(-2147352571)\nOFXHEADER:100\r\n"))
        << text;
    EXPECT_NE(text.find("<NAME>" + CafeUtf8), std::string::npos);
}

TEST_F(StatementFiles, AmountsReadTheSameUnderEveryLocale)
{
    std::string ofx = Statement(
        "1001", Block("C1", "20160105", "1,234.56") + Block("C2", "20160105", "1.234,56") +
                    Block("C3", "20160105", "-200,00") + Block("C4", "20160105", "4774.8611") +
                    Block("C5", "20160105", "-12.50"));
    std::string qif = "!Type:Bank\nD2016-01-06\nT-1,234.56\n^\nD2016-01-06\nT-1.234,56\nMb\n^\n"
                      "D2016-01-06\nT-35.50\n^\nD2016-01-06\nT1,000\n^\nD2016-01-06\nT-12,34\n^\n";
    const std::vector<std::int64_t> expected = {12345600,  12345600,  -2000000, 47748611, -125000,
                                                -12345600, -12345600, -355000,  10000000, -123400};
    for (const char* locale : {"C", "C.UTF-8", "en_US.UTF-8", "de_DE.UTF-8"})
    {
        SCOPED_TRACE(locale);
        // The program takes its locale from the environment at start.
        LocaleEnv fromEnvironment(locale);
        ASSERT_TRUE(fromEnvironment.Ok()) << "locale " << locale << " is not installed";
        Db().Execute("DELETE FROM Trans");
        EXPECT_EQ(Import("amounts.ofx", ofx).added, 5);
        EXPECT_EQ(Import("amounts.qif", qif).added, 5);
        EXPECT_EQ(Amounts(), expected);
        // The second import finds every row already there.
        EXPECT_EQ(Import("amounts.ofx", ofx).duplicates, 5);
        EXPECT_EQ(Import("amounts.qif", qif).duplicates, 5);
        EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
        ExpectBalancesUpToDate();
    }
}

TEST_F(StatementFiles, AnAmountThatCannotBeReadIsNeverStoredAsZero)
{
    LocaleEnv fromEnvironment("C.UTF-8");
    ASSERT_TRUE(fromEnvironment.Ok());
    ImportFileResult qif = Import("bad.qif", "!Type:Bank\nD1/5/2016\nT-12.34\n^\nD1/6/2016\n"
                                             "T12 EUR\nPShop\n^\nD1/7/2016\nT\n^\n");
    EXPECT_EQ(qif.added, 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, SkippedHead + "\nT12 EUR\nT");
    EXPECT_EQ(Amounts(), (std::vector<std::int64_t>{-123400}));

    ImportFileResult ofx =
        Import("bad.ofx",
               Statement("1001", Block("D1", "20160105", "-1") + Block("D2", "20160105", "1.2.3")));
    EXPECT_TRUE(ofx.stopped);
    EXPECT_EQ(Count("Trans WHERE Amount = 0"), 0);
    EXPECT_EQ(Stored("FITID").size(), 2u) << "the row before the bad one stays";
}

TEST_F(StatementFiles, DatesFollowTheLocalCalendarInEveryTimeZone)
{
    for (const char* zone : {"America/New_York", "Asia/Tokyo"})
    {
        SCOPED_TRACE(zone);
        ScopedTimeZone scoped(zone);
        Db().Execute("DELETE FROM Trans");
        ui.messages.clear();
        std::string ofx =
            Statement("1001", Block("E1", "20160315120000.000[-5:EST]", "-1") +
                                  Block("E2", "20161106", "-2") + Block("E3", "19700101", "-3"));
        EXPECT_EQ(Import("dates.ofx", ofx).added, 3);
        // A memorized list (payee templates, passed over unlisted), a date before 1970, and one
        // that cannot be read: none of them is stored, at 1 January 1970 or anywhere.
        std::string qif = "!Type:Memorized\nT-5\nPRent\n^\nT-6\nPGym\n^\n!Type:Bank\n"
                          "D12/31/1969\nT-7\n^\nD1/1/1970\nT-8\n^\nD13/45/2016\nT-9\n^\n"
                          "D3/13/2016\nT-10\n^\nT-11\n^\n";
        EXPECT_EQ(Import("dates.qif", qif).added, 3);
        EXPECT_EQ(PostDates(), (std::vector<std::int64_t>{
                                   LocalMidnight(2016, 3, 15), LocalMidnight(2016, 11, 6),
                                   LocalMidnight(1970, 1, 1), LocalMidnight(1970, 1, 1),
                                   LocalMidnight(2016, 3, 13), LocalMidnight(2016, 3, 13)}));
        EXPECT_EQ(Stored("Year, Period"), (std::vector<std::string>{"2016|3", "2016|11", "1970|1",
                                                                    "1970|1", "2016|3", "2016|3"}));
        EXPECT_EQ(Amounts(),
                  (std::vector<std::int64_t>{-10000, -20000, -30000, -80000, -100000, -110000}));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, SkippedHead + "\nD12/31/1969\nD13/45/2016");
        // Nothing comes back at the next import.
        EXPECT_EQ(Import("dates.ofx", ofx).added, 0);
        EXPECT_EQ(Import("dates.qif", qif).added, 0);
        EXPECT_EQ(Count("Trans"), 6);
    }
}

TEST_F(StatementFiles, FitidsThatDifferOnlyInCaseAreTwoTransactions)
{
    std::string file = Statement(
        "1001", Block("A2", "20160105", "-1") + Block("a2", "20160105", "-1") +
                    Block("QmFzZTY0", "20160106", "-2") + Block("qMfAzTy0", "20160106", "-2"));
    ImportFileResult first = Import("case.ofx", file);
    EXPECT_EQ(first.added, 4);
    EXPECT_EQ(Stored("FITID"), (std::vector<std::string>{"A2", "a2", "QmFzZTY0", "qMfAzTy0"}));
    ImportFileResult again = Import("case.ofx", file);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.duplicates, 4);
}

TEST_F(StatementFiles, HeadersOnOneLineMissingOrAfterAByteOrderMarkAreRead)
{
    std::string oneLine = "OFXHEADER:100 DATA:OFXSGML VERSION:102 SECURITY:NONE ENCODING:USASCII "
                          "CHARSET:1252 COMPRESSION:NONE OLDFILEUID:NONE NEWFILEUID:NONE <OFX>"
                          "<BANKMSGSRSV1><STMTTRNRS><STMTRS><BANKACCTFROM><ACCTID>1001"
                          "<ACCTTYPE>CHECKING</BANKACCTFROM><BANKTRANLIST><STMTTRN><TRNTYPE>DEBIT"
                          "<DTPOSTED>20160105<TRNAMT>-1,50<FITID>H1<NAME>" +
                          Cafe1252 +
                          "</STMTTRN></BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>";
    ImportFileResult result = Import("oneline.ofx", oneLine);
    EXPECT_EQ(result.added, 1);
    result = Import("bare.ofx", "\r\n" + SgmlBody(Block("H2", "20160105", "-2")));
    EXPECT_EQ(result.added, 1);
    result = Import("bom.ofx", "\xEF\xBB\xBF" + SgmlHeader("1252") +
                                   SgmlBody(Block("H3", "20160105", "-3", Cafe1252)));
    EXPECT_EQ(result.added, 1);
    result = Import("bom-xml.ofx",
                    "\xEF\xBB\xBF" + XmlStatement("UTF-8", XmlTransaction("H4", "-4", CafeUtf8)));
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(Stored("FITID, Amount, Description"),
              (std::vector<std::string>{"H1|-1.5|" + CafeUtf8, "H2|-2|Payee", "H3|-3|" + CafeUtf8,
                                        "H4|-4|" + CafeUtf8}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StatementFiles, CdataValuesAreReadAsTheirText)
{
    Import("cdata.ofx",
           XmlStatement("UTF-8", XmlTransaction("<![CDATA[K1]]>", "<![CDATA[-21.50]]>",
                                                "<![CDATA[EFTPOS WDL ALDI]]>",
                                                "<![CDATA[Card 1234 <cash> & more]]>") +
                                     XmlTransaction("K2", "-1", "<![CDATA[]]>")));
    EXPECT_EQ(Stored("FITID, Amount, Description, PayeeName"),
              (std::vector<std::string>{"K1|-21.5|EFTPOS WDL ALDI|Card 1234 <cash> & more",
                                        "K2|-1|(blank)|"}));
}

TEST_F(StatementFiles, RowsWithoutFitidAreKeptAndFoundAgainByTheirContents)
{
    // An OFC file of a bank that writes no FITID: two coffees on one day are two rows.
    std::string blocks;
    for (int i = 0; i < 28; ++i)
    {
        int day = 1 + i / 2; // two rows a day
        std::string name = i % 4 == 0 ? "COFFEE" : "SHOP " + std::to_string(i);
        blocks += "<STMTTRN>\r\n<TRNTYPE>1\r\n<DTPOSTED>201603" + std::string(day < 10 ? "0" : "") +
                  std::to_string(day) + "\r\n<TRNAMT>" + (i % 4 == 0 ? "-3.50" : "-1") +
                  "\r\n<NAME>" + name + "\r\n</STMTTRN>\r\n";
    }
    blocks += "<STMTTRN>\r\n<DTPOSTED>20160301\r\n<TRNAMT>-3.50\r\n<NAME>COFFEE\r\n</STMTTRN>\r\n";
    std::string ofc = "<OFC>\r\n<ACCTSTMT>\r\n<ACCTFROM>\r\n<ACCTID>1001\r\n</ACCTFROM>\r\n"
                      "<STMTRS>\r\n" +
                      blocks + "</STMTRS>\r\n</ACCTSTMT>\r\n</OFC>\r\n";
    ImportFileResult first = Import("statement.ofc", ofc);
    EXPECT_EQ(first.added, 29);
    EXPECT_EQ(first.duplicates, 0);
    EXPECT_EQ(Count("Trans WHERE Description = 'COFFEE' AND PostDate = #3/1/2016#"), 2);
    ImportFileResult again = Import("statement.ofc", ofc);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.duplicates, 29);

    // A row is held when one matches all of date, amount, description, notes and check
    // number (texts ignoring case), whatever that row's FITID.
    Db().Execute("DELETE FROM Trans");
    Db().Execute("INSERT INTO Trans (AccountID, PostDate, Amount, Description, PayeeName, "
                 "CheckID, FITID, Sequence) VALUES ('1001', #3/2/2016#, -4, 'Bakery', 'bread', "
                 "'', 'X9', 1)");
    ImportFileResult mixed = Import(
        "mixed.ofx", Statement("1001", Block("", "20160302", "-4", "BAKERY", "Bread") +
                                           Block("", "20160302", "-4", "Bakery", "bread", "12") +
                                           Block("", "20160302", "-4", "Bakery", "rolls") +
                                           Block("", "20160303", "-4", "Bakery", "bread") +
                                           Block("", "20160302", "-4.01", "Bakery", "bread")));
    EXPECT_EQ(mixed.duplicates, 1);
    EXPECT_EQ(mixed.added, 4);
}
