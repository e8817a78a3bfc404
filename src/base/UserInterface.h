#pragma once

#include <string>

/// What core operations ask of the user: messages, confirmations, progress texts and the
/// wait cursor. The main window implements it; tests and the command-line tool replace it.
class UserInterface
{
public:
    enum class Icon
    {
        Stop,        ///< failures
        Exclamation, ///< notices and warnings
        Information,
        Question ///< Yes/No confirmations
    };

    virtual ~UserInterface() = default;

    /// A message box captioned "Quorvel Tallybrook" with an OK button.
    virtual void ShowMessage(const std::string& text, Icon icon) = 0;
    /// A Yes/No question captioned "Quorvel Tallybrook"; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    /// Shows a progress text in the status bar, keeping the one it replaces.
    virtual void PushStatus(const std::string& text) = 0;
    /// Shows again the text that the last PushStatus replaced.
    virtual void PopStatus() = 0;
    /// The wait cursor, shown from BeginWait to EndWait.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
};
