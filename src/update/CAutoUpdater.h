#pragma once

#include "net/HttpClient.h"

#include <atomic>
#include <string>

/// Outcomes of an update check; the numbers are the check's return codes (there is no 4).
enum class UpdateCheckCode : int
{
    Available = 0,    ///< the update file names a higher version
    NoConnection = 1, ///< the HTTP client could not be set up
    NotOpened = 2,    ///< no network, refused, timed out, or an HTTP error status
    NothingRead = 3,  ///< the update file is empty
    NoOwnVersion = 5, ///< the program has no FileVersion text
    NoUpdate = 6      ///< compared: equal, lower, or not a version number
};

/// What one check found.
struct UpdateCheckResult
{
    UpdateCheckCode code = UpdateCheckCode::NoConnection;
    std::string version; ///< the update file's text as read (at most 4096 bytes)

    int Code() const { return static_cast<int>(code); }
};

/// Asks the maker's web site whether a newer version exists. Only fetches and compares, so
/// CheckForUpdate may run on a worker thread; the caller reads the settings beforehand.
class CAutoUpdater
{
public:
    static constexpr const char* Agent = "AutoUpdateAgent";
    static constexpr long ConnectTimeoutMs = 3000;
    static constexpr long RequestTimeoutMs = 10000;
    static constexpr std::size_t MaxReadBytes = 4096;

    /// siteUrl is the maker's site (MakerSiteUrl()), with or without a trailing "/";
    /// ownVersion the program's FileVersion (GetVersionString("FileVersion")).
    CAutoUpdater(std::string siteUrl, std::string ownVersion);

    /// Fetches the update file and compares its version with the own one.
    UpdateCheckResult CheckForUpdate() const;

    /// The one request CheckForUpdate sends.
    HttpRequest UpdateFileRequest() const;

    /// Shorter waits, for tests of servers that never answer.
    void SetTimeouts(long connectMs, long requestMs);
    /// A flag that stops a check under way when it turns true (code 2).
    void SetCancelFlag(const std::atomic<bool>* cancel) { m_cancel = cancel; }

private:
    std::string m_siteUrl;
    std::string m_ownVersion;
    long m_connectTimeoutMs = ConnectTimeoutMs;
    long m_requestTimeoutMs = RequestTimeoutMs;
    const std::atomic<bool>* m_cancel = nullptr;
};

/// The site's address of the update file: site + "/tallybrook/update.txt".
std::string UpdateFileUrl(const std::string& siteUrl);
/// The page the Check for Updates command opens:
/// site + "/tallybrook/checkforupdates.html?version=" + the own version.
std::string UpdatePageUrl(const std::string& siteUrl, const std::string& ownVersion);
