#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

/// A small HTTP server on 127.0.0.1 and a free port, for tests of the network clients. Each
/// connection is answered on a thread of its own by the test's handler.
class LoopbackHttpServer
{
public:
    /// What to answer to one request.
    struct Reply
    {
        int status = 200;
        std::string body;
        std::string contentType = "text/plain";
        std::string location; ///< a Location header (for redirects) when not empty
        int delayMs = 0;      ///< waits this long before answering
        bool never = false;   ///< keeps the connection open without answering
    };
    /// What came in.
    struct Request
    {
        std::string target;    ///< the path and query, as sent
        std::string userAgent; ///< the User-Agent header
        std::string head;      ///< the whole request head
    };
    using Handler = std::function<Reply(const Request&)>;

    explicit LoopbackHttpServer(Handler handler);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int Port() const { return m_port; }
    /// "http://127.0.0.1:" + the port.
    std::string BaseUrl() const;
    /// The requests received so far, in the order they came.
    std::vector<Request> Requests() const;

    /// A loopback port on which nothing listens (connections are refused).
    static int ClosedPort();

private:
    void AcceptLoop();
    void Serve(int socket);

    Handler m_handler;
    int m_listener = -1;
    int m_port = 0;
    int m_wake[2] = {-1, -1}; ///< a pipe that wakes every waiting thread at the end
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptor;
    mutable std::mutex m_mutex;
    std::vector<std::thread> m_workers;
    std::vector<Request> m_requests;
};
