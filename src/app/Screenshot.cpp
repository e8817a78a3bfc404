#include "app/Screenshot.h"

#include "app/Controller.h"
#include "gui/WxText.h"
#include "register/QvGrid.h"
#include "register/QvTreeView.h"

#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/timer.h>

#include <cstdlib>
#include <string>

namespace
{
void SaveWindowPicture(Controller& window, const wxString& path)
{
    window.Raise();
    window.Update();
    wxRect rect = window.GetScreenRect();
    wxBitmap picture(rect.width, rect.height, 24);
    {
        wxMemoryDC memory(picture);
        wxScreenDC screen;
        memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    }
    wxImage::AddHandler(new wxPNGHandler);
    picture.SaveFile(path, wxBITMAP_TYPE_PNG);
}
} // namespace

void ScheduleScreenshot(Controller& window)
{
    const char* path = std::getenv("TALLYBROOK_SCREENSHOT");
    if (!path || !*path)
        return;
    if (const char* account = std::getenv("TALLYBROOK_SCREENSHOT_ACCOUNT"))
    {
        // An account's Sequence, or "Budget" for the budget lines.
        bool budget = std::string(account) == "Budget";
        wxTreeItemId node = window.Tree()->FindNode(budget ? "" : account, budget ? 1 : 3);
        if (!node.IsOk())
            node = window.Tree()->FindNode(account, 4);
        window.SelectNode(node);
        window.Grid()->GoToCell(std::min(2, window.Grid()->GetNumberRows() - 1), 1);
    }
    auto* timer = new wxTimer();
    wxString target = ToWx(path);
    timer->Bind(wxEVT_TIMER,
                [&window, timer, target](wxTimerEvent&)
                {
                    SaveWindowPicture(window, target);
                    timer->Stop();
                    window.CallAfter(
                        [&window, timer]
                        {
                            delete timer;
                            window.CloseWindow();
                        });
                });
    timer->StartOnce(2500);
}
