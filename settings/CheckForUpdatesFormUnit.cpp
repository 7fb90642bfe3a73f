#include "settings/CheckForUpdatesFormUnit.h"

#include "foundation/MyUtilitiesFiles.h"
#include "foundation/MyUtilitiesUi.h"
#include "foundation/MyWebUtilitiesProxy.h"
#include "foundation/SearchEngineTable.h"
#include "platform/controls/Guard.h"
#include "platform/http/HttpClient.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FileDescriptor.h"
#include "platform/rtl/LocalNames.h"
#include "platform/rtl/QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace settings {

using namespace foundation;
using controls::guarded;
using controls::Report;

namespace {

const QColor StatusRed(255, 0, 0);
const QColor StatusGreen(0, 153, 0);

std::string updateServer()
{
    std::string server = UpdateServerAddress;
    if (const char *pinned = std::getenv("ZVO_UPDATE_SERVER"); pinned && *pinned)
        server = pinned;
    while (!server.empty() && server.back() == '/')
        server.pop_back();
    return server;
}

std::string homePageLink()
{
    return std::string(ZarvelloHomePage) + "?zvo";
}

std::string quoted(const std::string &name)
{
    return "\"" + name + "\"...";
}

// A program beside ours (a helper it starts), told by its first bytes rather
// than its mode: on a memory stick every file shows as executable, the data
// files too. A folder can take no download either.
bool isProgramOnDisk(const std::string &fileName)
{
    const rtl::FileDescriptor fd(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st
    {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0)
        return false;
    if (S_ISDIR(st.st_mode))
        return true;
    static constexpr char elf[4] = {0x7f, 'E', 'L', 'F'};
    char head[4] = {};
    const ssize_t n = S_ISREG(st.st_mode) ? ::read(fd.get(), head, sizeof head) : 0;
    return (n >= 2 && head[0] == '#' && head[1] == '!') || (n == 4 && std::memcmp(head, elf, 4) == 0);
}

// A name or a reason as the log shows it: the list's author and the server
// chose their bytes, and a control character written to a terminal as it
// stands would move the cursor, rewrite earlier lines or change the
// terminal's title.
std::string logged(const std::string &name)
{
    std::string shown;
    for (const char c : rtl::printableBytes(name)) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(u));
            shown += hex;
        } else {
            shown += c;
        }
    }
    return shown;
}

// The list comes over plain HTTP, so whoever answers in the server's place
// chooses the names. Only the maker's data files may be written: never the
// program, its libraries and helpers, or the user's settings and lists.
// Empty when the name may be written, else why not.
std::string refusal(const std::string &name)
{
    if (!IsBareFileName(name))
        return "not a plain file name";
    // Written there, it would be read as configuration or run as code at the
    // next start, by whoever's list it was.
    if (std::string runtime = RuntimeFileRefusal(name); !runtime.empty())
        return runtime;
    // The name it runs under, which a packager may have changed.
    const std::string program =
        QFile::encodeName(QFileInfo(QCoreApplication::applicationFilePath()).fileName()).toStdString();
    if (IsProgramOwnFileName(name, program) || isProgramOnDisk(GetApplicationPath() + name))
        return "one of the program's own files, not a data file";
    return {};
}

} // namespace

TUpdateTimings UpdateTimings()
{
    return ScopedUpdateTimings::valueOr(TUpdateTimings{});
}

TCheckForUpdatesForm::TCheckForUpdatesForm(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    FormCreate();
}

TCheckForUpdatesForm::~TCheckForUpdatesForm()
{
    stopWorker();
}

void TCheckForUpdatesForm::FormCreate()
{
    setObjectName(QStringLiteral("CheckForUpdatesForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Check online for latest version"));
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPixelSize(11);
    setFont(formFont);
    setFixedSize(378, 99);

    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setGeometry(8, 12, 360, 13);
    // The status names files the list sent; as markup, a name such as
    // <img src="/dev/zero"> would have the label read whatever it points at.
    StatusLabel->setTextFormat(Qt::PlainText);
    StatusLabel->clear();

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(8, 29, 360, 15);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    GetUpdateButton = new QPushButton(QStringLiteral("&Get Update"), this);
    GetUpdateButton->setObjectName(QStringLiteral("GetUpdateButton"));
    GetUpdateButton->setGeometry(210, 60, 75, 25);
    GetUpdateButton->setFont(formFont);

    CancelCloseButton = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelCloseButton->setObjectName(QStringLiteral("CancelCloseButton"));
    CancelCloseButton->setGeometry(293, 60, 75, 25);

    setTabOrder(CancelCloseButton, GetUpdateButton);
    setTabOrder(GetUpdateButton, ProgressBar1);

    // Nothing of the run can be undone half-way, so neither button works
    // until it has ended.
    GetUpdateButton->setEnabled(false);
    CancelCloseButton->setEnabled(false);

    connect(GetUpdateButton, &QPushButton::clicked, this,
            [this] { guarded(Report::toUser(this), [this] { GetUpdateButtonClick(); }); });
    connect(CancelCloseButton, &QPushButton::clicked, this,
            [this] { guarded(Report::toUser(this), [this] { CancelCloseButtonClick(); }); });

    AppDownloadURL = homePageLink();
    Script.AppDownloadURL = AppDownloadURL;

    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, [this] { guarded(Report::toUser(this), [this] { nextFile(); }); });

    CenterForm(this, GetMainForm());
}

void TCheckForUpdatesForm::SetStatus(const std::string &text, int position)
{
    const QString caption = rtl::ToQString(text);
    if (StatusLabel->text() != caption) {
        StatusLabel->setText(caption);
        StatusLabel->repaint();
    }
    const int clamped = std::clamp(position, ProgressBar1->minimum(), ProgressBar1->maximum());
    if (ProgressBar1->value() != clamped) {
        ProgressBar1->setValue(clamped);
        ProgressBar1->repaint();
    }
}

void TCheckForUpdatesForm::setStatusColor(const QColor &color)
{
    QPalette palette = StatusLabel->palette();
    palette.setColor(QPalette::WindowText, color);
    StatusLabel->setPalette(palette);
    StatusLabel->repaint();
}

int TCheckForUpdatesForm::stepPosition() const
{
    return ProgressBar1->value() + m_step;
}

// ---------------------------------------------------------------------------
// Requests

void TCheckForUpdatesForm::fetch(const std::string &url, Continuation onReply)
{
    stopWorker();
    const TUpdateTimings timings = UpdateTimings();
    m_client = std::make_unique<http::HttpClient>();
    m_client->setHandleRedirects(true);
    m_client->setConnectTimeoutMs(timings.ConnectTimeoutMs);
    m_client->setStallTimeoutSeconds(timings.StallTimeoutSeconds);
    m_client->setTransferTimeLimitMs(timings.TransferTimeLimitMs);
    m_client->setMaxBodySize(timings.MaxDownloadBytes);
    // The settings are read here, on the GUI thread, never by the worker.
    try {
        ApplyProxySettings(*m_client);
    } catch (...) {
        // A proxy that cannot be set up leaves a direct connection; the
        // request then fails or succeeds on its own.
    }

    http::HttpClient *client = m_client.get();
    m_worker = std::thread([this, client, url, onReply] {
        std::string body;
        std::string error;
        try {
            body = client->get(url);
            if (body.empty())
                error = "the server sent nothing";
        } catch (const std::exception &e) {
            // Every kind of failure, a refused connection, an error status or
            // a stalled server alike, is an empty answer to the run; the log
            // keeps why.
            body.clear();
            error = e.what();
        } catch (...) {
            body.clear();
            error = "unknown failure";
        }
        try {
            QMetaObject::invokeMethod(
                this,
                [this, body = std::move(body), error = std::move(error), onReply]() mutable {
                    m_fetchError = std::move(error);
                    guarded(Report::toUser(this), [&] { fetchDone(std::move(body), onReply); });
                },
                Qt::QueuedConnection);
        } catch (...) {
            // Out of memory while posting: the window is being torn down or
            // cannot go on anyway.
        }
    });
}

void TCheckForUpdatesForm::fetchDone(std::string body, Continuation onReply)
{
    stopWorker();
    // No failure may leave the window without a way to close.
    if (!guarded(Report::none(), [&] { (this->*onReply)(std::move(body)); })) {
        m_failed = true;
        finishRun();
    }
}

void TCheckForUpdatesForm::stopWorker()
{
    if (m_client)
        m_client->abort();
    if (m_worker.joinable())
        m_worker.join();
    m_client.reset();
}

// ---------------------------------------------------------------------------
// The run

void TCheckForUpdatesForm::CheckForUpdates()
{
    if (m_running)
        return;
    m_running = true;
    UpdatesInstalled = false;
    SetStatus("Getting update information...", 5);
    fetch(updateServer() + UpdateListPath, &TCheckForUpdatesForm::updateListReceived);
}

void TCheckForUpdatesForm::updateListReceived(std::string text)
{
    if (text.empty()) {
        ShowMessageBox(this,
                       "Sorry, an error occurred.\n\nPlease try again later, or go to " + homePageLink() +
                           " to look for updates.",
                       'i');
        m_running = false;
        emit runFinished();
        close();
        return;
    }

    SetStatus("Update information received.", 10);
    Script = TUpdateScript{};
    Script.AppDownloadURL = AppDownloadURL;
    ParseUpdateScript(text, Script, [this](const std::string &warning) { ShowMessageBox(this, warning, '!'); });
    AppDownloadURL = Script.AppDownloadURL;
    m_runningVersion = GetFileVersionString();

    // Two entries for one file: the second would replace the first, and the
    // first's ".bak", the copy from before the run, would be lost. Which body
    // the list means it does not say, so neither is written.
    m_repeatedNames.clear();
    std::set<std::string> seen;
    for (const std::string &name : Script.FileNames)
        if (std::string folded = FoldedFileName(name); !seen.insert(folded).second)
            m_repeatedNames.insert(std::move(folded));

    const size_t count = Script.FileNames.size();
    m_step = count == 0 ? 90 : int(90 / count);
    m_failed = false;
    m_updatedCount = 0;
    m_fileIndex = 0;
    processCurrentFile();
}

void TCheckForUpdatesForm::processCurrentFile()
{
    if (m_fileIndex >= Script.FileNames.size()) {
        finishRun();
        return;
    }
    const size_t i = m_fileIndex;
    const std::string &name = Script.FileNames[i];

    if (CompareVersions(Script.FileRequiredAppVersions[i], m_runningVersion) > 0) {
        SetStatus(name + " needs a newer application version.", stepPosition());
        fileDone();
        return;
    }

    // A name that may not be written is never looked at on disk: it goes
    // straight to the download, which refuses it.
    if (refusalOf(name).empty()) {
        const TUpdateDate date = DecodeUpdateDate(Script.FileVersions[i]);
        const rtl::TDateTime released = rtl::EncodeDate(date.Year, date.Month, date.Day);
        if (GetFileDateTime(GetApplicationPath() + name) > released) {
            SetStatus("You have the latest version of " + quoted(name), stepPosition());
            fileDone();
            return;
        }
    }

    SetStatus("Downloading new version of " + quoted(name), stepPosition());
    setStatusColor(StatusRed);
    DownloadFile(Script.FileLinks[i], name);
}

void TCheckForUpdatesForm::DownloadFile(const std::string &url, const std::string &fileName)
{
    // Anything the list may not have written is a failed file, fetched from
    // nowhere; the log says which name it was, as the status line cannot.
    const std::string refused = refusalOf(fileName);
    if (!refused.empty())
        qWarning("Update: \"%s\" refused: %s", logged(fileName).c_str(), refused.c_str());
    else if (url.empty())
        qWarning("Update: \"%s\" failed: the list gives no link", logged(fileName).c_str());
    if (!refused.empty() || url.empty()) {
        m_failed = true;
        fileDone();
        return;
    }
    fetch(url, &TCheckForUpdatesForm::downloadReceived);
}

void TCheckForUpdatesForm::downloadReceived(std::string text)
{
    const std::string &name = Script.FileNames[m_fileIndex];
    bool saved = false;
    std::string failure;
    if (text.empty()) {
        failure = m_fetchError;
    } else {
        saved = SaveDownloadedFile(name, NormalizeDownloadedText(text));
        failure = m_saveError;
    }
    if (saved) {
        ++m_updatedCount;
        UpdatesInstalled = true;
    } else {
        // The status line says only that the run failed; the log says which
        // file and why, as for a refused name.
        // One line a file, though the reason may come in two.
        std::replace_if(
            failure.begin(), failure.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        qWarning("Update: \"%s\" failed: %s", logged(name).c_str(), logged(failure).c_str());
        m_failed = true;
    }
    fileDone();
}

bool TCheckForUpdatesForm::SaveDownloadedFile(const std::string &fileName, const std::string &text)
{
    m_saveError.clear();
    if (std::string refused = refusalOf(fileName); !refused.empty()) {
        m_saveError = "refused: " + refused;
        return false;
    }
    // Installed, a table the program cannot use would stop every start while
    // the good one sat unused as its ".bak"; it is read as the program reads
    // it first.
    if (FoldedFileName(fileName) == FoldedFileName(SearchEngineFileName)) {
        if (std::string unusable = SearchEngineTableRefusal(text); !unusable.empty()) {
            m_saveError = "not installed: the engine table " + unusable;
            return false;
        }
    }
    try {
        if (SaveTextFile(GetApplicationPath() + fileName, text, true, false))
            return true;
        m_saveError = std::string("cannot write the file: ") + std::strerror(errno);
    } catch (const std::exception &e) {
        m_saveError = e.what();
    } catch (...) {
        m_saveError = "cannot write the file";
    }
    return false;
}

std::string TCheckForUpdatesForm::refusalOf(const std::string &name) const
{
    if (m_repeatedNames.contains(FoldedFileName(name)))
        return "named more than once in the list";
    return refusal(name);
}

void TCheckForUpdatesForm::fileDone()
{
    setStatusColor(QApplication::palette(StatusLabel).color(QPalette::WindowText));
    m_pause.start(std::max(0, UpdateTimings().PauseBetweenFilesMs));
}

void TCheckForUpdatesForm::nextFile()
{
    ++m_fileIndex;
    if (!guarded(Report::none(), [this] { processCurrentFile(); })) {
        m_failed = true;
        finishRun();
    }
}

void TCheckForUpdatesForm::finishRun()
{
    m_pause.stop();
    setStatusColor(StatusGreen);
    if (CompareVersions(Script.AppVersion, m_runningVersion) > 0) {
        SetStatus("A new application version is available. Click the button below.", 100);
        setStatusColor(StatusRed);
        GetUpdateButton->setEnabled(true);
    } else if (m_failed) {
        SetStatus("Installation failed. Click the button below.", 100);
        setStatusColor(StatusRed);
        GetUpdateButton->setEnabled(true);
    } else if (m_updatedCount == 0) {
        SetStatus("You already have the latest files.", 100);
    } else if (m_updatedCount == 1) {
        SetStatus("One file has been updated.", 100);
    } else {
        SetStatus(std::to_string(m_updatedCount) + " files have been updated.", 100);
    }

    CancelCloseButton->setText(QStringLiteral("&Close"));
    CancelCloseButton->setEnabled(true);
    m_running = false;
    if (GetUpdateButton->isEnabled() && GetUpdateButton->isVisible())
        GetUpdateButton->setFocus();
    else
        CancelCloseButton->setFocus();
    emit runFinished();
}

// ---------------------------------------------------------------------------
// Buttons and closing

void TCheckForUpdatesForm::GetUpdateButtonClick()
{
    OpenURL(AppDownloadURL, SW_SHOWNORMAL);
}

void TCheckForUpdatesForm::CancelCloseButtonClick()
{
    close();
}

void TCheckForUpdatesForm::reject()
{
    // Esc stands for the Cancel button and does what it does, nothing while
    // the button is disabled.
    if (CancelCloseButton->isEnabled())
        close();
}

void TCheckForUpdatesForm::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        event->ignore();
        return;
    }
    if (UpdatesInstalled) {
        // Once only, however the close was asked for.
        UpdatesInstalled = false;
        guarded(Report::none(), [this] {
            ShowMessageBox(this, "To take advantage of the update, you must quit Zarvello and restart it.", 'i');
        });
    }
    event->accept();
}

} // namespace settings

#include "moc_CheckForUpdatesFormUnit.cpp"
