#include "data/Variant.h"
#include "data/DatabaseError.h"
#include "data/Regional.h"
#include "support/ScopedLocale.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(Variant, ConvertsWithTheNullRules)
{
    Variant null;
    EXPECT_EQ(null.ToText(), "");
    EXPECT_EQ(null.ToCurrency(), Currency());
    EXPECT_FALSE(null.ToBool());
    try
    {
        null.ToLong();
        FAIL() << "NULL read as a number";
    }
    catch (const DatabaseError& error)
    {
        EXPECT_EQ(error.StatusCode(), Status::TypeMismatch);
    }
    EXPECT_THROW(Variant::FromText("twelve").ToLong(), DatabaseError);
    EXPECT_THROW(Variant::FromText("3/5").ToDate(), DatabaseError);
    EXPECT_TRUE(AddValues(null, Variant::FromLong(1)).IsNull());
    EXPECT_TRUE(null.ConvertTo(Variant::Kind::Currency).IsNull());
}

TEST(Variant, RoundsHalvesToEvenAndReadsTrueAsMinusOne)
{
    EXPECT_EQ(Variant::FromDouble(2.5).ToLong(), 2);
    EXPECT_EQ(Variant::FromDouble(3.5).ToLong(), 4);
    EXPECT_EQ(Variant::FromCurrency(Currency::FromUnits(25000)).ToLong(), 2);
    EXPECT_EQ(Variant::FromCurrency(Currency::FromUnits(-35000)).ToLong(), -4);
    EXPECT_EQ(Variant::FromBool(true).ToLong(), -1);
    EXPECT_EQ(Variant::FromBool(true).ToText(), "-1");
    EXPECT_THROW(Variant::FromDouble(3e9).ToLong(), DatabaseError);
    EXPECT_TRUE(Variant::FromText("True").ToBool());
    EXPECT_FALSE(Variant::FromText("0").ToBool());
}

TEST(Variant, AddsCurrencyExactly)
{
    Variant total = Variant::FromCurrency(Currency());
    for (int i = 0; i < 1000; ++i)
        total = AddValues(total, Variant::FromCurrency(Currency::FromUnits(1000)));
    EXPECT_EQ(total.GetKind(), Variant::Kind::Currency);
    EXPECT_EQ(total.ToText(), "100");
    EXPECT_EQ(AddValues(Variant::FromLong(2), Variant::FromCurrency(Currency::FromUnits(5)))
                  .RawCurrency(),
              Currency::FromUnits(20005));
    EXPECT_EQ(AddValues(Variant::FromLong(2), Variant::FromLong(3)).RawLong(), 5);
}

TEST(Variant, WritesJetDateLiteralsAndLocalDates)
{
    std::int64_t march5 = FromLocalCalendar(DateTime{2015, 3, 5, 0, 0, 0});
    EXPECT_EQ(SqlDate(march5), "#3/5/2015#");
    EXPECT_EQ(SqlDate(FromLocalCalendar(DateTime{2015, 12, 31, 23, 59, 59})), "#12/31/2015#");
    EXPECT_EQ(SqlDate(FromLocalCalendar(DateTime{2016, 1, 1, 0, 0, 0})), "#1/1/2016#");
    EXPECT_EQ(MakeDate(march5).RawDate(), (DateTime{2015, 3, 5, 0, 0, 0}));
    EXPECT_EQ(ToStorageText(DateTime{2016, 5, 3, 7, 8, 9}), "2016-05-03 07:08:09");
    EXPECT_EQ(ParseStorageText("2016-05-03"), (DateTime{2016, 5, 3, 0, 0, 0}));
    EXPECT_FALSE(ParseStorageText("2016-02-30").has_value());
}

TEST(Regional, FollowsTheUsersLocale)
{
    {
        ScopedLocale us("en_US.UTF-8");
        if (!us.Ok())
            GTEST_SKIP() << "en_US.UTF-8 is not installed";
        EXPECT_EQ(Variant::FromCurrency(Currency::FromUnits(-125000)).ToText(), "-12.5");
        EXPECT_EQ(FormatShortDate(DateTime{2016, 5, 3, 0, 0, 0}), "05/03/2016");
        EXPECT_EQ(ParseDate("5/3/2016"), (DateTime{2016, 5, 3, 0, 0, 0}));
        EXPECT_EQ(ParseDate("5/3/16 2:30 PM"), (DateTime{2016, 5, 3, 14, 30, 0}));
        EXPECT_EQ(ParseCurrency("1,234.5")->Units(), 12345000);
    }
    {
        ScopedLocale de("de_DE.UTF-8");
        if (!de.Ok())
            GTEST_SKIP() << "de_DE.UTF-8 is not installed";
        EXPECT_EQ(Variant::FromCurrency(Currency::FromUnits(-125000)).ToText(), "-12,5");
        EXPECT_EQ(Variant::FromDouble(0.25).ToText(), "0,25");
        EXPECT_EQ(FormatShortDate(DateTime{2016, 5, 3, 0, 0, 0}), "03.05.2016");
        EXPECT_EQ(ParseDate("3.5.2016"), (DateTime{2016, 5, 3, 0, 0, 0}));
        EXPECT_EQ(ParseDate("2016-05-03"), (DateTime{2016, 5, 3, 0, 0, 0}));
        EXPECT_EQ(ParseCurrency("1.234,5")->Units(), 12345000);
        EXPECT_EQ(Variant::FromText("-12,5").ToCurrency(), Currency::FromUnits(-125000));
        EXPECT_FALSE(ParseDate("31.2.2016").has_value());
    }
}
