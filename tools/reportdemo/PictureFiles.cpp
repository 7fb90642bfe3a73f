#include "PictureFiles.h"

#include "report/content/graphics/Images.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/objects/EventIds.h"
#include "report/model/reports/Report.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <vector>

namespace reportdemo {

namespace {

// Why the file a picture field names cannot be read, or empty when it can
// (or when the field names none).
QString missingPictureReason(report::TppDBImage &aImage)
{
    report::TppDataPipeline *pipeline = aImage.DataPipeline();
    if (!pipeline || aImage.DataField().isEmpty() ||
        pipeline->GetFieldDataType(aImage.DataField()) != report::TppDataType::dtString ||
        !aImage.CheckForPipelineData())
        return {};
    const QFileInfo file(pipeline->GetFieldAsString(aImage.DataField()));
    if (file.filePath().isEmpty() || file.isFile())
        return {};
    return QString::fromLocal8Bit(std::strerror(file.isDir() ? EISDIR : ENOENT));
}

void checkThenLoad(report::TppDBImage &aImage)
{
    if (const QString reason = missingPictureReason(aImage); !reason.isEmpty()) {
        aImage.RaisePictureError(reason);
        return;
    }
    // The control's own loading, which a handler would otherwise replace.
    const report::TppPictureEvent self = aImage.OnGetPicture;
    aImage.OnGetPicture.Clear();
    try {
        aImage.LoadPicture();
    } catch (...) {
        aImage.OnGetPicture = self;
        throw;
    }
    aImage.OnGetPicture = self;
}

void collectDataPictures(classes::TComponent &aComponent, std::vector<report::TppDBImage *> &aImages)
{
    aComponent.GetChildren(
        [&aImages](classes::TComponent *aChild) {
            if (auto *image = dynamic_cast<report::TppDBImage *>(aChild))
                aImages.push_back(image);
            collectDataPictures(*aChild, aImages);
        },
        nullptr);
}

} // namespace

void RequirePictureFiles(report::TppReport &aReport)
{
    std::vector<report::TppDBImage *> images;
    collectDataPictures(aReport, images);
    for (report::TppDBImage *image : images) {
        // A handler or a listener decides the picture itself.
        if (image->OnGetPicture || image->HasEventNotify(report::ppEvent::OnGetPicture) || !image->AutoDisplay())
            continue;
        image->OnGetPicture.Set([image](classes::TObject *, classes::TPicture *) { checkThenLoad(*image); });
    }
}

} // namespace reportdemo
