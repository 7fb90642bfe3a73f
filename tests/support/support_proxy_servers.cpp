#include "tests/support/ProxyServers.h"

#include "tests/support/LocalHttpServer.h"
#include "tests/support/TestSupport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

extern char **environ;

namespace zvotest {

namespace {

using namespace std::chrono_literals;

constexpr auto StartTimeout = 5s;
constexpr auto StopTimeout = 2s;
constexpr int StartAttempts = 3;

bool accepts(uint16_t port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

} // namespace

ProxyServer::~ProxyServer()
{
    stop();
    if (!m_folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
}

std::string ProxyServer::log() const
{
    std::string text = readFile(QString::fromStdString(m_outputPath));
    if (!m_logPath.empty())
        text += readFile(QString::fromStdString(m_logPath));
    return text;
}

void ProxyServer::stop()
{
    if (m_pid <= 0)
        return;
    // The server itself first, so that it can end its helpers (danted has
    // several); then whatever is left of its process group.
    ::kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + StopTimeout;
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(5ms);
    }
    ::kill(-m_pid, SIGKILL);
    // The helpers were handed to this process when their parent ended.
    const auto reapDeadline = std::chrono::steady_clock::now() + StopTimeout;
    while (std::chrono::steady_clock::now() < reapDeadline) {
        const pid_t reaped = ::waitpid(-m_pid, &status, WNOHANG);
        if (reaped < 0)
            break; // none left
        if (reaped == 0)
            std::this_thread::sleep_for(5ms);
    }
    m_pid = -1;
}

bool ProxyServer::launch(const std::vector<std::string> &command, std::string &why)
{
    std::vector<char *> argv;
    for (const auto &arg : command)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    // Orphaned helpers of the server come to this process, which reaps them
    // in stop(), instead of staying zombies under an init that never waits.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) {
        why = "cannot start " + command[0] + ": " + std::strerror(rc);
        return false;
    }
    m_pid = pid;

    const auto deadline = std::chrono::steady_clock::now() + StartTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            why = command[0] + " ended at start (status " + std::to_string(status) + "):\n" + log();
            return false;
        }
        if (accepts(m_port))
            return true;
        std::this_thread::sleep_for(20ms);
    }
    why = command[0] + " did not accept connections on port " + std::to_string(m_port) + ":\n" + log();
    stop();
    return false;
}

std::unique_ptr<ProxyServer> ProxyServer::start(const std::string &name, const Prepare &prepare, std::string *error)
{
    std::string why;
    // A free port can be taken by someone else before the server binds it.
    for (int attempt = 0; attempt < StartAttempts; ++attempt) {
        std::unique_ptr<ProxyServer> server(new ProxyServer);
        std::string pattern = "/tmp/zvo-" + name + "-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            why = "cannot make a temporary folder";
            break;
        }
        server->m_folder = pattern;
        server->m_outputPath = server->file("output.txt");
        server->m_port = freeLoopbackPort();
        if (server->m_port == 0) {
            why = "no free port";
            continue;
        }
        const std::vector<std::string> command = prepare(*server, server->m_port);
        if (command.empty()) {
            why = "cannot write the configuration of " + name;
            break;
        }
        if (server->launch(command, why))
            return server;
    }
    if (error)
        *error = why;
    return nullptr;
}

std::unique_ptr<ProxyServer> ProxyServer::startTinyProxy(const std::string &user, const std::string &password,
                                                         std::string *error)
{
    const std::string both = user + password;
    if (!std::all_of(both.begin(), both.end(), [](unsigned char c) { return std::isalnum(c); })) {
        if (error)
            *error = "tinyproxy's BasicAuth takes letters and digits only";
        return nullptr;
    }
    return start(
        "tinyproxy",
        [&](ProxyServer &server, uint16_t port) -> std::vector<std::string> {
            server.m_logPath = server.file("tinyproxy.log");
            std::string config = "Port " + std::to_string(port) +
                                 "\n"
                                 "Listen 127.0.0.1\n"
                                 "Timeout 30\n"
                                 "MaxClients 50\n"
                                 "Allow 127.0.0.0/8\n"
                                 "Bind " +
                                 outgoingAddress() +
                                 "\n"
                                 "LogLevel Info\n"
                                 "LogFile \"" +
                                 server.m_logPath + "\"\n";
            if (::geteuid() == 0)
                config += "User nobody\nGroup nogroup\n";
            if (!user.empty() || !password.empty())
                config += "BasicAuth " + user + " " + password + "\n";
            const std::string path = server.file("tinyproxy.conf");
            if (!writeFile(QString::fromStdString(path), config))
                return {};
            // The log file is opened after the switch to the unprivileged user.
            ::chmod(server.m_folder.c_str(), 0777);
            return {"/usr/bin/tinyproxy", "-d", "-c", path};
        },
        error);
}

std::unique_ptr<ProxyServer> ProxyServer::startDante(std::string *error)
{
    return start(
        "danted",
        [&](ProxyServer &server, uint16_t port) -> std::vector<std::string> {
            server.m_logPath = server.file("danted.log");
            const bool root = ::geteuid() == 0;
            std::string config = "logoutput: " + server.m_logPath +
                                 "\n"
                                 "internal: 127.0.0.1 port = " +
                                 std::to_string(port) +
                                 "\n"
                                 "external: " +
                                 outgoingAddress() +
                                 "\n"
                                 "clientmethod: none\n"
                                 "socksmethod: none\n";
            if (root)
                config += "user.privileged: root\nuser.unprivileged: nobody\n";
            config += "client pass {\n  from: 127.0.0.0/8 to: 0.0.0.0/0\n  log: error\n}\n"
                      "socks pass {\n  from: 127.0.0.0/8 to: 0.0.0.0/0\n  log: error\n}\n";
            const std::string path = server.file("danted.conf");
            if (!writeFile(QString::fromStdString(path), config))
                return {};
            ::chmod(server.m_folder.c_str(), 0777);
            return {"/usr/sbin/danted", "-f", path, "-p", server.file("danted.pid"), "-N", "1"};
        },
        error);
}

std::unique_ptr<ProxyServer> ProxyServer::startMicroSocks(const std::string &user, const std::string &password,
                                                          std::string *error)
{
    return start(
        "microsocks",
        [&](ProxyServer &, uint16_t port) -> std::vector<std::string> {
            std::vector<std::string> command = {"/usr/bin/microsocks", "-i", "127.0.0.1",      "-p",
                                                std::to_string(port),  "-b", outgoingAddress()};
            if (!user.empty() || !password.empty()) {
                command.insert(command.end(), {"-u", user, "-P", password});
            }
            return command;
        },
        error);
}

} // namespace zvotest
