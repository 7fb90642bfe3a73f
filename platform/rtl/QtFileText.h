#pragma once

// The one bounded whole-file read for names in Qt's form: a file name in the
// system's encoding, or a resource built into the program (":/...").

#include "platform/rtl/FileDescriptor.h"

#include <QByteArray>
#include <QString>

namespace rtl {

FileText readWholeFile(const QString &fileName, const FileReadOptions &options = {});

} // namespace rtl
