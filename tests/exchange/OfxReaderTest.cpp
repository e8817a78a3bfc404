#include "exchange/OfxReader.h"

#include "data/DateTime.h"
#include "exchange/ImportDriver.h"
#include "exchange/ImportFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
/// One STMTTRN block in SGML form; empty fields are left out.
std::string Block(const std::string& fitid, const std::string& date, const std::string& amount,
                  const std::string& name = "Payee", const std::string& memo = "",
                  const std::string& check = "")
{
    std::string block =
        "<STMTTRN>\r\n<TRNTYPE>DEBIT\r\n<DTPOSTED>" + date + "\r\n<TRNAMT>" + amount + "\r\n";
    if (!fitid.empty())
        block += "<FITID>" + fitid + "\r\n";
    if (!check.empty())
        block += "<CHECKNUM>" + check + "\r\n";
    block += "<NAME>" + name + "\r\n";
    if (!memo.empty())
        block += "<MEMO>" + memo + "\r\n";
    return block + "</STMTTRN>\r\n";
}

/// An SGML statement of one account with the given blocks.
std::string Statement(const std::string& accountId, const std::string& blocks)
{
    return "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n\r\n<OFX>\r\n<BANKMSGSRSV1>\r\n"
           "<STMTTRNRS>\r\n<STMTRS>\r\n<CURDEF>USD\r\n<BANKACCTFROM>\r\n<BANKID>121000248\r\n"
           "<ACCTID>" +
           accountId + "\r\n<ACCTTYPE>CHECKING\r\n</BANKACCTFROM>\r\n<BANKTRANLIST>\r\n" + blocks +
           "</BANKTRANLIST>\r\n</STMTRS>\r\n</STMTTRNRS>\r\n</BANKMSGSRSV1>\r\n</OFX>\r\n";
}

std::int64_t LocalMidnight(int year, int month, int day)
{
    return FromLocalCalendar(DateTime{year, month, day, 0, 0, 0});
}

class OfxReader : public ImportTest
{
protected:
    OfxReader() { AddAccount("1001", "Checking"); }

    ImportResult Read(const std::string& content)
    {
        return ReadOfxFile(Context(), WriteFile("statement.ofx", content));
    }

    /// Fields of the account's transactions in Sequence order.
    std::vector<std::string> Stored(const std::string& fields, const std::string& account = "1001")
    {
        return Rows("SELECT " + fields + " FROM Trans WHERE AccountID = " + Quote(account) +
                    " ORDER BY Sequence");
    }
};
} // namespace

TEST(OfxText, TagValueTakesTheTextUpToTheNextTagTrimmed)
{
    EXPECT_EQ(TagValue("<A>  one two \r\n<B>x", "<A>"), "one two");
    EXPECT_EQ(TagValue("<A>one</A>", "<A>"), "one");
    EXPECT_EQ(TagValue("<A>\t last \n", "<A>"), "last");
    EXPECT_EQ(TagValue("<A>1<A>2", "<A>"), "1");
    EXPECT_EQ(TagValue("<a>1", "<A>"), "");
    EXPECT_EQ(TagValue("<A><B>x", "<A>"), "");
    EXPECT_EQ(TagValue("", "<A>"), "");
}

TEST(OfxText, TagTextDecodesOnlyAmpersands)
{
    EXPECT_EQ(TagText("<NAME>A &amp; B", "<NAME>"), "A & B");
    EXPECT_EQ(TagText("<NAME>A &lt; B &#38; C", "<NAME>"), "A &lt; B &#38; C");
    EXPECT_EQ(TagText("<NAME>&amp;amp;&amp;", "<NAME>"), "&amp;&");
}

TEST(OfxText, NextAggregateStepsOverBlocksAndDropsLineFeeds)
{
    std::string text = "x<T>a\r\nb</T><T>c</T><T>d";
    std::size_t position = 0;
    EXPECT_EQ(NextAggregate(text, "T", position), "a\rb");
    EXPECT_EQ(position, text.find("<T>c"));
    EXPECT_EQ(NextAggregate(text, "T", position), "c");
    std::size_t before = position;
    EXPECT_EQ(NextAggregate(text, "T", position), ""); // no closing tag
    EXPECT_EQ(position, before);
    std::size_t start = 0;
    EXPECT_EQ(NextAggregate("<t>x</t>", "T", start), "");
    EXPECT_EQ(start, 0u);
}

TEST(OfxText, CheckNumbersOfValueZeroAreNoNumbers)
{
    EXPECT_EQ(ClearZeroCheckNumber("0"), "");
    EXPECT_EQ(ClearZeroCheckNumber("0000"), "");
    EXPECT_EQ(ClearZeroCheckNumber("-0"), "");
    EXPECT_EQ(ClearZeroCheckNumber("0012"), "0012");
    EXPECT_EQ(ClearZeroCheckNumber("-"), "-");
    EXPECT_EQ(ClearZeroCheckNumber(""), "");
    EXPECT_EQ(ClearZeroCheckNumber("0 "), "0 ");
    EXPECT_EQ(ClearZeroCheckNumber("EFT"), "EFT");
}

TEST_F(OfxReader, ReadWholeFileStopsAtTheFirstNulByte)
{
    EXPECT_EQ(ReadWholeFile(WriteFile("a.ofx", std::string("ab\0cd", 5))), "ab");
    EXPECT_EQ(ReadWholeFile(WriteFile("b.ofx", "line\r\nline\n")), "line\r\nline\n");
    EXPECT_EQ(ReadWholeFile(WriteFile("c.ofx", "")), "");
    EXPECT_EQ(ReadWholeFile("/no/such/file.ofx"), "");
}

TEST_F(OfxReader, ImportsEachTransactionOnceAcrossImports)
{
    std::string file = Statement("1001", Block("F1", "20160105", "-12.50", "Shop", "Food") +
                                             Block("F2", "20160107", "100", "Salary"));
    ImportResult first = Read(file);
    EXPECT_TRUE(first.accountResolved);
    EXPECT_EQ(first.added, 2);
    EXPECT_EQ(Stored("FITID, Amount, Description, PayeeName, Category"),
              (std::vector<std::string>{"F1|-12.5|Shop|Food|(none)", "F2|100|Salary||(none)"}));
    ImportResult second = Read(file);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.duplicates, 2);
    EXPECT_EQ(Count("Trans"), 2);
    EXPECT_TRUE(chooser.requests.empty()) << "a known ACCTID needs no dialog";
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OfxReader, SkipsABlockWhoseFitidAnEarlierBlockOfTheFileHad)
{
    Read(Statement("1001", Block("F1", "20160105", "-1") + Block("F1", "20160106", "-2") +
                               Block("F2", "20160107", "-3")));
    EXPECT_EQ(Stored("FITID, Amount"), (std::vector<std::string>{"F1|-1", "F2|-3"}));
}

TEST_F(OfxReader, FindsAFitidHoldingASingleQuote)
{
    std::string file = Statement("1001", Block("O'Brien's 1", "20160105", "-1") +
                                             Block("O'Brien's 2", "20160105", "-2"));
    EXPECT_EQ(Read(file).added, 2);
    ImportResult again = Read(file);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.duplicates, 2);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OfxReader, AddsTransactionsWithoutFitidOnlyWhileNoneHasAnEmptyOne)
{
    Read(Statement("1001", Block("", "20160105", "-1") + Block("", "20160106", "-2")));
    EXPECT_EQ(Stored("FITID, Amount"), (std::vector<std::string>{"|-1"}));
}

TEST_F(OfxReader, TransactionsOfOtherAccountsAreNoDuplicates)
{
    AddAccount("2002", "Savings");
    Read(Statement("2002", Block("F1", "20160105", "-1")));
    Read(Statement("1001", Block("F1", "20160105", "-1")));
    EXPECT_EQ(Count("Trans WHERE FITID = 'F1'"), 2);
}

TEST_F(OfxReader, AnEmptyAggregateEndsTheImport)
{
    Read(Statement("1001", Block("F1", "20160105", "-1") + "<STMTTRN>\n\n</STMTTRN>\r\n" +
                               Block("F2", "20160106", "-2")));
    EXPECT_EQ(Stored("FITID"), (std::vector<std::string>{"F1"}));
}

TEST_F(OfxReader, ReadsTheDayOfDtpostedAsLocalMidnight)
{
    Read(Statement("1001", Block("F1", "20160315120000.000[-5:EST]", "-1")));
    Recordset rs = Db().Execute("SELECT PostDate, Year, Period FROM Trans");
    EXPECT_EQ(rs.GetTime("PostDate"), LocalMidnight(2016, 3, 15));
    EXPECT_EQ(rs.GetLong("Year"), 2016);
    EXPECT_EQ(rs.GetLong("Period"), 3);
}

TEST_F(OfxReader, RollsADayPastTheMonthsEndOverButBudgetsTheMonthAsWritten)
{
    Read(Statement("1001", Block("F1", "20160231", "-1")));
    Recordset rs = Db().Execute("SELECT PostDate, Year, Period FROM Trans");
    EXPECT_EQ(rs.GetTime("PostDate"), LocalMidnight(2016, 3, 2));
    EXPECT_EQ(rs.GetLong("Period"), 3);
    EXPECT_EQ(Count("Budget WHERE Year = 2016 AND Period = 2 AND Category = '(none)' AND "
                    "CategoryGroup = '(none)'"),
              1);
    EXPECT_EQ(Count("Budget WHERE Period = 3"), 0);
}

TEST_F(OfxReader, EnsuresOneNoneBudgetLinePerMonthRead)
{
    Read(Statement("1001", Block("F1", "20160105", "-1") + Block("F2", "20160115", "-1") +
                               Block("F3", "20160201", "-1") + Block("F4", "20160110", "-1")));
    EXPECT_EQ(Rows("SELECT Year, Period, Category, Amount FROM Budget ORDER BY Period"),
              (std::vector<std::string>{"2016|1|(none)|0", "2016|2|(none)|0"}));
}

TEST_F(OfxReader, AnInvalidDateEndsTheImportKeepingEarlierRows)
{
    const char* const invalid[] = {"18991231", "20161301", "20160100", "20160132", "2016",
                                   "",         "ABCD0101", "19691231", "20160001"};
    for (const char* date : invalid)
    {
        SCOPED_TRACE(date);
        ui.messages.clear();
        Db().Execute("DELETE FROM Trans");
        ImportResult result =
            Read(Statement("1001", Block("F1", "20160105", "-1") + Block("F2", date, "-2") +
                                       Block("F3", "20160107", "-3")));
        EXPECT_TRUE(result.stopped);
        EXPECT_EQ(Stored("FITID"), (std::vector<std::string>{"F1"}));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Stop);
        EXPECT_EQ(
            ui.messages[0].text.rfind("Invalid data was found while importing:\nOFXHEADER:100", 0),
            0u)
            << ui.messages[0].text;
    }
}

TEST_F(OfxReader, TheFirstDayOf1970IsADate)
{
    Read(Statement("1001", Block("F1", "19700101", "-1")));
    EXPECT_EQ(Count("Trans"), 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OfxReader, AnAmountThatIsNoNumberEndsTheImportWithTheErrorText)
{
    std::string file =
        Statement("1001", Block("F1", "20160105", "-1") + Block("F2", "20160106", "12,34.5") +
                              Block("F3", "20160107", "-3"));
    EXPECT_TRUE(Read(file).stopped);
    EXPECT_EQ(Stored("FITID"), (std::vector<std::string>{"F1"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Invalid data was found while importing:\nType mismatch. "
                                   "(-2147352571)\n" +
                                       file);
    for (const char* amount : {"abc", "1e5", "--1", "1.2.3", "$5"})
    {
        ui.messages.clear();
        Read(Statement("1001", Block(std::string("X") + amount, "20160105", amount)));
        EXPECT_EQ(ui.messages.size(), 1u) << amount;
    }
    EXPECT_EQ(Count("Trans"), 1);
}

TEST_F(OfxReader, AnEmptyAmountIsStoredAsNull)
{
    Read(Statement("1001", Block("F1", "20160105", "")));
    EXPECT_EQ(Count("Trans WHERE Amount IS NULL"), 1);
}

TEST_F(OfxReader, ReadsThePointOfAnAmountUnderACommaLocale)
{
    ScopedLocale german("de_DE.UTF-8");
    if (!german.Ok())
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    Read(Statement("1001", Block("F1", "20160105", "-12.50") + Block("F2", "20160105", "3")));
    Recordset rs = Db().Execute("SELECT Amount FROM Trans ORDER BY Sequence");
    EXPECT_EQ(rs.GetCurrency("Amount"), Currency::FromUnits(-125000));
    rs.MoveNext();
    EXPECT_EQ(rs.GetCurrency("Amount"), Currency::FromWhole(3));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OfxReader, StoresNamesMemosAndCheckNumbersByTheirRules)
{
    std::string memo300(300, 'm');
    Read(Statement("1001", Block("F1", "20160105", "-1", "A &amp; B", "x &amp; y", "0000") +
                               Block("F2", "20160105", "-1", "A &lt; B", memo300, "0012") +
                               Block("F3", "20160105", "-1", "", "", "-0") +
                               Block("F4", "20160105", "-1", "  ", "", "EFT")));
    EXPECT_EQ(
        Stored("Description, PayeeName, CheckID"),
        (std::vector<std::string>{"A & B|x & y|", "A &lt; B|" + std::string(255, 'm') + "|0012",
                                  "(blank)||", "(blank)||EFT"}));
}

TEST_F(OfxReader, KeepsTheFilesOrderInSequence)
{
    AddAccount("1002", "Other");
    Db().Execute("INSERT INTO Trans (AccountID, Sequence) VALUES ('1002', 41)");
    Read(Statement("1001", Block("F1", "20160110", "-1") + Block("F2", "20160101", "-2")));
    EXPECT_EQ(Stored("FITID, Sequence"), (std::vector<std::string>{"F1|42", "F2|43"}));
}

TEST_F(OfxReader, FilesTwoStatementsUnderTheFirstAccountNumber)
{
    AddAccount("2002", "Savings");
    std::string two = Statement("1001", Block("A1", "20160105", "-1")) +
                      Statement("2002", Block("B1", "20160106", "-2"));
    Read(two);
    EXPECT_EQ(Stored("FITID"), (std::vector<std::string>{"A1", "B1"}));
    EXPECT_EQ(Count("Trans WHERE AccountID = '2002'"), 0);
}

TEST_F(OfxReader, ReadsTheXmlForm)
{
    std::string xml = "<?xml version=\"1.0\"?>\n<?OFX OFXHEADER=\"200\" VERSION=\"211\"?>\n"
                      "<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS><BANKACCTFROM><ACCTID>1001</ACCTID>"
                      "</BANKACCTFROM><BANKTRANLIST><STMTTRN><TRNTYPE>DEBIT</TRNTYPE>"
                      "<DTPOSTED>20160105</DTPOSTED><TRNAMT>-7.25</TRNAMT><FITID>X1</FITID>"
                      "<NAME>Caf&amp;e</NAME><MEMO> spaced </MEMO></STMTTRN></BANKTRANLIST>"
                      "</STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n";
    Read(xml);
    EXPECT_EQ(Stored("FITID, Amount, Description, PayeeName"),
              (std::vector<std::string>{"X1|-7.25|Caf&e|spaced"}));
}

TEST_F(OfxReader, ReadsOfcStatements)
{
    std::string ofc = "<OFC>\r\n<ACCTSTMT>\r\n<ACCTFROM>\r\n<ACCTID>1001\r\n</ACCTFROM>\r\n"
                      "<STMTRS>\r\n<STMTTRN>\r\n<TRNTYPE>1\r\n<DTPOSTED>20160105\r\n"
                      "<TRNAMT>-3.00\r\n<FITID>C1\r\n<NAME>Ofc\r\n</STMTTRN>\r\n</STMTRS>\r\n"
                      "</ACCTSTMT>\r\n</OFC>\r\n";
    Read(ofc);
    EXPECT_EQ(Stored("FITID, Amount"), (std::vector<std::string>{"C1|-3"}));
}

TEST_F(OfxReader, AFileCutInsideATransactionKeepsTheCompleteOnes)
{
    std::string whole =
        Statement("1001", Block("F1", "20160105", "-1") + Block("F2", "20160106", "-2"));
    std::string cut = whole.substr(0, whole.find("<NAME>", whole.find("F2")));
    ImportResult result = Read(cut);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(Stored("FITID"), (std::vector<std::string>{"F1"}));
    EXPECT_TRUE(ui.messages.empty());
    // The rest arrives later: the cut transaction is added once, the first not again.
    EXPECT_EQ(Read(whole).added, 1);
}

TEST_F(OfxReader, AFileWithANulByteIsReadUpToIt)
{
    std::string file =
        Statement("1001", Block("F1", "20160105", "-1") + Block("F2", "20160106", "-2"));
    std::size_t at = file.find("F2");
    file[at] = '\0';
    Read(file);
    EXPECT_EQ(Stored("FITID"), (std::vector<std::string>{"F1"}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OfxReader, AnErrorMessageQuotesAtMostTheFirstFourKilobytes)
{
    std::string blocks;
    for (int i = 0; i < 200; ++i)
        blocks += Block("F" + std::to_string(i), "20160105", "-1");
    std::string file = Statement("1001", blocks + Block("BAD", "20161399", "-1"));
    ASSERT_GT(file.size(), 8000u);
    Read(file);
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& text = ui.messages[0].text;
    std::string head = "Invalid data was found while importing:\n";
    EXPECT_EQ(text.substr(0, head.size() + 4096), head + file.substr(0, 4096));
    EXPECT_EQ(text.substr(head.size() + 4096),
              "\n[" + std::to_string(file.size() - 4096) + " more bytes of the file not shown]");
    EXPECT_EQ(Count("Trans"), 200);
}

TEST_F(OfxReader, AFileWithoutAccountNumberAsksForTheAccount)
{
    chooser.Map("Checking");
    Read("<OFX><STMTTRN><DTPOSTED>20160105<TRNAMT>-1<FITID>N1</STMTTRN></OFX>");
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_FALSE(chooser.requests[0].supplied);
    EXPECT_EQ(Stored("FITID"), (std::vector<std::string>{"N1"}));
}

TEST_F(OfxReader, CancellingTheAccountImportsNothing)
{
    chooser.Cancel();
    ImportResult result = Read(Statement("9999", Block("F1", "20160105", "-1")));
    EXPECT_FALSE(result.accountResolved);
    EXPECT_EQ(Count("Trans"), 0);
    EXPECT_EQ(Count("Account"), 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OfxReader, EmptyAndBinaryFilesAskForTheAccountAndImportNothing)
{
    chooser.Cancel();
    chooser.Cancel();
    Read("");
    std::string binary;
    for (int i = 1; i < 256; ++i)
        binary += static_cast<char>(i);
    Read(binary + binary);
    EXPECT_EQ(chooser.requests.size(), 2u);
    EXPECT_EQ(Count("Trans"), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OfxReader, AFiftyMegabyteStatementIsReadWhole)
{
    std::string blocks;
    std::string padding(25000, 'p'); // few transactions, so the test stays quick
    int count = 0;
    while (blocks.size() < 50u * 1024 * 1024)
    {
        blocks += Block("B" + std::to_string(count), "20160105", "-1", "Name", "") + "<!--" +
                  padding + "-->\r\n";
        ++count;
    }
    ImportResult result = Read(Statement("1001", blocks));
    EXPECT_EQ(result.added, count);
    EXPECT_EQ(Count("Trans"), count);
}
