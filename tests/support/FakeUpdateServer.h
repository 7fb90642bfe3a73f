#pragma once

// The maker's update server, played on loopback: it serves an update list
// under "/updates/zvoupdates.txt" and the files the list links to, records
// what was fetched, and points the program at itself through
// ZVO_UPDATE_SERVER for as long as it lives.

#include "tests/support/LocalHttpServer.h"

#include <string>
#include <vector>

namespace zvotest {

class FakeUpdateServer
{
public:
    FakeUpdateServer();
    ~FakeUpdateServer();
    FakeUpdateServer(const FakeUpdateServer &) = delete;
    FakeUpdateServer &operator=(const FakeUpdateServer &) = delete;

    bool isRunning() const { return m_server.isRunning(); }
    // "http://127.0.0.1:<port>"
    std::string base() const;
    // The address of a file served under "/files/<name>".
    std::string fileLink(const std::string &name) const;

    void setUpdateList(std::string text);
    void setUpdateListResponse(CannedHttpReply response);
    void setFile(const std::string &name, std::string content);
    void setFileResponse(const std::string &name, CannedHttpReply response);

    // Paths requested so far, in order of arrival.
    std::vector<std::string> requestedPaths() const;
    // Files (names under "/files/") requested so far.
    std::vector<std::string> fetchedFiles() const;

    LocalHttpServer &server() { return m_server; }

    // Stops answering: later requests find no server.
    void stop() { m_server.stop(); }

private:
    LocalHttpServer m_server;
    std::string m_previousAddress;
    bool m_hadPreviousAddress = false;
};

// The address of a port on loopback that nothing listens on.
std::string refusedLoopbackAddress();

} // namespace zvotest
