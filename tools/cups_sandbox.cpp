// cups_sandbox: runs one command against a private CUPS server with one
// file-backed PDF queue, the tests' own server, and keeps what the queue
// printed.
//
//   cups_sandbox [--queue NAME] [--ppd zvo-a4.ppd] --keep FILE -- COMMAND [ARGS...]
//
// The server listens on loopback and its own socket in a temporary folder;
// the queue is the default printer. COMMAND runs with CUPS_SERVER pointing
// at it; then the sandbox waits for the server's jobs, copies the queue's
// file to FILE and the server's page log to FILE.log, and stops the server.
// Needs ZVO_SOURCE_DIR (the top folder, for the PPDs and the filter). Exit
// status: COMMAND's; 3 when the server fails or the job went wrong; 4 when
// the server's packages are missing.

#include "tests/support/report/CupsServer.h"

#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/FileDescriptor.h"
#include "platform/rtl/LocalNames.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr int sandboxExitServer = 3;
constexpr int sandboxExitUnavailable = 4;

int sandboxFail(const QString &aText)
{
    std::fprintf(stderr, "cups_sandbox: %s\n", aText.simplified().toLocal8Bit().constData());
    return sandboxExitServer;
}

} // namespace

int main(int argc, char **argv)
{
    // Qt would turn bytes that are no UTF-8 into other ones: the file kept
    // would be another's, and so would the command run.
    if (const std::optional<std::string> bad = rtl::undecodableArgument(argc, argv))
        return sandboxFail(QString::fromStdString(rtl::undecodableArgumentMessage(*bad)));
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    QString queue = QStringLiteral("Demo");
    QString ppd = QStringLiteral("zvo-a4.ppd");
    QString keep;
    while (!args.isEmpty() && args.first() != QLatin1String("--")) {
        const QString option = args.takeFirst();
        if (args.isEmpty())
            return sandboxFail(option + QStringLiteral(" needs a value"));
        const QString value = args.takeFirst();
        if (option == QLatin1String("--queue"))
            queue = value;
        else if (option == QLatin1String("--ppd"))
            ppd = value;
        else if (option == QLatin1String("--keep"))
            keep = value;
        else
            return sandboxFail(QStringLiteral("unknown option \"%1\"").arg(option));
    }
    if (args.size() < 2 || keep.isEmpty())
        return sandboxFail(
            QStringLiteral("usage: cups_sandbox [--queue NAME] [--ppd FILE] --keep FILE -- COMMAND [ARGS...]"));
    args.removeFirst();

    if (const QString reason = reporttest::CupsServer::unavailableReason(); !reason.isEmpty()) {
        sandboxFail(reason);
        return sandboxExitUnavailable;
    }
    reporttest::CupsServer server;
    if (!server.start() || !server.addQueue(queue, ppd) || !server.setDefault(queue))
        return sandboxFail(server.error());
    std::printf("cups_sandbox: queue \"%s\" on %s\n", queue.toLocal8Bit().constData(),
                server.serverName().toLocal8Bit().constData());
    std::fflush(stdout);

    QProcess command;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), server.serverName());
    env.remove(QStringLiteral("LPDEST"));
    env.remove(QStringLiteral("PRINTER"));
    command.setProcessEnvironment(env);
    command.setProcessChannelMode(QProcess::ForwardedChannels);
    command.start(args.first(), args.mid(1));
    if (!command.waitForStarted(30000))
        return sandboxFail(args.first() + QStringLiteral(" does not start"));
    command.waitForFinished(-1);
    const int code = command.exitStatus() == QProcess::NormalExit ? command.exitCode() : sandboxExitServer;
    if (code != 0)
        return code;

    if (!server.waitForJobs())
        return sandboxFail(server.error());
    const rtl::FileText printed = rtl::readWholeFile(QFile::encodeName(server.outputFile(queue)).toStdString());
    if (!printed)
        return sandboxFail(QStringLiteral("the queue printed nothing"));
    QByteArray log;
    for (const reporttest::CupsServer::PageLogEntry &e : server.pageLog())
        log += QStringLiteral("%1 job %2 \"%3\" %4 page %5 copies %6\n")
                   .arg(e.printer)
                   .arg(e.job)
                   .arg(e.jobName, e.media, e.page)
                   .arg(e.copies)
                   .toUtf8();
    // Saved as the program saves its files: a link, file or pipe somebody
    // else planted in a shared folder under the name is refused, not written.
    const std::string kept = QFile::encodeName(keep).toStdString();
    if (const rtl::SaveResult saved = rtl::atomicSave(kept, printed.text, {.existing = rtl::ExistingFile::Update});
        !saved)
        return sandboxFail(keep + QStringLiteral(": ") + QString::fromLocal8Bit(saved.reason().c_str()));
    if (const rtl::SaveResult saved =
            rtl::atomicSave(kept + ".log", std::string_view(log.constData(), size_t(log.size())),
                            {.existing = rtl::ExistingFile::Update});
        !saved)
        return sandboxFail(keep + QStringLiteral(".log: ") + QString::fromLocal8Bit(saved.reason().c_str()));
    if (!server.stop())
        return sandboxFail(QStringLiteral("the server did not stop cleanly"));
    return 0;
}
