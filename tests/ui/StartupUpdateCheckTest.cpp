// The update check at start-up, against a maker's site on the loopback interface.
#include "base/AppText.h"
#include "base/Settings.h"
#include "support/LoopbackHttpServer.h"
#include "ui/ControllerFixture.h"
#include "ui/RecordedDocuments.h"
#include "update/CAutoUpdater.h"
#include "update/UpdateSchedule.h"

#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <chrono>
#include <ctime>
#include <string>

namespace
{
using Reply = LoopbackHttpServer::Reply;
constexpr std::int64_t Day = 86400;

/// A maker's site whose update file holds the given text.
LoopbackHttpServer::Handler UpdateFile(const std::string& text)
{
    return [text](const LoopbackHttpServer::Request& request) -> Reply
    {
        if (request.target == "/tallybrook/update.txt")
            return {200, text, "text/plain", "", 0, false};
        return {404, "not found", "text/html", "", 0, false};
    };
}

std::int64_t Now()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::string DaysAgo(int days)
{
    return FormatUpdateCheckDate(Now() - days * Day);
}

class StartupUpdate : public ControllerTest
{
protected:
    static std::string LastCheck() { return GetSetting("LastUpdateCheck", "Settings"); }

    /// Starts the window with a site and the date of the last check.
    void StartWith(const std::string& site, const std::string& lastCheck)
    {
        WriteSetting("SiteUrl", site, "Settings");
        WriteSetting("LastUpdateCheck", lastCheck, "Settings");
        Start();
    }

    /// Runs the window's events until the worker's answer has been handled. The check runs
    /// on a worker thread; the bound only keeps a broken check from hanging the suite.
    void WaitForTheCheck()
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (m_controller->IsUpdateCheckRunning() && std::chrono::steady_clock::now() < until)
        {
            RunPendingEvents();
            wxMilliSleep(10);
        }
        ASSERT_FALSE(m_controller->IsUpdateCheckRunning());
        RunPendingEvents();
    }
};
} // namespace

TEST_F(StartupUpdate, ANewerVersionAsksAndYesOpensTheUpdatePage)
{
    LoopbackHttpServer site(UpdateFile("8.1.1"));
    MessageBoxAnswers answers;
    RecordedDocuments documents;
    answers.Queue(wxID_YES);
    StartWith(site.BaseUrl() + "/", DaysAgo(8));
    WaitForTheCheck();
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(answers.Messages()[0].text,
              "An update is available, would you like to download it now?");
    EXPECT_EQ(answers.Messages()[0].caption, MessageCaption);
    EXPECT_TRUE(answers.Messages()[0].style & wxICON_INFORMATION);
    EXPECT_TRUE(answers.Messages()[0].style & wxYES_NO);
    EXPECT_EQ(documents.Opened(),
              std::vector<std::string>{site.BaseUrl() +
                                       "/tallybrook/checkforupdates.html?version=8.1.0"});
    EXPECT_EQ(LastCheck(), FormatUpdateCheckDate(Now()));
    ASSERT_EQ(site.Requests().size(), 1u);
    EXPECT_EQ(site.Requests()[0].target, "/tallybrook/update.txt");
    EXPECT_EQ(site.Requests()[0].userAgent, "AutoUpdateAgent");
    Destroy();

    // No opens nothing; the completed check still stores the date.
    answers.Clear();
    answers.Queue(wxID_NO);
    StartWith(site.BaseUrl(), DaysAgo(9));
    WaitForTheCheck();
    EXPECT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(documents.Opened().size(), 1u);
    EXPECT_EQ(LastCheck(), FormatUpdateCheckDate(Now()));
}

TEST_F(StartupUpdate, NoUpdateStoresTheDateAndNoAnswerLeavesIt)
{
    MessageBoxAnswers answers;
    LoopbackHttpServer equal(UpdateFile("8.1"));
    StartWith(equal.BaseUrl(), DaysAgo(8));
    WaitForTheCheck();
    EXPECT_EQ(equal.Requests().size(), 1u);
    EXPECT_EQ(LastCheck(), FormatUpdateCheckDate(Now()));
    Destroy();

    // No network (nothing listens): silent, and the next start tries again.
    std::string closed = "http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort());
    StartWith(closed, DaysAgo(8));
    WaitForTheCheck();
    EXPECT_EQ(LastCheck(), DaysAgo(8));
    EXPECT_TRUE(answers.Messages().empty());
}

TEST_F(StartupUpdate, TheFirstStartAndARecentCheckFetchNothing)
{
    LoopbackHttpServer site(UpdateFile("9.0"));
    MessageBoxAnswers answers;
    StartWith(site.BaseUrl(), "");
    EXPECT_FALSE(m_controller->IsUpdateCheckRunning());
    EXPECT_EQ(LastCheck(), FormatUpdateCheckDate(Now()));
    Destroy();

    StartWith(site.BaseUrl(), DaysAgo(6));
    EXPECT_FALSE(m_controller->IsUpdateCheckRunning());
    EXPECT_EQ(LastCheck(), DaysAgo(6));
    Destroy();
    EXPECT_TRUE(site.Requests().empty());
    EXPECT_TRUE(answers.Messages().empty());
}

TEST_F(StartupUpdate, ClosingTheWindowWhileTheSiteIsSilentAsksNothing)
{
    LoopbackHttpServer silent([](const LoopbackHttpServer::Request&) -> Reply
                              { return {200, "9.0", "text/plain", "", 0, true}; });
    MessageBoxAnswers answers;
    StartWith(silent.BaseUrl(), DaysAgo(8));
    EXPECT_TRUE(m_controller->IsUpdateCheckRunning());
    // The worker is stopped and waited for; nothing it would have said reaches anyone.
    Destroy();
    RunPendingEvents();
    EXPECT_TRUE(answers.Messages().empty());
    EXPECT_EQ(LastCheck(), DaysAgo(8));
}
