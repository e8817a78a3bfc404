// The row being typed in the register is written before the month, the year or the tree node
// changes, however the user changes them; and key chords reach their commands from every
// control of the main window.
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/QvToolBar.h"
#include "base/Settings.h"
#include "data/Regional.h"
#include "data/ViewColumns.h"
#include "support/ScopedLocale.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"
#include "ui/RecordedDocuments.h"

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
    MessageBoxAnswers answers;
    RefuseDescription("Nope");
    TypeDescription("Nope");
    m_input->ChooseItem(*window.MonthSelector(), "April");
    EXPECT_EQ(window.MonthSelector()->GetSelection(), 4);
    EXPECT_EQ(window.GetView().Month(), 5);
    EXPECT_TRUE(Grid().HasPendingChanges());
    EXPECT_EQ(Grid().GetCellValue(1, 1), "Nope");
    // The database's reason shows.
    ASSERT_EQ(answers.Messages().size(), 1U);
    EXPECT_NE(answers.Messages()[0].text.find("refused"), std::string::npos);

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

namespace
{
/// Types a new row into the register (date, description, amount), the amount's editor still
/// open, so that the row is only pending.
void TypeNewRow(RealInput& input, QvGrid& grid, const std::string& description)
{
    input.ClickCell(grid, 0, grid.GridColumn(RegisterColumn::PostDate));
    input.Key(WXK_F2);
    input.Type(FormatShortDate(DateTime{2016, 5, 20}));
    input.Key(WXK_TAB);
    input.Type(description);
    input.Key(WXK_TAB);
    input.Type("-4.5");
}
} // namespace

TEST_F(PendingRow, EveryMenuCommandWritesTheRowBeingTypedFirstOrLeavesItPending)
{
    WriteSetting("SiteUrl", "http://127.0.0.1:9/site/", "Settings");
    Controller& window = StartOnRegister();
    MessageBoxAnswers answers; // dialogs are cancelled, messages answered OK
    RecordedDocuments documents;
    auto stored = [this](const std::string& description)
    { return Scalar("SELECT COUNT(*) FROM Trans WHERE Description = '" + description + "'"); };

    const CommandEntry* exit = nullptr;
    for (const CommandEntry& entry : CommandTable::Entries())
    {
        if (!entry.menu)
            continue;
        if (entry.id == Command::Exit)
        {
            exit = &entry;
            continue;
        }
        SCOPED_TRACE(entry.text);
        m_input->ClickTreeItem(Tree(), Node("1", KindRegister));
        m_input->ChooseItem(*window.MonthSelector(), "May");
        std::string description = "Row " + std::to_string(entry.id);
        TypeNewRow(*m_input, Grid(), description);
        ASSERT_TRUE(Grid().IsEditing());
        // Greyed items are the commands disabled while a new row is typed.
        bool clicked = m_input->ClickMenuItem(*window.Menu(), CommandTable::ToolkitId(entry.id));
        if (!clicked)
        {
            EXPECT_FALSE(window.IsCommandEnabled(entry.id));
        }
        if (clicked && entry.writesRowFirst)
        {
            EXPECT_EQ(stored(description), 1);
            continue;
        }
        EXPECT_EQ(stored(description), 0);
        ASSERT_TRUE(Grid().HasPendingChanges());
        EXPECT_EQ(Grid().CellTextValue(0, RegisterColumn::Description), description);
        Grid().EndCellEdit();
        Grid().CancelPendingRow();
    }

    // Exit writes the row and runs the closing steps of the close box.
    ASSERT_NE(exit, nullptr);
    TypeNewRow(*m_input, Grid(), "Typed before Exit");
    ASSERT_TRUE(m_input->ClickMenuItem(*window.Menu(), CommandTable::ToolkitId(exit->id)));
    EXPECT_FALSE(window.IsShown());
    EXPECT_EQ(stored("Typed before Exit"), 1);
    EXPECT_NE(GetSetting("Placement", "Settings"), "");
}

TEST_F(PendingRow, ExitAndTheCloseBoxKeepTheWindowWhileTheRowCannotBeWritten)
{
    Controller& window = StartOnRegister();
    MessageBoxAnswers answers;
    RefuseDescription("Nope");
    for (bool closeBox : {false, true})
    {
        SCOPED_TRACE(closeBox ? "close box" : "Exit");
        answers.Clear();
        TypeDescription("Nope");
        if (closeBox)
            m_input->ClickCloseBox(window);
        else
            ASSERT_TRUE(
                m_input->ClickMenuItem(*window.Menu(), CommandTable::ToolkitId(Command::Exit)));
        EXPECT_TRUE(window.IsShown());
        ASSERT_EQ(answers.Messages().size(), 1U);
        EXPECT_NE(answers.Messages()[0].text.find("refused"), std::string::npos);
        EXPECT_TRUE(Grid().HasPendingChanges());
        EXPECT_EQ(Text("SELECT Description FROM Trans WHERE Sequence = 1"), "Bakery");
        Grid().EndCellEdit();
        Grid().CancelPendingRow();
    }
    // A row that can be written goes before the close box ends the program.
    TypeDescription("Bakery and tea");
    m_input->ClickCloseBox(window);
    EXPECT_FALSE(window.IsShown());
    EXPECT_EQ(Text("SELECT Description FROM Trans WHERE Sequence = 1"), "Bakery and tea");
}

namespace
{
struct RefusedText
{
    const char* locale;
    int column; ///< a RegisterColumn
    const char* typed;
    const char* message; ///< empty: the text is stored
    const char* stored;  ///< what holds of the row afterwards, in SQL
};
} // namespace

class CellText : public PendingRow, public ::testing::WithParamInterface<RefusedText>
{
};

// A cell refuses text it cannot store: the message names the text, the editor stays on
// it, nothing is written, and Escape brings the old value back.
TEST_P(CellText, IsRefusedWithAMessageWhenTheCellCannotStoreIt)
{
    const RefusedText& c = GetParam();
    ScopedLocale locale(c.locale);
    if (!locale.Ok())
        GTEST_SKIP() << c.locale << " is not installed";
    Controller& window = StartOnRegister();
    static_cast<void>(window);
    MessageBoxAnswers answers;
    int gridCol = Grid().GridColumn(c.column);
    m_input->ClickCell(Grid(), 1, gridCol);
    m_input->Key(WXK_F2);
    ASSERT_TRUE(Grid().IsEditing());
    auto* editor = dynamic_cast<wxTextEntry*>(Grid().EditorWindow());
    ASSERT_NE(editor, nullptr);
    editor->SelectAll();
    m_input->Type(c.typed);
    m_input->Key(WXK_RETURN);
    RealInput::Settle(300);
    auto holds = [this, &c] {
        return Scalar(std::string("SELECT COUNT(*) FROM Trans WHERE Sequence = 1 AND ") + c.stored);
    };
    if (*c.message == '\0')
    {
        EXPECT_TRUE(answers.Messages().empty());
        ASSERT_TRUE(Grid().Commit());
        EXPECT_EQ(holds(), 1);
        return;
    }
    ASSERT_EQ(answers.Messages().size(), 1U);
    EXPECT_EQ(answers.Messages()[0].text, c.message);
    ASSERT_TRUE(Grid().IsEditing());
    EXPECT_EQ(Grid().GetGridCursorRow(), 1);
    EXPECT_EQ(Grid().GetGridCursorCol(), gridCol);
    editor = dynamic_cast<wxTextEntry*>(Grid().EditorWindow());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetValue().utf8_string(), c.typed);
    EXPECT_EQ(editor->GetStringSelection().utf8_string(), c.typed);
    EXPECT_FALSE(Grid().HasPendingChanges());
    m_input->Key(WXK_ESCAPE);
    EXPECT_FALSE(Grid().IsEditing());
    EXPECT_FALSE(Grid().HasPendingChanges());
    EXPECT_EQ(holds(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CellText,
    ::testing::Values(RefusedText{"en_US.UTF-8", RegisterColumn::Amount, "abc",
                                  "\"abc\" is not an amount.", "Amount = -20"},
                      RefusedText{"en_US.UTF-8", RegisterColumn::Amount, "12,50",
                                  "\"12,50\" is not an amount.", "Amount = -20"},
                      RefusedText{"de_DE.UTF-8", RegisterColumn::Amount, "12,50", "",
                                  "Amount = 12.5"},
                      RefusedText{"de_DE.UTF-8", RegisterColumn::Amount, "zwei",
                                  "\"zwei\" is not an amount.", "Amount = -20"},
                      RefusedText{"en_US.UTF-8", RegisterColumn::PostDate, "5/40/2016",
                                  "\"5/40/2016\" is not a date.", "PostDate = #5/3/2016#"}));
