#include "app/QvToolBar.h"

QvToolBar::QvToolBar(wxWindow* parent)
    : wxToolBar(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                wxTB_FLAT | wxTB_HORIZONTAL | wxTB_NODIVIDER)
{
    SetToolBitmapSize(wxSize(16, 16));
}
