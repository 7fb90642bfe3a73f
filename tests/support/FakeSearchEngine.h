#pragma once

// A search engine on 127.0.0.1 and a free port that answers link queries with
// result pages carrying a count ("Results 1 - 10 of about 1,234 for ..."), as
// the result-count scraper reads them. Answers are programmed per queried
// domain and engine: a count, a page without one, an HTTP status, a delay, a
// hang, a stalled body, a close without reply, a reset, a huge page. The
// query worker's own user agent can be answered differently from every other
// client, so that a test tells the direct request from the hidden browser.
//
// Queries look like "/search?q=<domain>&e=<engine>"; every request is
// recorded, whatever its path.

#include "tests/support/LocalHttpServer.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zvotest {

struct EngineAnswer
{
    enum class Kind {
        Count,   // a result page with the count
        NoCount, // a result page without any count
        Status,  // the status with a page (with the count when count >= 0)
        Hang,    // never answers
        Stall,   // headers and the start of the page, then nothing
        Close,   // closes the connection without a reply
        Reset    // resets the connection
    };

    Kind kind = Kind::Count;
    int64_t count = 0;
    int status = 200;
    std::chrono::milliseconds delay{0};
    // Filler in front of the count, for pages of a given size.
    size_t padding = 0;

    static EngineAnswer withCount(int64_t count);
    static EngineAnswer noCount();
    static EngineAnswer withStatus(int status, int64_t count = -1);
    static EngineAnswer hang();
    static EngineAnswer stall();
    static EngineAnswer closeWithoutReply();
    static EngineAnswer reset();
    static EngineAnswer huge(size_t bytes, int64_t count);
    EngineAnswer after(std::chrono::milliseconds wait) const;
};

struct EngineRequest
{
    std::string method;
    std::string path;
    std::string query;
    std::string domain; // the q parameter in lower case ("" for other paths)
    int engine = 0;     // the e parameter (0 for other paths)
    std::string userAgent;
    std::string referrer;
    std::chrono::steady_clock::time_point arrival;
    bool fromWorker = false; // the worker's exact user agent
    std::string clientAddress;
};

class FakeSearchEngine
{
public:
    static constexpr const char *WorkerUserAgent = "Mozilla/4.0 (compatible; MSIE 5.5; Windows NT 5.0)";

    FakeSearchEngine();
    bool isRunning() const { return m_server.isRunning(); }
    uint16_t port() const { return m_server.port(); }
    // "http://127.0.0.1:<port>/search?q=<domain>&e=<engine>"; with the
    // default domain this is the engine's URL template.
    std::string queryUrl(int engine, const std::string &domain = "YOURDOMAIN.COM") const;
    std::string url(const std::string &path = "/") const { return m_server.url(path); }

    // Every client gets this answer for the domain and engine.
    void setAnswer(const std::string &domain, int engine, EngineAnswer answer);
    // The worker's requests get these answers in turn, the last one
    // repeating; other clients get the last one unless set apart.
    void setAnswers(const std::string &domain, int engine, std::vector<EngineAnswer> answers);
    // What every client but the worker gets.
    void setBrowserAnswer(const std::string &domain, int engine, EngineAnswer answer);
    // Queries not programmed: a count made from the domain and engine
    // (stable across runs) unless a default is set.
    void setDefaultAnswer(EngineAnswer answer);
    static int64_t derivedCount(const std::string &domain, int engine);

    std::vector<EngineRequest> requests() const;
    // Queries of the domain and engine, all clients, the worker's, the others'.
    std::vector<EngineRequest> queries(const std::string &domain, int engine) const;
    size_t workerQueries(const std::string &domain, int engine) const;
    size_t browserQueries(const std::string &domain, int engine) const;
    // Requests of any path.
    bool waitForRequests(size_t count, std::chrono::milliseconds timeout) const;
    void clearRequests();

    // The page that states the count, with the domain it is about.
    static std::string resultPage(int64_t count, const std::string &domain, size_t padding = 0);
    static std::string emptyResultPage(const std::string &domain);

    void stop() { m_server.stop(); }

private:
    struct Program
    {
        std::vector<EngineAnswer> direct;
        size_t next = 0;
        std::optional<EngineAnswer> browser;
    };
    static std::string key(const std::string &domain, int engine);
    CannedHttpReply respond(const HttpRequestRecord &request);
    CannedHttpReply toResponse(const EngineAnswer &answer, const std::string &domain) const;

    mutable std::mutex m_mutex;
    std::map<std::string, Program> m_programs;
    std::optional<EngineAnswer> m_default;
    LocalHttpServer m_server;
};

// The query's parameters: q in lower case and e as a number.
EngineRequest describeRequest(const HttpRequestRecord &request);

} // namespace zvotest
