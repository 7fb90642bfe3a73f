#include "widgets/webbrowser/ShellDde.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>

#include <unistd.h>

namespace webbrowser {

namespace {

std::atomic<TDdeMode> s_mode{TDdeMode::None};
// Set while a shell command of the service runs: the shell may start a
// conversation of its own then, and the service must not answer itself.
std::atomic<bool> s_busy{false};

std::mutex s_windowsMutex;
std::vector<TShellDdeWindow *> s_windows;

bool desktopOpener(const std::string &path, const std::string &verb, int)
{
    // Desktops have no "find in folder" verb to hand a folder to.
    if (verb != "explore")
        return false;
    const QUrl url = QUrl::fromLocalFile(QString::fromLocal8Bit(path.c_str()));
    const QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    if (QThread::currentThread() == app->thread())
        return QDesktopServices::openUrl(url);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [url] { QDesktopServices::openUrl(url); }, Qt::QueuedConnection);
    return true;
}

// DDE names are atoms, and atoms compare without regard to case.
bool sameAtom(const std::string &a, const std::string &b)
{
    return !a.empty() && a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y));
    });
}

} // namespace

TDdeSender CurrentDdeSender()
{
    return TDdeSender{int64_t(::getpid()), std::this_thread::get_id()};
}

TDdeMode CurrentDdeMode()
{
    return s_mode.load();
}

// ---------------------------------------------------------------------------

TShellDdeWindow::TShellDdeWindow(TNavigator navigate, TItemListNavigator navigateList)
    : m_navigate(std::move(navigate))
    , m_navigateList(std::move(navigateList))
    , m_names(ShellDdeNames())
    , m_owner(std::this_thread::get_id())
{
    std::lock_guard lock(s_windowsMutex);
    s_windows.push_back(this);
}

TShellDdeWindow::~TShellDdeWindow()
{
    std::lock_guard lock(s_windowsMutex);
    s_windows.erase(std::remove(s_windows.begin(), s_windows.end(), this), s_windows.end());
}

bool TShellDdeWindow::accepts(const TDdeSender &from) const
{
    return from.ProcessId == int64_t(::getpid()) && from.ThreadId == m_owner;
}

std::optional<TDdeAck> TShellDdeWindow::Initiate(const TDdeSender &from, const std::string &application,
                                                 const std::string &topic)
{
    // The sender check comes first: it is the only part that is safe to ask
    // from another thread.
    if (!accepts(from) || !m_enabled || s_busy.load())
        return std::nullopt;
    if (sameAtom(application, m_names.PageApplication)) {
        s_mode = TDdeMode::Page;
        m_partner = from;
        return TDdeAck{m_names.PageApplication, m_names.PageTopic};
    }
    if (sameAtom(application, m_names.FolderApplication) && sameAtom(topic, m_names.FolderTopic)) {
        s_mode = TDdeMode::Folder;
        m_partner = from;
        return TDdeAck{m_names.FolderApplication, m_names.FolderTopic};
    }
    return std::nullopt;
}

uint16_t TShellDdeWindow::Execute(const TDdeSender &from, const std::string &command)
{
    if (!m_enabled || !m_partner || m_partner->ProcessId != from.ProcessId || m_partner->ThreadId != from.ThreadId)
        return 0;
    switch (s_mode.load()) {
    case TDdeMode::Page: {
        std::string target = command;
        if (target.size() >= 2 && target.front() == '"' && target.back() == '"')
            target = target.substr(1, target.size() - 2);
        if (target.empty())
            return 0;
        m_navigate(target);
        return 1;
    }
    case TDdeMode::Folder: return executeFolderCommand(command) ? 1 : 0;
    case TDdeMode::None: break;
    }
    return 0;
}

bool TShellDdeWindow::executeFolderCommand(const std::string &text)
{
    const TFolderCommand command = ParseFolderCommand(text);
    if (command.Name.empty())
        return false;
    const bool open = command.Name == m_names.OpenCommand;
    const bool explore = command.Name == m_names.ExploreCommand;
    const bool find = command.Name == m_names.FindCommand;
    if (!open && !explore && !find)
        return false;

    if (open && !command.Path.empty()) {
        m_navigate(command.Path);
        return true;
    }
    const std::optional<TItemList> list = ResolveItemListField(command.ItemListField);
    if (open) {
        if (!list)
            return false;
        m_navigateList(*list);
        return true;
    }
    const std::string path = !command.Path.empty() ? command.Path : list ? ItemListPath(*list) : std::string();
    if (path.empty())
        return false;
    return runShellCommand(path, explore ? "explore" : "find", command.ShowCommand);
}

bool TShellDdeWindow::runShellCommand(const std::string &path, const std::string &verb, int show)
{
    const TFolderOpener opener = ScopedFolderOpener::valueOr({});
    s_busy = true;
    const bool done = opener ? opener(path, verb, show) : desktopOpener(path, verb, show);
    s_busy = false;
    return done;
}

bool TShellDdeWindow::Terminate(const TDdeSender &from)
{
    if (!m_partner || m_partner->ProcessId != from.ProcessId || m_partner->ThreadId != from.ThreadId)
        return false;
    m_partner.reset();
    return true;
}

std::vector<std::pair<TShellDdeWindow *, TDdeAck>>
DdeBroadcastInitiate(const TDdeSender &from, const std::string &application, const std::string &topic)
{
    std::vector<std::pair<TShellDdeWindow *, TDdeAck>> acks;
    std::lock_guard lock(s_windowsMutex);
    for (TShellDdeWindow *window : s_windows)
        if (std::optional<TDdeAck> ack = window->Initiate(from, application, topic))
            acks.emplace_back(window, std::move(*ack));
    return acks;
}

} // namespace webbrowser
