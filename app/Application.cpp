#include "app/Application.h"

#include "app/ComponentRegistration.h"
#include "app/MainUnit.h"
#include "platform/gfx/Colors.h"

#include <QApplication>

namespace app {

int RunZarvello(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Zarvello"));
    QApplication::setApplicationDisplayName(QString());
    // Custom-painted controls take the system colours from the desktop's
    // palette, so they match the standard widgets around them.
    rtl::setSystemColors(gfx::systemColorsFromPalette(QApplication::palette()));
    RegisterGridComponents();
    RegisterReportComponents();
    TMainForm mainForm;
    if (!mainForm.FormCreate())
        return 0;
    return app.exec();
}

} // namespace app
