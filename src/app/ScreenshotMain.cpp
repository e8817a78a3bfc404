// tallybrook-screenshot: starts the program as usual and saves a picture of its main window
// (see Screenshot.h); scripts/screenshot.sh runs it on a demo database under Xvfb.
#include "app/Application.h"
#include "app/Controller.h"
#include "base/Paths.h"
#include "app/Screenshot.h"
#include "base/Trace.h"

#include <clocale>

namespace
{
class ScreenshotApp : public Application
{
public:
    int OnRun() override
    {
        try
        {
            StartTrace(JoinPath(GetTempDir(), "trace.txt"));
            auto* controller = new Controller();
            SetTopWindow(controller);
            controller->CallAfter([controller] { ScheduleScreenshot(*controller); });
            controller->ShowModal();
            SetTopWindow(nullptr);
            delete controller;
            return 0;
        }
        catch (...)
        {
            HandleFatalError(std::current_exception());
        }
    }
};
} // namespace

wxIMPLEMENT_APP(ScreenshotApp);
