#pragma once

#include <wx/app.h>

#include <exception>
#include <optional>
#include <string>

/// The program: runs the main window as a modal dialog and ends the process on any error
/// that reaches it.
class Application : public wxApp
{
public:
    bool OnInit() override;
    /// The whole life of the program; returns the exit code of a normal end.
    int OnRun() override;
    /// An exception that escaped an event handler ends the program like one at start-up.
    bool OnExceptionInMainLoop() override;
    void OnUnhandledException() override;

private:
    /// The statement file named on the command line; "" for none.
    std::string m_statementFile;
    /// When set, the exit code of a command line that asked for no window.
    std::optional<int> m_exitCode;
};

/// Traces the error, shows it in a message box without owner and ends the process with
/// exit code 1 at once, leaving the main window, the temporary directory and the trace log
/// in place.
[[noreturn]] void HandleFatalError(std::exception_ptr error);
