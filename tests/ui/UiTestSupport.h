#pragma once

#include <wx/modalhook.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class wxWebView;

class wxWindow;

/// Starts wx once in the test process; false without a display.
bool StartWxForTests();
/// Whether this is a CI run (CI=true), where a window test without a display fails.
bool IsCiRun();

/// Starts wx, or ends the test: skipped on a developer's machine without a display, failed
/// in CI, where a broken Xvfb must not pass for a green run.
#define REQUIRE_DISPLAY()                                                                          \
    do                                                                                             \
    {                                                                                              \
        if (!StartWxForTests())                                                                    \
        {                                                                                          \
            if (IsCiRun())                                                                         \
                GTEST_FAIL() << "no display: the window tests need one (xvfb-run)";                \
            GTEST_SKIP() << "needs a display (run under xvfb-run)";                                \
        }                                                                                          \
    } while (false)
/// Runs posted work (CallAfter, queued events) until none is left.
void RunPendingEvents();

/// Answers the message boxes that appear, records them, and answers other modal dialogs
/// through a callback given by the test.
class MessageBoxAnswers : public wxModalDialogHook
{
public:
    struct Shown
    {
        std::string text;
        std::string caption;
        long style;
    };

    MessageBoxAnswers();
    ~MessageBoxAnswers() override;

    /// The answer to the next message box (wxID_YES, wxID_NO, wxID_OK); OK or Yes when none.
    void Queue(int answer) { m_answers.push_back(answer); }
    const std::vector<Shown>& Messages() const { return m_shown; }
    /// Checks each other modal dialog before it is answered with Cancel.
    void OnOtherDialog(std::function<void(wxDialog*)> check) { m_other = std::move(check); }
    /// Titles of the other modal dialogs, in order.
    const std::vector<std::string>& OtherDialogs() const { return m_otherTitles; }
    void Clear() { m_shown.clear(); }

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}

private:
    std::deque<int> m_answers;
    std::vector<Shown> m_shown;
    std::function<void(wxDialog*)> m_other;
    std::vector<std::string> m_otherTitles;
};

/// The text of the page a browser pane shows now, once it holds the text looked for (or
/// after 15 s), events handled meanwhile.
std::string WaitForWebPage(wxWebView& web, const std::string& text);
