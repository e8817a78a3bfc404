#include "base/Trace.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

TEST(Trace, StartEmptiesAnExistingLog)
{
    const TempDir temp;
    const std::string path = temp.File("trace.txt");
    std::ofstream(path) << "old run\n";
    StartTrace(path);
    EXPECT_EQ(TracePath(), path);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(FileContents(path), "");
}

TEST(Trace, AppendsEachLineInOrderAndAtOnce)
{
    const TempDir temp;
    const std::string path = temp.File("trace.txt");
    StartTrace(path);
    Trace("Application.InitInstance");
    // Each line is on disk before the next is traced.
    EXPECT_EQ(FileContents(path), "Application.InitInstance\n");
    Trace("Version: 8.1.0");
    Trace("");
    EXPECT_EQ(FileContents(path), "Application.InitInstance\nVersion: 8.1.0\n\n");
}

TEST(Trace, LinesToAnUnwritablePathAreDropped)
{
    const TempDir temp;
    const std::string path = temp.File("missing/trace.txt");
    StartTrace(path);
    Trace("lost");
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "missing"));
    StartTrace("");
    Trace("nowhere");
    EXPECT_EQ(TracePath(), "");
}
