#include "app/DueSchedules.h"

#include "app/Controller.h"
#include "app/frmScheduledDue.h"
#include "data/DatabaseError.h"
#include "data/Today.h"
#include "register/QvGrid.h"
#include "register/View.h"
#include "schedule/ScheduleStore.h"

#include <utility>

namespace
{
constexpr int MinuteMs = 60 * 1000;

// Enters or skips one answered occurrence; false when it is no longer the schedule's next.
bool Apply(Database& db, frmScheduledDue::Choice choice, const frmScheduledDue::Answer& answer)
{
    if (choice == frmScheduledDue::Choice::Skip)
        return SkipOccurrence(db, answer.due);
    return EnterOccurrence(db, answer.due, answer.date, answer.amount);
}
} // namespace

void DueSchedules::Run()
{
    if (!IsRunning())
        Start(MinuteMs);
    // Not over another dialog (the window is disabled while one shows), nor under a row
    // being typed: the next minute tries again. An editor opened on nothing typed may close.
    QvGrid& grid = *m_window.Grid();
    if (m_running || !m_window.IsEnabled() || grid.IsEditorChanged() || grid.HasPendingChanges())
        return;
    m_running = true;
    DateTime today = Today();
    int entered = 0;
    int left = 0;
    bool changed = false;
    try
    {
        std::vector<DueOccurrence> ask;
        for (const DueOccurrence& due : DueOccurrences(m_window.Data(), today))
        {
            if (due.askFirst)
                ask.push_back(due);
            else if (EnterOccurrence(m_window.Data(), due))
                ++entered;
        }
        if (!ask.empty())
        {
            Answered answered = Answer(ask);
            entered += answered.entered;
            left = answered.left;
            changed = answered.skipped > 0;
        }
    }
    catch (const DatabaseError& error)
    {
        m_window.ShowMessage(std::string("A scheduled transaction could not be entered: ") +
                                 error.what(),
                             UserInterface::Icon::Stop);
    }
    m_handledDay = today;
    m_handled = true;
    m_running = false;
    Report(entered, left, changed);
}

DueSchedules::Answered DueSchedules::Answer(const std::vector<DueOccurrence>& ask)
{
    frmScheduledDue dialog(&m_window, ask);
    dialog.ShowModal();
    Answered answered;
    if (dialog.Chosen() == frmScheduledDue::Choice::Later)
        return answered;
    bool skip = dialog.Chosen() == frmScheduledDue::Choice::Skip;
    for (const frmScheduledDue::Answer& answer : dialog.Answers())
    {
        if (!Apply(m_window.Data(), dialog.Chosen(), answer))
            ++answered.left;
        else
            ++(skip ? answered.skipped : answered.entered);
    }
    return answered;
}

void DueSchedules::Report(int entered, int left, bool changed)
{
    if (left > 0)
        m_window.ShowMessage(std::to_string(left) +
                                 " of the ticked occurrences stay due: an earlier occurrence of "
                                 "the same schedule is still waiting.",
                             UserInterface::Icon::Information);
    if (entered == 0 && !changed)
        return;
    m_window.GetView().Refresh();
    if (entered > 0)
        m_window.SetStatusHint(
            "Entered " + std::to_string(entered) +
            (entered == 1 ? " scheduled transaction." : " scheduled transactions."));
}

void DueSchedules::RunSoon()
{
    m_handled = false;
    m_window.CallAfter([this] { Run(); });
}

void DueSchedules::RunWhenDue()
{
    if (!m_handled || Today() != m_handledDay)
        Run();
}
