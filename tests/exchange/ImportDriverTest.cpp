#include "exchange/ImportDriver.h"

#include "data/DatabaseError.h"
#include "exchange/ImportFixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> Lines(const std::string& text)
{
    std::istringstream stream(text);
    std::vector<std::string> lines;
    std::string line;
    while (ReadLine(stream, line))
        lines.push_back(line);
    return lines;
}

const char* const Ofx = "OFXHEADER:100\r\n\r\n<OFX><ACCTID>1001\r\n<STMTTRN>\r\n"
                        "<DTPOSTED>20160105\r\n<TRNAMT>-10\r\n<FITID>F1\r\n</STMTTRN></OFX>\r\n";

class ImportDriver : public ImportTest
{
protected:
    StatementFormat Detect(const std::string& name, const std::string& content)
    {
        return DetectFormat(WriteFile(name, content));
    }
};
} // namespace

TEST(ReadLine, SplitsAtLfCrAndCrLfAlike)
{
    EXPECT_EQ(Lines("a\nb\rc\r\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(Lines("a\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Lines("\n\n"), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Lines("\r\r\n"), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Lines(""), (std::vector<std::string>{}));
    EXPECT_EQ(Lines(std::string("a\0b\n\xff", 5)),
              (std::vector<std::string>{std::string("a\0b", 3), "\xff"}));
}

TEST(ReadLine, EmptiesTheLineAtTheEnd)
{
    std::istringstream stream("x");
    std::string line = "old";
    EXPECT_TRUE(ReadLine(stream, line));
    EXPECT_EQ(line, "x");
    EXPECT_FALSE(ReadLine(stream, line));
    EXPECT_EQ(line, "");
}

TEST_F(ImportDriver, TheQifExtensionDecidesAlone)
{
    EXPECT_EQ(Detect("statement.QiF", Ofx), StatementFormat::Qif);
    EXPECT_EQ(Detect("x.qif", ""), StatementFormat::Qif);
    EXPECT_EQ(DetectFormat("/no/such/file.qif"), StatementFormat::Qif);
    EXPECT_EQ(Detect("x.qif.ofx", "!Type:Bank\n"), StatementFormat::Unknown);
    std::filesystem::create_directory(WriteFile("dir.qif", "") + ".d");
    EXPECT_EQ(DetectFormat(WriteFile("plain", "") + "/../dir.qif.d/name"),
              StatementFormat::Unknown);
}

TEST_F(ImportDriver, RecognisesSgmlOfxAfterEmptyLinesOnly)
{
    EXPECT_EQ(Detect("a.ofx", "\n\r\n\rOFXHEADER:100\r\nDATA:OFXSGML\r\n"),
              StatementFormat::OfxSgml);
    EXPECT_EQ(Detect("b.ofx", "OFXHEADER:100 \r\n"), StatementFormat::Unknown);
    EXPECT_EQ(Detect("c.ofx", "\xEF\xBB\xBFOFXHEADER:100\r\n"), StatementFormat::Unknown);
    EXPECT_EQ(Detect("d.ofx", " \nOFXHEADER:100\n"), StatementFormat::Unknown);
    EXPECT_EQ(Detect("e.ofx", "ofxheader:100\n"), StatementFormat::Unknown);
    EXPECT_EQ(Detect("f.qfx", "OFXHEADER:100"), StatementFormat::OfxSgml);
}

TEST_F(ImportDriver, RecognisesOfc)
{
    EXPECT_EQ(Detect("a.ofc", "<OFC>\n"), StatementFormat::OfxSgml);
    EXPECT_EQ(Detect("b.ofc", "<OFC><ACCTSTMT>"), StatementFormat::OfxSgml);
    EXPECT_EQ(Detect("c.ofc", "<ofc>\n"), StatementFormat::Unknown);
}

TEST_F(ImportDriver, RecognisesXmlOfxByItsProcessingInstruction)
{
    EXPECT_EQ(Detect("a.ofx", "<?xml version=\"1.0\"?>\n\n<!-- c -->\n"
                              "<?OFX OFXHEADER=\"200\" VERSION=\"211\"?>\n<OFX>"),
              StatementFormat::OfxXml);
    EXPECT_EQ(Detect("b.ofx", "<?xml version=\"1.0\"?><?OFX OFXHEADER=\"200\"?>"),
              StatementFormat::OfxXml);
    EXPECT_EQ(Detect("c.ofx", "<?xml version=\"1.0\"?>\n<?OFX OFXHEADER=\"200\"?>"
                              "\n"),
              StatementFormat::OfxXml);
    EXPECT_EQ(Detect("d.ofx", "<?xml version=\"1.0\"?>\n<OFX>\n<?OFX\tOFXHEADER=\"200\"?>\n"),
              StatementFormat::Unknown);
    EXPECT_EQ(Detect("e.ofx", "<?xml version=\"1.0\"?>\n<OFXHEADER>\n"), StatementFormat::Unknown);
}

TEST_F(ImportDriver, FilesWithoutAnyTextAreUnknown)
{
    EXPECT_EQ(Detect("a.ofx", ""), StatementFormat::Unknown);
    EXPECT_EQ(Detect("b.ofx", "\r\n\n\r"), StatementFormat::Unknown);
    EXPECT_EQ(Detect("c.ofx", "!Type:Bank\n"), StatementFormat::Unknown);
    EXPECT_EQ(DetectFormat("/no/such/file.ofx"), StatementFormat::Unknown);
    EXPECT_EQ(DetectFormat(std::filesystem::temp_directory_path().string()),
              StatementFormat::Unknown);
}

TEST_F(ImportDriver, AnEmptyPathDoesNothing)
{
    ImportFileResult result = ImportFile(Context(), "");
    EXPECT_EQ(result.format, StatementFormat::Unknown);
    EXPECT_TRUE(ui.statusLog.empty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(viewRefreshes, 0);
}

TEST_F(ImportDriver, AnUnknownFormatIsReportedAndChangesNothing)
{
    AddAccount("1001", "Checking");
    Db().Execute("UPDATE Account SET CurrentBalance = 5");
    std::string path = WriteFile("bad.ofx", "hello\n");
    ImportFileResult result = ImportFile(Context(), path);
    EXPECT_EQ(result.format, StatementFormat::Unknown);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Invalid file format.");
    EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Stop);
    EXPECT_EQ(Value("SELECT CurrentBalance FROM Account"), "5") << "no balance recomputed";
    EXPECT_EQ(ui.statusLog, (std::vector<std::string>{"Importing " + path + "..."}));
    EXPECT_TRUE(ui.status.empty());
    EXPECT_EQ(ui.waitDepth, 0);
    EXPECT_EQ(viewRefreshes, 0);
}

TEST_F(ImportDriver, ImportsRecomputesEveryBalanceAndRefreshes)
{
    AddAccount("1001", "Checking");
    AddAccount("2002", "Wallet", "Cash");
    AddAccount("3003", "Car", "Loan");
    AddAccount("4004", "Stocks", "Investment");
    Db().Execute("INSERT INTO Trans (AccountID, Amount, Sequence) VALUES ('2002', -2.5, 1)");
    Db().Execute("INSERT INTO Loan (AccountID, OriginalAmount, PaidAmount) VALUES "
                 "('3003', 1000, 250)");
    Db().Execute("INSERT INTO Investment (AccountID, Total) VALUES ('4004', 70)");
    Db().Execute("UPDATE Account SET CurrentBalance = 99");
    std::string path = WriteFile("s.ofx", Ofx);
    ImportFileResult result = ImportFile(Context(), path);
    EXPECT_EQ(result.format, StatementFormat::OfxSgml);
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(Rows("SELECT AccountID, CurrentBalance FROM Account ORDER BY AccountID"),
              (std::vector<std::string>{"1001|-10", "2002|-2.5", "3003|750", "4004|70"}));
    EXPECT_EQ(viewRefreshes, 1);
    EXPECT_TRUE(ui.status.empty());
    EXPECT_EQ(ui.waitDepth, 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ImportDriver, BalancesAreRecomputedAfterAReaderError)
{
    AddAccount("1001", "Checking");
    std::string ofx = Ofx;
    std::string bad = ofx.substr(0, ofx.find("</OFX>")) +
                      "<STMTTRN><DTPOSTED>20161340<TRNAMT>-1<FITID>F2</STMTTRN></OFX>";
    ImportFileResult result = ImportFile(Context(), WriteFile("s.ofx", bad));
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(Value("SELECT CurrentBalance FROM Account"), "-10");
    EXPECT_EQ(viewRefreshes, 1);
    EXPECT_EQ(Db().TransactionDepth(), 0);
}

TEST_F(ImportDriver, HandsQifFilesToTheQifReader)
{
    AddAccount("1001", "Checking");
    chooser.Map("Checking");
    ImportFileResult result =
        ImportFile(Context(), WriteFile("s.QIF", "!Type:Bank\nD1/5/16\nT-4\n^\n"));
    EXPECT_EQ(result.format, StatementFormat::Qif);
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(Value("SELECT CurrentBalance FROM Account"), "-4");
}

TEST_F(ImportDriver, TheImportCommandRunsTheRulesEvenWithoutAFile)
{
    AddAccount("1001", "Checking");
    Db().Execute("INSERT INTO Trans (AccountID, Description, Category, Year, Period, Sequence) "
                 "VALUES ('1001', 'Shell', '(none)', 2016, 1, 1)");
    Db().Execute("INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) "
                 "VALUES ('Description', 'contains', 'shell', 'Fuel', 1)");
    ImportStatementFile(Context(), "");
    EXPECT_EQ(Value("SELECT Category FROM Trans"), "Fuel");
    ImportStatementFile(Context(), WriteFile("s.ofx", Ofx));
    EXPECT_EQ(Count("Trans WHERE Category = '(none)'"), 1);
}

TEST_F(ImportDriver, AnAccountDialogErrorInAQifImportRollsTheImportBack)
{
    // A chooser that fails the way a broken store would.
    struct Failing : AccountChooser
    {
        std::optional<AccountChoice> Choose(const AccountChoiceRequest&) override
        {
            throw DatabaseError(Status::Fail, "disk gone");
        }
    } failing;
    ImportContext context(Db(), ui, failing);
    EXPECT_THROW(ImportFile(context, WriteFile("s.qif", "!Type:Bank\n")), DatabaseError);
    EXPECT_TRUE(ui.status.empty());
    EXPECT_EQ(ui.waitDepth, 0);
    EXPECT_EQ(Db().TransactionDepth(), 0);
}

TEST_F(ImportDriver, AnImportIsOneDatabaseTransaction)
{
    AddAccount("1001", "Checking");
    std::string blocks;
    for (int i = 0; i < 50; ++i)
        blocks += "<STMTTRN><DTPOSTED>201601" + std::to_string(10 + i % 20) + "<TRNAMT>-1<FITID>T" +
                  std::to_string(i) + "</STMTTRN>\n";
    int commits = 0;
    sqlite3_commit_hook(
        Db().Handle(),
        [](void* count)
        {
            ++*static_cast<int*>(count);
            return 0;
        },
        &commits);
    ImportFileResult result =
        ImportFile(Context(), WriteFile("s.ofx", "OFXHEADER:100\n<ACCTID>1001\n" + blocks));
    sqlite3_commit_hook(Db().Handle(), nullptr, nullptr);
    EXPECT_EQ(result.added, 50);
    EXPECT_EQ(commits, 1);
}

TEST_F(ImportDriver, AnAccountWithoutNumberDoesNotStopTheBalances)
{
    AddAccount("1001", "Checking");
    Db().Execute("INSERT INTO Account (Description, Type) VALUES ('Unnumbered', 'Bank')");
    ImportFileResult result = ImportFile(Context(), WriteFile("s.ofx", Ofx));
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(Value("SELECT CurrentBalance FROM Account WHERE AccountID = '1001'"), "-10");
}
