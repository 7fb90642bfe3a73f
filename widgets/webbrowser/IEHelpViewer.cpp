#include "widgets/webbrowser/IEUtils.h"

#include "platform/help/HtmlHelp.h"
#include "platform/rtl/LocalNames.h"

#include <QCoreApplication>
#include <QThread>

// Kept apart from the rest of the helpers: it is the one piece that needs the
// help viewer's windows, and the command parser's fuzz target links the rest
// without any widget library.
namespace webbrowser {

THtmlHelpFunction ViewerHtmlHelp()
{
    return [](void *window, const std::string &file, uint32_t command, uintptr_t data) -> intptr_t {
        help::HtmlHelpArg arg;
        help::HtmlHelpCommand viewerCommand;
        switch (command) {
        case HH_DISPLAY_TOPIC: viewerCommand = help::HtmlHelpCommand::DisplayTopic; break;
        case HH_DISPLAY_TOC: viewerCommand = help::HtmlHelpCommand::DisplayToc; break;
        case HH_DISPLAY_INDEX: viewerCommand = help::HtmlHelpCommand::DisplayIndex; break;
        case HH_HELP_CONTEXT:
            viewerCommand = help::HtmlHelpCommand::HelpContext;
            arg.context = int64_t(data);
            break;
        case HH_CLOSE_ALL: viewerCommand = help::HtmlHelpCommand::CloseAll; break;
        default: return 0;
        }
        const auto show = [&] {
            return intptr_t(
                help::htmlHelp(static_cast<QWidget *>(window), rtl::FileNameText(file), viewerCommand, arg));
        };
        // The wrapper asks on its worker's thread, but the viewer is a window:
        // it is made on the GUI thread while the worker waits. The GUI
        // thread never waits for a worker that is still running.
        QCoreApplication *application = QCoreApplication::instance();
        if (!application || QThread::currentThread() == application->thread())
            return show();
        intptr_t shown = 0;
        QMetaObject::invokeMethod(
            application, [&] { shown = show(); }, Qt::BlockingQueuedConnection);
        return shown;
    };
}

} // namespace webbrowser
