#include "update/CAutoUpdater.h"

#include "update/CompareVersions.h"

#include <utility>

namespace
{
// Paths are appended with their own leading "/".
std::string WithoutTrailingSlashes(std::string site)
{
    while (!site.empty() && site.back() == '/')
        site.pop_back();
    return site;
}
} // namespace

CAutoUpdater::CAutoUpdater(std::string siteUrl, std::string ownVersion)
    : m_siteUrl(std::move(siteUrl)), m_ownVersion(std::move(ownVersion))
{
}

void CAutoUpdater::SetTimeouts(long connectMs, long requestMs)
{
    m_connectTimeoutMs = connectMs;
    m_requestTimeoutMs = requestMs;
}

HttpRequest CAutoUpdater::UpdateFileRequest() const
{
    HttpRequest request;
    request.url = UpdateFileUrl(m_siteUrl);
    request.agent = Agent;
    request.connectTimeoutMs = m_connectTimeoutMs;
    request.timeoutMs = m_requestTimeoutMs;
    // One read: a longer file is cut there.
    request.maxBytes = MaxReadBytes;
    request.followRedirects = true;
    request.cancel = m_cancel;
    return request;
}

UpdateCheckResult CAutoUpdater::CheckForUpdate() const
{
    UpdateCheckResult result;
    HttpResponse response = HttpGet(UpdateFileRequest());
    switch (response.outcome)
    {
    case HttpResponse::Outcome::SetupFailed:
        result.code = UpdateCheckCode::NoConnection;
        return result;
    case HttpResponse::Outcome::TransferFailed:
    case HttpResponse::Outcome::HttpError:
        // An error page is no update file: a missing file must not pass for a check.
        result.code = UpdateCheckCode::NotOpened;
        return result;
    case HttpResponse::Outcome::Ok:
        break;
    }
    if (response.body.empty())
    {
        result.code = UpdateCheckCode::NothingRead;
        return result;
    }
    result.version = std::move(response.body);
    if (m_ownVersion.empty())
    {
        result.code = UpdateCheckCode::NoOwnVersion;
        return result;
    }
    result.code = CompareVersions(result.version, m_ownVersion) == 1 ? UpdateCheckCode::Available
                                                                     : UpdateCheckCode::NoUpdate;
    return result;
}

std::string UpdateFileUrl(const std::string& siteUrl)
{
    return WithoutTrailingSlashes(siteUrl) + "/tallybrook/update.txt";
}

std::string UpdatePageUrl(const std::string& siteUrl, const std::string& ownVersion)
{
    return WithoutTrailingSlashes(siteUrl) +
           "/tallybrook/checkforupdates.html?version=" + ownVersion;
}
