#include "exchange/ImportAccount.h"

#include "exchange/ImportFixture.h"
#include "exchange/OfxReader.h"
#include "exchange/QifReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::string OfxStatement(const std::string& accountId, const std::string& fitid = "F1")
{
    return "OFXHEADER:100\r\n\r\n<OFX><STMTRS><BANKACCTFROM><ACCTID>" + accountId +
           "\r\n</BANKACCTFROM><BANKTRANLIST>\r\n<STMTTRN>\r\n<DTPOSTED>20160105\r\n"
           "<TRNAMT>-10\r\n<FITID>" +
           fitid + "\r\n<NAME>Shop\r\n</STMTTRN>\r\n</BANKTRANLIST></STMTRS></OFX>\r\n";
}

const char* const QifRecord = "!Type:Bank\nD1/5/16\nT-4\nPCafe\n^\n";

class ImportAccount : public ImportTest
{
protected:
    ImportResult ReadOfx(const std::string& accountId, const std::string& fitid = "F1")
    {
        return ReadOfxFile(Context(), WriteFile("s.ofx", OfxStatement(accountId, fitid)));
    }
    ImportResult ReadQif() { return ReadQifFile(Context(), WriteFile("s.qif", QifRecord)); }
};
} // namespace

TEST_F(ImportAccount, AKnownAccountNumberNeedsNoQuestion)
{
    AddAccount("555", "Checking");
    std::string id = "555";
    EXPECT_TRUE(EnsureImportAccount(Context(), id));
    EXPECT_EQ(id, "555");
    EXPECT_TRUE(chooser.requests.empty());
    EXPECT_TRUE(ui.statusLog.empty());
}

TEST_F(ImportAccount, AsksWithTheDescriptionsInTheStoresOrder)
{
    AddAccount("1", "Zeta");
    AddAccount("2", "Alpha");
    std::string id = "777";
    EXPECT_FALSE(EnsureImportAccount(Context(), id));
    ASSERT_EQ(chooser.requests.size(), 1u);
    const AccountChoiceRequest& request = chooser.requests[0];
    EXPECT_EQ(request.accountId, "777");
    EXPECT_TRUE(request.supplied);
    EXPECT_EQ(request.descriptions, (std::vector<std::string>{"Zeta", "Alpha"}));
    EXPECT_EQ(id, "777");
}

TEST_F(ImportAccount, ShowsReadyAndLiftsTheWaitCursorWhileAsking)
{
    ui.BeginWait();
    struct Probe : AccountChooser
    {
        RecordingUi* ui = nullptr;
        std::vector<std::string> statusSeen;
        int waitSeen = -1;
        std::optional<AccountChoice> Choose(const AccountChoiceRequest&) override
        {
            statusSeen = ui->status;
            waitSeen = ui->waitDepth;
            return std::nullopt;
        }
    } probe;
    probe.ui = &ui;
    ImportContext context(Db(), ui, probe);
    std::string id;
    EXPECT_FALSE(EnsureImportAccount(context, id));
    EXPECT_EQ(probe.statusSeen, (std::vector<std::string>{"Ready"}));
    EXPECT_EQ(probe.waitSeen, 0);
    EXPECT_TRUE(ui.status.empty());
    EXPECT_EQ(ui.waitDepth, 1);
}

TEST_F(ImportAccount, CreatingAnAccountFilesUnderTheFilesNumberAndAsksNoMore)
{
    chooser.Create("Cash", "Savings");
    ImportResult first = ReadOfx("98-765");
    EXPECT_EQ(first.added, 1);
    EXPECT_EQ(Rows("SELECT AccountID, Description, Type, OpeningBalance FROM Account"),
              (std::vector<std::string>{"98-765|Savings|Cash|0"}));
    EXPECT_EQ(Rows("SELECT AccountID, FITID FROM Trans"), (std::vector<std::string>{"98-765|F1"}));
    EXPECT_EQ(treeRebuilds, 1);
    ImportResult second = ReadOfx("98-765", "F2");
    EXPECT_EQ(second.added, 1);
    EXPECT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(Count("Trans WHERE AccountID = '98-765'"), 2);
}

TEST_F(ImportAccount, MappingReKeysTheAccountAndKeepsItsHistory)
{
    AddAccount("OLD", "Checking");
    AddAccount("LOAN1", "Car", "Loan");
    Db().Execute("INSERT INTO Trans (AccountID, Amount, Sequence) VALUES ('OLD', -3, 1)");
    Db().Execute("INSERT INTO Trans (AccountID, Amount, Sequence) VALUES ('OLD', -4, 2)");
    Db().Execute("INSERT INTO Loan (Description, AccountID) VALUES ('loan', 'OLD')");
    Db().Execute("INSERT INTO Investment (StockSymbol, AccountID) VALUES ('XYZ', 'OLD')");
    Db().Execute("INSERT INTO Trans (AccountID, Amount, Sequence) VALUES ('LOAN1', -9, 3)");
    chooser.Map("Checking");
    ReadOfx("4242");
    EXPECT_EQ(Rows("SELECT AccountID FROM Account WHERE Description = 'Checking'"),
              (std::vector<std::string>{"4242"}));
    EXPECT_EQ(Count("Trans WHERE AccountID = '4242'"), 3);
    EXPECT_EQ(Count("Trans WHERE AccountID = 'OLD'"), 0);
    EXPECT_EQ(Count("Loan WHERE AccountID = '4242'"), 1);
    EXPECT_EQ(Count("Investment WHERE AccountID = '4242'"), 1);
    EXPECT_EQ(Count("Trans WHERE AccountID = 'LOAN1'"), 1);
    EXPECT_EQ(treeRebuilds, 1);
    ReadOfx("4242", "F2");
    EXPECT_EQ(chooser.requests.size(), 1u);
}

TEST_F(ImportAccount, MappingChangesEveryAccountOfThatDescription)
{
    AddAccount("A", "Checking");
    AddAccount("B", "Checking");
    AddAccount("C", "Other");
    Db().Execute("INSERT INTO Trans (AccountID, Sequence) VALUES ('B', 1)");
    chooser.Map("Checking");
    ReadOfx("NEW");
    EXPECT_EQ(Rows("SELECT AccountID FROM Account ORDER BY Description, AccountID"),
              (std::vector<std::string>{"NEW", "NEW", "C"}));
    EXPECT_EQ(Count("Trans WHERE AccountID = 'NEW'"), 2);
}

TEST_F(ImportAccount, RowsStayWithAnotherAccountThatKeepsTheOldNumber)
{
    AddAccount("SAME", "Checking");
    AddAccount("SAME", "Duplicate");
    Db().Execute("INSERT INTO Trans (AccountID, Sequence) VALUES ('SAME', 1)");
    chooser.Map("Checking");
    ReadOfx("NEW");
    EXPECT_EQ(Count("Trans WHERE AccountID = 'SAME'"), 1);
    EXPECT_EQ(Count("Trans WHERE AccountID = 'NEW'"), 1);
}

TEST_F(ImportAccount, DescriptionsWithQuotesMapCorrectly)
{
    AddAccount("1", "Bob's Bank");
    chooser.Map("Bob's Bank");
    ReadOfx("2");
    EXPECT_EQ(Value("SELECT AccountID FROM Account"), "2");
    chooser.Map("Bob's Bank");
    ReadQif();
    EXPECT_EQ(Count("Trans WHERE AccountID = '2'"), 2);
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

TEST_F(ImportAccount, QifMappedToAnAccountUsesItsNumberAndChangesNoAccount)
{
    AddAccount("77", "Checking");
    chooser.Map("Checking");
    ReadQif();
    EXPECT_EQ(Rows("SELECT AccountID FROM Trans"), (std::vector<std::string>{"77"}));
    EXPECT_EQ(Rows("SELECT AccountID, Description FROM Account"),
              (std::vector<std::string>{"77|Checking"}));
    EXPECT_EQ(treeRebuilds, 0);
}

TEST_F(ImportAccount, WithoutAccountsOnlyCreationIsOffered)
{
    ReadOfx("1");
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_TRUE(chooser.requests[0].descriptions.empty());
}

TEST_F(ImportAccount, CancelChangesNothing)
{
    AddAccount("1", "Checking");
    chooser.Cancel();
    ImportResult result = ReadOfx("2");
    EXPECT_FALSE(result.accountResolved);
    EXPECT_EQ(Rows("SELECT AccountID FROM Account"), (std::vector<std::string>{"1"}));
    EXPECT_EQ(Count("Trans"), 0);
    EXPECT_EQ(Count("Budget"), 0);
    EXPECT_EQ(treeRebuilds, 0);
}

TEST_F(ImportAccount, AnEmptyDescriptionIsRefusedAndAskedAgain)
{
    chooser.Create("Bank", "");
    chooser.Create("Bank", "Named");
    ReadOfx("5");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "You must enter an account description.");
    EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Stop);
    EXPECT_EQ(chooser.requests.size(), 2u);
    EXPECT_EQ(Rows("SELECT AccountID, Description FROM Account"),
              (std::vector<std::string>{"5|Named"}));
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
