#include "app/StartupUpdateCheck.h"

#include "base/SiteAddress.h"
#include "base/Version.h"
#include "update/UpdateSchedule.h"

#include <ctime>
#include <utility>

namespace
{
std::int64_t Now()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}
} // namespace

StartupUpdateCheck::StartupUpdateCheck(std::function<void()> onAvailable)
    : m_onAvailable(std::move(onAvailable))
{
}

StartupUpdateCheck::~StartupUpdateCheck()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

void StartupUpdateCheck::Start()
{
    if (m_running || m_worker.joinable() || !BeginStartupUpdateCheck(Now()))
        return;
    m_running = true;
    CAutoUpdater updater(MakerSiteUrl(), GetVersionString("FileVersion"));
    updater.SetCancelFlag(&m_cancel);
    m_worker = std::thread(
        [this, updater]
        {
            UpdateCheckCode code = updater.CheckForUpdate().code;
            // Queued across threads; runs on the user-interface thread.
            m_answers.CallAfter([this, code] { Finish(code); });
        });
}

void StartupUpdateCheck::Finish(UpdateCheckCode code)
{
    m_running = false;
    if (m_worker.joinable())
        m_worker.join();
    if (m_cancel)
        return;
    if (FinishStartupUpdateCheck(code, Now()) && m_onAvailable)
        m_onAvailable();
}
