#include "dashboard/HtmlEscape.h"

#include <gtest/gtest.h>

TEST(HtmlEscape, WritesTheFiveSpecialCharactersAsReferences)
{
    EXPECT_EQ(HtmlEscape("<script>alert(1)</script> & Co"),
              "&lt;script&gt;alert(1)&lt;/script&gt; &amp; Co");
    EXPECT_EQ(HtmlEscape("it's \"quoted\""), "it&#39;s &quot;quoted&quot;");
    EXPECT_EQ(HtmlEscape("&amp;"), "&amp;amp;");
    EXPECT_EQ(HtmlEscape("Caf\xC3\xA9 100%"), "Caf\xC3\xA9 100%");
    EXPECT_EQ(HtmlEscape(""), "");
}

TEST(HtmlEscape, AppendsToThePageWithRunsAndSpecialsAtEitherEnd)
{
    std::string page = "<td>";
    AppendHtmlEscaped(page, "<<a>>");
    AppendHtmlEscaped(page, "plain");
    AppendHtmlEscaped(page, "'");
    EXPECT_EQ(page, "<td>&lt;&lt;a&gt;&gt;plain&#39;");
}
