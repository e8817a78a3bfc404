#include "ui/UiTestSupport.h"

#include "ui/RealInput.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/init.h>
#include <wx/msgdlg.h>
#include <wx/webview.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
class TestApp : public wxApp
{
public:
    bool OnInit() override { return true; }
};
} // namespace

bool StartWxForTests()
{
    static bool started = false;
    static bool available = false;
    if (started)
        return available;
    started = true;
    if (!std::getenv("DISPLAY"))
        return false;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static int argc = 1;
    // A failed toolkit assertion is reported and the test goes on, instead of a dialog that
    // would wait for an answer forever.
    wxSetAssertHandler(
        [](const wxString& file, int line, const wxString& func, const wxString& cond,
           const wxString& msg)
        {
            std::fprintf(stderr, "wx assertion failed: %s:%d %s: %s %s\n", file.utf8_str().data(),
                         line, func.utf8_str().data(), cond.utf8_str().data(),
                         msg.utf8_str().data());
        });
    wxApp::SetInstance(new TestApp);
    available = wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
    std::setlocale(LC_ALL, "");
    return available;
}

bool IsCiRun()
{
    const char* ci = std::getenv("CI");
    return ci && *ci && std::string(ci) != "false" && std::string(ci) != "0";
}

void RunPendingEvents()
{
    if (!wxTheApp)
        return; // wx was never started: no display
    for (int round = 0; round < 50; ++round)
    {
        bool more = wxTheApp->HasPendingEvents();
        wxTheApp->ProcessPendingEvents();
        wxEventLoopBase* loop = wxEventLoopBase::GetActive();
        if (loop)
            while (loop->Pending())
                loop->Dispatch();
        else
            wxTheApp->Yield(true);
        if (!more && !wxTheApp->HasPendingEvents())
            break;
    }
}

MessageBoxAnswers::MessageBoxAnswers()
{
    Register();
}

MessageBoxAnswers::~MessageBoxAnswers()
{
    Unregister();
}

int MessageBoxAnswers::Enter(wxDialog* dialog)
{
    auto* box = dynamic_cast<wxMessageDialogBase*>(dialog);
    if (!box)
    {
        wxString title = dialog->GetTitle();
        // A file dialog keeps its title as its message.
        if (auto* files = dynamic_cast<wxFileDialogBase*>(dialog); files && title.empty())
            title = files->GetMessage();
        m_otherTitles.push_back(title.utf8_string());
        if (m_other)
            m_other(dialog);
        return wxID_CANCEL;
    }
    m_shown.push_back({box->GetMessage().utf8_string(), box->GetCaption().utf8_string(),
                       box->GetMessageDialogStyle()});
    if (!m_answers.empty())
    {
        int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return (box->GetMessageDialogStyle() & wxYES_NO) ? wxID_YES : wxID_OK;
}

std::string WaitForWebPage(wxWebView& web, const std::string& text)
{
    using Clock = std::chrono::steady_clock;
    std::string shown;
    for (auto until = Clock::now() + std::chrono::seconds(15); Clock::now() < until;)
    {
        RealInput::Settle(50);
        if (web.IsBusy())
            continue;
        wxString body;
        if (web.RunScript("document.readyState == 'complete' ? "
                          "document.documentElement.outerHTML : ''",
                          &body))
            shown = body.utf8_string();
        if (shown.find(text) != std::string::npos)
            break;
    }
    return shown;
}
