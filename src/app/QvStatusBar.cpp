#include "app/QvStatusBar.h"

#include "app/CommandIds.h"
#include "gui/WxText.h"
#include "data/DateTime.h"
#include "data/Regional.h"

#include <cmath>
#include <ctime>

QvStatusBar::QvStatusBar(wxWindow* parent)
    : wxStatusBar(parent, wxID_ANY, 0), m_clock(this, Command::ClockTimer)
{
    SetFieldsCount(3);
    SetMinHeight(Height);
    UpdateClock();
    Bind(
        wxEVT_TIMER, [this](wxTimerEvent&) { UpdateClock(); }, Command::ClockTimer);
    m_clock.Start(1000);
}

QvStatusBar::~QvStatusBar()
{
    m_clock.Stop();
}

void QvStatusBar::SetPaneInfo(double fontScale)
{
    const int widths[] = {-1, static_cast<int>(std::lround(60 * fontScale)),
                          static_cast<int>(std::lround(45 * fontScale))};
    SetStatusWidths(3, widths);
}

void QvStatusBar::PushStatus(const std::string& text)
{
    m_stack.push_back(GetStatusText(0));
    SetStatusText(ToWx(text), 0);
    Update();
}

void QvStatusBar::PopStatus()
{
    if (m_stack.empty())
        return;
    SetStatusText(m_stack.back(), 0);
    m_stack.pop_back();
}

void QvStatusBar::UpdateClock()
{
    DateTime now = ToLocalCalendar(static_cast<std::int64_t>(std::time(nullptr)));
    wxString date = ToWx(FormatShortDate(now));
    wxString time = ToWx(FormatTimeOfDay(now, false));
    if (GetStatusText(1) != date)
        SetStatusText(date, 1);
    if (GetStatusText(2) != time)
        SetStatusText(time, 2);
}
