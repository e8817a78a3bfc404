// Find in the main window, driven with real keys and clicks: typing into the tool bar's
// field lists what every account holds, Enter on a result lands on its row in its register,
// a wrong prefix is a hint and no message, and Ctrl+F and Edit > Find bring the results back.

#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/QvToolBar.h"
#include "data/Regional.h"
#include "data/ViewColumns.h"
#include "search/FindField.h"
#include "search/FoundRowsQuery.h"
#include "support/RegionEnv.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"
#include "ui/ScriptedDialogs.h"

#include <wx/combobox.h>
#include <wx/stattext.h>

#include <string>
#include <vector>

namespace
{
class FindWindow : public ControllerTest
{
protected:
    /// Checking and a Visa card; "Bakery" in three rows of two accounts and three months.
    Controller& StartWithRows()
    {
        AddAccount("A1", "Checking", "Bank", 1);
        AddAccount("V9", "Visa", "Credit Card", 2);
        const std::string insert = "INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], "
                                   "Period, PostDate, Category, Amount, Description, PayeeName) "
                                   "VALUES ";
        Prepare({insert + "('A1', 1, 0, 2016, 3, #3/2/2016#, 'Food', -4.5, 'Bakery Corner', '')",
                 insert + "('A1', 2, 0, 2016, 3, #3/9/2016#, 'Rent', -800, 'Landlord', '')",
                 insert + "('A1', 3, 0, 2016, 3, #3/20/2016#, 'Food', -2.25, 'Kiosk', "
                          "'bread from the bakery')",
                 insert + "('V9', 4, 0, 2016, 5, #5/14/2016#, 'Food', -12, 'Bakery Corner', '')",
                 insert + "('A1', 5, 0, 2016, 1, #1/7/2016#, 'Salary', 1500, 'Payroll', '')"});
        Controller& window = Start();
        m_input.emplace(window);
        m_input->Activate();
        return window;
    }

    FindField& Field() { return m_controller->Find().Field(); }

    /// Types into the Find field after a click on it, and waits past the typing pause.
    void TypeSearch(const std::string& text)
    {
        m_input->Click(Field().Field());
        m_input->Type(text);
        RealInput::Settle(FindField::PauseMilliseconds + 350);
    }

    /// The descriptions the results list, top to bottom.
    std::vector<std::string> Listed()
    {
        std::vector<std::string> rows;
        for (int row = 0; row < Grid().GetNumberRows(); ++row)
            rows.push_back(Grid().CellTextValue(row, FoundColumn::Description));
        return rows;
    }

    std::string TotalsLine()
    {
        return m_controller->TotalsLabel()->GetLabel().utf8_string() + " " +
               m_controller->FirstTotal()->GetValue().utf8_string();
    }

    LocaleEnv m_locale{"C.UTF-8"};
    std::optional<RealInput> m_input;
};
} // namespace

TEST_F(FindWindow, TypedTextListsEveryAccountsRowsAndEnterLandsOnTheRowInItsRegister)
{
    Controller& window = StartWithRows();
    ScriptedDialogs dialogs;
    TypeSearch("bakery");

    ASSERT_EQ(window.GetView().Kind(), KindFind);
    // Newest first, across both accounts; the notes count as much as the description.
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Bakery Corner", "Kiosk", "Bakery Corner"}));
    EXPECT_EQ(Grid().CellTextValue(0, FoundColumn::Account), "Visa");
    EXPECT_EQ(Grid().CellTextValue(2, FoundColumn::Account), "Checking");
    // -12 - 2.25 - 4.50
    EXPECT_EQ(TotalsLine(), "3 found: -18.75");
    EXPECT_FALSE(window.IsCommandEnabled(Command::NewRecord));

    // The oldest: Checking's row of 2 March 2016.
    m_input->ClickCell(Grid(), 2, Grid().GridColumn(FoundColumn::Description));
    m_input->Key(WXK_RETURN);
    RealInput::Settle(200);

    ASSERT_EQ(window.GetView().Kind(), KindRegister);
    EXPECT_EQ(Tree().GetSelection(), Node("1", KindRegister));
    EXPECT_EQ(window.GetView().Year(), 2016);
    EXPECT_EQ(window.GetView().Month(), 3);
    int row = Grid().GetGridCursorRow();
    EXPECT_EQ(Grid().CellTextValue(row, RegisterColumn::Sequence), "1");
    EXPECT_TRUE(Grid().HasFocusInside());
    // Ready to edit: F2 opens the cell, what is typed is stored in that row when the cursor
    // leaves it.
    m_input->Key(WXK_F2);
    m_input->Key('A', wxMOD_CONTROL);
    m_input->Type("Bakery at the corner");
    m_input->Key(WXK_RETURN);
    m_input->ClickCell(Grid(), row == 1 ? 2 : 1, Grid().GridColumn(RegisterColumn::Amount));
    RealInput::Settle(200);
    EXPECT_EQ(Text("SELECT Description FROM Trans WHERE Sequence = 1"), "Bakery at the corner");
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(FindWindow, ADoubleClickGoesToTheRowOfAnotherAccountAndMonth)
{
    Controller& window = StartWithRows();
    TypeSearch("corner");
    ASSERT_EQ(Listed().size(), 2U);
    m_input->DoubleClickCell(Grid(), 0, Grid().GridColumn(FoundColumn::Amount));
    RealInput::Settle(200);
    ASSERT_EQ(window.GetView().Kind(), KindRegister);
    EXPECT_EQ(Tree().GetSelection(), Node("2", KindRegister));
    EXPECT_EQ(window.GetView().Month(), 5);
    EXPECT_EQ(Grid().CellTextValue(Grid().GetGridCursorRow(), RegisterColumn::Sequence), "4");
}

TEST_F(FindWindow, AWrongPrefixOrValueIsAHintUnderTheFieldAndNoMessage)
{
    Controller& window = StartWithRows();
    ScriptedDialogs dialogs;
    TypeSearch("amout:800");
    EXPECT_EQ(Field().Hint(), "Unknown prefix 'amout:'; use amount:, from:, to:, account: or "
                              "category:.");
    EXPECT_NE(window.GetView().Kind(), KindFind);

    // Mending it shows the results and takes the hint away.
    m_input->Key(WXK_HOME);
    for (int i = 0; i < 4; ++i)
        m_input->Key(WXK_RIGHT);
    m_input->Type("n");
    RealInput::Settle(FindField::PauseMilliseconds + 350);
    EXPECT_EQ(Field().Text(), "amount:800");
    EXPECT_EQ(Field().Hint(), "");
    EXPECT_EQ(Listed(), std::vector<std::string>{"Landlord"});

    m_input->Key(WXK_END);
    m_input->Type(" from:2016-13-01");
    RealInput::Settle(FindField::PauseMilliseconds + 350);
    EXPECT_EQ(Field().Hint(), "'2016-13-01' is not a date; write it as YYYY-MM-DD.");
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_TRUE(dialogs.Cancelled().empty());
}

TEST_F(FindWindow, CtrlFAndEditFindBringTheLastResultsBackAndTheDropDownListsTheSearch)
{
    Controller& window = StartWithRows();
    TypeSearch("payroll");
    ASSERT_EQ(Listed(), std::vector<std::string>{"Payroll"});
    m_input->ClickCell(Grid(), 0, Grid().GridColumn(FoundColumn::Description));
    m_input->Key(WXK_RETURN);
    RealInput::Settle(200);
    ASSERT_EQ(window.GetView().Kind(), KindRegister);

    // Back and Forward still move between months.
    m_input->ClickTool(*window.ToolBar(), CommandTable::ToolkitId(Command::Forward));
    EXPECT_EQ(window.GetView().Month(), 2);

    m_input->Key('F', wxMOD_CONTROL);
    RealInput::Settle(200);
    EXPECT_EQ(window.GetView().Kind(), KindFind);
    EXPECT_EQ(Listed(), std::vector<std::string>{"Payroll"});
    EXPECT_TRUE(Field().Field()->HasFocus());

    m_input->ClickTreeItem(Tree(), Node("1", KindRegister));
    ASSERT_EQ(window.GetView().Kind(), KindRegister);
    ASSERT_TRUE(m_input->ClickMenuItem(*window.Menu(), CommandTable::ToolkitId(Command::Find)));
    RealInput::Settle(200);
    EXPECT_EQ(window.GetView().Kind(), KindFind);

    // The search went to a row, so the drop-down offers it; picking it searches again.
    ASSERT_EQ(Field().Field()->GetCount(), 1U);
    EXPECT_EQ(Field().Field()->GetString(0), "payroll");
    m_input->Click(Field().Field());
    m_input->Key('A', wxMOD_CONTROL);
    m_input->Type("rent");
    RealInput::Settle(FindField::PauseMilliseconds + 350);
    ASSERT_EQ(Listed(), std::vector<std::string>{"Landlord"});
    m_input->ChooseItem(*Field().Field(), "payroll");
    RealInput::Settle(FindField::PauseMilliseconds + 350);
    EXPECT_EQ(Listed(), std::vector<std::string>{"Payroll"});
}

TEST_F(FindWindow, TheResultsCannotBeChangedOrDeleted)
{
    Controller& window = StartWithRows();
    TypeSearch("kiosk");
    ASSERT_EQ(Listed(), std::vector<std::string>{"Kiosk"});
    m_input->ClickCell(Grid(), 0, Grid().GridColumn(FoundColumn::Description));
    m_input->Key(WXK_DELETE);
    m_input->Type("x");
    m_input->Key(WXK_F2);
    m_input->Type("y");
    RealInput::Settle(200);
    EXPECT_FALSE(window.IsCommandEnabled(Command::DeleteRecord));
    EXPECT_FALSE(window.IsCommandEnabled(Command::NewRecord));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 5);
    EXPECT_EQ(Text("SELECT Description FROM Trans WHERE Sequence = 3"), "Kiosk");
    EXPECT_EQ(Listed(), std::vector<std::string>{"Kiosk"});
}

TEST_F(FindWindow, DownInTheFieldMovesToTheNewestResultAndEnterGoesThere)
{
    Controller& window = StartWithRows();
    TypeSearch("landlord");
    ASSERT_EQ(Listed(), std::vector<std::string>{"Landlord"});
    m_input->Key(WXK_DOWN);
    m_input->Key(WXK_RETURN);
    RealInput::Settle(200);
    ASSERT_EQ(window.GetView().Kind(), KindRegister);
    EXPECT_EQ(Grid().CellTextValue(Grid().GetGridCursorRow(), RegisterColumn::Sequence), "2");
}

TEST_F(FindWindow, ARowBeingTypedIsWrittenBeforeTheResultsReplaceIt)
{
    Controller& window = StartWithRows();
    m_input->ClickTreeItem(Tree(), Node("1", KindRegister));
    ASSERT_EQ(window.GetView().Kind(), KindRegister);
    m_input->ClickCell(Grid(), 0, Grid().GridColumn(RegisterColumn::PostDate));
    m_input->Key(WXK_F2);
    m_input->Type(FormatShortDate(DateTime{2026, 12, 1}));
    m_input->Key(WXK_TAB);
    m_input->Type("Zebra crossing fine");
    m_input->Key(WXK_TAB);
    m_input->Type("-30");
    ASSERT_TRUE(Grid().HasPendingChanges());

    TypeSearch("zebra");
    EXPECT_EQ(window.GetView().Kind(), KindFind);
    EXPECT_EQ(Listed(), std::vector<std::string>{"Zebra crossing fine"});
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Description = 'Zebra crossing fine'"), 1);
}
