#include "ui/ScriptedDialogs.h"

#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

#include <gtest/gtest.h>

ScriptedDialogs::ScriptedDialogs()
{
    Register();
}

ScriptedDialogs::~ScriptedDialogs()
{
    Unregister();
}

void ScriptedDialogs::Script(const std::string& title, std::function<void(wxDialog&)> script)
{
    m_scripts[title].push_back(std::move(script));
}

int ScriptedDialogs::Shown(const std::string& title) const
{
    auto count = m_shown.find(title);
    return count == m_shown.end() ? 0 : count->second;
}

int ScriptedDialogs::Enter(wxDialog* dialog)
{
    if (auto* box = dynamic_cast<wxMessageDialogBase*>(dialog))
    {
        m_messages.push_back({box->GetMessage().utf8_string(), box->GetCaption().utf8_string(),
                              box->GetMessageDialogStyle()});
        if (!m_answers.empty())
        {
            int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return (box->GetMessageDialogStyle() & wxYES_NO) ? wxID_YES : wxID_OK;
    }
    std::string title = dialog->GetTitle().utf8_string();
    auto scripts = m_scripts.find(title);
    if (scripts == m_scripts.end() || scripts->second.empty())
    {
        m_cancelled.push_back(title);
        return wxID_CANCEL;
    }
    std::function<void(wxDialog&)> script = std::move(scripts->second.front());
    scripts->second.pop_front();
    ++m_shown[title];
    dialog->CallAfter(
        [dialog, script, title]
        {
            script(*dialog);
            // A script that stopped early must not leave the test waiting on the dialog.
            if (dialog->IsModal())
            {
                ADD_FAILURE() << "the script left the dialog \"" << title << "\" open";
                dialog->EndModal(wxID_CANCEL);
            }
        });
    return wxID_NONE; // shown for real
}

PickedFile::PickedFile(std::string path) : m_path(std::move(path))
{
    Register();
    m_previous = SetChosenPathReader(
        [](const wxFileDialog& dialog)
        { return wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath(); });
}

PickedFile::~PickedFile()
{
    SetChosenPathReader(std::move(m_previous));
    Unregister();
}

int PickedFile::Enter(wxDialog* dialog)
{
    auto* files = dynamic_cast<wxFileDialog*>(dialog);
    if (!files)
        return wxID_NONE;
    files->SetPath(wxString::FromUTF8(m_path));
    return wxID_OK;
}
