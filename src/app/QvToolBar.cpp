#include "app/QvToolBar.h"

#include "app/AppImages.h"
#include "app/CommandIds.h"

QvToolBar::QvToolBar(wxWindow* parent)
    : wxToolBar(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                wxTB_FLAT | wxTB_HORIZONTAL | wxTB_NODIVIDER)
{
    SetToolBitmapSize(wxSize(16, 16));
    wxBitmap strip = AppImages::ToolBarStrip();
    struct Button
    {
        int id;
        const char* tip;
        bool separatorBefore;
    };
    const Button buttons[] = {
        {Command::ToolNew, "New", false}, {Command::ToolDelete, "Delete", false},
        {Command::Print, "Print", true},  {Command::BankWebSite, "Go to your bank's website", true},
        {Command::Back, "Back", true},    {Command::Forward, "Forward", false},
    };
    int image = 0;
    for (const Button& button : buttons)
    {
        if (button.separatorBefore)
            AddSeparator();
        AddTool(Command::ToToolkitId(button.id), "", AppImages::Cut(strip, image++), button.tip);
    }
    Realize();
}
