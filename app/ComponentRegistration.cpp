#include "app/ComponentRegistration.h"

#include "grid/widgets/TreeListRegistration.h"
#include "widgets/pagecontrol/dxPageControl.h"
#include "widgets/webbrowser/EmbeddedWB.h"
#include "widgets/webbrowser/IEUtils.h"
#include "widgets/webbrowser/ShellDdeCommands.h"

#include <QCoreApplication>

namespace app {

void RegisterGridComponents()
{
    grid::RegisterTreeListGrid();
    // Released once the event loop has ended, while the application object
    // that its cursors and glyphs need still exists.
    if (QCoreApplication *application = QCoreApplication::instance())
        QObject::connect(application, &QCoreApplication::aboutToQuit, application, [] { grid::ReleaseTreeListGrid(); });
}

void RegisterWidgetComponents()
{
    widgets::RegisterPageControlClasses();
    webbrowser::RegisterEmbeddedWBClasses();
    webbrowser::BindHtmlHelp(webbrowser::ViewerHtmlHelp());
    webbrowser::RegisterDesktopShellDde();
}

// The report library has nothing to register yet.
void RegisterReportComponents() {}

} // namespace app
