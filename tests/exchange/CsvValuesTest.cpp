#include "exchange/CsvValues.h"

#include "support/RegionEnv.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{
std::string Date(std::string_view text, CsvDateOrder order)
{
    std::optional<DateTime> date = ParseCsvDate(text, order);
    if (!date)
        return "refused";
    char out[16];
    std::snprintf(out, sizeof out, "%04d-%02d-%02d", date->year, date->month, date->day);
    return out;
}

std::string Units(std::string_view text, char mark)
{
    std::optional<Currency> amount = ParseCsvAmount(text, mark);
    return amount ? std::to_string(amount->Units()) : "refused";
}

const CsvDateOrder Dmy = CsvDateOrder::DayMonthYear;
const CsvDateOrder Mdy = CsvDateOrder::MonthDayYear;
const CsvDateOrder Ymd = CsvDateOrder::YearMonthDay;
} // namespace

TEST(CsvValues, DatesInEveryOrderSeparatorAndForm)
{
    const struct
    {
        const char* text;
        CsvDateOrder order;
        const char* expected;
    } cases[] = {
        {"01/03/2019", Dmy, "2019-03-01"},
        {"01/03/2019", Mdy, "2019-01-03"},
        {"1.3.19", Dmy, "2019-03-01"},
        {"2019-03-01", Ymd, "2019-03-01"},
        {"2019-03-01", Dmy, "refused"},
        {"19-03-01", Ymd, "refused"},
        {"190301", Ymd, "2019-03-01"},
        {"2012:03:01", Ymd, "2012-03-01"},
        {"20190301", Ymd, "2019-03-01"},
        {"01032019", Dmy, "2019-03-01"},
        {"030119", Mdy, "2019-03-01"},
        {"20190301", Dmy, "refused"},
        {"201903011530", Ymd, "2019-03-01"},
        {"12-Dec-2019", Dmy, "2019-12-12"},
        {"12-Dec-2019", Mdy, "2019-12-12"},
        {"Dec 12, 2019", Mdy, "2019-12-12"},
        {"2019 DECEMBER 5", Ymd, "2019-12-05"},
        {"5 Sept 19", Dmy, "2019-09-05"},
        {"31/12/2019 23:59:59", Dmy, "2019-12-31"},
        {"2019-12-31T23:59:59Z", Ymd, "2019-12-31"},
        {"12/31/2019 10:30 PM", Mdy, "2019-12-31"},
        {" 31.12.2019 ", Dmy, "2019-12-31"},
        {"29/02/2020", Dmy, "2020-02-29"},
        {"29/02/2019", Dmy, "refused"},
        {"31/04/2019", Dmy, "refused"},
        {"13/13/2019", Dmy, "refused"},
        {"31/12/1969", Dmy, "refused"},
        {"01/01/1970", Dmy, "1970-01-01"},
        {"0/1/2019", Dmy, "refused"},
        {"1/2", Dmy, "refused"},
        {"", Dmy, "refused"},
        {"Pending", Dmy, "refused"},
        {"Jan Feb 2019", Dmy, "refused"},
        {"01/02/2019abc", Dmy, "refused"},
        {"1/2/123", Dmy, "refused"},
        {"12.50", Dmy, "refused"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Date(c.text, c.order), c.expected) << c.text;
}

TEST(CsvValues, AmountsFollowTheFileInEveryLocale)
{
    const std::vector<std::pair<const char*, const char*>> pointCases = {
        {"-12.50", "-125000"},
        {"1,234.56", "12345600"},
        {"1,234,567.8", "12345678000"},
        {"1'234.50", "12345000"},
        {"1\xE2\x80\x99"
         "234.50",
         "12345000"},
        {"1 234.50", "12345000"},
        {".46", "4600"},
        {"-.46", "-4600"},
        {"+3", "30000"},
        {"$12.00", "120000"},
        {"- $220.00", "-2200000"},
        {"$-220.00", "-2200000"},
        {"(220.00)", "-2200000"},
        {"$(5.25)", "-52500"},
        {"\xC2\xA3"
         "7.5",
         "75000"},
        {"12.50 USD", "125000"},
        {"US$ 3", "30000"},
        {"12.50-", "-125000"},
        {"\xE2\x88\x92"
         "4",
         "-40000"},
        {"1,000", "10000000"},
        {"0.00001", "0"},
        {"12.", "120000"},
        {"1.2.3", "refused"},
        {"1,23.45", "refused"},
        {"12,5", "refused"},
        {"1e5", "refused"},
        {"abc", "refused"},
        {"", "refused"},
        {"-", "refused"},
        {"Invoice 1234", "refused"},
        {"12.50 CR", "refused"},
        {"--5", "refused"},
        {"99999999999999999999", "refused"},
    };
    const std::vector<std::pair<const char*, const char*>> commaCases = {
        {"-1.234,56", "-12345600"},
        {"1 234,56", "12345600"},
        {"1\xC2\xA0"
         "234,56",
         "12345600"},
        {"1\xE2\x80\xAF"
         "234,56",
         "12345600"},
        {"12,50 \xE2\x82\xAC", "125000"},
        {"EUR -3,5", "-35000"},
        {",46", "4600"},
        {"+2.500,00", "25000000"},
        {"1.234", "12340000"},
        {"12.50", "refused"},
        {"1.234.56", "refused"},
    };
    for (const char* locale : {"C", "en_US.UTF-8", "de_DE.UTF-8"})
    {
        SCOPED_TRACE(locale);
        LocaleEnv fromEnvironment(locale);
        ASSERT_TRUE(fromEnvironment.Ok()) << "locale " << locale << " is not installed";
        for (const auto& [text, units] : pointCases)
            EXPECT_EQ(Units(text, '.'), units) << text;
        for (const auto& [text, units] : commaCases)
            EXPECT_EQ(Units(text, ','), units) << text;
    }
}
