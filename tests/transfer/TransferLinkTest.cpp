#include "budget/BudgetActual.h"
#include "register/SplitTransaction.h"
#include "transfer/TransferTestDatabase.h"

namespace
{
const TransKey First{1, 0};
} // namespace

TEST_F(TransferTest, ABracketedAccountWritesTheOtherSideThere)
{
    AddRow("C", 1, "-250", "[savings]", 10, "To savings", "rainy day");
    ReconcileTransfer(Db(), First);
    EXPECT_EQ(RowsOf("C"),
              (std::vector<std::string>{"2016-03-10|-250.00|To savings|rainy day|[Savings]"}))
        << "the bracket takes the account's own spelling";
    EXPECT_EQ(RowsOf("S"),
              (std::vector<std::string>{"2016-03-10|250.00|To savings|rainy day|[Checking]"}));
    EXPECT_EQ(LinkedRows(), 2);
    EXPECT_EQ(Rows("SELECT [Year], Period FROM Trans WHERE AccountID = 'S'"),
              std::vector<std::string>{"2016|3"});
    // Opening balances stay apart: 100 + -250 is shown, -250 is stored.
    EXPECT_EQ(Balance("C"), "-250");
    EXPECT_EQ(Balance("S"), "250");

    // Reconciling again changes nothing: one other side, not two.
    ReconcileTransfer(Db(), First);
    EXPECT_EQ(Count("Trans"), 2);
}

TEST_F(TransferTest, EitherSideEditedCarriesTheOtherAlong)
{
    AddRow("C", 1, "-250", "[Savings]");
    ReconcileTransfer(Db(), First);
    TransKey savings = OtherSide(Db(), First)->key;
    struct Edit
    {
        TransKey side;
        std::string set;
        std::string checking; ///< the Checking row afterwards
        std::string other;    ///< the Savings row afterwards
    };
    const Edit edits[] = {
        {First, "Amount = -300", "2016-03-10|-300.00|Move||[Savings]",
         "2016-03-10|300.00|Move||[Checking]"},
        {savings, "Amount = 75.5", "2016-03-10|-75.50|Move||[Savings]",
         "2016-03-10|75.50|Move||[Checking]"},
        {First, "Description = 'Top up', PayeeName = 'note'",
         "2016-03-10|-75.50|Top up|note|[Savings]", "2016-03-10|75.50|Top up|note|[Checking]"},
        {savings, "PostDate = #4/2/2016#, [Year] = 2016, Period = 4",
         "2016-04-02|-75.50|Top up|note|[Savings]", "2016-04-02|75.50|Top up|note|[Checking]"},
    };
    for (const Edit& edit : edits)
    {
        SCOPED_TRACE(edit.set);
        Db().Execute("UPDATE Trans SET " + edit.set +
                     " WHERE Sequence = " + std::to_string(edit.side.sequence));
        ReconcileTransfer(Db(), edit.side);
        EXPECT_EQ(RowsOf("C"), std::vector<std::string>{edit.checking});
        EXPECT_EQ(RowsOf("S"), std::vector<std::string>{edit.other});
    }
    EXPECT_EQ(Value("SELECT Period FROM Trans WHERE AccountID = 'C'"), "4");
    EXPECT_EQ(Balance("C"), "-75.5");
    EXPECT_EQ(Balance("S"), "75.5");
}

TEST_F(TransferTest, AnotherCategoryMovesOrRemovesTheOtherSide)
{
    AddRow("C", 1, "-250", "[Savings]");
    ReconcileTransfer(Db(), First);

    EXPECT_EQ(CheckTransferEdit(Db(), First, false, "C", "[Visa]").question,
              "Move the other side of this transfer from Savings to Visa?");
    Db().Execute("UPDATE Trans SET Category = '[Visa]' WHERE Sequence = 1");
    ReconcileTransfer(Db(), First);
    EXPECT_TRUE(RowsOf("S").empty());
    EXPECT_EQ(RowsOf("K"), (std::vector<std::string>{"2016-03-10|250.00|Move||[Checking]"}));
    EXPECT_EQ(Balance("S"), "0");
    EXPECT_EQ(Balance("K"), "250");

    EXPECT_EQ(CheckTransferEdit(Db(), First, false, "C", "Food").question,
              "Remove the other side of this transfer from Visa?");
    EXPECT_EQ(CheckTransferEdit(Db(), First, false, "C", "[visa]").question, "")
        << "the same account, spelt otherwise";
    Db().Execute("UPDATE Trans SET Category = 'Food' WHERE Sequence = 1");
    ReconcileTransfer(Db(), First);
    EXPECT_EQ(RowsOf("C"), (std::vector<std::string>{"2016-03-10|-250.00|Move||Food"}));
    EXPECT_TRUE(RowsOf("K").empty());
    EXPECT_EQ(Value("SELECT COUNT(TransferID) FROM Trans"), "0");
    EXPECT_EQ(Balance("K"), "0");
    EXPECT_EQ(Balance("C"), "-250");
}

TEST_F(TransferTest, ACategoryNamingNoRegisterAccountIsRefusedWhenTyped)
{
    AddRow("C", 1, "-5", "[Old Account]");
    struct Case
    {
        std::string category;
        std::string refusal;
    };
    const Case cases[] = {
        {"[Checking]", "A transfer cannot go to the account it comes from."},
        {"[Nowhere]", "There is no Bank, Cash or Credit Card account 'Nowhere' to transfer to."},
        {"[Brokerage]",
         "There is no Bank, Cash or Credit Card account 'Brokerage' to transfer to."},
        {"[]", "There is no Bank, Cash or Credit Card account '' to transfer to."},
        {"[SAVINGS]", ""},
        {"Food", ""},
        {"[Savings", ""},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(CheckTransferEdit(Db(), TransKey{9, 0}, true, "C", c.category).refusal, c.refusal)
            << c.category;
    }
    // A stored category left as it was is not judged again: the file may hold it so.
    EXPECT_EQ(CheckTransferEdit(Db(), First, false, "C", "[Old Account]").refusal, "");
    ReconcileTransfer(Db(), First);
    EXPECT_EQ(Count("Trans"), 1) << "brackets naming no account stay a plain category";
}

TEST_F(TransferTest, DeletingOneSideTakesTheOther)
{
    AddRow("C", 1, "-40", "[Visa]");
    AddRow("C", 2, "-3", "Food");
    ReconcileTransfer(Db(), First);
    TransKey visa = OtherSide(Db(), First)->key;
    EXPECT_EQ(DeleteTransferQuestion(Db(), visa, "K"),
              "Delete this transfer from both Visa and Checking?");
    EXPECT_EQ(DeleteTransferQuestion(Db(), TransKey{2, 0}, "C"), "");
    DeleteOtherSide(Db(), visa);
    Db().Execute("DELETE FROM Trans WHERE Sequence = " + std::to_string(visa.sequence));
    EXPECT_EQ(Rows("SELECT Sequence FROM Trans"), std::vector<std::string>{"2"});
    EXPECT_EQ(Balance("C"), "-3") << "the other account's balance is recomputed";
}

TEST_F(TransferTest, RenamingAnAccountRenamesTheBracketsThatNameIt)
{
    AddRow("C", 1, "-250", "[Savings]");
    AddRow("K", 2, "-9", "[Savings]"); // typed before transfers existed: a plain category
    ReconcileTransfer(Db(), First);
    Db().Execute("UPDATE Account SET Description = 'Rainy Day' WHERE AccountID = 'S'");
    EXPECT_EQ(Value("SELECT Category FROM Trans WHERE Sequence = 1"), "[Rainy Day]");
    EXPECT_EQ(Value("SELECT Category FROM Trans WHERE Sequence = 2"), "[Savings]");
    Db().Execute("UPDATE Account SET Description = 'Current' WHERE AccountID = 'C'");
    EXPECT_EQ(Value("SELECT Category FROM Trans WHERE AccountID = 'S'"), "[Current]");
    // The link holds: an edit still reaches the other side.
    Db().Execute("UPDATE Trans SET Amount = -1 WHERE Sequence = 1");
    ReconcileTransfer(Db(), First);
    EXPECT_EQ(RowsOf("S"), (std::vector<std::string>{"2016-03-10|1.00|Move||[Current]"}));
}

TEST_F(TransferTest, ASplitPartOfATransferMovesItsShareToo)
{
    AddRow("C", 1, "-250", "[Savings]");
    ReconcileTransfer(Db(), First);
    ASSERT_EQ(SplitOff(Db(), 1, 0, Currency::FromUnits(-1000000)), 1);
    // Checking: -150 and -100, each a transfer of its own; Savings: +150 and +100.
    EXPECT_EQ(Rows("SELECT Amount, Category FROM Trans WHERE AccountID = 'C' ORDER BY "
                   "SubSequence"),
              (std::vector<std::string>{"-150|[Savings]", "-100|[Savings]"}));
    EXPECT_EQ(Rows("SELECT Amount FROM Trans WHERE AccountID = 'S' ORDER BY Sequence"),
              (std::vector<std::string>{"150", "100"}));
    EXPECT_EQ(LinkedRows(), 4);
    EXPECT_EQ(Count("Trans WHERE TransferID = (SELECT TransferID FROM Trans WHERE Sequence = 1 "
                    "AND SubSequence = 1)"),
              2)
        << "the new part has its own link";
    EXPECT_EQ(Balance("C"), "-250");
    EXPECT_EQ(Balance("S"), "250");

    // A plain part may become a transfer; the split total stays whole.
    AddRow("C", 5, "-30", "Food");
    ASSERT_EQ(SplitOff(Db(), 5, 0, Currency::FromUnits(-100000)), 1);
    Db().Execute("UPDATE Trans SET Category = '[Visa]' WHERE Sequence = 5 AND SubSequence = 1");
    ReconcileTransfer(Db(), TransKey{5, 1});
    EXPECT_EQ(RowsOf("K"),
              (std::vector<std::string>{"2016-03-10|10.00|Move (split #1)||[Checking]"}));
    EXPECT_EQ(Balance("C"), "-280");
    EXPECT_EQ(Balance("K"), "10");
}

TEST_F(TransferTest, TheBudgetLeavesOutTransfersBetweenBudgetedAccounts)
{
    AddRow("C", 1, "-250", "[Savings]");
    AddRow("C", 2, "-60", "[Outside]");
    AddRow("C", 3, "-20", "Food");
    ReconcileTransfer(Db(), First);
    ReconcileTransfer(Db(), TransKey{2, 0});
    Db().Execute("INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES "
                 "(2016, 3, '[Savings]', 'Moves', 0), (2016, 3, '[Outside]', 'Moves', 0), "
                 "(2016, 3, '[Checking]', 'Moves', 0), (2016, 3, 'Food', 'Living', -100)");
    // Checking to Savings is neither spending nor income on either side; Checking to an
    // account outside the budget is money that left the budget: -60 under [Outside]. The
    // Outside side (+60) is not in the budget at all.
    EXPECT_TRUE(BudgetActual(Db(), 2016, 3, "[Savings]").IsNull());
    EXPECT_TRUE(BudgetActual(Db(), 2016, 3, "[Checking]").IsNull());
    EXPECT_EQ(BudgetActual(Db(), 2016, 3, "[Outside]").ToText(), "-60");
    EXPECT_EQ(BudgetGroupTotal(Db(), 2016, 3, "Moves", BudgetColumn::Actual).ToText(), "-60");
    TotalsContext budget;
    budget.kind = KindBudget;
    budget.year = 2016;
    budget.month = 3;
    Variant budgeted;
    Variant actual;
    ComputeTotals(Db(), budget, budgeted, actual);
    EXPECT_EQ(actual.ToText(), "-80") << "-60 out of the budget and -20 for food";

    // Savings leaves the budget: the move to it is now money out of the budgeted accounts.
    Db().Execute("UPDATE Account SET BudgetInclude = FALSE WHERE AccountID = 'S'");
    EXPECT_EQ(BudgetActual(Db(), 2016, 3, "[Savings]").ToText(), "-250");
    ComputeTotals(Db(), budget, budgeted, actual);
    EXPECT_EQ(actual.ToText(), "-330");
}

TEST_F(TransferTest, MoneyCrossingTheBudgetsEdgeGetsABudgetLineOnTheBudgetedSide)
{
    AddRow("O", 1, "500", "[Checking]"); // typed in the account outside the budget
    AddRow("C", 2, "-40", "[Savings]");
    AddRow("C", 3, "-70", "Cash out");
    AddRow("K", 4, "70", "Payment");
    ReconcileTransfer(Db(), First);
    ReconcileTransfer(Db(), TransKey{2, 0});
    LinkTransfer(Db(), TransKey{3, 0}, TransKey{4, 0});
    // Checking's side of the money from Outside shows as [Outside]; moves between Checking,
    // Savings and the card stay inside the budget and need no line.
    EXPECT_EQ(Rows("SELECT Category, CategoryGroup, Amount FROM Budget WHERE [Year] = 2016 AND "
                   "Period = 3"),
              std::vector<std::string>{"[Outside]|(none)|0"});
    EXPECT_EQ(Rows("SELECT Category FROM Trans WHERE Sequence IN (3, 4) ORDER BY Sequence"),
              (std::vector<std::string>{"[Visa]", "[Checking]"}));
}
