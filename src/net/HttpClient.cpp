#include "net/HttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>

namespace
{
bool GlobalInit()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

struct EasyDeleter
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct MultiDeleter
{
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;

/// One transfer: its handle, its headers and what it has received so far.
struct Transfer
{
    EasyHandle handle;
    HeaderList headers;
    std::size_t maxBytes = 0;
    bool cut = false;     ///< the body reached maxBytes and the transfer was stopped there
    bool running = false; ///< added to a multi handle and not ended yet
    HttpResponse response;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    std::size_t bytes = size * count;
    std::string& body = transfer->response.body;
    if (transfer->maxBytes == 0)
    {
        body.append(data, bytes);
        return bytes;
    }
    std::size_t room = transfer->maxBytes - body.size();
    if (bytes < room)
    {
        body.append(data, bytes);
        return bytes;
    }
    body.append(data, room);
    transfer->cut = true;
    return 0; // stops the transfer: nothing more is wanted
}

// Called by libcurl about once a second and whenever data moves; non-zero aborts.
int CheckCancel(void* flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0;
}

/// Sets up a transfer for a request; false when the client cannot be set up.
bool Prepare(Transfer& transfer, const HttpRequest& request)
{
    if (!GlobalInit())
        return false;
    transfer.handle.reset(curl_easy_init());
    CURL* h = transfer.handle.get();
    if (!h)
        return false;
    transfer.maxBytes = request.maxBytes;
    curl_slist* list = curl_slist_append(nullptr, "Cache-Control: no-cache");
    if (list)
        list = curl_slist_append(list, "Pragma: no-cache");
    transfer.headers.reset(list);
    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(h, CURLOPT_USERAGENT, request.agent.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, transfer.headers.get());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, request.connectTimeoutMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, request.timeoutMs);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, request.followRedirects ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    // Timeouts must not use signals: requests may run off the user-interface thread.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    if (request.cancel)
    {
        curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CheckCancel);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(request.cancel));
    }
    return true;
}

/// The end of the time a call may take, when it has one.
class Deadline
{
public:
    explicit Deadline(long totalMs) : m_bounded(totalMs > 0)
    {
        if (m_bounded)
            m_end = Clock::now() + std::chrono::milliseconds(totalMs);
    }

    bool Passed() const { return m_bounded && Clock::now() >= m_end; }

    /// A timeout cut to the time left; never 0, which means no timeout to libcurl.
    long Bound(long timeoutMs) const
    {
        if (!m_bounded)
            return timeoutMs;
        long left = std::max(1L, LeftMs());
        return timeoutMs > 0 ? std::min(timeoutMs, left) : left;
    }

    /// How long a wait for network events may last: at most `most`, never past the end.
    int PollMs(int most) const
    {
        if (!m_bounded)
            return most;
        return static_cast<int>(std::clamp(LeftMs(), 0L, static_cast<long>(most)));
    }

private:
    using Clock = std::chrono::steady_clock;

    long LeftMs() const
    {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - Clock::now());
        return static_cast<long>(left.count());
    }

    bool m_bounded;
    Clock::time_point m_end{};
};

void Finish(Transfer& transfer, CURLcode code)
{
    HttpResponse& response = transfer.response;
    curl_easy_getinfo(transfer.handle.get(), CURLINFO_RESPONSE_CODE, &response.status);
    bool complete = code == CURLE_OK || (code == CURLE_WRITE_ERROR && transfer.cut);
    if (!complete)
        response.outcome = HttpResponse::Outcome::TransferFailed;
    else if (response.status >= 400)
        response.outcome = HttpResponse::Outcome::HttpError;
    else
        response.outcome = HttpResponse::Outcome::Ok;
}
} // namespace

HttpResponse HttpGet(const HttpRequest& request)
{
    Transfer transfer;
    if (!Prepare(transfer, request))
        return transfer.response;
    Finish(transfer, curl_easy_perform(transfer.handle.get()));
    return std::move(transfer.response);
}

std::vector<HttpResponse> HttpGetAll(const std::vector<HttpRequest>& requests,
                                     std::size_t maxParallel, long totalTimeoutMs)
{
    std::vector<HttpResponse> responses(requests.size());
    if (requests.empty())
        return responses;
    MultiHandle multi(GlobalInit() ? curl_multi_init() : nullptr);
    if (!multi)
        return responses; // each stays SetupFailed
    const std::size_t limit = maxParallel == 0 ? 1 : maxParallel;
    curl_multi_setopt(multi.get(), CURLMOPT_MAX_TOTAL_CONNECTIONS, static_cast<long>(limit));
    Deadline deadline(totalTimeoutMs);
    std::vector<std::unique_ptr<Transfer>> transfers(requests.size());
    std::size_t next = 0;    // the first request not started
    std::size_t running = 0; // transfers started and not ended
    for (;;)
    {
        // A request starts only while there is room and time, and gets no more than is left.
        for (; running < limit && next < requests.size() && !deadline.Passed(); ++next)
        {
            auto& transfer = transfers[next] = std::make_unique<Transfer>();
            if (!Prepare(*transfer, requests[next]))
                continue;
            CURL* h = transfer->handle.get();
            curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                             deadline.Bound(requests[next].connectTimeoutMs));
            curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, deadline.Bound(requests[next].timeoutMs));
            curl_easy_setopt(h, CURLOPT_PRIVATE, transfer.get());
            if (curl_multi_add_handle(multi.get(), h) != CURLM_OK)
                continue;
            transfer->running = true;
            ++running;
        }
        if (running == 0 || deadline.Passed())
            break;
        int stillRunning = 0;
        if (curl_multi_perform(multi.get(), &stillRunning) != CURLM_OK)
            break;
        bool ended = false;
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi.get(), &left))
        {
            if (message->msg != CURLMSG_DONE)
                continue;
            Transfer* transfer = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
            curl_multi_remove_handle(multi.get(), message->easy_handle);
            if (transfer)
            {
                Finish(*transfer, message->data.result);
                transfer->running = false;
            }
            --running;
            ended = true;
        }
        if (!ended && stillRunning > 0)
            curl_multi_poll(multi.get(), nullptr, 0, deadline.PollMs(1000), nullptr);
    }
    for (std::size_t i = 0; i < transfers.size(); ++i)
    {
        // Still running at the deadline, or never started for want of time.
        if (!transfers[i] || transfers[i]->running)
        {
            responses[i].outcome = HttpResponse::Outcome::TransferFailed;
            if (transfers[i])
                curl_multi_remove_handle(multi.get(), transfers[i]->handle.get());
            continue;
        }
        responses[i] = std::move(transfers[i]->response);
    }
    return responses;
}

std::string UrlEncode(std::string_view text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (char c : text)
    {
        auto byte = static_cast<unsigned char>(c);
        bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                     (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                     byte == '~';
        if (plain)
            encoded += c;
        else
        {
            encoded += '%';
            encoded += digits[byte >> 4];
            encoded += digits[byte & 0x0F];
        }
    }
    return encoded;
}
