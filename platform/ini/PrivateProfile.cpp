#include "platform/ini/PrivateProfile.h"

#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/FileDescriptor.h"

#include <cerrno>
#include <mutex>

namespace ini {

namespace {

// One lock for every file: the read-change-write of one call must not
// interleave with another's on the same file, and calls are rare enough that
// finer locks would buy nothing.
std::recursive_mutex g_fileMutex;

IniDocument load(const std::string &fileName)
{
    return IniDocument(readFile(fileName));
}

} // namespace

rtl::FileText readFileText(const std::string &fileName)
{
    std::lock_guard lock(g_fileMutex);
    return rtl::readWholeFile(fileName);
}

std::string readFile(const std::string &fileName)
{
    return readFileText(fileName).text;
}

bool writeFile(const std::string &fileName, const std::string &bytes)
{
    std::lock_guard lock(g_fileMutex);
    // Written as if into the file, as the private-profile calls do: a link
    // is followed, the mode stays, and a file we may not write is refused.
    return bool(rtl::atomicSave(fileName, bytes, {.existing = rtl::ExistingFile::Update}));
}

std::string GetPrivateProfileString(const std::string &section, const std::string &key, const std::string &defaultValue,
                                    size_t bufferSize, const std::string &fileName)
{
    if (bufferSize == 0)
        return {};
    std::optional<std::string> value = load(fileName).value(section, key);
    std::string result = value ? std::move(*value) : defaultValue;
    if (result.size() > bufferSize - 1)
        result.resize(bufferSize - 1);
    return result;
}

bool WritePrivateProfileString(const std::string &section, const std::optional<std::string> &key,
                               const std::optional<std::string> &value, const std::string &fileName)
{
    return editFile(fileName, [&](IniDocument &doc) {
        if (!key)
            return doc.removeSection(section);
        if (!value)
            return doc.removeKey(section, *key);
        doc.setValue(section, *key, *value);
        return true;
    });
}

bool editFile(const std::string &fileName, const std::function<bool(IniDocument &)> &edit)
{
    std::lock_guard lock(g_fileMutex);
    const rtl::FileText read = readFileText(fileName);
    // The write would replace a file it could not read with the edited keys
    // alone. A pipe or a device holds nothing to lose: it is written in
    // place, and its own write says whether that worked.
    if (!mayWriteOver(read)) {
        errno = read.error;
        return false;
    }
    IniDocument doc(read.text);
    if (!edit(doc))
        return true;
    return writeFile(fileName, doc.text());
}

std::vector<std::string> readSectionNames(const std::string &fileName)
{
    return load(fileName).sectionNames();
}

std::vector<std::string> readKeyNames(const std::string &section, const std::string &fileName)
{
    return load(fileName).keyNames(section);
}

std::vector<IniEntry> readSection(const std::string &section, const std::string &fileName)
{
    return load(fileName).sectionEntries(section);
}

bool eraseSection(const std::string &section, const std::string &fileName)
{
    return WritePrivateProfileString(section, std::nullopt, std::nullopt, fileName);
}

bool eraseKey(const std::string &section, const std::string &key, const std::string &fileName)
{
    return WritePrivateProfileString(section, key, std::nullopt, fileName);
}

} // namespace ini
