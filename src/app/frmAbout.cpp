#include "app/frmAbout.h"

#include "app/OpenDocument.h"
#include "app/SiteAddress.h"
#include "app/Version.h"
#include "app/WxText.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

frmAbout::frmAbout(wxWindow* owner, const wxIcon& largeIcon)
    : wxDialog(owner, wxID_ANY, "About " + ToWx(GetVersionString("ProductName")))
{
    auto* icon = new wxStaticBitmap(this, 1022, largeIcon, wxPoint(8, 12), wxSize(32, 32));
    (void)icon;
    new wxStaticText(this, 1020,
                     ToWx(GetVersionString("ProductName") + " " + GetVersionString("FileVersion")),
                     wxPoint(50, 10), wxSize(210, 13));
    new wxStaticText(this, 1019, ToWx(GetVersionString("LegalCopyright")), wxPoint(50, 30),
                     wxSize(210, 13));
    m_link = new wxStaticText(this, 1021, ToWx(MakerSiteUrl()), wxPoint(50, 50), wxSize(210, 13));
    wxFont underlined = m_link->GetFont();
    underlined.SetUnderlined(true);
    m_link->SetFont(underlined);
    m_link->SetForegroundColour(wxColour(0, 0, 255));
    m_link->SetCursor(wxCursor(wxCURSOR_HAND));
    m_link->Bind(wxEVT_LEFT_UP, [this](wxMouseEvent&) { OpenLink(); });
    new wxButton(this, wxID_OK, "OK", wxPoint(185, 72), wxSize(75, 23));
    SetClientSize(273, 135);
    SetSize(wxSize(273, 135));
}

void frmAbout::OpenLink()
{
    OpenDocument(m_link->GetLabel().utf8_string());
}
