#include "OutputFile.h"

#include "platform/rtl/AtomicSave.h"

#include <QFile>
#include <QFileInfo>

#include <string_view>

namespace reportdemo {

bool SaveOutputFile(const QString &aFileName, const QByteArray &aBytes, QString &aError)
{
    const QFileInfo info(aFileName);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        // A device cannot be renamed over; its own write and flush say
        // whether the bytes went.
        QFile device(aFileName);
        if (!device.open(QIODevice::WriteOnly) || device.write(aBytes) != aBytes.size() || !device.flush()) {
            aError = aFileName + QStringLiteral(": ") + device.errorString();
            return false;
        }
        return true;
    }
    rtl::AtomicSaveOptions options;
    options.existing = rtl::ExistingFile::Update;
    // A run killed while it wrote left its temporary file beside the target.
    options.removeLeftovers = true;
    const rtl::SaveResult saved = rtl::atomicSave(QFile::encodeName(aFileName).toStdString(),
                                                  std::string_view(aBytes.constData(), size_t(aBytes.size())), options);
    if (!saved) {
        aError = aFileName + QStringLiteral(": ") + QString::fromLocal8Bit(saved.reason().c_str());
        return false;
    }
    return true;
}

} // namespace reportdemo
