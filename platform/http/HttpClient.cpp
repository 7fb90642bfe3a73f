#include "platform/http/HttpClient.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <mutex>
#include <utility>

namespace http {

namespace {

std::once_flag g_curlInitOnce;

void ensureCurlInitialised()
{
    // curl_global_init is not thread-safe itself; workers create clients
    // concurrently.
    std::call_once(g_curlInitOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int socketErrorFromErrno(long err, int fallback)
{
    switch (err) {
    case ECONNREFUSED: return SocketError::ConnectionRefused;
    case ETIMEDOUT: return SocketError::TimedOut;
    case ECONNRESET: return SocketError::ConnectionReset;
    case EHOSTUNREACH: return SocketError::HostUnreachable;
    case ENETUNREACH: return SocketError::NetworkUnreachable;
    case ENETDOWN: return SocketError::NetworkDown;
    case ECONNABORTED:
    case EPIPE: return SocketError::ConnectionAborted;
    case EADDRNOTAVAIL: return SocketError::AddressNotAvailable;
    default: return fallback;
    }
}

std::string socketErrorText(int code)
{
    switch (code) {
    case SocketError::AddressNotAvailable: return "Cannot assign requested address.";
    case SocketError::NetworkDown: return "Network is down.";
    case SocketError::NetworkUnreachable: return "Network is unreachable.";
    case SocketError::ConnectionAborted: return "Software caused connection abort.";
    case SocketError::ConnectionReset: return "Connection reset by peer.";
    case SocketError::TimedOut: return "Connection timed out.";
    case SocketError::ConnectionRefused: return "Connection refused.";
    case SocketError::HostUnreachable: return "No route to host.";
    case SocketError::HostNotFound: return "Host not found.";
    default: return {};
    }
}

EHttpError socketFailure(int code)
{
    return EHttpError(ErrorKind::Socket, "Socket Error # " + std::to_string(code) + "\n" + socketErrorText(code), code);
}

bool validPort(int32_t port)
{
    return port > 0 && port <= 65535;
}

std::string hostForUrl(const std::string &host)
{
    if (host.find(':') != std::string::npos && host.front() != '[')
        return "[" + host + "]";
    return host;
}

std::string escaped(CURL *easy, const std::string &text)
{
    char *out = curl_easy_escape(easy, text.data(), static_cast<int>(text.size()));
    std::string result = out ? out : "";
    curl_free(out);
    return result;
}

} // namespace

EHttpError::EHttpError(ErrorKind kind, const std::string &message, int code, std::string body)
    : rtl::Exception(message)
    , m_kind(kind)
    , m_code(code)
    , m_body(std::move(body))
{}

struct HttpClient::Handles
{
    HttpClient *owner = nullptr;
    CURL *easy = nullptr;
    CURLM *multi = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    // State of the transfer in progress.
    std::string body;
    std::string statusLine;
    bool tooLarge = false;
    bool callbackAborted = false;
    std::exception_ptr callbackError;
    // Kept alive while curl may read them.
    std::string proxyUrl;
    std::string preProxyUrl;

    void resetTransfer()
    {
        body.clear();
        statusLine.clear();
        tooLarge = false;
        callbackAborted = false;
        callbackError = nullptr;
        errorBuffer[0] = '\0';
    }

    static size_t onBody(char *data, size_t size, size_t count, void *user)
    {
        auto *self = static_cast<Handles *>(user);
        const size_t length = size * count;
        const int64_t limit = self->owner->m_maxBodySize;
        if (limit > 0 && static_cast<int64_t>(self->body.size() + length) > limit) {
            self->tooLarge = true;
            return 0; // makes curl fail the transfer
        }
        self->body.append(data, length);
        return length;
    }

    static size_t onHeader(char *data, size_t size, size_t count, void *user)
    {
        auto *self = static_cast<Handles *>(user);
        const size_t length = size * count;
        if (length >= 5 && std::memcmp(data, "HTTP/", 5) == 0) {
            // A new reply begins (after a redirect or a proxy's CONNECT
            // answer): what came before is not the page.
            self->statusLine.assign(data, length);
            while (!self->statusLine.empty() && (self->statusLine.back() == '\r' || self->statusLine.back() == '\n'))
                self->statusLine.pop_back();
            self->body.clear();
        }
        return length;
    }

    static int onProgress(void *user, curl_off_t downloadTotal, curl_off_t downloadNow, curl_off_t, curl_off_t)
    {
        auto *self = static_cast<Handles *>(user);
        if (self->owner->m_abort.load())
            return 1;
        if (self->owner->m_progress) {
            // No exception may unwind through curl's C frames.
            try {
                if (!self->owner->m_progress(downloadNow, downloadTotal)) {
                    self->callbackAborted = true;
                    return 1;
                }
            } catch (const rtl::EAbort &) {
                self->callbackAborted = true;
                return 1;
            } catch (...) {
                // Raised again once curl has let go of the transfer.
                self->callbackError = std::current_exception();
                return 1;
            }
        }
        return 0;
    }
};

HttpClient::HttpClient()
    : m_handles(std::make_unique<Handles>())
{
    ensureCurlInitialised();
    m_handles->owner = this;
    m_handles->easy = curl_easy_init();
    m_handles->multi = curl_multi_init();
    if (!m_handles->easy || !m_handles->multi) {
        if (m_handles->easy)
            curl_easy_cleanup(m_handles->easy);
        if (m_handles->multi)
            curl_multi_cleanup(m_handles->multi);
        throw rtl::Exception("Cannot create the HTTP client");
    }
}

HttpClient::~HttpClient()
{
    curl_easy_cleanup(m_handles->easy);
    curl_multi_cleanup(m_handles->multi);
}

void HttpClient::createIOHandler()
{
    if (!m_socksInfo)
        m_socksInfo = std::make_unique<SocksInfo>();
}

void HttpClient::abort()
{
    m_abort.store(true);
    curl_multi_wakeup(m_handles->multi);
}

void HttpClient::configure(const std::string &url)
{
    Handles &h = *m_handles;
    CURL *e = h.easy;
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, h.errorBuffer);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Handles::onBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &h);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Handles::onHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &h);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &Handles::onProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &h);

    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, m_handleRedirects ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, static_cast<long>(m_maxRedirects));
    curl_easy_setopt(e, CURLOPT_USERAGENT, m_userAgent.empty() ? nullptr : m_userAgent.c_str());
    curl_easy_setopt(e, CURLOPT_REFERER, m_referer.empty() ? nullptr : m_referer.c_str());

    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_connectTimeoutMs));
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, m_stallTimeoutSeconds > 0 ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_stallTimeoutSeconds));
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(m_transferTimeLimitMs > 0 ? m_transferTimeLimitMs : 0));
    curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_maxBodySize > 0 ? m_maxBodySize : 0));

    // An empty proxy and an empty exception list keep curl from taking
    // http_proxy, ALL_PROXY or no_proxy from the environment: the settings
    // alone decide how the program connects.
    curl_easy_setopt(e, CURLOPT_NOPROXY, "");
    curl_easy_setopt(e, CURLOPT_SOCKS5_AUTH, static_cast<long>(CURLAUTH_BASIC));

    h.proxyUrl.clear();
    h.preProxyUrl.clear();
    const bool useSocks = m_socksInfo && m_socksInfo->version != SocksVersion::None;
    const bool useHttpProxy = !m_proxyParams.server.empty();
    std::string socksUrl;
    if (useSocks) {
        const SocksInfo &s = *m_socksInfo;
        if (!validPort(s.port))
            throw socketFailure(SocketError::AddressNotAvailable);
        // Host names are resolved here, as for a direct connection, and the
        // SOCKS 4 request carries the address (no 4a, no remote resolution).
        socksUrl = s.version == SocksVersion::Socks4 ? "socks4://" : "socks5://";
        if (s.version == SocksVersion::Socks5 && s.authentication == SocksAuthentication::UsernamePassword)
            socksUrl += escaped(e, s.username) + ":" + escaped(e, s.password) + "@";
        socksUrl += hostForUrl(s.host) + ":" + std::to_string(s.port);
    }
    if (useHttpProxy) {
        if (!validPort(m_proxyParams.port))
            throw socketFailure(SocketError::AddressNotAvailable);
        h.proxyUrl = "http://" + hostForUrl(m_proxyParams.server) + ":" + std::to_string(m_proxyParams.port);
        h.preProxyUrl = socksUrl;
    } else {
        h.proxyUrl = socksUrl;
    }
    curl_easy_setopt(e, CURLOPT_PROXY, h.proxyUrl.c_str());
    curl_easy_setopt(e, CURLOPT_PRE_PROXY, h.preProxyUrl.empty() ? nullptr : h.preProxyUrl.c_str());
    const bool proxyCredentials = useHttpProxy && (!m_proxyParams.username.empty() || !m_proxyParams.password.empty());
    curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, proxyCredentials ? m_proxyParams.username.c_str() : nullptr);
    curl_easy_setopt(e, CURLOPT_PROXYPASSWORD, proxyCredentials ? m_proxyParams.password.c_str() : nullptr);
    curl_easy_setopt(e, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
}

namespace {

EHttpError proxyFailure(long proxyCode, const std::string &detail)
{
    switch (proxyCode) {
    case CURLPX_REPLY_CONNECTION_REFUSED: return socketFailure(SocketError::ConnectionRefused);
    case CURLPX_REPLY_HOST_UNREACHABLE: return socketFailure(SocketError::HostUnreachable);
    case CURLPX_REPLY_NETWORK_UNREACHABLE: return socketFailure(SocketError::NetworkUnreachable);
    case CURLPX_REPLY_TTL_EXPIRED: return socketFailure(SocketError::TimedOut);
    case CURLPX_RESOLVE_HOST: return socketFailure(SocketError::HostNotFound);
    default: return EHttpError(ErrorKind::Other, "Proxy failure: " + detail);
    }
}

} // namespace

std::string HttpClient::get(const std::string &url)
{
    Handles &h = *m_handles;
    h.resetTransfer();
    m_responseCode = 0;
    if (m_abort.load())
        throw EHttpError(ErrorKind::Aborted, "Operation aborted");
    configure(url);

    CURLcode result = CURLE_OK;
    bool finished = false;
    bool aborted = false;
    if (curl_multi_add_handle(h.multi, h.easy) != CURLM_OK)
        throw EHttpError(ErrorKind::Other, "Cannot start the request");
    while (true) {
        int running = 0;
        if (curl_multi_perform(h.multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        int queued = 0;
        while (CURLMsg *message = curl_multi_info_read(h.multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                result = message->data.result;
                finished = true;
            }
        }
        if (finished)
            break;
        // Short waits, woken by abort(), so that a stop ends a stalled
        // transfer at once and not at curl's next once-a-second progress call.
        if (m_abort.load()) {
            aborted = true;
            break;
        }
        curl_multi_poll(h.multi, nullptr, 0, 100, nullptr);
        if (m_abort.load()) {
            aborted = true;
            break;
        }
    }
    curl_multi_remove_handle(h.multi, h.easy);

    long status = 0;
    curl_easy_getinfo(h.easy, CURLINFO_RESPONSE_CODE, &status);
    m_responseCode = static_cast<int>(status);

    if (h.callbackError)
        std::rethrow_exception(std::exchange(h.callbackError, nullptr));
    if (aborted || (result == CURLE_ABORTED_BY_CALLBACK && (m_abort.load() || h.callbackAborted)))
        throw EHttpError(ErrorKind::Aborted, "Operation aborted");
    if (h.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        h.body.clear();
        throw EHttpError(ErrorKind::Other, "The page is larger than " + std::to_string(m_maxBodySize) + " bytes");
    }
    if (result != CURLE_OK) {
        const std::string detail = h.errorBuffer[0] ? h.errorBuffer : curl_easy_strerror(result);
        long connectStatus = 0;
        curl_easy_getinfo(h.easy, CURLINFO_HTTP_CONNECTCODE, &connectStatus);
        if (connectStatus >= 400) {
            m_responseCode = static_cast<int>(connectStatus);
            throw EHttpError(ErrorKind::HttpStatus, h.statusLine, static_cast<int>(connectStatus));
        }
        long osError = 0;
        curl_easy_getinfo(h.easy, CURLINFO_OS_ERRNO, &osError);
        switch (result) {
        case CURLE_GOT_NOTHING: throw EHttpError(ErrorKind::ConnectionClosed, "Connection Closed Gracefully.");
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY: throw socketFailure(SocketError::HostNotFound);
        case CURLE_OPERATION_TIMEDOUT: throw socketFailure(SocketError::TimedOut);
        case CURLE_COULDNT_CONNECT: throw socketFailure(socketErrorFromErrno(osError, SocketError::ConnectionRefused));
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR: {
            const int code = socketErrorFromErrno(osError, 0);
            if (code != 0)
                throw socketFailure(code);
            throw EHttpError(ErrorKind::Other, detail);
        }
        case CURLE_PROXY: {
            long proxyCode = 0;
            curl_easy_getinfo(h.easy, CURLINFO_PROXY_ERROR, &proxyCode);
            throw proxyFailure(proxyCode, detail);
        }
        default: throw EHttpError(ErrorKind::Other, detail);
        }
    }
    if (status >= 400)
        throw EHttpError(ErrorKind::HttpStatus, h.statusLine, static_cast<int>(status), std::move(h.body));
    return std::move(h.body);
}

} // namespace http
