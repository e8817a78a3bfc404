#pragma once

#include <wx/toolbar.h>

/// The main window's tool bar; its buttons come from the command table.
class QvToolBar : public wxToolBar
{
public:
    static constexpr int Height = 22;

    explicit QvToolBar(wxWindow* parent);
};
