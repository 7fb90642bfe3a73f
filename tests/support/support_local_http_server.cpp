#include "tests/support/LocalHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace zvotest {

namespace {

constexpr size_t MaxHeaderBytes = 1024 * 1024;

bool equalsIgnoringCase(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string trimmed(const std::string &text)
{
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

std::string reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 407: return "Proxy Authentication Required";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

bool hasHeader(const HttpHeaders &headers, const std::string &name)
{
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto &h) { return equalsIgnoringCase(h.first, name); });
}

class FdGuard
{
public:
    explicit FdGuard(int fd)
        : m_fd(fd)
    {}
    ~FdGuard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    void release() { m_fd = -1; }

private:
    int m_fd;
};

} // namespace

std::string HttpRequestRecord::header(const std::string &name) const
{
    for (const auto &[key, value] : headers)
        if (equalsIgnoringCase(key, name))
            return value;
    return {};
}

bool HttpRequestRecord::hasHeader(const std::string &name) const
{
    return zvotest::hasHeader(headers, name);
}

CannedHttpReply CannedHttpReply::ok(std::string body, std::string contentType)
{
    return {.headers = {{"Content-Type", std::move(contentType)}}, .body = std::move(body)};
}

CannedHttpReply CannedHttpReply::withStatus(int status, std::string body)
{
    return {.status = status, .headers = {{"Content-Type", "text/html"}}, .body = std::move(body)};
}

CannedHttpReply CannedHttpReply::redirect(std::string location, int status)
{
    return {.status = status, .headers = {{"Location", std::move(location)}}};
}

CannedHttpReply CannedHttpReply::hang()
{
    return {.action = Action::Hang};
}

CannedHttpReply CannedHttpReply::closeWithoutReply()
{
    return {.action = Action::Close};
}

CannedHttpReply CannedHttpReply::reset()
{
    return {.action = Action::Reset};
}

CannedHttpReply CannedHttpReply::trickle(std::string body, size_t chunk, std::chrono::milliseconds interval)
{
    CannedHttpReply r = ok(std::move(body));
    r.trickleChunk = chunk;
    r.trickleInterval = interval;
    return r;
}

CannedHttpReply CannedHttpReply::endless(std::string piece, std::string contentType)
{
    CannedHttpReply r = ok(std::move(piece), std::move(contentType));
    r.sendContentLength = false;
    r.repeatBody = true;
    return r;
}

uint16_t freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &length) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

struct LocalHttpServer::Client
{
    std::thread thread;
    std::atomic<bool> finished{false};
};

LocalHttpServer::LocalHttpServer()
{
    m_defaultResponse = CannedHttpReply::withStatus(404, "<html><body>Not Found</body></html>");
    if (::pipe2(m_wakePipe, O_CLOEXEC) != 0)
        return;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(fd);
        return;
    }
    m_port = ntohs(address.sin_port);
    m_listenFd = fd;
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

LocalHttpServer::~LocalHttpServer()
{
    stop();
    for (int &fd : m_wakePipe)
        if (fd >= 0)
            ::close(fd);
}

std::string LocalHttpServer::url(const std::string &path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void LocalHttpServer::setResponse(const std::string &pathOrTarget, CannedHttpReply response)
{
    std::lock_guard lock(m_mutex);
    m_responses[pathOrTarget] = std::move(response);
}

void LocalHttpServer::setHandler(Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

void LocalHttpServer::setDefaultResponse(CannedHttpReply response)
{
    std::lock_guard lock(m_mutex);
    m_defaultResponse = std::move(response);
}

std::vector<HttpRequestRecord> LocalHttpServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

size_t LocalHttpServer::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return m_requests.size();
}

void LocalHttpServer::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

bool LocalHttpServer::waitForRequests(size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_requestArrived.wait_for(lock, timeout, [&] { return m_requests.size() >= count; });
}

void LocalHttpServer::stop()
{
    std::lock_guard stopLock(m_stopMutex);
    if (m_listenFd < 0)
        return;
    m_stopping.store(true);
    // The pipe is never drained: once written, every poll on it returns at once.
    const char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(m_wakePipe[1], &byte, 1);
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    std::vector<std::unique_ptr<Client>> clients;
    {
        std::lock_guard lock(m_mutex);
        clients.swap(m_clients);
    }
    for (auto &client : clients)
        if (client->thread.joinable())
            client->thread.join();
    ::close(m_listenFd);
    m_listenFd = -1;
}

void LocalHttpServer::reapFinished()
{
    std::vector<std::unique_ptr<Client>> done;
    {
        std::lock_guard lock(m_mutex);
        auto split = std::stable_partition(m_clients.begin(), m_clients.end(),
                                           [](const auto &c) { return !c->finished.load(); });
        std::move(split, m_clients.end(), std::back_inserter(done));
        m_clients.erase(split, m_clients.end());
    }
    for (auto &client : done)
        client->thread.join();
}

void LocalHttpServer::acceptLoop()
{
    while (!m_stopping.load()) {
        if (!waitReadable(m_listenFd, -1))
            return;
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        int fd = ::accept4(m_listenFd, reinterpret_cast<sockaddr *>(&peer), &length, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++m_connections;
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
        reapFinished();
        auto client = std::make_unique<Client>();
        Client *raw = client.get();
        {
            std::lock_guard lock(m_mutex);
            m_clients.push_back(std::move(client));
        }
        raw->thread = std::thread([this, raw, fd, address = std::string(text), port = ntohs(peer.sin_port)] {
            serve(fd, address, port);
            raw->finished.store(true);
        });
    }
}

bool LocalHttpServer::waitReadable(int fd, int timeoutMs)
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
    while (true) {
        int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || (fds[1].revents & POLLIN))
            return false;
        return (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    }
}

bool LocalHttpServer::pause(std::chrono::milliseconds duration)
{
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (!m_stopping.load()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return true;
        pollfd wake{m_wakePipe[0], POLLIN, 0};
        ::poll(&wake, 1, static_cast<int>(left.count()));
    }
    return false;
}

bool LocalHttpServer::sendAll(int fd, const std::string &data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        if (m_stopping.load())
            return false;
        ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Never blocks in send: a client that has stopped reading must not hold up
// stop().
void LocalHttpServer::sendEndlessly(int fd, const std::string &piece)
{
    size_t at = 0;
    while (!piece.empty() && !m_stopping.load()) {
        pollfd fds[2] = {{fd, POLLOUT, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if ((fds[1].revents & POLLIN) || (fds[0].revents & (POLLERR | POLLHUP)))
            return;
        const ssize_t n = ::send(fd, piece.data() + at, piece.size() - at, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return;
        at = (at + static_cast<size_t>(n)) % piece.size();
    }
}

CannedHttpReply LocalHttpServer::responseFor(const HttpRequestRecord &request)
{
    std::unique_lock lock(m_mutex);
    if (auto it = m_responses.find(request.target); it != m_responses.end())
        return it->second;
    if (auto it = m_responses.find(request.path); it != m_responses.end())
        return it->second;
    if (m_handler) {
        Handler handler = m_handler;
        // The handler may take its time or read the server's state.
        lock.unlock();
        try {
            return handler(request);
        } catch (const std::exception &e) {
            return CannedHttpReply::withStatus(500, e.what());
        }
    }
    return m_defaultResponse;
}

void LocalHttpServer::serve(int fd, std::string address, uint16_t port)
{
    FdGuard guard(fd);
    std::string buffer;
    char chunk[16384];
    auto readMore = [&]() {
        if (!waitReadable(fd, -1))
            return false;
        ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<size_t>(n));
        return true;
    };

    while (!m_stopping.load()) {
        size_t headerEnd;
        while ((headerEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
            if (buffer.size() > MaxHeaderBytes || !readMore())
                return;
        }
        HttpRequestRecord request;
        request.clientAddress = address;
        request.clientPort = port;
        const std::string head = buffer.substr(0, headerEnd);
        buffer.erase(0, headerEnd + 4);

        size_t lineEnd = head.find("\r\n");
        const std::string requestLine = head.substr(0, lineEnd);
        size_t s1 = requestLine.find(' ');
        size_t s2 = requestLine.rfind(' ');
        if (s1 == std::string::npos || s2 == s1)
            return;
        request.method = requestLine.substr(0, s1);
        request.target = requestLine.substr(s1 + 1, s2 - s1 - 1);
        request.version = requestLine.substr(s2 + 1);
        // A request in absolute form (as sent to a proxy) names the same page.
        if (request.target.rfind("http://", 0) == 0) {
            size_t slash = request.target.find('/', 7);
            request.target = slash == std::string::npos ? "/" : request.target.substr(slash);
        }
        size_t q = request.target.find('?');
        request.path = request.target.substr(0, q);
        request.query = q == std::string::npos ? std::string() : request.target.substr(q + 1);

        size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
        while (pos < head.size()) {
            size_t end = head.find("\r\n", pos);
            if (end == std::string::npos)
                end = head.size();
            const std::string line = head.substr(pos, end - pos);
            size_t colon = line.find(':');
            if (colon != std::string::npos)
                request.headers.emplace_back(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
            pos = end + 2;
        }
        size_t contentLength = 0;
        if (request.hasHeader("Content-Length"))
            contentLength = std::strtoul(request.header("Content-Length").c_str(), nullptr, 10);
        while (buffer.size() < contentLength)
            if (!readMore())
                return;
        request.body = buffer.substr(0, contentLength);
        buffer.erase(0, contentLength);
        request.arrival = std::chrono::steady_clock::now();

        const std::string connection = request.header("Connection");
        bool closeAfter = equalsIgnoringCase(connection, "close") ||
                          (request.version == "HTTP/1.0" && !equalsIgnoringCase(connection, "keep-alive"));
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        m_requestArrived.notify_all();

        CannedHttpReply response = responseFor(request);
        if (response.delay.count() > 0 && !pause(response.delay))
            return;
        switch (response.action) {
        case CannedHttpReply::Action::Hang:
            while (pause(std::chrono::hours(1))) {
            }
            return;
        case CannedHttpReply::Action::Close: ::shutdown(fd, SHUT_WR); return;
        case CannedHttpReply::Action::Reset: {
            linger hard{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            return;
        }
        case CannedHttpReply::Action::Respond: break;
        }

        closeAfter = closeAfter || response.closeAfter || !response.sendContentLength;
        std::string out = "HTTP/1.1 " + std::to_string(response.status) + " " +
                          (response.reason.empty() ? reasonPhrase(response.status) : response.reason) + "\r\n";
        for (const auto &[name, value] : response.headers)
            out += name + ": " + value + "\r\n";
        if (response.sendContentLength && !hasHeader(response.headers, "Content-Length"))
            out += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
        if (closeAfter && !hasHeader(response.headers, "Connection"))
            out += "Connection: close\r\n";
        out += "\r\n";
        const bool withBody = request.method != "HEAD";
        if (response.repeatBody && withBody) {
            if (sendAll(fd, out))
                sendEndlessly(fd, response.body);
            return;
        }
        if (response.trickleChunk == 0 || !withBody) {
            if (withBody)
                out += response.body;
            if (!sendAll(fd, out))
                return;
        } else {
            if (!sendAll(fd, out))
                return;
            for (size_t at = 0; at < response.body.size(); at += response.trickleChunk) {
                if (at > 0 && !pause(response.trickleInterval))
                    return;
                if (!sendAll(fd, response.body.substr(at, response.trickleChunk)))
                    return;
            }
        }
        if (closeAfter)
            return;
    }
}

} // namespace zvotest
