#include "app/QvMenuStrip.h"

#include <wx/button.h>
#include <wx/menu.h>
#include <wx/sizer.h>

QvMenuStrip::QvMenuStrip(wxWindow* parent) : wxPanel(parent, wxID_ANY)
{
    SetSizer(new wxBoxSizer(wxHORIZONTAL));
}

QvMenuStrip::~QvMenuStrip()
{
    for (wxMenu* menu : m_menus)
        delete menu;
}

void QvMenuStrip::Append(wxMenu* menu, const wxString& title)
{
    std::size_t index = m_menus.size();
    m_menus.push_back(menu);
    auto* button = new wxButton(this, wxID_ANY, title, wxDefaultPosition, wxDefaultSize,
                                wxBU_EXACTFIT | wxBORDER_NONE);
    button->SetCanFocus(false);
    button->Bind(wxEVT_BUTTON, [this, index](wxCommandEvent&) { OpenMenu(index); });
    m_titles.push_back(button);
    GetSizer()->Add(button, wxSizerFlags().Border(wxLEFT | wxRIGHT, 2).CenterVertical());
    Layout();
}

void QvMenuStrip::OpenMenu(std::size_t index)
{
    if (index >= m_menus.size())
        return;
    wxWindow* title = m_titles[index];
    wxWindow* window = GetParent();
    // The chosen command runs once the menu has closed: while it is open the toolkit reports
    // the keyboard focus on the main window, which would confuse a dialog the command opens.
    int id = window->GetPopupMenuSelectionFromUser(
        *m_menus[index], wxPoint(title->GetPosition().x, GetRect().GetBottom()));
    if (id == wxID_NONE)
        return;
    // Commands chosen in the menu reach the main window like its own menu's.
    wxCommandEvent command(wxEVT_MENU, id);
    command.SetEventObject(m_menus[index]);
    window->GetEventHandler()->ProcessEvent(command);
}

wxMenu* QvMenuStrip::FindMenuOf(int itemId) const
{
    int index = MenuIndexOf(itemId);
    return index < 0 ? nullptr : m_menus[static_cast<std::size_t>(index)];
}

int QvMenuStrip::MenuIndexOf(int itemId) const
{
    for (std::size_t i = 0; i < m_menus.size(); ++i)
        if (m_menus[i]->FindItem(itemId))
            return static_cast<int>(i);
    return -1;
}

void QvMenuStrip::Enable(int itemId, bool enabled)
{
    if (wxMenu* menu = FindMenuOf(itemId))
        menu->Enable(itemId, enabled);
}

bool QvMenuStrip::IsEnabled(int itemId) const
{
    wxMenu* menu = FindMenuOf(itemId);
    return menu && menu->IsEnabled(itemId);
}
