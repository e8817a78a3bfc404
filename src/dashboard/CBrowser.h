#pragma once

#include "dashboard/EventLink.h"

#include <wx/panel.h>

#include <functional>
#include <string>

class wxWebView;
class wxWebViewEvent;

/// The browser pane: an embedded web view (WebKitGTK) that shows the pages the program
/// writes. A navigation to an "event://" link is cancelled and handed to the owner as an
/// event; every other address is followed.
class CBrowser : public wxPanel
{
public:
    using EventHandler = std::function<void(const EventLink& event)>;

    CBrowser(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size);

    /// Who carries out the events of the page's links.
    void SetEventHandler(EventHandler handler) { m_onEvent = std::move(handler); }
    /// Shows a page file (a full path).
    void Navigate(const std::string& path);
    /// Prints the page shown with the browser's own print command.
    void Print();
    /// The web view itself; nullptr when none could be made.
    wxWebView* View() const { return m_view; }

private:
    void OnNavigating(wxWebViewEvent& event);

    wxWebView* m_view = nullptr;
    EventHandler m_onEvent;
};
