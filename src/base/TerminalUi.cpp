#include "base/TerminalUi.h"

#include <ostream>

TerminalUi::TerminalUi(std::ostream& err) : m_err(err) {}

void TerminalUi::ShowMessage(const std::string& text, Icon icon)
{
    m_err << text << "\n";
    m_failed = m_failed || icon == Icon::Stop;
}

bool TerminalUi::AskYesNo(const std::string&)
{
    return false;
}

void TerminalUi::PushStatus(const std::string&) {}

void TerminalUi::PopStatus() {}

void TerminalUi::BeginWait() {}

void TerminalUi::EndWait() {}
