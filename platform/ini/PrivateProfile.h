#pragma once

// The private-profile calls of the platform on an INI file: key-by-key reads
// and writes with the semantics of IniDocument. File names are the file
// system's own bytes. Every write reads the file, changes it and replaces it
// atomically (a temporary file in the same folder renamed over it), so a
// failed or interrupted write leaves the previous file as it was. Calls from
// several threads are serialised.

#include "platform/ini/IniDocument.h"
#include "platform/rtl/FileDescriptor.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ini {

// The value of the key, cut to bufferSize - 1 characters as the platform's
// fixed buffer would; the default when the file, section or key is missing.
std::string GetPrivateProfileString(const std::string &section, const std::string &key, const std::string &defaultValue,
                                    size_t bufferSize, const std::string &fileName);

// Sets the key, creating file, section and key as needed. Without a value the
// key is erased; without a key the whole section is. False when the file
// could not be written.
bool WritePrivateProfileString(const std::string &section, const std::optional<std::string> &key,
                               const std::optional<std::string> &value, const std::string &fileName);

std::vector<std::string> readSectionNames(const std::string &fileName);
std::vector<std::string> readKeyNames(const std::string &section, const std::string &fileName);
std::vector<IniEntry> readSection(const std::string &section, const std::string &fileName);
bool eraseSection(const std::string &section, const std::string &fileName);
bool eraseKey(const std::string &section, const std::string &key, const std::string &fileName);

// Reads the file, lets the edit change it and writes it back once, unless the
// edit answers that it changed nothing. False when the file could not be
// written (errno says why).
bool editFile(const std::string &fileName, const std::function<bool(IniDocument &)> &edit);

// The whole file as bytes; empty when it is missing or unreadable. Only an
// ordinary file is read, up to rtl::FileReadLimit bytes.
std::string readFile(const std::string &fileName);
// The same with the reason when there is no text.
rtl::FileText readFileText(const std::string &fileName);
// Whether a write may replace what the read found: nothing, or a pipe or a
// device, which a write does not replace but goes into. A file that is there
// but could not be read would lose every key but the written ones.
inline bool mayWriteOver(const rtl::FileText &read)
{
    return read || read.failure == rtl::ReadFailure::Missing || read.failure == rtl::ReadFailure::NotRegular;
}
// Replaces the whole file atomically; false when it could not be written
// (errno says why).
bool writeFile(const std::string &fileName, const std::string &bytes);

} // namespace ini
