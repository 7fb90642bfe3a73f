#pragma once

// A CUPS server of the tests' own: a private cupsd on a free loopback port
// and its own socket, in a temporary folder, with queues that write each job
// as a PDF file and a page log that tells job name, paper, sides, media
// source and copies. The machine's own server is never asked.
//
// It needs the packages cups-daemon and cups-client. Run by root the server
// runs its filters as user lp, else as the user running the tests. Every wait
// is bounded, generously, for a loaded machine.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

namespace reporttest {

class CupsServer
{
public:
    struct PageLogEntry
    {
        QString printer;
        int job = 0;
        QString jobName;
        QString media;
        QString sides;
        QString mediaSource;
        int copies = 0;
        QString page; // the page number, or "total" for the job's closing line
    };

    CupsServer();
    // Stops the server if it still runs.
    ~CupsServer();
    CupsServer(const CupsServer &) = delete;
    CupsServer &operator=(const CupsServer &) = delete;

    // Why the server cannot run here ('' when it can): cupsd or the
    // administration tools missing.
    static QString unavailableReason();
    // The folder of our PPDs and filter.
    static QString dataFolder();

    // Starts and waits until the server answers (at most 30 s a try).
    bool start();
    // Stops and waits until it is gone (at most 30 s, then killed).
    bool stop();
    bool running() const;
    const QString &error() const { return m_error; }

    // For CUPS_SERVER in the environment of the program under test.
    QString serverName() const;
    // Sets CUPS_SERVER and clears LPDEST and PRINTER, which would change the
    // default printer. Call before the first print call of the process.
    void exportEnvironment() const;

    // A queue on one of our PPDs ("zvo-a4.ppd"), writing to outputFile(name).
    bool addQueue(const QString &name, const QString &ppd, const QStringList &options = {});
    bool setDefault(const QString &name);
    bool deleteQueue(const QString &name);
    // The queue stays but takes no jobs.
    bool rejectJobs(const QString &name);
    QString outputFile(const QString &queue) const;

    // Waits until the server has no job left (at most timeoutMs).
    bool waitForJobs(int timeoutMs = 60000);
    std::vector<PageLogEntry> pageLog() const;
    // The closing line of the job of that name, once the server wrote it.
    std::optional<PageLogEntry> waitForPageLog(const QString &jobName, int timeoutMs = 30000);
    // The text of a command-line client run against this server.
    QString run(const QString &program, const QStringList &arguments, bool *ok = nullptr, int timeoutMs = 15000);

private:
    static constexpr int WaitMs = 30000;

    // The folders, filter, PPDs and file settings, once.
    bool writeConfiguration();
    // The settings that name the port.
    bool writeDaemonConfiguration(int port);
    bool launch();
    // The end of the server's own output and error log, for a failed start.
    QString logTail() const;
    bool fail(const QString &error);

    QTemporaryDir m_dir;
    QString m_base;
    int m_port = 0;
    bool m_prepared = false;
    std::unique_ptr<QProcess> m_cupsd;
    QString m_error;
};

} // namespace reporttest
