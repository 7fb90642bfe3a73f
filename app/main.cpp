#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zarvello"));
    std::fputs("Zarvello: the main window is not built yet.\n", stderr);
    return 0;
}
