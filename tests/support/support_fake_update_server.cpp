#include "tests/support/FakeUpdateServer.h"

#include <cstdlib>

namespace zvotest {

namespace {
constexpr const char *ListPath = "/updates/zvoupdates.txt";
constexpr const char *FilePrefix = "/files/";
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
    return base() + FilePrefix + name;
}

void FakeUpdateServer::setUpdateList(std::string text)
{
    m_server.setResponse(ListPath, CannedHttpReply::ok(std::move(text), "text/plain"));
}

void FakeUpdateServer::setUpdateListResponse(CannedHttpReply response)
{
    m_server.setResponse(ListPath, std::move(response));
}

void FakeUpdateServer::setFile(const std::string &name, std::string content)
{
    m_server.setResponse(FilePrefix + name, CannedHttpReply::ok(std::move(content), "text/plain"));
}

void FakeUpdateServer::setFileResponse(const std::string &name, CannedHttpReply response)
{
    m_server.setResponse(FilePrefix + name, std::move(response));
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
    const std::string prefix = FilePrefix;
    std::vector<std::string> files;
    for (const std::string &path : requestedPaths()) {
        if (path.compare(0, prefix.size(), prefix) == 0)
            files.push_back(path.substr(prefix.size()));
    }
    return files;
}

std::string refusedLoopbackAddress()
{
    // For the short life of a test nothing else takes a port just given
    // back, so a connection to it is refused.
    const uint16_t port = freeLoopbackPort();
    return "http://127.0.0.1:" + std::to_string(port != 0 ? port : 9);
}

} // namespace zvotest
