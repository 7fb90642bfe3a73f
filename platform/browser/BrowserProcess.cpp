#include "platform/browser/BrowserProcess.h"

#include <QCoreApplication>

#include <cstdlib>
#include <unistd.h>

namespace browser {

void prepareProcess()
{
    if (::geteuid() == 0 && !std::getenv("QTWEBENGINE_DISABLE_SANDBOX"))
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    ::setenv("QTWEBENGINE_CHROMIUM_FLAGS",
             "--disable-gpu --disable-background-networking --disable-component-update --no-first-run", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace browser
