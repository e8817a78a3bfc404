#pragma once

#include <wx/bitmap.h>
#include <wx/icon.h>

/// The program's own small images, drawn in code.
namespace AppImages
{
/// The tool bar's six 16 x 16 images side by side (96 x 16) on magenta, which is transparent.
wxBitmap ToolBarStrip();
/// The tree's two 16 x 16 images side by side (32 x 16): selected, then normal; magenta is
/// transparent.
wxBitmap TreeStrip();
/// The program icon at a size (16 or 32).
wxIcon ProgramIcon(int size);
/// Cuts image n of a strip of square images, with magenta as the mask colour.
wxBitmap Cut(const wxBitmap& strip, int index);
} // namespace AppImages
