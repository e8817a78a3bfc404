#pragma once

#include "net/HttpClient.h"

#include <cstddef>
#include <string>

/// How long a request of the program may take, and how much of a reply it reads.
struct FetchLimits
{
    long connectTimeoutMs = 5000;
    long timeoutMs = 15000;
    std::size_t maxBytes = 1 << 20; ///< a reply is cut there; quotes are a few hundred bytes
};

/// A GET request as the program makes it: agent "Quorvel Tallybrook", never from a cache,
/// redirects followed, with the limits' timeouts.
HttpRequest MakeFetchRequest(const std::string& url, const FetchLimits& limits = {});

/// The body of a response; "" when the request failed or the server answered with an
/// error status (its error page is no usable text).
std::string ResponseText(HttpResponse response);

/// The body of a GET request of the address; "" when nothing usable could be read.
std::string FetchUrlText(const std::string& url, const FetchLimits& limits = {});
