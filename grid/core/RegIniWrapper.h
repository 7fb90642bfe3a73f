#pragma once

// The stores a grid layout can be kept in, and one interface over them.
// An ini file is read and written key by key through the private-profile
// calls (TIniFile) or held in memory and written once (TMemIniFile); the
// registry store (TRegIniFile) keeps each section as a key below its own.
// Names and texts are Unicode here and Windows-1252 in the stores, with an
// escape for the characters the code page lacks.

#include "platform/ini/IniDocument.h"
#include "platform/registry/Registry.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileDescriptor.h"

#include <QString>
#include <QStringList>

#include <string>

namespace grid {

// A store that cannot be written.
class EIniFileException : public rtl::Exception
{
public:
    explicit EIniFileException(const std::string &message)
        : rtl::Exception(message)
    {}
};

class TCustomIniFile
{
public:
    explicit TCustomIniFile(std::string fileName)
        : m_fileName(std::move(fileName))
    {}
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile &) = delete;
    TCustomIniFile &operator=(const TCustomIniFile &) = delete;

    const std::string &FileName() const { return m_fileName; }

    // A missing key reads the default.
    virtual QString ReadString(const QString &section, const QString &ident, const QString &defaultValue) = 0;
    virtual void WriteString(const QString &section, const QString &ident, const QString &value) = 0;
    virtual QStringList ReadSections() = 0;
    virtual void EraseSection(const QString &section) = 0;
    // Moves the sections stored under a path (and below it) in the form a
    // build before the escape wrote them into this build's form, when none
    // of this form are there; see ini::PreviousStoredText. True when any
    // moved.
    virtual bool AdoptPreviousForm(const QString &path);

    // A value that is no integer reads the default too.
    int ReadInteger(const QString &section, const QString &ident, int defaultValue);
    void WriteInteger(const QString &section, const QString &ident, int value);
    bool ReadBool(const QString &section, const QString &ident, bool defaultValue);
    void WriteBool(const QString &section, const QString &ident, bool value);

private:
    std::string m_fileName;
};

class TIniFile : public TCustomIniFile
{
public:
    using TCustomIniFile::TCustomIniFile;
    QString ReadString(const QString &section, const QString &ident, const QString &defaultValue) override;
    void WriteString(const QString &section, const QString &ident, const QString &value) override;
    QStringList ReadSections() override;
    void EraseSection(const QString &section) override;
    // Moves them in one write of the file.
    bool AdoptPreviousForm(const QString &path) override;
};

class TMemIniFile : public TCustomIniFile
{
public:
    // Reads the file once; a missing file is an empty store, and so is one
    // that cannot be read, which UpdateFile then refuses to replace.
    explicit TMemIniFile(std::string fileName);
    // Raises EIniFileException when the file is there but could not be
    // read (a folder, a pipe, a file past the read limit, one refused):
    // a load would otherwise pass for one from an empty store.
    void CheckRead() const;
    QString ReadString(const QString &section, const QString &ident, const QString &defaultValue) override;
    void WriteString(const QString &section, const QString &ident, const QString &value) override;
    QStringList ReadSections() override;
    void EraseSection(const QString &section) override;
    bool AdoptPreviousForm(const QString &path) override;
    // Writes the whole file at once (atomically); raises EIniFileException
    // when it cannot.
    void UpdateFile();
    const ini::IniDocument &Document() const { return m_document; }

private:
    explicit TMemIniFile(std::string fileName, const rtl::FileText &read);

    ini::IniDocument m_document;
    // Why the file could not be read; empty when it was, or when a save may
    // replace what is there.
    std::string m_unreadable;
    // Why the file that is there could not be read; empty when it was read
    // or is missing.
    std::string m_readFailure;
};

class TRegIniFile
{
public:
    // The store is the key at path below the current user's root ("" for
    // the root itself); sections are keys below it.
    explicit TRegIniFile(const QString &path);
    TRegIniFile(const TRegIniFile &) = delete;
    TRegIniFile &operator=(const TRegIniFile &) = delete;

    // Opens a key below the store's own (a path with a leading "\" from the
    // root); false when it is missing and may not be made.
    bool OpenKey(const QString &key, bool canCreate);
    void CloseKey();

    int ReadInteger(const QString &section, const QString &ident, int defaultValue);
    void WriteInteger(const QString &section, const QString &ident, int value);
    bool ReadBool(const QString &section, const QString &ident, bool defaultValue);
    void WriteBool(const QString &section, const QString &ident, bool value);
    QStringList ReadSections();
    void EraseSection(const QString &section);
    // The key at path (a section's path), with every key below it, moved
    // from the form a build before the escape wrote it in, as
    // TCustomIniFile::AdoptPreviousForm moves sections.
    bool AdoptPreviousForm(const QString &path);

private:
    std::string sectionPath(const QString &section) const;
    std::string storedSectionPath(const std::string &stored) const;

    std::string m_path; // the store's own key, from the root
    registry::Registry m_registry;
};

// One interface over the three stores of a layout; the store is not owned.
class TdxRegIniWrapper
{
public:
    explicit TdxRegIniWrapper(TCustomIniFile *store)
        : m_ini(store)
    {}
    explicit TdxRegIniWrapper(TRegIniFile *store)
        : m_registry(store)
    {}

    int ReadInteger(const QString &section, const QString &ident, int defaultValue);
    void WriteInteger(const QString &section, const QString &ident, int value);
    bool ReadBool(const QString &section, const QString &ident, bool defaultValue);
    void WriteBool(const QString &section, const QString &ident, bool value);
    QStringList ReadSections();
    void EraseSection(const QString &section);
    // Erases every section whose name begins with prefix (case-sensitive).
    // Ini stores only; a registry store keeps its keys.
    void EraseSectionsWithPrefix(const QString &prefix);
    // Erases the section named path and every section below path + "\",
    // names compared as the ini layer compares them; a sibling that merely
    // begins with the same text stays. Ini stores only, like the above.
    void EraseSectionTree(const QString &path);
    // The store's own AdoptPreviousForm.
    bool AdoptPreviousForm(const QString &path);

private:
    TCustomIniFile *m_ini = nullptr;
    TRegIniFile *m_registry = nullptr;
};

} // namespace grid
