#include "exchange/ImportDriver.h"

#include "data/DatabaseError.h"
#include "exchange/ImportFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace
{
const char* const Ofx = "OFXHEADER:100\r\n\r\n<OFX><ACCTID>1001\r\n<STMTTRN>\r\n"
                        "<DTPOSTED>20160105\r\n<TRNAMT>-10\r\n<FITID>F1\r\n</STMTTRN></OFX>\r\n";

using ImportDriver = ImportTest;

/// Another program's connection to the same database file.
class OtherConnection
{
public:
    explicit OtherConnection(const std::string& path)
    {
        EXPECT_EQ(sqlite3_open(path.c_str(), &m_db), SQLITE_OK);
    }
    ~OtherConnection() { sqlite3_close(m_db); }
    OtherConnection(const OtherConnection&) = delete;
    OtherConnection& operator=(const OtherConnection&) = delete;

    void Run(const char* sql)
    {
        EXPECT_EQ(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    }

private:
    sqlite3* m_db = nullptr;
};

/// A statement of each format with 200 rows: far more text than a message could show.
std::vector<std::pair<std::string, std::string>> LongStatements()
{
    std::string ofx;
    std::string qif = "!Type:Bank\n";
    std::string csv = "Date,Description,Amount\n";
    for (int i = 1; i <= 200; ++i)
    {
        std::string day = (i % 28 < 9 ? "0" : "") + std::to_string(i % 28 + 1);
        std::string payee = "Shop " + std::to_string(i);
        ofx += Block("F" + std::to_string(i), "201601" + day, "-1", payee);
        qif += "D1/" + day + "/16\nT-1\nP" + payee + "\n^\n";
        csv += "2016-01-" + day + "," + payee + ",-1.00\n";
    }
    return {{"long.ofx", Statement("1001", ofx)}, {"long.qif", qif}, {"long.csv", csv}};
}
} // namespace

TEST_F(ImportDriver, DetectsTheFormat)
{
    using F = StatementFormat;
    const struct
    {
        const char* name;
        std::string content;
        StatementFormat expected;
    } cases[] = {
        // The .qif extension decides alone.
        {"statement.QiF", Ofx, F::Qif},
        {"x.qif", "", F::Qif},
        {"x.qif.ofx", "!Type:Bank\n", F::Unknown},
        // SGML after a byte-order mark and blanks, its header on lines or on one line.
        {"a.ofx", "\n\r\n\rOFXHEADER:100\r\nDATA:OFXSGML\r\n", F::OfxSgml},
        {"b.ofx", "OFXHEADER:100 \r\n", F::OfxSgml},
        {"c.ofx", "\xEF\xBB\xBFOFXHEADER:100\r\n", F::OfxSgml},
        {"d.ofx", " \nOFXHEADER:100\n", F::OfxSgml},
        {"one.ofx", "OFXHEADER:100 DATA:OFXSGML VERSION:102 CHARSET:1252<OFX><SIGNONMSGSRSV1>",
         F::OfxSgml},
        {"bare.ofx", "<OFX>\r\n<SIGNONMSGSRSV1>", F::OfxSgml},
        {"bom.ofx", "\xEF\xBB\xBF\r\n<OFX>", F::OfxSgml},
        {"e.ofx", "ofxheader:100\n", F::Unknown},
        {"g.ofx", "x OFXHEADER:100\n", F::Unknown},
        {"h.ofx", "\xEF\xBB\xBF", F::Unknown},
        {"i.ofx", "<ofx>", F::Unknown},
        {"f.qfx", "OFXHEADER:100", F::OfxSgml},
        {"a.ofc", "<OFC>\n", F::OfxSgml},
        {"b.ofc", "<OFC><ACCTSTMT>", F::OfxSgml},
        {"c.ofc", "<ofc>\n", F::Unknown},
        // XML by its processing instruction.
        {"x1.ofx", "<?xml version=\"1.0\"?>\n\n<!-- c -->\n<?OFX OFXHEADER=\"200\"?>\n<OFX>",
         F::OfxXml},
        {"x2.ofx", "<?xml version=\"1.0\"?><?OFX OFXHEADER=\"200\"?>", F::OfxXml},
        {"x3.ofx", "<?xml version=\"1.0\"?>\n<OFX>\n<?OFX\tOFXHEADER=\"200\"?>\n", F::OfxXml},
        {"x5.ofx", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-16\"?><OFX>", F::OfxXml},
        {"x6.ofx", "<?xml version=\"1.0\"?>" + std::string(70000, ' ') + "<OFX>", F::Unknown},
        {"x4.ofx", "<?xml version=\"1.0\"?>\n<OFXHEADER>\n", F::Unknown},
        {"u1.ofx", "", F::Unknown},
        {"u2.ofx", "\r\n\n\r", F::Unknown},
        {"u3.ofx", "!Type:Bank\n", F::Unknown},
        // CSV: delimited text with dates and amounts, neither OFX nor QIF, whatever its name.
        {"a.csv", "Date;Amount\n01.03.2019;-1,50\n", F::Csv},
        {"b.txt",
         "\xEF\xBB\xBF"
         "2019-03-01\tShop\t-1.50\r\n",
         F::Csv},
        {"table.ofx", "Date,Amount\n2019-03-01,-1.50\n", F::Csv},
        {"d.csv", "OFXHEADER:100\r\n<OFX>", F::OfxSgml},
        {"e.qif", "Date,Amount\n2019-03-01,-1.50\n", F::Qif},
        {"f.csv", "Name,Age\nBob,3\n", F::Unknown},
        {"g.csv", "hello\n", F::Unknown},
        {"h.csv", "", F::Unknown},
        {"i.csv", std::string("2019-03-01,-1.50\n\0\0\0", 20), F::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectFormat(WriteFile(c.name, c.content)), c.expected) << c.name;
    EXPECT_EQ(DetectFormat("/no/such/file.qif"), F::Qif);
    EXPECT_EQ(DetectFormat("/no/such/file.ofx"), F::Unknown);
    EXPECT_EQ(DetectFormat(std::filesystem::temp_directory_path().string()), F::Unknown);
    std::filesystem::create_directory(WriteFile("dir.qif", "") + ".d");
    EXPECT_EQ(DetectFormat(WriteFile("plain", "") + "/../dir.qif.d/name"), F::Unknown);
}

TEST_F(ImportDriver, AnEmptyPathOrUnknownFormatChangesNothing)
{
    AddAccount("1001", "Checking");
    Db().Execute("UPDATE Account SET CurrentBalance = 5");
    EXPECT_EQ(ImportFile(Context(), "").format, StatementFormat::Unknown);
    EXPECT_TRUE(ui.statusLog.empty());
    EXPECT_TRUE(ui.messages.empty());
    std::string path = WriteFile("bad.ofx", "hello\n");
    EXPECT_EQ(ImportFile(Context(), path).format, StatementFormat::Unknown);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Invalid file format.");
    EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Stop);
    EXPECT_EQ(Value("SELECT CurrentBalance FROM Account"), "5") << "no balance recomputed";
    EXPECT_EQ(ui.statusLog, (std::vector<std::string>{"Importing " + path + "..."}));
    ExpectUiSettled();
    EXPECT_EQ(viewRefreshes, 0);
}

TEST_F(ImportDriver, ImportsInOneCommitRecomputesEveryBalanceAndRefreshes)
{
    AddAccount("1001", "Checking");
    AddAccount("2002", "Wallet", "Cash");
    AddAccount("3003", "Car", "Loan");
    AddAccount("4004", "Stocks", "Investment");
    Db().Execute("INSERT INTO Account (Description, Type) VALUES ('Unnumbered', 'Bank')");
    Db().Execute("INSERT INTO Trans (AccountID, Amount, Sequence) VALUES ('2002', -2.5, 1)");
    Db().Execute("INSERT INTO Loan (AccountID, OriginalAmount, PaidAmount) VALUES "
                 "('3003', 1000, 250)");
    Db().Execute("INSERT INTO Investment (AccountID, Total) VALUES ('4004', 70)");
    Db().Execute("UPDATE Account SET CurrentBalance = 99");
    std::string blocks;
    for (int i = 0; i < 50; ++i)
        blocks += "<STMTTRN><DTPOSTED>201601" + std::to_string(10 + i % 20) + "<TRNAMT>-1<FITID>T" +
                  std::to_string(i) + "</STMTTRN>\n";
    ImportFileResult result;
    EXPECT_EQ(CommitsDuring(
                  [&] {
                      result = ImportFile(
                          Context(), WriteFile("s.ofx", "OFXHEADER:100\n<ACCTID>1001\n" + blocks));
                  }),
              1);
    EXPECT_EQ(result.format, StatementFormat::OfxSgml);
    EXPECT_EQ(result.added, 50);
    EXPECT_EQ(Rows("SELECT AccountID, CurrentBalance FROM Account WHERE AccountID <> '' "
                   "ORDER BY AccountID"),
              (std::vector<std::string>{"1001|-50", "2002|-2.5", "3003|750", "4004|70"}));
    EXPECT_EQ(viewRefreshes, 1);
    ExpectUiSettled();
    EXPECT_TRUE(ui.messages.empty());

    // QIF files go to the QIF reader; a reader error still recomputes the balances.
    chooser.Map("Checking");
    result = ImportFile(Context(), WriteFile("s.QIF", "!Type:Bank\nD1/5/16\nT-4\n^\n"));
    EXPECT_EQ(result.format, StatementFormat::Qif);
    EXPECT_EQ(result.added, 1);
    std::string ofx = Ofx;
    EXPECT_TRUE(ImportFile(Context(), WriteFile("bad.ofx", ofx.substr(0, ofx.find("</OFX>")) +
                                                               "<STMTTRN><DTPOSTED>20161340"
                                                               "<TRNAMT>-1<FITID>F2</STMTTRN>"))
                    .stopped);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(Value("SELECT CurrentBalance FROM Account WHERE AccountID = '1001'"), "-64");
    EXPECT_EQ(viewRefreshes, 3);
    EXPECT_EQ(Db().TransactionDepth(), 0);
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

TEST_F(ImportDriver, AnAccountDialogErrorInAQifImportRollsTheImportBackAndSaysWhy)
{
    chooser.onChoose = [] { throw DatabaseError(Status::Fail, "disk gone"); };
    ImportFileResult result = ImportFile(Context(), WriteFile("s.qif", "!Type:Bank\n"));
    EXPECT_TRUE(result.stopped);
    EXPECT_TRUE(result.databaseFailed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "disk gone (-2147467259)");
    ExpectUiSettled();
    EXPECT_EQ(Db().TransactionDepth(), 0);
}

TEST_F(ImportDriver, ADatabaseInUseOrReadOnlyIsNamedAndTheStatementIsNotBlamed)
{
    AddAccount("1001", "Checking");
    Db().Execute("UPDATE Account SET CurrentBalance = 5");
    auto queryOnly = [this](bool on)
    {
        std::string sql = std::string("PRAGMA query_only = ") + (on ? "ON" : "OFF");
        ASSERT_EQ(sqlite3_exec(Db().Handle(), sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    };
    const struct
    {
        const char* failure;
        std::string message;
    } failures[] = {
        // Another program holds the file's write lock before the import begins: the first
        // read of the import fails.
        {"in use", "The database file is in use by another program. (-2147467259)"},
        // Reading works and every write is refused, a statement row's first of all.
        {"read-only", "The database file is read-only. (-2147467259)"},
    };
    for (const auto& [name, text] : LongStatements())
    {
        std::string path = WriteFile(name, text);
        for (const auto& [failure, message] : failures)
        {
            SCOPED_TRACE(name + " " + failure);
            ui.messages.clear();
            chooser.answers.clear();
            chooser.Map("Checking"); // the QIF and CSV statements name no account
            ImportFileResult result;
            {
                OtherConnection other(Db().Path());
                bool inUse = std::string(failure) == "in use";
                if (inUse)
                    other.Run("BEGIN EXCLUSIVE");
                else
                    queryOnly(true);
                result = ImportStatementFile(Context(), path);
                if (!inUse)
                    queryOnly(false);
            }
            EXPECT_TRUE(result.stopped);
            EXPECT_TRUE(result.databaseFailed);
            EXPECT_EQ(result.added, 0);
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, message);
            EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Stop);
            // Nothing of the statement was kept, and the view was not redrawn over it.
            EXPECT_EQ(Count("Trans"), 0);
            EXPECT_EQ(Count("Budget"), 0);
            EXPECT_EQ(Value("SELECT CurrentBalance FROM Account"), "5");
            EXPECT_EQ(viewRefreshes, 0);
            EXPECT_EQ(Db().TransactionDepth(), 0);
            ExpectUiSettled();
        }
    }

    // Once the other program has let go, the same statement imports.
    ui.messages.clear();
    ImportFileResult again =
        ImportStatementFile(Context(), WriteFile("again.ofx", LongStatements()[0].second));
    EXPECT_FALSE(again.stopped);
    EXPECT_EQ(again.added, 200);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Value("SELECT CurrentBalance FROM Account"), "-200");
}
