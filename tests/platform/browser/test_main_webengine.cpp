#include "platform/browser/BrowserProcess.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdlib>

// The web engine's settings must be in place before the application object
// exists, which the shared GUI main cannot do.
int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    browser::prepareProcess();
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
