// The row being typed in the register is written before the month, the year or the tree node
// changes, however the user changes them; and key chords reach their commands from every
// control of the main window.
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/QvToolBar.h"
#include "data/Regional.h"
#include "data/ViewColumns.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"

#include <wx/choice.h>
#include <wx/webview.h>

#include <sqlite3.h>

namespace
{
class PendingRow : public ControllerTest
{
protected:
    /// The register of a Bank account in May 2016 holding one transaction.
    Controller& StartOnRegister()
    {
        AddAccount("A1", "Checking", "Bank", 1, 100);
        Prepare({"INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
                 "Category, Amount, Description) VALUES ('A1', 1, 0, 2016, 5, #5/3/2016#, "
                 "'(none)', -20, 'Bakery')",
                 "INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
                 "Category, Amount, Description) VALUES ('A1', 2, 0, 2016, 4, #4/3/2016#, "
                 "'(none)', -7, 'April bus')"});
        Controller& window = Start();
        ShowPeriod(5, 2016);
        m_input.emplace(window);
        m_input->ClickTreeItem(Tree(), Node("1", KindRegister));
        return window;
    }

    /// Types into the Description cell of the first transaction, leaving the editor open.
    void TypeDescription(const std::string& text)
    {
        m_input->ClickCell(Grid(), 1, Grid().GridColumn(RegisterColumn::Description));
        m_input->Type(text);
        ASSERT_TRUE(Grid().IsEditing());
    }

    /// The database refuses to store a transaction described so.
    void RefuseDescription(const std::string& text)
    {
        std::string sql = "CREATE TRIGGER refuse BEFORE UPDATE ON Trans WHEN NEW.Description = '" +
                          text + "' BEGIN SELECT RAISE(ABORT, 'refused'); END";
        ASSERT_EQ(
            sqlite3_exec(m_controller->Data().Handle(), sql.c_str(), nullptr, nullptr, nullptr),
            SQLITE_OK);
    }

    std::optional<RealInput> m_input;
};
} // namespace

TEST_F(PendingRow, PickingAnotherMonthWritesTheRowBeingTyped)
{
    Controller& window = StartOnRegister();
    TypeDescription("Bakery and cafe");
    m_input->ChooseItem(*window.MonthSelector(), "April");
    EXPECT_EQ(window.GetView().Month(), 4);
    EXPECT_EQ(Text("SELECT Description FROM Trans WHERE Sequence = 1"), "Bakery and cafe");
    ASSERT_EQ(Grid().GetNumberRows(), 2);
    EXPECT_EQ(Grid().GetCellValue(1, 1), "April bus");

    // A new row typed through the New button, the cursor still in it, is kept too.
    m_input->ChooseItem(*window.MonthSelector(), "May");
    m_input->ClickTool(*window.ToolBar(), CommandTable::ToolkitId(Command::ToolNew));
    ASSERT_TRUE(Grid().IsEditing());
    m_input->Type(FormatShortDate(DateTime{2016, 5, 20}));
    m_input->Key(WXK_TAB);
    m_input->Type("Market");
    m_input->Key(WXK_TAB);
    m_input->Type("-4.5");
    m_input->ChooseItem(*window.MonthSelector(), "April");
    EXPECT_EQ(window.GetView().Month(), 4);
    EXPECT_EQ(Scalar("SELECT Period FROM Trans WHERE Description = 'Market'"), 5);
    EXPECT_EQ(Text("SELECT Amount FROM Trans WHERE Description = 'Market'"), "-4.5");
}

TEST_F(PendingRow, ClickingAnotherTreeNodeWritesTheRowBeingTyped)
{
    Controller& window = StartOnRegister();
    TypeDescription("Corner bakery");
    m_input->ClickTreeItem(Tree(), Node("", KindBudget));
    EXPECT_EQ(window.GetView().Kind(), KindBudget);
    EXPECT_EQ(Text("SELECT Description FROM Trans WHERE Sequence = 1"), "Corner bakery");
}

TEST_F(PendingRow, AWriteTheDatabaseRefusesKeepsTheMonthAndTheNode)
{
    Controller& window = StartOnRegister();
    RefuseDescription("Nope");
    TypeDescription("Nope");
    m_input->ChooseItem(*window.MonthSelector(), "April");
    EXPECT_EQ(window.MonthSelector()->GetSelection(), 4);
    EXPECT_EQ(window.GetView().Month(), 5);
    EXPECT_TRUE(Grid().HasPendingChanges());
    EXPECT_EQ(Grid().GetCellValue(1, 1), "Nope");

    Grid().EndCellEdit();
    m_input->ClickTreeItem(Tree(), Node("", KindBudget));
    EXPECT_EQ(window.GetView().Kind(), KindRegister);
    EXPECT_EQ(Tree().GetSelection(), Node("1", KindRegister));
    EXPECT_TRUE(Grid().HasPendingChanges());
    EXPECT_EQ(Text("SELECT Description FROM Trans WHERE Sequence = 1"), "Bakery");

    // Esc drops the row (a click on the current cell edits it: the first Esc ends that
    // edit); then the month can change.
    m_input->ClickCell(Grid(), 1, 1);
    m_input->Key(WXK_ESCAPE);
    m_input->Key(WXK_ESCAPE);
    EXPECT_FALSE(Grid().HasPendingChanges());
    m_input->ChooseItem(*window.MonthSelector(), "April");
    EXPECT_EQ(window.GetView().Month(), 4);
}

TEST_F(PendingRow, KeyChordsWorkWhicheverControlHoldsTheFocus)
{
    Controller& window = StartOnRegister();
    MessageBoxAnswers answers;
    std::size_t imports = 0;
    auto importOnce = [&](const std::string& where)
    {
        m_input->Key('I', wxMOD_CONTROL);
        ++imports;
        EXPECT_EQ(answers.OtherDialogs().size(), imports) << where;
    };
    m_input->ClickTreeItem(Tree(), Node("1", KindRegister));
    importOnce("tree");
    m_input->ChooseItem(*window.MonthSelector(), "June");
    importOnce("month selector");
    m_input->Click(window.YearField());
    importOnce("year field");
    m_input->ChooseItem(*window.MonthSelector(), "May");
    m_input->ClickCell(Grid(), 1, 1);
    importOnce("grid");
    m_input->Key(WXK_F2);
    ASSERT_TRUE(Grid().IsEditing());
    importOnce("cell editor");

    // Ctrl+N right after a month was picked starts a new row.
    m_input->ChooseItem(*window.MonthSelector(), "April");
    m_input->Key('N', wxMOD_CONTROL);
    EXPECT_TRUE(Grid().IsEditing());
    EXPECT_EQ(Grid().GetGridCursorRow(), 0);
    m_input->Key(WXK_ESCAPE);
    Grid().EndCellEdit();

    // The browser pane of the home page.
    m_input->ClickTreeItem(Tree(), Tree().GetRootItem());
    ASSERT_TRUE(window.Browser()->IsShown());
    m_input->Click(window.Browser(), wxPoint(300, 200));
    importOnce("browser pane");
}

TEST_F(PendingRow, AHoldingsTotalIsUnknownWhileQuantityOrPriceIsEmpty)
{
    AddAccount("I1", "Brokerage", "Investment", 1);
    Controller& window = Start();
    RealInput input(window);
    input.ClickTreeItem(Tree(), Node("1", KindInvestment));
    input.ClickCell(Grid(), 0, Grid().GridColumn(InvestmentColumn::Quantity));
    input.Type("10");
    input.Key(WXK_TAB); // on to Last Price, the row still being typed
    EXPECT_EQ(Grid().GetGridCursorCol(), Grid().GridColumn(InvestmentColumn::LastPrice));
    EXPECT_TRUE(Grid().CellValue(0, InvestmentColumn::Total).IsNull());
    input.Type("12.5");
    input.Key(WXK_TAB);
    EXPECT_EQ(Grid().CellValue(0, InvestmentColumn::Total),
              Variant::FromCurrency(Currency::FromWhole(125)));
    ASSERT_TRUE(Grid().Commit());
    EXPECT_EQ(Text("SELECT Total FROM Investment"), "125");
}
