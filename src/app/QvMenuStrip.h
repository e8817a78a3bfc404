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
    /// The menu that holds an item (by its toolkit identifier), or nullptr.
    wxMenu* FindMenuOf(int itemId) const;
    /// The position of the menu that holds an item, or -1.
    int MenuIndexOf(int itemId) const;
    /// The title button of the menu at a position (0 File, 1 Edit, ...).
    wxWindow* Title(std::size_t index) const { return m_titles.at(index); }
    void Enable(int itemId, bool enabled);
    bool IsEnabled(int itemId) const;
    /// Opens the menu at a position of the strip.
    void OpenMenu(std::size_t index);

private:
    std::vector<wxMenu*> m_menus;
    std::vector<wxWindow*> m_titles;
};
