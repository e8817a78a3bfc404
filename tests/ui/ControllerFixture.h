#pragma once

#include "app/Controller.h"
#include "data/DatabaseLocation.h"
#include "base/Paths.h"
#include "base/Trace.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/ViewKind.h"
#include "register/QvGrid.h"
#include "register/QvTreeView.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"

#include <wx/combobox.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

/// Starts the real main window on a database of the test's own, in a settings folder of
/// its own, and drives it as a user does.
class ControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        m_env.emplace("XDG_DATA_HOME", m_dir.Path().string());
        std::filesystem::create_directories(AppDir());
    }
    void TearDown() override { Destroy(); }

    std::filesystem::path AppDir() const { return m_dir.Path() / "Quorvel/Tallybrook"; }

    /// Runs SQL on the program's database before the main window opens it.
    void Prepare(const std::vector<std::string>& statements)
    {
        Database database(PrepareProgramDatabase());
        for (const std::string& sql : statements)
            database.Execute(sql);
    }
    void AddAccount(const std::string& id, const std::string& description, const std::string& type,
                    int sequence, int opening = 0)
    {
        Prepare({"INSERT INTO Account (AccountID, Description, Type, Sequence, OpeningBalance, "
                 "CurrentBalance) VALUES ('" +
                 id + "', '" + description + "', '" + type + "', " + std::to_string(sequence) +
                 ", " + std::to_string(opening) + ", 0)"});
    }

    Controller& Start()
    {
        StartTrace(JoinPath(GetTempDir(), "trace.txt"));
        m_controller = new Controller();
        m_controller->Show();
        RunPendingEvents();
        return *m_controller;
    }
    void Destroy()
    {
        if (!m_controller)
            return;
        m_controller->Hide();
        delete m_controller;
        m_controller = nullptr;
        RunPendingEvents();
    }

    QvGrid& Grid() { return *m_controller->Grid(); }
    QvTreeView& Tree() { return *m_controller->Tree(); }
    wxTreeItemId Node(const std::string& name, int kind) { return Tree().FindNode(name, kind); }
    std::vector<std::string> Children(const wxTreeItemId& item)
    {
        std::vector<std::string> names;
        wxTreeItemIdValue cookie;
        for (wxTreeItemId child = Tree().GetFirstChild(item, cookie); child.IsOk();
             child = Tree().GetNextChild(item, cookie))
            names.push_back(Tree().Text(child));
        return names;
    }
    void ShowPeriod(int month, int year)
    {
        m_controller->GetView().SetHoldRefresh(true);
        m_controller->GetView().SetPeriod(month);
        m_controller->GetView().SetYear(year);
        m_controller->GetView().SetHoldRefresh(false);
        m_controller->GetView().Refresh();
    }
    /// Presses a key where the keyboard focus would be: the cell editor while editing.
    void Press(int key)
    {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = key;
        wxWindow* target = Grid().IsEditing() ? Grid().EditorWindow() : Grid().GetGridWindow();
        event.SetEventObject(target);
        target->GetEventHandler()->ProcessEvent(event);
        RunPendingEvents();
    }
    /// Types the text of the cell being edited.
    void Type(const std::string& text)
    {
        wxWindow* editor = Grid().EditorWindow();
        ASSERT_NE(editor, nullptr);
        if (auto* combo = dynamic_cast<wxComboBox*>(editor))
            combo->ChangeValue(wxString::FromUTF8(text));
        else if (auto* field = dynamic_cast<wxTextCtrl*>(editor))
            field->ChangeValue(wxString::FromUTF8(text));
    }
    long long Scalar(const std::string& sql)
    {
        Recordset rs = m_controller->Data().Execute(sql);
        return rs.IsEOF() || rs.GetValue(0).IsNull() ? -1 : rs.GetValue(0).ToLong();
    }
    std::string Text(const std::string& sql)
    {
        Recordset rs = m_controller->Data().Execute(sql);
        return rs.IsEOF() ? "<none>" : rs.GetValue(0).ToText();
    }

    TempDir m_dir;
    std::optional<ScopedEnv> m_env;
    Controller* m_controller = nullptr;
};
