#include "support/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <stdexcept>

namespace
{
const char* ReasonPhrase(int status)
{
    switch (status)
    {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

std::string HeaderValue(const std::string& head, const std::string& name)
{
    std::size_t at = 0;
    while ((at = head.find("\r\n", at)) != std::string::npos)
    {
        at += 2;
        std::size_t colon = head.find(':', at);
        std::size_t end = head.find("\r\n", at);
        if (colon == std::string::npos || colon > end)
            continue;
        std::string key = head.substr(at, colon - at);
        bool same = key.size() == name.size();
        for (std::size_t i = 0; same && i < key.size(); ++i)
            same = std::tolower(static_cast<unsigned char>(key[i])) ==
                   std::tolower(static_cast<unsigned char>(name[i]));
        if (same)
        {
            std::size_t value = head.find_first_not_of(' ', colon + 1);
            return head.substr(value, end - value);
        }
    }
    return "";
}

void SendAll(int socket, const std::string& text)
{
    std::size_t sent = 0;
    while (sent < text.size())
    {
        ssize_t n = ::send(socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}
} // namespace

LoopbackHttpServer::LoopbackHttpServer(Handler handler) : m_handler(std::move(handler))
{
    if (::pipe(m_wake) != 0)
        throw std::runtime_error("pipe failed");
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 64) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    socklen_t length = sizeof address;
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_stopping = true;
    char byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(m_wake[1], &byte, 1);
    m_acceptor.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        workers.swap(m_workers);
    }
    for (std::thread& worker : workers)
        worker.join();
    ::close(m_listener);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

std::string LoopbackHttpServer::BaseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(m_port);
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

int LoopbackHttpServer::ClosedPort()
{
    // Binds a free port and closes it again without listening: connections are refused.
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

void LoopbackHttpServer::AcceptLoop()
{
    while (!m_stopping)
    {
        pollfd fds[2] = {{m_listener, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN))
            return;
        int socket = ::accept(m_listener, nullptr, nullptr);
        if (socket < 0)
            continue;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_workers.emplace_back([this, socket] { Serve(socket); });
    }
}

void LoopbackHttpServer::Serve(int socket)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos)
    {
        pollfd fds[2] = {{socket, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 2, 5000) <= 0 || (fds[1].revents & POLLIN))
            break;
        ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    Request request;
    request.head = head;
    std::size_t first = head.find(' ');
    std::size_t second = head.find(' ', first + 1);
    if (first != std::string::npos && second != std::string::npos)
        request.target = head.substr(first + 1, second - first - 1);
    request.userAgent = HeaderValue(head, "User-Agent");
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request);
    }
    Reply reply = m_handler(request);
    if (reply.never || reply.delayMs > 0)
    {
        // Waits for the delay, or until the server stops when the reply never comes.
        pollfd wake{m_wake[0], POLLIN, 0};
        ::poll(&wake, 1, reply.never ? -1 : reply.delayMs);
    }
    if (!reply.never && !m_stopping)
    {
        std::string text = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                           ReasonPhrase(reply.status) + "\r\nContent-Type: " + reply.contentType +
                           "\r\nContent-Length: " + std::to_string(reply.body.size()) +
                           "\r\nConnection: close\r\n";
        if (!reply.location.empty())
            text += "Location: " + reply.location + "\r\n";
        text += "\r\n" + reply.body;
        SendAll(socket, text);
    }
    ::close(socket);
}
