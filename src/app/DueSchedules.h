#pragma once

#include "data/DateTime.h"
#include "schedule/ScheduleStore.h"

#include <wx/timer.h>

#include <vector>

class Controller;

/// Enters what the schedules have made due: at start and whenever the date changes while the
/// window is open. Occurrences entered unasked are written at once; those that ask are
/// offered in the "Scheduled transactions due" dialog. Nothing is done while a row is being
/// typed or another dialog shows: the next minute tries again.
class DueSchedules : private wxTimer
{
public:
    explicit DueSchedules(Controller& window) : m_window(window) {}

    /// Handles every occurrence due on or before Today(), oldest first, then watches the date.
    void Run();
    /// Run, when the date moved since the last run or that run was put off; what the timer
    /// does every minute.
    void RunWhenDue();
    /// Run once the events already queued have run (a schedule was just written); put off,
    /// it is tried again the next minute.
    void RunSoon();

private:
    void Notify() override { RunWhenDue(); }
    struct Answered
    {
        int entered = 0;
        int skipped = 0;
        int left = 0; ///< ticked, but no longer (or not yet) the schedule's next occurrence
    };
    /// Asks about the occurrences in the dialog and applies the answers.
    Answered Answer(const std::vector<DueOccurrence>& ask);
    /// The view re-read after a change; a message for what was left, the status for what
    /// was entered.
    void Report(int entered, int left, bool changed);

    Controller& m_window;
    DateTime m_handledDay;
    bool m_handled = false; ///< m_handledDay's occurrences were all handled
    bool m_running = false;
};
