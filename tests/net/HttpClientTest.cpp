#include "net/HttpClient.h"
#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using Reply = LoopbackHttpServer::Reply;
using Outcome = HttpResponse::Outcome;

namespace
{
HttpRequest Get(const std::string& url)
{
    HttpRequest request;
    request.url = url;
    request.agent = "Test Agent";
    request.connectTimeoutMs = 2000;
    request.timeoutMs = 2000;
    return request;
}

LoopbackHttpServer::Handler Routes()
{
    return [](const LoopbackHttpServer::Request& request) -> Reply
    {
        if (request.target == "/ok")
            return {200, "hello", "text/plain", "", 0, false};
        if (request.target == "/empty")
            return {200, "", "text/plain", "", 0, false};
        if (request.target == "/moved")
            return {302, "", "text/plain", "/ok", 0, false};
        if (request.target == "/broken")
            return {500, "oops", "text/plain", "", 0, false};
        if (request.target == "/silent")
            return {200, "", "text/plain", "", 0, true};
        if (request.target == "/big")
            return {200, std::string(10000, 'x'), "text/plain", "", 0, false};
        return {404, "no", "text/plain", "", 0, false};
    };
}
} // namespace

TEST(HttpClient, TellsABodyFromAnErrorStatusARefusalAndASilentServer)
{
    LoopbackHttpServer server(Routes());
    HttpResponse ok = HttpGet(Get(server.BaseUrl() + "/ok"));
    EXPECT_EQ(ok.outcome, Outcome::Ok);
    EXPECT_EQ(ok.status, 200);
    EXPECT_EQ(ok.body, "hello");

    HttpResponse empty = HttpGet(Get(server.BaseUrl() + "/empty"));
    EXPECT_EQ(empty.outcome, Outcome::Ok);
    EXPECT_EQ(empty.body, "");

    EXPECT_EQ(HttpGet(Get(server.BaseUrl() + "/moved")).body, "hello");
    EXPECT_EQ(HttpGet(Get(server.BaseUrl() + "/broken")).outcome, Outcome::HttpError);
    EXPECT_EQ(HttpGet(Get(server.BaseUrl() + "/missing")).status, 404);

    // The server never answers: only the request's timeout can end the wait.
    EXPECT_EQ(HttpGet(Get(server.BaseUrl() + "/silent")).outcome, Outcome::TransferFailed);

    std::string closed = "http://127.0.0.1:" + std::to_string(LoopbackHttpServer::ClosedPort());
    EXPECT_EQ(HttpGet(Get(closed + "/ok")).outcome, Outcome::TransferFailed);

    std::vector<LoopbackHttpServer::Request> seen = server.Requests();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().userAgent, "Test Agent");
    EXPECT_NE(seen.front().head.find("no-cache"), std::string::npos);
}

TEST(HttpClient, StopsReadingAtTheByteLimit)
{
    LoopbackHttpServer server(Routes());
    HttpRequest request = Get(server.BaseUrl() + "/big");
    request.maxBytes = 4096;
    HttpResponse cut = HttpGet(request);
    EXPECT_EQ(cut.outcome, Outcome::Ok);
    EXPECT_EQ(cut.body.size(), 4096u);
}

TEST(HttpClient, ACancelledRequestEndsWithoutWaitingForItsTimeouts)
{
    LoopbackHttpServer server(Routes());
    HttpRequest request = Get(server.BaseUrl() + "/silent");
    // No timeout at all: only the flag can end this wait.
    request.timeoutMs = 0;
    std::atomic<bool> cancel{false};
    request.cancel = &cancel;
    std::thread canceller(
        [&]
        {
            while (server.Requests().empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            cancel = true;
        });
    HttpResponse response = HttpGet(request);
    canceller.join();
    EXPECT_EQ(response.outcome, Outcome::TransferFailed);

    // A flag that stays down changes nothing.
    std::atomic<bool> idle{false};
    HttpRequest plain = Get(server.BaseUrl() + "/ok");
    plain.cancel = &idle;
    EXPECT_EQ(HttpGet(plain).body, "hello");
}

TEST(HttpClient, FetchesManyAddressesAtOnceKeepingTheirOrder)
{
    std::atomic<int> inFlight{0};
    std::atomic<int> most{0};
    LoopbackHttpServer server(
        [&](const LoopbackHttpServer::Request& request) -> Reply
        {
            int now = ++inFlight;
            for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);)
            {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            --inFlight;
            if (request.target == "/broken")
                return {500, "", "text/plain", "", 0, false};
            return {200, request.target, "text/plain", "", 0, false};
        });
    std::vector<HttpRequest> requests;
    for (int i = 0; i < 8; ++i)
        requests.push_back(Get(server.BaseUrl() + "/slow" + std::to_string(i)));
    requests.push_back(Get(server.BaseUrl() + "/broken"));
    std::vector<HttpResponse> responses = HttpGetAll(requests, 4);
    ASSERT_EQ(responses.size(), 9u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(responses[static_cast<std::size_t>(i)].body, "/slow" + std::to_string(i));
    EXPECT_EQ(responses[8].outcome, Outcome::HttpError);
    EXPECT_GT(most.load(), 1);
    EXPECT_LE(most.load(), 4);
}

TEST(HttpClient, ManyAddressesTogetherEndAtOneDeadline)
{
    LoopbackHttpServer server(Routes());
    std::vector<HttpRequest> requests{Get(server.BaseUrl() + "/ok")};
    for (int i = 0; i < 3; ++i)
        requests.push_back(Get(server.BaseUrl() + "/silent"));
    // One at a time, each silent request would wait its own 2 s.
    auto start = std::chrono::steady_clock::now();
    std::vector<HttpResponse> responses = HttpGetAll(requests, 1, 600);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(550));
    EXPECT_LT(took, std::chrono::milliseconds(1800));
    ASSERT_EQ(responses.size(), 4u);
    EXPECT_EQ(responses[0].body, "hello");
    for (std::size_t i = 1; i < responses.size(); ++i)
        EXPECT_EQ(responses[i].outcome, Outcome::TransferFailed) << i;

    // Time to spare changes nothing.
    std::vector<HttpResponse> quick =
        HttpGetAll({Get(server.BaseUrl() + "/ok"), Get(server.BaseUrl() + "/broken")}, 1, 5000);
    EXPECT_EQ(quick[0].body, "hello");
    EXPECT_EQ(quick[1].outcome, Outcome::HttpError);
}

TEST(HttpClient, UrlEncodeKeepsOnlyUnreservedBytes)
{
    EXPECT_EQ(UrlEncode("Credit Card"), "Credit%20Card");
    EXPECT_EQ(UrlEncode("A&B=c/d?"), "A%26B%3Dc%2Fd%3F");
    EXPECT_EQ(UrlEncode("a-b.c_d~"), "a-b.c_d~");
    EXPECT_EQ(UrlEncode("\xC3\xA9"), "%C3%A9");
}
