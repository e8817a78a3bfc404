#include "dashboard/CBrowser.h"

#include "dashboard/PageFile.h"
#include "gui/WxText.h"

#include <wx/sizer.h>
#include <wx/webview.h>

#include <cstdlib>

CBrowser::CBrowser(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size)
    : wxPanel(parent, id, position, size)
{
    // The pages are plain HTML with no use for GPU compositing; composited, WebKitGTK leaves
    // stale parts of a closed menu or dialog on the page where the X server has no compositor
    // (remote displays, virtual machines, Xvfb). A value the user set is kept.
    setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", 0);
    m_view = wxWebView::New(this, wxID_ANY, wxWebViewDefaultURLStr, wxDefaultPosition, size);
    if (!m_view)
        return;
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_view, wxSizerFlags(1).Expand());
    SetSizer(sizer);
    // The pages have no use for the browser's own menu.
    m_view->EnableContextMenu(false);
    m_view->Bind(wxEVT_WEBVIEW_NAVIGATING, &CBrowser::OnNavigating, this);
}

void CBrowser::Navigate(const std::string& path)
{
    if (m_view)
        m_view->LoadURL(ToWx(FileUrl(path)));
}

void CBrowser::Print()
{
    if (m_view)
        m_view->Print();
}

void CBrowser::OnNavigating(wxWebViewEvent& event)
{
    std::optional<EventLink> link = ParseEventLink(event.GetURL().utf8_string());
    if (!link)
        return;
    event.Veto();
    // Carried out once the browser has finished with the click: an event may open a modal
    // dialog or replace the page.
    if (m_onEvent)
        CallAfter([this, link = *link] { m_onEvent(link); });
}
