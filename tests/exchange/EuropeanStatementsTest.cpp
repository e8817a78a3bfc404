// CAMT and MT940 files imported through the driver, as the Import command imports them:
// detection, storing, a second import, the bank's balance, under several locales and zones.

#include "exchange/ImportDriver.h"
#include "exchange/ImportFixture.h"
#include "support/RegionEnv.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
/// Two camt.053 statements: account DE11 (known) with a payment out, a batch of two salary
/// transfers in, and one pending entry; account DE22 (unknown) with one payment in.
const std::string Camt =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.08\"><BkToCstmrStmt>"
    "<GrpHdr><MsgId>M1</MsgId><CreDtTm>2016-04-01T06:00:00</CreDtTm></GrpHdr>"
    "<Stmt><Id>S1</Id><Acct><Id><IBAN> DE11 </IBAN></Id></Acct>"
    "<Bal><Tp><CdOrPrtry><Cd>OPBD</Cd></CdOrPrtry></Tp><Amt Ccy=\"EUR\">100.00</Amt>"
    "<CdtDbtInd>CRDT</CdtDbtInd><Dt><Dt>2016-03-01</Dt></Dt></Bal>"
    "<Bal><Tp><CdOrPrtry><Cd>CLBD</Cd></CdOrPrtry></Tp><Amt Ccy=\"EUR\">1277.66</Amt>"
    "<CdtDbtInd>CRDT</CdtDbtInd><Dt><Dt>2016-03-31</Dt></Dt></Bal>"
    "<Ntry><NtryRef>N1</NtryRef><Amt Ccy=\"EUR\">22.34</Amt><CdtDbtInd>DBIT</CdtDbtInd>"
    "<Sts><Cd>BOOK</Cd></Sts><BookgDt><Dt>2016-03-01</Dt></BookgDt><ValDt><Dt>2016-03-02</Dt>"
    "</ValDt><AcctSvcrRef>R1</AcctSvcrRef><NtryDtls><TxDtls><RltdPties><Cdtr><Pty><Nm>"
    "B\xC3\xA4"
    "ckerei M\xC3\xBCller</Nm></Pty></Cdtr></RltdPties><RmtInf><Ustrd>Rechnung 7"
    "</Ustrd><Ustrd>Danke</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>"
    "<Ntry><Amt Ccy=\"EUR\">1200.00</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts><Cd>BOOK</Cd></Sts>"
    "<BookgDt><Dt>2016-03-31</Dt></BookgDt><AcctSvcrRef>R2</AcctSvcrRef><NtryDtls>"
    "<TxDtls><Amt Ccy=\"EUR\">700.00</Amt><CdtDbtInd>CRDT</CdtDbtInd><RltdPties><Dbtr><Pty>"
    "<Nm>Firma A</Nm></Pty></Dbtr></RltdPties></TxDtls>"
    "<TxDtls><Amt Ccy=\"EUR\">500.00</Amt><CdtDbtInd>CRDT</CdtDbtInd><RltdPties><Dbtr><Pty>"
    "<Nm>Firma B</Nm></Pty></Dbtr></RltdPties></TxDtls></NtryDtls></Ntry>"
    "<Ntry><Amt Ccy=\"EUR\">9.99</Amt><CdtDbtInd>DBIT</CdtDbtInd><Sts><Cd>PDNG</Cd></Sts>"
    "<BookgDt><Dt>2016-03-31</Dt></BookgDt><AcctSvcrRef>R3</AcctSvcrRef></Ntry>"
    "</Stmt>"
    "<Stmt><Id>S2</Id><Acct><Id><Othr><Id>DE22</Id></Othr></Id></Acct>"
    "<Ntry><Amt Ccy=\"EUR\">5.00</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts>BOOK</Sts>"
    "<BookgDt><Dt>2016-03-15</Dt></BookgDt><AcctSvcrRef>R4</AcctSvcrRef><AddtlNtryInf>Zinsen"
    "</AddtlNtryInf></Ntry></Stmt></BkToCstmrStmt></Document>\n";

/// An MT940 file in ISO-8859-1 of account DE11: a payment out (German ?-fields) on 1 March
/// and a payment in (unstructured) on 2 March; the bank's balance at the end of 2 March.
const std::string Mt940 = ":20:STARTUMS\r\n:25:DE11\r\n:28C:1/1\r\n:60F:C160229EUR100,00\r\n"
                          ":61:1603010301D22,34NMSCNONREF//R1\r\n"
                          ":86:166?00SEPA-UEBERWEISUNG?20Rechnung 7?32B\xE4"
                          "ckerei M\xFCller\r\n"
                          ":61:1603020302C1200,NMSCKREF9//R2\r\n:86:Gehalt M\xE4rz\r\n"
                          ":62F:C160302EUR1277,66\r\n-\r\n";

/// The amount of the payment out as the locale writes it.
std::string Out(const std::string& locale)
{
    return locale == "de_DE.UTF-8" ? "-22,34" : "-22.34";
}

class EuropeanStatements : public ImportTest
{
protected:
    ImportFileResult Import(const std::string& name, const std::string& content)
    {
        return ImportFile(Context(), WriteFile(name, content));
    }

    /// Runs a test under each locale and time zone, each time on account DE11 "Giro" with an
    /// opening balance of 100 and no rows.
    void InEveryRegion(const std::function<void(const std::string& locale)>& test)
    {
        for (const char* locale : {"C", "en_US.UTF-8", "de_DE.UTF-8"})
            for (const char* zone : {"America/New_York", "Europe/Berlin"})
            {
                SCOPED_TRACE(std::string(locale) + " " + zone);
                LocaleEnv region(locale);
                if (!region.Ok())
                {
                    ADD_FAILURE() << "the locale " << locale << " is not installed";
                    continue;
                }
                TimeZoneEnv tz(zone);
                Db().Execute("DELETE FROM Trans");
                Db().Execute("DELETE FROM Account");
                AddAccount("DE11", "Giro");
                Db().Execute("UPDATE Account SET OpeningBalance = 100");
                test(locale);
            }
    }
};
} // namespace

TEST_F(EuropeanStatements, CamtIsStoredOnceUnderEveryLocaleAndTimeZone)
{
    InEveryRegion(
        [&](const std::string& locale)
        {
            chooser.Create("Bank", "Tagesgeld");
            ImportFileResult first = Import("statement.xml", Camt);
            EXPECT_EQ(first.format, StatementFormat::Camt);
            EXPECT_EQ(first.added, 4);
            EXPECT_EQ(first.pending, 1);
            EXPECT_EQ(Stored("AccountID, FITID, Amount, Description, PayeeName"),
                      (std::vector<std::string>{"DE11|R1|" + Out(locale) +
                                                    "|B\xC3\xA4"
                                                    "ckerei M\xC3\xBCller|Rechnung 7 Danke",
                                                "DE11|R2-1|700|Firma A|", "DE11|R2-2|500|Firma B|",
                                                "DE22|R4|5|Zinsen|"}));
            EXPECT_EQ(PostDates(), (std::vector<std::int64_t>{
                                       LocalMidnight(2016, 3, 1), LocalMidnight(2016, 3, 31),
                                       LocalMidnight(2016, 3, 31), LocalMidnight(2016, 3, 15)}));
            // 100 - 22.34 + 1,200 is the bank's 1,277.66.
            ASSERT_EQ(first.balances.size(), 1U);
            EXPECT_TRUE(first.balances[0].Agrees());
            ExpectBalancesUpToDate();

            ImportFileResult again = Import("statement.xml", Camt);
            EXPECT_EQ(again.added, 0);
            EXPECT_EQ(again.duplicates, 4);
            EXPECT_EQ(Count("Trans"), 4);
        });
}

TEST_F(EuropeanStatements, Mt940InIso88591IsStoredOnceUnderEveryLocaleAndTimeZone)
{
    InEveryRegion(
        [&](const std::string& locale)
        {
            ImportFileResult first = Import("statement.sta", Mt940);
            EXPECT_EQ(first.format, StatementFormat::Mt940);
            EXPECT_EQ(first.added, 2);
            EXPECT_EQ(Stored("FITID, Amount, Description, PayeeName"),
                      (std::vector<std::string>{"R1|" + Out(locale) +
                                                    "|B\xC3\xA4"
                                                    "ckerei M\xC3\xBCller|Rechnung 7",
                                                "R2|1200|Gehalt M\xC3\xA4rz|"}));
            EXPECT_EQ(PostDates(), (std::vector<std::int64_t>{LocalMidnight(2016, 3, 1),
                                                              LocalMidnight(2016, 3, 2)}));
            ASSERT_EQ(first.balances.size(), 1U);
            EXPECT_TRUE(first.balances[0].Agrees());
            EXPECT_EQ(Import("statement.sta", Mt940).added, 0);
            EXPECT_EQ(Count("Trans"), 2);
        });
}

TEST_F(EuropeanStatements, TheBanksBalanceIsComparedAndADisagreementNamed)
{
    AddAccount("DE11", "Giro");
    // Without the opening balance of 100 Tallybrook holds 1,177.66 on 2 March.
    ImportFileResult result = Import("statement.sta", Mt940);
    ASSERT_EQ(result.balances.size(), 1U);
    EXPECT_FALSE(result.balances[0].Agrees());
    EXPECT_EQ(result.balances[0].held, Currency::FromUnits(11776600));
    EXPECT_EQ(result.balances[0].bank, Currency::FromUnits(12776600));
    EXPECT_TRUE(result.balances[0].firstImport);
    EXPECT_NE(ImportSummary(result).find("Tallybrook has"), std::string::npos);
}

TEST_F(EuropeanStatements, AnEntityBombIsRefusedQuicklyAndStoresNothing)
{
    std::string bomb =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE Document [\n<!ENTITY a \"aaaaaaaaaa\">\n";
    std::string previous = "a";
    for (char name = 'b'; name <= 'k'; ++name)
    {
        bomb += "<!ENTITY " + std::string(1, name) + " \"";
        for (int i = 0; i < 10; ++i)
            bomb += "&" + previous + ";";
        bomb += "\">\n";
        previous = std::string(1, name);
    }
    bomb += "]>\n<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\">"
            "<BkToCstmrStmt><Stmt><Acct><Id><IBAN>DE11</IBAN></Id></Acct><Ntry><Amt>&k;</Amt>"
            "</Ntry></Stmt></BkToCstmrStmt></Document>\n";
    AddAccount("DE11", "Giro");
    // Ten levels of ten: expanded, 10^11 bytes, which would never end.
    ImportFileResult result = Import("bomb.xml", bomb);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(Count("Trans"), 0);
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages[0].text.rfind("Invalid data was found while importing:\n", 0), 0U);
}
