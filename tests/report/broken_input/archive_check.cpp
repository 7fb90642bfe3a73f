// Reads every page of an archive file back, as a program that shows
// archives would, for the broken-input runs: exit 0 when every page reads,
// 1 with one line when the archive or a page does not, 2 for a wrong command
// line.

#include "report/content/ContentRegistration.h"
#include "report/model/ModelRegistration.h"
#include "report/model/pages/Page.h"
#include "report/output/ArchiveReader.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>
#include <string>

namespace {

// Qt's warnings (a runtime folder not set) are not the reader's to count.
void archiveCheckQtMessage(QtMsgType aType, const QMessageLogContext &, const QString &aText)
{
    if (aType == QtCriticalMsg || aType == QtFatalMsg)
        std::fprintf(stderr, "archive_check: %s\n", aText.simplified().toLocal8Bit().constData());
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(archiveCheckQtMessage);
    if (argc != 2) {
        std::fprintf(stderr, "usage: archive_check FILE.raf\n");
        return 2;
    }
    // Pages carry fonts, which want the GUI application; no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    report::ppModelLayerInit();
    report::ppContentLayerInit();
    int code = 0;
    try {
        const report::TppArchiveReader reader = report::TppArchiveReader::FromFile(QString::fromLocal8Bit(argv[1]));
        for (int i = 0; i < reader.PageCount(); ++i)
            reader.ReadPage(i);
    } catch (const std::exception &e) {
        std::string line = e.what();
        for (char &c : line)
            if (c == '\r' || c == '\n')
                c = ' ';
        std::fprintf(stderr, "archive_check: %s: %s\n", argv[1], line.c_str());
        code = 1;
    }
    report::ppContentLayerFinalize();
    report::ppModelLayerFinalize();
    return code;
}
