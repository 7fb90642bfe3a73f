#include "platform/rtl/QtFileText.h"

#include <QFile>

#include <cerrno>

namespace rtl {

FileText readWholeFile(const QString &fileName, const FileReadOptions &options)
{
    // A built-in resource lives in the program's memory: it can be no pipe
    // or device, and only Qt knows how to read it.
    if (fileName.startsWith(QLatin1Char(':')) || fileName.startsWith(QLatin1String("qrc:"))) {
        FileText result;
        result.limit = options.limit;
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            result.failure = ReadFailure::Missing;
            result.error = ENOENT;
        } else if (uint64_t(file.size()) > options.limit) {
            result.failure = ReadFailure::TooLarge;
            result.error = EFBIG;
        } else {
            result.text = file.readAll().toStdString();
        }
        return result;
    }
    return readWholeFile(QFile::encodeName(fileName).toStdString(), options);
}

} // namespace rtl
