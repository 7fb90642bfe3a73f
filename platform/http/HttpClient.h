#pragma once

// The HTTP client every request of the program goes through: a blocking GET
// on libcurl with redirects, user agent and referrer, an HTTP proxy with Basic
// authentication or a SOCKS 4 / SOCKS 5 proxy on the socket, a progress
// callback that can abort, time-outs and a cap on the size of a page.
//
// A client is used by one thread at a time; only abort() may be called from
// another thread.

#include "platform/rtl/Exceptions.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace http {

// What went wrong, in the classes the callers react to differently.
enum class ErrorKind {
    ConnectionClosed, // the server closed the connection without replying
    HttpStatus,       // a reply with status 400 or above (httpStatus(), body())
    Socket,           // a socket failure (socketError() in the Windows numbering)
    Aborted,          // stopped by abort() or by the progress callback
    Other             // anything else; the message says what
};

// Socket error numbers as the program reports and classifies them.
namespace SocketError {
constexpr int AddressNotAvailable = 10049;
constexpr int NetworkDown = 10050;
constexpr int NetworkUnreachable = 10051;
constexpr int ConnectionAborted = 10053;
constexpr int ConnectionReset = 10054;
constexpr int TimedOut = 10060;
constexpr int ConnectionRefused = 10061;
constexpr int HostUnreachable = 10065;
constexpr int HostNotFound = 11001;
} // namespace SocketError

class EHttpError : public rtl::Exception
{
public:
    EHttpError(ErrorKind kind, const std::string &message, int code = 0, std::string body = {});

    ErrorKind kind() const { return m_kind; }
    // The HTTP status for ErrorKind::HttpStatus, else 0.
    int httpStatus() const { return m_kind == ErrorKind::HttpStatus ? m_code : 0; }
    // The socket error number for ErrorKind::Socket, else 0.
    int socketError() const { return m_kind == ErrorKind::Socket ? m_code : 0; }
    // The page that came with an HTTP error status.
    const std::string &body() const { return m_body; }

private:
    ErrorKind m_kind;
    int m_code;
    std::string m_body;
};

enum class SocksVersion { None, Socks4, Socks5 };
enum class SocksAuthentication { None, UsernamePassword };

// The SOCKS proxy the client's socket connects through.
struct SocksInfo
{
    SocksVersion version = SocksVersion::None;
    std::string host;
    int32_t port = 1080;
    SocksAuthentication authentication = SocksAuthentication::None;
    std::string username;
    std::string password;
};

// The HTTP proxy the requests are sent to; no proxy while the server is empty.
struct ProxyParams
{
    std::string server;
    int32_t port = 0;
    std::string username;
    std::string password;
};

class HttpClient
{
public:
    // Called while a transfer runs: bytes received so far and the expected
    // total (0 when unknown). Answer false, or throw rtl::EAbort, to abort.
    using ProgressCallback = std::function<bool(int64_t received, int64_t total)>;

    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient &) = delete;
    HttpClient &operator=(const HttpClient &) = delete;

    // Fetches the URL and answers the body. Throws EHttpError.
    std::string get(const std::string &url);

    void setUserAgent(const std::string &userAgent) { m_userAgent = userAgent; }
    const std::string &userAgent() const { return m_userAgent; }
    void setReferer(const std::string &referer) { m_referer = referer; }
    const std::string &referer() const { return m_referer; }

    void setHandleRedirects(bool on) { m_handleRedirects = on; }
    bool handleRedirects() const { return m_handleRedirects; }
    void setMaxRedirects(int count) { m_maxRedirects = count; }
    int maxRedirects() const { return m_maxRedirects; }

    // Time allowed to establish the connection (proxy handshake included).
    void setConnectTimeoutMs(int ms) { m_connectTimeoutMs = ms; }
    int connectTimeoutMs() const { return m_connectTimeoutMs; }
    // A transfer that receives nothing for this long fails with a time-out.
    void setStallTimeoutSeconds(int seconds) { m_stallTimeoutSeconds = seconds; }
    int stallTimeoutSeconds() const { return m_stallTimeoutSeconds; }
    // A transfer still running after this long fails with a time-out, however
    // steadily it trickles in (0: no limit).
    void setTransferTimeLimitMs(int ms) { m_transferTimeLimitMs = ms; }
    int transferTimeLimitMs() const { return m_transferTimeLimitMs; }
    // A longer page is a failed request.
    void setMaxBodySize(int64_t bytes) { m_maxBodySize = bytes; }
    int64_t maxBodySize() const { return m_maxBodySize; }

    void setProgressCallback(ProgressCallback callback) { m_progress = std::move(callback); }

    // The socket layer that carries the SOCKS settings. A new client connects
    // plainly and has none until one is created.
    bool hasIOHandler() const { return m_socksInfo != nullptr; }
    void createIOHandler();
    SocksInfo *socksInfo() { return m_socksInfo.get(); }
    const SocksInfo *socksInfo() const { return m_socksInfo.get(); }

    ProxyParams &proxyParams() { return m_proxyParams; }
    const ProxyParams &proxyParams() const { return m_proxyParams; }

    // Ends the transfer in progress, or the next one, with ErrorKind::Aborted.
    // Safe from any thread; stays in force until clearAbort().
    void abort();
    void clearAbort() { m_abort.store(false); }
    bool abortRequested() const { return m_abort.load(); }

    // The status of the last reply received (0 before any).
    int responseCode() const { return m_responseCode; }

    static constexpr int64_t DefaultMaxBodySize = 16 * 1024 * 1024;

private:
    struct Handles;
    void configure(const std::string &url);

    std::string m_userAgent;
    std::string m_referer;
    bool m_handleRedirects = true;
    int m_maxRedirects = 15;
    int m_connectTimeoutMs = 20000;
    int m_stallTimeoutSeconds = 30;
    int m_transferTimeLimitMs = 0;
    int64_t m_maxBodySize = DefaultMaxBodySize;
    ProgressCallback m_progress;
    std::unique_ptr<SocksInfo> m_socksInfo;
    ProxyParams m_proxyParams;
    int m_responseCode = 0;

    std::atomic<bool> m_abort{false};
    // Kept for the client's life, so that connections are reused and abort()
    // always has a valid handle to wake.
    std::unique_ptr<Handles> m_handles;
};

} // namespace http
