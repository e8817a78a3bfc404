// Guesses on exports shaped as banks of several countries write them.

#include "exchange/CsvGuess.h"

#include "support/RegionEnv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::string> Keys(const CsvGuess& guess)
{
    std::vector<std::string> keys;
    for (const CsvDoubt& doubt : guess.doubts)
        keys.push_back(doubt.key);
    return keys;
}

// The guess in --csv form, with the keys it doubts.
std::string Guessed(const std::string& text, const CsvOptions& given = {})
{
    CsvGuess guess = GuessCsvMapping(text, given);
    std::string doubts;
    for (const std::string& key : Keys(guess))
        doubts += " ?" + key;
    return FormatCsvOptions(guess.mapping) + doubts;
}

const std::string German = "Kontoauszug;;;;;\r\n"
                           "Konto;DE12 3456 7890;;;;\r\n"
                           "Zeitraum;01.03.2019 - 31.03.2019;;;;\r\n"
                           "\r\n"
                           "Buchungstag;Wertstellung;Auftraggeber / Beg\xC3\xBCnstigter;"
                           "Verwendungszweck;Betrag (EUR);Saldo\r\n"
                           "01.03.2019;01.03.2019;\"UAB \"Naktida\"\";Miete;-1.234,56;2.000,00\r\n"
                           "13.03.2019;14.03.2019;Caf\xC3\xA9;Kaffee;-3,50;1.996,50\r\n"
                           "Endsaldo;;;;;1.996,50\r\n";
} // namespace

// The shapes of German, American, Dutch and card exports are guessed in the import's own
// table of statements (CsvImportTest), where the rows they give are checked.
TEST(CsvGuess, ReadsDebitAndCreditColumnsAndNamesInOtherLanguages)
{
    LocaleEnv fromEnvironment("C");
    const struct
    {
        const char* bank;
        std::string text;
        const char* expected;
    } cases[] = {
        {"French, debit and credit",
         "Date op\xC3\xA9ration;Libell\xC3\xA9;D\xC3\xA9"
         "bit;Cr\xC3\xA9"
         "dit\n"
         "15/03/2019;CB CARREFOUR;-45,10;\n"
         "16/03/2019;VIR SALAIRE;;1 800,00\n",
         "delimiter=semicolon;skip=0;header=yes;dates=dmy;date=1;description=2;debit=3;"
         "credit=4;decimal=,;negate=no"},
        {"Spanish",
         "Fecha;Concepto;Importe;Saldo\n20/03/2019;Mercadona;-23,40;976,60\n"
         "21/03/2019;N\xC3\xB3mina;1.500,00;2.476,60\n",
         "delimiter=semicolon;skip=0;header=yes;dates=dmy;date=1;description=2;amount=3;"
         "decimal=,;negate=no"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Guessed(c.text), c.expected) << c.bank;
}

TEST(CsvGuess, SaysWhatItCannotBeSureOf)
{
    LocaleEnv fromEnvironment("C");
    // Every day is 12 or less: day first and month first both read every date.
    std::string days = "Date,Payee,Amount\n01/02/2019,A,-1.00\n03/04/2019,B,-2.00\n";
    CsvGuess guess = GuessCsvMapping(days);
    EXPECT_EQ(Keys(guess), std::vector<std::string>{"dates"});
    EXPECT_EQ(guess.doubts[0].reason, "both day/month/year and month/day/year read every date");
    EXPECT_EQ(guess.doubts[0].hint, "give dates=dmy or dates=mdy");
    CsvOptions given;
    given.dates = CsvDateOrder::DayMonthYear;
    EXPECT_TRUE(GuessCsvMapping(days, given).doubts.empty());
    // Dates with month names read alike in every order: no doubt.
    EXPECT_TRUE(GuessCsvMapping("Date,Payee,Amount\n1-Feb-2019,A,-1.00\n").doubts.empty());

    // Two columns of amounts and no names: which is the amount?
    std::string numbers = "2019-03-01;Shop;-1,50;-2,50\n2019-03-02;Bar;4,00;3,00\n";
    EXPECT_EQ(Guessed(numbers), "delimiter=semicolon;skip=0;header=no;dates=ymd;date=1;"
                                "description=2;amount=3;decimal=,;negate=no ?amount");
    given = CsvOptions();
    given.columns[CsvRole::Amount] = 3;
    EXPECT_EQ(Guessed(numbers, given), "delimiter=semicolon;skip=0;header=no;dates=ymd;date=1;"
                                       "description=2;amount=4;decimal=,;negate=no");
    // A balance column is never taken for the amount.
    EXPECT_EQ(Keys(GuessCsvMapping("Date;Text;Saldo\n2019-03-01;Shop;1,50\n")),
              std::vector<std::string>{"amount"});
    // Amounts that read as numbers with either mark, differently.
    EXPECT_EQ(Keys(GuessCsvMapping("Date,Text,Amount\n2019-03-01,Shop,\"1,000\"\n")),
              std::vector<std::string>{"decimal"});
    // Of two columns of amounts, the one with both signs is the amount, the other a balance.
    EXPECT_EQ(Guessed("2019-03-01;Shop;-1,50;2,50\n2019-03-02;Bar;4,00;6,50\n"),
              "delimiter=semicolon;skip=0;header=no;dates=ymd;date=1;description=2;amount=3;"
              "decimal=,;negate=no");
    // No dates at all: no table is found, and neither date nor amount.
    EXPECT_EQ(Keys(GuessCsvMapping("Name,Amount\nBob,1.50\n")),
              (std::vector<std::string>{"date", "amount"}));
}

TEST(CsvGuess, WhatIsGivenIsTakenAsItIs)
{
    // The lines to skip and the header given: the guess reads the table from there.
    CsvOptions given;
    given.skip = 4;
    given.header = true;
    given.delimiter = ';';
    EXPECT_EQ(Guessed(German, given),
              "delimiter=semicolon;skip=4;header=yes;dates=dmy;date=1;description=3;amount=5;"
              "notes=4;decimal=,;negate=no");
    // A value date given as the date.
    given = CsvOptions();
    given.columns[CsvRole::Date] = 1;
    EXPECT_EQ(Guessed(German, given),
              "delimiter=semicolon;skip=4;header=yes;dates=dmy;date=2;description=3;amount=5;"
              "notes=4;decimal=,;negate=no");
}

TEST(CsvGuess, FindsCsvStatementsAmongOtherFiles)
{
    EXPECT_TRUE(LooksLikeCsvStatement(German));
    EXPECT_TRUE(LooksLikeCsvStatement("\xEF\xBB\xBF"
                                      "Date,Amount\n2019-03-01,-1.50\n"));
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("1/2/19,5\n"))
        utf16 += {c, '\0'};
    EXPECT_TRUE(LooksLikeCsvStatement(utf16));
    EXPECT_FALSE(LooksLikeCsvStatement("hello\n"));
    EXPECT_FALSE(LooksLikeCsvStatement("just some notes, nothing more\n"));
    EXPECT_FALSE(LooksLikeCsvStatement("!Type:Bank\nD1/15/16\nT-12.34\n^\n"));
    EXPECT_FALSE(LooksLikeCsvStatement("Name,Age\nBob,3\n"));
    EXPECT_FALSE(LooksLikeCsvStatement(std::string("1/2/2019,5\n\0\0", 13)));
    EXPECT_FALSE(LooksLikeCsvStatement(""));
}
