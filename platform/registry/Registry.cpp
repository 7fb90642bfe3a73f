#include "platform/registry/Registry.h"

#include "platform/ini/IniDocument.h"
#include "platform/ini/PrivateProfile.h"
#include "platform/rtl/LocalNames.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <charconv>
#include <mutex>

namespace registry {

namespace {

std::mutex g_storeMutex; // one change of the store at a time

const char *rootName(RootKey root)
{
    switch (root) {
    case RootKey::CurrentUser: return "HKEY_CURRENT_USER";
    case RootKey::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RootKey::ClassesRoot: return "HKEY_CLASSES_ROOT";
    }
    return "HKEY_CURRENT_USER";
}

// Names and texts may hold any byte; what the INI syntax would take for
// structure (or trim) is written as %XX.
std::string escape(std::string_view s)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : s) {
        const auto c = uint8_t(ch);
        if (c <= 0x20 || c == 0x7F || ch == '%' || ch == '=' || ch == ';' || ch == '[' || ch == ']' || ch == '"' ||
            ch == '\'' || ch == '\\' || ch == '@') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string unescape(std::string_view s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0) {
            out += char(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::vector<std::string> components(std::string_view path)
{
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('\\', pos);
        if (next == std::string_view::npos)
            next = path.size();
        if (next > pos)
            parts.emplace_back(path.substr(pos, next - pos));
        pos = next + 1;
    }
    return parts;
}

std::string join(const std::vector<std::string> &parts, size_t count)
{
    std::string path;
    for (size_t i = 0; i < count && i < parts.size(); ++i) {
        if (i > 0)
            path += '\\';
        path += parts[i];
    }
    return path;
}

std::string normalise(std::string_view path)
{
    const std::vector<std::string> parts = components(path);
    return join(parts, parts.size());
}

std::string sectionFor(RootKey root, const std::string &path)
{
    std::string section = rootName(root);
    for (const std::string &part : components(path))
        section += '\\' + escape(part);
    return section;
}

std::string valueKey(const std::string &name)
{
    return name.empty() ? std::string("@") : escape(name);
}

std::string valueName(const std::string &key)
{
    return key == "@" ? std::string() : unescape(key);
}

bool startsWithName(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && ini::sameName(text.substr(0, prefix.size()), prefix);
}

// The store is small; it is read whole for every call, which also sees the
// changes other Registry objects made.
ini::IniDocument loadStore()
{
    return ini::IniDocument(ini::readFile(storeFilePath()));
}

bool saveStore(const ini::IniDocument &doc)
{
    const std::string path = storeFilePath();
    // A store that is there but could not be read came as an empty one; the
    // write would drop every other key it holds.
    if (const rtl::FileText read = ini::readFileText(path); !ini::mayWriteOver(read)) {
        errno = read.error;
        return false;
    }
    const QString folder = QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).absolutePath();
    QDir().mkpath(folder);
    return ini::writeFile(path, doc.text());
}

std::optional<Value> decodeValue(const std::string &stored)
{
    if (stored.size() < 2 || stored[1] != ':')
        return std::nullopt;
    const std::string_view payload = std::string_view(stored).substr(2);
    Value v;
    switch (stored[0]) {
    case 'i': {
        int64_t n = 0;
        const auto [end, ec] = std::from_chars(payload.data(), payload.data() + payload.size(), n);
        if (ec != std::errc() || end != payload.data() + payload.size())
            return std::nullopt;
        v.type = ValueType::Integer;
        v.integer = int32_t(uint32_t(n)); // a stored unsigned word keeps its bits
        return v;
    }
    case 's':
        v.type = ValueType::Text;
        v.data = unescape(payload);
        return v;
    case 'b':
        if (payload.size() % 2 != 0)
            return std::nullopt;
        v.type = ValueType::Binary;
        for (size_t i = 0; i < payload.size(); i += 2) {
            const int hi = hexDigit(payload[i]);
            const int lo = hexDigit(payload[i + 1]);
            if (hi < 0 || lo < 0)
                return std::nullopt;
            v.data += char(hi * 16 + lo);
        }
        return v;
    default: return std::nullopt;
    }
}

} // namespace

std::string storeFilePath()
{
    if (std::optional<std::string> pinned = ScopedStoreFilePath::current(); pinned && !pinned->empty())
        return *pinned;
    // Named by HOME and XDG_CONFIG_HOME, decoded: bytes that are no UTF-8
    // would name another folder, and the store another's file.
    if (!rtl::environmentDecodesFaithfully("HOME") || !rtl::environmentDecodesFaithfully("XDG_CONFIG_HOME"))
        return {};
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QFile::encodeName(folder + QStringLiteral("/zarvello/registry.ini")).toStdString();
}

Registry::Registry(RootKey root)
    : m_root(root)
{}

std::string Registry::resolve(const std::string &path) const
{
    if (!path.empty() && path.front() == '\\')
        return normalise(path);
    return normalise(m_path + '\\' + path);
}

bool Registry::keyExists(const std::string &path) const
{
    const std::string p = resolve(path);
    if (p.empty())
        return true;
    const std::string section = sectionFor(m_root, p);
    const ini::IniDocument doc = loadStore();
    for (const std::string &name : doc.sectionNames())
        if (ini::sameName(name, section) || startsWithName(name, section + '\\'))
            return true;
    return false;
}

bool Registry::openKey(const std::string &path, bool canCreate)
{
    const std::string p = resolve(path);
    if (keyExists('\\' + p)) {
        m_path = p;
        return true;
    }
    if (!canCreate)
        return false;
    std::lock_guard lock(g_storeMutex);
    ini::IniDocument doc = loadStore();
    const std::vector<std::string> parts = components(p);
    for (size_t n = 1; n <= parts.size(); ++n)
        doc.addSection(sectionFor(m_root, join(parts, n)));
    if (!saveStore(doc))
        return false;
    m_path = p;
    return true;
}

void Registry::closeKey()
{
    m_path.clear();
}

bool Registry::deleteKey(const std::string &path)
{
    const std::string p = resolve(path);
    if (p.empty())
        return false;
    const std::string section = sectionFor(m_root, p);
    std::lock_guard lock(g_storeMutex);
    ini::IniDocument doc = loadStore();
    bool removed = false;
    for (const std::string &name : doc.sectionNames())
        if (ini::sameName(name, section) || startsWithName(name, section + '\\'))
            removed = doc.removeSection(name) || removed;
    return removed && saveStore(doc);
}

std::vector<std::string> Registry::subKeyNames() const
{
    std::vector<std::string> names;
    auto add = [&names](const std::string &name) {
        for (const std::string &n : names)
            if (ini::sameName(n, name))
                return;
        names.push_back(name);
    };
    const std::string prefix = sectionFor(m_root, m_path) + '\\';
    for (const std::string &section : loadStore().sectionNames()) {
        if (!startsWithName(section, prefix))
            continue;
        const std::string rest = section.substr(prefix.size());
        add(unescape(rest.substr(0, rest.find('\\'))));
    }
    return names;
}

std::optional<Value> Registry::readValue(const std::string &name) const
{
    const std::optional<std::string> stored = loadStore().value(sectionFor(m_root, m_path), valueKey(name));
    if (stored)
        return decodeValue(*stored);
    return std::nullopt;
}

std::vector<std::string> Registry::valueNames() const
{
    std::vector<std::string> names;
    for (const std::string &key : loadStore().keyNames(sectionFor(m_root, m_path)))
        names.push_back(valueName(key));
    return names;
}

bool Registry::writeValue(const std::string &name, const std::string &stored)
{
    std::lock_guard lock(g_storeMutex);
    ini::IniDocument doc = loadStore();
    const std::vector<std::string> parts = components(m_path);
    for (size_t n = 1; n < parts.size(); ++n)
        doc.addSection(sectionFor(m_root, join(parts, n)));
    doc.setValue(sectionFor(m_root, m_path), valueKey(name), stored);
    return saveStore(doc);
}

bool Registry::writeInteger(const std::string &name, int32_t value)
{
    return writeValue(name, "i:" + std::to_string(value));
}

bool Registry::writeText(const std::string &name, const std::string &value)
{
    return writeValue(name, "s:" + escape(value));
}

bool Registry::writeBinary(const std::string &name, const std::string &bytes)
{
    static const char hex[] = "0123456789abcdef";
    std::string stored = "b:";
    for (const char ch : bytes) {
        stored += hex[uint8_t(ch) >> 4];
        stored += hex[uint8_t(ch) & 15];
    }
    return writeValue(name, stored);
}

bool Registry::deleteValue(const std::string &name)
{
    std::lock_guard lock(g_storeMutex);
    ini::IniDocument doc = loadStore();
    if (!doc.removeKey(sectionFor(m_root, m_path), valueKey(name)))
        return false;
    return saveStore(doc);
}

} // namespace registry
