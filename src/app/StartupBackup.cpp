#include "app/StartupBackup.h"

#include <utility>

StartupBackup::StartupBackup(std::string databasePath,
                             std::function<void(const BackupOutcome&)> onProblem)
    : m_path(std::move(databasePath)), m_onProblem(std::move(onProblem))
{
}

StartupBackup::~StartupBackup()
{
    if (m_worker.joinable())
        m_worker.join();
}

void StartupBackup::Start()
{
    if (m_running || m_worker.joinable())
        return;
    m_running = true;
    m_worker = std::thread(
        [this]
        {
            BackupOutcome outcome = TakeBackup(m_path);
            // Queued across threads; runs on the user-interface thread.
            m_answers.CallAfter([this, outcome] { Finish(outcome); });
        });
}

void StartupBackup::Finish(const BackupOutcome& outcome)
{
    m_running = false;
    if (m_worker.joinable())
        m_worker.join();
    if (outcome.result != BackupResult::Taken && m_onProblem)
        m_onProblem(outcome);
}
