#include "exchange/frmExport.h"

#include "gui/FileDialogPath.h"
#include "base/UserInterface.h"

#include <wx/filedlg.h>

#include <filesystem>

namespace
{
const char* const ExportFilter = "Open Financial Exchange|*.ofx|CSV (Comma delimited)|*.csv";
const char* const DefaultExtension = ".ofx";

} // namespace

std::string ChooseExportPath(wxWindow* parent, UserInterface& ui)
{
    wxFileDialog dialog(parent, "Export", "", "", ExportFilter, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return "";
    std::string path = ChosenPath(dialog);
    if (path.empty() || std::filesystem::path(path).has_extension())
        return path;
    // The dialog asked about the name as typed; the file written is the one with the
    // extension, so a file of that name is asked about here.
    path += DefaultExtension;
    std::error_code error;
    if (std::filesystem::exists(path, error) &&
        !ui.AskYesNo(path + " already exists.\nDo you want to replace it?"))
        return "";
    return path;
}
