#include "app/MainFormBase.h"

namespace Quorvel
{
MainFormBase::MainFormBase(const wxString& title, const wxPoint& position, const wxSize& size,
                           long style)
    : wxDialog(nullptr, wxID_ANY, title, position, size, style)
{
    Bind(wxEVT_MOVE,
         [this](wxMoveEvent& event)
         {
             event.Skip();
             PostStartup();
         });
    Bind(wxEVT_SHOW,
         [this](wxShowEvent& event)
         {
             event.Skip();
             if (event.IsShown())
                 PostStartup();
         });
    Bind(wxEVT_CHILD_FOCUS,
         [this](wxChildFocusEvent& event)
         {
             event.Skip();
             wxWindow* focus = wxWindow::FindFocus();
             if (focus && !IsFocusExempt(focus))
                 OnChildFocus();
         });
}

void MainFormBase::PostStartup()
{
    if (m_startupPosted || !IsShown())
        return;
    m_startupPosted = true;
    CallAfter([this] { OnStartupIdle(); });
}
} // namespace Quorvel
