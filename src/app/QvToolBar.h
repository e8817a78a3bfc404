#pragma once

#include <wx/toolbar.h>

/// The main window's tool bar: New, Delete, Print, the bank's web site, Back and Forward.
class QvToolBar : public wxToolBar
{
public:
    static constexpr int Height = 22;

    explicit QvToolBar(wxWindow* parent);
};
