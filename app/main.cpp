#include "app/Application.h"
#include "app/StartRefusal.h"
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
    // Both are told before the application object is made: it would read
    // the folder's "qt.conf" and take plug-ins from the folder.
    const std::string program = rtl::executablePathBytes();
    if (!rtl::decodesFaithfully(program)) {
        app::TellStartRefusal("the program's path \"" + rtl::printableBytes(program) +
                                  "\" is not UTF-8 text; move or rename the program to a name that is",
                              app::SystemProgramFolders());
        return 1;
    }
    // Whoever may write the folder could put a "qt.conf" or plug-ins there,
    // and Qt would run their code in the program of whoever starts it.
    const std::string folder = rtl::executableFolderBytes();
    if (std::string refused = app::ProgramFolderRefusal(folder); !refused.empty()) {
        app::TellStartRefusal(refused + " (\"" + rtl::printableBytes(folder) +
                                  "\"); move the program to a folder only its owner may write",
                              app::SystemProgramFolders());
        return 1;
    }
    // The web engine reads its process settings when the application object
    // is made.
    browser::prepareProcess();
    QApplication app(argc, argv);
    return app::RunZarvello(app);
}
