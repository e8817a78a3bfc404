#include "app/QvMenuStrip.h"

#include "app/CommandIds.h"

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
    // Commands chosen in the menu reach the main window like its own menu's.
    GetParent()->PopupMenu(m_menus[index], title->GetPosition().x, GetRect().GetBottom());
}

wxMenu* QvMenuStrip::FindMenuOf(int id) const
{
    for (wxMenu* menu : m_menus)
        if (menu->FindItem(Command::ToToolkitId(id)))
            return menu;
    return nullptr;
}

void QvMenuStrip::Enable(int id, bool enabled)
{
    if (wxMenu* menu = FindMenuOf(id))
        menu->Enable(Command::ToToolkitId(id), enabled);
}

bool QvMenuStrip::IsEnabled(int id) const
{
    wxMenu* menu = FindMenuOf(id);
    return menu && menu->IsEnabled(Command::ToToolkitId(id));
}
