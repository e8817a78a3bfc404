#pragma once

#include "base/UserInterface.h"

#include <iosfwd>

/// The user interface of the command line: messages go to the error stream, questions are
/// answered no, and there is no status bar and no wait cursor.
class TerminalUi : public UserInterface
{
public:
    explicit TerminalUi(std::ostream& err);
    void ShowMessage(const std::string& text, Icon icon) override;
    bool AskYesNo(const std::string& question) override;
    void PushStatus(const std::string& text) override;
    void PopStatus() override;
    void BeginWait() override;
    void EndWait() override;

    /// Whether a stop message was shown.
    bool Failed() const { return m_failed; }

private:
    std::ostream& m_err;
    bool m_failed = false;
};
