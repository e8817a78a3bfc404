#include "app/OpenDocument.h"
#include "gui/WxText.h"

#include <wx/utils.h>

namespace
{
DocumentOpener& Opener()
{
    static DocumentOpener opener;
    return opener;
}
} // namespace

DocumentOpener SetDocumentOpener(DocumentOpener opener)
{
    DocumentOpener previous = std::move(Opener());
    Opener() = std::move(opener);
    return previous;
}

void OpenDocument(const std::string& target)
{
    if (Opener())
    {
        Opener()(target);
        return;
    }
    const wxString text = ToWx(target);
    const wxString lower = text.Lower();
    if (lower.StartsWith("http://") || lower.StartsWith("https://") || lower.StartsWith("mailto:"))
        wxLaunchDefaultBrowser(text);
    else
        wxLaunchDefaultApplication(text);
}
