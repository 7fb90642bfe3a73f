#include "tests/support/TinyFileSystem.h"

#include <QTemporaryDir>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace zvotest {

namespace {

// Exit code of a child that could not mount; any other ends the check.
constexpr int CannotMount = 77;

void writeAnswer(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += size_t(n);
    }
}

} // namespace

std::optional<std::string> onTinyTmpfs(const std::function<std::string(const std::string &folder)> &check, int kib)
{
    QTemporaryDir mountPoint;
    if (!mountPoint.isValid())
        return "no temporary folder for the mount point";
    const std::string folder = mountPoint.path().toStdString();
    int answer[2];
    if (::pipe2(answer, O_CLOEXEC) != 0)
        return "no pipe";

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(answer[0]);
        const std::string options = "size=" + std::to_string(kib) + "k,mode=0755";
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
            ::_exit(CannotMount);
        std::string text;
        try {
            text = check(folder);
        } catch (const std::exception &e) {
            text = std::string("exception: ") + e.what();
        } catch (...) {
            text = "unknown exception";
        }
        writeAnswer(answer[1], text);
        ::_exit(0);
    }
    ::close(answer[1]);
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(answer[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, size_t(n));
    }
    ::close(answer[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return "no child process";
    if (WIFEXITED(status) && WEXITSTATUS(status) == CannotMount)
        return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the check's process died";
    return text;
}

bool fillFileSystem(const std::string &folder)
{
    const std::string name = folder + "/filler";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // Whole pages first, then single bytes into the last page's rest.
    const std::string page(4096, 'f');
    while (::write(fd, page.data(), page.size()) > 0) {
    }
    while (::write(fd, "f", 1) == 1) {
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

} // namespace zvotest
