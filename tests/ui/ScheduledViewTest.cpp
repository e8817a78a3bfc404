// Scheduled transactions in the main window, driven as a user does: a schedule typed into the
// Scheduled view, the program started again on a later day, the due occurrences answered in
// their dialog and found in the register and on the home page; automatic ones entered unasked,
// Later and Skip, a change of date while the window is open, and Enter Scheduled Now.

#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/frmScheduledDue.h"
#include "dashboard/QvDashboard.h"
#include "data/Today.h"
#include "data/ViewColumns.h"
#include "schedule/ScheduleStore.h"
#include "support/RegionEnv.h"
#include "ui/ControllerFixture.h"
#include "ui/RealInput.h"
#include "ui/ScriptedDialogs.h"

#include <wx/checkbox.h>
#include <wx/webview.h>

#include <string>
#include <vector>

namespace
{
DateTime Day(int year, int month, int day)
{
    return DateTime{year, month, day, 0, 0, 0};
}

const std::string DueTitle = "Scheduled transactions due";

class ScheduledView : public ControllerTest
{
protected:
    void TearDown() override
    {
        ControllerTest::TearDown();
        SetToday(std::nullopt);
    }

    Controller& StartShown()
    {
        Controller& window = Start();
        m_input.emplace(window);
        m_input->Activate();
        return window;
    }

    /// Types into the grid's current cell and goes on to the next with Tab.
    void TypeCell(const std::string& text)
    {
        m_input->Type(text);
        m_input->Key(WXK_TAB);
        RealInput::Settle(150);
    }

    /// The grid row of the schedule with an ID; -1 when none shows it.
    int RowOfSchedule(int id)
    {
        for (int row = 1; row < Grid().GetNumberRows(); ++row)
            if (Grid().CellTextValue(row, ScheduleColumn::ScheduleId) == std::to_string(id))
                return row;
        return -1;
    }

    /// Each row of the dialog: "LABEL|DATE|AMOUNT|ticked or not".
    static std::vector<std::string> Offered(wxDialog& dialog)
    {
        std::vector<std::string> rows;
        for (int i = 0;; ++i)
        {
            auto* check = dynamic_cast<wxCheckBox*>(dialog.FindWindow(IdDueFirstCheck + i));
            if (!check)
                return rows;
            auto value = [&dialog](int id)
            {
                auto* field = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
                return field ? field->GetValue().utf8_string() : std::string("?");
            };
            rows.push_back(check->GetLabel().utf8_string() + "|" + value(IdDueFirstDate + i) + "|" +
                           value(IdDueFirstAmount + i) + (check->GetValue() ? "|ticked" : "|not"));
        }
    }

    /// Gym, asking, monthly on the 5th from January 2027; Salary, unasked, on the last day.
    void PrepareGymAndSalary()
    {
        AddAccount("A1", "Checking", "Bank", 1);
        Database db(PrepareProgramDatabase());
        Schedule gym;
        gym.accountId = "A1";
        gym.description = "Gym";
        gym.amount = Currency::FromWhole(-30);
        gym.rule.first = Day(2027, 1, 5);
        gym.askFirst = true;
        AddSchedule(db, gym);
        Schedule salary = gym;
        salary.description = "Salary";
        salary.amount = Currency::FromWhole(2500);
        salary.rule.first = Day(2027, 1, 31);
        salary.rule.dayOfMonth = ScheduleRule::LastDay;
        salary.askFirst = false;
        AddSchedule(db, salary);
    }

    LocaleEnv m_locale{"C.UTF-8"};
    std::optional<RealInput> m_input;
};
} // namespace

TEST_F(ScheduledView, AScheduleTypedInTheViewIsOfferedAfterARestartAndEnteredAsAnswered)
{
    SetToday(Day(2026, 12, 8));
    AddAccount("A1", "Checking", "Bank", 1);
    Controller& window = StartShown();
    ScriptedDialogs dialogs;
    m_input->ClickTreeItem(Tree(), Node("", KindScheduled));
    ASSERT_EQ(window.GetView().Kind(), KindScheduled);
    m_input->ClickCell(Grid(), 0, Grid().GridColumn(ScheduleColumn::NextDate));
    for (const char* text : {"2026-12-20", "A1", "Rent", "-700", "Housing", "Monthly"})
        TypeCell(text);
    m_input->Type("Ask");
    m_input->Key(WXK_RETURN);
    RealInput::Settle(300);
    EXPECT_TRUE(dialogs.Messages().empty());
    // Stored, and shown as the program words it: monthly on the day of its date.
    ASSERT_EQ(RowOfSchedule(1), 1);
    EXPECT_EQ(Grid().CellTextValue(1, ScheduleColumn::Description), "Rent");
    EXPECT_EQ(Grid().CellTextValue(1, ScheduleColumn::Repeats), "Monthly on the 20th");
    EXPECT_EQ(Grid().CellTextValue(1, ScheduleColumn::Entry), "Ask");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans"), 0);

    // A schedule whose day has come is entered as soon as it is stored.
    m_input->ClickCell(Grid(), 0, Grid().GridColumn(ScheduleColumn::NextDate));
    for (const char* text : {"2026-12-08", "A1", "Streaming", "-15.99", "", "Monthly"})
        TypeCell(text);
    m_input->Key(WXK_RETURN);
    RealInput::Settle(300);
    EXPECT_EQ(Text("SELECT Amount FROM Trans WHERE ScheduleID = 2 AND PostDate = #12/8/2026#"),
              "-15.99");
    EXPECT_EQ(ReadSchedule(window.Data(), 2).value_or(Schedule{}).nextIndex, 1);
    EXPECT_EQ(RowOfSchedule(2), 2);

    // Two months later: December's and January's occurrences, oldest first; January's
    // amount changed before Enter.
    Destroy();
    SetToday(Day(2027, 2, 10));
    std::vector<std::string> offered;
    dialogs.Script(DueTitle,
                   [&](wxDialog& dialog)
                   {
                       offered = Offered(dialog);
                       RealInput input(dialog);
                       input.Click(dialog.FindWindow(IdDueFirstAmount + 1));
                       input.Key('A', wxMOD_CONTROL);
                       input.Type("-725.50");
                       input.Click(dialog.FindWindow(IdDueEnter));
                   });
    Controller& again = StartShown();
    ASSERT_EQ(dialogs.Shown(DueTitle), 1);
    ASSERT_EQ(offered.size(), 2U);
    EXPECT_EQ(offered[0].substr(0, offered[0].find('|')), "Rent (A1)");
    EXPECT_NE(offered[0].find("|-700|ticked"), std::string::npos) << offered[0];
    EXPECT_NE(offered[1].find("|-700|ticked"), std::string::npos) << offered[1];
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE ScheduleID = 1"), 2);
    EXPECT_EQ(Text("SELECT Amount FROM Trans WHERE PostDate = #12/20/2026#"), "-700");
    EXPECT_EQ(Text("SELECT Amount FROM Trans WHERE PostDate = #1/20/2027#"), "-725.5");
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE PostDate = #1/20/2027#"), "Housing");
    // -700 - 725.50, and streaming's December, January and February: 3 x -15.99.
    EXPECT_EQ(Text("SELECT CurrentBalance FROM Account WHERE AccountID = 'A1'"), "-1473.47");

    // January's row in the register.
    ShowPeriod(1, 2027);
    m_input->ClickTreeItem(Tree(), Node("1", KindRegister));
    ASSERT_EQ(again.GetView().Kind(), KindRegister);
    ASSERT_EQ(Grid().GetNumberRows(), 3);
    EXPECT_EQ(Grid().CellTextValue(1, RegisterColumn::Description), "Rent");
    EXPECT_EQ(Grid().CellTextValue(2, RegisterColumn::Description), "Streaming");
    EXPECT_EQ(Grid().CellTextValue(1, RegisterColumn::Amount), "-725.5");

    // February's occurrence, ten days ahead, on the home page; its link leads to the schedule.
    m_input->ClickTreeItem(Tree(), Tree().GetRootItem());
    wxWebView& web = *again.Dashboard()->View();
    std::string page = WaitForWebPage(web, "Coming up");
    EXPECT_NE(page.find("Rent"), std::string::npos) << page;
    EXPECT_NE(page.find("-700.00"), std::string::npos) << page;
    m_input->ClickPageElement(web, "a[href='event://selectSchedule?1']");
    ASSERT_EQ(again.GetView().Kind(), KindScheduled);
    EXPECT_EQ(Grid().GetGridCursorRow(), RowOfSchedule(1));
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(ScheduledView, AutomaticEnteredLaterAsksAgainTheNextDayAfterTheTypedRowAndEnterNow)
{
    SetToday(Day(2027, 2, 6));
    PrepareGymAndSalary();
    ScriptedDialogs dialogs;
    std::vector<std::string> offered;
    dialogs.Script(DueTitle,
                   [&](wxDialog& dialog)
                   {
                       offered = Offered(dialog);
                       RealInput(dialog).Click(dialog.FindWindow(IdDueLater));
                   });
    Controller& window = StartShown();
    // Salary entered unasked; both of Gym's months asked about, and left due.
    ASSERT_EQ(dialogs.Shown(DueTitle), 1);
    EXPECT_EQ(offered.size(), 2U);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE ScheduleID = 2"), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE ScheduleID = 1"), 0);

    // The same day nothing is asked again.
    window.Due().RunWhenDue();
    EXPECT_EQ(dialogs.Shown(DueTitle), 1);

    // The next day, while the window is open and Gym's name is being typed: the dialog waits
    // for the row, then asks again; both skipped.
    m_input->ClickTreeItem(Tree(), Node("", KindScheduled));
    int row = RowOfSchedule(1);
    ASSERT_GT(row, 0);
    m_input->ClickCell(Grid(), row, Grid().GridColumn(ScheduleColumn::Description));
    m_input->Type("Gym club");
    SetToday(Day(2027, 2, 7));
    dialogs.Script(DueTitle,
                   [&](wxDialog& dialog)
                   {
                       offered = Offered(dialog);
                       RealInput(dialog).Click(dialog.FindWindow(IdDueSkip));
                   });
    window.Due().RunWhenDue();
    EXPECT_EQ(dialogs.Shown(DueTitle), 1);
    m_input->Key(WXK_RETURN);
    m_input->ClickCell(Grid(), 0, Grid().GridColumn(ScheduleColumn::Description));
    m_input->Key(WXK_ESCAPE);
    RealInput::Settle(150);
    EXPECT_EQ(Text("SELECT Description FROM Schedule WHERE ScheduleID = 1"), "Gym club");
    window.Due().RunWhenDue();
    ASSERT_EQ(dialogs.Shown(DueTitle), 2);
    ASSERT_EQ(offered.size(), 2U);
    EXPECT_EQ(offered[1].substr(0, offered[1].find('|')), "Gym club (A1)");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE ScheduleID = 1"), 0);
    EXPECT_EQ(ReadSchedule(window.Data(), 1).value_or(Schedule{}).nextIndex, 2);

    // Enter Scheduled Now on Gym: March's occurrence, on its own day.
    row = RowOfSchedule(1);
    ASSERT_GT(row, 0);
    EXPECT_EQ(Grid().CellTextValue(row, ScheduleColumn::Description), "Gym club");
    m_input->ClickCell(Grid(), row, Grid().GridColumn(ScheduleColumn::Description));
    RealInput::Settle(100);
    ASSERT_TRUE(m_input->ClickMenuItem(*window.Menu(), CommandTable::ToolkitId(Command::EnterNow)));
    RealInput::Settle(200);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE ScheduleID = 1 AND PostDate = #3/5/2027#"),
              1);
    EXPECT_EQ(ReadSchedule(window.Data(), 1).value_or(Schedule{}).nextIndex, 3);
    // Nothing else was due: no dialog, no message.
    EXPECT_EQ(dialogs.Shown(DueTitle), 2);
    EXPECT_TRUE(dialogs.Messages().empty());
}
