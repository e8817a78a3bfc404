#include "dashboard/EventLink.h"

#include <gtest/gtest.h>

TEST(EventLink, SplitsTheNameFromTheQueryCutAtAmpersandsBeforeDecoding)
{
    using Args = std::vector<std::string>;
    const struct
    {
        const char* url;
        const char* name;
        Args arguments;
    } cases[] = {
        {"event://addAccount?Credit%20Card", "addAccount", {"Credit Card"}},
        // Browsers that insert a "/" after the name, and links without a query.
        {"event://addAccount/?Bank", "addAccount", {"Bank"}},
        {"event://gotoBudget", "gotoBudget", {}},
        {"event://gotoBudget/", "gotoBudget", {}},
        {"event://gotoBudget?", "gotoBudget", {}},
        {"event://", "", {}},
        // The name is kept as written: the caller compares it case and all.
        {"event://GotoBudget", "GotoBudget", {}},
        {"event://selectAccount?Bank&12", "selectAccount", {"Bank", "12"}},
        {"event://selectAccount/?Credit%20Card&3", "selectAccount", {"Credit Card", "3"}},
        // The form's fields: "+" for blanks, CR LF between lines, an encoded "&" inside a value.
        {"event://Preview?StartDate=05%2F01%2F2016&EndDate=&categories="
         "Food+%26+Drink%0D%0ACar*%0D%0A",
         "Preview",
         {"StartDate=05/01/2016", "EndDate=", "categories=Food & Drink\r\nCar*\r\n"}},
        // Empty pieces stay in their places; a "?" inside the query is plain text.
        {"event://x?a&&b&", "x", {"a", "", "b", ""}},
        {"event://x?a?b", "x", {"a?b"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.url);
        std::optional<EventLink> link = ParseEventLink(c.url);
        ASSERT_TRUE(link.has_value());
        EXPECT_EQ(link->name, c.name);
        EXPECT_EQ(link->arguments, c.arguments);
    }
}

TEST(EventLink, OrdinaryAddressesAreNotEventLinks)
{
    for (const char* url : {"https://www.example.com/", "file:///tmp/temp/home.html",
                            "Event://gotoBudget", "EVENT://gotoBudget", " event://gotoBudget",
                            "event:/gotoBudget", "event:", "", "about:blank"})
        EXPECT_FALSE(ParseEventLink(url).has_value()) << url;
}

TEST(EventLink, DecodesPlusPercentEscapesAndLeavesBrokenEscapes)
{
    EXPECT_EQ(DecodeUrlText("a+b%20c%2b%2B"), "a b c++");
    EXPECT_EQ(DecodeUrlText("%C3%A9t%C3%A9"), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(DecodeUrlText("100%"), "100%");
    EXPECT_EQ(DecodeUrlText("%4"), "%4");
    EXPECT_EQ(DecodeUrlText("%zz%4g"), "%zz%4g");
    EXPECT_EQ(DecodeUrlText("%00x"), std::string("\0x", 2));
}
