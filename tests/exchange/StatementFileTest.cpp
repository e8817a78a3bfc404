#include "exchange/StatementFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

TEST(StatementFile, GivesTheBytesOfARegularFileAndNothingOfAnythingElse)
{
    TempDir dir;
    const std::string content("OFXHEADER:100\r\n\0<OFX>\xE9", 21);
    std::ofstream(dir.File("s.ofx"), std::ios::binary) << content;
    EXPECT_EQ(StatementFile(dir.File("s.ofx")).Bytes(), content);

    std::ofstream(dir.File("empty.ofx")).flush();
    EXPECT_EQ(StatementFile(dir.File("empty.ofx")).Bytes(), "");
    EXPECT_EQ(StatementFile(dir.File("missing.ofx")).Bytes(), "");
    EXPECT_EQ(StatementFile(dir.Path().string()).Bytes(), "") << "a folder";
    // A FIFO without a writer would block an ordinary open for ever.
    ASSERT_EQ(mkfifo(dir.File("pipe.ofx").c_str(), 0600), 0);
    EXPECT_EQ(StatementFile(dir.File("pipe.ofx")).Bytes(), "");
}
