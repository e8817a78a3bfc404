#include "exchange/StatementAmount.h"

#include "support/ScopedLocale.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{
// The amount in units of 1/10,000, or "refused".
std::string Units(const std::optional<Currency>& amount)
{
    return amount ? std::to_string(amount->Units()) : "refused";
}

const char* const Locales[] = {"C", "C.UTF-8", "en_US.UTF-8", "de_DE.UTF-8"};
} // namespace

TEST(StatementAmount, OfxAmountsFollowTheFileInEveryLocale)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"-200,00", "-2000000"},
        {"-12.50", "-125000"},
        {"4774.8611", "47748611"},
        {"1,234.56", "12345600"},
        {"1.234,56", "12345600"},
        {"-1.234.567,8", "-12345678000"},
        {"1,234", "12340"},
        {"+3", "30000"},
        {" -7.25 ", "-72500"},
        {".5", "5000"},
        {"0,00005", "0"},
        {"12,34.5", "12345000"},
        {"1.2.3", "refused"},
        {"1,2,3", "refused"},
        {"1.5,2.5", "refused"},
        {"abc", "refused"},
        {"1e5", "refused"},
        {"--1", "refused"},
        {"$5", "refused"},
        {"", "refused"},
        {"-", "refused"},
        {"1 000.5", "refused"},
        {"99999999999999999", "refused"}};
    for (const char* locale : Locales)
    {
        ScopedLocale scoped(locale);
        ASSERT_TRUE(scoped.Ok()) << "locale " << locale << " is not installed";
        for (const auto& [text, units] : cases)
            EXPECT_EQ(Units(ParseOfxAmount(text)), units) << text << " under " << locale;
    }
}

TEST(StatementAmount, QifAmountsFollowTheFileInEveryLocale)
{
    const std::vector<std::pair<const char*, const char*>> cases = {{"-1,234.56", "-12345600"},
                                                                    {"-1.234,56", "-12345600"},
                                                                    {"-35.50", "-355000"},
                                                                    {"1,000", "10000000"},
                                                                    {"1.000", "10000000"},
                                                                    {"-12,34", "-123400"},
                                                                    {"1,234,567.8", "12345678000"},
                                                                    {"7", "70000"},
                                                                    {"+.5", "5000"},
                                                                    {"1,234.567", "12345670000"},
                                                                    {"12.5 ", "125000"},
                                                                    {"", "refused"},
                                                                    {"abc", "refused"},
                                                                    {"1.2a", "refused"},
                                                                    {".", "refused"},
                                                                    {"-", "refused"},
                                                                    {"1e5", "refused"}};
    for (const char* locale : Locales)
    {
        ScopedLocale scoped(locale);
        ASSERT_TRUE(scoped.Ok()) << "locale " << locale << " is not installed";
        for (const auto& [text, units] : cases)
            EXPECT_EQ(Units(ParseQifAmount(text)), units) << text << " under " << locale;
    }
}
