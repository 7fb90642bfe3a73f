#include "foundation/MyUtilitiesFiles.h"

#include "platform/shell/Desktop.h"

#include <QFile>

std::string GetApplicationPath()
{
    const QByteArray folder = QFile::encodeName(shell::programFolder());
    std::string path(folder.constData(), static_cast<size_t>(folder.size()));
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}
