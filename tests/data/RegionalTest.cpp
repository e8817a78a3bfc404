#include "data/Regional.h"

#include "support/ScopedLocale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace
{
/// One amount as the C, en_US and de_DE locales show it.
struct CurrencyCase
{
    std::int64_t units;
    const char* c;
    const char* us;
    const char* de;
};

const std::vector<CurrencyCase>& CurrencyCases()
{
    static const std::vector<CurrencyCase> cases = {
        {10150, "1.02", "$1.02", "1,02 \xE2\x82\xAC"},
        {-10150, "-1.02", "-$1.02", "-1,02 \xE2\x82\xAC"},
        {50, "0.01", "$0.01", "0,01 \xE2\x82\xAC"},
        {-50, "-0.01", "-$0.01", "-0,01 \xE2\x82\xAC"},
        {0, "0.00", "$0.00", "0,00 \xE2\x82\xAC"},
        {49, "0.00", "$0.00", "0,00 \xE2\x82\xAC"},
        {-49, "0.00", "$0.00", "0,00 \xE2\x82\xAC"}, // rounds to nothing, so no sign
        {2900, "0.29", "$0.29", "0,29 \xE2\x82\xAC"},
        {12345678950, "1234567.90", "$1,234,567.90", "1.234.567,90 \xE2\x82\xAC"},
        {9999950, "1000.00", "$1,000.00", "1.000,00 \xE2\x82\xAC"},
        {9000000000000009950, "900000000000001.00", "$900,000,000,000,001.00",
         "900.000.000.000.001,00 \xE2\x82\xAC"},
        {INT64_MAX, "922337203685477.58", "$922,337,203,685,477.58",
         "922.337.203.685.477,58 \xE2\x82\xAC"},
        {INT64_MIN, "-922337203685477.58", "-$922,337,203,685,477.58",
         "-922.337.203.685.477,58 \xE2\x82\xAC"},
    };
    return cases;
}
} // namespace

TEST(Regional, CurrencyRoundsTheExactAmountHalfAwayFromZeroToTheLocalesDecimals)
{
    for (const char* name : {"C", "en_US.UTF-8", "de_DE.UTF-8"})
    {
        ScopedLocale locale(name);
        if (!locale.Ok())
            GTEST_SKIP() << name << " is not installed";
        std::string which = name;
        for (const CurrencyCase& row : CurrencyCases())
        {
            const char* expected = which == "C" ? row.c : which == "en_US.UTF-8" ? row.us : row.de;
            EXPECT_EQ(FormatCurrency(Currency::FromUnits(row.units)), expected)
                << name << " " << row.units;
        }
    }
}

TEST(Regional, TextOfALocaleInAnotherCharacterSetComesOutInUtf8)
{
    ScopedLocale locale("de_DE@euro");
    if (!locale.Ok())
        GTEST_SKIP() << "de_DE@euro is not installed";
    EXPECT_EQ(FormatCurrency(Currency::FromUnits(-10150)), "-1,02 \xE2\x82\xAC");
    EXPECT_EQ(FormatCurrency(Currency::FromUnits(12345678950)), "1.234.567,90 \xE2\x82\xAC");
    EXPECT_EQ(FormatMonthYear(2016, 3), "M\xC3\xA4rz 2016");
    EXPECT_EQ(FormatShortDate(DateTime{2016, 3, 5, 0, 0, 0}), "05.03.2016");
}

TEST(Regional, MonthYearIsTheMonthsNameInTheLocalesLanguage)
{
    for (const auto& [name, expected] :
         {std::pair{"C", "May 2016"}, std::pair{"en_US.UTF-8", "May 2016"},
          std::pair{"de_DE.UTF-8", "Mai 2016"}})
    {
        ScopedLocale locale(name);
        if (!locale.Ok())
            GTEST_SKIP() << name << " is not installed";
        EXPECT_EQ(FormatMonthYear(2016, 5), expected) << name;
    }
}
