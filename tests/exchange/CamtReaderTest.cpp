// CAMT files as banks write them: statements (053), account reports (052) and notifications
// (054) of old and new versions, booked and pending entries, batches, reversals, declared
// character sets, broken and hostile XML, and files published by other CAMT parsers.

#include "exchange/CamtReader.h"

#include "data/DateTime.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using testing::HasSubstr;
using testing::ThrowsMessage;

namespace
{
// A whole file: the declaration, the Document of that namespace and the message around the
// statements.
std::string CamtFile(const std::string& version, const std::string& message,
                     const std::string& statements, const std::string& encoding = "UTF-8")
{
    return "<?xml version=\"1.0\" encoding=\"" + encoding +
           "\"?>\n<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:" + version + "\">\n<" +
           message +
           ">\n<GrpHdr><MsgId>MSG-1</MsgId><CreDtTm>2024-04-02T18:00:00</CreDtTm></GrpHdr>\n" +
           statements + "</" + message + ">\n</Document>\n";
}

// One statement element of an account given by IBAN.
std::string StatementOf(const std::string& iban, const std::string& body,
                        const std::string& element = "Stmt")
{
    return "<" + element + "><Id>ST-1</Id><Acct><Id><IBAN>" + iban + "</IBAN></Id></Acct>\n" +
           body + "</" + element + ">\n";
}

// A camt.053.001.02 file with one statement of account DE02100100100006820101.
std::string Statement053(const std::string& body)
{
    return CamtFile("camt.053.001.02", "BkToCstmrStmt",
                    StatementOf("DE02100100100006820101", body));
}

struct EntryXml
{
    std::string amount = "10.00";
    std::string indicator = "DBIT";
    std::string status = "<Sts>BOOK</Sts>";
    std::string dates = "<BookgDt><Dt>2024-04-02</Dt></BookgDt>";
    std::string rest = ""; ///< references, details and texts, written as given
};

std::string Ntry(const EntryXml& entry)
{
    return "<Ntry><Amt Ccy=\"EUR\">" + entry.amount + "</Amt><CdtDbtInd>" + entry.indicator +
           "</CdtDbtInd>" + entry.status + entry.dates + entry.rest + "</Ntry>\n";
}

// A transaction of an entry's details.
std::string TxDtls(const std::string& inside)
{
    return "<TxDtls>" + inside + "</TxDtls>";
}

std::string Details(const std::string& transactions)
{
    return "<NtryDtls>" + transactions + "</NtryDtls>";
}

std::string Day(const DateTime& date)
{
    return ToStorageText(date).substr(0, 10);
}

// "day | amount | fitid | description | notes", to compare a row in one line.
std::string Show(const StatementEntry& entry)
{
    EXPECT_FALSE(entry.date.HasTime());
    return Day(entry.date) + " | " + entry.amount.ToPointText() + " | " + entry.fitid + " | " +
           entry.description + " | " + entry.notes;
}

std::vector<std::string> ShowAll(const std::vector<StatementEntry>& entries)
{
    std::vector<std::string> rows;
    for (const StatementEntry& entry : entries)
        rows.push_back(Show(entry));
    return rows;
}

std::string Balance(const std::string& type, const std::string& amount,
                    const std::string& indicator, const std::string& date)
{
    return "<Bal><Tp><CdOrPrtry><Cd>" + type + "</Cd></CdOrPrtry></Tp><Amt Ccy=\"EUR\">" + amount +
           "</Amt><CdtDbtInd>" + indicator + "</CdtDbtInd><Dt>" + date + "</Dt></Bal>\n";
}

std::string ReadSample(const std::string& name)
{
    std::ifstream in(std::string(TALLYBROOK_STATEMENT_SAMPLES) + "/camt/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
} // namespace

TEST(CamtReader, StoresBookedEntriesAndCountsTheOthers)
{
    struct Case
    {
        const char* version;
        const char* status;
        bool booked;
    };
    const std::vector<Case> cases = {{"camt.053.001.02", "<Sts>BOOK</Sts>", true},
                                     {"camt.053.001.02", "<Sts> BOOK\n</Sts>", true},
                                     {"camt.053.001.02", "<Sts>PDNG</Sts>", false},
                                     {"camt.053.001.02", "<Sts>INFO</Sts>", false},
                                     {"camt.053.001.08", "<Sts><Cd>BOOK</Cd></Sts>", true},
                                     {"camt.053.001.08", "<Sts>\n  <Cd>BOOK</Cd>\n</Sts>", true},
                                     {"camt.053.001.08", "<Sts><Cd>PDNG</Cd></Sts>", false},
                                     {"camt.053.001.08", "<Sts><Cd>INFO</Cd></Sts>", false},
                                     {"camt.053.001.08", "", false}};
    for (const Case& c : cases)
    {
        std::string file =
            CamtFile(c.version, "BkToCstmrStmt",
                     StatementOf("DE02100100100006820101", Ntry({.status = c.status})));
        std::vector<BankStatement> statements = ReadCamtStatements(file);
        ASSERT_EQ(statements.size(), 1U) << c.status;
        EXPECT_EQ(statements[0].entries.size(), c.booked ? 1U : 0U) << c.status;
        EXPECT_EQ(statements[0].pending, c.booked ? 0 : 1) << c.status;
    }
}

TEST(CamtReader, KeepsTheBookedEntriesInFileOrder)
{
    std::string file = Statement053(
        Ntry({.amount = "1.00", .rest = "<AcctSvcrRef>A</AcctSvcrRef>"}) +
        Ntry({.amount = "2.00",
              .status = "<Sts>PDNG</Sts>",
              .rest = "<AcctSvcrRef>B</AcctSvcrRef>"}) +
        Ntry({.amount = "3.00", .indicator = "CRDT", .rest = "<AcctSvcrRef>C</AcctSvcrRef>"}) +
        Ntry({.amount = "4.00",
              .status = "<Sts>INFO</Sts>",
              .rest = "<AcctSvcrRef>D</AcctSvcrRef>"}));
    std::vector<BankStatement> statements = ReadCamtStatements(file);
    ASSERT_EQ(statements.size(), 1U);
    EXPECT_EQ(
        ShowAll(statements[0].entries),
        (std::vector<std::string>{"2024-04-02 | -1.00 | A |  | ", "2024-04-02 | 3.00 | C |  | "}));
    EXPECT_EQ(statements[0].pending, 2);
}

TEST(CamtReader, ReadsEachFieldOfAnEntry)
{
    struct Case
    {
        const char* name;
        EntryXml entry;
        const char* row;
    };
    const std::vector<Case> cases = {
        {"money out: the creditor, every remittance line",
         {.amount = "12.50",
          .rest = "<AcctSvcrRef>REF-1</AcctSvcrRef>" +
                  Details(TxDtls("<RltdPties><Dbtr><Nm>Me</Nm></Dbtr><Cdtr><Nm>Corner Bakery</Nm>"
                                 "</Cdtr></RltdPties><RmtInf><Ustrd>Bread</Ustrd><Ustrd>and rolls"
                                 "</Ustrd></RmtInf><AddtlTxInf>Card</AddtlTxInf>"))},
         "2024-04-02 | -12.50 | REF-1 | Corner Bakery | Bread and rolls"},
        {"money in: the debtor, in the newer party form; the transaction's text",
         {.amount = "1500",
          .indicator = "CRDT",
          .rest =
              "<NtryRef>NR-7</NtryRef>" +
              Details(TxDtls("<RltdPties><Dbtr><Pty><Nm>Employer Ltd</Nm></Pty></Dbtr><Cdtr><Pty>"
                             "<Nm>Me</Nm></Pty></Cdtr></RltdPties><AddtlTxInf>Salary April"
                             "</AddtlTxInf>"))},
         "2024-04-02 | 1500.00 | NR-7 | Employer Ltd | Salary April"},
        {"the servicer's reference before the entry's own",
         {.rest = "<NtryRef>NR-8</NtryRef><AcctSvcrRef>AS-8</AcctSvcrRef>"},
         "2024-04-02 | -10.00 | AS-8 |  | "},
        {"the end-to-end id when the entry has no reference; the entry's text",
         {.amount = "3.20",
          .rest = Details(TxDtls("<Refs><EndToEndId>E2E-42</EndToEndId></Refs>")) +
                  "<AddtlNtryInf>Card payment</AddtlNtryInf>"},
         "2024-04-02 | -3.20 | E2E-42 | Card payment | "},
        {"NOTPROVIDED is no reference",
         {.amount = "3.20",
          .rest = Details(TxDtls("<Refs><EndToEndId>NOTPROVIDED</EndToEndId></Refs>"))},
         "2024-04-02 | -3.20 |  |  | "},
        {"only the other side's name: the entry's text",
         {.rest = "<AcctSvcrRef>X1</AcctSvcrRef>" +
                  Details(TxDtls("<RltdPties><Dbtr><Nm>Me</Nm></Dbtr></RltdPties>")) +
                  "<AddtlNtryInf>Standing order</AddtlNtryInf>"},
         "2024-04-02 | -10.00 | X1 | Standing order | "},
        {"a reversal of a credit keeps the file's debit",
         {.amount = "25.00",
          .rest = "<RvslInd>true</RvslInd><AcctSvcrRef>RV-1</AcctSvcrRef><AddtlNtryInf>Return"
                  "</AddtlNtryInf>"},
         "2024-04-02 | -25.00 | RV-1 | Return | "},
        {"a reversal of a debit keeps the file's credit",
         {.amount = "25.00",
          .indicator = "CRDT",
          .rest = "<RvslInd>true</RvslInd><AcctSvcrRef>RV-2</AcctSvcrRef>"},
         "2024-04-02 | 25.00 | RV-2 |  | "},
        {"the booking day of a date and time, as written",
         {.dates =
              "<BookgDt><DtTm>2024-03-31T23:30:00-05:00</DtTm></BookgDt><ValDt><Dt>2024-04-02</Dt>"
              "</ValDt>"},
         "2024-03-31 | -10.00 |  |  | "},
        {"the value day when there is no booking day",
         {.dates = "<ValDt><Dt>2024-04-05</Dt></ValDt>"},
         "2024-04-05 | -10.00 |  |  | "},
        {"the value day of a date and time",
         {.dates = "<ValDt><DtTm>2024-04-06T00:15:00+14:00</DtTm></ValDt>"},
         "2024-04-06 | -10.00 |  |  | "},
        {"blanks around and line breaks inside texts",
         {.rest =
              "<AcctSvcrRef> REF 9 </AcctSvcrRef>" +
              Details(TxDtls("<RltdPties><Cdtr><Nm>  Stadtwerke\n   Musterstadt  </Nm></Cdtr>"
                             "</RltdPties><RmtInf><Ustrd> Invoice 4711\r\nMarch </Ustrd><Ustrd>  "
                             "</Ustrd><Ustrd>customer  12</Ustrd></RmtInf>"))},
         "2024-04-02 | -10.00 | REF 9 | Stadtwerke Musterstadt | Invoice 4711 March customer  12"},
        {"escaped characters and CDATA",
         {.rest =
              Details(TxDtls("<RltdPties><Cdtr><Nm>Smith &amp; Sons &#8364;</Nm></Cdtr></RltdPties>"
                             "<RmtInf><Ustrd><![CDATA[<order 5>]]></Ustrd></RmtInf>"))},
         "2024-04-02 | -10.00 |  | Smith & Sons \xE2\x82\xAC | <order 5>"}};
    for (const Case& c : cases)
    {
        std::vector<BankStatement> statements = ReadCamtStatements(Statement053(Ntry(c.entry)));
        ASSERT_EQ(statements.size(), 1U) << c.name;
        ASSERT_EQ(statements[0].entries.size(), 1U) << c.name;
        EXPECT_EQ(Show(statements[0].entries[0]), c.row) << c.name;
    }
}

TEST(CamtReader, SplitsABatchWhoseItemsMakeTheEntry)
{
    const std::string alpha =
        TxDtls("<Amt Ccy=\"EUR\">60.00</Amt><RltdPties><Cdtr><Nm>Alpha</Nm></Cdtr>"
               "</RltdPties><RmtInf><Ustrd>Invoice A</Ustrd></RmtInf>");
    const std::string betaTxAmt =
        TxDtls("<AmtDtls><TxAmt><Amt Ccy=\"EUR\">40.00</Amt></TxAmt></AmtDtls>"
               "<RltdPties><Cdtr><Nm>Beta</Nm></Cdtr></RltdPties>"
               "<AddtlTxInf>Invoice B</AddtlTxInf>");
    const std::string betaShort =
        TxDtls("<Amt Ccy=\"EUR\">30.00</Amt><RltdPties><Cdtr><Nm>Beta</Nm>"
               "</Cdtr></RltdPties>");
    const std::string betaNoAmount = TxDtls("<RltdPties><Cdtr><Nm>Beta</Nm></Cdtr></RltdPties>");
    struct Case
    {
        const char* name;
        EntryXml entry;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {"items of 60 and 40 make 100 out",
         {.amount = "100.00",
          .rest = "<AcctSvcrRef>BATCH-9</AcctSvcrRef>" + Details(alpha + betaTxAmt)},
         {"2024-04-02 | -60.00 | BATCH-9-1 | Alpha | Invoice A",
          "2024-04-02 | -40.00 | BATCH-9-2 | Beta | Invoice B"}},
        {"items with their own directions: 80 in and 30 out make 50 in",
         {.amount = "50.00",
          .indicator = "CRDT",
          .rest =
              "<NtryRef>MIX</NtryRef>" +
              Details(TxDtls("<Amt>80.00</Amt><CdtDbtInd>CRDT</CdtDbtInd><RltdPties><Dbtr><Nm>"
                             "Customer</Nm></Dbtr><Cdtr><Nm>Me</Nm></Cdtr></RltdPties>") +
                      TxDtls("<Amt>30.00</Amt><CdtDbtInd>DBIT</CdtDbtInd><RltdPties><Dbtr><Nm>Me"
                             "</Nm></Dbtr><Cdtr><Nm>Bank fees</Nm></Cdtr></RltdPties>"))},
         {"2024-04-02 | 80.00 | MIX-1 | Customer | ",
          "2024-04-02 | -30.00 | MIX-2 | Bank fees | "}},
        {"two detail groups of one entry",
         {.amount = "100.00",
          .rest = "<AcctSvcrRef>G</AcctSvcrRef>" + Details(alpha) + Details(betaTxAmt)},
         {"2024-04-02 | -60.00 | G-1 | Alpha | Invoice A",
          "2024-04-02 | -40.00 | G-2 | Beta | Invoice B"}},
        {"no entry reference: the first end-to-end id numbered",
         {.amount = "10.00",
          .rest = Details(TxDtls("<Refs><EndToEndId>P1</EndToEndId></Refs><Amt>4.00</Amt>") +
                          TxDtls("<Refs><EndToEndId>P2</EndToEndId></Refs><Amt>6.00</Amt>"))},
         {"2024-04-02 | -4.00 | P1-1 |  | ", "2024-04-02 | -6.00 | P1-2 |  | "}},
        {"items of 60 and 30 do not make 100: one row, the first item's party",
         {.amount = "100.00", .rest = "<AcctSvcrRef>B2</AcctSvcrRef>" + Details(alpha + betaShort)},
         {"2024-04-02 | -100.00 | B2 | Alpha | Invoice A"}},
        {"an item without an amount: one row",
         {.amount = "100.00",
          .rest = "<AcctSvcrRef>B3</AcctSvcrRef>" + Details(alpha + betaNoAmount)},
         {"2024-04-02 | -100.00 | B3 | Alpha | Invoice A"}},
        {"one transaction of the entry's amount: one row, no number",
         {.amount = "60.00", .rest = "<AcctSvcrRef>ONE</AcctSvcrRef>" + Details(alpha)},
         {"2024-04-02 | -60.00 | ONE | Alpha | Invoice A"}}};
    for (const Case& c : cases)
    {
        std::vector<BankStatement> statements = ReadCamtStatements(Statement053(Ntry(c.entry)));
        ASSERT_EQ(statements.size(), 1U) << c.name;
        EXPECT_EQ(ShowAll(statements[0].entries), c.rows) << c.name;
    }
}

TEST(CamtReader, ReadsEveryStatementOfEveryAccountInFileOrder)
{
    std::string first = StatementOf(" DE02100100100006820101\n ",
                                    Ntry({.amount = "1.00"}) + Ntry({.status = "<Sts>PDNG</Sts>"}));
    std::string second =
        "<Stmt><Id>ST-2</Id><Acct><Id><Othr><Id> 0123456789 </Id></Othr></Id></Acct>" +
        Ntry({.amount = "2.00", .indicator = "CRDT"}) + Ntry({.amount = "3.00"}) + "</Stmt>\n";
    std::string third = StatementOf("DE02100100100006820101", Ntry({.status = "<Sts>PDNG</Sts>"}));
    std::vector<BankStatement> statements =
        ReadCamtStatements(CamtFile("camt.053.001.02", "BkToCstmrStmt", first + second + third));
    ASSERT_EQ(statements.size(), 3U);
    EXPECT_EQ(statements[0].accountId, "DE02100100100006820101");
    EXPECT_EQ(ShowAll(statements[0].entries),
              std::vector<std::string>{"2024-04-02 | -1.00 |  |  | "});
    EXPECT_EQ(statements[0].pending, 1);
    EXPECT_EQ(statements[1].accountId, "0123456789");
    EXPECT_EQ(
        ShowAll(statements[1].entries),
        (std::vector<std::string>{"2024-04-02 | 2.00 |  |  | ", "2024-04-02 | -3.00 |  |  | "}));
    EXPECT_EQ(statements[1].pending, 0);
    EXPECT_EQ(statements[2].accountId, "DE02100100100006820101");
    EXPECT_TRUE(statements[2].entries.empty());
    EXPECT_EQ(statements[2].pending, 1);
}

TEST(CamtReader, ReadsReportsAndNotificationsOfEveryVersion)
{
    struct Case
    {
        const char* version;
        const char* message;
        const char* element;
    };
    const std::vector<Case> cases = {{"camt.052.001.02", "BkToCstmrAcctRpt", "Rpt"},
                                     {"camt.052.001.08", "BkToCstmrAcctRpt", "Rpt"},
                                     {"camt.053.001.04", "BkToCstmrStmt", "Stmt"},
                                     {"camt.053.001.10", "BkToCstmrStmt", "Stmt"},
                                     {"camt.054.001.02", "BkToCstmrDbtCdtNtfctn", "Ntfctn"},
                                     {"camt.054.001.08", "BkToCstmrDbtCdtNtfctn", "Ntfctn"}};
    for (const Case& c : cases)
    {
        std::string body =
            StatementOf("CH9300762011623852957", Ntry({.amount = "7.00"}), c.element) +
            StatementOf("CH5604835012345678009", Ntry({.amount = "8.00"}), c.element);
        std::vector<BankStatement> statements =
            ReadCamtStatements(CamtFile(c.version, c.message, body));
        ASSERT_EQ(statements.size(), 2U) << c.version;
        EXPECT_EQ(statements[0].accountId, "CH9300762011623852957") << c.version;
        EXPECT_EQ(ShowAll(statements[0].entries),
                  std::vector<std::string>{"2024-04-02 | -7.00 |  |  | "})
            << c.version;
        EXPECT_EQ(statements[1].accountId, "CH5604835012345678009") << c.version;
        EXPECT_EQ(ShowAll(statements[1].entries),
                  std::vector<std::string>{"2024-04-02 | -8.00 |  |  | "})
            << c.version;
    }
}

TEST(CamtReader, GivesTextsInUtf8WhateverTheDeclaredCharacterSet)
{
    struct Case
    {
        const char* encoding;
        const char* written; ///< the name in the file's character set
        const char* utf8;
    };
    const std::vector<Case> cases = {
        {"ISO-8859-1",
         "M\xFCller &amp; S\xF6hne Stra\xDF"
         "e",
         "M\xC3\xBCller & S\xC3\xB6hne Stra\xC3\x9F"
         "e"},
        {"UTF-8", "M\xC3\xBCller &amp; S\xC3\xB6hne", "M\xC3\xBCller & S\xC3\xB6hne"},
        {"windows-1252", "Caf\xE9 \x80 5", "Caf\xC3\xA9 \xE2\x82\xAC 5"}};
    for (const Case& c : cases)
    {
        EntryXml entry{.rest = Details(TxDtls(std::string("<RltdPties><Cdtr><Nm>") + c.written +
                                              "</Nm></Cdtr></RltdPties>"))};
        std::string file = CamtFile("camt.053.001.02", "BkToCstmrStmt",
                                    StatementOf("DE02100100100006820101", Ntry(entry)), c.encoding);
        std::vector<BankStatement> statements = ReadCamtStatements(file);
        ASSERT_EQ(statements.size(), 1U) << c.encoding;
        ASSERT_EQ(statements[0].entries.size(), 1U) << c.encoding;
        EXPECT_EQ(statements[0].entries[0].description, c.utf8) << c.encoding;
    }
}

TEST(CamtReader, FindsTheFirstDayAndTheClosingBalance)
{
    struct Case
    {
        const char* name;
        std::string body;
        const char* firstDay; ///< "none" when the statement says none
        const char* closing;  ///< "amount on day", or "none"
    };
    const std::vector<Case> cases = {
        {"opening and closing balance",
         Balance("OPBD", "1000.00", "CRDT", "<Dt>2024-03-31</Dt>") +
             Balance("CLBD", "1200.50", "CRDT", "<Dt>2024-04-02</Dt>") + Ntry({}),
         "2024-03-31", "1200.50 on 2024-04-02"},
        {"closing balance in debit, with a time",
         Balance("OPBD", "10.00", "DBIT", "<DtTm>2024-04-01T08:00:00+02:00</DtTm>") +
             Balance("CLBD", "75.25", "DBIT", "<DtTm>2024-04-02T22:00:00-03:00</DtTm>"),
         "2024-04-01", "-75.25 on 2024-04-02"},
        {"previously closed balance only",
         Balance("PRCD", "5.00", "CRDT", "<Dt>2024-03-29</Dt>") + Ntry({}), "2024-03-29", "none"},
        {"opening balance before the previously closed one",
         Balance("PRCD", "5.00", "CRDT", "<Dt>2024-03-29</Dt>") +
             Balance("OPBD", "5.00", "CRDT", "<Dt>2024-03-30</Dt>"),
         "2024-03-30", "none"},
        {"other balances only: the period's start",
         "<FrToDt><FrDtTm>2024-04-01T00:00:00+02:00</FrDtTm><ToDtTm>2024-04-02T23:59:59+02:00"
         "</ToDtTm></FrToDt>" +
             Balance("CLAV", "9.00", "CRDT", "<Dt>2024-04-02</Dt>") + Ntry({}),
         "2024-04-01", "none"},
        {"no balance, no period: the first booked entry's day",
         Ntry({.status = "<Sts>PDNG</Sts>", .dates = "<BookgDt><Dt>2024-03-01</Dt></BookgDt>"}) +
             Ntry({.dates = "<BookgDt><Dt>2024-04-03</Dt></BookgDt>"}) + Ntry({}),
         "2024-04-03", "none"},
        {"nothing at all", "", "none", "none"}};
    for (const Case& c : cases)
    {
        std::vector<BankStatement> statements = ReadCamtStatements(Statement053(c.body));
        ASSERT_EQ(statements.size(), 1U) << c.name;
        const BankStatement& statement = statements[0];
        EXPECT_EQ(statement.firstDay ? Day(*statement.firstDay) : "none", c.firstDay) << c.name;
        EXPECT_EQ(statement.closing ? statement.closing->amount.ToPointText() + " on " +
                                          Day(statement.closing->date)
                                    : "none",
                  c.closing)
            << c.name;
    }
}

TEST(CamtReader, RefusesWhatItCannotRead)
{
    std::string unclosed = Statement053(Ntry({}));
    unclosed.erase(unclosed.find("</BkToCstmrStmt>"), 16);
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"a missing closing tag", unclosed},
        {"no XML at all", ":20:STARTUMSE\r\n:25:10020030/1234567\r\n"},
        {"nothing", ""},
        {"another ISO 20022 message", "<?xml version=\"1.0\"?><Document "
                                      "xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.001.001.03\">"
                                      "<CstmrCdtTrfInitn/></Document>"},
        {"a CAMT message not read here",
         CamtFile("camt.056.001.01", "FIToFIPmtCxlReq", StatementOf("DE02100100100006820101", ""))},
        {"no namespace", "<Document><BkToCstmrStmt><Stmt/></BkToCstmrStmt></Document>"},
        {"another root", "<Statement xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"/>"},
        {"no known message",
         "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"><Other/></Document>"},
        {"an amount with a decimal comma", Statement053(Ntry({.amount = "12,50"}))},
        {"an amount that is no number", Statement053(Ntry({.amount = "twelve"}))},
        {"an entry without an amount",
         Statement053("<Ntry><CdtDbtInd>DBIT</CdtDbtInd><Sts>BOOK</Sts><BookgDt><Dt>2024-04-02</Dt>"
                      "</BookgDt></Ntry>")},
        {"a day that does not exist",
         Statement053(Ntry({.dates = "<BookgDt><Dt>2024-02-30</Dt></BookgDt>"}))},
        {"a date in another form",
         Statement053(Ntry({.dates = "<BookgDt><Dt>02.04.2024</Dt></BookgDt>"}))},
        {"an entry without a date", Statement053(Ntry({.dates = ""}))},
        {"neither credit nor debit", Statement053(Ntry({.indicator = "CREDIT"}))},
        {"a batch item neither credit nor debit",
         Statement053(Ntry({.rest = Details(TxDtls("<Amt>4</Amt><CdtDbtInd>X</CdtDbtInd>") +
                                            TxDtls("<Amt>6</Amt>"))}))},
        {"a closing balance that cannot be read",
         Statement053(Balance("CLBD", "1.2.3", "CRDT", "<Dt>2024-04-02</Dt>"))}};
    for (const auto& [name, bytes] : cases)
        EXPECT_THROW(ReadCamtStatements(bytes), StatementError) << name;
}

TEST(CamtReader, SaysWhatIsWrongInPlainWords)
{
    std::string unclosed = Statement053(Ntry({}));
    unclosed.erase(unclosed.find("</BkToCstmrStmt>"), 16);
    EXPECT_THAT([&] { ReadCamtStatements(unclosed); },
                ThrowsMessage<StatementError>(HasSubstr("not well-formed XML (line 9)")));
    EXPECT_THAT([] { ReadCamtStatements("<Document xmlns=\"urn:x\"/>"); },
                ThrowsMessage<StatementError>(HasSubstr("not a CAMT bank statement")));
    EXPECT_THAT([] { ReadCamtStatements(Statement053(Ntry({.amount = "12,50"}))); },
                ThrowsMessage<StatementError>(HasSubstr("\"12,50\"")));
}

TEST(CamtSafety, RefusesEntityDeclarationsQuickly)
{
    std::string laughs = "<!ENTITY l0 \"ha\">";
    for (int level = 1; level <= 10; ++level)
    {
        std::string previous = "&l" + std::to_string(level - 1) + ";";
        std::string tenTimes;
        for (int i = 0; i < 10; ++i)
            tenTimes += previous;
        laughs += "<!ENTITY l" + std::to_string(level) + " \"" + tenTimes + "\">";
    }
    const std::string entry =
        Ntry({.rest = Details(TxDtls("<RltdPties><Cdtr><Nm>&x;</Nm></Cdtr></RltdPties>"))});
    const std::string document =
        "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"><BkToCstmrStmt>" +
        StatementOf("DE02100100100006820101", entry) + "</BkToCstmrStmt></Document>";
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"a billion laughs", "<?xml version=\"1.0\"?>\n<!DOCTYPE Document [" + laughs +
                                 "<!ENTITY x \"&l10;\">]>\n" + document},
        {"an external file", "<?xml version=\"1.0\"?>\n<!DOCTYPE Document [<!ENTITY x SYSTEM "
                             "\"file:///etc/passwd\">]>\n" +
                                 document},
        {"an external parameter entity", "<?xml version=\"1.0\"?>\n<!DOCTYPE Document [<!ENTITY % "
                                         "p SYSTEM \"file:///etc/passwd\"> %p;"
                                         "<!ENTITY x \"y\">]>\n" +
                                             document},
        {"a harmless text",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE Document [<!ENTITY x \"Bakery\">]>\n" + document}};
    for (const auto& [name, bytes] : cases)
    {
        EXPECT_THAT([&] { ReadCamtStatements(bytes); },
                    ThrowsMessage<StatementError>(HasSubstr("declares XML entities")))
            << name;
    }
}

TEST(CamtSafety, DoesNotLoadAnExternalDocumentTypeDefinition)
{
    std::string file =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE Document SYSTEM \"file:///etc/passwd\">\n"
        "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"><BkToCstmrStmt>" +
        StatementOf("DE02100100100006820101", Ntry({})) + "</BkToCstmrStmt></Document>";
    std::vector<BankStatement> statements = ReadCamtStatements(file);
    ASSERT_EQ(statements.size(), 1U);
    EXPECT_EQ(ShowAll(statements[0].entries),
              std::vector<std::string>{"2024-04-02 | -10.00 |  |  | "});
}

TEST(CamtLooksLike, KnowsACamtDocumentByItsHead)
{
    const std::vector<std::tuple<const char*, std::string, bool>> cases = {
        {"statement with a declaration",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Document "
         "xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\">",
         true},
        {"account report",
         "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.052.001.08\"><BkToCstmrAcctRpt>",
         true},
        {"notification, schema instance first",
         "<?xml version=\"1.0\"?><Document xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
         "xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.054.001.04\">",
         true},
        {"prefixed root",
         "<ns2:Document xmlns:ns2=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.08\">", true},
        {"byte order mark, comment and single quotes",
         "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- exported 2024-04-02 -->\n<Document "
         "xmlns='urn:iso:std:iso:20022:tech:xsd:camt.053.001.04'>",
         true},
        {"attributes on their own lines",
         "<Document\n  xmlns = \"urn:iso:std:iso:20022:tech:xsd:camt.053.001.10\"\n  "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">",
         true},
        {"head ending inside the root's tag",
         "<?xml version=\"1.0\"?>\n<Document "
         "xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\" "
         "xmlns:xsi=\"http://www.w3",
         true},
        {"an Austrian banks' namespace",
         "<Document xmlns=\"ISO:camt.053.001.02:APC:STUZZA:payments:003\">", true},
        {"credit transfer initiation",
         "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.001.001.03\">", false},
        {"cancellation request",
         "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.056.001.01\">", false},
        {"no message digit", "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.05\">", false},
        {"no namespace", "<?xml version=\"1.0\"?><Document><BkToCstmrStmt>", false},
        {"another root", "<BkToCstmrStmt xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\">",
         false},
        {"a longer root name",
         "<DocumentX xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\">", false},
        {"the namespace in a comment only",
         "<!-- urn:iso:std:iso:20022:tech:xsd:camt.053.001.02 --><Document>", false},
        {"head ending before the root", "<?xml version=\"1.0\"?>\n<Docu", false},
        {"OFX", "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n", false},
        {"MT940", ":20:STARTUMSE\r\n:25:10020030/1234567\r\n", false},
        {"nothing", "", false}};
    for (const auto& [name, head, camt] : cases)
        EXPECT_EQ(LooksLikeCamt(head), camt) << name;
}

TEST(CamtSamples, ReadPublishedFilesAsTheyStateThemselves)
{
    // Written by hand from each file: its account, the rows it books (a batch whose items
    // make its entry counted per item), the sum of its entries as its balances or its summary
    // state it, its first day and its balances. `agree` is false where the published closing
    // balance is not the opening balance plus the entries (a shortened example file).
    struct Expected
    {
        const char* account;
        std::size_t rows;
        const char* sum;
        const char* firstDay;
        const char* opening; ///< "" when none
        const char* closing; ///< "" when none
        bool agree;
    };
    struct Sample
    {
        const char* file;
        std::vector<Expected> statements;
    };
    const std::vector<Sample> samples = {
        // PRCD 33.06, CLBD 23.06; entries 2.00 out, 3.00 out, 1.00 in, 6.00 out (3.50 + 2.50).
        {"camt053_v02_batch.xml",
         {{"DE14740618130000033626", 5, "-10.00", "2013-12-27", "33.06", "23.06", true}}},
        // OPBD 18.15 to CLBD 27.00; then OPBD 27.00 to CLBD 20.00.
        {"camt053_v02_two_statements.xml",
         {{"NL26VAYB8060476890", 1, "8.85", "2014-12-30", "18.15", "27.00", true},
          {"NL26VAYB8060476890", 1, "-7.00", "2014-12-30", "27.00", "20.00", true}}},
        // TxsSummry: 1 credit entry, sum 4500.00, no debit entries.
        {"camt053_v02_summary.xml",
         {{"CH9788761065025111111", 1, "4500.00", "2019-05-13", "100.00", "4500.00", false}}},
        // Entries 474.40 in, 88.85 in, 19.69 out.
        {"camt053_v08.xml",
         {{"CH1111111111111111111", 3, "543.56", "2023-06-20", "82721.95", "84515.25", false}}},
        // One entry of 5.00 out; no balances; the period starts 2013-01-01.
        {"camt052_v02_othr_account.xml",
         {{"0000000000000001", 1, "-5.00", "2013-01-01", "", "", false}}},
        // 24.00 in (15.00 + 9.00), 56.56 in, reversals of 6.00 and 15.53 out; no balances.
        {"camt054_v04_batch_reversal.xml",
         {{"CH0309000000250090342", 5, "59.03", "2016-04-10", "", "", false}}}};
    for (const Sample& sample : samples)
    {
        std::string bytes = ReadSample(sample.file);
        ASSERT_FALSE(bytes.empty()) << sample.file;
        EXPECT_TRUE(LooksLikeCamt(bytes.substr(0, 512))) << sample.file;
        std::vector<BankStatement> statements = ReadCamtStatements(bytes);
        ASSERT_EQ(statements.size(), sample.statements.size()) << sample.file;
        for (std::size_t i = 0; i < statements.size(); ++i)
        {
            const BankStatement& statement = statements[i];
            const Expected& expected = sample.statements[i];
            EXPECT_EQ(statement.accountId, expected.account) << sample.file;
            EXPECT_EQ(statement.entries.size(), expected.rows) << sample.file;
            EXPECT_EQ(statement.pending, 0) << sample.file;
            Currency sum;
            for (const StatementEntry& entry : statement.entries)
                sum += entry.amount;
            EXPECT_EQ(sum.ToPointText(), expected.sum) << sample.file;
            ASSERT_TRUE(statement.firstDay) << sample.file;
            EXPECT_EQ(Day(*statement.firstDay), expected.firstDay) << sample.file;
            EXPECT_EQ(statement.closing ? statement.closing->amount.ToPointText() : "",
                      expected.closing)
                << sample.file;
            if (expected.agree)
            {
                EXPECT_EQ((*Currency::Parse(expected.opening) + sum).ToPointText(),
                          expected.closing)
                    << sample.file;
            }
        }
    }
}

TEST(CamtSamples, ReadBatchesAndReversalsOfPublishedFilesRowByRow)
{
    // Written by hand from the files.
    const std::vector<std::pair<const char*, std::vector<std::string>>> samples = {
        {"camt053_v02_batch.xml",
         {"2013-12-27 | -2.00 | 2013122710583450000 | Testkonto Nummer 2 | TEST BERWEISUNG MITTELS "
          "BLZUND KONTONUMMER - DTA",
          "2013-12-27 | -3.00 | 2013122710583600000 | Testkonto Nummer 2 | Test+berweisung mit BIC "
          "und "
          "IBAN SEPA IBAN: DE58740618130100033626 BIC: GENODEF1PFK",
          "2013-12-27 | 1.00 | 2013122711085260000 | Testkonto Nummer 2 | R CKBUCHUNG",
          "2013-12-27 | -3.50 | 2013122711513230000-1 | Testkonto Nummer 1 | Sammelueberwseisung "
          "2. "
          "Zahlung   TAN:283044",
          "2013-12-27 | -2.50 | 2013122711513230000-2 | Testkonto Nummer 1 | Sammelueberweisung 1. "
          "Zahlung   TAN:283044"}},
        {"camt053_v08.xml",
         {"2023-06-20 | 474.40 | 9999171ZC0173078 | Jon Doe | INVOICE R77561",
          "2023-06-20 | 88.85 | 2022172PH0003127 | Finanz AG | Credit Creditor Reference",
          "2023-06-20 | -19.69 | 0124571DN6195349 | DHL Express (Schweiz) AG | e-banking Order // "
          "FILETRANSFER"}},
        {"camt054_v04_batch_reversal.xml",
         {"2016-04-10 | 15.00 | 20160410375244000000000000000081-1 | Rutschmann Pia | Mitteilung "
          "132",
          "2016-04-10 | 9.00 | 20160410375244000000000000000081-2 | Bernasconi Maria | Mitteilung "
          "131",
          "2016-04-10 | 56.56 | 20160410375244000000000000000071 | Bernasconi Maria | ",
          "2016-04-10 | -6.00 | 20160410375244000000000000000082 | R\xC3\x9C"
          "CKBELASTUNG (REFUND) CHDD-BASISLASTSCHRIFT ID: 41107767420881932 REFERENZ-NR: "
          "PMTINF-2CHDDBB5 ZAHLUNGSPFLICHTIGER BERNASCONI MARIA MITTEILUNGEN: MD06 "
          "Lastschrift-Widerspruch durch den Zahlungspflichtigen | Mitteilung 128",
          "2016-04-10 | -15.53 | 20160410375244000000000000000072 | R\xC3\x9C"
          "CKBELASTUNG (REFUND) CHDD-BASISLASTSCHRIFT ID: 41107767420881932 REFERENZ-NR: "
          "SID-1-160309134053s4C ZAHLUNGSPFLICHTIGER RUTSCHMANN PIA MITTEILUNGEN: MD06 "
          "Lastschrift-Widerspruch durch den Zahlungspflichtigen | Mitteilung 134-"}}};
    for (const auto& [file, rows] : samples)
    {
        std::vector<BankStatement> statements = ReadCamtStatements(ReadSample(file));
        ASSERT_EQ(statements.size(), 1U) << file;
        EXPECT_EQ(ShowAll(statements[0].entries), rows) << file;
    }
}
