// CSV statements in the shapes banks export them, imported through the driver as the Import
// command imports them.

#include "exchange/CsvImport.h"

#include "base/Settings.h"
#include "data/DateTime.h"
#include "data/TextEncoding.h"
#include "exchange/CsvMappingStore.h"
#include "exchange/ImportDriver.h"
#include "exchange/ImportFixture.h"
#include "support/RegionEnv.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace
{
CsvOptions Options(const std::string& text)
{
    auto options = ParseCsvOptions(text);
    EXPECT_TRUE(std::holds_alternative<CsvOptions>(options)) << text;
    return std::holds_alternative<CsvOptions>(options) ? std::get<CsvOptions>(options)
                                                       : CsvOptions();
}

/// Answers the mapping dialog: the mapping it was shown, with the script's items put in.
class ScriptedCsvChooser : public CsvMappingChooser
{
public:
    std::optional<CsvMappingChoice> Choose(const CsvMappingRequest& request) override
    {
        requests.push_back(request);
        if (cancel)
            return std::nullopt;
        return CsvMappingChoice{ApplyCsvOptions(request.mapping, options), account};
    }

    CsvOptions options;
    AccountChoice account{AccountChoice::Action::Map, "", "Checking"};
    bool cancel = false;
    std::vector<CsvMappingRequest> requests;
};

/// A statement file and what importing it must store.
struct Shape
{
    const char* name;
    std::string bytes;
    const char* options;           ///< the user's choices over the guess
    std::vector<std::string> rows; ///< "YYYY-MM-DD|amount|description|notes|check", in order
    std::string skipped;           ///< the lines listed as skipped, each after a line feed
};

std::vector<Shape> Shapes()
{
    return {
        {"sparkasse.csv",
         // CP1252 with the euro sign, a preamble, a description over two lines, an unescaped
         // quote, a pending row without a date and a footer.
         "\"Ums\xE4tze Girokonto\";;;;;\r\n\"Zeitraum: 01.03.2019 - 31.03.2019\";;;;;\r\n\r\n"
         "Buchungstag;Valuta;Auftraggeber / Beg\xFCnstigter;Verwendungszweck;Betrag (EUR);Saldo\r\n"
         "01.03.2019;01.03.2019;\"UAB \"Naktida\"\";Miete M\xE4rz;-1.234,56;2.000,00\r\n"
         "13.03.2019;13.03.2019;\"Caf\xE9\r\nZ\xFCrich\";\"5 \x80 Trinkgeld\";-3,50;1.996,50\r\n"
         ";;Vorgemerkt: Tankstelle;;-40,00;\r\n"
         "28.03.2019;29.03.2019;Gehalt M\xE4rz;Lohn;+2.500,00;4.496,50\r\n"
         "Endsaldo;;;;;4.496,50\r\n",
         "",
         {"2019-03-01|-1234.56|UAB \"Naktida\"|Miete M\xC3\xA4rz|",
          "2019-03-13|-3.5|Caf\xC3\xA9 Z\xC3\xBCrich|5 \xE2\x82\xAC Trinkgeld|",
          "2019-03-28|2500|Gehalt M\xC3\xA4rz|Lohn|"},
         "\n;;Vorgemerkt: Tankstelle;;-40,00;\nEndsaldo;;;;;4.496,50"},
        {"us-bank.csv",
         // UTF-8 after a byte-order mark, dollars in every form, a row with an extra field.
         "\xEF\xBB\xBF"
         "Date,Description,Amount,Running Bal.\n"
         "03/15/2019,\"AMAZON.COM, INC\",\"-$29.99\",\"$1,000.00\"\n"
         "03/16/2019,\"Deposit \"\"Payroll\"\"\",\"+$1,234.56\",\"$2,234.56\",extra\n"
         "03/17/2019,Check 101,(220.00),\"$2,014.56\"\n"
         "03/31/2019,Fee,- $.46,\"$2,014.10\"\n",
         "",
         {"2019-03-15|-29.99|AMAZON.COM, INC||", "2019-03-16|1234.56|Deposit \"Payroll\"||",
          "2019-03-17|-220|Check 101||", "2019-03-31|-0.46|Fee||"},
         ""},
        {"ing.csv",
         // Lines ended by CR alone, dates without separators, an Af/Bij column.
         "\"Datum\",\"Naam / Omschrijving\",\"Rekening\",\"Tegenrekening\",\"Code\",\"Af Bij\","
         "\"Bedrag (EUR)\",\"MutatieSoort\",\"Mededelingen\"\r"
         "\"20190301\",\"Albert Heijn 1234\",\"NL01\",\"\",\"BA\",\"Af\",\"12,50\","
         "\"Betaalautomaat\",\"Pasvolgnr: 001\"\r"
         "\"20190302\",\"Werkgever B.V.\",\"NL01\",\"NL02\",\"OV\",\"Bij\",\"2500,00\","
         "\"Overschrijving\",\"Salaris maart\"\r"
         "\"20190315\",\"Caf\xC3\xA9 \xE2\x80\x99t Hoekje\",\"NL01\",\"\",\"BA\",\"Af\","
         "\"1.234,00\",\"Betaalautomaat\",\"\"\r",
         "",
         {"2019-03-01|-12.5|Albert Heijn 1234|Pasvolgnr: 001|",
          "2019-03-02|2500|Werkgever B.V.|Salaris maart|",
          "2019-03-15|-1234|Caf\xC3\xA9 \xE2\x80\x99t Hoekje||"},
         ""},
        {"uk-card.csv",
         // CR CR LF line ends, month names, pounds, paid-out and paid-in columns whose
         // debit may carry a minus, two coffees on one day.
         "Date,Transaction,Paid out,Paid in\r\r\n12-Dec-2019,COFFEE,\xC2\xA3"
         "3.20,\r\r\n"
         "12-Dec-2019,COFFEE,\xC2\xA3"
         "3.20,\r\r\n13-Dec-2019,REFUND,,\xC2\xA3"
         "10.00\r\r\n"
         "14-Dec-2019,\"TESCO, STORES\",-\xC2\xA3"
         "45.67,\r\r\n",
         "",
         {"2019-12-12|-3.2|COFFEE||", "2019-12-12|-3.2|COFFEE||", "2019-12-13|10|REFUND||",
          "2019-12-14|-45.67|TESCO, STORES||"},
         ""},
        {"lt.csv",
         // CP1257 chosen by the user, tabs, no header, times after the dates.
         "2019-03-01 10:15:00\tMaxima \xE0\xE8\xE6\t-12.34\r\n"
         "2019-03-02T08:00\tAtlyginimas\t1500.00\r\n",
         "charset=CP1257",
         {"2019-03-01|-12.34|Maxima \xC4\x85\xC4\x8D\xC4\x99||", "2019-03-02|1500|Atlyginimas||"},
         ""},
        {"card-positive.csv",
         // A card export printing charges as positive numbers.
         "Transaction Date,Posted "
         "Date,Description,Amount\n2019-03-05,2019-03-06,NETFLIX.COM,15.99\n"
         "2019-03-10,2019-03-11,PAYMENT THANK YOU,-500.00\n",
         "negate=yes",
         {"2019-03-05|-15.99|NETFLIX.COM||", "2019-03-10|500|PAYMENT THANK YOU||"},
         ""},
        {"card-cr.csv",
         // Only credits marked, with CR: a blank mark is a debit.
         "Date,Description,Amount,Type\n05/03/2019,SHELL,40.00,\n06/03/2019,PAYMENT,100.00,CR\n"
         "20/03/2019,AMAZON,12.00,\n",
         "",
         {"2019-03-05|-40|SHELL||", "2019-03-06|100|PAYMENT||", "2019-03-20|-12|AMAZON||"},
         ""},
        {"swiss.csv",
         // Balance rows among the transactions, two-digit years, apostrophes grouping.
         "Type;Date;Text;Amount CHF\nBalance;01.03.19;Opening;1'000.00\n"
         "Transaction;02.03.19;Migros;-1'234.50\nTransaction;31.03.19;Sal\xC3\xA4r;+2'000.00\n"
         "Balance;31.03.19;Closing;1'765.50\n",
         "description=3;only=1:transaction",
         {"2019-03-02|-1234.5|Migros||", "2019-03-31|2000|Sal\xC3\xA4r||"},
         ""},
        {"checks.csv",
         // Year first with colons, check numbers, a continuation line, a pending row, an
         // amount without its leading zero, a row shorter than the header.
         "Date,Payee,Memo,Amount,Check\n2012:03:01,Water board,,-45.00,0\n"
         "2012:03:02,Landlord,March rent,-800.00,101\n,continued text of the memo,,,\n"
         "Pending,Coffee,,-3.00,\n2012:03:05,Interest,,.46,\n2012:03:06,Short row,,-1.00\n",
         "",
         {"2012-03-01|-45|Water board||", "2012-03-02|-800|Landlord|March rent|101",
          "2012-03-05|0.46|Interest||", "2012-03-06|-1|Short row||"},
         "\n,continued text of the memo,,,\nPending,Coffee,,-3.00,"},
    };
}

class CsvImport : public ImportTest
{
protected:
    CsvImport()
    {
        AddAccount("1001", "Checking");
        Context().csvChooser = &csv;
    }

    ImportFileResult Import(const std::string& name, const std::string& bytes,
                            const std::string& options = "")
    {
        csv.options = Options(options);
        return ImportFile(Context(), WriteFile(name, bytes));
    }

    /// Every transaction of an account as "YYYY-MM-DD|amount|description|notes|check".
    std::vector<std::string> Stored(const std::string& accountId = "1001")
    {
        std::vector<std::string> rows;
        for (Recordset rs = Db().Execute("SELECT PostDate, Amount, Description, PayeeName, "
                                         "CheckID FROM Trans WHERE AccountID = " +
                                         Quote(accountId) + " ORDER BY Sequence");
             !rs.IsEOF(); rs.MoveNext())
        {
            DateTime date = ToLocalCalendar(rs.GetTime("PostDate"));
            char day[16];
            std::snprintf(day, sizeof day, "%04d-%02d-%02d", date.year, date.month, date.day);
            rows.push_back(std::string(day) + "|" + rs.GetCurrency("Amount").ToText() + "|" +
                           rs.GetText("Description") + "|" + rs.GetText("PayeeName") + "|" +
                           rs.GetText("CheckID"));
        }
        return rows;
    }

    ScriptedCsvChooser csv;
};
} // namespace

TEST_F(CsvImport, StatementsOfEveryShapeAreReadTheSameUnderEveryLocale)
{
    for (const char* locale : {"C", "en_US.UTF-8", "de_DE.UTF-8"})
    {
        SCOPED_TRACE(locale);
        LocaleEnv fromEnvironment(locale);
        ASSERT_TRUE(fromEnvironment.Ok()) << "locale " << locale << " is not installed";
        for (const Shape& shape : Shapes())
        {
            SCOPED_TRACE(shape.name);
            Db().Execute("DELETE FROM Trans");
            ui.messages.clear();
            csv.requests.clear();
            ImportFileResult first = Import(shape.name, shape.bytes, shape.options);
            EXPECT_EQ(first.format, StatementFormat::Csv);
            ASSERT_EQ(csv.requests.size(), 1u);
            for (const CsvDoubt& doubt : csv.requests[0].doubts)
                ADD_FAILURE() << "uncertain: " << doubt.reason;
            EXPECT_EQ(first.added, static_cast<int>(shape.rows.size()));
            EXPECT_EQ(Stored(), shape.rows);
            for (const std::string& row : Stored())
                EXPECT_TRUE(IsValidUtf8(row)) << row;
            if (shape.skipped.empty())
                EXPECT_TRUE(ui.messages.empty());
            else
            {
                ASSERT_EQ(ui.messages.size(), 1u);
                EXPECT_EQ(ui.messages[0].text, SkippedHead + shape.skipped);
                EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Exclamation);
            }
            // The same statement again adds nothing; the mapping is remembered when the
            // file has a header line.
            ImportFileResult again = Import(shape.name, shape.bytes, shape.options);
            EXPECT_EQ(again.added, 0);
            EXPECT_EQ(again.duplicates, static_cast<int>(shape.rows.size()));
            EXPECT_EQ(csv.requests.back().remembered, csv.requests[0].mapping.header);
            EXPECT_EQ(Count("Trans"), static_cast<int>(shape.rows.size()));
            // Nothing at 1 January 1970 and nothing stored as 0.
            EXPECT_EQ(Count("Trans WHERE PostDate < #1/1/2000# OR Amount = 0 OR Amount IS NULL"),
                      0);
            ExpectBalancesUpToDate();
        }
    }
}

TEST_F(CsvImport, ARowIsHeldWhenTheAccountHadItsDateAmountDescriptionAndNotes)
{
    Db().Execute("INSERT INTO Trans (AccountID, PostDate, Amount, Description, PayeeName, "
                 "CheckID, FITID, Sequence) VALUES ('1001', #3/2/2019#, -4, 'Bakery', 'bread', "
                 "'', 'X9', 1)");
    std::string file = "Date,Description,Notes,Amount\n"
                       "2019-03-02,BAKERY,Bread,-4.00\n" // held: case does not count
                       "2019-03-02,Bakery,rolls,-4.00\n" // other notes
                       "2019-03-03,Bakery,bread,-4.00\n" // another day
                       "2019-03-02,Bakery,bread,-4.01\n" // another amount
                       "2019-03-02,Baker,bread,-4.00\n"  // another description
                       "2019-03-09,Coffee,,-3.00\n"      // two coffees on one day: both
                       "2019-03-09,Coffee,,-3.00\n";
    ImportFileResult first = Import("mixed.csv", file);
    EXPECT_EQ(first.duplicates, 1);
    EXPECT_EQ(first.added, 6);
    EXPECT_EQ(Count("Trans WHERE Description = 'Coffee'"), 2);
    // Every row is held now, the two coffees too.
    ImportFileResult again = Import("mixed.csv", file);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.duplicates, 7);
    // A row of another account is no duplicate.
    AddAccount("2002", "Savings");
    csv.account.description = "Savings";
    EXPECT_EQ(Import("mixed.csv", file).added, 7);
}

TEST_F(CsvImport, OneTransactionThenBalancesThenTheRules)
{
    Db().Execute("INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) "
                 "VALUES ('Description', 'contains', 'bakery', 'Food', 1)");
    Db().Execute("UPDATE Account SET CurrentBalance = 99");
    std::string path = WriteFile("s.csv", "Date,Description,Amount,Category\n"
                                          "2019-03-02,Corner Bakery,-4.50,\n"
                                          "2019-03-03,Salary,100,Income\n"
                                          "2019-04-03,Rent,-50,\n");
    ImportFileResult result;
    EXPECT_EQ(CommitsDuring([&] { result = ImportStatementFile(Context(), path); }), 2)
        << "the import and its balances in one transaction, then the rules";
    EXPECT_EQ(result.added, 3);
    ExpectBalancesUpToDate();
    EXPECT_EQ(Value("SELECT CurrentBalance FROM Account"), "45.5");
    EXPECT_EQ(Rows("SELECT Category, [Year], Period FROM Trans ORDER BY Sequence"),
              (std::vector<std::string>{"Food|2019|3", "Income|2019|3", "(none)|2019|4"}));
    // A budget line for each category and month the rows fall in.
    EXPECT_EQ(Count("Budget WHERE Category = 'Income' AND [Year] = 2019 AND Period = 3"), 1);
    EXPECT_EQ(Count("Budget WHERE Category = '(none)' AND [Year] = 2019 AND Period = 4"), 1);
    EXPECT_EQ(viewRefreshes, 1);
    ExpectUiSettled();
}

TEST_F(CsvImport, TheMappingIsRememberedForTheHeaderLine)
{
    const std::string header = "When;What;How much;Info\n";
    // Names the guess does not know: the user says which column is the description.
    ImportFileResult result = Import("march.csv",
                                     header + "2019-03-01;Shop;-1,50;card 1\n"
                                              "2019-03-02;Bar;2,50;card 2\n",
                                     "description=2;notes=4");
    ASSERT_EQ(csv.requests.size(), 1u);
    EXPECT_FALSE(csv.requests[0].remembered);
    EXPECT_EQ(csv.requests[0].mapping.ColumnOf(CsvRole::Description), 3u) << "the longest text";
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(GetSetting(CsvHeaderKey("When;What;How much;Info"), "CsvMappings"),
              "delimiter=semicolon;skip=0;header=yes;dates=ymd;date=1;description=2;amount=3;"
              "notes=4;decimal=,;negate=no");

    // The next statement of the bank, with a preamble this time, opens with that mapping.
    result = Import("april.csv", "Export April\n\n" + header + "2019-04-01;Bakery;-3,00;card 3\n");
    ASSERT_EQ(csv.requests.size(), 2u);
    EXPECT_TRUE(csv.requests[1].remembered);
    EXPECT_TRUE(csv.requests[1].doubts.empty());
    EXPECT_EQ(csv.requests[1].mapping.skip, 2u);
    EXPECT_EQ(csv.requests[1].mapping.ColumnOf(CsvRole::Notes), 3u);
    EXPECT_EQ(result.added, 1);

    // Without a dialog the remembered mapping is taken, the account asked for as for QIF.
    Context().csvChooser = nullptr;
    chooser.Map("Checking");
    result = Import("may.csv", header + "2019-05-01;Florist;-9,00;card 4\n");
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(Stored(), (std::vector<std::string>{
                            "2019-03-01|-1.5|Shop|card 1|", "2019-03-02|2.5|Bar|card 2|",
                            "2019-04-01|-3|Bakery|card 3|", "2019-05-01|-9|Florist|card 4|"}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CsvImport, CancelOrAnUncertainGuessWithoutADialogImportsNothing)
{
    std::string file = "Date,Payee,Amount\n01/02/2019,A,-1.00\n03/04/2019,B,-2.00\n";
    csv.cancel = true;
    ImportFileResult cancelled = Import("days.csv", file);
    EXPECT_FALSE(cancelled.accountResolved);
    ASSERT_EQ(csv.requests.size(), 1u);
    EXPECT_EQ(csv.requests[0].accounts.descriptions, std::vector<std::string>{"Checking"});
    EXPECT_EQ(csv.requests[0].accounts.newAccountId, "New Account");
    EXPECT_EQ(Count("Trans"), 0);
    EXPECT_EQ(GetSetting(CsvHeaderKey("Date,Payee,Amount"), "CsvMappings"), "")
        << "nothing remembered";

    // No one to ask: day or month first cannot be told, so nothing is read.
    Context().csvChooser = nullptr;
    ImportFileResult unsure = ImportFile(Context(), WriteFile("days.csv", file));
    EXPECT_EQ(unsure.added, 0);
    EXPECT_TRUE(chooser.requests.empty()) << "no account is asked for";
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "The columns of this CSV file cannot be recognised with "
                                   "certainty:\nboth day/month/year and month/day/year read "
                                   "every date");

    // A new account made in the dialog is numbered as for QIF.
    Context().csvChooser = &csv;
    csv.cancel = false;
    csv.account = {AccountChoice::Action::Create, "Credit Card", "Visa"};
    EXPECT_EQ(Import("days.csv", file, "dates=mdy").added, 2);
    EXPECT_EQ(Rows("SELECT AccountID, Type FROM Account WHERE Description = 'Visa'"),
              std::vector<std::string>{"New Account|Credit Card"});
    EXPECT_EQ(treeRebuilds, 1);
    EXPECT_EQ(Stored("New Account"),
              (std::vector<std::string>{"2019-01-02|-1|A||", "2019-03-04|-2|B||"}));
}

TEST_F(CsvImport, ACharacterSetThatDoesNotReadTheFileImportsNothing)
{
    ImportFileResult result =
        Import("lt.csv", "Date;Text;Amount\n2019-03-01;\xE9;-1\n", "charset=UTF-8");
    EXPECT_EQ(result.added, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "The file cannot be read in the character set UTF-8.");
    EXPECT_EQ(Count("Trans"), 0);
}
