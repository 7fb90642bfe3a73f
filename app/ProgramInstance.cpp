#include "app/ProgramInstance.h"

#include "platform/rtl/QtText.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <sys/stat.h>
#include <unistd.h>

namespace app {

namespace {

constexpr const char *LockName = ".Zarvello.lock";

QString canonicalFolder(const QString &folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : canonical;
}

} // namespace

ProgramInstance::ProgramInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_folder(canonicalFolder(folder))
{}

ProgramInstance::~ProgramInstance() = default;

QString ProgramInstance::lockFileName(const QString &folder)
{
    return QDir(canonicalFolder(folder)).filePath(QString::fromLatin1(LockName));
}

QString ProgramInstance::serverName(const QString &folder)
{
    // Socket paths are short, and each user has folders of their own.
    const QByteArray key = canonicalFolder(folder).toUtf8() + '\n' + QByteArray::number(::getuid());
    return QStringLiteral("zarvello-") +
           QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24));
}

bool ProgramInstance::claim()
{
    // A pipe, a device or a link at the lock's name is no lock, and reading
    // what it says of its owner would wait at a pipe for good: it goes, as
    // any lock that says nothing of its owner.
    const QByteArray lockName = QFile::encodeName(lockFileName(m_folder));
    struct stat st
    {};
    if (::lstat(lockName.constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        ::unlink(lockName.constData());
    auto lock = std::make_unique<QLockFile>(lockFileName(m_folder));
    // The lock lasts as long as the program runs; only a program that no
    // longer runs loses it.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            return true;
        qint64 pid = 0;
        QString host;
        QString program;
        // A lock that says nothing of its owner (a crash while it was being
        // written) would keep the folder closed for good.
        if (lock->getLockInfo(&pid, &host, &program))
            return false;
        if (!lock->removeStaleLockFile() || !lock->tryLock(0))
            return lock->error() != QLockFile::LockFailedError;
    }
    m_lock = std::move(lock);

    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, this program is the only one that may listen here; a
    // name left by one that ended without tidying up goes.
    const QString name = serverName(m_folder);
    QLocalServer::removeServer(name);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            socket->disconnectFromServer();
            socket->deleteLater();
            Q_EMIT raiseRequested();
        }
    });
    // Without the server later starts still end; they only cannot raise
    // the window.
    m_server->listen(name);
    return true;
}

bool ProgramInstance::askToRaise(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName(m_folder));
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.disconnectFromServer();
    return true;
}

QString AlreadyRunningText(const QString &folder)
{
    // The folder as the system names it: the code page has no "Ж".
    return QStringLiteral("Zarvello is already running from the folder \"%1\".").arg(QDir::toNativeSeparators(folder));
}

} // namespace app

#include "moc_ProgramInstance.cpp"
