#include "app/Application.h"

#include "app/AppText.h"
#include "app/Controller.h"
#include "app/Paths.h"
#include "app/Trace.h"
#include "data/DatabaseError.h"

#include <wx/msgdlg.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

[[noreturn]] void HandleFatalError(std::exception_ptr error)
{
    std::string text;
    try
    {
        std::rethrow_exception(error);
    }
    catch (const DatabaseError& ex)
    {
        Trace("[Application.InitInstance] catch (const _com_error & ex)");
        text = GetComExceptionMessage(ex);
        Trace("[Application.InitInstance] GetComExceptionMessage(ex)");
        Trace(text);
    }
    catch (...)
    {
        Trace("[Application.InitInstance] catch (...)");
        text = "Unknown exception.";
    }
    wxMessageBox(wxString::FromUTF8(text), MessageCaption, wxOK | wxICON_ERROR, nullptr);
    // Nothing is torn down: the main window may be in any state, and the temporary
    // directory with the trace log stays for whoever looks into the failure.
    std::fflush(nullptr);
    std::_Exit(1);
}

bool Application::OnInit()
{
    // The framework's own command-line parsing is skipped: the program takes no arguments.
    std::setlocale(LC_ALL, "");
    return true;
}

int Application::OnRun()
{
    try
    {
        StartTrace(JoinPath(GetTempDir(), "trace.txt"));
        Trace("Application.InitInstance");
        Trace("Version: 8.1.0");
        Trace("[Application.InitInstance] assigning accelerators");
        Trace("[Application.InitInstance] AfxEnableControlContainer()");

        auto* controller = new Controller();
        SetTopWindow(controller);
        controller->ShowModal();
        Trace("[Application.InitInstance] AFTER dlg.DoModal();");
        SetTopWindow(nullptr);
        // Deleted at once: its destruction removes the temporary directory.
        delete controller;
        return 0;
    }
    catch (...)
    {
        HandleFatalError(std::current_exception());
    }
}

bool Application::OnExceptionInMainLoop()
{
    HandleFatalError(std::current_exception());
}

void Application::OnUnhandledException()
{
    HandleFatalError(std::current_exception());
}
