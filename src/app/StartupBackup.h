#pragma once

#include "data/BackupCopy.h"

#include <wx/event.h>

#include <functional>
#include <string>
#include <thread>

/// The backup copy taken at every start, made on a worker thread so a large database never
/// holds the window up. The copy has its own connection and is consistent under the
/// database lock; the window's writes wait for it (the engine's busy wait), never the other
/// way round.
class StartupBackup
{
public:
    /// onProblem runs on the user-interface thread when the copy failed or found damage.
    StartupBackup(std::string databasePath, std::function<void(const BackupOutcome&)> onProblem);
    /// Waits for a copy still under way; a report not handled yet is dropped.
    ~StartupBackup();
    StartupBackup(const StartupBackup&) = delete;
    StartupBackup& operator=(const StartupBackup&) = delete;

    void Start();
    /// Whether a started copy has not been reported yet.
    bool IsRunning() const { return m_running; }

private:
    void Finish(const BackupOutcome& outcome);

    std::string m_path;
    std::function<void(const BackupOutcome&)> m_onProblem;
    /// Receives the worker's report; what is queued to it goes with it.
    wxEvtHandler m_answers;
    std::thread m_worker;
    bool m_running = false;
};
