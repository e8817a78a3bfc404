#include "app/OpenDocument.h"

#include <wx/utils.h>

void OpenDocument(const std::string& target)
{
    const wxString text = wxString::FromUTF8(target);
    const wxString lower = text.Lower();
    if (lower.StartsWith("http://") || lower.StartsWith("https://") || lower.StartsWith("mailto:"))
        wxLaunchDefaultBrowser(text);
    else
        wxLaunchDefaultApplication(text);
}
