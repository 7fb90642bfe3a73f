#pragma once

// Real proxy servers of the system for tests, each started on a free
// loopback port with its configuration in a temporary folder, and stopped
// (killed and reaped) when the object goes:
//   tinyproxy    HTTP proxy, optionally with Basic authentication
//   danted       SOCKS 4 (and SOCKS 5 without authentication)
//   microsocks   SOCKS 5, optionally with user name and password
// A start that fails answers null and says why, so that the test fails.
// Each server connects onwards from 127.0.0.2, so that a server of the tests
// tells a request that came through a proxy from one that came directly.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zvotest {

class ProxyServer
{
public:
    ~ProxyServer();
    ProxyServer(const ProxyServer &) = delete;
    ProxyServer &operator=(const ProxyServer &) = delete;

    static std::unique_ptr<ProxyServer> startTinyProxy(const std::string &user = {}, const std::string &password = {},
                                                       std::string *error = nullptr);
    static std::unique_ptr<ProxyServer> startDante(std::string *error = nullptr);
    static std::unique_ptr<ProxyServer> startMicroSocks(const std::string &user = {}, const std::string &password = {},
                                                        std::string *error = nullptr);

    std::string host() const { return "127.0.0.1"; }
    // The address the server's onward connections come from.
    static std::string outgoingAddress() { return "127.0.0.2"; }
    uint16_t port() const { return m_port; }
    // What the server wrote to its log and its standard output so far.
    std::string log() const;
    void stop();

private:
    ProxyServer() = default;
    // Writes the configuration for the port and answers the command line.
    using Prepare = std::function<std::vector<std::string>(ProxyServer &server, uint16_t port)>;
    static std::unique_ptr<ProxyServer> start(const std::string &name, const Prepare &prepare, std::string *error);
    bool launch(const std::vector<std::string> &command, std::string &why);
    std::string file(const std::string &name) const { return m_folder + "/" + name; }

    std::string m_folder;
    std::string m_logPath;
    std::string m_outputPath;
    uint16_t m_port = 0;
    pid_t m_pid = -1;
};

} // namespace zvotest
