// A statement file named on the command line is imported once the main window shows.
#include "app/Application.h"
#include "exchange/frmSelectAccount.h"
#include "support/SampleStatement.h"
#include "ui/ControllerFixture.h"
#include "ui/ProgramHomeTest.h"
#include "ui/RealInput.h"
#include "ui/ScriptedDialogs.h"

#include <wx/choice.h>
#include <wx/init.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace
{
class StatementArgument : public ControllerTest
{
protected:
    /// Starts the main window as the program does when given a statement file.
    Controller& StartWithArgument(const std::string& path)
    {
        StartTrace(JoinPath(GetTempDir(), "trace.txt"));
        m_controller = new Controller();
        m_controller->SetStatementArgument(path);
        m_controller->Show();
        RunPendingEvents();
        return *m_controller;
    }

    ScriptedDialogs m_dialogs;
};
} // namespace

TEST_F(StatementArgument, TheFileIsImportedAfterTheWindowShowsWithTheAccountQuestion)
{
    Prepare({"INSERT INTO CategoryRule ([Column], [Rule], [Value], Category, Sequence) VALUES "
             "('Description', 'contains', 'Bakery', 'Food', 1)"});
    std::string path = m_dir.File("May statement.ofx");
    std::ofstream(path, std::ios::binary) << SampleStatement("77-100");
    bool windowShown = false;
    m_dialogs.Script("Select Account",
                     [&](wxDialog& dialog)
                     {
                         windowShown = m_controller && m_controller->IsShownOnScreen();
                         RealInput input(dialog);
                         input.ChooseItem(
                             *dynamic_cast<wxChoice*>(dialog.FindWindow(IdAccountType)), "Cash");
                         input.Click(dialog.FindWindow(IdDescription));
                         input.Type("Savings");
                         input.Click(dialog.FindWindow(wxID_OK));
                     });
    StartWithArgument(path);
    EXPECT_EQ(m_dialogs.Shown("Select Account"), 1);
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(Text("SELECT Type FROM Account WHERE AccountID = '77-100'"), "Cash");
    EXPECT_EQ(Text("SELECT Description FROM Account WHERE AccountID = '77-100'"), "Savings");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Trans WHERE AccountID = '77-100'"), 2);
    // Balances and the category rules follow, as after the Import command.
    EXPECT_EQ(Text("SELECT CurrentBalance FROM Account WHERE AccountID = '77-100'"), "87.5");
    EXPECT_EQ(Text("SELECT Category FROM Trans WHERE FITID = 'F1'"), "Food");
    EXPECT_TRUE(Node("Cash", KindAccountList).IsOk());
    EXPECT_TRUE(m_dialogs.Messages().empty());
}

TEST_F(StatementArgument, AMissingFileIsReportedAndNothingIsImported)
{
    std::string path = m_dir.File("gone.ofx");
    StartWithArgument(path);
    ASSERT_EQ(m_dialogs.Messages().size(), 1u);
    EXPECT_EQ(m_dialogs.Messages()[0].text,
              "Cannot import \"" + path + "\": there is no such file.");
    EXPECT_EQ(m_dialogs.Messages()[0].caption, "Quorvel Tallybrook");
    EXPECT_TRUE(m_dialogs.Messages()[0].style & wxICON_ERROR);
    EXPECT_EQ(m_dialogs.Shown("Select Account"), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Account"), 0);
    EXPECT_TRUE(m_controller->IsShown());
}

namespace
{
constexpr const char* HomeVariable = "TALLYBROOK_ARGUMENT_TEST_HOME";

/// Answers the program's dialogs in the child process of a death test: the Select Account
/// dialog with a new Bank account, which then also closes the main window.
class ChildDialogs : public wxModalDialogHook
{
protected:
    int Enter(wxDialog* dialog) override
    {
        if (auto* select = dynamic_cast<frmSelectAccount*>(dialog))
        {
            select->CallAfter(
                [select]
                {
                    dynamic_cast<wxTextCtrl*>(select->FindWindow(IdDescription))
                        ->ChangeValue("From the command line");
                    select->EndModal(wxID_OK);
                    // The import goes on at once; the window closes after it, from the
                    // main window's own loop (a close asked for inside this dialog's loop
                    // would not end that one).
                    wxWindow* main = select->GetParent();
                    auto* timer = new wxTimer;
                    timer->Bind(wxEVT_TIMER, [main](wxTimerEvent&) { main->Close(); });
                    timer->StartOnce(100);
                });
            return wxID_NONE;
        }
        if (dynamic_cast<wxMessageDialogBase*>(dialog))
            return wxID_OK;
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}
};

/// Runs the program with the arguments and ends the process with its exit code.
[[noreturn]] void RunProgram(std::vector<std::string> arguments)
{
    ChildDialogs hook;
    hook.Register();
    arguments.insert(arguments.begin(), "tallybrook");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(arguments.size());
    wxApp::SetInstance(new Application);
    std::exit(wxEntry(argc, argv.data()));
}

class ProgramArgument : public ProgramHomeTest
{
protected:
    ProgramArgument() : ProgramHomeTest(HomeVariable) {}
};
} // namespace

TEST_F(ProgramArgument, UnknownOptionsAndSecondFilesAreRefusedWithExitCode2)
{
    EXPECT_EXIT(
        RunProgram({"--import-all"}), testing::ExitedWithCode(2),
        "tallybrook: unknown option '--import-all'\nUsage: tallybrook \\[STATEMENT-FILE\\]");
    EXPECT_EXIT(RunProgram({"a.ofx", "b.ofx"}), testing::ExitedWithCode(2),
                "only one statement file can be imported at a time");
    EXPECT_EXIT(RunProgram({"--help"}), testing::ExitedWithCode(0), "");
    // None of them started the program.
    EXPECT_FALSE(std::filesystem::exists(m_home / "Quorvel/Tallybrook/db/qtb.mdb"));
}

TEST_F(ProgramArgument, TheProgramImportsTheFileItWasOpenedWith)
{
    std::filesystem::path file = m_home / "statement.ofx";
    if (!std::getenv(HomeVariable) || !std::filesystem::exists(file))
        std::ofstream(file, std::ios::binary) << SampleStatement("55-1");
    EXPECT_EXIT(RunProgram({file.string()}), testing::ExitedWithCode(0), "");
    Database database(std::filesystem::path(m_home / "Quorvel/Tallybrook/db/qtb.mdb").string(),
                      OpenOptions{BackupWhen::Never, false});
    EXPECT_EQ(
        database.QueryScalar("SELECT Description FROM Account WHERE AccountID = '55-1'").ToText(),
        "From the command line");
    EXPECT_EQ(database.QueryScalar("SELECT COUNT(*) FROM Trans").ToLong(), 2);
}
