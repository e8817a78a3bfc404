#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// One HTTP GET request.
struct HttpRequest
{
    std::string url;
    std::string agent;            ///< the User-Agent header
    long connectTimeoutMs = 5000; ///< until the connection stands
    long timeoutMs = 15000;       ///< the whole request
    std::size_t maxBytes = 0;     ///< 0 reads the whole body; else the transfer stops there
    bool followRedirects = true;
    /// When set, the transfer stops soon after the flag turns true (TransferFailed), so a
    /// worker thread can be ended without waiting for the timeouts.
    const std::atomic<bool>* cancel = nullptr;
};

/// What came back from a request.
struct HttpResponse
{
    enum class Outcome
    {
        Ok,             ///< a status below 400; the body (perhaps empty) was read
        SetupFailed,    ///< the HTTP client could not be set up
        TransferFailed, ///< no network, refused, timed out, or broken off
        HttpError       ///< the server answered with a status of 400 or more
    };

    Outcome outcome = Outcome::SetupFailed;
    long status = 0;  ///< the HTTP status, 0 when none came
    std::string body; ///< the body read, at most maxBytes when that is set
    bool Ok() const { return outcome == Outcome::Ok; }
};

/// Fetches one address, bypassing caches. Never throws and never waits longer than the
/// request's timeouts.
HttpResponse HttpGet(const HttpRequest& request);

/// Fetches every address, at most maxParallel at once; the answers come in the order of the
/// requests. A totalTimeoutMs above 0 bounds the whole call: each request gets at most the
/// time that is left when it starts, and whatever has not ended by then is broken off or never
/// started (TransferFailed).
std::vector<HttpResponse> HttpGetAll(const std::vector<HttpRequest>& requests,
                                     std::size_t maxParallel = 8, long totalTimeoutMs = 0);

/// Percent-encodes every byte outside A-Z a-z 0-9 - . _ ~ (so a blank becomes %20).
std::string UrlEncode(std::string_view text);
