#include "net/HttpClient.h"

#include <curl/curl.h>

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
    bool cut = false; ///< the body reached maxBytes and the transfer was stopped there
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
                                     std::size_t maxParallel)
{
    std::vector<HttpResponse> responses(requests.size());
    if (requests.empty())
        return responses;
    MultiHandle multi(GlobalInit() ? curl_multi_init() : nullptr);
    if (!multi)
        return responses; // each stays SetupFailed
    curl_multi_setopt(multi.get(), CURLMOPT_MAX_TOTAL_CONNECTIONS,
                      static_cast<long>(maxParallel == 0 ? 1 : maxParallel));
    std::vector<std::unique_ptr<Transfer>> transfers(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i)
    {
        transfers[i] = std::make_unique<Transfer>();
        if (Prepare(*transfers[i], requests[i]))
        {
            curl_easy_setopt(transfers[i]->handle.get(), CURLOPT_PRIVATE, transfers[i].get());
            curl_multi_add_handle(multi.get(), transfers[i]->handle.get());
        }
    }
    int running = 0;
    do
    {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK)
            break;
        if (running > 0)
            curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi.get(), &left))
        {
            if (message->msg != CURLMSG_DONE)
                continue;
            Transfer* transfer = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
            if (transfer)
                Finish(*transfer, message->data.result);
        }
    } while (running > 0);
    for (std::size_t i = 0; i < transfers.size(); ++i)
    {
        if (transfers[i]->handle)
            curl_multi_remove_handle(multi.get(), transfers[i]->handle.get());
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
