#include "base/ProgramArguments.h"

#include <gtest/gtest.h>

TEST(ProgramArguments, TakesOneStatementFileOrNone)
{
    ProgramArguments none = ParseProgramArguments({});
    EXPECT_EQ(none.statementFile, "");
    EXPECT_EQ(none.error, "");
    EXPECT_FALSE(none.help);

    EXPECT_EQ(ParseProgramArguments({"/home/me/May statement.ofx"}).statementFile,
              "/home/me/May statement.ofx");
    // "--" lets a file whose name looks like an option through; "-" is a plain name.
    EXPECT_EQ(ParseProgramArguments({"--", "-odd.qif"}).statementFile, "-odd.qif");
    EXPECT_EQ(ParseProgramArguments({"-"}).statementFile, "-");

    EXPECT_EQ(ParseProgramArguments({"a.ofx", "b.ofx"}).error,
              "only one statement file can be imported at a time");
    EXPECT_EQ(ParseProgramArguments({""}).error, "the statement file's name is empty");
}

TEST(ProgramArguments, RefusesUnknownOptionsAndKnowsHelp)
{
    EXPECT_EQ(ParseProgramArguments({"--import", "a.ofx"}).error, "unknown option '--import'");
    EXPECT_EQ(ParseProgramArguments({"a.ofx", "-x"}).error, "unknown option '-x'");
    EXPECT_TRUE(ParseProgramArguments({"--help"}).help);
    EXPECT_TRUE(ParseProgramArguments({"-h"}).help);
    EXPECT_EQ(ParseProgramArguments({"--help"}).error, "");
}
