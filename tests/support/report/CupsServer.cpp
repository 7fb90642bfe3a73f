#include "tests/support/report/CupsServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace reporttest {

namespace {

const QString Cupsd = QStringLiteral("/usr/sbin/cupsd");
const QString CupsExec = QStringLiteral("/usr/lib/cups/daemon/cups-exec");

int freeLoopbackPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0))
        return 0;
    return server.serverPort();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The user and group the server runs its filters as: lp when it runs as
// root, else whoever runs the tests (the server then runs as that user).
struct RunAs
{
    QString user;
    QString group;
    QString systemGroup;
};

std::optional<RunAs> runAs()
{
    if (geteuid() == 0)
        return RunAs{QStringLiteral("lp"), QStringLiteral("lp"), QStringLiteral("root")};
    const passwd *user = getpwuid(geteuid());
    const group *grp = getgrgid(getegid());
    if (!user || !grp)
        return std::nullopt;
    const QString group = QString::fromLocal8Bit(grp->gr_name);
    return RunAs{QString::fromLocal8Bit(user->pw_name), group, group};
}

// Spool, cache, state and output folders belong to the user the server's
// filters run as.
bool giveTo(const QString &path, const RunAs &who)
{
    if (geteuid() != 0)
        return true;
    const passwd *user = getpwnam(who.user.toLocal8Bit().constData());
    if (!user)
        return false;
    return chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid) == 0 &&
           chmod(QFile::encodeName(path).constData(), 0775) == 0;
}

} // namespace

CupsServer::CupsServer()
{
    m_dir.setAutoRemove(true);
    m_base = m_dir.path();
}

CupsServer::~CupsServer()
{
    stop();
}

QString CupsServer::unavailableReason()
{
    if (!runAs())
        return QStringLiteral("the user running the tests has no name");
    if (!QFileInfo(Cupsd).isExecutable() || !QFileInfo(CupsExec).isExecutable())
        return QStringLiteral("cups-daemon is not installed");
    if (QStandardPaths::findExecutable(QStringLiteral("lpadmin"), {QStringLiteral("/usr/sbin")}).isEmpty())
        return QStringLiteral("cups-client is not installed");
    return {};
}

QString CupsServer::dataFolder()
{
    const QByteArray source = qgetenv("ZVO_SOURCE_DIR");
    return QString::fromLocal8Bit(source) + QStringLiteral("/tests/data/cups");
}

bool CupsServer::fail(const QString &error)
{
    m_error = error;
    return false;
}

bool CupsServer::writeConfiguration()
{
    const QString b = m_base;
    const std::optional<RunAs> who = runAs();
    if (!who)
        return fail(QStringLiteral("the user running the tests has no name"));
    for (const char *sub : {"etc/ppd", "spool/tmp", "cache", "run", "log", "out", "ppd", "lib/filter", "lib/daemon"})
        if (!QDir().mkpath(b + QLatin1Char('/') + QLatin1String(sub)))
            return fail(QStringLiteral("cannot make the server's folders"));
    chmod(QFile::encodeName(b).constData(), 0755);
    for (const char *sub : {"spool", "spool/tmp", "cache", "run", "log", "out"})
        if (!giveTo(b + QLatin1Char('/') + QLatin1String(sub), *who))
            return fail(QStringLiteral("cannot give the server's folders to user ") + who->user);
    // The server runs its filters only from its own folder, owned by the user
    // it runs as and written by nobody else.
    const QString filter = b + QStringLiteral("/lib/filter/zvo-pdfpass");
    if (!QFile::copy(dataFolder() + QStringLiteral("/zvo-pdfpass"), filter) ||
        chmod(QFile::encodeName(filter).constData(), 0755) != 0)
        return fail(QStringLiteral("cannot install the print filter"));
    if (!QFile::link(CupsExec, b + QStringLiteral("/lib/daemon/cups-exec")))
        return fail(QStringLiteral("cannot link cups-exec"));
    for (const QString &ppd : QDir(dataFolder()).entryList({QStringLiteral("*.ppd")}, QDir::Files))
        if (!QFile::copy(dataFolder() + QLatin1Char('/') + ppd, b + QStringLiteral("/ppd/") + ppd))
            return fail(QStringLiteral("cannot copy ") + ppd);

    const QByteArray files = QStringLiteral("ServerRoot %1/etc\n"
                                            "ServerBin %1/lib\n"
                                            "RequestRoot %1/spool\n"
                                            "TempDir %1/spool/tmp\n"
                                            "CacheDir %1/cache\n"
                                            "StateDir %1/run\n"
                                            "AccessLog %1/log/access_log\n"
                                            "ErrorLog %1/log/error_log\n"
                                            "PageLog %1/log/page_log\n"
                                            "Printcap %1/run/printcap\n"
                                            "FileDevice Yes\n"
                                            "SystemGroup %2\n"
                                            "User %3\n"
                                            "Group %4\n")
                                 .arg(b, who->systemGroup, who->user, who->group)
                                 .toUtf8();
    if (!writeFile(b + QStringLiteral("/cups-files.conf"), files))
        return fail(QStringLiteral("cannot write the server's configuration"));
    return true;
}

bool CupsServer::writeDaemonConfiguration(int port)
{
    const QString &b = m_base;
    const QByteArray daemon =
        QStringLiteral("LogLevel warn\n"
                       "PageLogFormat \"%p|%j|%{job-name}|%{media}|%{sides}|%{media-source}|%{copies}|%P\"\n"
                       "Listen 127.0.0.1:%2\n"
                       "Listen %1/run/cups.sock\n"
                       "Browsing No\n"
                       "BrowseLocalProtocols none\n"
                       "WebInterface No\n"
                       "DefaultPaperSize A4\n"
                       "MaxJobs 0\n"
                       "<Location />\n  Order allow,deny\n  Allow localhost\n</Location>\n"
                       "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                       "</Policy>\n")
            .arg(b)
            .arg(port)
            .toUtf8();
    if (!writeFile(b + QStringLiteral("/cupsd.conf"), daemon))
        return fail(QStringLiteral("cannot write the server's configuration"));
    return true;
}

bool CupsServer::start()
{
    if (running())
        return true;
    if (const QString reason = unavailableReason(); !reason.isEmpty())
        return fail(reason);
    if (!m_dir.isValid())
        return fail(QStringLiteral("no temporary folder"));
    if (!m_prepared && !(m_prepared = writeConfiguration()))
        return false;
    // The free port may be taken by someone else before the server listens
    // on it; another one then does.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = freeLoopbackPort();
        if (m_port == 0)
            return fail(QStringLiteral("no free loopback port"));
        if (!writeDaemonConfiguration(m_port))
            return false;
        if (launch())
            return true;
    }
    return false;
}

bool CupsServer::launch()
{
    m_cupsd = std::make_unique<QProcess>();
    m_cupsd->setProgram(Cupsd);
    m_cupsd->setArguments({QStringLiteral("-f"), QStringLiteral("-c"), m_base + QStringLiteral("/cupsd.conf"),
                           QStringLiteral("-s"), m_base + QStringLiteral("/cups-files.conf")});
    m_cupsd->setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd->setStandardOutputFile(m_base + QStringLiteral("/log/cupsd.out"), QIODevice::Append);
    // A test program that dies takes its server along.
    m_cupsd->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_cupsd->start();
    if (!m_cupsd->waitForStarted(WaitMs)) {
        m_cupsd.reset();
        return fail(QStringLiteral("cupsd does not start"));
    }
    const QDeadlineTimer deadline(WaitMs);
    while (!deadline.hasExpired()) {
        if (m_cupsd->state() != QProcess::Running) {
            m_cupsd.reset();
            return fail(QStringLiteral("cupsd ended at start: ") + logTail());
        }
        if (run(QStringLiteral("lpstat"), {QStringLiteral("-r")}).contains(QLatin1String("scheduler is running")))
            return true;
        QThread::msleep(20);
    }
    stop();
    return fail(QStringLiteral("cupsd does not answer: ") + logTail());
}

QString CupsServer::logTail() const
{
    QString text;
    for (const char *name : {"/log/cupsd.out", "/log/error_log"}) {
        QFile file(m_base + QLatin1String(name));
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromLocal8Bit(file.readAll().right(600));
    }
    return text;
}

bool CupsServer::stop()
{
    if (!m_cupsd)
        return true;
    if (m_cupsd->state() != QProcess::NotRunning) {
        m_cupsd->terminate();
        if (!m_cupsd->waitForFinished(WaitMs)) {
            m_cupsd->kill();
            m_cupsd->waitForFinished(5000);
        }
    }
    const bool clean = m_cupsd->exitStatus() == QProcess::NormalExit;
    m_cupsd.reset();
    return clean;
}

bool CupsServer::running() const
{
    return m_cupsd && m_cupsd->state() == QProcess::Running;
}

QString CupsServer::serverName() const
{
    return m_base + QStringLiteral("/run/cups.sock");
}

void CupsServer::exportEnvironment() const
{
    qputenv("CUPS_SERVER", QFile::encodeName(serverName()));
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
}

QString CupsServer::run(const QString &program, const QStringList &arguments, bool *ok, int timeoutMs)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), serverName());
    env.remove(QStringLiteral("LPDEST"));
    env.remove(QStringLiteral("PRINTER"));
    // The server's tools answer in the user's language; what the fixture
    // reads of them ("scheduler is running", the queue lines) is their
    // English, whatever locale the test itself runs in.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("LANGUAGE"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    // The administration tools live in /usr/sbin, which a user's PATH may lack.
    QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(program, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    process.start(path.isEmpty() ? program : path, arguments);
    bool done = process.waitForFinished(timeoutMs);
    if (!done) {
        process.kill();
        process.waitForFinished(2000);
    }
    if (ok)
        *ok = done && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return QString::fromLocal8Bit(process.readAll());
}

bool CupsServer::addQueue(const QString &name, const QString &ppd, const QStringList &options)
{
    bool ok = false;
    QStringList args{QStringLiteral("-p"),
                     name,
                     QStringLiteral("-E"),
                     QStringLiteral("-v"),
                     QStringLiteral("file://") + outputFile(name),
                     QStringLiteral("-P"),
                     m_base + QStringLiteral("/ppd/") + ppd};
    for (const QString &option : options)
        args << QStringLiteral("-o") << option;
    const QString text = run(QStringLiteral("lpadmin"), args, &ok);
    return ok || fail(QStringLiteral("lpadmin -p %1: %2").arg(name, text));
}

bool CupsServer::setDefault(const QString &name)
{
    bool ok = false;
    const QString text = run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), name}, &ok);
    return ok || fail(text);
}

bool CupsServer::deleteQueue(const QString &name)
{
    bool ok = false;
    const QString text = run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name}, &ok);
    return ok || fail(text);
}

bool CupsServer::rejectJobs(const QString &name)
{
    bool ok = false;
    const QString text = run(QStringLiteral("cupsreject"), {name}, &ok);
    return ok || fail(text);
}

QString CupsServer::outputFile(const QString &queue) const
{
    // Device URIs take plain characters only; distinct names keep distinct
    // files through the hash.
    QString file;
    for (const QChar c : queue.left(40))
        file += c.unicode() < 128 && c.isLetterOrNumber() ? c : QLatin1Char('_');
    return m_base + QStringLiteral("/out/%1-%2.pdf").arg(file).arg(qHash(queue) & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

bool CupsServer::waitForJobs(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        bool ok = false;
        const QString active = run(QStringLiteral("lpstat"), {QStringLiteral("-o")}, &ok);
        if (ok && active.trimmed().isEmpty())
            return true;
        QThread::msleep(20);
    }
    return fail(QStringLiteral("the jobs did not finish"));
}

std::optional<CupsServer::PageLogEntry> CupsServer::waitForPageLog(const QString &jobName, int timeoutMs)
{
    // The server writes a job's closing line as the job ends, not
    // necessarily before it reports the job done.
    const QDeadlineTimer deadline(timeoutMs);
    do {
        for (const PageLogEntry &e : pageLog())
            if (e.jobName == jobName && e.page == QLatin1String("total"))
                return e;
        QThread::msleep(20);
    } while (!deadline.hasExpired());
    fail(QStringLiteral("no page log of %1").arg(jobName));
    return std::nullopt;
}

std::vector<CupsServer::PageLogEntry> CupsServer::pageLog() const
{
    std::vector<PageLogEntry> entries;
    QFile file(m_base + QStringLiteral("/log/page_log"));
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('"')) && line.endsWith(QLatin1Char('"')))
            line = line.mid(1, line.size() - 2);
        const QStringList f = line.split(QLatin1Char('|'));
        if (f.size() < 7)
            continue;
        entries.push_back({f[0], f[1].toInt(), f[2], f[3], f[4], f[5], f[6].toInt(), f.value(7)});
    }
    return entries;
}

} // namespace reporttest
