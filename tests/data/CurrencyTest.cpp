#include "data/Currency.h"

#include "data/DatabaseError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

TEST(Currency, ParsesAndWritesExactly)
{
    EXPECT_EQ(Currency::Parse("-12.50")->Units(), -125000);
    EXPECT_EQ(Currency::Parse(" 100 ")->Units(), 1000000);
    EXPECT_EQ(Currency::Parse("+.5")->Units(), 5000);
    EXPECT_EQ(Currency::Parse("1,25", ',')->Units(), 12500);
    EXPECT_EQ(Currency::Parse("0.00005")->Units(), 0); // half to even
    EXPECT_EQ(Currency::Parse("0.00015")->Units(), 2); // half to even
    EXPECT_EQ(Currency::Parse("-0.00015")->Units(), -2);
    EXPECT_EQ(Currency::Parse("922337203685477.5807")->Units(), INT64_MAX);
    for (const char* bad : {"", "-", "1.2.3", "12a", "1 2", "abc", "99999999999999999999"})
        EXPECT_FALSE(Currency::Parse(bad).has_value()) << bad;

    EXPECT_EQ(Currency::FromUnits(-125000).ToText(), "-12.5");
    EXPECT_EQ(Currency::FromUnits(1000000).ToText(), "100");
    EXPECT_EQ(Currency::FromUnits(1).ToText(','), "0,0001");
    EXPECT_EQ(Currency::FromUnits(-5).ToText(), "-0.0005");
    EXPECT_EQ(Currency::FromUnits(INT64_MIN).ToText(), "-922337203685477.5808");
}

TEST(Currency, AddsAndMultipliesWithoutLosingUnits)
{
    Currency sum;
    for (int i = 0; i < 1000; ++i)
        sum += *Currency::Parse("0.1");
    EXPECT_EQ(sum, Currency::FromWhole(100));
    EXPECT_EQ(Currency::FromDouble(0.1 + 0.2), *Currency::Parse("0.3"));
    Currency quantity = *Currency::Parse("3.3333");
    Currency price = *Currency::Parse("10.01");
    EXPECT_EQ(quantity.MultipliedBy(price), *Currency::Parse("33.3663"));
    EXPECT_EQ(Currency::FromUnits(5).MultipliedBy(Currency::FromUnits(5000)),
              Currency::FromUnits(2)); // 0.00025 rounds to even
}

TEST(Currency, OverflowRaisesTheOverflowErrorInsteadOfWrapping)
{
    const Currency largest = Currency::FromUnits(INT64_MAX);
    const Currency smallest = Currency::FromUnits(INT64_MIN);
    auto expectOverflow = [](auto&& operation, const char* what)
    {
        try
        {
            operation();
            ADD_FAILURE() << what << " did not overflow";
        }
        catch (const DatabaseError& error)
        {
            EXPECT_EQ(error.StatusCode(), Status::Overflow) << what;
            EXPECT_EQ(GetComExceptionMessage(error), "Overflow (-2147352566)") << what;
        }
    };
    expectOverflow([&] { return largest.MultipliedBy(Currency::FromWhole(2)); }, "max x 2");
    expectOverflow([&] { return largest + Currency::FromUnits(1); }, "max + 1");
    expectOverflow([&] { return smallest - Currency::FromUnits(1); }, "min - 1");
    expectOverflow([&] { return -smallest; }, "-min");
    expectOverflow([&] { return Currency::FromWhole(INT64_MAX / 1000); }, "whole");
    expectOverflow([&] { return Currency::FromDouble(1e300); }, "1e300");
    expectOverflow([&] { return Currency::FromDouble(std::nan("")); }, "NaN");
    expectOverflow(
        [&]
        {
            Currency sum = largest;
            sum += Currency::FromUnits(1);
            return sum;
        },
        "+=");
    // The edges themselves are values.
    EXPECT_EQ((largest - Currency::FromUnits(1)) + Currency::FromUnits(1), largest);
    EXPECT_EQ(-largest - Currency::FromUnits(1), smallest);
    EXPECT_EQ(Currency::FromWhole(922337203685477).Units(), 9223372036854770000);
    EXPECT_EQ(largest.MultipliedBy(Currency::FromWhole(1)), largest);
}

TEST(Currency, PointTextHasAtLeastTwoDecimals)
{
    const std::pair<std::int64_t, const char*> cases[] = {
        {-5000000, "-500.00"}, {125000, "12.50"}, {1, "0.0001"}, {0, "0.00"}, {-4217000, "-421.70"},
    };
    for (const auto& [units, text] : cases)
        EXPECT_EQ(Currency::FromUnits(units).ToPointText(), text) << units;
}
