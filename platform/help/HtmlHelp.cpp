#include "platform/help/HtmlHelp.h"

#include "platform/help/HelpViewer.h"
#include "platform/shell/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

#include <map>

namespace help {

namespace {

// One viewer per book, as the help system keeps one window per file.
std::map<QString, QPointer<HelpViewer>> &viewers()
{
    static std::map<QString, QPointer<HelpViewer>> map;
    return map;
}
QPointer<QWidget> g_popup;
// The classic help's pending pop-up position (set with HELP_SETPOPUP_POS).
std::optional<QPoint> g_winPopupPos;

bool guiRunning()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

// The viewers are top-level windows without an owner; they must go before
// the application does.
void destroyAllHelp()
{
    for (auto &[folder, viewer] : viewers())
        delete viewer.data();
    viewers().clear();
    delete g_popup.data();
}

void ensureCleanup()
{
    static bool registered = false;
    if (!registered) {
        qAddPostRoutine(destroyAllHelp);
        registered = true;
    }
}

QString bookKey(const QString &folder)
{
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

HelpViewer *openViewer(const QString &helpFile)
{
    const HelpLocation location = parseHelpPath(helpFile);
    const QString key = bookKey(location.bookFolder);
    if (auto it = viewers().find(key); it != viewers().end() && it->second)
        return it->second;
    auto book = HelpBook::load(location.bookFolder);
    if (!book) {
        shell::MessageBox(nullptr, QObject::tr("The help file \"%1\" cannot be opened.").arg(location.file),
                          QObject::tr("Help"), shell::MessageButtons::Ok, shell::MessageIcon::Exclamation);
        return nullptr;
    }
    ensureCleanup();
    auto *viewer = new HelpViewer(std::move(book));
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewers()[key] = viewer;
    return viewer;
}

class TextPopup : public QFrame
{
public:
    explicit TextPopup(const QString &text)
        : QFrame(nullptr, Qt::ToolTip | Qt::FramelessWindowHint)
    {
        setObjectName(QStringLiteral("HelpPopup"));
        setAttribute(Qt::WA_DeleteOnClose);
        setFrameShape(QFrame::Box);
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::ToolTipBase);
        auto *label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("HelpPopupText"));
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        label->setForegroundRole(QPalette::ToolTipText);
        label->setMaximumWidth(360);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(8, 6, 8, 6);
        layout->addWidget(label);
        qApp->installEventFilter(this);
    }

protected:
    // Any click or key elsewhere dismisses the pop-up, as a context pop-up
    // lives only until the user does something else.
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::KeyPress: close(); break;
        default: break;
        }
        return false;
    }
};

QString popupTextOf(const QString &path, const HtmlHelpPopup &popup)
{
    if (popup.stringId == 0)
        return popup.text;
    const HelpLocation location = parseHelpPath(path);
    const auto book = HelpBook::load(location.bookFolder);
    const QString text = book ? book->popupText(location.page, popup.stringId) : QString();
    return text.isEmpty() ? QObject::tr("No help topic is associated with this item.") : text;
}

} // namespace

bool htmlHelpAvailable()
{
    if (const auto entry = ScopedHtmlHelpEntry::current())
        return bool(*entry);
    return guiRunning();
}

QWidget *htmlHelp(QWidget *caller, const QString &path, HtmlHelpCommand command, const HtmlHelpArg &arg)
{
    if (const auto entry = ScopedHtmlHelpEntry::current())
        return *entry ? (*entry)(caller, path, command, arg) : nullptr;
    return guiRunning() ? viewerHtmlHelp(caller, path, command, arg) : nullptr;
}

bool winHelp(QWidget *window, const QString &file, uint16_t command, const HelpData &data)
{
    if (const auto entry = ScopedWinHelpEntry::current())
        return *entry && (*entry)(window, file, command, data);
    return guiRunning() && viewerWinHelp(window, file, command, data);
}

QWidget *viewerHtmlHelp(QWidget *, const QString &path, HtmlHelpCommand command, const HtmlHelpArg &arg)
{
    switch (command) {
    case HtmlHelpCommand::CloseAll: closeAllHelp(); return nullptr;
    case HtmlHelpCommand::DisplayTextPopup: return showPopup(arg.popup.point, popupTextOf(path, arg.popup));
    default: break;
    }
    HelpViewer *viewer = openViewer(path);
    if (!viewer)
        return nullptr;
    switch (command) {
    case HtmlHelpCommand::DisplayTopic: viewer->showPage(parseHelpPath(path).page); break;
    case HtmlHelpCommand::DisplayToc: viewer->showContents(); break;
    case HtmlHelpCommand::DisplayIndex: viewer->showIndex(arg.keyword); break;
    case HtmlHelpCommand::HelpContext: {
        const QString page = viewer->book().pageForContext(arg.context);
        if (page.isEmpty())
            return nullptr;
        viewer->showPage(page);
        break;
    }
    default: return nullptr;
    }
    return viewer;
}

bool viewerWinHelp(QWidget *, const QString &file, uint16_t command, const HelpData &data)
{
    HtmlHelpArg arg;
    switch (command) {
    case HELP_QUIT: closeAllHelp(); return true;
    case HELP_SETPOPUP_POS: g_winPopupPos = data.point; return true;
    case HELP_CONTEXTPOPUP: {
        arg.popup.stringId = int(data.number);
        arg.popup.point = g_winPopupPos.value_or(QCursor::pos());
        g_winPopupPos.reset();
        const QString topics = file + QStringLiteral("::/CSHelp.txt");
        return viewerHtmlHelp(nullptr, topics, HtmlHelpCommand::DisplayTextPopup, arg) != nullptr;
    }
    case HELP_CONTEXT:
        arg.context = data.number;
        return viewerHtmlHelp(nullptr, file, HtmlHelpCommand::HelpContext, arg) != nullptr;
    case HELP_CONTENTS:
    case HELP_FINDER: return viewerHtmlHelp(nullptr, file, HtmlHelpCommand::DisplayToc, arg) != nullptr;
    case HELP_TAB:
        return viewerHtmlHelp(nullptr, file,
                              data.number != 0 ? HtmlHelpCommand::DisplayIndex : HtmlHelpCommand::DisplayToc,
                              arg) != nullptr;
    case HELP_KEY:
    case HELP_PARTIALKEY:
        arg.keyword = data.text;
        return viewerHtmlHelp(nullptr, file, HtmlHelpCommand::DisplayIndex, arg) != nullptr;
    case HELP_COMMAND: {
        // The one macro the program sends: JumpID("", "topic").
        static const QLatin1String jump("JumpID(");
        const QString macro = data.text.trimmed();
        if (!macro.startsWith(jump, Qt::CaseInsensitive) || !macro.endsWith(QLatin1Char(')')))
            return false;
        QStringList args = macro.mid(jump.size(), macro.size() - jump.size() - 1).split(QLatin1Char(','));
        if (args.size() != 2)
            return false;
        QString topic = args[1].trimmed();
        if (topic.size() >= 2 && topic.startsWith(QLatin1Char('"')) && topic.endsWith(QLatin1Char('"')))
            topic = topic.mid(1, topic.size() - 2);
        if (!topic.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) &&
            !topic.endsWith(QLatin1String(".html"), Qt::CaseInsensitive))
            topic += QLatin1String(".htm");
        return viewerHtmlHelp(nullptr, file + QStringLiteral("::/") + topic, HtmlHelpCommand::DisplayTopic, arg) !=
               nullptr;
    }
    default: return false;
    }
}

HelpViewer *viewerFor(const QString &helpFile)
{
    const auto it = viewers().find(bookKey(parseHelpPath(helpFile).bookFolder));
    return it == viewers().end() ? nullptr : it->second.data();
}

QWidget *currentPopup()
{
    return g_popup.data();
}

QWidget *showPopup(const QPoint &point, const QString &text)
{
    if (!guiRunning())
        return nullptr;
    if (g_popup)
        g_popup->close();
    auto *popup = new TextPopup(text);
    popup->adjustSize();
    QPoint pos = point;
    if (const QScreen *screen =
            QGuiApplication::screenAt(point) ? QGuiApplication::screenAt(point) : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        pos.setX(std::max(area.left(), std::min(pos.x(), area.right() + 1 - popup->width())));
        pos.setY(std::max(area.top(), std::min(pos.y(), area.bottom() + 1 - popup->height())));
    }
    popup->move(pos);
    popup->show();
    g_popup = popup;
    return popup;
}

void closeAllHelp()
{
    for (auto &[folder, viewer] : viewers())
        if (viewer)
            viewer->close();
    viewers().clear();
    if (g_popup)
        g_popup->close();
}

} // namespace help
