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
    // Qt reads such a name as another's: the program would look for its
    // files, and Qt for its configuration, in another folder or in "/", and
    // save the user's list and settings there, under another section.
    if (const std::string program = rtl::executablePathBytes(); !rtl::decodesFaithfully(program)) {
        std::fprintf(stderr,
                     "Zarvello: the program's path \"%s\" is not UTF-8 text; "
                     "move or rename the program to a name that is\n",
                     rtl::printableBytes(program).c_str());
        return 1;
    }
    // The web engine reads its process settings when the application object
    // is made.
    browser::prepareProcess();
    QApplication app(argc, argv);
    return app::RunZarvello(app);
}
