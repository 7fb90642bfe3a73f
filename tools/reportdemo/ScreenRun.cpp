#include "ScreenRun.h"

#include "OutputFile.h"

#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/reports/Report.h"
#include "report/output/screen/ScreenDevice.h"

#include <QBuffer>
#include <QImageWriter>

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
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        QImageWriter writer(&png, "png");
        if (!writer.write(device.PageBitmap())) {
            aError = name + QStringLiteral(": ") + writer.errorString();
            failed = true;
            return;
        }
        failed = !SaveOutputFile(name, png.data(), aError);
    });
    device.SetPublisher(aReport.Publisher());
    aReport.PrintToDevices();
    device.SetPublisher(nullptr);
    return !failed;
}

} // namespace reportdemo
