#pragma once

#include <wx/gdicmn.h>
#include <wx/uiaction.h>

#include <chrono>
#include <string>

class QvMenuStrip;
class wxChoice;
class wxComboBox;
class wxGrid;
class wxToolBar;
class wxTopLevelWindow;
class wxTreeCtrl;
class wxTreeItemId;
class wxWebView;
class wxWindow;

/// Drives the real windows as a user does: mouse and keyboard input through the X server's
/// XTEST extension (wxUIActionSimulator), which GTK takes like a person's. Under Xvfb there is
/// no window manager, so the window is given the X input focus first.
class RealInput
{
public:
    explicit RealInput(wxTopLevelWindow& window);

    /// Raises the window and gives it the X input focus.
    void Activate();
    /// Lets the X server deliver what was sent and runs the work it caused, for at least ms.
    static void Settle(int ms = 60);

    /// A left click at a point of a window (its client coordinates), or at its centre.
    void Click(wxWindow* window, wxPoint at);
    void Click(wxWindow* window);
    void DoubleClick(wxWindow* window, wxPoint at);
    /// A key, with modifiers (wxMOD_CONTROL ...).
    void Key(int keyCode, int modifiers = 0);
    /// Types text (ASCII) at the keyboard focus.
    void Type(const std::string& text);

    /// Opens a menu of the strip with a click on its title, then clicks the item; false when
    /// no item was clicked: it is greyed or never showed (the menu is then closed with Escape).
    [[nodiscard]] bool ClickMenuItem(QvMenuStrip& strip, int itemId);
    /// The close box of a window: no window manager draws one here, so the toolkit is asked
    /// to close the window as a click on it does.
    void ClickCloseBox(wxTopLevelWindow& window);
    /// Clicks a tool-bar button.
    void ClickTool(wxToolBar& toolBar, int toolId);
    /// Clicks the text of a tree node.
    void ClickTreeItem(wxTreeCtrl& tree, const wxTreeItemId& item);
    /// Clicks a cell of a grid (a grid column: the shown position).
    void ClickCell(wxGrid& grid, int row, int gridCol);
    void DoubleClickCell(wxGrid& grid, int row, int gridCol);
    /// Clicks the heading of a grid column.
    void ClickHeading(wxGrid& grid, int gridCol);
    /// Opens a drop-down list with a click and clicks the item with that text.
    void ChooseItem(wxChoice& choice, const std::string& text);
    /// Opens the list of a combo box (an in-cell drop list) with a click on its button and
    /// picks the item with that text.
    void ChooseItem(wxComboBox& combo, const std::string& text);
    /// Clicks the first element of the page shown that a CSS selector finds; a test failure
    /// when none is there.
    void ClickPageElement(wxWebView& web, const std::string& selector);

private:
    /// Clicks the item of the popup menu that opens next, once it shows; a popup that runs
    /// its own loop blocks the click that opens it, so the item is clicked from a timer.
    void ClickPopupItemWhenShown(const std::string& label, int index = -1);
    void MoveTo(wxPoint screen);

    wxTopLevelWindow& m_window;
    wxUIActionSimulator m_sim;
    bool m_popupItemClicked = false; ///< the last popup item asked for was clicked
    bool m_popupDone = false;        ///< the last popup item was clicked, or given up
    std::chrono::steady_clock::time_point m_lastClickTime;
    wxPoint m_lastClickAt;
};
