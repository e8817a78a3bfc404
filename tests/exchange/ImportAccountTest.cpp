#include "exchange/ImportAccount.h"

#include "exchange/ImportFixture.h"
#include "exchange/OfxReader.h"
#include "exchange/QifReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
class ImportAccount : public ImportTest
{
protected:
    ImportResult ReadOfx(const std::string& accountId, const std::string& fitid = "F1")
    {
        return ReadOfxFile(
            Context(),
            WriteFile("s.ofx", Statement(accountId, Block(fitid, "20160105", "-10", "Shop"))));
    }
    ImportResult ReadQif()
    {
        return ReadQifFile(Context(), WriteFile("s.qif", "!Type:Bank\nD1/5/16\nT-4\nPCafe\n^\n"));
    }
};
} // namespace

TEST_F(ImportAccount, AsksOnlyForAnUnknownNumberWithTheDescriptionsInTheStoresOrder)
{
    // While asking, the status bar shows Ready and the wait cursor is lifted.
    std::vector<std::string> statusSeen;
    int waitSeen = -1;
    chooser.onChoose = [&]
    {
        statusSeen = ui.status;
        waitSeen = ui.waitDepth;
    };
    ui.BeginWait();
    std::string id = "1";
    EXPECT_FALSE(EnsureImportAccount(Context(), id));
    EXPECT_EQ(statusSeen, (std::vector<std::string>{"Ready"}));
    EXPECT_EQ(waitSeen, 0);
    EXPECT_TRUE(ui.status.empty());
    EXPECT_EQ(ui.waitDepth, 1);
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_TRUE(chooser.requests[0].descriptions.empty()) << "only creation is offered";
    AddAccount("555", "Zeta");
    AddAccount("2", "Alpha");
    ui.statusLog.clear();
    id = "555";
    EXPECT_TRUE(EnsureImportAccount(Context(), id));
    EXPECT_EQ(id, "555");
    EXPECT_EQ(chooser.requests.size(), 1u);
    EXPECT_TRUE(ui.statusLog.empty());
    id = "777";
    EXPECT_FALSE(EnsureImportAccount(Context(), id));
    ASSERT_EQ(chooser.requests.size(), 2u);
    const AccountChoiceRequest& request = chooser.requests[1];
    EXPECT_EQ(request.accountId, "777");
    EXPECT_TRUE(request.supplied);
    EXPECT_EQ(request.descriptions, (std::vector<std::string>{"Zeta", "Alpha"}));
    EXPECT_EQ(id, "777");
}

TEST_F(ImportAccount, CreatingAnAccountFilesUnderTheFilesNumberAndAsksNoMore)
{
    chooser.Create("Bank", "");
    chooser.Create("Cash", "Savings");
    EXPECT_EQ(ReadOfx("98-765").added, 1);
    ASSERT_EQ(ui.messages.size(), 1u) << "an empty description is refused and asked again";
    EXPECT_EQ(ui.messages[0].text, "You must enter an account description.");
    EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Stop);
    EXPECT_EQ(Rows("SELECT AccountID, Description, Type, OpeningBalance FROM Account"),
              (std::vector<std::string>{"98-765|Savings|Cash|0"}));
    EXPECT_EQ(Rows("SELECT AccountID, FITID FROM Trans"), (std::vector<std::string>{"98-765|F1"}));
    EXPECT_EQ(treeRebuilds, 1);
    EXPECT_EQ(ReadOfx("98-765", "F2").added, 1);
    EXPECT_EQ(chooser.requests.size(), 2u);
    EXPECT_EQ(Count("Trans WHERE AccountID = '98-765'"), 2);
}

TEST_F(ImportAccount, MappingReKeysEveryAccountOfTheDescriptionAndKeepsItsHistory)
{
    AddAccount("OLD", "Bob's Bank");
    AddAccount("B", "Bob's Bank");
    AddAccount("LOAN1", "Car", "Loan");
    AddAccount("B", "Other");
    AddAccount("C", "Bob's Bank");
    Db().Execute("INSERT INTO Trans (AccountID, Amount, Sequence) VALUES ('C', -6, 5)");
    Db().Execute("INSERT INTO Trans (AccountID, Amount, Sequence) VALUES ('OLD', -3, 1)");
    Db().Execute("INSERT INTO Trans (AccountID, Amount, Sequence) VALUES ('OLD', -4, 2)");
    Db().Execute("INSERT INTO Trans (AccountID, Amount, Sequence) VALUES ('B', -5, 3)");
    Db().Execute("INSERT INTO Loan (Description, AccountID) VALUES ('loan', 'OLD')");
    Db().Execute("INSERT INTO Investment (StockSymbol, AccountID) VALUES ('XYZ', 'OLD')");
    Db().Execute("INSERT INTO Trans (AccountID, Amount, Sequence) VALUES ('LOAN1', -9, 4)");
    chooser.Map("Bob's Bank");
    ReadOfx("4242");
    EXPECT_EQ(Rows("SELECT AccountID, Description FROM Account ORDER BY Description, AccountID"),
              (std::vector<std::string>{"4242|Bob's Bank", "4242|Bob's Bank", "4242|Bob's Bank",
                                        "LOAN1|Car", "B|Other"}));
    EXPECT_EQ(Count("Trans WHERE AccountID = '4242'"), 4);
    EXPECT_EQ(Count("Trans WHERE AccountID = 'OLD'"), 0);
    EXPECT_EQ(Count("Trans WHERE AccountID = 'B'"), 1) << "rows stay with the other B";
    EXPECT_EQ(Count("Loan WHERE AccountID = '4242'"), 1);
    EXPECT_EQ(Count("Investment WHERE AccountID = '4242'"), 1);
    EXPECT_EQ(Count("Trans WHERE AccountID = 'LOAN1'"), 1);
    EXPECT_EQ(treeRebuilds, 1);
    ReadOfx("4242", "F2");
    EXPECT_EQ(chooser.requests.size(), 1u);
    // A QIF file mapped to the account uses its number and changes no account.
    chooser.Map("Bob's Bank");
    ReadQif();
    EXPECT_EQ(Count("Trans WHERE AccountID = '4242'"), 6);
    EXPECT_EQ(Count("Account WHERE AccountID = '4242'"), 3);
    EXPECT_EQ(treeRebuilds, 1);
}

TEST_F(ImportAccount, QifCreatesNewAccountNumbersInTurn)
{
    chooser.Create("Bank", "First");
    ReadQif();
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_FALSE(chooser.requests[0].supplied);
    EXPECT_EQ(chooser.requests[0].newAccountId, "New Account");
    AddAccount("New Account (2)", "Taken");
    chooser.Create("Credit Card", "Second");
    ReadQif();
    EXPECT_EQ(chooser.requests[1].newAccountId, "New Account (3)");
    EXPECT_EQ(
        Rows("SELECT AccountID, Description, Type FROM Account ORDER BY Description"),
        (std::vector<std::string>{"New Account|First|Bank", "New Account (3)|Second|Credit Card",
                                  "New Account (2)|Taken|Bank"}));
    EXPECT_EQ(Rows("SELECT AccountID FROM Trans ORDER BY Sequence"),
              (std::vector<std::string>{"New Account", "New Account (3)"}));
}

TEST_F(ImportAccount, CancelChangesNothing)
{
    AddAccount("1", "Checking");
    chooser.Cancel();
    EXPECT_FALSE(ReadOfx("2").accountResolved);
    EXPECT_EQ(Rows("SELECT AccountID FROM Account"), (std::vector<std::string>{"1"}));
    EXPECT_EQ(Count("Trans") + Count("Budget"), 0);
    EXPECT_EQ(treeRebuilds, 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(AccountChoice, OffersFourTypesAndChecksTheDescription)
{
    EXPECT_EQ(ImportAccountTypes(),
              (std::vector<std::string>{"Bank", "Cash", "Credit Card", "Investment"}));
    EXPECT_EQ(CheckAccountChoice({AccountChoice::Action::Create, "Bank", ""}),
              "You must enter an account description.");
    EXPECT_EQ(CheckAccountChoice({AccountChoice::Action::Create, "Bank", " "}), "");
    EXPECT_EQ(CheckAccountChoice({AccountChoice::Action::Map, "", "Checking"}), "");
}
