#include "exchange/Mt940Reader.h"

#include "data/Currency.h"
#include "data/DateTime.h"
#include "data/TextEncoding.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace
{
std::string DayText(const DateTime& date)
{
    return ToStorageText(date).substr(0, 10);
}

/// The statement's text with every line ended by CR LF (or by CR alone).
std::string WithLineEnds(std::string_view text, std::string_view lineEnd)
{
    std::string result;
    for (char c : text)
    {
        if (c == '\n')
            result += lineEnd;
        else
            result += c;
    }
    return result;
}

/// The message of the StatementError the text raises; empty when it raises none.
std::string ErrorOf(std::string_view text)
{
    try
    {
        ReadMt940Statements(text);
    }
    catch (const StatementError& error)
    {
        return error.what();
    }
    return {};
}

/// A statement of one account around one :61: line and, when given, its :86: text.
std::string OneEntryFile(std::string_view bookingLine, std::string_view details = {})
{
    std::string text = ":20:REF\n:25:ACCOUNT\n:60F:C230101EUR0,\n:61:";
    text += bookingLine;
    text += "\n";
    if (!details.empty())
        text += ":86:" + std::string(details) + "\n";
    return text + ":62F:C230131EUR0,\n-\n";
}

/// The one entry of OneEntryFile; a default entry, after a failed expectation, when the
/// file does not give exactly one.
StatementEntry OnlyEntry(std::string_view bookingLine, std::string_view details = {})
{
    std::vector<BankStatement> statements = ReadMt940Statements(OneEntryFile(bookingLine, details));
    EXPECT_EQ(statements.size(), 1U);
    if (statements.size() != 1 || statements[0].entries.size() != 1)
    {
        ADD_FAILURE() << "not one entry";
        return {};
    }
    return statements[0].entries[0];
}
} // namespace

// ---- Recognising the format ----

TEST(Mt940Looks, TellsStatementsFromOtherFiles)
{
    struct Case
    {
        const char* name;
        std::string head;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"plain", ":20:STARTUMSE\n:25:10020030/1234567\n:28C:1\n:60F:C230101EUR0,\n", true},
        {"crlf", ":20:STARTUMSE\r\n:25:10020030/1234567\r\n:61:2301010101C1,NTRF\r\n", true},
        {"envelope on one line",
         "{1:F01INGBNL2ABXXX0000000000}{2:I940INGBNL2AXXXN}{4:\n:20:X\n:25:NL1\n:60F:C", true},
        {"envelope over lines", "{1:F01BANK}\n{2:I940BANK}\n{4:\n:20:X\n:25:A\n:60M:C", true},
        {"blanks first", "\n  \n\t\n:20:X\n:25:A\n:60F:C230101EUR0,\n", true},
        {"byte order mark", "\xEF\xBB\xBF:20:X\n:25:A\n:60F:C230101EUR0,\n", true},
        {"rabobank header", ":940:\n:20:940S130101\n:25:NL71RABO0123456789\n:60F:C", true},
        {"abn amro header",
         "ABNANL2A\n940\nABNANL2A\n:20:ABN AMRO BANK NV\n:25:517852257\n:60F:", true},
        {"no account line", ":20:X\n:28C:1\n:60F:C230101EUR0,\n:61:2301010101C1,NTRF\n", false},
        {"no balance or entry", ":20:X\n:25:A\n:28C:1\n", false},
        {"account line first", ":25:A\n:20:X\n:60F:C230101EUR0,\n", false},
        {"five header lines", "a\nb\nc\nd\ne\n:20:X\n:25:A\n:60F:C230101EUR0,\n", false},
        {"qif", "!Type:Bank\nD1/15'16\nT-12.34\n^\n", false},
        {"ofx", "OFXHEADER:100\nDATA:OFXSGML\n<OFX>\n", false},
        {"camt", "<?xml version=\"1.0\"?>\n<Document><BkToCstmrStmt>", false},
        {"csv", "Date;Text;Amount\n2023-01-01;:20:X :25:A :60F:;1,00\n", false},
        {"empty", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LooksLikeMt940(c.head), c.expected) << c.name;
}

// ---- Statements, accounts, envelopes and line ends ----

namespace
{
const char* const FirstStatement = ":20:STMT1\n"
                                   ":25:10020030/1234567\n"
                                   ":28C:1/1\n"
                                   ":60F:C230102EUR100,00\n"
                                   ":61:2301020102C50,00NTRFREF1//B1\n"
                                   ":86:Lohn Januar\n"
                                   ":61:2301030103D20,50NMSCNONREF//B2\n"
                                   ":62F:C230103EUR129,50\n";
// The second account's statement, and a third statement that follows it without a "-".
const char* const SecondAndThird = ":20:STMT2\n"
                                   ":25: NL81ASNB0123456789 \n"
                                   ":28C:7\n"
                                   ":60F:D230102EUR10,\n"
                                   ":61:2301050105D5,NTRFX//B3\n"
                                   ":62F:D230105EUR15,\n"
                                   ":20:STMT3\n"
                                   ":25:10020030/1234567\n"
                                   ":60M:C230104EUR129,50\n"
                                   ":62M:C230104EUR129,50\n";
const char* const Envelope = "{1:F01BANKDEFFXXXX0000000000}{2:I940BANKDEFFXXXXN}{4:\n";

void ExpectTheThreeStatements(const std::vector<BankStatement>& statements)
{
    ASSERT_EQ(statements.size(), 3U);
    EXPECT_EQ(statements[0].accountId, "10020030/1234567");
    EXPECT_EQ(statements[1].accountId, "NL81ASNB0123456789");
    EXPECT_EQ(statements[2].accountId, "10020030/1234567");

    ASSERT_EQ(statements[0].entries.size(), 2U);
    EXPECT_EQ(statements[0].entries[0].amount.ToText(), "50");
    EXPECT_EQ(statements[0].entries[0].description, "Lohn Januar");
    EXPECT_EQ(statements[0].entries[1].amount.ToText(), "-20.5");
    EXPECT_EQ(statements[0].entries[1].fitid, "B2");
    ASSERT_EQ(statements[1].entries.size(), 1U);
    EXPECT_EQ(statements[1].entries[0].amount.ToText(), "-5");
    EXPECT_TRUE(statements[2].entries.empty());

    const char* const firstDays[] = {"2023-01-02", "2023-01-02", "2023-01-04"};
    const char* const closingDays[] = {"2023-01-03", "2023-01-05", "2023-01-04"};
    const char* const closingAmounts[] = {"129.5", "-15", "129.5"};
    for (std::size_t i = 0; i < 3; ++i)
    {
        ASSERT_TRUE(statements[i].firstDay.has_value()) << i;
        EXPECT_EQ(DayText(*statements[i].firstDay), firstDays[i]) << i;
        ASSERT_TRUE(statements[i].closing.has_value()) << i;
        EXPECT_EQ(DayText(statements[i].closing->date), closingDays[i]) << i;
        EXPECT_EQ(statements[i].closing->amount.ToText(), closingAmounts[i]) << i;
        EXPECT_EQ(statements[i].pending, 0) << i;
    }
}
} // namespace

TEST(Mt940Statements, ReadsEveryStatementOfEveryAccountHoweverWrapped)
{
    const std::string plain = std::string(FirstStatement) + "-\n" + SecondAndThird + "-\n";
    const std::string enveloped =
        std::string(Envelope) + FirstStatement + "-}\n" + Envelope + SecondAndThird + "-}{5:}\n";
    const std::string envelopeOverLines =
        std::string("{1:F01BANKDEFFXXXX0000000000}\n{2:I940BANKDEFFXXXXN}\n") +
        "{3:{108:MT940}}{4:\n" + FirstStatement + "-}\n{5:{CHK:123456789ABC}}\n" + Envelope +
        SecondAndThird + "-}\n";
    struct Case
    {
        const char* name;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"lf", plain},
        {"crlf", WithLineEnds(plain, "\r\n")},
        {"cr", WithLineEnds(plain, "\r")},
        {"no end at all", std::string(FirstStatement) + "-\n" + SecondAndThird},
        {"envelopes", enveloped},
        {"envelopes crlf", WithLineEnds(enveloped, "\r\n")},
        {"envelope blocks over lines", envelopeOverLines},
        {"header lines", "ABNANL2A\n940\nABNANL2A\n" + plain},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ExpectTheThreeStatements(ReadMt940Statements(c.text));
    }
}

TEST(Mt940Statements, ContinuedLinesAreReadAndOtherTagsPassedOver)
{
    const char* const text = ":20:STMT\n"
                             ":21:NONREF\n"
                             ":25:DE89370400440532013000\n"
                             ":28C:00001/\n"
                             "001\n"
                             ":60F:C230301EUR0,00\n"
                             ":13D:2303011200+0100\n"
                             ":61:2303010301C10,00NTRFABC//DEF\n"
                             "/OCMT/EUR10,00/\n"
                             ":86:Miete\n"
                             "Maerz\n"
                             "-Teil 2\n"
                             ":61:2303020302D1,00NTRFNONREF\n"
                             ":64:C230302EUR9,00\n"
                             ":65:C230303EUR9,00\n"
                             ":86:D000001C000001D1,00C10,00\n"
                             ":62F:C230302EUR9,00\n"
                             ":90D:1EUR1,00\n"
                             "-XXX\n";
    std::vector<BankStatement> statements = ReadMt940Statements(text);
    ASSERT_EQ(statements.size(), 1U);
    const BankStatement& statement = statements[0];
    EXPECT_EQ(statement.accountId, "DE89370400440532013000");
    ASSERT_EQ(statement.entries.size(), 2U);
    EXPECT_EQ(statement.entries[0].amount.ToText(), "10");
    EXPECT_EQ(statement.entries[0].fitid, "DEF");
    EXPECT_EQ(statement.entries[0].description, "Miete Maerz -Teil 2");
    EXPECT_EQ(statement.entries[1].amount.ToText(), "-1");
    EXPECT_EQ(statement.entries[1].fitid, "");
    EXPECT_EQ(statement.entries[1].description, "");
    ASSERT_TRUE(statement.closing.has_value());
    EXPECT_EQ(statement.closing->amount.ToText(), "9");
}

TEST(Mt940Statements, FirstDayIsTheFirstEntrysDayWithoutOpeningBalance)
{
    std::vector<BankStatement> statements =
        ReadMt940Statements(":20:X\n:25:A\n:61:2305070508C1,NTRF\n:61:2305060506C1,NTRF\n-\n"
                            ":20:Y\n:25:B\n:28C:1\n-\n");
    ASSERT_EQ(statements.size(), 2U);
    ASSERT_TRUE(statements[0].firstDay.has_value());
    EXPECT_EQ(DayText(*statements[0].firstDay), "2023-05-08");
    EXPECT_FALSE(statements[0].closing.has_value());
    EXPECT_FALSE(statements[1].firstDay.has_value());
    EXPECT_TRUE(statements[1].entries.empty());
}

TEST(Mt940Statements, EmptyTextHasNoStatements)
{
    EXPECT_TRUE(ReadMt940Statements("").empty());
    EXPECT_TRUE(ReadMt940Statements("\n\n-\n").empty());
}

// ---- The :61: line ----

TEST(Mt940Entry, ReadsDateSignAmountAndReference)
{
    struct Case
    {
        const char* line;
        const char* date;
        const char* amount;
        const char* fitid;
    };
    const Case cases[] = {
        // entry date MMDD wins over the value date
        {"2301150116C1234,56NTRFREF1//BANK1", "2023-01-16", "1234.56", "BANK1"},
        {"230115D100,NMSCNONREF//B2", "2023-01-15", "-100", "B2"},
        {"230115    C1,00NTRFA//B", "2023-01-15", "1", "B"},
        // the marks: C and RD bring money in, D and RC take it out
        {"2301150115RC12,5NRTIX//Y", "2023-01-15", "-12.5", "Y"},
        {"2301150115RD7,NRTIX//Y", "2023-01-15", "7", "Y"},
        // the currency's third letter after the mark
        {"2301150115CR5,00NTRFR//Y", "2023-01-15", "5", "Y"},
        {"2301150115DR5,00NTRFR//Y", "2023-01-15", "-5", "Y"},
        {"2301150115RCR3,00NRTINONREF", "2023-01-15", "-3", ""},
        {"2301150115RDR3,00NRTINONREF", "2023-01-15", "3", ""},
        // entry and value date on either side of a year's end
        {"2312310102C1,00NTRFA//B", "2024-01-02", "1", "B"},
        {"2401021231D1,00NTRFA//B", "2023-12-31", "-1", "B"},
        {"991231C1,NTRFA", "1999-12-31", "1", "A"},
        {"2402290229C1,NTRFA", "2024-02-29", "1", "A"},
        // references: the bank's, else the customer's unless NONREF
        {"230115C1,00NTRFNONREF", "2023-01-15", "1", ""},
        {"230115C1,00NTRFCUSTREF", "2023-01-15", "1", "CUSTREF"},
        {"230115C1,00NTRFABC//NONREF", "2023-01-15", "1", "ABC"},
        {"230115C65,00NMSC", "2023-01-15", "65", ""},
        {"230115D25,00N102EREF            ", "2023-01-15", "-25", "EREF"},
        {"1407290729C500NTRF29-07-2014 10:05//B4G29PGDCK1QFV3E", "2014-07-29", "500",
         "B4G29PGDCK1QFV3E"},
        {"2006080608D12,35 NRTIKREF+//2016021783252833\n/OCMT/EUR11,85//CHGS/EUR0,50/",
         "2020-06-08", "-12.35", "2016021783252833"},
        {"0910010930DR000000000062,60NCHGFees according//to advice", "2009-09-30", "-62.6",
         "to advice"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.line);
        StatementEntry entry = OnlyEntry(c.line);
        EXPECT_EQ(DayText(entry.date), c.date);
        EXPECT_EQ(entry.amount.ToText(), c.amount);
        EXPECT_EQ(entry.fitid, c.fitid);
    }
}

TEST(Mt940Entry, UnreadableLinesNameTheLine)
{
    struct Case
    {
        const char* name;
        std::string text;
        const char* line;   // "line 5"
        const char* reason; // a word of the reason
    };
    const std::vector<Case> cases = {
        {"short date", OneEntryFile("23011C1,00NTRF"), "line 4 ", "date"},
        {"month 13", OneEntryFile("231315C1,00NTRF"), "line 4 ", "date"},
        {"31 April", OneEntryFile("230431C1,00NTRF"), "line 4 ", "date"},
        {"entry date 30 February", OneEntryFile("2302270230C1,00NTRF"), "line 4 ", "date"},
        {"no mark", OneEntryFile("230115X1,00NTRF"), "line 4 ", "mark"},
        {"no amount", OneEntryFile("230115CNTRF"), "line 4 ", "amount"},
        {"two commas", OneEntryFile("230115C1,2,3NTRF"), "line 4 ", "amount"},
        {"before the account", ":20:X\n:61:230115C1,NTRF\n:25:A\n", "line 2 ", ":25:"},
        {"outside a statement", ":20:X\n:25:A\n-\n\n:61:230115C1,NTRF\n", "line 5 ", ":25:"},
        {"crlf", WithLineEnds(":20:X\n:25:A\n\n:61:23011\n", "\r\n"), "line 4 ", "date"},
        {"opening balance", ":20:X\n:25:A\n:60F:X230101EUR1,\n", "line 3 ", ":60F:"},
        {"closing balance", ":20:X\n:25:A\n:62F:C230101EUR1;5\n", "line 3 ", ":62F:"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(ReadMt940Statements(c.text), StatementError);
        std::string message = ErrorOf(c.text);
        EXPECT_NE(message.find(c.line), std::string::npos) << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    }
}

// ---- The :86: text ----

namespace
{
struct DetailsCase
{
    const char* details; ///< the :86: value, lines separated by "\n"
    const char* description;
    const char* notes;
};

void ExpectDetails(const std::vector<DetailsCase>& cases)
{
    for (const DetailsCase& c : cases)
    {
        SCOPED_TRACE(c.details);
        StatementEntry entry = OnlyEntry("230115C1,00NTRFA//B", c.details);
        EXPECT_EQ(entry.description, c.description);
        EXPECT_EQ(entry.notes, c.notes);
    }
}
} // namespace

TEST(Mt940Details, GermanFields)
{
    ExpectDetails({
        {"166?00UEBERWEISUNG?10931?20SVWZ+Miete Januar?32Max Mustermann", "Max Mustermann",
         "SVWZ+Miete Januar"},
        // a line of 27 characters goes on in the next one
        {"166?00UEBERWEISUNG?20SVWZ+Beitrag Musical fuer F?21RIDA 2020?32A", "A",
         "SVWZ+Beitrag Musical fuer FRIDA 2020"},
        {"166?00UEBERWEISUNG?20SVWZ+Miete ?21 Januar 2023?32A", "A", "SVWZ+Miete Januar 2023"},
        // a SEPA keyword starts a new item, even after 27 characters
        {"152?00DA-GUTSCHRIFT?20PURP+RINP Dauerauftrag/Rate?21SVWZ+Spende?32A", "A",
         "PURP+RINP Dauerauftrag/Rate SVWZ+Spende"},
        // line breaks only cut the lines, even inside a field's mark
        {"166?00GUTSCHRIFT?20SVWZ+Mie\nte Januar?2\n1Teil 2?32Erika Muster\nmann",
         "Erika Mustermann", "SVWZ+Miete Januar Teil 2"},
        {"191?00SEPA?20A?32Hellwig, Annegret, Hellwig,?33 Dieter",
         "Hellwig, Annegret, Hellwig, Dieter", "A"},
        {"166?00GUTSCHRIFT?32JOSEF?33        JAEGER?34166", "JOSEF JAEGER", ""},
        // without a name, the booking text
        {"805?00ABSCHLUSS ?20Entgelt?30DEUTDEFF?31DE02100100100006820101", "ABSCHLUSS", "Entgelt"},
        {"000>100987654321>20ALGEMENE TUSSENREKENING KOS>21TEN VAN 01-10-2010>310390123456", "",
         "ALGEMENE TUSSENREKENING KOSTEN VAN 01-10-2010"},
        {" 020?00Wyplata?20Odsetki?60od lokaty?61nr 101000", "Wyplata",
         "Odsetki od lokaty nr 101000"},
        {"079?00SAMMLER?109800?200904059001?34", "SAMMLER", "0904059001"},
    });
}

TEST(Mt940Details, DutchKeyedFields)
{
    ExpectDetails({
        {"/EREF/01-01-2013 12:00 0030000987654321/BENM//NAME/CONTRA ACCOUN\nT HOLDER/REMI//"
         "ISDT/2013-07-11",
         "CONTRA ACCOUNT HOLDER", ""},
        {"/BENM//NAME/JOHN DOE/REMI/Reference 201301234/ISDT/2013-01-02", "JOHN DOE",
         "Reference 201301234"},
        {"/CNTP/NL71ABNA0841238***/ABNANL2A/GREENFLUX ASSETS BV///REMI/USTD\n//Nr. 57 / "
         "21.2.2023/",
         "GREENFLUX ASSETS BV", "Nr. 57 / 21.2.2023"},
        {"/EREF/SCT-1//CNTP/NL68RABO0106200***/RABONL2U/Lambrix\n Elektrotechniek///REMI/USTD//"
         "110130590/",
         "Lambrix Elektrotechniek", "110130590"},
        {"/ORDP//NAME/Jan Jansen/ADDR/Dorpsstraat 1/REMI/USTD//factuur 12/", "Jan Jansen",
         "factuur 12"},
        {"/PREF/SEPA-1//REMI/USTD//TOTAAL 5 VZ/", "", "TOTAAL 5 VZ"},
        {"/TRTP/SEPA OVERBOEKING/IBAN/NL02ABNA0123456789/BIC/ABNANL2A/NAME/J. Smit/REMI/huur "
         "mei/EREF/NOTPROVIDED",
         "J. Smit", "huur mei"},
        {"/CNTP/NL02ABNA0123456789/ABNANL2A/Shop BV/Utrecht/REMI/STRD/CUR/RF18539007547034/",
         "Shop BV", "RF18539007547034"},
    });
}

TEST(Mt940Details, PlainTextGoesToTheDescription)
{
    ExpectDetails({
        {"GIRO   428428 KPN\nBETREFT FACTUUR   \n\n   INCL. 1,44 BTW  ",
         "GIRO   428428 KPN BETREFT FACTUUR INCL. 1,44 BTW", ""},
        {" \n   \nKosten gebruik betaalrekening   \n   ", "Kosten gebruik betaalrekening", ""},
        {"999PN5477SCHECK-NR. 0000016703074", "999PN5477SCHECK-NR. 0000016703074", ""},
        {"/ Geen sleutel", "/ Geen sleutel", ""},
    });
}

TEST(Mt940Details, SeveralDetailLinesMakeOneTextAndStatementTextIsPassedOver)
{
    std::vector<BankStatement> statements = ReadMt940Statements(
        ":20:X\n:25:A\n:60F:C230101EUR0,\n:86:before any entry\n:61:230115C1,NTRF\n"
        ":86:For your inform.\n:86:DABADKKK   \n:86:DANSKE BANK\n:62F:C230115EUR1,\n"
        ":86:D000001C000001\n-\n");
    ASSERT_EQ(statements.size(), 1U);
    ASSERT_EQ(statements[0].entries.size(), 1U);
    EXPECT_EQ(statements[0].entries[0].description, "For your inform. DABADKKK DANSKE BANK");
}

TEST(Mt940Details, Latin1UmlautsArriveDecoded)
{
    const std::string bytes = ":20:STARTUMSE\r\n"
                              ":25:70020270/15004008\r\n"
                              ":60F:C230601EUR1000,00\r\n"
                              ":61:2306010601DR49,90N005NONREF\r\n"
                              ":86:005?00LASTSCHRIFT?20SVWZ+Geb\xFChr f\xFCr \xC4nderung XY?21Z "
                              "Kundennr. 4711?32M\xFCller & S\xF6hne Gro\xDFhandel\r\n"
                              ":62F:C230601EUR950,10\r\n"
                              "-\r\n";
    ASSERT_FALSE(IsValidUtf8(bytes));
    std::vector<BankStatement> statements = ReadMt940Statements(DecodeStatementText(bytes, ""));
    ASSERT_EQ(statements.size(), 1U);
    ASSERT_EQ(statements[0].entries.size(), 1U);
    const StatementEntry& entry = statements[0].entries[0];
    EXPECT_EQ(entry.amount.ToText(), "-49.9");
    EXPECT_EQ(entry.description, "M\u00fcller & S\u00f6hne Gro\u00dfhandel");
    // "SVWZ+Gebühr für Änderung XY" is 27 characters, though more bytes
    EXPECT_EQ(entry.notes, "SVWZ+Geb\u00fchr f\u00fcr \u00c4nderung XYZ Kundennr. 4711");
    ASSERT_TRUE(statements[0].closing.has_value());
    EXPECT_EQ(statements[0].closing->amount.ToText(), "950.1");
}

// ---- Files published by other projects ----

namespace
{
std::string SampleBytes(const std::string& name)
{
    std::ifstream file(std::string(TALLYBROOK_STATEMENT_SAMPLES) + "/mt940/" + name,
                       std::ios::binary);
    EXPECT_TRUE(file.good()) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

/// A balance line's amount, signed by its C or D: ":62F:C190218EUR174,57" gives 174.57.
Currency BalanceAmount(std::string_view line)
{
    std::string_view value = line.substr(line.find(':', 1) + 1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\r'))
        value.remove_suffix(1);
    std::optional<Currency> amount = Currency::Parse(value.substr(10), ',');
    EXPECT_TRUE(amount.has_value()) << line;
    Currency result = amount.value_or(Currency());
    return value[0] == 'D' ? -result : result;
}

/// What a plain look at the lines of a file says of each statement.
struct Counted
{
    int bookingLines = 0;
    std::optional<Currency> opening;
    std::optional<Currency> closing;
};

std::vector<Counted> CountStatements(const std::string& text)
{
    std::vector<Counted> counted;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
    {
        if (line.starts_with(":20:"))
            counted.emplace_back();
        else if (counted.empty())
            continue;
        else if (line.starts_with(":61:"))
            ++counted.back().bookingLines;
        else if (line.starts_with(":60F:") || line.starts_with(":60M:"))
            counted.back().opening = BalanceAmount(line);
        else if (line.starts_with(":62F:") || line.starts_with(":62M:"))
            counted.back().closing = BalanceAmount(line);
    }
    return counted;
}
} // namespace

TEST(Mt940Samples, EachStatementAddsUpToItsClosingBalance)
{
    struct Case
    {
        const char* file;
        const char* account; ///< the first statement's
        std::size_t statements;
    };
    const Case cases[] = {
        {"sparkasse.txt", "87052000/123456789", 2},
        {"volksbankenraiffeisenbanken.txt", "66642399/93387", 8},
        {"lbbw.txt", "12345678/1324357", 1},
        {"rabobank-iban.txt", "NL71RABO0123456789", 2},
        {"ing-4.txt", "1234567", 1},
        {"asnb-mt940.txt", "NL81ASNB9999999999", 31},
        {"MT940_FI_Example.sta", "DABADKKK/111111-11111111", 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        std::string text = DecodeStatementText(SampleBytes(c.file), "");
        EXPECT_TRUE(LooksLikeMt940(text.substr(0, 2048)));
        std::vector<BankStatement> statements = ReadMt940Statements(text);
        std::vector<Counted> counted = CountStatements(text);
        ASSERT_EQ(counted.size(), c.statements);
        ASSERT_EQ(statements.size(), counted.size());
        EXPECT_EQ(statements[0].accountId, c.account);
        for (std::size_t i = 0; i < statements.size(); ++i)
        {
            SCOPED_TRACE(i);
            const BankStatement& statement = statements[i];
            EXPECT_EQ(static_cast<int>(statement.entries.size()), counted[i].bookingLines);
            ASSERT_TRUE(counted[i].opening && counted[i].closing && statement.closing);
            Currency sum = *counted[i].opening;
            for (const StatementEntry& entry : statement.entries)
                sum += entry.amount;
            EXPECT_EQ(sum.ToText(), counted[i].closing->ToText());
            EXPECT_EQ(statement.closing->amount.ToText(), counted[i].closing->ToText());
            EXPECT_TRUE(statement.firstDay.has_value());
        }
    }
}

TEST(Mt940Samples, EntriesReadAsTheFilesWriteThem)
{
    struct Case
    {
        const char* file;
        std::size_t statement;
        std::size_t entry;
        const char* date;
        const char* amount;
        const char* fitid;
        const char* description;
        const char* notes;
    };
    const Case cases[] = {
        {"sparkasse.txt", 0, 0, "2019-02-18", "-20", "", "ARAL AG",
         "SVWZ+2019-02-15T20.10 Debitk.4 2019-12 ABWA+Aral Tankstelle Chemnitz Leipziger "
         "Stra\u00dfe 257//Chemnitz/DE"},
        {"lbbw.txt", 0, 1, "2021-02-08", "0.01", "202102040007693", "NIC RICHTER",
         "KREF+SEPA-20210203175805-00154800-P1 SVWZ+E-MOBILITY ABRECHNUNG NR. 28 ZU VERTRAG "
         "9433, KUNDENNUMMER 11111"},
        {"volksbankenraiffeisenbanken.txt", 0, 0, "2020-02-19", "65", "", "Olivia Dorn",
         "SVWZ+einfach so fuer euch IBAN: DE40500105174675974588 BIC: HEISDE66"},
        {"volksbankenraiffeisenbanken.txt", 3, 0, "2020-02-25", "80", "",
         "Hellwig, Annegret, Hellwig, Dieter", nullptr},
        {"rabobank-iban.txt", 0, 0, "2013-01-01", "-25", "EREF", "CONTRA ACCOUNT HOLDER", ""},
        {"rabobank-iban.txt", 1, 1, "2013-01-09", "-10", "", "JOHN DOE", "Reference 201301234"},
        {"ing-4.txt", 0, 3, "2010-07-23", "327.78", "31103100006242",
         "Rexel Holding Netherlands B.V.",
         "POOL-M NL21INGB0650141172 POOL-S NL30INGB0008693687 PPM9455956 22/07/2010"},
        {"ing-4.txt", 0, 0, "2010-04-20", "-768.51", "31100900061605", "", "TOTAAL 5 VZ"},
        {"asnb-mt940.txt", 0, 0, "2020-01-01", "-65", "NL47INGB9999999999",
         "NL47INGB9999999999 hr gjlm paulissen Betaling sieraden", ""},
        {"asnb-mt940.txt", 24, 0, "2020-01-25", "-1.65", "",
         "Kosten gebruik betaalrekening inclusief 1 betaalpas", ""},
        {"MT940_FI_Example.sta", 0, 0, "2009-09-30", "0.23", "Interest", nullptr, ""},
        {"MT940_FI_Example.sta", 0, 4, "2009-09-30", "-62.6", "to advice",
         "Fees according to advice", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.statement) + "/" +
                     std::to_string(c.entry));
        std::vector<BankStatement> statements =
            ReadMt940Statements(DecodeStatementText(SampleBytes(c.file), ""));
        ASSERT_GT(statements.size(), c.statement);
        ASSERT_GT(statements[c.statement].entries.size(), c.entry);
        const StatementEntry& entry = statements[c.statement].entries[c.entry];
        EXPECT_EQ(DayText(entry.date), c.date);
        EXPECT_EQ(entry.amount.ToText(), c.amount);
        EXPECT_EQ(entry.fitid, c.fitid);
        if (c.description != nullptr)
        {
            EXPECT_EQ(entry.description, c.description);
        }
        if (c.notes != nullptr)
        {
            EXPECT_EQ(entry.notes, c.notes);
        }
    }
}
