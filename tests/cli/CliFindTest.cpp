#include "cli/CliDatabaseTest.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using CliFind = CliDatabaseTest;
} // namespace

TEST_F(CliFind, PrintsEveryRowFoundNewestFirstAndRefusesAWrongQuery)
{
    Sql("INSERT INTO Trans (AccountID, Sequence, PostDate, Amount, Description, CheckID, "
        "Category, PayeeName) VALUES ('1001', 1, #1/5/2024#, -4.5, 'Corner Cafe', NULL, "
        "'Food', 'two\tcoffees')");
    Sql("INSERT INTO Trans (AccountID, Sequence, PostDate, Amount, Description, CheckID, "
        "Category) VALUES ('1001', 2, #2/1/2024#, -850, 'Cafe Rent', '1042', 'Rent')");
    CliRun run = Cli({"find", "cafe"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "2024-02-01\t1001\t2\tCafe Rent\t-850.00\t1042\tRent\t\n"
                       "2024-01-05\t1001\t1\tCorner Cafe\t-4.50\t\tFood\ttwo coffees\n");
    run = Cli({"find", "cafe", "amount:4.50"});
    EXPECT_EQ(run.out, "2024-01-05\t1001\t1\tCorner Cafe\t-4.50\t\tFood\ttwo coffees\n");
    run = Cli({"find", "nothing-like-it"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "");
    run = Cli({"find", "amout:4"});
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("amout:"), std::string::npos) << run.err;
}
