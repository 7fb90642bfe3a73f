#include "app/Application.h"
#include "platform/browser/BrowserProcess.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // The web engine reads its process settings when the application object
    // is made.
    browser::prepareProcess();
    QApplication app(argc, argv);
    return app::RunZarvello(app);
}
