#include "dashboard/PageTemplate.h"

#include <gtest/gtest.h>

TEST(PageTemplate, FillsEveryOccurrenceOnceAndNeverInsertedText)
{
    EXPECT_EQ(FillTemplate("%a%-%b%-%a%", {{"%a%", "1"}, {"%b%", "2"}}), "1-2-1");
    // A value that reads like a placeholder is inserted as it is.
    EXPECT_EQ(FillTemplate("%a%|%b%", {{"%a%", "%b%"}, {"%b%", "x"}}), "%b%|x");
    // Unknown placeholders and stray percent signs are left alone.
    EXPECT_EQ(FillTemplate("100% of %c% %", {{"%a%", "1"}}), "100% of %c% %");
    EXPECT_EQ(FillTemplate("", {{"%a%", "1"}}), "");
}

TEST(PageTemplate, CompiledInTemplatesHoldTheirPlaceholders)
{
    std::string_view home = HomePageTemplate();
    for (const char* placeholder : {"%accounts%", "%net_worth%", "%quotes%", "%this_month%"})
        EXPECT_NE(home.find(placeholder), std::string_view::npos) << placeholder;
    std::string_view parameters = ParametersPageTemplate();
    for (const char* placeholder :
         {"%start_date_month%", "%end_date_month%", "%start_date_year%", "%end_date_year%"})
        EXPECT_NE(parameters.find(placeholder), std::string_view::npos) << placeholder;
}
