#include "app/Application.h"

#include "app/ComponentRegistration.h"
#include "app/MainUnit.h"
#include "app/ProgramInstance.h"
#include "app/TerminationSignals.h"
#include "foundation/MyUtilitiesUi.h"
#include "platform/controls/DesktopColors.h"
#include "platform/shell/Desktop.h"

#include <QApplication>

namespace app {

namespace {

void bringToFront(TMainForm &form)
{
    if (form.isVisible()) {
        if (form.isMinimized())
            form.showNormal();
        form.raise();
        form.activateWindow();
    }
    // A window that waits for an answer stays in front of the main window.
    if (QWidget *modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

} // namespace

void setApplicationTitle()
{
    // The display name stays unset, so that it reads as the application
    // name, which error boxes take as their caption. Once set, even to the
    // same name, X11 appends it to every window title that does not end with
    // it already ("Options — Zarvello").
    QApplication::setApplicationName(QStringLiteral("Zarvello"));
}

int RunZarvello(QApplication &app)
{
    setApplicationTitle();
    // From the first moment on: a request that comes before the window
    // exists waits for it.
    TerminationSignals terminations;
    // Two programs on one folder would each save their list over the
    // other's.
    ProgramInstance instance(shell::programFolder());
    if (!instance.claim()) {
        // Nothing of this start needs saving: a termination signal ends it
        // at once, also while its box waits for an answer.
        bool terminated = false;
        QObject::connect(&terminations, &TerminationSignals::requested, &app, [&terminated] {
            terminated = true;
            if (QWidget *box = QApplication::activeModalWidget())
                box->close();
        });
        foundation::ShowMessageBox(nullptr, AlreadyRunningText(shell::programFolder()), 'i');
        if (!terminated)
            instance.askToRaise();
        return 0;
    }
    // Custom-painted controls take the system colours from the desktop's
    // palette, so they match the standard widgets around them, also once
    // the desktop's colours change.
    const controls::DesktopColors desktopColors;
    RegisterGridComponents();
    RegisterWidgetComponents();
    RegisterReportComponents();
    TMainForm mainForm;
    QObject::connect(&instance, &ProgramInstance::raiseRequested, &mainForm, [&mainForm] { bringToFront(mainForm); });
    QObject::connect(&terminations, &TerminationSignals::requested, &mainForm,
                     [&mainForm] { mainForm.CloseOnTerminationSignal(); });
    if (!mainForm.FormCreate())
        return 0;
    return app.exec();
}

} // namespace app
