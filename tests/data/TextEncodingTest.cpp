#include "data/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const std::string CafeUtf8 = "Caf\xC3\xA9 Z\xC3\xBCrich";
const std::string Cafe1252 = "Caf\xE9 Z\xFCrich";
} // namespace

TEST(TextEncoding, TellsWellFormedUtf8FromEverythingElse)
{
    for (const std::string& good :
         {std::string(), std::string("plain ascii, long enough to take the fast path"), CafeUtf8,
          std::string("\xE2\x82\xAC \xF0\x9F\x92\xB6 \xEF\xBF\xBD", 12),
          std::string("nul\0inside", 10)})
        EXPECT_TRUE(IsValidUtf8(good)) << good;
    for (const std::string& bad : {Cafe1252, std::string("0123456789abcdef\xE9"),
                                   std::string("\xC3"),                 // cut at the end
                                   std::string("\x80"),                 // stray continuation
                                   std::string("\xC0\xAF"),             // overlong "/"
                                   std::string("\xE0\x80\xAF"),         // overlong
                                   std::string("\xED\xA0\x80"),         // a surrogate
                                   std::string("\xF4\x90\x80\x80"),     // past U+10FFFF
                                   std::string("\xF8\x88\x80\x80\x80"), // five bytes
                                   std::string("ab\xC3(")})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

TEST(TextEncoding, DecodesAndEncodesNamedSetsAndRefusesWhatDoesNotFit)
{
    EXPECT_EQ(DecodeToUtf8(Cafe1252 + " \x80", "CP1252"), CafeUtf8 + " \xE2\x82\xAC");
    EXPECT_EQ(DecodeToUtf8(Cafe1252 + " \x80", "ISO-8859-1"), CafeUtf8 + " \xC2\x80");
    EXPECT_EQ(DecodeToUtf8("", "CP1252"), "");
    EXPECT_EQ(DecodeToUtf8("\x81", "CP1252"), std::nullopt) << "undefined in CP1252";
    EXPECT_EQ(DecodeToUtf8(Cafe1252, "UTF-8"), std::nullopt);
    EXPECT_EQ(DecodeToUtf8("abc", "NO-SUCH-SET"), std::nullopt);

    EXPECT_EQ(EncodeFromUtf8(CafeUtf8 + " \xE2\x82\xAC", "CP1252"), Cafe1252 + " \x80");
    EXPECT_EQ(EncodeFromUtf8(CafeUtf8, "ISO-8859-1"), Cafe1252);
    EXPECT_EQ(EncodeFromUtf8("\xE2\x9D\xA4", "CP1252"), std::nullopt) << "a heart does not fit";
    EXPECT_EQ(EncodeFromUtf8("\xE2\x82\xAC", "ISO-8859-1"), std::nullopt);
    EXPECT_EQ(EncodeFromUtf8(Cafe1252, "CP1252"), std::nullopt) << "not UTF-8 to begin with";
    EXPECT_EQ(EncodeFromUtf8("abc", "NO-SUCH-SET"), std::nullopt);
    EXPECT_EQ(EncodeFromUtf8(CafeUtf8, "UTF-8"), CafeUtf8);

    // Every byte CP1252 defines comes back as it went.
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D)
            all += static_cast<char>(byte);
    std::optional<std::string> decoded = DecodeToUtf8(all, "CP1252");
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(IsValidUtf8(*decoded));
    EXPECT_EQ(EncodeFromUtf8(*decoded, "CP1252"), all);
    EXPECT_EQ(DecodeCp1252(all), *decoded);

    // A text larger than the first guess of the output grows the buffer.
    std::string euros(100000, '\x80');
    std::optional<std::string> wide = DecodeToUtf8(euros, "CP1252");
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->size(), 300000u);
}

TEST(TextEncoding, ToValidUtf8KeepsWhatIsValidAndNeverGivesNothing)
{
    EXPECT_EQ(ToValidUtf8(CafeUtf8), CafeUtf8);
    EXPECT_EQ(ToValidUtf8(Cafe1252), CafeUtf8);
    EXPECT_EQ(ToValidUtf8(CafeUtf8 + " \xE9\x80"), CafeUtf8 + " \xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(ToValidUtf8("\x81"), "\xEF\xBF\xBD");
    EXPECT_EQ(ToValidUtf8("\xC3"), "\xC3\x83") << "a cut sequence is read byte by byte";
    EXPECT_EQ(ToValidUtf8(""), "");
    for (int byte = 1; byte < 256; ++byte)
    {
        std::string one(1, static_cast<char>(byte));
        std::string valid = ToValidUtf8(one);
        EXPECT_FALSE(valid.empty()) << byte;
        EXPECT_TRUE(IsValidUtf8(valid)) << byte;
    }
    std::string fiveReplacements;
    for (int i = 0; i < 5; ++i)
        fiveReplacements += "\xEF\xBF\xBD";
    EXPECT_EQ(DecodeCp1252("\x81\x8D\x8F\x90\x9D"), fiveReplacements);
}

TEST(TextEncoding, StatementTextIsUtf8WhenValidElseTheDeclaredSetElseCp1252)
{
    // Banks declare 1252 over UTF-8 text: valid UTF-8 wins.
    EXPECT_EQ(DecodeStatementText("cart\xC3\xA3o", "CP1252"), "cart\xC3\xA3o");
    EXPECT_EQ(DecodeStatementText(Cafe1252, "CP1252"), CafeUtf8);
    EXPECT_EQ(DecodeStatementText("\x80", "ISO-8859-1"), "\xC2\x80");
    EXPECT_EQ(DecodeStatementText("\x80", ""), "\xE2\x82\xAC");
    EXPECT_EQ(DecodeStatementText("\x80", "NO-SUCH-SET"), "\xE2\x82\xAC");
    // A declared set that does not read ASCII as ASCII is not usable.
    EXPECT_EQ(DecodeStatementText("<OFX>" + Cafe1252, "UTF-16"), "<OFX>" + CafeUtf8);
    // Bytes the declared set cannot read fall back to CP1252 as a whole.
    EXPECT_EQ(DecodeStatementText(Cafe1252 + "\x81", "UTF-8"), CafeUtf8 + "\xEF\xBF\xBD");
}

TEST(TextEncoding, PrefixesCountCharactersAndCodePointsAreWritten)
{
    EXPECT_EQ(Utf8Prefix(CafeUtf8, 3), "Caf");
    EXPECT_EQ(Utf8Prefix(CafeUtf8, 4), "Caf\xC3\xA9");
    EXPECT_EQ(Utf8Prefix(CafeUtf8, 0), "");
    EXPECT_EQ(Utf8Prefix(CafeUtf8, 11), CafeUtf8);
    EXPECT_EQ(Utf8Prefix(CafeUtf8, 100), CafeUtf8);
    EXPECT_EQ(Utf8Prefix("\xF0\x9F\x92\xB6x", 1), "\xF0\x9F\x92\xB6");

    std::string text;
    EXPECT_TRUE(AppendUtf8(text, U'A'));
    EXPECT_TRUE(AppendUtf8(text, U'\u00E9'));
    EXPECT_TRUE(AppendUtf8(text, U'\u20AC'));
    EXPECT_TRUE(AppendUtf8(text, U'\U0001F4B6'));
    EXPECT_FALSE(AppendUtf8(text, 0xD800));
    EXPECT_FALSE(AppendUtf8(text, 0x110000));
    EXPECT_EQ(text, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x92\xB6");
}
