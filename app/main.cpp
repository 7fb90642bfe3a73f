#include "app/Application.h"
#include "platform/browser/BrowserProcess.h"
#include "platform/rtl/LocalNames.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    // Under a file-size limit (ulimit -f), or into a pipe whose reader went
    // away, a save fails, is told and leaves the earlier file, instead of the
    // signal ending the program on the spot.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    // Qt reads such a name as another folder's: the program would look for
    // its files, and Qt for its configuration, somewhere else, and save the
    // user's list and settings there.
    if (const std::string folder = rtl::executableFolderBytes(); !rtl::decodesFaithfully(folder)) {
        std::fprintf(stderr,
                     "Zarvello: the name of the program's folder \"%s\" is not UTF-8 text; "
                     "move the program to a folder whose name is\n",
                     rtl::printableBytes(folder).c_str());
        return 1;
    }
    // The web engine reads its process settings when the application object
    // is made.
    browser::prepareProcess();
    QApplication app(argc, argv);
    return app::RunZarvello(app);
}
