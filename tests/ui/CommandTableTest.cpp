// Every command of the main window, reached as a user reaches it: a click on its menu item
// through the menu strip, a click on its tool-bar button, and its key chord.
#include "app/CommandTable.h"
#include "app/CommandIds.h"
#include "app/OpenDocument.h"
#include "app/QvMenuStrip.h"
#include "app/QvToolBar.h"
#include "base/Settings.h"
#include "data/ViewColumns.h"
#include "search/FindField.h"
#include "support/LoopbackHttpServer.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"
#include "ui/RecordedDocuments.h"

#include <wx/choice.h>
#include <wx/combobox.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace
{
/// One way into a command.
enum class Way
{
    Menu,
    Tool,
    Chord
};

const char* WayName(Way way)
{
    return way == Way::Menu ? "menu item" : way == Way::Tool ? "tool-bar button" : "key chord";
}
} // namespace

class CommandTableTest : public ControllerTest
{
protected:
    /// A Bank account with four transactions in May 2016 and a budget in April only.
    Controller& StartOnRegister()
    {
        WriteSetting("SiteUrl", "http://127.0.0.1:9/site/", "Settings");
        WriteSetting("BankUrl", "http://127.0.0.1:9/bank", "Settings");
        WriteSetting("QuoteService", "csv", "Settings");
        WriteSetting("QuoteUrl", m_quotes.BaseUrl(), "Settings");
        AddAccount("I1", "Brokerage", "Investment", 2);
        Prepare({"INSERT INTO Investment (StockSymbol, Quantity, LastPrice, AccountID, Sequence) "
                 "VALUES ('ACME', 10, 1, 'I1', 1)"});
        AddAccount("A1", "Checking", "Bank", 1, 100);
        for (int i = 1; i <= 4; ++i)
            Prepare(
                {"INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, "
                 "Category, Amount, Description) VALUES ('A1', " +
                 std::to_string(i) + ", 0, 2016, 5, #5/" + std::to_string(i) +
                 "/2016#, '(none)', -" + std::to_string(i) + ", 'Row " + std::to_string(i) + "')"});
        Prepare({"INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES "
                 "(2016, 4, 'Food', 'Living', -200)",
                 "INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES "
                 "(2016, 4, 'Rent', 'Living', -900)"});
        Controller& window = Start();
        ShowPeriod(5, 2016);
        window.SelectNode(Node("1", KindRegister));
        RunPendingEvents();
        return window;
    }

    /// Sends the command through one way in.
    void Reach(RealInput& input, const CommandEntry& entry, Way way)
    {
        int toolkitId = CommandTable::ToolkitId(entry.id);
        switch (way)
        {
        case Way::Menu:
            ASSERT_TRUE(input.ClickMenuItem(*m_controller->Menu(), toolkitId));
            break;
        case Way::Tool:
            input.ClickTool(*m_controller->ToolBar(), toolkitId);
            break;
        case Way::Chord:
            input.Key(entry.key, wxMOD_CONTROL);
            break;
        }
        RealInput::Settle(100);
    }

    /// Puts the keyboard focus in the grid on the first data row, by a click.
    void FocusFirstRow(RealInput& input)
    {
        input.ClickCell(Grid(), 1, Grid().GridColumn(RegisterColumn::Description));
    }

    /// Puts the keyboard focus in the tree, by a click on the account's node.
    void FocusTree(RealInput& input) { input.ClickTreeItem(Tree(), Tree().GetSelection()); }

    /// Answers every quote request with a price that goes up by one each time.
    LoopbackHttpServer m_quotes{[this](const LoopbackHttpServer::Request&)
                                {
                                    LoopbackHttpServer::Reply reply;
                                    reply.body = "\"ACME\"," + std::to_string(++m_price) +
                                                 ",\"5/3/2016\",\"4:00pm\",+1,\"+1%\",1,1,1,1,1,1";
                                    return reply;
                                }};
    std::atomic<int> m_price{10};
};

TEST_F(CommandTableTest, EveryEnabledCommandRunsFromItsMenuItemButtonAndChord)
{
    Controller& window = StartOnRegister();
    RealInput input(window);
    MessageBoxAnswers answers;
    RecordedDocuments documents;
    const std::string site = "http://127.0.0.1:9/site";

    /// What to set up before each way in, and how to see that the command ran.
    struct Expectation
    {
        std::function<void()> prepare;
        std::function<void()> check;
    };
    std::size_t dialogs = 0;
    std::size_t messages = 0;
    std::size_t opened = 0;
    auto dialogShown = [&](const std::string& title)
    {
        ASSERT_EQ(answers.OtherDialogs().size(), dialogs + 1);
        if (!title.empty())
        {
            EXPECT_EQ(answers.OtherDialogs().back(), title);
        }
        dialogs = answers.OtherDialogs().size();
    };
    auto messageShown = [&](const std::string& text)
    {
        ASSERT_EQ(answers.Messages().size(), messages + 1);
        EXPECT_EQ(answers.Messages().back().text, text);
        messages = answers.Messages().size();
    };
    auto documentOpened = [&](const std::string& address)
    {
        ASSERT_EQ(documents.Opened().size(), opened + 1);
        EXPECT_EQ(documents.Opened().back(), address);
        opened = documents.Opened().size();
    };
    auto editingNewRow = [&]
    {
        EXPECT_TRUE(Grid().IsEditing());
        EXPECT_EQ(Grid().GetGridCursorRow(), 0);
        input.Key(WXK_ESCAPE);
        Grid().EndCellEdit();
    };
    auto rowsInMay = [&] { return Scalar("SELECT COUNT(*) FROM Trans WHERE Period = 5"); };
    long long mayRows = 4;

    std::map<int, Expectation> expected{
        {Command::Import, {[&] { FocusTree(input); }, [&] { dialogShown("Import"); }}},
        {Command::Export, {[&] { FocusTree(input); }, [&] { dialogShown("Export"); }}},
        {Command::Print, {[&] { FocusTree(input); }, [&] { dialogShown(""); }}},
        {Command::NewRecord, {[&] { FocusTree(input); }, editingNewRow}},
        {Command::ToolNew, {[&] { FocusTree(input); }, editingNewRow}},
        {Command::DeleteRecord,
         {[&]
          {
              FocusFirstRow(input);
              answers.Queue(wxID_NO);
          },
          [&] { messageShown("Are you sure you want to delete this record?"); }}},
        {Command::ToolDelete,
         {[&]
          {
              FocusFirstRow(input);
              answers.Queue(wxID_NO);
          },
          [&] { messageShown("Are you sure you want to delete this record?"); }}},
        {Command::CopyPreviousBudget,
         {[&] { Prepare({"DELETE FROM Budget WHERE Period = 5"}); },
          [&] {
              EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Budget WHERE [Year] = 2016 AND Period = 5"),
                        2);
          }}},
        {Command::MovePreviousMonth,
         {[&] { FocusFirstRow(input); },
          [&]
          {
              EXPECT_EQ(rowsInMay(), --mayRows);
              EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Period = 4"), 1);
          }}},
        {Command::MoveNextMonth,
         {[&] { FocusFirstRow(input); },
          [&]
          {
              EXPECT_EQ(rowsInMay(), --mayRows);
              EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE Period = 6"), 1);
          }}},
        {Command::SplitTransaction,
         {[&] { FocusFirstRow(input); }, [&] { dialogShown("Split Transaction"); }}},
        {Command::Find,
         {[&] { FocusTree(input); },
          [&] { EXPECT_TRUE(window.Find().Field().Field()->HasFocus()); }}},
        {Command::UpdateQuotes,
         {[] {},
          [&]
          {
              EXPECT_EQ(Text("SELECT LastPrice FROM Investment"), std::to_string(m_price.load()));
              EXPECT_EQ(Scalar("SELECT CurrentBalance FROM Account WHERE AccountID = 'I1'"),
                        10 * m_price.load());
          }}},
        {Command::HelpTopics, {[] {}, [&] { documentOpened(site + "/tallybrook/help"); }}},
        {Command::QuorvelOnTheWeb, {[] {}, [&] { documentOpened(site); }}},
        {Command::OnlineTutorial, {[] {}, [&] { documentOpened(site + "/tallybrook/tutorial"); }}},
        {Command::CheckForUpdates,
         {[] {}, [&] { documentOpened(site + "/tallybrook/checkforupdates.html?version=8.1.0"); }}},
        {Command::Donate, {[] {}, [&] { documentOpened(site + "/donate.html"); }}},
        {Command::About, {[] {}, [&] { dialogShown("About Quorvel Tallybrook"); }}},
        {Command::Options, {[] {}, [&] { dialogShown("Options"); }}},
        {Command::CategoryRules, {[] {}, [&] { dialogShown("Category Rules"); }}},
        {Command::BankWebSite, {[] {}, [&] { documentOpened("http://127.0.0.1:9/bank"); }}},
        {Command::Back,
         {[] {},
          [&]
          {
              EXPECT_EQ(window.MonthSelector()->GetSelection(), 3);
              EXPECT_EQ(window.GetView().Month(), 4);
          }}},
        {Command::Forward,
         {[] {},
          [&]
          {
              EXPECT_EQ(window.MonthSelector()->GetSelection(), 4);
              EXPECT_EQ(window.GetView().Month(), 5);
          }}},
    };

    int reached = 0;
    const CommandEntry* exit = nullptr;
    for (const CommandEntry& entry : CommandTable::Entries())
    {
        if (entry.id == Command::Exit)
        {
            exit = &entry;
            continue;
        }
        std::vector<Way> ways;
        if (entry.menu)
            ways.push_back(Way::Menu);
        if (entry.toolPosition > 0)
            ways.push_back(Way::Tool);
        if (entry.key)
            ways.push_back(Way::Chord);
        for (Way way : ways)
        {
            auto expectation = expected.find(entry.id);
            if (expectation != expected.end())
                expectation->second.prepare();
            RealInput::Settle(50);
            if (!window.IsCommandEnabled(entry.id))
            {
                // Only the commands whose work comes later are greyed here.
                EXPECT_TRUE(expectation == expected.end()) << entry.id << " is greyed";
                continue;
            }
            ASSERT_NE(expectation, expected.end()) << "no expectation for " << entry.id;
            SCOPED_TRACE(std::to_string(entry.id) + " by its " + WayName(way));
            Reach(input, entry, way);
            expectation->second.check();
            ++reached;
        }
    }
    // Import 2, Export 2, Print 3, New Record 2, Copy Previous Budget 2, Split Transaction 2,
    // Find 2, and one way into each of the other seventeen enabled commands.
    EXPECT_EQ(reached, 32);

    // Exit runs last: the window ends with the closing steps of its close box.
    ASSERT_NE(exit, nullptr);
    ASSERT_TRUE(input.ClickMenuItem(*window.Menu(), CommandTable::ToolkitId(exit->id)));
    EXPECT_FALSE(window.IsShown());
    EXPECT_NE(GetSetting("Placement", "Settings"), "");
}
