#include "OutputFile.h"

#include "platform/rtl/AtomicSave.h"

#include <QFile>

#include <string_view>

namespace reportdemo {

bool SaveOutputFile(const QString &aFileName, const QByteArray &aBytes, QString &aError)
{
    // A device or a pipe is written in place, and its own writes and close
    // say whether the bytes went.
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
