#include "update/CompareVersions.h"

#include <gtest/gtest.h>

TEST(CompareVersions, OrdersByTheFirstDifferingPartWithMissingPartsAsZero)
{
    EXPECT_EQ(CompareVersions("8.1.1", "8.1.0"), 1);
    EXPECT_EQ(CompareVersions("8.1.0", "8.1.1"), -1);
    EXPECT_EQ(CompareVersions("8.1", "8.1.0"), 0);
    EXPECT_EQ(CompareVersions("8", "8.0.0.0"), 0);
    EXPECT_EQ(CompareVersions("8.1.0.1", "8.1.0"), 1);
    EXPECT_EQ(CompareVersions("9", "8.9.9.9"), 1);
    // Parts are numbers, not texts: 10 is above 9, and leading zeros change nothing.
    EXPECT_EQ(CompareVersions("8.10", "8.9"), 1);
    EXPECT_EQ(CompareVersions("08.01.00", "8.1"), 0);
    EXPECT_EQ(CompareVersions("8.0010", "8.9"), 1);
}

TEST(CompareVersions, NumbersBeyondAnyIntegerTypeStillCompare)
{
    EXPECT_EQ(CompareVersions("8.99999999999999999999999", "8.99999999999999999999998"), 1);
    EXPECT_EQ(CompareVersions("4294967296", "1"), 1);
    EXPECT_EQ(CompareVersions("1", "18446744073709551617"), -1);
}

TEST(CompareVersions, RunsOfDotsSeparateOnce)
{
    EXPECT_EQ(CompareVersions("8..1", "8.1.0"), 0);
    EXPECT_EQ(CompareVersions("8...1...1", "8.1.0"), 1);
    EXPECT_EQ(CompareVersions(".8.1.", "8.1"), 0);
    // A run of dots counts once, so five numbers are still five parts.
    EXPECT_EQ(CompareVersions("1..2..3..4..5", "8.1.0"), InvalidCandidateVersion);
    EXPECT_EQ(CompareVersions("1.2.3.4..", "1.2.3.4"), 0);
}

TEST(CompareVersions, TextsThatAreNoVersionNumber)
{
    EXPECT_EQ(CompareVersions("9.0.0.0.1", "8.1.0"), InvalidCandidateVersion);
    EXPECT_EQ(CompareVersions("8.2\n", "8.1.0"), InvalidCandidateVersion);
    EXPECT_EQ(CompareVersions("8.2\r\n", "8.1.0"), InvalidCandidateVersion);
    EXPECT_EQ(CompareVersions(" 8.2", "8.1.0"), InvalidCandidateVersion);
    EXPECT_EQ(CompareVersions("8.2-beta", "8.1.0"), InvalidCandidateVersion);
    EXPECT_EQ(CompareVersions("+8.2", "8.1.0"), InvalidCandidateVersion);
    EXPECT_EQ(CompareVersions("", "8.1.0"), InvalidCandidateVersion);
    EXPECT_EQ(CompareVersions("...", "8.1.0"), InvalidCandidateVersion);
    EXPECT_EQ(CompareVersions(std::string_view("8.2\0", 4), "8.1.0"), InvalidCandidateVersion);
    EXPECT_EQ(CompareVersions("<html>", "8.1.0"), InvalidCandidateVersion);

    EXPECT_EQ(CompareVersions("8.2", ""), InvalidOwnVersion);
    EXPECT_EQ(CompareVersions("8.2", "8.1.0.0.0"), InvalidOwnVersion);
    EXPECT_EQ(CompareVersions("8.2", "v8"), InvalidOwnVersion);
    // The candidate is judged first.
    EXPECT_EQ(CompareVersions("x", "y"), InvalidCandidateVersion);
}
