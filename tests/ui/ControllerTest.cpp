#include "app/Controller.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/QvMenuStrip.h"
#include "app/QvStatusBar.h"
#include "app/QvToolBar.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Trace.h"
#include "data/Database.h"
#include "data/DateTime.h"
#include "data/Regional.h"
#include "register/QvGrid.h"
#include "register/QvTreeView.h"
#include "register/ViewQuery.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"
#include "ui/RecordedDocuments.h"
#include "ui/UiTestSupport.h"

#include "support/TempDir.h"

#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/display.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>

TEST_F(ControllerTest, FirstStartWithoutSettingsOpensAtDefaultsAndTracesEveryStep)
{
    Controller& window = Start();
    // The layout's 800 by 489 pixels at least, widened with the font but within the screen.
    wxSize size = window.DefaultFrameSize();
    wxRect screen = wxDisplay(&window).GetClientArea();
    EXPECT_GE(size.x, 800);
    EXPECT_GE(size.y, 489);
    EXPECT_LE(size.x, std::max(800, screen.width));
    EXPECT_LE(size.y, std::max(489, screen.height));
    EXPECT_EQ(window.GetRect(), wxRect(wxPoint(0, 0), size));
    DateTime today = ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr)));
    EXPECT_EQ(window.MonthSelector()->GetSelection(), today.month - 1);
    EXPECT_EQ(window.YearField()->GetValue(), wxString::Format("%d", today.year));
    EXPECT_EQ(window.YearSpinner()->GetValue(), today.year);
    EXPECT_EQ(window.YearSpinner()->GetMin(), 1900);
    EXPECT_EQ(window.YearSpinner()->GetMax(), 3000);
    EXPECT_EQ(window.GetView().Kind(), KindHome);
    EXPECT_TRUE(window.Browser()->IsShown());
    EXPECT_FALSE(Grid().IsShown());
    EXPECT_EQ(Tree().Text(Tree().GetRootItem()), "Home");
    EXPECT_EQ(Children(Tree().GetRootItem()),
              (std::vector<std::string>{"Budget", "Scheduled", "Reports"}));
    EXPECT_EQ(
        Children(Node("", KindReports)),
        (std::vector<std::string>{"Transactions", "Spending by Category", "Income and Expenses",
                                  "Net Worth", "Budget for the Year"}));

    std::vector<std::string> steps;
    std::ifstream trace(AppDir() / "temp/trace.txt");
    for (std::string line; std::getline(trace, line);)
        if (line.starts_with("["))
            steps.push_back(line);
    ASSERT_FALSE(steps.empty());
    for (std::size_t i = 0; i < steps.size(); ++i)
        EXPECT_TRUE(steps[i].starts_with("[" + std::to_string(i + 1) + "] ")) << steps[i];
    EXPECT_TRUE(std::filesystem::exists(AppDir() / "temp/home.html"));
}

TEST_F(ControllerTest, ClosingWritesPlacementAndWidthsAndStoredPlacementIsRestored)
{
    Controller& first = Start();
    wxSize size = first.DefaultFrameSize();
    std::vector<std::vector<double>> used;
    for (int kind = KindBudget; kind <= KindLoan; ++kind)
        used.push_back(first.GetView().ColumnWidths(kind));
    first.Close(); // the close box
    EXPECT_EQ(GetSetting("Placement", "Settings"),
              "0,0," + std::to_string(size.x) + "," + std::to_string(size.y));
    // Never written before: the widths the grids used are written.
    for (int kind = KindBudget; kind <= KindLoan; ++kind)
    {
        std::vector<double> written = GetColumnWidths(ColumnWidthKey(kind));
        const std::vector<double>& shown = used[static_cast<std::size_t>(kind - KindBudget)];
        EXPECT_GT(shown.size(), 1u) << kind;
        ASSERT_EQ(written.size(), shown.size()) << kind;
        for (std::size_t i = 0; i < written.size(); ++i)
            EXPECT_NEAR(written[i], shown[i], 1e-5) << kind;
    }
    Destroy();
    EXPECT_FALSE(std::filesystem::exists(AppDir() / "temp"));

    // Widths saved before are used as saved.
    WriteSetting("Placement", "40,30,700,450", "Settings");
    WriteColumnWidths("Trans", {0.2, 0.2, 0.2, 0.2, 0.05});
    Controller& window = Start();
    EXPECT_EQ(window.GetRect(), wxRect(40, 30, 700, 450));
    EXPECT_EQ(window.GetView().ColumnWidths(KindRegister),
              (std::vector<double>{0.2, 0.2, 0.2, 0.2, 0.05}));
    RealInput input(window);
    ASSERT_TRUE(input.ClickMenuItem(*window.Menu(), CommandTable::ToolkitId(Command::Exit)));
    EXPECT_FALSE(window.IsShown());
    EXPECT_EQ(GetSetting("Placement", "Settings"), "40,30,700,450"); // saved by Exit too
    WriteSetting("Placement", "10,20,300", "Settings");
    Destroy();
    EXPECT_EQ(Start().GetRect(), wxRect(wxPoint(0, 0), size));
}

TEST_F(ControllerTest, RegisterShowsThePeriodWithTheBalanceAndBackAndForwardCrossTheYear)
{
    AddAccount("A1", "Checking", "Bank", 1, 100);
    Prepare({"INSERT INTO Trans (AccountID, Sequence, [Year], Period, PostDate, Category, Amount, "
             "Description) VALUES ('A1', 1, 2016, 4, #4/3/2016#, '(none)', -30, 'Gas')",
             "INSERT INTO Trans (AccountID, Sequence, [Year], Period, PostDate, Category, Amount, "
             "Description) VALUES ('A1', 2, 2016, 5, #5/3/2016#, '(none)', -20, 'Food')"});
    Controller& window = Start();
    ShowPeriod(5, 2016);
    window.SelectNode(Node("1", KindRegister));
    RunPendingEvents();
    EXPECT_EQ(window.GetTitle(), "Checking - Quorvel Tallybrook");
    EXPECT_EQ(window.GetView().Kind(), KindRegister);
    EXPECT_TRUE(Grid().IsShown());
    EXPECT_FALSE(window.Browser()->IsShown());
    EXPECT_EQ(window.TotalsLabel()->GetLabel(), "Balance:");
    EXPECT_FALSE(window.SecondTotal()->IsShown());
    EXPECT_EQ(window.FirstTotal()->GetValue().utf8_string(),
              FormatCurrency(Currency::FromWhole(50)));
    ASSERT_EQ(Grid().GetNumberRows(), 2);
    EXPECT_EQ(Grid().Heading(0), "Date");
    EXPECT_EQ(Grid().Heading(3), "Check #");
    EXPECT_EQ(Grid().Heading(5), "Notes");
    EXPECT_TRUE(Grid().IsColumnHidden(6));
    EXPECT_TRUE(Grid().IsColumnHidden(11));
    EXPECT_EQ(Grid().GetCellValue(1, 1), "Food");

    RealInput input(window);
    auto click = [&](int command)
    { input.ClickTool(*window.ToolBar(), CommandTable::ToolkitId(command)); };
    click(Command::Back);
    EXPECT_EQ(window.MonthSelector()->GetSelection(), 3);
    EXPECT_EQ(Grid().GetCellValue(1, 1), "Gas");
    EXPECT_EQ(window.FirstTotal()->GetValue().utf8_string(),
              FormatCurrency(Currency::FromWhole(70)));

    ShowPeriod(1, 2016);
    click(Command::Back);
    EXPECT_EQ(window.GetView().Month(), 12);
    EXPECT_EQ(window.GetView().Year(), 2015);
    EXPECT_EQ(window.MonthSelector()->GetSelection(), 11);
    EXPECT_EQ(window.YearField()->GetValue(), "2015");
    click(Command::Forward);
    EXPECT_EQ(window.GetView().Month(), 1);
    EXPECT_EQ(window.GetView().Year(), 2016);
    // Typed digit by digit: the field keeps what the user types, the year follows it.
    input.Click(window.YearField());
    window.YearField()->SelectAll();
    input.Type("2017");
    EXPECT_EQ(window.YearField()->GetValue(), "2017");
    EXPECT_EQ(window.GetView().Year(), 2017);
}

TEST_F(ControllerTest, TypingANewTransactionAndEnterStoresItWithTheViewedPeriod)
{
    AddAccount("A1", "Checking", "Bank", 1, 100);
    Prepare({"INSERT INTO Trans (AccountID, Sequence, [Year], Period, PostDate, Category, Amount, "
             "Description) VALUES ('X9', 41, 2010, 1, #1/3/2010#, '(none)', 1, 'Other')"});
    Controller& window = Start();
    ShowPeriod(5, 2016);
    RealInput input(window);
    input.ClickTreeItem(Tree(), Node("1", KindRegister));
    input.Key('N', wxMOD_CONTROL);
    ASSERT_TRUE(Grid().IsEditing());
    EXPECT_EQ(Grid().GetGridCursorRow(), 0);
    input.Type(FormatShortDate(DateTime{2016, 6, 2}));
    input.Key(WXK_TAB);
    input.Type("Groceries at the market");
    input.Key(WXK_TAB);
    EXPECT_EQ(Grid().GetGridCursorCol(), 2);
    input.Type("-12.5");
    input.Key(WXK_RETURN);

    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE AccountID = 'A1'"), 1);
    EXPECT_EQ(Text("SELECT [Year] & '/' & Period & '/' & Sequence & '/' & Category & '/' & "
                   "Description FROM Trans WHERE AccountID = 'A1'"),
              "2016/5/42/(none)/Groceries at the market");
    const Variant spent = Variant::FromCurrency(Currency::FromUnits(-125000));
    Database& data = window.Data();
    EXPECT_EQ(data.Execute("SELECT Amount FROM Trans WHERE AccountID = 'A1'").GetValue(0), spent);
    EXPECT_EQ(data.Execute("SELECT CurrentBalance FROM Account WHERE AccountID = 'A1'").GetValue(0),
              spent);
    EXPECT_EQ(window.FirstTotal()->GetValue().utf8_string(),
              FormatCurrency(Currency::FromUnits(875000)));
    // The cursor is back editing column 0 of a fresh new-record row.
    EXPECT_TRUE(Grid().IsEditing());
    EXPECT_EQ(Grid().GetGridCursorRow(), 0);
    EXPECT_EQ(Grid().GetGridCursorCol(), 0);
    EXPECT_FALSE(Grid().HasPendingChanges());
    ASSERT_EQ(Grid().GetNumberRows(), 2);
    EXPECT_EQ(Grid().GetCellValue(1, 1), "Groceries at the market");
    EXPECT_EQ(Grid().GetCellValue(1, 4), "(none)");
    input.Key(WXK_ESCAPE);
}

TEST_F(ControllerTest, DeleteAsksAndUpdatesTheBalanceOnYesOnly)
{
    AddAccount("A1", "Checking", "Bank", 1);
    Prepare({"INSERT INTO Trans (AccountID, Sequence, [Year], Period, PostDate, Category, Amount, "
             "Description) VALUES ('A1', 1, 2016, 5, #5/3/2016#, '(none)', -20, 'Food')",
             "INSERT INTO Trans (AccountID, Sequence, [Year], Period, PostDate, Category, Amount, "
             "Description) VALUES ('A1', 2, 2016, 5, #5/4/2016#, '(none)', -5, 'Bus')"});
    Controller& window = Start();
    ShowPeriod(5, 2016);
    RealInput input(window);
    input.ClickTreeItem(Tree(), Node("1", KindRegister));
    MessageBoxAnswers answers;
    input.ClickCell(Grid(), 1, 1);
    answers.Queue(wxID_NO);
    input.Key(WXK_DELETE);
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(answers.Messages()[0].text, "Are you sure you want to delete this record?");
    EXPECT_EQ(answers.Messages()[0].caption, "Quorvel Tallybrook");
    EXPECT_TRUE(answers.Messages()[0].style & wxICON_QUESTION);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 2);
    answers.Queue(wxID_YES);
    input.Key(WXK_DELETE);
    EXPECT_EQ(Text("SELECT Description FROM Trans"), "Food");
    EXPECT_EQ(window.Data().Execute("SELECT CurrentBalance FROM Account").GetValue(0),
              Variant::FromCurrency(Currency::FromWhole(-20)));
    EXPECT_EQ(window.FirstTotal()->GetValue().utf8_string(),
              FormatCurrency(Currency::FromWhole(-20)));
}

TEST_F(ControllerTest, TreeFollowsTheAccountsAndARowWithoutDescriptionIsRefused)
{
    AddAccount("B2", "Zeta Savings", "Bank", 1);
    AddAccount("B1", "Alpha Checking", "Bank", 2);
    AddAccount("C1", "Wallet", "Cash", 3);
    AddAccount("L1", "Car", "Loan", 4);
    Controller& window = Start();
    EXPECT_EQ(Children(Tree().GetRootItem()),
              (std::vector<std::string>{"Budget", "Scheduled", "Bank", "Cash", "Loan", "Reports"}));
    EXPECT_EQ(Children(Node("Bank", KindAccountList)),
              (std::vector<std::string>{"Alpha Checking", "Zeta Savings"}));
    const NodeData* car = Tree().Data(Node("4", KindLoan));
    ASSERT_NE(car, nullptr);
    EXPECT_EQ(car->accountId, "L1");
    EXPECT_EQ(car->sequence, 4);
    EXPECT_EQ(Tree().GetItemImage(Node("4", KindLoan)), 1);
    EXPECT_EQ(Tree().GetItemImage(Node("4", KindLoan), wxTreeItemIcon_Selected), 0);

    MessageBoxAnswers answers;
    RealInput input(window);
    input.ClickTreeItem(Tree(), Node("Cash", KindAccountList));
    EXPECT_EQ(window.TotalsLabel()->GetLabel(), "Totals:");
    EXPECT_TRUE(window.SecondTotal()->IsShown());
    ASSERT_EQ(Grid().GetNumberRows(), 2);
    EXPECT_EQ(Grid().GetCellValue(1, 0), "Wallet");
    input.ClickCell(Grid(), 1, 0);
    input.Key(WXK_DELETE);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Account WHERE AccountID = 'C1'"), 0);
    EXPECT_FALSE(Node("Cash", KindAccountList).IsOk());
    EXPECT_FALSE(Node("3", KindRegister).IsOk());

    input.ClickTreeItem(Tree(), Node("Bank", KindAccountList));
    input.ClickCell(Grid(), 0, 0);
    input.Type("Savings");
    input.Key(WXK_TAB);
    input.Type("S-1");
    input.Key(WXK_RETURN);
    EXPECT_EQ(Text("SELECT Type FROM Account WHERE AccountID = 'S-1'"), "Bank");
    EXPECT_EQ(Children(Node("Bank", KindAccountList)),
              (std::vector<std::string>{"Alpha Checking", "Savings", "Zeta Savings"}));
    EXPECT_EQ(window.GetView().Kind(), KindAccountList);
    EXPECT_EQ(Tree().GetSelection(), Node("Bank", KindAccountList));
    input.Key(WXK_ESCAPE);
    Grid().EndCellEdit();

    answers.Clear();
    input.ClickCell(Grid(), 0, 1);
    input.Type("NEW-1");
    input.Key(WXK_RETURN);
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(answers.Messages()[0].text, "Please enter an account description.");
    EXPECT_TRUE(answers.Messages()[0].style & wxICON_ERROR);
    EXPECT_TRUE(Grid().HasPendingChanges());
    EXPECT_EQ(Grid().GetGridCursorRow(), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Account"), 4);
    // A tree change is refused while the row cannot be written: the selection stays, and the
    // focus leaving the grid tried to write the row, which says why.
    Grid().EndCellEdit();
    input.ClickTreeItem(Tree(), Node("", KindBudget));
    EXPECT_EQ(window.GetView().Kind(), KindAccountList);
    EXPECT_EQ(Tree().GetSelection(), Node("Bank", KindAccountList));
    ASSERT_EQ(answers.Messages().size(), 2u);
    EXPECT_EQ(answers.Messages()[1].text, "Please enter an account description.");
    // Closing keeps the window and the row, saying why; once the row is dropped it closes.
    input.ClickCloseBox(window);
    EXPECT_TRUE(window.IsShown());
    ASSERT_EQ(answers.Messages().size(), 3u);
    EXPECT_EQ(answers.Messages()[2].text, "Please enter an account description.");
    EXPECT_TRUE(Grid().HasPendingChanges());
    Grid().EndCellEdit();
    Grid().CancelPendingRow();
    input.ClickCloseBox(window);
    EXPECT_FALSE(window.IsShown());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Account"), 4);
}

TEST_F(ControllerTest, BudgetViewTotalsTheMonthAndRegisterCategoriesCompleteFromItsLines)
{
    AddAccount("A1", "Checking", "Bank", 1);
    Prepare({"INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount, Sequence) "
             "VALUES (2016, 5, 'Groceries', 'Food', -300, 1)",
             "INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount, Sequence) "
             "VALUES (2016, 5, 'Fuel', 'Car', -80, 2)",
             "INSERT INTO Trans (AccountID, Sequence, [Year], Period, PostDate, Category, Amount, "
             "Description) VALUES ('A1', 1, 2016, 5, #5/3/2016#, 'Groceries', -120, 'Shop')"});
    Controller& window = Start();
    ShowPeriod(5, 2016);
    RealInput input(window);
    input.ClickTreeItem(Tree(), Node("", KindBudget));
    EXPECT_EQ(window.TotalsLabel()->GetLabel(), "Month to date:");
    auto money = [](int whole)
    { return wxString::FromUTF8(FormatCurrency(Currency::FromWhole(whole))); };
    EXPECT_EQ(window.FirstTotal()->GetValue(), money(-380));
    EXPECT_EQ(window.SecondTotal()->GetValue(), money(-120));
    EXPECT_EQ(Grid().Heading(6), "Actual");
    EXPECT_EQ(Grid().Heading(5), "Group");

    input.ClickTreeItem(Tree(), Node("1", KindRegister));
    EXPECT_EQ(Grid().DropListItems(4), (std::vector<wxString>{"Fuel", "Groceries"}));
}

TEST_F(ControllerTest, MenuCommandsDialogsStatusTextAndResizeLayout)
{
    Controller& window = Start();
    EXPECT_FALSE(window.IsCommandEnabled(Command::Print));
    EXPECT_FALSE(window.IsCommandEnabled(Command::NewRecord));
    EXPECT_TRUE(window.IsCommandEnabled(Command::Import));
    EXPECT_TRUE(window.IsCommandEnabled(Command::Options));
    EXPECT_TRUE(window.IsCommandEnabled(Command::About));
    RealInput input(window);
    RecordedDocuments documents;

    // The bank button with no address set asks for one and opens nothing.
    MessageBoxAnswers answers;
    input.ClickTool(*window.ToolBar(), CommandTable::ToolkitId(Command::BankWebSite));
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(answers.Messages()[0].text,
              "You have not yet set your bank's URL, please do so from Tools|Options...");
    EXPECT_TRUE(answers.Messages()[0].style & wxICON_EXCLAMATION);
    EXPECT_TRUE(documents.Opened().empty());

    std::string product;
    std::string link;
    std::vector<int> cutTexts; // ids of texts shown smaller than they need
    answers.OnOtherDialog(
        [&](wxDialog* dialog)
        {
            dialog->Layout();
            for (int id : {1019, 1020, 1021})
            {
                wxWindow* text = dialog->FindWindow(id);
                if (!text || text->GetSize().x < text->GetBestSize().x ||
                    text->GetSize().y < text->GetBestSize().y)
                    cutTexts.push_back(id);
            }
            if (auto* line = dynamic_cast<wxStaticText*>(dialog->FindWindow(1020)))
                product = line->GetLabel().utf8_string();
            if (auto* text = dynamic_cast<wxStaticText*>(dialog->FindWindow(1021)))
                link = text->GetLabel().utf8_string();
        });
    ASSERT_TRUE(input.ClickMenuItem(*window.Menu(), CommandTable::ToolkitId(Command::About)));
    ASSERT_EQ(answers.OtherDialogs(), (std::vector<std::string>{"About Quorvel Tallybrook"}));
    EXPECT_EQ(product, "Quorvel Tallybrook 8.1.0");
    EXPECT_EQ(link, "https://www.quorvel.example");
    EXPECT_TRUE(cutTexts.empty()) << "the About texts show whole in this font";

    input.ClickTreeItem(Tree(), Node("", KindBudget));
    EXPECT_TRUE(window.IsCommandEnabled(Command::Print));
    EXPECT_TRUE(window.IsCommandEnabled(Command::NewRecord));
    EXPECT_FALSE(window.IsCommandEnabled(Command::DeleteRecord));
    EXPECT_EQ(window.StatusBar()->GetStatusText(0), "Select an item to work with.");
    // Delete Record does nothing while the tree has the focus: its item is greyed.
    EXPECT_FALSE(
        input.ClickMenuItem(*window.Menu(), CommandTable::ToolkitId(Command::DeleteRecord)));
    EXPECT_TRUE(answers.Messages().size() == 1u);
    // Print asks for the printer; Cancel prints nothing.
    input.Key('P', wxMOD_CONTROL);
    EXPECT_EQ(answers.OtherDialogs().size(), 2u);
    EXPECT_EQ(answers.Messages().size(), 1u);

    // Resizing keeps the totals line and the tree above the status bar.
    window.LayoutClient(700, 300);
    EXPECT_EQ(window.TotalsLabel()->GetRect().y, 266);
    EXPECT_EQ(window.FirstTotal()->GetRect().GetBottom() + 1, 280);
    EXPECT_EQ(Tree().GetRect().GetBottom() + 1, 280);
    EXPECT_EQ(Grid().GetRect().GetBottom() + 1, 266);
    EXPECT_EQ(Grid().GetRect().GetRight() + 1, 700);
    EXPECT_EQ(Grid().GetRect().x, Tree().GetRect().GetRight() + 1 + 4);
    EXPECT_EQ(window.Browser()->GetRect().GetBottom() + 1, 280);

    window.StatusBar()->SetStatusText("before", 0);
    window.PushStatus("Importing x...");
    EXPECT_EQ(window.StatusBar()->GetStatusText(0), "Importing x...");
    window.PushStatus("Updating quotes...");
    window.PopStatus();
    EXPECT_EQ(window.StatusBar()->GetStatusText(0), "Importing x...");
    window.PopStatus();
    EXPECT_EQ(window.StatusBar()->GetStatusText(0), "before");
    EXPECT_FALSE(window.StatusBar()->GetStatusText(1).empty());
    EXPECT_FALSE(window.StatusBar()->GetStatusText(2).empty());
}

TEST_F(ControllerTest, MoveToNextMonthTakesTheRowOutOfThisMonthsRegister)
{
    AddAccount("A1", "Checking", "Bank", 1);
    Prepare({"INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
             "Category, Amount, Description) VALUES ('A1', 5, 0, 2016, 12, #12/30/2016#, "
             "'Gifts', -40, 'Presents')"});
    Controller& window = Start();
    ShowPeriod(12, 2016);
    RealInput input(window);
    input.ClickTreeItem(Tree(), Node("1", KindRegister));
    ASSERT_EQ(Grid().GetNumberRows(), 2);
    input.ClickCell(Grid(), 1, 1);
    ASSERT_TRUE(
        input.ClickMenuItem(*window.Menu(), CommandTable::ToolkitId(Command::MoveNextMonth)));
    EXPECT_EQ(Scalar("SELECT [Year] FROM Trans"), 2017);
    EXPECT_EQ(Scalar("SELECT Period FROM Trans"), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget WHERE [Year] = 2017 AND Period = 1 AND "
                     "Category = 'Gifts'"),
              1);
    EXPECT_EQ(Grid().GetNumberRows(), 1);
    input.ClickTool(*window.ToolBar(), CommandTable::ToolkitId(Command::Forward));
    ASSERT_EQ(Grid().GetNumberRows(), 2);
    EXPECT_EQ(Grid().GetCellValue(1, 1), "Presents");
}
