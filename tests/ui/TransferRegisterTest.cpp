// Transfers typed in a register: an account in brackets as the category writes the other side
// in that account, which then follows the row's edits and goes with it; the drop list offers
// the other accounts; the budget leaves a transfer between two counted accounts out.
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/frmOptions.h"
#include "data/DateTime.h"
#include "data/Regional.h"
#include "data/ViewColumns.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"
#include "ui/ScriptedDialogs.h"

#include <wx/combobox.h>
#include <wx/msgdlg.h>

#include <string>
#include <vector>

namespace
{
Variant Money(int whole)
{
    return Variant::FromCurrency(Currency::FromWhole(whole));
}

std::string MoneyText(int whole)
{
    return FormatCurrency(Currency::FromWhole(whole));
}

class TransferRegister : public ControllerTest
{
protected:
    /// Checking (opening 1,000.00, a Groceries row of -20.00) and Savings (opening 200.00, an
    /// Interest row of +30.00), Bank accounts both counted by the budget, which has a
    /// Groceries line in May 2016; that month shown.
    Controller& StartWithTwoAccounts(const std::vector<std::string>& more = {})
    {
        AddAccount("A1", "Checking", "Bank", 1, 1000);
        AddAccount("A2", "Savings", "Bank", 2, 200);
        Prepare({"INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
                 "Category, Amount, Description) VALUES ('A1', 1, 0, 2016, 5, #5/3/2016#, "
                 "'Groceries', -20, 'Bakery')",
                 "INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
                 "Category, Amount, Description) VALUES ('A2', 2, 0, 2016, 5, #5/2/2016#, "
                 "'Interest', 30, 'Interest')",
                 "INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES "
                 "(2016, 5, 'Groceries', 'Food', -300)"});
        Prepare(more);
        Controller& window = Start();
        ShowPeriod(5, 2016);
        m_input.emplace(window);
        return window;
    }

    /// Shows the register of the account with that Sequence with a click on its tree node.
    void ShowRegister(int sequence)
    {
        m_input->ClickTreeItem(Tree(), Node(std::to_string(sequence), KindRegister));
        ASSERT_EQ(m_controller->GetView().Kind(), KindRegister);
    }

    /// The row of the register showing that description; -1 when none does.
    int RowOf(const std::string& description)
    {
        for (int row = 1; row < Grid().GetNumberRows(); ++row)
            if (Grid().CellTextValue(row, RegisterColumn::Description) == description)
                return row;
        return -1;
    }

    void ClickCell(int row, int column)
    {
        m_input->ClickCell(Grid(), row, Grid().GridColumn(column));
    }

    /// Types the date (20 May 2016), description and amount of a new row, then clicks its
    /// Category cell and types there; the row is still being typed.
    void TypeNewRow(const std::string& description, const std::string& amount,
                    const std::string& category)
    {
        ClickCell(0, RegisterColumn::PostDate);
        m_input->Key(WXK_F2);
        m_input->Type(FormatShortDate(DateTime{2016, 5, 20}));
        m_input->Key(WXK_TAB);
        m_input->Type(description);
        m_input->Key(WXK_TAB);
        m_input->Type(amount);
        ClickCell(0, RegisterColumn::Category);
        m_input->Type(category);
    }

    /// Leaves the row being typed with a click on another row's description.
    void LeaveRowFor(const std::string& description)
    {
        int row = RowOf(description);
        ASSERT_GE(row, 0) << description;
        ClickCell(row, RegisterColumn::Description);
        RealInput::Settle(200);
    }

    std::string Balance(const std::string& accountId)
    {
        return Text("SELECT CurrentBalance FROM Account WHERE AccountID = '" + accountId + "'");
    }

    /// The texts the Category column's drop list offers.
    std::vector<std::string> CategoryItems()
    {
        std::vector<std::string> items;
        for (const wxString& item : Grid().DropListItems(RegisterColumn::Category))
            items.push_back(item.utf8_string());
        return items;
    }

    std::optional<RealInput> m_input;
};

const std::string CheckingSide =
    " FROM Trans WHERE AccountID = 'A1' AND Description = 'To savings'";
const std::string SavingsSide = " FROM Trans WHERE AccountID = 'A2' AND Description = 'To savings'";
} // namespace

TEST_F(TransferRegister, AnAccountInBracketsWritesTheOtherSideWhichFollowsEditsAndDeletion)
{
    StartWithTwoAccounts();
    MessageBoxAnswers answers;
    ShowRegister(1);
    TypeNewRow("To savings", "-250", "[Savings]");
    LeaveRowFor("Bakery");
    EXPECT_TRUE(answers.Messages().empty());
    EXPECT_FALSE(Grid().HasPendingChanges());

    // The row as typed, and its other side in Savings: same date and description, the
    // opposite amount, Checking in brackets; one TransferID for the two.
    EXPECT_EQ(Text("SELECT Amount" + CheckingSide), "-250");
    EXPECT_EQ(Text("SELECT Category" + CheckingSide), "[Savings]");
    ASSERT_EQ(Scalar("SELECT COUNT(*)" + SavingsSide), 1);
    EXPECT_EQ(Text("SELECT Amount" + SavingsSide), "250");
    EXPECT_EQ(Text("SELECT Category" + SavingsSide), "[Checking]");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Description = 'To savings' AND PostDate "
                     "= #5/20/2016# AND [Year] = 2016 AND Period = 5"),
              2);
    EXPECT_NE(Scalar("SELECT TransferID" + CheckingSide), -1);
    EXPECT_EQ(Scalar("SELECT TransferID" + SavingsSide),
              Scalar("SELECT TransferID" + CheckingSide));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE TransferID IS NOT NULL"), 2);
    // The stored balance is the sum of the account's rows: -20 - 250 and 30 + 250.
    EXPECT_EQ(Balance("A1"), "-270");
    EXPECT_EQ(Balance("A2"), "280");

    // Savings shows its side; a new amount typed there moves the Checking side with it.
    ShowRegister(2);
    int row = RowOf("To savings");
    ASSERT_GE(row, 0);
    EXPECT_EQ(Grid().CellValue(row, RegisterColumn::Amount), Money(250));
    EXPECT_EQ(Grid().CellTextValue(row, RegisterColumn::Category), "[Checking]");
    ClickCell(row, RegisterColumn::Amount);
    if (!Grid().IsEditing())
        m_input->Key(WXK_F2);
    ASSERT_TRUE(Grid().IsEditing());
    m_input->Key('A', wxMOD_CONTROL);
    m_input->Type("300");
    LeaveRowFor("Interest");
    EXPECT_TRUE(answers.Messages().empty());
    EXPECT_EQ(Text("SELECT Amount" + SavingsSide), "300");
    EXPECT_EQ(Text("SELECT Amount" + CheckingSide), "-300");
    EXPECT_EQ(Text("SELECT Category" + CheckingSide), "[Savings]");
    EXPECT_EQ(Balance("A1"), "-320");
    EXPECT_EQ(Balance("A2"), "330");
    ShowRegister(1);
    row = RowOf("To savings");
    ASSERT_GE(row, 0);
    EXPECT_EQ(Grid().CellValue(row, RegisterColumn::Amount), Money(-300));

    // Delete asks about both accounts; No keeps both rows, Yes deletes both.
    ClickCell(row, RegisterColumn::PostDate);
    if (Grid().IsEditing())
        m_input->Key(WXK_ESCAPE);
    ASSERT_FALSE(Grid().IsEditing());
    answers.Queue(wxID_NO);
    m_input->Key(WXK_DELETE);
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(answers.Messages()[0].text, "Delete this transfer from both Checking and Savings?");
    EXPECT_TRUE(answers.Messages()[0].style & wxYES_NO);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Description = 'To savings'"), 2);

    answers.Queue(wxID_YES);
    m_input->Key(WXK_DELETE);
    ASSERT_EQ(answers.Messages().size(), 2u);
    EXPECT_EQ(answers.Messages()[1].text, "Delete this transfer from both Checking and Savings?");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Description = 'To savings'"), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 2);
    EXPECT_EQ(RowOf("To savings"), -1);
    EXPECT_EQ(Balance("A1"), "-20");
    EXPECT_EQ(Balance("A2"), "30");
    ShowRegister(2);
    EXPECT_EQ(RowOf("To savings"), -1);
    EXPECT_GE(RowOf("Interest"), 0);
}

TEST_F(TransferRegister, TheDropListOffersEveryOtherRegisterAccountAndCompletesItsBrackets)
{
    AddAccount("V1", "Visa", "Credit Card", 3);
    AddAccount("I1", "Brokerage", "Investment", 4);
    AddAccount("L1", "Mortgage", "Loan", 5);
    StartWithTwoAccounts();
    MessageBoxAnswers answers;
    ShowRegister(1);
    // The month's categories first, then the other Bank, Cash and Credit Card accounts.
    EXPECT_EQ(CategoryItems(), (std::vector<std::string>{"Groceries", "[Savings]", "[Visa]"}));

    TypeNewRow("To savings", "-250", "[Sa");
    auto* combo = dynamic_cast<wxComboBox*>(Grid().EditorWindow());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetValue(), "[Savings]");
    // The completed part is selected: the next key typed replaces it.
    long from = 0;
    long to = 0;
    combo->GetSelection(&from, &to);
    EXPECT_EQ(from, 3);
    EXPECT_EQ(to, 9);
    LeaveRowFor("Bakery");
    EXPECT_TRUE(answers.Messages().empty());
    EXPECT_EQ(Text("SELECT Category" + CheckingSide), "[Savings]");
    EXPECT_EQ(Text("SELECT Amount" + SavingsSide), "250");

    // Each account is offered once, and never to its own register, also once a budget line
    // names it.
    ShowRegister(2);
    EXPECT_EQ(CategoryItems(), (std::vector<std::string>{"Groceries", "[Checking]", "[Visa]"}));
    ShowRegister(1);
    EXPECT_EQ(CategoryItems(), (std::vector<std::string>{"Groceries", "[Savings]", "[Visa]"}));
}

TEST_F(TransferRegister, AnotherCategoryMovesOrRemovesTheOtherSideOnlyWhenTheUserSaysYes)
{
    AddAccount("V1", "Visa", "Credit Card", 3);
    StartWithTwoAccounts();
    MessageBoxAnswers answers;
    ShowRegister(1);
    TypeNewRow("To savings", "-250", "[Savings]");
    LeaveRowFor("Bakery");
    ASSERT_EQ(Text("SELECT Amount" + SavingsSide), "250");
    const std::string visaSide =
        " FROM Trans WHERE AccountID = 'V1' AND Description = 'To savings'";
    auto retypeCategory = [this](const std::string& category)
    {
        ClickCell(RowOf("To savings"), RegisterColumn::Category);
        if (Grid().IsEditing())
            m_input->Key('A', wxMOD_CONTROL);
        m_input->Type(category);
        LeaveRowFor("Bakery");
    };

    // No keeps the row being typed and both sides as they were.
    answers.Queue(wxID_NO);
    retypeCategory("[Visa]");
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(answers.Messages()[0].text,
              "Move the other side of this transfer from Savings to Visa?");
    EXPECT_TRUE(answers.Messages()[0].style & wxYES_NO);
    EXPECT_TRUE(Grid().HasPendingChanges());
    EXPECT_EQ(Text("SELECT Category" + CheckingSide), "[Savings]");
    EXPECT_EQ(Scalar("SELECT COUNT(*)" + SavingsSide), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*)" + visaSide), 0);
    Grid().EndCellEdit();
    m_input->Key(WXK_ESCAPE);
    ASSERT_FALSE(Grid().HasPendingChanges());

    // Yes moves the other side to Visa, the same transfer.
    answers.Queue(wxID_YES);
    retypeCategory("[Visa]");
    ASSERT_EQ(answers.Messages().size(), 2u);
    EXPECT_FALSE(Grid().HasPendingChanges());
    EXPECT_EQ(Text("SELECT Category" + CheckingSide), "[Visa]");
    EXPECT_EQ(Scalar("SELECT COUNT(*)" + SavingsSide), 0);
    EXPECT_EQ(Text("SELECT Amount" + visaSide), "250");
    EXPECT_EQ(Text("SELECT Category" + visaSide), "[Checking]");
    EXPECT_EQ(Scalar("SELECT TransferID" + visaSide), Scalar("SELECT TransferID" + CheckingSide));
    EXPECT_EQ(Balance("A2"), "30");
    EXPECT_EQ(Balance("V1"), "250");

    // A plain category removes the other side and the link.
    answers.Queue(wxID_YES);
    retypeCategory("Groceries");
    ASSERT_EQ(answers.Messages().size(), 3u);
    EXPECT_EQ(answers.Messages()[2].text, "Remove the other side of this transfer from Visa?");
    EXPECT_FALSE(Grid().HasPendingChanges());
    EXPECT_EQ(Text("SELECT Category" + CheckingSide), "Groceries");
    EXPECT_EQ(Scalar("SELECT TransferID" + CheckingSide), -1);
    EXPECT_EQ(Scalar("SELECT COUNT(*)" + visaSide), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 3);
    // -20 - 250; the card holds nothing.
    EXPECT_EQ(Balance("A1"), "-270");
    EXPECT_EQ(Balance("V1"), "0");
}

TEST_F(TransferRegister, AnAccountThatCannotTakeTheTransferIsRefusedAndNothingIsWritten)
{
    AddAccount("I1", "Brokerage", "Investment", 3);
    StartWithTwoAccounts();
    MessageBoxAnswers answers;
    ShowRegister(1);

    // The row's own account, typed into a stored row.
    int row = RowOf("Bakery");
    ClickCell(row, RegisterColumn::Category);
    if (Grid().IsEditing())
        m_input->Key('A', wxMOD_CONTROL);
    m_input->Type("[Checking]");
    ClickCell(0, RegisterColumn::Description);
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(answers.Messages()[0].text, "A transfer cannot go to the account it comes from.");
    EXPECT_TRUE(answers.Messages()[0].style & wxICON_ERROR);
    // The row stays, being typed, the cursor on its category.
    EXPECT_TRUE(Grid().HasPendingChanges());
    EXPECT_EQ(Grid().GetGridCursorRow(), row);
    EXPECT_EQ(Grid().GetGridCursorCol(), Grid().GridColumn(RegisterColumn::Category));
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE Description = 'Bakery'"), "Groceries");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 2);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE TransferID IS NOT NULL"), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget WHERE Category = '[Checking]'"), 0);
    Grid().EndCellEdit();
    m_input->Key(WXK_ESCAPE);
    EXPECT_FALSE(Grid().HasPendingChanges());

    // A new row naming an account without a register.
    TypeNewRow("To brokerage", "-75", "[Brokerage]");
    LeaveRowFor("Bakery");
    ASSERT_EQ(answers.Messages().size(), 2u);
    EXPECT_EQ(answers.Messages()[1].text,
              "There is no Bank, Cash or Credit Card account 'Brokerage' to transfer to.");
    EXPECT_TRUE(Grid().HasPendingChanges());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 2);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE TransferID IS NOT NULL"), 0);
    Grid().EndCellEdit();
    Grid().CancelPendingRow();
}

TEST_F(TransferRegister, TheBudgetLeavesOutATransferUnlessItsOtherAccountIsLeftOut)
{
    StartWithTwoAccounts({"INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) "
                          "VALUES (2016, 5, '[Savings]', 'Saving', -250)"});
    ScriptedDialogs dialogs;
    ShowRegister(1);
    TypeNewRow("To savings", "-250", "[Savings]");
    LeaveRowFor("Bakery");
    ASSERT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE TransferID IS NOT NULL"), 2);

    m_input->ClickTreeItem(Tree(), Node("", KindBudget));
    ASSERT_EQ(m_controller->GetView().Kind(), KindBudget);
    // new row | Food header, Groceries, Food totals | Saving header, [Savings], Saving totals
    ASSERT_EQ(Grid().GetNumberRows(), 7);
    auto cell = [this](int row, int column)
    { return Grid().GetCellValue(row, Grid().GridColumn(column)).utf8_string(); };
    ASSERT_EQ(cell(5, BudgetColumn::Category), "[Savings]");
    EXPECT_EQ(cell(2, BudgetColumn::Actual), MoneyText(-20));
    // Both accounts are counted: the money stays within the budget.
    EXPECT_EQ(cell(5, BudgetColumn::Actual), "");
    EXPECT_EQ(cell(6, BudgetColumn::Actual), MoneyText(0));
    // Budgeted -300 - 250; actual -20 + 30, the transfer left out.
    EXPECT_EQ(m_controller->FirstTotal()->GetValue().utf8_string(), MoneyText(-550));
    EXPECT_EQ(m_controller->SecondTotal()->GetValue().utf8_string(), MoneyText(10));

    // Savings left out of the budget in Options: the money leaves the budget.
    dialogs.Script("Options",
                   [](wxDialog& dialog)
                   {
                       auto& options = dynamic_cast<frmOptions&>(dialog);
                       RealInput input(options);
                       QvGrid& grid = options.AccountGrid();
                       int row = -1;
                       for (int r = 0; r < grid.GetNumberRows(); ++r)
                           if (grid.CellTextValue(r, frmOptions::ColumnAccount) == "Savings")
                               row = r;
                       ASSERT_GE(row, 0);
                       input.ClickCell(grid, row, grid.GridColumn(frmOptions::ColumnInclude));
                       EXPECT_EQ(grid.CellTextValue(row, frmOptions::ColumnInclude), "0");
                       input.Click(options.FindWindow(wxID_OK));
                   });
    ASSERT_TRUE(
        m_input->ClickMenuItem(*m_controller->Menu(), CommandTable::ToolkitId(Command::Options)));
    ASSERT_EQ(dialogs.Shown("Options"), 1);
    EXPECT_EQ(Scalar("SELECT BudgetInclude FROM Account WHERE AccountID = 'A2'"), 0);
    ASSERT_EQ(Grid().GetNumberRows(), 7);
    EXPECT_EQ(cell(5, BudgetColumn::Actual), MoneyText(-250));
    EXPECT_EQ(cell(6, BudgetColumn::Actual), MoneyText(-250));
    EXPECT_EQ(cell(2, BudgetColumn::Actual), MoneyText(-20));
    // Checking's rows only: -20 - 250.
    EXPECT_EQ(m_controller->SecondTotal()->GetValue().utf8_string(), MoneyText(-270));
}
