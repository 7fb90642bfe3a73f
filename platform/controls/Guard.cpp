#include "platform/controls/Guard.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/LocalNames.h"
#include "platform/rtl/QtText.h"
#include "platform/shell/Beep.h"
#include "platform/shell/MessageBox.h"

#include <QApplication>
#include <QThread>

#include <optional>
#include <string>

namespace controls {

namespace {

// The message of a failure the user is told about; none for the silent abort
// and for what is not an error of the program.
std::optional<std::string> userMessage(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const rtl::EAbort &) {
    } catch (const std::exception &e) {
        return std::string(e.what());
    } catch (...) {
    }
    return std::nullopt;
}

// An error's message holds the program's Windows-1252 texts, or text of the
// system and the libraries as UTF-8: a file's name, the C library's words,
// a report's message. Read as the code page, "Загрузки" in a path would show
// as "Ð—Ð°Ð³Ñ€Ñƒ…"; bytes that are no UTF-8 are the program's own.
QString messageText(const std::string &message)
{
    return rtl::decodesFaithfully(message) ? rtl::FileNameText(message) : rtl::ToQString(message);
}

bool onGuiThread()
{
    const auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

} // namespace

void Report::failed(const std::exception_ptr &error) const noexcept
{
    if (!m_toUser)
        return;
    try {
        const std::optional<std::string> message = userMessage(error);
        // Only the GUI thread may show a window.
        if (!message || !onGuiThread())
            return;
        // A hidden owner would hide the box with it.
        QWidget *parent = m_owner && m_owner->isVisible() ? m_owner.data() : QApplication::activeWindow();
        shell::MessageBeep(shell::BeepKind::Stop);
        // The caption is the application's title, as for any error the
        // platform reports.
        shell::MessageBox(parent, messageText(*message), QGuiApplication::applicationDisplayName(),
                          shell::MessageButtons::Ok, shell::MessageIcon::Stop);
    } catch (...) {
        // Nothing more can be done for a failure whose report fails.
    }
}

} // namespace controls
