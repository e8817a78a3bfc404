#include "cli/CliDatabaseTest.h"

#include "exchange/ImportFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
class CliTransfers : public CliDatabaseTest
{
protected:
    CliTransfers()
    {
        Sql("INSERT INTO Account (AccountID, Description, Type) VALUES ('2002', 'Savings', "
            "'Bank')");
        Sql("INSERT INTO Account (AccountID, Description, Type) VALUES ('3003', 'Visa', "
            "'Credit Card')");
    }
    std::string Import(const std::string& name, const std::string& accountId,
                       const std::string& blocks)
    {
        CliRun run = Cli({"import", Write(name, Statement(accountId, blocks))});
        EXPECT_EQ(run.code, 0) << run.err;
        return run.out;
    }
};
} // namespace

TEST_F(CliTransfers, ListsAcceptsAndRefusesThePairsOfAnImport)
{
    EXPECT_EQ(Import("c.ofx", "1001",
                     Block("C1", "20160310", "-500.00", "CARD PAYMENT") +
                         Block("C2", "20160320", "-80", "TO SAVINGS") +
                         Block("C3", "20160325", "-15", "CASH")),
              "imported 3, skipped 0\n");
    EXPECT_EQ(Import("k.ofx", "3003", Block("K1", "20160312", "500.00", "THANK YOU")),
              "imported 1, skipped 0\ntransfers found 1 (tallybrook-cli transfers lists them)\n");
    EXPECT_EQ(Import("s.ofx", "2002",
                     Block("S1", "20160321", "80", "FROM CHECKING") +
                         Block("S2", "20160326", "15", "DEPOSIT") +
                         Block("S3", "20160327", "15", "DEPOSIT")),
              "imported 3, skipped 0\ntransfers found 4 (tallybrook-cli transfers lists them)\n")
        << "the card's pair is still unanswered";
    // Sequences: Checking 1-3, Visa 4, Savings 5-7. The -15 has two candidates.
    const std::string list = "2016-03-10\t1001\t1\t-500.00\t2016-03-12\t3003\t4\t500.00\tsure\n"
                             "2016-03-20\t1001\t2\t-80.00\t2016-03-21\t2002\t5\t80.00\tsure\n"
                             "2016-03-25\t1001\t3\t-15.00\t2016-03-26\t2002\t6\t15.00\tunsure\n"
                             "2016-03-25\t1001\t3\t-15.00\t2016-03-27\t2002\t7\t15.00\tunsure\n";
    EXPECT_EQ(Cli({"transfers"}).out, list);

    EXPECT_EQ(Cli({"transfers", "accept", "2"}).out, "linked 1\n");
    EXPECT_EQ(Cli({"transfers", "reject", "3"}).out, "refused 1\n");
    EXPECT_EQ(Cli({"transfers"}).out,
              "2016-03-10\t1001\t1\t-500.00\t2016-03-12\t3003\t4\t500.00\tsure\n"
              "2016-03-25\t1001\t3\t-15.00\t2016-03-26\t2002\t6\t15.00\tsure\n")
        << "with the refused pair gone, the -15 has one candidate";
    EXPECT_EQ(Cli({"transfers", "accept", "sure"}).out, "linked 2\n");
    EXPECT_EQ(Cli({"transfers"}).out, "");
    EXPECT_EQ(Cli({"transfers", "accept", "all"}).out, "linked 0\n");
    EXPECT_EQ(Sql("SELECT AccountID, Amount, Category FROM Trans WHERE TransferID IS NOT NULL "
                  "ORDER BY TransferID, AccountID"),
              "AccountID\tAmount\tCategory\n"
              "1001\t-80\t[Savings]\n2002\t80\t[Checking]\n"
              "1001\t-500\t[Visa]\n3003\t500\t[Checking]\n"
              "1001\t-15\t[Savings]\n2002\t15\t[Checking]\n");
    EXPECT_EQ(Sql("SELECT AccountID, CurrentBalance FROM Account ORDER BY AccountID"),
              "AccountID\tCurrentBalance\n1001\t-595\n2002\t110\n3003\t500\n");
}

TEST_F(CliTransfers, TheBudgetLeavesTransfersOut)
{
    Import("c.ofx", "1001", Block("C1", "20160310", "-500.00", "CARD PAYMENT"));
    Import("k.ofx", "3003", Block("K1", "20160311", "500.00", "THANK YOU"));
    ASSERT_EQ(Cli({"transfers", "accept", "1"}).out, "linked 1\n");
    Sql("INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES (2016, 3, "
        "'[Visa]', 'Moves', 0)");
    std::string budget = Cli({"budget", "2016", "3"}).out;
    EXPECT_NE(budget.find("Moves\t[Visa]\t0\t\t"), std::string::npos) << budget;
    EXPECT_EQ(budget.find("-500"), std::string::npos) << budget;
}

TEST_F(CliTransfers, WrongWordsAndLinesAreRefused)
{
    struct Case
    {
        std::vector<std::string> args;
        int code;
    };
    const Case cases[] = {
        {{"transfers", "link"}, 2},
        {{"transfers", "accept"}, 2},
        {{"transfers", "accept", "0"}, 2},
        {{"transfers", "reject", "sure"}, 2},
        {{"transfers", "accept", "x1"}, 2},
        {{"transfers", "accept", "1"}, 1},
        {{"transfers", "reject", "1", "2"}, 1},
    };
    for (const Case& c : cases)
    {
        CliRun run = Cli(c.args);
        EXPECT_EQ(run.code, c.code) << testing::PrintToString(c.args) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(Cli({"transfers", "accept", "2"}).err,
              "tallybrook-cli: there is no line 2; the list has 0\n");
}
