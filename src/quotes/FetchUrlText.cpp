#include "quotes/FetchUrlText.h"

HttpRequest MakeFetchRequest(const std::string& url, const FetchLimits& limits)
{
    HttpRequest request;
    request.url = url;
    request.agent = "Quorvel Tallybrook";
    request.connectTimeoutMs = limits.connectTimeoutMs;
    request.timeoutMs = limits.timeoutMs;
    request.maxBytes = limits.maxBytes;
    request.followRedirects = true;
    return request;
}

std::string ResponseText(HttpResponse response)
{
    return response.Ok() ? std::move(response.body) : std::string();
}

std::string FetchUrlText(const std::string& url, const FetchLimits& limits)
{
    return ResponseText(HttpGet(MakeFetchRequest(url, limits)));
}
