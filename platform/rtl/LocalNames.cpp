#include "platform/rtl/LocalNames.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cstdio>

namespace rtl {

QString FileNameText(std::string_view bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

std::string FileNameBytes(const QString &name)
{
    return QFile::encodeName(name).toStdString();
}

bool decodesFaithfully(std::string_view bytes)
{
    const QByteArray raw(bytes.data(), qsizetype(bytes.size()));
    return QFile::encodeName(QFile::decodeName(raw)) == raw;
}

std::string printableBytes(std::string_view bytes)
{
    std::string shown;
    size_t i = 0;
    while (i < bytes.size()) {
        // The longest run from here that decodes as it stands, at most one
        // character of four bytes at a time.
        size_t length = 0;
        for (size_t n = 1; n <= 4 && i + n <= bytes.size(); ++n) {
            if (decodesFaithfully(bytes.substr(i, n))) {
                length = n;
                break;
            }
        }
        if (length == 0) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(static_cast<unsigned char>(bytes[i])));
            shown += hex;
            ++i;
        } else {
            shown.append(bytes.substr(i, length));
            i += length;
        }
    }
    return shown;
}

std::optional<std::string> undecodableArgument(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (argv[i] && !decodesFaithfully(argv[i]))
            return std::string(argv[i]);
    return std::nullopt;
}

std::string undecodableArgumentMessage(std::string_view argument)
{
    return "the argument \"" + printableBytes(argument) +
           "\" is not UTF-8 text; a name in it would open another file than the one named";
}

std::string executablePathBytes()
{
    std::string target(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", target.data(), target.size());
    if (n <= 0 || size_t(n) >= target.size())
        return {};
    target.resize(size_t(n));
    return target;
}

std::string executableFolderBytes()
{
    const std::string target = executablePathBytes();
    const size_t slash = target.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : target.substr(0, slash);
}

bool environmentDecodesFaithfully(const char *variable)
{
    const QByteArray value = qgetenv(variable);
    return decodesFaithfully(std::string_view(value.constData(), size_t(value.size())));
}

QString temporaryFolder()
{
    return environmentDecodesFaithfully("TMPDIR") ? QDir::tempPath() : QString();
}

} // namespace rtl
