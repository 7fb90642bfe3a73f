#pragma once

// File names as the system hands them over (the command line, the link
// /proc/self/exe) are bytes. Qt decodes them as UTF-8, and a byte that is no
// UTF-8 becomes U+FFFD, which encodes back to other bytes: the name would
// open another file, or none. Callers keep such names as bytes or refuse
// them with these.

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace rtl {

// A path the program keeps as the system's bytes, decoded and encoded as
// file names are. Never through the application's code page: there "é" is
// another byte than the system's, and the name would open nothing.
QString FileNameText(std::string_view bytes);
std::string FileNameBytes(const QString &name);

// Whether the bytes survive Qt's decoding and encoding of file names.
bool decodesFaithfully(std::string_view bytes);

// The bytes as a message can show them: what decodes stays, any other byte
// is written "\xHH".
std::string printableBytes(std::string_view bytes);

// The first argument after the program's name that does not decode
// faithfully, or nullopt.
std::optional<std::string> undecodableArgument(int argc, char **argv);

// The line that refuses such an argument, without the program's name.
std::string undecodableArgumentMessage(std::string_view argument);

// The running executable's path, as the bytes the system gives; empty when
// it cannot be read.
std::string executablePathBytes();

// Its folder, without a trailing "/"; empty when it cannot be read.
std::string executableFolderBytes();

// Whether a variable of the environment that names a folder (TMPDIR, HOME,
// XDG_CONFIG_HOME), when set, survives Qt's decoding: Qt names the
// temporary, home and settings folders by the variable decoded, and bytes
// that are no UTF-8 would name another folder, which somebody else may own.
bool environmentDecodesFaithfully(const char *variable);

// Qt's temporary folder (TMPDIR, else /tmp), or empty when TMPDIR is not
// UTF-8 text.
QString temporaryFolder();

} // namespace rtl
