#include "exchange/frmExport.h"

#include "base/UserInterface.h"
#include "gui/FileDialogPath.h"

#include <wx/filedlg.h>

#include <filesystem>
#include <iterator>

namespace
{
const char* const ExportFilter = "Open Financial Exchange|*.ofx|CSV (Comma delimited)|*.csv";
// The extension each filter of ExportFilter gives a name typed without one, in its order.
const char* const FilterExtensions[] = {".ofx", ".csv"};

const char* ExtensionOfFilter(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(FilterExtensions)))
        return FilterExtensions[0];
    return FilterExtensions[index];
}
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
    path += ExtensionOfFilter(dialog.GetFilterIndex());
    std::error_code error;
    if (std::filesystem::exists(path, error) &&
        !ui.AskYesNo(path + " already exists.\nDo you want to replace it?"))
        return "";
    return path;
}
