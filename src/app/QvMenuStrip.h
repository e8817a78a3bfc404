#pragma once

#include <wx/panel.h>

#include <vector>

class wxMenu;

/// The main window's menu, drawn as a strip of menu titles across the top of the dialog
/// (a dialog has no menu bar of its own); each title opens its menu below it.
class QvMenuStrip : public wxPanel
{
public:
    static constexpr int Height = 26;

    explicit QvMenuStrip(wxWindow* parent);
    ~QvMenuStrip() override;

    /// Adds a menu under a title ("&File"); the strip owns it.
    void Append(wxMenu* menu, const wxString& title);
    /// The menu that holds a command (by its command number), or nullptr.
    wxMenu* FindMenuOf(int id) const;
    void Enable(int id, bool enabled);
    bool IsEnabled(int id) const;
    /// Opens the menu at a position of the strip (0 File, 1 Edit, ...).
    void OpenMenu(std::size_t index);

private:
    std::vector<wxMenu*> m_menus;
    std::vector<wxWindow*> m_titles;
};
