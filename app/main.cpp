#include "app/Application.h"
#include "platform/browser/BrowserProcess.h"

#include <QApplication>

#include <csignal>

int main(int argc, char **argv)
{
    // Under a file-size limit (ulimit -f), or into a pipe whose reader went
    // away, a save fails, is told and leaves the earlier file, instead of the
    // signal ending the program on the spot.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    // The web engine reads its process settings when the application object
    // is made.
    browser::prepareProcess();
    QApplication app(argc, argv);
    return app::RunZarvello(app);
}
