#include "app/Application.h"

#include "app/ComponentRegistration.h"
#include "app/MainUnit.h"

#include <QApplication>

int RunZarvello(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Zarvello"));
    QApplication::setApplicationDisplayName(QString());
    RegisterGridComponents();
    RegisterReportComponents();
    TMainForm mainForm;
    if (!mainForm.FormCreate())
        return 0;
    return app.exec();
}
