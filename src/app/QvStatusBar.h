#pragma once

#include <wx/statusbr.h>
#include <wx/timer.h>

#include <string>
#include <vector>

/// The main window's status bar: hints in pane 0 with a stack of progress texts, today's
/// date in pane 1 and the time of day in pane 2, refreshed every second.
class QvStatusBar : public wxStatusBar
{
public:
    static constexpr int Height = 20;

    explicit QvStatusBar(wxWindow* parent);
    ~QvStatusBar() override;

    /// Pane widths: 0 stretches; 1 and 2 are 60 and 45 pixels, times the font's scale.
    void SetPaneInfo(double fontScale = 1.0);
    /// Shows a text in pane 0, keeping the text it replaces.
    void PushStatus(const std::string& text);
    /// Shows again the text that the last PushStatus replaced.
    void PopStatus();
    /// Rewrites the date and time panes.
    void UpdateClock();

private:
    wxTimer m_clock;
    std::vector<wxString> m_stack;
};
