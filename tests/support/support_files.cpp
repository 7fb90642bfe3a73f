#include "tests/support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <sys/wait.h>
#include <unistd.h>

namespace zvotest {

std::string readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

bool writeFile(const QString &path, const std::string &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

int inTimedChild(const std::function<int()> &check)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(10);
        ::_exit(check());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ProgramFolder::ProgramFolder()
{
    const QString source = qEnvironmentVariable("ZVO_PROGRAM_DIR");
    if (source.isEmpty() || !m_dir.isValid())
        return;
    QDirIterator it(source, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString rel = QDir(source).relativeFilePath(from);
        QDir(m_dir.path()).mkpath(QFileInfo(rel).path());
        QFile::copy(from, m_dir.filePath(rel));
    }
}

} // namespace zvotest
