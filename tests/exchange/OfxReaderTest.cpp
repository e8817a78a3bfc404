#include "exchange/OfxReader.h"

#include "exchange/ImportDriver.h"
#include "exchange/ImportFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
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

TEST(OfxText, TagsAndAggregates)
{
    EXPECT_EQ(TagValue("<A>  one two \r\n<B>x", "<A>"), "one two");
    EXPECT_EQ(TagValue("<A>one</A>", "<A>"), "one");
    EXPECT_EQ(TagValue("<A>\t last \n", "<A>"), "last");
    EXPECT_EQ(TagValue("<A>1<A>2", "<A>"), "1");
    EXPECT_EQ(TagValue("<a>1", "<A>"), "");
    EXPECT_EQ(TagValue("<A><B>x", "<A>"), "");
    EXPECT_EQ(TagValue("", "<A>"), "");
    // Entities are decoded in one pass: what one decodes is not read again.
    EXPECT_EQ(TagText("<NAME>A &amp; B", "<NAME>"), "A & B");
    EXPECT_EQ(TagText("<NAME>&amp;amp;&amp;", "<NAME>"), "&amp;&");
    EXPECT_EQ(TagText("<NAME>A &lt;&gt; B &#38; C&quot;&apos;", "<NAME>"), "A <> B & C\"'");
    EXPECT_EQ(TagText("<NAME>Caf&#233; &#xE9;&#XE9; &#x20AC;&#128182;", "<NAME>"),
              "Caf\xC3\xA9 \xC3\xA9\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x92\xB6");
    // Anything else stays as written.
    for (const char* kept : {"&", "a & b", "&nbsp;", "&AMP;", "&#;", "&#x;", "&#0;", "&#xD800;",
                             "&#1114112;", "&#12a;", "&amp", "&#99999999999999999999;"})
        EXPECT_EQ(TagText(std::string("<N>") + kept, "<N>"), kept);
    // TagValue decodes nothing.
    EXPECT_EQ(TagValue("<NAME>A &amp; B", "<NAME>"), "A &amp; B");

    // CDATA sections are read as their text, markers dropped, entities left alone.
    EXPECT_EQ(TagText("<NAME><![CDATA[EFTPOS WDL ALDI]]></NAME>", "<NAME>"), "EFTPOS WDL ALDI");
    EXPECT_EQ(TagText("<NAME> <![CDATA[ a<b &amp; ]]> &amp; <![CDATA[c]]>x </NAME>", "<NAME>"),
              "a<b &amp;  & cx");
    EXPECT_EQ(TagValue("<FITID><![CDATA[A2]]></FITID>", "<FITID>"), "A2");
    EXPECT_EQ(TagText("<NAME><![CDATA[never closed", "<NAME>"), "");
    EXPECT_EQ(TagText("<NAME><![CDATA[]]></NAME>", "<NAME>"), "");

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

TEST_F(OfxReader, ImportsEachFitidOncePerAccount)
{
    AddAccount("2002", "Savings");
    Db().Execute("INSERT INTO Trans (AccountID, Sequence) VALUES ('2002', 41)");
    std::string file = Statement(
        "1001", Block("F1", "20160110", "-12.50", "Shop", "Food") + Block("F1", "20160106", "-2") +
                    Block("O'Brien's", "20160107", "100", "Salary") + Block("", "20160108", "-1") +
                    Block("", "20160109", "-3"));
    ImportResult first = Read(file);
    EXPECT_TRUE(first.accountResolved);
    EXPECT_EQ(first.added, 4);
    // Sequence follows the file's order.
    EXPECT_EQ(
        Stored("FITID, Amount, Description, PayeeName, Category, Sequence"),
        (std::vector<std::string>{"F1|-12.5|Shop|Food|(none)|42", "O'Brien's|100|Salary||(none)|43",
                                  "|-1|Payee||(none)|44", "|-3|Payee||(none)|45"}));
    ImportResult second = Read(file);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.duplicates, 5);
    EXPECT_EQ(Count("Trans"), 5);
    // The same FITID in another account is no duplicate.
    EXPECT_EQ(Read(Statement("2002", Block("F1", "20160105", "-1"))).added, 1);
    EXPECT_TRUE(chooser.requests.empty()) << "a known ACCTID needs no dialog";
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OfxReader, ReadsDatesAsLocalMidnightAndBudgetsTheMonthAsWritten)
{
    Read(Statement("1001", Block("F1", "20160415120000.000[-5:EST]", "-1") +
                               Block("F2", "20160231", "-1") + Block("F3", "20160105", "-1") +
                               Block("F4", "20160115", "-1") + Block("F5", "19700101", "") +
                               Block("F6", "20160110", "-1")));
    EXPECT_EQ(PostDates(),
              (std::vector<std::int64_t>{LocalMidnight(2016, 4, 15), LocalMidnight(2016, 3, 2),
                                         LocalMidnight(2016, 1, 5), LocalMidnight(2016, 1, 15),
                                         LocalMidnight(1970, 1, 1), LocalMidnight(2016, 1, 10)}));
    EXPECT_EQ(Stored("Year, Period"), (std::vector<std::string>{"2016|4", "2016|3", "2016|1",
                                                                "2016|1", "1970|1", "2016|1"}));
    // A day past the month's end rolls over but budgets the month written; one line a month.
    EXPECT_EQ(Rows("SELECT Year, Period, Category, CategoryGroup, Amount FROM Budget "
                   "ORDER BY Year, Period"),
              (std::vector<std::string>{"1970|1|(none)|(none)|0", "2016|1|(none)|(none)|0",
                                        "2016|2|(none)|(none)|0", "2016|4|(none)|(none)|0"}));
    EXPECT_EQ(Count("Trans WHERE Amount IS NULL"), 1) << "an empty amount is stored as NULL";
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OfxReader, AnInvalidDateOrAmountEndsTheImportKeepingEarlierRows)
{
    const std::string mismatch = "Type mismatch. (-2147352571)\n";
    const struct
    {
        const char* date;
        const char* amount;
        std::string error;
    } cases[] = {
        {"18991231", "-2", ""},
        {"20161301", "-2", ""},
        {"20160100", "-2", ""},
        {"20160132", "-2", ""},
        {"2016", "-2", ""},
        {"", "-2", ""},
        {"ABCD0101", "-2", ""},
        {"19691231", "-2", ""},
        {"20160001", "-2", ""},
        {"20160106", "abc", mismatch},
        {"20160106", "1e5", mismatch},
        {"20160106", "--1", mismatch},
        {"20160106", "1.2.3", mismatch},
        {"20160106", "$5", mismatch},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.date) + " " + c.amount);
        ui.messages.clear();
        Db().Execute("DELETE FROM Trans");
        std::string file =
            Statement("1001", Block("F1", "20160105", "-1") + Block("F2", c.date, c.amount) +
                                  Block("F3", "20160107", "-3"));
        EXPECT_TRUE(Read(file).stopped);
        EXPECT_EQ(Stored("FITID"), (std::vector<std::string>{"F1"}));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Stop);
        EXPECT_EQ(ui.messages[0].text,
                  "Invalid data was found while importing:\n" + c.error + file);
    }
}

TEST_F(OfxReader, StoresNamesMemosAndCheckNumbersByTheirRules)
{
    std::string memo300(300, 'm');
    Read(Statement("1001", Block("F1", "20160105", "-1", "A &amp; B", "x &amp; y", "0000") +
                               Block("F2", "20160105", "-1", "A &lt; B", memo300, "0012") +
                               Block("F3", "20160105", "-1", "", "", "-0") +
                               Block("F4", "20160105", "-1", "  ", "", "EFT") +
                               Block("F5", "20160105", "-1", "x", "", "-")));
    EXPECT_EQ(Stored("Description, PayeeName, CheckID"),
              (std::vector<std::string>{"A & B|x & y|", "A < B|" + std::string(255, 'm') + "|0012",
                                        "(blank)||", "(blank)||EFT", "x||-"}));
}

TEST_F(OfxReader, IdsAreStoredAsTheirTextAndIdsStoredAsWrittenStayKnown)
{
    chooser.Create("Bank", "Joint");
    Read(Statement("12&amp;3", Block("A&amp;B", "20160105", "-1", "x", "", "7&lt;") +
                                   Block("<![CDATA[C&D]]>", "20160106", "-2")));
    EXPECT_EQ(Stored("AccountID, FITID, CheckID", "12&3"),
              (std::vector<std::string>{"12&3|A&B|7<", "12&3|C&D|"}));
    EXPECT_EQ(Read(Statement("12&amp;3", Block("A&amp;B", "20160105", "-1") +
                                             Block("C&amp;D", "20160106", "-2")))
                  .duplicates,
              2);

    // Earlier imports stored ids as written: that account and those rows are still found.
    Db().Execute("DELETE FROM Trans");
    Db().Execute("UPDATE Account SET AccountID = '9&amp;9'");
    Db().Execute("INSERT INTO Trans (AccountID, Sequence, FITID) VALUES ('9&amp;9', 1, 'E&amp;F')");
    ImportResult again = Read(Statement("9&amp;9", Block("E&amp;F", "20160105", "-1") +
                                                       Block("G&amp;H", "20160106", "-2")));
    EXPECT_EQ(again.duplicates, 1);
    EXPECT_EQ(again.added, 1);
    EXPECT_EQ(Count("Trans WHERE AccountID = '9&amp;9' AND FITID = 'G&H'"), 1);
    EXPECT_TRUE(chooser.requests.size() == 1) << "only the first import asked for its account";
}

TEST_F(OfxReader, FilesTwoStatementsUnderTheFirstAccountNumber)
{
    AddAccount("2002", "Savings");
    Read(Statement("1001", Block("A1", "20160105", "-1")) +
         Statement("2002", Block("B1", "20160106", "-2")));
    EXPECT_EQ(Stored("FITID"), (std::vector<std::string>{"A1", "B1"}));
    EXPECT_EQ(Count("Trans WHERE AccountID = '2002'"), 0);
}

TEST_F(OfxReader, ReadsTheXmlAndOfcForms)
{
    Read("<?xml version=\"1.0\"?>\n<?OFX OFXHEADER=\"200\" VERSION=\"211\"?>\n"
         "<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS><BANKACCTFROM><ACCTID>1001</ACCTID>"
         "</BANKACCTFROM><BANKTRANLIST><STMTTRN><TRNTYPE>DEBIT</TRNTYPE>"
         "<DTPOSTED>20160105</DTPOSTED><TRNAMT>-7.25</TRNAMT><FITID>X1</FITID>"
         "<NAME>Caf&amp;e</NAME><MEMO> spaced </MEMO></STMTTRN></BANKTRANLIST>"
         "</STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n");
    Read("<OFC>\r\n<ACCTSTMT>\r\n<ACCTFROM>\r\n<ACCTID>1001\r\n</ACCTFROM>\r\n"
         "<STMTRS>\r\n<STMTTRN>\r\n<TRNTYPE>1\r\n<DTPOSTED>20160105\r\n"
         "<TRNAMT>-3.00\r\n<FITID>C1\r\n<NAME>Ofc\r\n</STMTTRN>\r\n</STMTRS>\r\n"
         "</ACCTSTMT>\r\n</OFC>\r\n");
    EXPECT_EQ(Stored("FITID, Amount, Description, PayeeName"),
              (std::vector<std::string>{"X1|-7.25|Caf&e|spaced", "C1|-3|Ofc|"}));
}

TEST_F(OfxReader, DamagedFilesKeepWhatIsCompleteAndReportNothing)
{
    EXPECT_EQ(ReadWholeFile(WriteFile("a.ofx", std::string("ab\0cd", 5))), "ab");
    EXPECT_EQ(ReadWholeFile(WriteFile("b.ofx", "line\r\nline\n")), "line\r\nline\n");
    EXPECT_EQ(ReadWholeFile("/no/such/file.ofx"), "");

    std::string whole =
        Statement("1001", Block("F1", "20160105", "-1") + Block("F2", "20160106", "-2"));
    std::string withNul = whole;
    withNul[whole.find("F2")] = '\0';
    std::string emptyAggregate =
        Statement("1001", Block("F1", "20160105", "-1") + "<STMTTRN>\n\n</STMTTRN>\r\n" +
                              Block("F2", "20160106", "-2"));
    for (const std::string& damaged :
         {whole.substr(0, whole.find("<NAME>", whole.find("F2"))), withNul, emptyAggregate})
    {
        Db().Execute("DELETE FROM Trans");
        EXPECT_FALSE(Read(damaged).stopped);
        EXPECT_EQ(Stored("FITID"), (std::vector<std::string>{"F1"}));
    }
    // The rest arrives later: the cut transaction is added once, the first not again.
    EXPECT_EQ(Read(whole).added, 1);

    // Without an account number the account is asked for.
    chooser.Cancel();
    chooser.Cancel();
    Read("");
    std::string binary;
    for (int i = 1; i < 256; ++i)
        binary += static_cast<char>(i);
    Read(binary + binary);
    chooser.Map("Checking");
    Read("<OFX><STMTTRN><DTPOSTED>20160105<TRNAMT>-1<FITID>N1</STMTTRN></OFX>");
    ASSERT_EQ(chooser.requests.size(), 3u);
    EXPECT_FALSE(chooser.requests[2].supplied);
    EXPECT_EQ(Stored("FITID"), (std::vector<std::string>{"F1", "F2", "N1"}));
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

TEST_F(OfxReader, AFiftyMegabyteStatementIsReadWhole)
{
    std::string blocks;
    std::string padding(25000, 'p'); // few transactions, so the test stays quick
    int count = 0;
    for (; blocks.size() < 50u * 1024 * 1024; ++count)
        blocks +=
            Block("B" + std::to_string(count), "20160105", "-1") + "<!--" + padding + "-->\r\n";
    EXPECT_EQ(Read(Statement("1001", blocks)).added, count);
    EXPECT_EQ(Count("Trans"), count);
}

TEST(OfxText, DeclaredCharsetNamesTheSetAsIconvKnowsIt)
{
    const struct
    {
        std::string text;
        const char* charset;
    } cases[] = {
        {"OFXHEADER:100\r\nENCODING:USASCII\r\nCHARSET:1252\r\n\r\n<OFX>", "CP1252"},
        {"OFXHEADER:100\nENCODING:USASCII\nCHARSET:ISO-8859-1\n<OFX>", "ISO-8859-1"},
        {"OFXHEADER:100\nCHARSET:8859-1\n<OFX>", "ISO-8859-1"},
        {"OFXHEADER:100\nENCODING:UTF-8\nCHARSET:NONE\n<OFX>", "UTF-8"},
        {"OFXHEADER:100\nENCODING:USASCII\nCHARSET:NONE\n<OFX>", ""},
        {"OFXHEADER:100 ENCODING:USASCII CHARSET: 1250 COMPRESSION:NONE<OFX>", "CP1250"},
        {"OFXHEADER:100 CHARSET:1252<OFX>", "CP1252"},
        {"\xEF\xBB\xBFOFXHEADER:100\nCHARSET:windows-1252\n<OFX>", "WINDOWS-1252"},
        {"<OFX><NAME>CHARSET:1252", ""},
        {"", ""},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><?OFX OFXHEADER=\"200\"?>", "ISO-8859-1"},
        {"\n <?xml version='1.0' encoding='windows-1252' ?>", "windows-1252"},
        {"<?xml version=\"1.0\"?><OFX><NAME>encoding=\"x\"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DeclaredCharset(c.text), c.charset) << c.text;

    EXPECT_EQ(DecodeStatementFile("\xEF\xBB\xBFOFXHEADER:100\nCHARSET:1252\n<OFX>Caf\xE9"),
              "OFXHEADER:100\nCHARSET:1252\n<OFX>Caf\xC3\xA9");
    EXPECT_EQ(DecodeStatementFile("\xEF\xBB\xBF<OFX>"), "<OFX>");
}
