#include "ui/RealInput.h"

#include "app/QvMenuStrip.h"

#include <wx/app.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/grid.h>
#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/toolbar.h>
#include <wx/toplevel.h>
#include <wx/treectrl.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace
{
using Clock = std::chrono::steady_clock;
constexpr auto DoubleClickPause = std::chrono::milliseconds(600);
constexpr auto PopupSettleTime = std::chrono::milliseconds(250);

std::string WithoutMnemonics(const char* label)
{
    std::string text;
    for (const char* c = label; c && *c; ++c)
        if (*c != '_')
            text += *c;
    return text;
}

/// The menu items of the popup menus that show now, in their order.
void CollectShownMenuItems(GtkWidget* widget, std::vector<GtkWidget*>& items)
{
    if (GTK_IS_MENU_ITEM(widget) && !GTK_IS_SEPARATOR_MENU_ITEM(widget))
    {
        if (gtk_widget_get_visible(widget))
            items.push_back(widget);
        return;
    }
    if (GTK_IS_CONTAINER(widget))
    {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child; child = child->next)
            CollectShownMenuItems(GTK_WIDGET(child->data), items);
        g_list_free(children);
    }
}

std::vector<GtkWidget*> ShownPopupItems()
{
    std::vector<GtkWidget*> items;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next)
    {
        GtkWidget* window = GTK_WIDGET(w->data);
        if (gtk_window_get_window_type(GTK_WINDOW(window)) == GTK_WINDOW_POPUP &&
            gtk_widget_get_mapped(window))
            CollectShownMenuItems(window, items);
    }
    g_list_free(windows);
    return items;
}

/// The centre of a widget on the screen; false while it is not laid out.
bool ScreenCentre(GtkWidget* widget, wxPoint& centre)
{
    GdkWindow* window = gtk_widget_get_window(widget);
    GtkAllocation area;
    gtk_widget_get_allocation(widget, &area);
    if (!window || area.width <= 1 || area.height <= 1)
        return false;
    int x = 0;
    int y = 0;
    gdk_window_get_origin(window, &x, &y);
    centre = wxPoint(x + area.x + area.width / 2, y + area.y + area.height / 2);
    return true;
}
} // namespace

RealInput::RealInput(wxTopLevelWindow& window) : m_window(window)
{
    Activate();
}

void RealInput::Activate()
{
    m_window.Raise();
    // Without a window manager, presenting the window sets the X input focus on it.
    gtk_window_present_with_time(GTK_WINDOW(m_window.GetHandle()), GDK_CURRENT_TIME);
    Settle(150);
}

void RealInput::Settle(int ms)
{
    auto until = Clock::now() + std::chrono::milliseconds(ms);
    int quiet = 0;
    while (Clock::now() < until || quiet < 3)
    {
        gdk_display_sync(gdk_display_get_default());
        bool busy = wxTheApp->HasPendingEvents() || gtk_events_pending();
        wxTheApp->Yield(true);
        quiet = busy ? 0 : quiet + 1;
        wxMilliSleep(5);
        if (Clock::now() > until + std::chrono::seconds(5))
            break;
    }
}

void RealInput::MoveTo(wxPoint screen)
{
    m_sim.MouseMove(screen);
    Settle(20);
}

void RealInput::Click(wxWindow* window, wxPoint at)
{
    wxPoint screen = window->ClientToScreen(at);
    // Two clicks in one place within the double-click time are one double click: a user
    // clicking twice pauses between them.
    auto since = Clock::now() - m_lastClickTime;
    if (since < DoubleClickPause && (screen - m_lastClickAt).x == 0 &&
        (screen - m_lastClickAt).y == 0)
        Settle(static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(DoubleClickPause - since)
                .count()));
    MoveTo(screen);
    m_sim.MouseClick();
    m_lastClickTime = Clock::now();
    m_lastClickAt = screen;
    Settle();
}

void RealInput::Click(wxWindow* window)
{
    wxSize size = window->GetClientSize();
    Click(window, wxPoint(size.x / 2, size.y / 2));
}

void RealInput::DoubleClick(wxWindow* window, wxPoint at)
{
    MoveTo(window->ClientToScreen(at));
    m_sim.MouseDblClick();
    Settle();
}

void RealInput::Key(int keyCode, int modifiers)
{
    m_sim.Char(keyCode, modifiers);
    Settle();
}

void RealInput::Type(const std::string& text)
{
    m_sim.Text(text.c_str());
    Settle();
}

void RealInput::ClickPopupItemWhenShown(const std::string& label, int index)
{
    auto* timer = new wxTimer;
    auto started = Clock::now();
    auto shown = std::make_shared<Clock::time_point>();
    timer->Bind(wxEVT_TIMER,
                [this, timer, label, index, started, shown](wxTimerEvent&)
                {
                    std::vector<GtkWidget*> items = ShownPopupItems();
                    // A menu takes a moment after it shows before it takes clicks.
                    if (items.empty())
                        *shown = Clock::time_point();
                    else if (*shown == Clock::time_point())
                        *shown = Clock::now();
                    if (items.empty() || Clock::now() - *shown < PopupSettleTime)
                        items.clear();
                    for (std::size_t i = 0; i < items.size(); ++i)
                    {
                        GtkWidget* item = items[i];
                        wxPoint centre;
                        // A drop-down list's items show their text in cell views, not labels.
                        const char* text = gtk_menu_item_get_label(GTK_MENU_ITEM(item));
                        bool wanted =
                            text ? WithoutMnemonics(text) == label : static_cast<int>(i) == index;
                        if (!wanted || !ScreenCentre(item, centre))
                            continue;
                        timer->Stop();
                        m_popupDone = true;
                        if (!gtk_widget_is_sensitive(item))
                        {
                            // A greyed item does not close its menu: Escape does.
                            m_sim.Char(WXK_ESCAPE);
                            timer->CallAfter([timer] { delete timer; });
                            return;
                        }
                        m_sim.MouseMove(centre);
                        wxMilliSleep(30);
                        m_sim.MouseClick();
                        m_popupItemClicked = true;
                        timer->CallAfter([timer] { delete timer; });
                        return;
                    }
                    if (Clock::now() - started > std::chrono::seconds(5))
                    {
                        // Nothing to click: Escape closes whatever opened.
                        timer->Stop();
                        m_popupDone = true;
                        m_sim.Char(WXK_ESCAPE);
                        timer->CallAfter([timer] { delete timer; });
                    }
                });
    timer->Start(40);
}

bool RealInput::ClickMenuItem(QvMenuStrip& strip, int itemId)
{
    int index = strip.MenuIndexOf(itemId);
    if (index < 0)
        throw std::runtime_error("no menu item " + std::to_string(itemId));
    wxMenuItem* item = strip.FindMenuOf(itemId)->FindItem(itemId);
    m_popupItemClicked = false;
    m_popupDone = false;
    ClickPopupItemWhenShown(item->GetItemLabelText().utf8_string());
    Click(strip.Title(static_cast<std::size_t>(index)));
    // The item is clicked once its menu has settled; the answer waits for that.
    for (auto until = Clock::now() + std::chrono::seconds(8); !m_popupDone && Clock::now() < until;)
        Settle(20);
    Settle(200);
    return m_popupItemClicked;
}

void RealInput::ClickCloseBox(wxTopLevelWindow& window)
{
    gtk_window_close(GTK_WINDOW(window.GetHandle()));
    Settle();
}

GtkToolbar* FindGtkToolbar(GtkWidget* widget)
{
    if (GTK_IS_TOOLBAR(widget))
        return GTK_TOOLBAR(widget);
    GtkToolbar* found = nullptr;
    if (GTK_IS_CONTAINER(widget))
    {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child && !found; child = child->next)
            found = FindGtkToolbar(GTK_WIDGET(child->data));
        g_list_free(children);
    }
    return found;
}

void RealInput::ClickTool(wxToolBar& toolBar, int toolId)
{
    // The toolkit tells where a button is, by its place among the bar's items.
    GtkToolbar* bar = FindGtkToolbar(toolBar.GetHandle());
    int position = toolBar.GetToolPos(toolId);
    GtkToolItem* item = bar && position >= 0 ? gtk_toolbar_get_nth_item(bar, position) : nullptr;
    wxPoint centre;
    if (!item || !ScreenCentre(GTK_WIDGET(item), centre))
        throw std::runtime_error("no tool " + std::to_string(toolId));
    MoveTo(centre);
    m_sim.MouseClick();
    Settle();
}

void RealInput::ClickTreeItem(wxTreeCtrl& tree, const wxTreeItemId& item)
{
    wxRect rect;
    if (!tree.GetBoundingRect(item, rect, true))
        throw std::runtime_error("tree item not shown");
    Click(&tree, wxPoint(rect.x + std::min(rect.width / 2, 20), rect.y + rect.height / 2));
}

void RealInput::ClickCell(wxGrid& grid, int row, int gridCol)
{
    grid.MakeCellVisible(row, gridCol);
    wxRect rect = grid.CellToRect(row, gridCol);
    wxPoint at = grid.CalcScrolledPosition(rect.GetPosition());
    Click(grid.GetGridWindow(), at + wxPoint(std::min(rect.width / 2, 8), rect.height / 2));
}

void RealInput::DoubleClickCell(wxGrid& grid, int row, int gridCol)
{
    grid.MakeCellVisible(row, gridCol);
    wxRect rect = grid.CellToRect(row, gridCol);
    wxPoint at = grid.CalcScrolledPosition(rect.GetPosition());
    DoubleClick(grid.GetGridWindow(), at + wxPoint(std::min(rect.width / 2, 8), rect.height / 2));
}

void RealInput::ClickHeading(wxGrid& grid, int gridCol)
{
    wxRect cell = grid.CellToRect(0, gridCol);
    int x = grid.CalcScrolledPosition(cell.GetPosition()).x;
    Click(grid.GetGridColLabelWindow(), wxPoint(x + cell.width / 2, grid.GetColLabelSize() / 2));
}

void RealInput::ChooseItem(wxChoice& choice, const std::string& text)
{
    int index = choice.FindString(wxString::FromUTF8(text), true);
    if (index == wxNOT_FOUND)
        throw std::runtime_error("no item " + text);
    // The list opens with the chosen item under the pointer, which may push the items above
    // it off the screen, under the list's scroll arrow: the arrow keys reach every item.
    int steps = index - choice.GetSelection();
    Click(&choice);
    Settle(300);
    for (int i = 0; i < std::abs(steps); ++i)
        m_sim.Char(steps > 0 ? WXK_DOWN : WXK_UP);
    Settle(50);
    Key(WXK_RETURN);
    Settle(100);
}

void RealInput::ChooseItem(wxComboBox& combo, const std::string& text)
{
    int index = combo.FindString(wxString::FromUTF8(text), true);
    if (index == wxNOT_FOUND)
        throw std::runtime_error("no item " + text);
    // The list's button is at the right end of the box; the list opens on the chosen item,
    // or on the first when none is chosen.
    int steps = index - std::max(0, combo.GetSelection());
    wxSize size = combo.GetClientSize();
    Click(&combo, wxPoint(size.x - 8, size.y / 2));
    Settle(300);
    for (int i = 0; i < std::abs(steps); ++i)
        m_sim.Char(steps > 0 ? WXK_DOWN : WXK_UP);
    Settle(50);
    Key(WXK_RETURN);
    Settle(100);
}

void RealInput::ClickPageElement(wxWebView& web, const std::string& selector)
{
    wxString box;
    ASSERT_TRUE(web.RunScript("(function(){var e=document.querySelector(\"" + selector +
                                  "\"); if(!e) return ''; var r=e.getBoundingClientRect(); "
                                  "return Math.round(r.left+Math.min(r.width/2,10))+' '+"
                                  "Math.round(r.top+r.height/2);})()",
                              &box));
    long x = 0;
    long y = 0;
    ASSERT_TRUE(box.BeforeFirst(' ').ToLong(&x) && box.AfterFirst(' ').ToLong(&y))
        << selector << " is not in the page";
    Click(&web, wxPoint(static_cast<int>(x), static_cast<int>(y)));
    Settle(200);
}
