#include "grid/core/RegIniWrapper.h"

#include "platform/ini/IniDocument.h"
#include "platform/ini/PrivateProfile.h"
#include "platform/ini/StoredText.h"
#include "platform/rtl/StrToFloat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace grid {

namespace {

// Names and texts keep apart in any script; see StoredText.h.
std::string toStore(const QString &text)
{
    return ini::ToStoredText(text);
}

QString fromStore(std::string_view bytes)
{
    return ini::FromStoredText(bytes);
}

// The class library's buffer of a private-profile read.
constexpr size_t ReadBufferSize = 2048;

int toInteger(const QString &text, int defaultValue)
{
    int32_t value = 0;
    return rtl::TryStrToInt(text, value) ? value : defaultValue;
}

QStringList toStringList(const std::vector<std::string> &names)
{
    QStringList list;
    list.reserve(qsizetype(names.size()));
    for (const std::string &name : names)
        list << fromStore(name);
    return list;
}

[[noreturn]] void cannotWrite(const std::string &store)
{
    throw EIniFileException("Unable to write to " + store);
}

// A file says why it took nothing (a full disk, a folder that refused), as
// the save left it in errno; the caller clears errno first.
[[noreturn]] void cannotWriteFile(const std::string &fileName)
{
    const int error = errno;
    throw EIniFileException("Unable to write to " + fileName +
                            (error != 0 ? ": " + std::string(std::strerror(error)) : ""));
}

// The sections under path (or at it) that a build before the escape wrote,
// renamed to this build's form, unless this build's form is there already.
bool adoptPreviousForm(ini::IniDocument &document, const QString &path)
{
    const std::string previous = ini::PreviousStoredText(path);
    if (previous.empty())
        return false;
    const std::string current = toStore(path);
    const auto underOrAt = [](const std::string &name, const std::string &root) {
        return ini::sameName(name, root) || (name.size() > root.size() && name[root.size()] == '\\' &&
                                             ini::sameName(std::string_view(name).substr(0, root.size()), root));
    };
    const std::vector<std::string> sections = document.sectionNames();
    for (const std::string &name : sections)
        if (underOrAt(name, current))
            return false;
    bool any = false;
    for (const std::string &name : sections) {
        if (!underOrAt(name, previous))
            continue;
        const std::string renamed = current + name.substr(previous.size());
        // A key given twice reads as its first line, and moves so.
        std::vector<std::string> moved;
        for (const ini::IniEntry &entry : document.sectionEntries(name)) {
            if (std::any_of(moved.begin(), moved.end(),
                            [&](const std::string &k) { return ini::sameName(k, entry.key); }))
                continue;
            document.setValue(renamed, entry.key, entry.value);
            moved.push_back(entry.key);
        }
        document.removeSection(name);
        any = true;
    }
    return any;
}

// Copies the key with its values and every key below it.
bool copyRegistryTree(const std::string &from, const std::string &to)
{
    registry::Registry source;
    registry::Registry target;
    if (!source.openKey(from, false) || !target.openKey(to, true))
        return false;
    for (const std::string &name : source.valueNames()) {
        const std::optional<registry::Value> value = source.readValue(name);
        if (!value)
            continue;
        bool written = true;
        switch (value->type) {
        case registry::ValueType::Integer: written = target.writeInteger(name, value->integer); break;
        case registry::ValueType::Text: written = target.writeText(name, value->data); break;
        case registry::ValueType::Binary: written = target.writeBinary(name, value->data); break;
        case registry::ValueType::None: break;
        }
        if (!written)
            return false;
    }
    for (const std::string &key : source.subKeyNames())
        if (!copyRegistryTree(from + "\\" + key, to + "\\" + key))
            return false;
    return true;
}

} // namespace

// ---- TCustomIniFile -------------------------------------------------------

bool TCustomIniFile::AdoptPreviousForm(const QString &)
{
    return false;
}

int TCustomIniFile::ReadInteger(const QString &section, const QString &ident, int defaultValue)
{
    return toInteger(ReadString(section, ident, QString()), defaultValue);
}

void TCustomIniFile::WriteInteger(const QString &section, const QString &ident, int value)
{
    WriteString(section, ident, QString::number(value));
}

bool TCustomIniFile::ReadBool(const QString &section, const QString &ident, bool defaultValue)
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const QString &section, const QString &ident, bool value)
{
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

// ---- TIniFile --------------------------------------------------------------

QString TIniFile::ReadString(const QString &section, const QString &ident, const QString &defaultValue)
{
    return ini::GetStoredProfileString(section, ident, defaultValue, ReadBufferSize, FileName());
}

void TIniFile::WriteString(const QString &section, const QString &ident, const QString &value)
{
    errno = 0;
    if (!ini::WritePrivateProfileString(toStore(section), toStore(ident), toStore(value), FileName()))
        cannotWriteFile(FileName());
}

QStringList TIniFile::ReadSections()
{
    return toStringList(ini::readSectionNames(FileName()));
}

void TIniFile::EraseSection(const QString &section)
{
    errno = 0;
    if (!ini::eraseSection(toStore(section), FileName()))
        cannotWriteFile(FileName());
}

bool TIniFile::AdoptPreviousForm(const QString &path)
{
    // Moved in one write; a file that cannot be written keeps the old form,
    // which the save then reports as any write it cannot make.
    bool moved = false;
    const bool written =
        ini::editFile(FileName(), [&](ini::IniDocument &document) { return moved = adoptPreviousForm(document, path); });
    return written && moved;
}

// ---- TMemIniFile -----------------------------------------------------------

TMemIniFile::TMemIniFile(std::string fileName)
    : TMemIniFile(fileName, ini::readFileText(fileName))
{}

TMemIniFile::TMemIniFile(std::string fileName, const rtl::FileText &read)
    : TCustomIniFile(std::move(fileName))
    , m_document(read.text)
    , m_unreadable(ini::mayWriteOver(read) ? std::string() : read.reason(FileName()))
    , m_readFailure(read || read.failure == rtl::ReadFailure::Missing ? std::string() : read.reason(FileName()))
{}

void TMemIniFile::CheckRead() const
{
    if (!m_readFailure.empty())
        throw EIniFileException("The layout cannot be read: " + m_readFailure);
}

QString TMemIniFile::ReadString(const QString &section, const QString &ident, const QString &defaultValue)
{
    const std::optional<std::string> value = m_document.value(toStore(section), toStore(ident));
    return value ? fromStore(*value) : defaultValue;
}

void TMemIniFile::WriteString(const QString &section, const QString &ident, const QString &value)
{
    m_document.setValue(toStore(section), toStore(ident), toStore(value));
}

QStringList TMemIniFile::ReadSections()
{
    return toStringList(m_document.sectionNames());
}

void TMemIniFile::EraseSection(const QString &section)
{
    m_document.removeSection(toStore(section));
}

bool TMemIniFile::AdoptPreviousForm(const QString &path)
{
    return adoptPreviousForm(m_document, path);
}

void TMemIniFile::UpdateFile()
{
    // The layouts of other forms in that file would go with it.
    if (!m_unreadable.empty())
        throw EIniFileException("Unable to write to " + FileName() + ": " + m_unreadable);
    errno = 0;
    if (!ini::writeFile(FileName(), m_document.text()))
        cannotWriteFile(FileName());
}

// ---- TRegIniFile -----------------------------------------------------------

TRegIniFile::TRegIniFile(const QString &path)
    : m_path(toStore(path))
{
    while (!m_path.empty() && m_path.front() == '\\')
        m_path.erase(0, 1);
}

std::string TRegIniFile::sectionPath(const QString &section) const
{
    return storedSectionPath(toStore(section));
}

std::string TRegIniFile::storedSectionPath(const std::string &s) const
{
    if (!s.empty() && s.front() == '\\')
        return s;
    if (m_path.empty())
        return "\\" + s;
    return "\\" + m_path + (s.empty() ? "" : "\\" + s);
}

bool TRegIniFile::AdoptPreviousForm(const QString &path)
{
    const std::string previous = ini::PreviousStoredText(path);
    if (previous.empty())
        return false;
    const std::string from = storedSectionPath(previous);
    const std::string to = sectionPath(path);
    registry::Registry key;
    if (key.keyExists(to) || !key.keyExists(from))
        return false;
    // Copied before the old key goes: a copy cut short leaves the layout
    // where it was, and this build's half is erased again.
    if (!copyRegistryTree(from, to)) {
        key.deleteKey(to);
        return false;
    }
    key.deleteKey(from);
    return true;
}

bool TRegIniFile::OpenKey(const QString &key, bool canCreate)
{
    return m_registry.openKey(sectionPath(key), canCreate);
}

void TRegIniFile::CloseKey()
{
    m_registry.closeKey();
}

int TRegIniFile::ReadInteger(const QString &section, const QString &ident, int defaultValue)
{
    registry::Registry key;
    if (!key.openKey(sectionPath(section), false))
        return defaultValue;
    const std::optional<registry::Value> value = key.readValue(toStore(ident));
    if (!value)
        return defaultValue;
    switch (value->type) {
    case registry::ValueType::Integer: return value->integer;
    case registry::ValueType::Text: return toInteger(fromStore(value->data), defaultValue);
    default: return defaultValue;
    }
}

void TRegIniFile::WriteInteger(const QString &section, const QString &ident, int value)
{
    registry::Registry key;
    if (!key.openKey(sectionPath(section), true) || !key.writeInteger(toStore(ident), value))
        cannotWrite(sectionPath(section));
}

bool TRegIniFile::ReadBool(const QString &section, const QString &ident, bool defaultValue)
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TRegIniFile::WriteBool(const QString &section, const QString &ident, bool value)
{
    WriteInteger(section, ident, value ? 1 : 0);
}

QStringList TRegIniFile::ReadSections()
{
    registry::Registry key;
    if (!key.openKey(sectionPath(QString()), false))
        return {};
    return toStringList(key.subKeyNames());
}

void TRegIniFile::EraseSection(const QString &section)
{
    registry::Registry key;
    const std::string path = sectionPath(section);
    if (key.keyExists(path) && !key.deleteKey(path))
        cannotWrite(path);
}

// ---- TdxRegIniWrapper ------------------------------------------------------

int TdxRegIniWrapper::ReadInteger(const QString &section, const QString &ident, int defaultValue)
{
    return m_ini ? m_ini->ReadInteger(section, ident, defaultValue)
                 : m_registry->ReadInteger(section, ident, defaultValue);
}

void TdxRegIniWrapper::WriteInteger(const QString &section, const QString &ident, int value)
{
    if (m_ini)
        m_ini->WriteInteger(section, ident, value);
    else
        m_registry->WriteInteger(section, ident, value);
}

bool TdxRegIniWrapper::ReadBool(const QString &section, const QString &ident, bool defaultValue)
{
    return m_ini ? m_ini->ReadBool(section, ident, defaultValue) : m_registry->ReadBool(section, ident, defaultValue);
}

void TdxRegIniWrapper::WriteBool(const QString &section, const QString &ident, bool value)
{
    if (m_ini)
        m_ini->WriteBool(section, ident, value);
    else
        m_registry->WriteBool(section, ident, value);
}

QStringList TdxRegIniWrapper::ReadSections()
{
    return m_ini ? m_ini->ReadSections() : m_registry->ReadSections();
}

void TdxRegIniWrapper::EraseSection(const QString &section)
{
    if (m_ini)
        m_ini->EraseSection(section);
    else
        m_registry->EraseSection(section);
}

bool TdxRegIniWrapper::AdoptPreviousForm(const QString &path)
{
    return m_ini ? m_ini->AdoptPreviousForm(path) : m_registry->AdoptPreviousForm(path);
}

void TdxRegIniWrapper::EraseSectionsWithPrefix(const QString &prefix)
{
    if (!m_ini)
        return;
    const QStringList sections = m_ini->ReadSections();
    for (const QString &section : sections)
        if (section.startsWith(prefix, Qt::CaseSensitive))
            m_ini->EraseSection(section);
}

void TdxRegIniWrapper::EraseSectionTree(const QString &path)
{
    if (!m_ini)
        return;
    const std::string root = toStore(path);
    const std::string below = root + '\\';
    const QStringList sections = m_ini->ReadSections();
    for (const QString &section : sections) {
        const std::string name = toStore(section);
        const bool under =
            name.size() > below.size() && ini::sameName(std::string_view(name).substr(0, below.size()), below);
        if (under || ini::sameName(name, root))
            m_ini->EraseSection(section);
    }
}

} // namespace grid
