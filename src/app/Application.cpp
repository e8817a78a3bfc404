#include "app/Application.h"

#include "base/AppText.h"
#include "app/Controller.h"
#include "base/Paths.h"
#include "base/ProgramArguments.h"
#include "base/Trace.h"
#include "gui/WxText.h"
#include "data/DatabaseError.h"

#include <wx/msgdlg.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

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
    wxMessageBox(ToWx(text), MessageCaption, wxOK | wxICON_ERROR, nullptr);
    // The windows are not torn down (the main window may be in any state); the temporary
    // folder goes, as it does at a normal end, so no failed start leaves files behind.
    std::fflush(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(GetTempDir(), ignored);
    std::_Exit(1);
}

bool Application::OnInit()
{
    // The framework's own command-line parsing is skipped: it would take options of its own.
    std::setlocale(LC_ALL, "");
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i].utf8_string());
    ProgramArguments parsed = ParseProgramArguments(arguments);
    if (!parsed.error.empty())
    {
        std::fprintf(stderr, "tallybrook: %s\n%s\n", parsed.error.c_str(), ProgramUsage);
        m_exitCode = 2;
    }
    else if (parsed.help)
    {
        std::printf("%s\n", ProgramUsage);
        m_exitCode = 0;
    }
    else if (!parsed.statementFile.empty())
    {
        std::error_code ignored;
        std::filesystem::path file = std::filesystem::absolute(parsed.statementFile, ignored);
        m_statementFile = file.empty() ? parsed.statementFile : file.string();
    }
    return true;
}

int Application::OnRun()
{
    if (m_exitCode)
        return *m_exitCode;
    try
    {
        StartTrace(JoinPath(GetTempDir(), "trace.txt"));
        Trace("Application.InitInstance");
        Trace("Version: 8.1.0");
        Trace("[Application.InitInstance] assigning accelerators");
        Trace("[Application.InitInstance] AfxEnableControlContainer()");

        auto* controller = new Controller();
        controller->SetStatementArgument(m_statementFile);
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
