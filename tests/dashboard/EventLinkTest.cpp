#include "dashboard/EventLink.h"

#include <gtest/gtest.h>

namespace
{
EventLink Parsed(const std::string& url)
{
    std::optional<EventLink> link = ParseEventLink(url);
    EXPECT_TRUE(link.has_value()) << url;
    return link.value_or(EventLink{});
}

using Args = std::vector<std::string>;
} // namespace

TEST(EventLink, NameEndsAtSlashQuestionMarkOrEnd)
{
    EventLink encoded = Parsed("event://addAccount?Credit%20Card");
    EXPECT_EQ(encoded.name, "addAccount");
    EXPECT_EQ(encoded.arguments, Args{"Credit Card"});
    // Browsers that insert a "/" after the name, and links without a query.
    EventLink slashed = Parsed("event://addAccount/?Bank");
    EXPECT_EQ(slashed.name, "addAccount");
    EXPECT_EQ(slashed.arguments, Args{"Bank"});
    EXPECT_EQ(Parsed("event://gotoBudget").name, "gotoBudget");
    EXPECT_TRUE(Parsed("event://gotoBudget").arguments.empty());
    EXPECT_TRUE(Parsed("event://gotoBudget/").arguments.empty());
    EXPECT_EQ(Parsed("event://gotoBudget/").name, "gotoBudget");
    EXPECT_TRUE(Parsed("event://gotoBudget?").arguments.empty());
    EXPECT_EQ(Parsed("event://").name, "");
    // The name is kept as written: the caller compares it case and all.
    EXPECT_EQ(Parsed("event://GotoBudget").name, "GotoBudget");
}

TEST(EventLink, QueryIsCutAtAmpersandsBeforeDecoding)
{
    EXPECT_EQ(Parsed("event://selectAccount?Bank&12").arguments, (Args{"Bank", "12"}));
    EXPECT_EQ(Parsed("event://selectAccount/?Credit%20Card&3").arguments,
              (Args{"Credit Card", "3"}));
    // The form's fields: "+" for blanks, CR LF between lines, an encoded "&" inside a value.
    EventLink preview = Parsed("event://Preview?StartDate=05%2F01%2F2016&EndDate=&categories="
                               "Food+%26+Drink%0D%0ACar*%0D%0A");
    EXPECT_EQ(preview.name, "Preview");
    EXPECT_EQ(preview.arguments,
              (Args{"StartDate=05/01/2016", "EndDate=", "categories=Food & Drink\r\nCar*\r\n"}));
    // Empty pieces stay in their places; a "?" inside the query is plain text.
    EXPECT_EQ(Parsed("event://x?a&&b&").arguments, (Args{"a", "", "b", ""}));
    EXPECT_EQ(Parsed("event://x?a?b").arguments, Args{"a?b"});
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
