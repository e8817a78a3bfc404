#pragma once

#include "update/CAutoUpdater.h"

#include <wx/event.h>

#include <atomic>
#include <functional>
#include <thread>

/// The update check at start-up. Whether one is due, the site's address and the stored date
/// are read and written on the user-interface thread; only the fetch and the comparison run
/// on a worker thread, so a slow network never holds the window up.
class StartupUpdateCheck
{
public:
    /// onAvailable runs on the user-interface thread when a newer version was found.
    explicit StartupUpdateCheck(std::function<void()> onAvailable);
    /// Stops a check still under way and waits for its worker, which ends within about a
    /// second; an answer not handled yet is dropped.
    ~StartupUpdateCheck();
    StartupUpdateCheck(const StartupUpdateCheck&) = delete;
    StartupUpdateCheck& operator=(const StartupUpdateCheck&) = delete;

    /// Starts a check when LastUpdateCheck says one is due; the first start only stores
    /// today's date.
    void Start();
    /// Whether a started check has not been handled yet.
    bool IsRunning() const { return m_running; }

private:
    void Finish(UpdateCheckCode code);

    std::function<void()> m_onAvailable;
    /// Receives the worker's answer; what is queued to it goes with it.
    wxEvtHandler m_answers;
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
    bool m_running = false;
};
