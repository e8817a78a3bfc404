#pragma once

#include "gui/FileDialogPath.h"
#include "ui/UiTestSupport.h"

#include <wx/modalhook.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

/// Lets the program's own dialogs show for real and drives each through a script that runs
/// once it shows (the script clicks and types as a user does and closes it); answers message
/// boxes, recording them, and cancels every other dialog.
class ScriptedDialogs : public wxModalDialogHook
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    /// The script for the next dialog with that title.
    void Script(const std::string& title, std::function<void(wxDialog&)> script);
    /// The answer to the next message box (wxID_YES, wxID_NO, wxID_OK); OK or Yes when none.
    void Queue(int answer) { m_answers.push_back(answer); }
    const std::vector<MessageBoxAnswers::Shown>& Messages() const { return m_messages; }
    /// How many scripted dialogs of that title have shown.
    int Shown(const std::string& title) const;
    /// Titles of the dialogs that were cancelled unseen, in order.
    const std::vector<std::string>& Cancelled() const { return m_cancelled; }

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}

private:
    std::map<std::string, std::deque<std::function<void(wxDialog&)>>> m_scripts;
    std::map<std::string, int> m_shown;
    std::deque<int> m_answers;
    std::vector<MessageBoxAnswers::Shown> m_messages;
    std::vector<std::string> m_cancelled;
};

/// Picks a file in the next file dialogs, as a user choosing it does, while it lives; other
/// dialogs go to the hooks made before it. wxGTK's dialog, not shown, gives no path from
/// GetPath, so the command reads the folder and name set here.
class PickedFile : public wxModalDialogHook
{
public:
    explicit PickedFile(std::string path);
    ~PickedFile() override;

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}

private:
    std::string m_path;
    ChosenPathReader m_previous;
};
