#include "app/help/ApplicationHelp.h"

#include "foundation/MyOptions.h"
#include "foundation/MyUtilitiesUi.h"
#include "platform/help/HtmlHelp.h"
#include "platform/rtl/LocalNames.h"
#include "platform/rtl/QtText.h"

#include <QApplication>

namespace app {

using namespace foundation;

namespace {

TApplicationHelpHandler g_handler;

} // namespace

TApplicationHelpHandler SetApplicationHelpHandler(TApplicationHelpHandler Handler)
{
    return std::exchange(g_handler, std::move(Handler));
}

bool HasApplicationHelpHandler()
{
    return bool(g_handler);
}

bool ApplicationHelpCommand(uint16_t Command, const help::HelpData &Data)
{
    bool CallHelp = true;
    bool Result = false;
    if (g_handler) {
        // A copy: the handler may replace itself while it runs.
        const TApplicationHelpHandler handler = g_handler;
        Result = handler(Command, Data, CallHelp);
    }
    if (CallHelp && !ApplicationHelpFile.empty()) {
        QWidget *window = QApplication::activeWindow();
        if (!window)
            window = GetMainForm();
        Result = help::winHelp(window, rtl::FileNameText(ApplicationHelpFile), Command, Data);
    }
    return Result;
}

bool ApplicationHelpJump(const std::string &JumpID)
{
    return ApplicationHelpCommand(help::HELP_COMMAND,
                                  help::HelpData(QStringLiteral("JumpID(\"\",\"%1\")").arg(rtl::ToQString(JumpID))));
}

} // namespace app
