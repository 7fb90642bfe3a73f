#include "ScreenRun.h"

#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/reports/Report.h"
#include "report/output/screen/ScreenDevice.h"

#include <QImageWriter>
#include <QSaveFile>

namespace reportdemo {

QString PagePngName(const QString &aBase, int aPageNo)
{
    QString stem = aBase;
    if (stem.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        stem.chop(4);
    return stem + QLatin1Char('-') + QString::number(aPageNo) + QStringLiteral(".png");
}

bool RenderPagesToPng(report::TppReport &aReport, const report::TppPageRequest &aRequest, const QString &aBase,
                      QString &aError)
{
    report::TppScreenDevice device;
    device.SetPageRequest(&aRequest);
    bool failed = false;
    device.OnPageDrawn.Set([&](classes::TObject *) {
        if (failed)
            return;
        const QString name = PagePngName(aBase, device.Page()->AbsolutePageNo());
        QSaveFile file(name);
        QImageWriter writer(&file, "png");
        if (!file.open(QIODevice::WriteOnly) || !writer.write(device.PageBitmap()) || !file.commit()) {
            aError = name + QStringLiteral(": ") +
                     (writer.error() != QImageWriter::UnknownError ? writer.errorString() : file.errorString());
            failed = true;
        }
    });
    device.SetPublisher(aReport.Publisher());
    aReport.PrintToDevices();
    device.SetPublisher(nullptr);
    return !failed;
}

} // namespace reportdemo
