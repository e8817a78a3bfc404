#include "exchange/ReadLine.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

TEST(ReadLine, SplitsAtLfCrAndCrLfAlikeAndEmptiesTheLineAtTheEnd)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
        {"a\n", {"a"}},
        {"\n\n", {"", ""}},
        {"\r\r\n", {"", ""}},
        {"", {}},
        {std::string("a\0b\n\xff", 5), {std::string("a\0b", 3), "\xff"}},
    };
    for (const auto& [text, expected] : cases)
    {
        std::istringstream stream(text);
        std::vector<std::string> lines;
        std::string line = "old";
        while (ReadLine(stream, line))
            lines.push_back(line);
        EXPECT_EQ(lines, expected) << text;
        EXPECT_EQ(line, "");
    }
}
