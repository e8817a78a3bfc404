#include "exchange/CsvReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Rows = std::vector<std::vector<std::string>>;

Rows Read(std::string_view text, char delimiter = ',', std::size_t firstLine = 0)
{
    Rows rows;
    CsvReader reader(text, delimiter, firstLine);
    CsvRecord record;
    while (reader.Next(record))
        rows.push_back(record.fields);
    return rows;
}

std::vector<std::size_t> Lines(std::string_view text, char delimiter = ',')
{
    std::vector<std::size_t> lines;
    CsvReader reader(text, delimiter);
    CsvRecord record;
    while (reader.Next(record))
        lines.push_back(record.line);
    return lines;
}
} // namespace

TEST(CsvReader, ReadsQuotedFieldsAsBanksWriteThem)
{
    // Delimiters and line breaks inside quotes, quotes escaped by doubling.
    EXPECT_EQ(Read("a,\"b,c\",d\n\"x\ny\",\"say \"\"hi\"\", then\",\"\"\"q\"\"\"\n"),
              (Rows{{"a", "b,c", "d"}, {"x\ny", "say \"hi\", then", "\"q\""}}));
    // Quotes left unescaped inside a quoted field, as some exports write company names.
    EXPECT_EQ(Read("\"UAB \"Naktida\"\";\"-12,00\"\r\n\"5\" screen\";x\r\n", ';'),
              (Rows{{"UAB \"Naktida\"", "-12,00"}, {"5\" screen", "x"}}));
    // A quote inside a plain field is a character; blanks around a quoted field are left.
    EXPECT_EQ(Read("5\" tall, \"quoted\" ,end\n"), (Rows{{"5\" tall", "quoted", "end"}}));
    // Empty fields, quoted and not, and a delimiter at the end of the line.
    EXPECT_EQ(Read(";\"\";x;\n", ';'), (Rows{{"", "", "x", ""}}));
    // Tab-delimited: a tab is a delimiter, not a blank around quotes.
    EXPECT_EQ(Read("\"a\"\t\"b\tc\"\t d\n", '\t'), (Rows{{"a", "b\tc", " d"}}));
}

TEST(CsvReader, RowsMayHaveMoreOrFewerFieldsThanTheHeader)
{
    EXPECT_EQ(Read("Date,Text,Amount\n1/2/2019,A\n1/3/2019,B,-1,extra,more\n\n"),
              (Rows{{"Date", "Text", "Amount"},
                    {"1/2/2019", "A"},
                    {"1/3/2019", "B", "-1", "extra", "more"},
                    {""}}));
}

TEST(CsvReader, EveryKindOfLineEndEndsARecord)
{
    const Rows expected = {{"a", "1"}, {"b", "2"}, {"c", "3"}};
    for (const char* end : {"\n", "\r\n", "\r", "\r\r\n"})
    {
        SCOPED_TRACE(testing::PrintToString(std::string(end)));
        std::string text = std::string("a,1") + end + "b,2" + end + "c,3" + end;
        EXPECT_EQ(Read(text), expected);
        EXPECT_EQ(Lines(text), (std::vector<std::size_t>{0, 1, 2}));
        // The last line needs no line end.
        EXPECT_EQ(Read(text.substr(0, text.size() - std::string(end).size())), expected);
        // Reading from a line on.
        EXPECT_EQ(Read(text, ',', 2), (Rows{{"c", "3"}}));
        EXPECT_EQ(CsvLineStart(text, 1), 3 + std::string(end).size());
    }
    // Two CRs without a line feed are two line ends: a blank line between.
    EXPECT_EQ(Read("a\r\rb\r"), (Rows{{"a"}, {""}, {"b"}}));
    // A record with a line break inside quotes begins one line, the next begins after it.
    EXPECT_EQ(Lines("\"x\r\ny\",1\r\nz,2\r\n"), (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(Read("", ','), Rows{});
    EXPECT_EQ(CsvLines("one\r\ntwo\rthree\n", 10),
              (std::vector<std::string_view>{"one", "two", "three"}));
}

TEST(CsvReader, AQuoteThatIsNeverClosedIsACharacter)
{
    // Read to the end of the text, the field would swallow every row after it.
    EXPECT_EQ(Read("\"Shop,1\nNext,2\n"), (Rows{{"\"Shop", "1"}, {"Next", "2"}}));
    // A quoted field over more lines than a description takes is not one field either.
    std::string text = "\"start,1\n";
    for (int i = 0; i < 60; ++i)
        text += "row" + std::to_string(i) + ",2\n";
    text += "end\",3\n";
    Rows rows = Read(text);
    ASSERT_EQ(rows.size(), 62u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"\"start", "1"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"row0", "2"}));
}

TEST(CsvReader, DecodesTheFileInItsCharacterSet)
{
    // UTF-8 with and without a byte-order mark.
    EXPECT_EQ(DecodeCsvFile("\xEF\xBB\xBF"
                            "Caf\xC3\xA9",
                            ""),
              "Caf\xC3\xA9");
    EXPECT_EQ(DecodeCsvFile("Caf\xC3\xA9", ""), "Caf\xC3\xA9");
    EXPECT_EQ(DetectCsvCharset("Caf\xC3\xA9"), "UTF-8");
    // Else CP1252, with the euro sign where ISO-8859-1 has a control character.
    EXPECT_EQ(DecodeCsvFile("5\x80 Caf\xE9", ""), "5\xE2\x82\xAC Caf\xC3\xA9");
    EXPECT_EQ(DetectCsvCharset("5\x80"), "CP1252");
    EXPECT_EQ(DecodeCsvFile("5\x80", "ISO-8859-1"), "5\xC2\x80");
    // A chosen set: CP1257 reads 0xE0 as a Lithuanian letter.
    EXPECT_EQ(DecodeCsvFile("\xE0\xE8", "CP1257"), "\xC4\x85\xC4\x8D");
    // UTF-16 by its byte-order mark.
    EXPECT_EQ(DecodeCsvFile(std::string("\xFF\xFE"
                                        "a\0;\0\xE9\0",
                                        8),
                            ""),
              "a;\xC3\xA9");
    EXPECT_EQ(DetectCsvCharset("\xFF\xFE"), "UTF-16");
    // A set that does not read the bytes, or that does not exist.
    EXPECT_EQ(DecodeCsvFile("\xE9", "UTF-8"), std::nullopt);
    EXPECT_EQ(DecodeCsvFile("abc", "NO-SUCH-SET"), std::nullopt);
}
