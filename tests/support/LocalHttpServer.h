#pragma once

// An HTTP/1.1 server for tests on 127.0.0.1 and a free port, with responses
// programmed per path and a record of every request. It runs on threads of
// its own (no event loop needed); stop() and the destructor end every thread
// promptly, hanging and delayed answers included.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zvotest {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpRequestRecord
{
    std::string method;
    std::string target; // path and query as sent: "/search?q=x"
    std::string path;   // without the query
    std::string query;  // without the "?"
    std::string version;
    HttpHeaders headers;
    std::string body;
    std::chrono::steady_clock::time_point arrival;
    std::string clientAddress;
    uint16_t clientPort = 0;

    // The first header of that name (case ignored), or empty.
    std::string header(const std::string &name) const;
    bool hasHeader(const std::string &name) const;
};

// What the server sends for a request a test has prepared it for: a reply as
// given, or one of the ways a real server fails to give one.
struct CannedHttpReply
{
    enum class Action {
        Respond, // status line, headers, body
        Hang,    // read the request, never answer until the server stops
        Close,   // read the request, close the connection without a reply
        Reset    // read the request, reset the connection (RST)
    };

    Action action = Action::Respond;
    int status = 200;
    std::string reason{}; // empty: the usual phrase for the status
    HttpHeaders headers{};
    std::string body{};
    std::chrono::milliseconds delay{0}; // before anything is sent
    // Trickle: the body goes out in chunks of this size with a pause between
    // them (0: all at once).
    size_t trickleChunk = 0;
    std::chrono::milliseconds trickleInterval{0};
    bool closeAfter = false; // close the connection after this response
    // Without a length the body ends where the connection is closed.
    bool sendContentLength = true;
    // The body goes out over and over, until the client goes or the server
    // stops: a page without end.
    bool repeatBody = false;

    static CannedHttpReply ok(std::string body, std::string contentType = "text/html");
    static CannedHttpReply withStatus(int status, std::string body = {});
    static CannedHttpReply redirect(std::string location, int status = 302);
    static CannedHttpReply hang();
    static CannedHttpReply closeWithoutReply();
    static CannedHttpReply reset();
    static CannedHttpReply trickle(std::string body, size_t chunk, std::chrono::milliseconds interval);
    static CannedHttpReply endless(std::string piece, std::string contentType = "text/html");
};

class LocalHttpServer
{
public:
    using Handler = std::function<CannedHttpReply(const HttpRequestRecord &)>;

    // Listens at once; isRunning() tells whether that worked.
    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer &) = delete;
    LocalHttpServer &operator=(const LocalHttpServer &) = delete;

    bool isRunning() const { return m_listenFd >= 0 && !m_stopping.load(); }
    uint16_t port() const { return m_port; }
    std::string host() const { return "127.0.0.1"; }
    // "http://127.0.0.1:<port>" followed by the path.
    std::string url(const std::string &path = "/") const;

    // Answers for a target: an exact match of path and query wins over a
    // match of the path alone, which wins over the handler; anything else
    // gets the default (404).
    void setResponse(const std::string &pathOrTarget, CannedHttpReply response);
    void setHandler(Handler handler);
    void setDefaultResponse(CannedHttpReply response);

    std::vector<HttpRequestRecord> requests() const;
    size_t requestCount() const;
    void clearRequests();
    // Waits until at least count requests have arrived; false on time-out.
    bool waitForRequests(size_t count, std::chrono::milliseconds timeout) const;
    // Connections accepted so far.
    size_t connectionCount() const { return m_connections.load(); }

    void stop();

private:
    struct Client;
    void acceptLoop();
    void serve(int fd, std::string address, uint16_t port);
    CannedHttpReply responseFor(const HttpRequestRecord &request);
    // Waits without spinning; false when the server stops meanwhile.
    bool pause(std::chrono::milliseconds duration);
    bool waitReadable(int fd, int timeoutMs);
    bool sendAll(int fd, const std::string &data);
    void sendEndlessly(int fd, const std::string &piece);
    void reapFinished();

    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<size_t> m_connections{0};
    std::thread m_acceptThread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_requestArrived;
    std::map<std::string, CannedHttpReply> m_responses;
    Handler m_handler;
    CannedHttpReply m_defaultResponse;
    std::vector<HttpRequestRecord> m_requests;
    std::vector<std::unique_ptr<Client>> m_clients;
    std::mutex m_stopMutex;
};

// A port on 127.0.0.1 that was free a moment ago: bound and given back at
// once, so a server started soon after can take it (0 when none could be had).
uint16_t freeLoopbackPort();

} // namespace zvotest
