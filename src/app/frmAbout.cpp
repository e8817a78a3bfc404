#include "app/frmAbout.h"

#include "app/OpenDocument.h"
#include "base/SiteAddress.h"
#include "base/Version.h"
#include "gui/WxText.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

frmAbout::frmAbout(wxWindow* owner, const wxIcon& largeIcon)
    : wxDialog(owner, wxID_ANY, "About " + ToWx(GetVersionString("ProductName")))
{
    // Sizers rather than the fixed pixel places: the texts keep their whole height in every
    // font.
    auto* icon = new wxStaticBitmap(this, 1022, largeIcon, wxDefaultPosition, wxSize(32, 32));
    auto* texts = new wxBoxSizer(wxVERTICAL);
    texts->Add(new wxStaticText(
                   this, 1020,
                   ToWx(GetVersionString("ProductName") + " " + GetVersionString("FileVersion"))),
               0, wxBOTTOM, 6);
    texts->Add(new wxStaticText(this, 1019, ToWx(GetVersionString("LegalCopyright"))), 0, wxBOTTOM,
               6);
    m_link = new wxStaticText(this, 1021, ToWx(MakerSiteUrl()));
    wxFont underlined = m_link->GetFont();
    underlined.SetUnderlined(true);
    m_link->SetFont(underlined);
    m_link->SetForegroundColour(wxColour(0, 0, 255));
    m_link->SetCursor(wxCursor(wxCURSOR_HAND));
    m_link->Bind(wxEVT_LEFT_UP, [this](wxMouseEvent&) { OpenLink(); });
    texts->Add(m_link, 0, wxBOTTOM, 10);
    texts->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALIGN_RIGHT);

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(icon, 0, wxALL, 10);
    top->Add(texts, 1, wxTOP | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(top);
}

void frmAbout::OpenLink()
{
    OpenDocument(m_link->GetLabel().utf8_string());
}
