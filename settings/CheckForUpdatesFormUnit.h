#pragma once

// The update window: one run of the update check while the user watches. It
// fetches the update list from the update server, downloads the data files
// that are due into the program folder (keeping the ".bak" copy of each one
// replaced), reports the outcome and offers the download page when a newer
// application is listed or a download failed.
//
// The window is opened only through ShowCheckForUpdatesForm. Requests run on
// a worker thread and report back to the GUI thread, so the window keeps
// painting while the server answers; the run cannot be cancelled, and the
// window cannot be closed before the run ends.

#include "platform/rtl/ScopedOverride.h"
#include "settings/UpdateScript.h"

#include <QDialog>
#include <QTimer>

#include <memory>
#include <set>
#include <string>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;

namespace http {
class HttpClient;
}

namespace settings {

// The update server and the product's home page. ZVO_UPDATE_SERVER, when
// set, takes the server's place (read when a run starts).
inline constexpr const char *UpdateServerAddress = "http://updates.zarvello.example";
inline constexpr const char *UpdateListPath = "/updates/zvoupdates.txt";
inline constexpr const char *ZarvelloHomePage = "http://www.zarvello.example/";

// The waits of a run. Tests shorten them with ScopedUpdateTimings; the
// program keeps the defaults.
struct TUpdateTimings
{
    int PauseBetweenFilesMs = 1500;
    int ConnectTimeoutMs = 20000;
    // A transfer that receives nothing for this long fails.
    int StallTimeoutSeconds = 60;
    // Longer answers are failed downloads.
    long long MaxDownloadBytes = 16LL * 1024 * 1024;
    // Bound of a whole transfer: a server dripping a byte now and then never
    // trips the stall time-out, and the window cannot be closed meanwhile.
    int TransferTimeLimitMs = 120000;
};
using ScopedUpdateTimings = rtl::ScopedOverride<struct UpdateTimingsTag, TUpdateTimings>;
TUpdateTimings UpdateTimings();

class TCheckForUpdatesForm : public QDialog
{
    Q_OBJECT

public:
    explicit TCheckForUpdatesForm(QWidget *owner);
    ~TCheckForUpdatesForm() override;

    // Starts the run and returns; the window reports the end in its status
    // line and with runFinished().
    void CheckForUpdates();
    bool IsRunning() const { return m_running; }

    void SetStatus(const std::string &text, int position);
    // Writes the text into the program folder under the name, keeping the
    // previous file as its ".bak" copy; true when every byte was written.
    bool SaveDownloadedFile(const std::string &fileName, const std::string &text);

    QLabel *StatusLabel = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *GetUpdateButton = nullptr;
    QPushButton *CancelCloseButton = nullptr;

    std::string AppDownloadURL;
    TUpdateScript Script;
    bool UpdatesInstalled = false;

signals:
    // The run has ended: either the window shows its outcome and waits for
    // Close, or the list could not be fetched and the window is closing.
    void runFinished();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    using Continuation = void (TCheckForUpdatesForm::*)(std::string);

    void FormCreate();
    void GetUpdateButtonClick();
    void CancelCloseButtonClick();

    void fetch(const std::string &url, Continuation onReply);
    void fetchDone(std::string body, Continuation onReply);
    void stopWorker();

    void updateListReceived(std::string text);
    void processCurrentFile();
    void DownloadFile(const std::string &url, const std::string &fileName);
    void downloadReceived(std::string text);
    void fileDone();
    // Why the list may not write this name in this run; empty when it may.
    std::string refusalOf(const std::string &name) const;
    void nextFile();
    void finishRun();

    void setStatusColor(const QColor &color);
    int stepPosition() const;

    bool m_running = false;
    std::string m_runningVersion;
    int m_step = 90;
    size_t m_fileIndex = 0;
    int m_updatedCount = 0;
    bool m_failed = false;
    // Why the last fetch or save gave nothing, for the log.
    std::string m_fetchError;
    std::string m_saveError;
    // Names the list gives more than once, as a folder stores them.
    std::set<std::string> m_repeatedNames;
    QTimer m_pause;

    std::unique_ptr<http::HttpClient> m_client;
    std::thread m_worker;
};

} // namespace settings
