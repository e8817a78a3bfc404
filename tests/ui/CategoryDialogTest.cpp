// The Category Rules dialog, opened from the Tools menu and driven by clicks and keys.
#include "rules/CategoryDialog.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "register/QvGrid.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"
#include "ui/ScriptedDialogs.h"

#include <wx/combobox.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
using Col = CategoryDialog::Column;

class CategoryRulesDialog : public ControllerTest
{
protected:
    void AddRule(const std::string& column, const std::string& rule, const std::string& value,
                 const std::string& category, int sequence)
    {
        Prepare({"INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) "
                 "VALUES ('" +
                 column + "', '" + rule + "', '" + value + "', '" + category + "', " +
                 std::to_string(sequence) + ")"});
    }
    void AddTransaction(int sequence, const std::string& description, int amount)
    {
        Prepare({"INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
                 "Category, Amount, Description) VALUES ('A1', " +
                 std::to_string(sequence) + ", 0, 2016, 5, #5/" + std::to_string(sequence) +
                 "/2016#, '(none)', " + std::to_string(amount) + ", '" + description + "')"});
    }

    /// Opens the dialog with a click on its menu item; the script drives it until it closes.
    void OpenRules(std::function<void(CategoryDialog&, RealInput&)> script)
    {
        m_dialogs.Script("Category Rules",
                         [script](wxDialog& dialog)
                         {
                             auto& rules = dynamic_cast<CategoryDialog&>(dialog);
                             RealInput input(rules);
                             script(rules, input);
                         });
        RealInput input(*m_controller);
        ASSERT_TRUE(input.ClickMenuItem(*m_controller->Menu(),
                                        CommandTable::ToolkitId(Command::CategoryRules)));
        ASSERT_EQ(m_dialogs.Shown("Category Rules"), ++m_opened);
    }

    static void ClickButton(CategoryDialog& dialog, RealInput& input, int id)
    {
        input.Click(dialog.FindWindow(id));
    }

    /// New, then a "Description contains" rule typed cell by cell; the category's editor
    /// stays open.
    static void TypeNewRule(CategoryDialog& dialog, RealInput& input, const std::string& value,
                            const std::string& category)
    {
        ClickButton(dialog, input, CategoryDialog::IdNew);
        input.Type("Description");
        input.Key(WXK_TAB);
        input.Type("contains");
        input.Key(WXK_TAB);
        input.Type(value);
        input.Key(WXK_TAB);
        input.Type(category);
    }

    /// The in-cell drop list being edited.
    static wxComboBox& DropList(CategoryDialog& dialog)
    {
        auto* combo = dynamic_cast<wxComboBox*>(dialog.Grid().EditorWindow());
        if (!combo)
            throw std::runtime_error("no drop list is being edited");
        return *combo;
    }

    /// Every rule as "Value:Sequence", in Sequence order.
    std::vector<std::string> Rules()
    {
        std::vector<std::string> rules;
        Recordset rs = m_controller->Data().Execute(
            "SELECT [Value], Sequence FROM CategoryRule ORDER BY Sequence");
        for (; !rs.IsEOF(); rs.MoveNext())
            rules.push_back(rs.GetText("Value") + ":" + std::to_string(rs.GetLong("Sequence")));
        return rules;
    }

    /// The Value cells of the grid's rules, from row 1.
    static std::vector<std::string> ShownValues(QvGrid& grid)
    {
        std::vector<std::string> values;
        for (int row = 1; row < grid.GetNumberRows(); ++row)
            values.push_back(grid.CellTextValue(row, Col::ColumnValue));
        return values;
    }

    ScriptedDialogs m_dialogs;
    int m_opened = 0;
};
} // namespace

TEST_F(CategoryRulesDialog, ANewRuleMovedUpCategorisesWhenTheDialogCloses)
{
    AddAccount("A1", "Checking", "Bank", 1);
    AddTransaction(1, "Corner Bakery", -5);
    AddTransaction(2, "Corner Shop", -9);
    AddTransaction(3, "Bus ticket", -2);
    AddRule("Description", "begins with", "Corner", "Shops", 1);
    Start();
    OpenRules(
        [this](CategoryDialog& dialog, RealInput& input)
        {
            QvGrid& grid = dialog.Grid();
            ASSERT_EQ(grid.GetNumberRows(), 2); // the new-record row, then the rule
            // Widths are fractions of the grid window; Sequence and RowID are hidden.
            int window = grid.GetClientSize().x - grid.GetRowLabelSize();
            EXPECT_EQ(grid.ColumnWidth(Col::ColumnColumn), std::lround(0.2 * window));
            EXPECT_EQ(grid.ColumnWidth(Col::ColumnRule), std::lround(0.2 * window));
            EXPECT_EQ(grid.ColumnWidth(Col::ColumnValue), std::lround(0.4 * window));
            EXPECT_EQ(grid.ColumnWidth(Col::ColumnSequence), 0);
            EXPECT_EQ(grid.ColumnWidth(Col::ColumnRowID), 0);

            ClickButton(dialog, input, CategoryDialog::IdNew);
            ASSERT_TRUE(grid.IsEditing());
            EXPECT_EQ(grid.GetGridCursorRow(), 0);
            EXPECT_EQ(grid.GetGridCursorCol(), Col::ColumnColumn);
            EXPECT_EQ(
                DropList(dialog).GetStrings(),
                wxArrayString(3, std::vector<wxString>{"Description", "Amount", "Notes"}.data()));
            // A pick from the list ends the cell's edit; the arrow key goes on to the next.
            input.ChooseItem(DropList(dialog), "Description");
            EXPECT_FALSE(grid.IsEditing());
            input.Key(WXK_RIGHT);
            input.Key(WXK_F2);
            ASSERT_TRUE(grid.IsEditing());
            input.ChooseItem(DropList(dialog), "contains");
            input.Key(WXK_RIGHT);
            input.Type("bakery");
            input.Key(WXK_TAB);
            input.Type("Food");
            input.Key(WXK_RETURN);
            // Stored after every rule: the new rule is tried last.
            EXPECT_EQ(Rules(), (std::vector<std::string>{"Corner:1", "bakery:2"}));
            EXPECT_EQ(Text("SELECT [Column] FROM CategoryRule WHERE Sequence = 2"), "Description");
            EXPECT_EQ(Text("SELECT [Rule] FROM CategoryRule WHERE Sequence = 2"), "contains");
            ASSERT_EQ(ShownValues(grid), (std::vector<std::string>{"Corner", "bakery"}));

            input.ClickCell(grid, 2, grid.GridColumn(Col::ColumnValue));
            ClickButton(dialog, input, CategoryDialog::IdUp);
            EXPECT_EQ(Rules(), (std::vector<std::string>{"bakery:1", "Corner:2"}));
            EXPECT_EQ(ShownValues(grid), (std::vector<std::string>{"bakery", "Corner"}));
            EXPECT_EQ(grid.GetGridCursorRow(), 1); // the moved rule stays current
            // Nothing is categorised before Close.
            EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Category = '(none)'"), 3);
            ClickButton(dialog, input, CategoryDialog::IdClose);
        });
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE Sequence = 1"), "Food");
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE Sequence = 2"), "Shops");
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE Sequence = 3"), "(none)");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget WHERE Category = 'Food' AND Period = 5"), 1);
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(CategoryRulesDialog, EscapeKeepsTheStoredRuleButCategorisesNothing)
{
    AddAccount("A1", "Checking", "Bank", 1);
    AddTransaction(1, "Corner Bakery", -5);
    Start();
    OpenRules(
        [this](CategoryDialog& dialog, RealInput& input)
        {
            QvGrid& grid = dialog.Grid();
            TypeNewRule(dialog, input, "Bakery", "Food");
            input.Key(WXK_RETURN); // stored; a new rule's first cell is being edited again
            EXPECT_EQ(Rules(), std::vector<std::string>{"Bakery:1"});
            ASSERT_TRUE(grid.IsEditing());
            // The first Escape ends that edit; the next one closes the dialog.
            input.Key(WXK_ESCAPE);
            EXPECT_FALSE(grid.IsEditing());
            EXPECT_TRUE(dialog.IsModal());
            input.Key(WXK_ESCAPE);
            EXPECT_FALSE(dialog.IsModal());
        });
    EXPECT_EQ(Rules(), std::vector<std::string>{"Bakery:1"});
    EXPECT_EQ(Text("SELECT Category FROM Trans"), "(none)");

    // Escape in the middle of typing a rule drops that rule and leaves the dialog open.
    OpenRules(
        [this](CategoryDialog& dialog, RealInput& input)
        {
            QvGrid& grid = dialog.Grid();
            input.ClickCell(grid, 1, grid.GridColumn(Col::ColumnCategory));
            input.Type("Groceries");
            input.Key(WXK_TAB); // on to the next cell, the row's change not written yet
            ASSERT_TRUE(grid.HasPendingChanges());
            input.Key(WXK_ESCAPE); // the edit of that cell
            EXPECT_TRUE(grid.HasPendingChanges());
            input.Key(WXK_ESCAPE); // the row's change
            EXPECT_FALSE(grid.HasPendingChanges());
            EXPECT_TRUE(dialog.IsModal());
            // The close box ends the dialog the same way (no window manager draws one here).
            dialog.Close();
            EXPECT_FALSE(dialog.IsModal());
        });
    EXPECT_EQ(Text("SELECT Category FROM CategoryRule"), "Food");
    EXPECT_EQ(Text("SELECT Category FROM Trans"), "(none)");
}

TEST_F(CategoryRulesDialog, TheCloseBoxStoresTheRuleBeingTypedWithoutApplyingTheRules)
{
    AddAccount("A1", "Checking", "Bank", 1);
    AddTransaction(1, "Bakery", -3);
    Start();
    OpenRules(
        [](CategoryDialog& dialog, RealInput& input)
        {
            TypeNewRule(dialog, input, "Bakery", "Food"); // the rule is still being typed
            ASSERT_TRUE(dialog.Grid().IsEditing());
            input.ClickCloseBox(dialog);
            EXPECT_FALSE(dialog.IsModal());
        });
    EXPECT_EQ(Rules(), std::vector<std::string>{"Bakery:1"});
    EXPECT_EQ(Text("SELECT Category FROM CategoryRule"), "Food");
    EXPECT_EQ(Text("SELECT Category FROM Trans"), "(none)");
}

TEST_F(CategoryRulesDialog, UpAndDownSwapNeighboursAndDoNothingAtTheEnds)
{
    AddRule("Description", "contains", "R1", "One", 1);
    AddRule("Description", "contains", "R2", "Two", 2);
    AddRule("Description", "contains", "R3", "Three", 5);
    Start();
    OpenRules(
        [this](CategoryDialog& dialog, RealInput& input)
        {
            QvGrid& grid = dialog.Grid();
            int value = grid.GridColumn(Col::ColumnValue);
            input.ClickCell(grid, 1, value);
            ClickButton(dialog, input, CategoryDialog::IdDown);
            EXPECT_EQ(Rules(), (std::vector<std::string>{"R2:1", "R1:2", "R3:5"}));
            EXPECT_EQ(ShownValues(grid), (std::vector<std::string>{"R2", "R1", "R3"}));
            EXPECT_EQ(grid.GetGridCursorRow(), 2);

            input.ClickCell(grid, 3, value);
            ClickButton(dialog, input, CategoryDialog::IdUp);
            EXPECT_EQ(Rules(), (std::vector<std::string>{"R2:1", "R3:2", "R1:5"}));
            EXPECT_EQ(ShownValues(grid), (std::vector<std::string>{"R2", "R3", "R1"}));
            EXPECT_EQ(grid.GetGridCursorRow(), 2);

            const std::vector<std::string> settled{"R2:1", "R3:2", "R1:5"};
            input.ClickCell(grid, 1, value);
            ClickButton(dialog, input, CategoryDialog::IdUp); // the first rule
            EXPECT_EQ(Rules(), settled);
            EXPECT_EQ(grid.GetGridCursorRow(), 1);
            input.ClickCell(grid, 3, value);
            ClickButton(dialog, input, CategoryDialog::IdDown); // the last rule
            EXPECT_EQ(Rules(), settled);
            EXPECT_EQ(grid.GetGridCursorRow(), 3);
            input.ClickCell(grid, 0, value); // the new-record row
            ClickButton(dialog, input, CategoryDialog::IdUp);
            ClickButton(dialog, input, CategoryDialog::IdDown);
            EXPECT_EQ(Rules(), settled);
            EXPECT_EQ(ShownValues(grid), (std::vector<std::string>{"R2", "R3", "R1"}));
            ClickButton(dialog, input, CategoryDialog::IdClose);
        });
}

TEST_F(CategoryRulesDialog, DeleteAsksNothingAndANewRuleGoesAboveTheHighest)
{
    AddAccount("A1", "Checking", "Bank", 1);
    AddTransaction(1, "Corner Bakery", -5);
    AddTransaction(2, "Rent June", -900);
    AddRule("Description", "contains", "Bakery", "Food", 1);
    AddRule("Description", "contains", "Cafe", "Food", 2);
    AddRule("Description", "contains", "Bus", "Transport", 7);
    Start();
    OpenRules(
        [this](CategoryDialog& dialog, RealInput& input)
        {
            QvGrid& grid = dialog.Grid();
            input.ClickCell(grid, 2, grid.GridColumn(Col::ColumnValue));
            ClickButton(dialog, input, CategoryDialog::IdDelete);
            EXPECT_EQ(Rules(), (std::vector<std::string>{"Bakery:1", "Bus:7"}));
            EXPECT_EQ(ShownValues(grid), (std::vector<std::string>{"Bakery", "Bus"}));
            // Delete on the new-record row does nothing.
            input.ClickCell(grid, 0, grid.GridColumn(Col::ColumnValue));
            ClickButton(dialog, input, CategoryDialog::IdDelete);
            EXPECT_EQ(grid.GetNumberRows(), 3);

            // A rule whose Column is left empty is stored with the empty text.
            ClickButton(dialog, input, CategoryDialog::IdNew);
            input.Key(WXK_TAB);
            input.Type("begins with");
            input.Key(WXK_TAB);
            input.Type("Rent");
            input.Key(WXK_TAB);
            input.Type("Housing");
            ClickButton(dialog, input, CategoryDialog::IdClose);
        });
    EXPECT_EQ(Rules(), (std::vector<std::string>{"Bakery:1", "Bus:7", "Rent:8"}));
    EXPECT_EQ(Text("SELECT [Column] FROM CategoryRule WHERE Sequence = 8"), "");
    // The engine reports the rule it cannot use, keeping what the rules before it did.
    ASSERT_EQ(m_dialogs.Messages().size(), 1u);
    EXPECT_EQ(m_dialogs.Messages()[0].caption, "Quorvel Tallybrook");
    EXPECT_TRUE(m_dialogs.Messages()[0].style & wxICON_ERROR);
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE Sequence = 1"), "Food");
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE Sequence = 2"), "(none)");
}
