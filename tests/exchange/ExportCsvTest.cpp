#include "exchange/ExportCsv.h"

#include "support/RegionEnv.h"
#include "support/TransTestDatabase.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const char* const Heading = "Date,Description,Amount,Check #,Category,Notes\r\n";

class ExportCsvTest : public TransTestDatabase
{
protected:
    std::string Export(const std::string& account = "A1")
    {
        std::string path = PathOf("out.csv");
        ExportResult result = ExportCsv(Db(), account, path);
        EXPECT_TRUE(result.Ok()) << result.error;
        return ReadBytes(path);
    }
};
} // namespace

TEST_F(ExportCsvTest, NewestFirstTextsQuotedDatesAndAmountsAsTheLocaleAndTheFileWant)
{
    TimeZoneEnv eastern("EST5");
    Add({.sequence = 1,
         .amount = "-12.5",
         .description = "12\" pipe",
         .notes = "for \"the\" shed",
         .category = "Hobby"});
    Add({.sequence = 2, .amount = "1000.75", .description = "Salary, March", .check = "0042"});
    Add({.sequence = 2,
         .subSequence = 1,
         .amount = std::nullopt,
         .description = "Salary (split #1)"});
    Add({.sequence = 3, .date = "3/2/2016", .amount = "0", .description = "M\xC3\xBCller"});
    Add({.sequence = 4, .account = "B2"});
    {
        LocaleEnv english("en_US.UTF-8");
        ASSERT_TRUE(english.Ok());
        EXPECT_EQ(Export(), std::string(Heading) +
                                "Tue 15 Mar 2016 12:00:00 AM EST,\"Salary, March\",1000.75,"
                                "\"0042\",\"(none)\",\"\"\r\n"
                                "Tue 15 Mar 2016 12:00:00 AM EST,\"Salary (split #1)\",,\"\","
                                "\"(none)\",\"\"\r\n"
                                "Tue 15 Mar 2016 12:00:00 AM EST,\"12\"\" pipe\",-12.5,\"\","
                                "\"Hobby\",\"for \"\"the\"\" shed\"\r\n"
                                "Wed 02 Mar 2016 12:00:00 AM EST,\"M\xC3\xBCller\",0,\"\","
                                "\"(none)\",\"\"\r\n");
    }
    {
        // A German date, still in UTF-8, and the amount with a point, which keeps the
        // columns in place.
        LocaleEnv german("de_DE.UTF-8");
        ASSERT_TRUE(german.Ok());
        std::string text = Export();
        EXPECT_NE(text.find("\r\nDi 15 M\xC3\xA4r 2016 00:00:00 EST,\"Salary, March\",1000.75,"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("\r\nMi 02 M\xC3\xA4r 2016 00:00:00 EST,\"M\xC3\xBCller\",0,"),
                  std::string::npos)
            << text;
    }
}

TEST_F(ExportCsvTest, AnEmptyAccountIdWritesTheHeadingOnly)
{
    Add({.sequence = 1});
    EXPECT_EQ(Export(""), Heading);
    ExportResult result = ExportCsv(Db(), "A1", PathOf("missing/out.csv"));
    EXPECT_FALSE(result.Ok());
    EXPECT_NE(result.error.find("missing/out.csv' could not be written"), std::string::npos);
}
