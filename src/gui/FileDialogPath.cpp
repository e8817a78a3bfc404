#include "gui/FileDialogPath.h"

#include <wx/filedlg.h>

namespace
{
ChosenPathReader& Reader()
{
    static ChosenPathReader reader;
    return reader;
}
} // namespace

std::string ChosenPath(const wxFileDialog& dialog)
{
    return (Reader() ? Reader()(dialog) : dialog.GetPath()).utf8_string();
}

ChosenPathReader SetChosenPathReader(ChosenPathReader reader)
{
    ChosenPathReader previous = std::move(Reader());
    Reader() = std::move(reader);
    return previous;
}
