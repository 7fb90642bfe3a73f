#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for the browser tests: per-path
// answers (status, body, delay, hang) on a thread of its own, so that it keeps
// answering while the GUI thread is busy waiting in a test.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace browsertest {

struct Route
{
    int status = 200;
    std::string body;
    std::string contentType = "text/html; charset=utf-8";
    std::string extraHeaders;
    int delayMs = 0;
    bool hang = false; // never answers (until the server stops)
};

inline Route page(std::string body, int status = 200)
{
    Route r;
    r.status = status;
    r.body = std::move(body);
    return r;
}

inline Route delayed(std::string body, int delayMs)
{
    Route r = page(std::move(body));
    r.delayMs = delayMs;
    return r;
}

inline Route hanging()
{
    Route r;
    r.hang = true;
    return r;
}

inline Route attachment(std::string body, std::string contentType, std::string fileName)
{
    Route r = page(std::move(body));
    r.contentType = std::move(contentType);
    r.extraHeaders = "Content-Disposition: attachment; filename=" + fileName + "\r\n";
    return r;
}

struct SeenRequest
{
    std::string path;
    std::string userAgent;
};

class MiniHttpServer
{
public:
    MiniHttpServer()
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        if (::bind(m_listen, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || ::listen(m_listen, 32) != 0)
            return;
        socklen_t len = sizeof addr;
        ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_acceptor = std::thread([this] { acceptLoop(); });
    }

    ~MiniHttpServer()
    {
        m_stop = true;
        if (m_acceptor.joinable())
            m_acceptor.join();
        for (std::thread &t : m_workers)
            t.join();
        if (m_listen >= 0)
            ::close(m_listen);
    }

    int port() const { return m_port; }
    std::string url(const std::string &path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

    void route(const std::string &path, Route r)
    {
        std::lock_guard lock(m_mutex);
        m_routes[path] = std::move(r);
    }

    std::vector<SeenRequest> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_seen;
    }

    bool saw(const std::string &path) const
    {
        for (const SeenRequest &r : requests())
            if (r.path == path)
                return true;
        return false;
    }

private:
    void acceptLoop()
    {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0)
                continue;
            std::lock_guard lock(m_mutex);
            m_workers.emplace_back([this, fd] { serve(fd); });
        }
    }

    // Reads one request head; keep-alive is not offered, so one is enough.
    static bool readHead(int fd, std::string &head, const std::atomic<bool> &stop)
    {
        char buf[4096];
        while (head.find("\r\n\r\n") == std::string::npos && !stop) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                return false;
            head.append(buf, size_t(n));
        }
        return !stop;
    }

    static std::string header(const std::string &head, const std::string &name)
    {
        size_t pos = 0;
        while ((pos = head.find("\r\n", pos)) != std::string::npos) {
            pos += 2;
            if (head.compare(pos, name.size() + 1, name + ":") == 0) {
                size_t start = pos + name.size() + 1;
                while (start < head.size() && head[start] == ' ')
                    ++start;
                return head.substr(start, head.find("\r\n", start) - start);
            }
        }
        return {};
    }

    void pause(int ms) const
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!m_stop && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    void serve(int fd)
    {
        std::string head;
        if (readHead(fd, head, m_stop)) {
            const size_t sp1 = head.find(' ');
            const size_t sp2 = head.find(' ', sp1 + 1);
            const std::string path = head.substr(sp1 + 1, sp2 - sp1 - 1);
            Route r;
            bool known = false;
            {
                std::lock_guard lock(m_mutex);
                m_seen.push_back({path, header(head, "User-Agent")});
                const auto it = m_routes.find(path);
                if (it != m_routes.end()) {
                    r = it->second;
                    known = true;
                }
            }
            if (!known) {
                r.status = 404;
                r.body = "<html><body>No such page</body></html>";
            }
            if (r.hang)
                pause(60 * 60 * 1000);
            else if (r.delayMs > 0)
                pause(r.delayMs);
            if (!m_stop) {
                const std::string reply = "HTTP/1.1 " + std::to_string(r.status) + " X\r\nContent-Type: " +
                                          r.contentType + "\r\nContent-Length: " + std::to_string(r.body.size()) +
                                          "\r\nConnection: close\r\n" + r.extraHeaders + "\r\n" + r.body;
                ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
        }
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }

    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptor;
    mutable std::mutex m_mutex;
    std::vector<std::thread> m_workers;
    std::map<std::string, Route> m_routes;
    std::vector<SeenRequest> m_seen;
};

} // namespace browsertest
