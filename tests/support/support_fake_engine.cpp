#include "tests/support/FakeSearchEngine.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace zvotest {

namespace {

using namespace std::chrono_literals;

std::string lowerCase(std::string text)
{
    for (char &c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string percentDecoded(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else if (text[i] == '+') {
            out += ' ';
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string parameter(const std::string &query, const std::string &name)
{
    size_t at = 0;
    while (at <= query.size()) {
        size_t end = query.find('&', at);
        if (end == std::string::npos)
            end = query.size();
        const std::string pair = query.substr(at, end - at);
        const size_t eq = pair.find('=');
        if (pair.substr(0, eq) == name)
            return eq == std::string::npos ? std::string() : percentDecoded(pair.substr(eq + 1));
        at = end + 1;
    }
    return {};
}

std::string withSeparators(int64_t value)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return value < 0 ? "-" + out : out;
}

} // namespace

EngineAnswer EngineAnswer::withCount(int64_t count)
{
    return {.count = count};
}

EngineAnswer EngineAnswer::noCount()
{
    return {.kind = Kind::NoCount};
}

EngineAnswer EngineAnswer::withStatus(int status, int64_t count)
{
    return {.kind = Kind::Status, .count = count, .status = status};
}

EngineAnswer EngineAnswer::hang()
{
    return {.kind = Kind::Hang};
}

EngineAnswer EngineAnswer::stall()
{
    return {.kind = Kind::Stall};
}

EngineAnswer EngineAnswer::closeWithoutReply()
{
    return {.kind = Kind::Close};
}

EngineAnswer EngineAnswer::reset()
{
    return {.kind = Kind::Reset};
}

EngineAnswer EngineAnswer::huge(size_t bytes, int64_t count)
{
    return {.count = count, .padding = bytes};
}

EngineAnswer EngineAnswer::after(std::chrono::milliseconds wait) const
{
    EngineAnswer a = *this;
    a.delay = wait;
    return a;
}

EngineRequest describeRequest(const HttpRequestRecord &request)
{
    EngineRequest r;
    r.method = request.method;
    r.path = request.path;
    r.query = request.query;
    r.userAgent = request.header("User-Agent");
    r.referrer = request.header("Referer");
    r.arrival = request.arrival;
    r.clientAddress = request.clientAddress;
    r.fromWorker = r.userAgent == FakeSearchEngine::WorkerUserAgent;
    if (request.path == "/search") {
        r.domain = lowerCase(parameter(request.query, "q"));
        r.engine = std::atoi(parameter(request.query, "e").c_str());
    }
    return r;
}

FakeSearchEngine::FakeSearchEngine()
{
    m_server.setHandler([this](const HttpRequestRecord &request) { return respond(request); });
}

std::string FakeSearchEngine::queryUrl(int engine, const std::string &domain) const
{
    return m_server.url("/search?q=" + domain + "&e=" + std::to_string(engine));
}

std::string FakeSearchEngine::key(const std::string &domain, int engine)
{
    return lowerCase(domain) + '\t' + std::to_string(engine);
}

void FakeSearchEngine::setAnswer(const std::string &domain, int engine, EngineAnswer answer)
{
    std::lock_guard lock(m_mutex);
    m_programs[key(domain, engine)] = Program{{answer}, 0, std::nullopt};
}

void FakeSearchEngine::setAnswers(const std::string &domain, int engine, std::vector<EngineAnswer> answers)
{
    std::lock_guard lock(m_mutex);
    Program &p = m_programs[key(domain, engine)];
    p.direct = std::move(answers);
    p.next = 0;
}

void FakeSearchEngine::setBrowserAnswer(const std::string &domain, int engine, EngineAnswer answer)
{
    std::lock_guard lock(m_mutex);
    m_programs[key(domain, engine)].browser = answer;
}

void FakeSearchEngine::setDefaultAnswer(EngineAnswer answer)
{
    std::lock_guard lock(m_mutex);
    m_default = answer;
}

int64_t FakeSearchEngine::derivedCount(const std::string &domain, int engine)
{
    // FNV-1a: the same numbers on every machine and every run.
    uint64_t hash = 1469598103934665603ull;
    for (char c : key(domain, engine)) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    // Spread over the colour scale's range: a few hundred to a few million.
    const int digits = 2 + int(hash % 6);
    int64_t limit = 1;
    for (int i = 0; i < digits; ++i)
        limit *= 10;
    return int64_t((hash >> 8) % uint64_t(limit));
}

std::string FakeSearchEngine::resultPage(int64_t count, const std::string &domain, size_t padding)
{
    std::string page = "<html><head><title>Fake search: " + domain + "</title></head><body>\n";
    if (padding > 0)
        page += "<!-- " + std::string(padding, 'x') + " -->\n";
    page += "<p>Results 1 - 10 of about " + withSeparators(count) + " for <b>link:" + domain + "</b></p>\n";
    page += "</body></html>\n";
    return page;
}

std::string FakeSearchEngine::emptyResultPage(const std::string &domain)
{
    return "<html><head><title>Fake search: " + domain +
           "</title></head><body>\n<p>Your search did not match any documents.</p>\n</body></html>\n";
}

CannedHttpReply FakeSearchEngine::toResponse(const EngineAnswer &answer, const std::string &domain) const
{
    CannedHttpReply reply;
    switch (answer.kind) {
    case EngineAnswer::Kind::Count:
        reply = CannedHttpReply::ok(resultPage(answer.count, domain, answer.padding));
        break;
    case EngineAnswer::Kind::NoCount: reply = CannedHttpReply::ok(emptyResultPage(domain)); break;
    case EngineAnswer::Kind::Status:
        reply = CannedHttpReply::withStatus(answer.status, answer.count >= 0 ? resultPage(answer.count, domain)
                                                                             : emptyResultPage(domain));
        reply.headers.emplace_back("Content-Type", "text/html");
        break;
    case EngineAnswer::Kind::Hang: reply = CannedHttpReply::hang(); break;
    case EngineAnswer::Kind::Stall: {
        const std::string page = resultPage(answer.count, domain, 4096);
        reply = CannedHttpReply::trickle(page, page.size() / 4, std::chrono::hours(1));
        break;
    }
    case EngineAnswer::Kind::Close: reply = CannedHttpReply::closeWithoutReply(); break;
    case EngineAnswer::Kind::Reset: reply = CannedHttpReply::reset(); break;
    }
    reply.delay = answer.delay;
    return reply;
}

CannedHttpReply FakeSearchEngine::respond(const HttpRequestRecord &request)
{
    const EngineRequest r = describeRequest(request);
    if (r.path != "/search")
        return CannedHttpReply::withStatus(404, "<html><body>Not Found</body></html>");

    EngineAnswer answer;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_programs.find(key(r.domain, r.engine));
        if (it != m_programs.end() && (!it->second.direct.empty() || it->second.browser)) {
            Program &p = it->second;
            if (!r.fromWorker && p.browser) {
                answer = *p.browser;
            } else if (p.direct.empty()) {
                answer = EngineAnswer::withCount(derivedCount(r.domain, r.engine));
            } else if (r.fromWorker) {
                answer = p.direct[std::min(p.next, p.direct.size() - 1)];
                ++p.next;
            } else {
                answer = p.direct.back();
            }
        } else {
            answer = m_default ? *m_default : EngineAnswer::withCount(derivedCount(r.domain, r.engine));
        }
    }
    return toResponse(answer, r.domain);
}

std::vector<EngineRequest> FakeSearchEngine::requests() const
{
    std::vector<EngineRequest> out;
    for (const HttpRequestRecord &record : m_server.requests())
        out.push_back(describeRequest(record));
    return out;
}

std::vector<EngineRequest> FakeSearchEngine::queries(const std::string &domain, int engine) const
{
    const std::string wanted = lowerCase(domain);
    std::vector<EngineRequest> out;
    for (EngineRequest &r : requests())
        if (r.path == "/search" && r.domain == wanted && r.engine == engine)
            out.push_back(std::move(r));
    return out;
}

size_t FakeSearchEngine::workerQueries(const std::string &domain, int engine) const
{
    size_t n = 0;
    for (const EngineRequest &r : queries(domain, engine))
        n += r.fromWorker ? 1 : 0;
    return n;
}

size_t FakeSearchEngine::browserQueries(const std::string &domain, int engine) const
{
    size_t n = 0;
    for (const EngineRequest &r : queries(domain, engine))
        n += r.fromWorker ? 0 : 1;
    return n;
}

bool FakeSearchEngine::waitForRequests(size_t count, std::chrono::milliseconds timeout) const
{
    return m_server.waitForRequests(count, timeout);
}

void FakeSearchEngine::clearRequests()
{
    m_server.clearRequests();
}

} // namespace zvotest
