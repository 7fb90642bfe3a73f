#include "tests/support/FakeUpdateServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace zvotest {

namespace {
constexpr const char *kListPath = "/updates/zvoupdates.txt";
constexpr const char *kFilePrefix = "/files/";
} // namespace

FakeUpdateServer::FakeUpdateServer()
{
    if (const char *previous = std::getenv("ZVO_UPDATE_SERVER")) {
        m_hadPreviousAddress = true;
        m_previousAddress = previous;
    }
    ::setenv("ZVO_UPDATE_SERVER", base().c_str(), 1);
}

FakeUpdateServer::~FakeUpdateServer()
{
    m_server.stop();
    if (m_hadPreviousAddress)
        ::setenv("ZVO_UPDATE_SERVER", m_previousAddress.c_str(), 1);
    else
        ::unsetenv("ZVO_UPDATE_SERVER");
}

std::string FakeUpdateServer::base() const
{
    return "http://127.0.0.1:" + std::to_string(m_server.port());
}

std::string FakeUpdateServer::fileLink(const std::string &name) const
{
    return base() + kFilePrefix + name;
}

void FakeUpdateServer::setUpdateList(std::string text)
{
    m_server.setResponse(kListPath, HttpResponseSpec::ok(std::move(text), "text/plain"));
}

void FakeUpdateServer::setUpdateListResponse(HttpResponseSpec response)
{
    m_server.setResponse(kListPath, std::move(response));
}

void FakeUpdateServer::setFile(const std::string &name, std::string content)
{
    m_server.setResponse(kFilePrefix + name, HttpResponseSpec::ok(std::move(content), "text/plain"));
}

void FakeUpdateServer::setFileResponse(const std::string &name, HttpResponseSpec response)
{
    m_server.setResponse(kFilePrefix + name, std::move(response));
}

std::vector<std::string> FakeUpdateServer::requestedPaths() const
{
    std::vector<std::string> paths;
    for (const HttpRequestRecord &request : m_server.requests())
        paths.push_back(request.path);
    return paths;
}

std::vector<std::string> FakeUpdateServer::fetchedFiles() const
{
    const std::string prefix = kFilePrefix;
    std::vector<std::string> files;
    for (const std::string &path : requestedPaths()) {
        if (path.compare(0, prefix.size(), prefix) == 0)
            files.push_back(path.substr(prefix.size()));
    }
    return files;
}

std::string refusedLoopbackAddress()
{
    // Bind a port and give it back: for the short life of a test nothing
    // else takes it, so a connection to it is refused.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 9;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (fd >= 0)
        ::close(fd);
    return "http://127.0.0.1:" + std::to_string(port);
}

} // namespace zvotest
