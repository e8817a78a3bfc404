#include "app/Application.h"
#include "app/Controller.h"

#include "support/TempDir.h"
#include "ui/ProgramHomeTest.h"
#include "ui/UiTestSupport.h"

#include <wx/init.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace
{

/// Answers every message box with OK (a question with the given answer), reporting it on
/// standard error, and closes the main window as soon as it runs when asked to.
class TestDialogHook : public wxModalDialogHook
{
public:
    TestDialogHook(bool closeMainWindow, int answer)
        : m_closeMainWindow(closeMainWindow), m_answer(answer)
    {
    }

protected:
    int Enter(wxDialog* dialog) override
    {
        if (auto* message = dynamic_cast<wxMessageDialogBase*>(dialog))
        {
            bool error = (message->GetMessageDialogStyle() & wxICON_ERROR) != 0;
            std::fprintf(stderr, "MESSAGE BOX: %s CAPTION: %s ICON: %s\n",
                         message->GetMessage().utf8_str().data(),
                         message->GetCaption().utf8_str().data(), error ? "error" : "other");
            return (message->GetMessageDialogStyle() & wxYES_NO) != 0 ? m_answer : wxID_OK;
        }
        if (auto* controller = dynamic_cast<Controller*>(dialog); controller && m_closeMainWindow)
            controller->CallAfter([controller] { controller->Close(); });
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}

private:
    bool m_closeMainWindow;
    int m_answer;
};

/// Runs the program as the desktop starts it and ends the process with its exit code.
[[noreturn]] void RunProgram(bool closeMainWindow, int answer = wxID_NO)
{
    TestDialogHook hook(closeMainWindow, answer);
    hook.Register();
    char name[] = "tallybrook";
    char* argv[] = {name, nullptr};
    int argc = 1;
    wxApp::SetInstance(new Application);
    std::exit(wxEntry(argc, argv));
}

constexpr const char* HomeVariable = "TALLYBROOK_UI_TEST_HOME";

class StartupTest : public ProgramHomeTest
{
protected:
    StartupTest() : ProgramHomeTest(HomeVariable) {}
};

} // namespace

TEST_F(StartupTest, MissingDatabaseFileEndsWithMessageBoxAndLeavesNoTempFolder)
{
    std::filesystem::create_directories(AppDir());
    std::ofstream(AppDir() / "qvtb.ini")
        << "[Settings]\nDatabasePath=" << (m_home / "missing.mdb").string() << "\n";

    EXPECT_EXIT(RunProgram(false), testing::ExitedWithCode(1),
                "MESSAGE BOX: Could not find file [^\n]*\\(-2147467259\\) CAPTION: Quorvel "
                "Tallybrook ICON: error");

    EXPECT_FALSE(std::filesystem::exists(AppDir() / "temp"));
    EXPECT_FALSE(std::filesystem::exists(m_home / "missing.mdb"));
}

TEST_F(StartupTest, ADamagedDatabaseIsOfferedItsNewestBackup)
{
    // The first start makes the database and, after it, the backup copy.
    EXPECT_EXIT(RunProgram(true), testing::ExitedWithCode(0), "");
    std::filesystem::path database = AppDir() / "db/qtb.mdb";
    ASSERT_TRUE(std::filesystem::exists(database.string() + ".bak"));
    std::filesystem::resize_file(database, 0);

    // No: the start ends as before, and nothing is changed.
    EXPECT_EXIT(RunProgram(false, wxID_NO), testing::ExitedWithCode(1),
                "MESSAGE BOX: The database '" + database.string() +
                    "' cannot be opened:\nThe database '[^\n]*' is damaged: the file is "
                    "empty.\n\nRestore the newest good backup, taken [-0-9: ]+ with 0 "
                    "transactions\\?\nThe damaged file is kept as 'qtb.mdb.damaged-[-0-9]+'.");
    EXPECT_EQ(std::filesystem::file_size(database), 0u);

    // Yes: the backup takes its place, the damaged file stays beside it, the program runs.
    EXPECT_EXIT(RunProgram(true, wxID_YES), testing::ExitedWithCode(0), "Restore the newest");
    EXPECT_GT(std::filesystem::file_size(database), 0u);
    int kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(database.parent_path()))
        kept += entry.path().filename().string().starts_with("qtb.mdb.damaged-") ? 1 : 0;
    EXPECT_EQ(kept, 1);
}

/// The processes other than this one whose environment holds the text (the program's helper
/// processes inherit its environment).
std::vector<int> ProcessesWithEnvironment(const std::string& text)
{
    std::vector<int> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc"))
    {
        std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        int pid = std::stoi(name);
        if (pid == static_cast<int>(getpid()))
            continue;
        std::ifstream environment(entry.path() / "environ", std::ios::binary);
        std::string all((std::istreambuf_iterator<char>(environment)),
                        std::istreambuf_iterator<char>());
        if (all.find(text) != std::string::npos)
            found.push_back(pid);
    }
    return found;
}

TEST_F(StartupTest, FirstStartCreatesDatabaseAndCloseRemovesTempDir)
{
    EXPECT_EXIT(RunProgram(true), testing::ExitedWithCode(0), "");

    EXPECT_TRUE(std::filesystem::exists(AppDir() / "db/qtb.mdb"));
    EXPECT_FALSE(std::filesystem::exists(AppDir() / "temp"));
    // The browser's helper processes end with the program.
    std::string marker = std::string(HomeVariable) + "=" + m_home.string();
    std::vector<int> left = ProcessesWithEnvironment(marker);
    for (int wait = 0; wait < 100 && !left.empty(); ++wait)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        left = ProcessesWithEnvironment(marker);
    }
    EXPECT_TRUE(left.empty()) << left.size() << " helper processes are still running";
}
