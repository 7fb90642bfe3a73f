// Grabs the help viewer (contents, a topic, the index) and the about and
// splash windows into PNG files, so that their look can be checked by eye.

#include "app/about/AboutUnit.h"
#include "platform/help/HelpViewer.h"
#include "platform/help/HtmlHelp.h"
#include "platform/shell/Desktop.h"

#include <QApplication>
#include <QDir>
#include <QTextBrowser>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: help_shots <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QString program = QString::fromLocal8Bit(qgetenv("ZVO_PROGRAM_DIR"));
    if (program.isEmpty())
        program = QString::fromLocal8Bit(qgetenv("ZVO_SOURCE_DIR")) + "/data";
    shell::setProgramFolder(program);
    const QString chm = QDir(program).filePath(QStringLiteral("ZVO.chm"));

    auto save = [&](QWidget *w, const char *name) {
        QApplication::processEvents();
        const QString file = out.filePath(QString::fromLatin1(name));
        const bool ok = w && w->grab().save(file);
        std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
        return ok;
    };

    bool ok = true;
    QWidget *viewer = help::htmlHelp(nullptr, chm, help::HtmlHelpCommand::DisplayToc);
    ok &= save(viewer, "help_contents.png");
    help::htmlHelp(nullptr, chm + "::/TheOptionswindow.htm", help::HtmlHelpCommand::DisplayTopic);
    ok &= save(viewer, "help_topic.png");
    help::HtmlHelpArg arg;
    arg.keyword = QStringLiteral("proxy");
    help::htmlHelp(nullptr, chm, help::HtmlHelpCommand::DisplayIndex, arg);
    ok &= save(viewer, "help_index.png");
    arg.popup.stringId = 1022;
    ok &= save(help::htmlHelp(nullptr, chm + "::/CSHelp.txt", help::HtmlHelpCommand::DisplayTextPopup, arg),
               "help_popup.png");
    help::closeAllHelp();

    auto *about = new TAboutForm;
    about->show();
    ok &= save(about, "about.png");
    about->close();
    auto *splash = new TAboutForm;
    splash->ShowAsSplash();
    splash->show();
    ok &= save(splash, "splash.png");
    splash->close();
    QApplication::processEvents();
    return ok ? 0 : 1;
}
