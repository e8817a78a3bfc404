#include "exchange/CsvMapping.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace
{
CsvOptions Options(const std::string& text)
{
    auto options = ParseCsvOptions(text);
    EXPECT_TRUE(std::holds_alternative<CsvOptions>(options)) << std::get<std::string>(options);
    return std::holds_alternative<CsvOptions>(options) ? std::get<CsvOptions>(options)
                                                       : CsvOptions();
}

std::string Refusal(const std::string& text)
{
    auto options = ParseCsvOptions(text);
    return std::holds_alternative<std::string>(options) ? std::get<std::string>(options)
                                                        : "accepted";
}
} // namespace

TEST(CsvMapping, OptionsReadBackAsTheMappingTheyWereWrittenFrom)
{
    CsvMapping mapping;
    mapping.charset = "CP1257";
    mapping.delimiter = ';';
    mapping.skip = 14;
    mapping.header = true;
    mapping.dates = CsvDateOrder::YearMonthDay;
    mapping.decimal = ',';
    mapping.negate = true;
    mapping.SetRole(0, CsvRole::Date);
    mapping.SetRole(2, CsvRole::Description);
    mapping.SetRole(3, CsvRole::Amount);
    mapping.SetRole(4, CsvRole::Sign);
    mapping.SetRole(5, CsvRole::Notes);
    mapping.SetRole(6, CsvRole::CheckNumber);
    mapping.SetRole(7, CsvRole::Category);
    mapping.signText = "Af;\\";
    mapping.onlyColumn = 8;
    mapping.onlyText = "Transaction";
    std::string text = FormatCsvOptions(mapping);
    EXPECT_EQ(text, "charset=CP1257;delimiter=semicolon;skip=14;header=yes;dates=ymd;date=1;"
                    "description=3;amount=4;sign=5:Af\\;\\\\;notes=6;check=7;category=8;"
                    "decimal=,;negate=yes;only=9:Transaction");
    EXPECT_EQ(ApplyCsvOptions(CsvMapping(), Options(text)), mapping);

    // Debit and credit columns, an empty debit marker, a tab delimiter.
    CsvMapping card;
    card.delimiter = '\t';
    card.header = false;
    card.SetRole(1, CsvRole::Date);
    card.SetRole(3, CsvRole::Debit);
    card.SetRole(4, CsvRole::Credit);
    card.SetRole(5, CsvRole::Sign);
    EXPECT_EQ(FormatCsvOptions(card), "delimiter=tab;skip=0;header=no;dates=dmy;date=2;debit=4;"
                                      "credit=5;sign=6:;decimal=.;negate=no");
    EXPECT_EQ(ApplyCsvOptions(CsvMapping(), Options(FormatCsvOptions(card))), card);
}

TEST(CsvMapping, AGivenColumnTakesItsRoleFromEveryOtherColumn)
{
    CsvMapping guessed;
    guessed.SetRole(0, CsvRole::Date);
    guessed.SetRole(1, CsvRole::Description);
    guessed.SetRole(2, CsvRole::Amount);
    guessed.SetRole(3, CsvRole::Notes);

    CsvMapping mapping = ApplyCsvOptions(guessed, Options("description=4;dates=mdy"));
    EXPECT_EQ(mapping.ColumnOf(CsvRole::Description), 3u);
    EXPECT_EQ(mapping.RoleOf(1), CsvRole::Ignore);
    EXPECT_EQ(mapping.ColumnOf(CsvRole::Notes), std::nullopt);
    EXPECT_EQ(mapping.dates, CsvDateOrder::MonthDayYear);
    EXPECT_EQ(mapping.ColumnOf(CsvRole::Amount), 2u);

    // Naming debit and credit drops the guessed amount column.
    mapping = ApplyCsvOptions(guessed, Options("debit=5;credit=6"));
    EXPECT_EQ(mapping.ColumnOf(CsvRole::Amount), std::nullopt);
    EXPECT_EQ(mapping.ColumnOf(CsvRole::Debit), 4u);
    EXPECT_EQ(CheckCsvMapping(mapping), "");

    mapping.SetRole(0, CsvRole::Ignore);
    EXPECT_EQ(CheckCsvMapping(mapping), "Choose the column that holds the date.");
    mapping.SetRole(7, CsvRole::Date);
    mapping.SetRole(4, CsvRole::Amount);
    EXPECT_EQ(CheckCsvMapping(mapping),
              "Choose either an amount column or debit and credit columns, not both.");
    mapping.SetRole(4, CsvRole::Ignore);
    mapping.SetRole(5, CsvRole::Ignore);
    EXPECT_EQ(CheckCsvMapping(mapping),
              "Choose the column that holds the amount, or the debit and credit columns.");
}

TEST(CsvMapping, WrongOptionsAreRefusedWithWhatIsWrong)
{
    EXPECT_EQ(Refusal("date=0"), "--csv: date needs a column number from 1, not '0'");
    EXPECT_EQ(Refusal("amount=x"), "--csv: amount needs a column number from 1, not 'x'");
    EXPECT_EQ(Refusal("delimiter=pipe"), "--csv: delimiter is comma, semicolon or tab, not 'pipe'");
    EXPECT_EQ(Refusal("dates=dym"), "--csv: dates is dmy, mdy or ymd, not 'dym'");
    // A ";" ends the item unless written "\;".
    EXPECT_EQ(Refusal("decimal=;"), "--csv: decimal is . or , not ''");
    EXPECT_EQ(Refusal("header=maybe"), "--csv: header is yes or no, not 'maybe'");
    EXPECT_EQ(Refusal("sign=3"), "--csv: sign is N:TEXT, not '3'");
    EXPECT_EQ(Refusal("charset=NO-SUCH-SET"),
              "--csv: charset 'NO-SUCH-SET' is not a character set this system knows");
    EXPECT_EQ(Refusal("colour=red"), "--csv: 'colour' is not a --csv key");
    EXPECT_EQ(Refusal("date=1;date=2"), "--csv gives 'date' twice");
    EXPECT_EQ(Refusal("date=1;amount=1"), "--csv gives column 1 two roles");
    EXPECT_EQ(Refusal("skip"), "--csv items are key=value, not 'skip'");
    EXPECT_EQ(Refusal("DATE=2;Skip=3;sign=4:;only=5:a\\;b;"), "accepted");
    CsvOptions options = Options("sign=4:;only=5:a\\;b;charset=auto");
    EXPECT_EQ(options.signText, "");
    EXPECT_EQ(options.only, std::make_pair(std::size_t{4}, std::string("a;b")));
    EXPECT_EQ(options.charset, "");
}
