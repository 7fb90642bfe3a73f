// The preview window of a three-page report, on a real display, for a test
// that drives it with the X server's pointer and keys. Its first line
// tells where the page-number edit, the 100 % button, the Next button and
// the search box are on the screen; then one line per change of state:
//   page <number> edit <the edit's text> status <the status panel> next <0|1>
//   zoom <percent> scroll <horizontal> <vertical> search <the search box's text>
// and "closed" with exit status 0 when the window has closed.

#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"

#include "report/model/pages/Page.h"
#include "report/model/production/Producer.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/output/LibraryInit.h"
#include "report/output/forms/PrintPreview.h"
#include "report/output/preview/Preview.h"
#include "report/output/preview/SearchPreview.h"
#include "report/output/screen/ScrollBox.h"
#include "report/output/screen/Viewer.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

namespace {

QString probeCentre(QWidget *aWidget)
{
    const QPoint centre = aWidget->mapToGlobal(aWidget->rect().center());
    return QStringLiteral("%1 %2").arg(centre.x()).arg(centre.y());
}

void probeLine(const QString &aLine)
{
    std::printf("%s\n", aLine.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    report::ppLibraryInit();
    std::unique_ptr<report::TppProducer> sample = std::make_unique<report::TppProducer>();
    reporttest::SetA4Portrait(*sample->PrinterSetup());
    reporttest::StandInCommandClasses commands;
    reporttest::ProducerScript script;
    script.pageCount = 3;
    reporttest::StandInProducer engine(sample->Publisher(), script);
    engine.BeforeDeliver = [](report::TppPage &aPage) { reporttest::SetA4Portrait(*aPage.PrinterSetup()); };
    // The state is told whenever it changed, looked at every 50 ms once
    // the window shows.
    QTimer watch;
    QString last;
    sample->OnPreviewFormCreate.Set([&](classes::TObject *) {
        auto *form = dynamic_cast<report::TppPrintPreview *>(sample->PreviewForm());
        auto *preview = form ? dynamic_cast<report::TppPreview *>(form->PlugIn()) : nullptr;
        if (!preview)
            return;
        QObject::connect(&watch, &QTimer::timeout, form, [form, preview, &last] {
            if (!form->isVisible() || preview->Viewer()->AbsolutePageNo() == 0)
                return;
            auto *search = dynamic_cast<report::TppSearchPreview *>(preview->SearchPreview());
            if (!search || !search->TextBox())
                return;
            if (last.isEmpty())
                probeLine(QStringLiteral("at %1 %2 %3 %4")
                              .arg(probeCentre(preview->PageNoEdit()),
                                   probeCentre(preview->ToolButton(report::ppPreviewAction::Zoom100Percent)),
                                   probeCentre(preview->ToolButton(report::ppPreviewAction::NextPage)),
                                   probeCentre(search->TextBox())));
            const report::TppScrollBox *box = preview->Viewer()->ScrollBox();
            const QString state = QStringLiteral("page %1 edit %2 status %3 next %4 zoom %5 scroll %6 %7 search %8")
                                      .arg(preview->Viewer()->AbsolutePageNo())
                                      .arg(preview->PageNoEdit()->text().trimmed(), form->StatusPanel()->text())
                                      .arg(preview->ToolButton(report::ppPreviewAction::NextPage)->isEnabled() ? 1 : 0)
                                      .arg(preview->Viewer()->CalculatedZoom())
                                      .arg(box->horizontalScrollBar()->value())
                                      .arg(box->verticalScrollBar()->value())
                                      .arg(search->TextBox()->text());
            if (state != last)
                probeLine(state);
            last = state;
        });
        watch.start(50);
    });
    sample->TextSearchSettings()->SetEnabled(true);
    sample->TextSearchSettings()->SetVisible(true);
    sample->TextSearchSettings()->SetDefaultString(QString());
    sample->SetDeviceType(QStringLiteral("Screen"));
    sample->Print();
    probeLine(QStringLiteral("closed"));
    sample.reset();
    report::ppLibraryFinalize();
    return 0;
}
