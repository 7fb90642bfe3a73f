#pragma once

// The class library's settings files as the storage plug-ins use them: one
// interface over an ini file read and written key by key through the
// private-profile calls, and over a key of the current user's registry whose
// sections are its sub-keys. Values keep the class library's stored forms:
// Booleans as integers, numbers and dates as text in a file (through the
// process-wide format settings) and as 8-byte doubles in the registry. A value
// that does not read as the type asked for reads the default. Writes that
// cannot be made are dropped: settings are a convenience, and an unwritable
// configuration folder must not stop a report.

#include "platform/rtl/Types.h"

#include <QString>

#include <string>

namespace report {

class TCustomIniFile
{
public:
    explicit TCustomIniFile(QString aFileName)
        : m_fileName(std::move(aFileName))
    {}
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile &) = delete;
    TCustomIniFile &operator=(const TCustomIniFile &) = delete;

    const QString &FileName() const { return m_fileName; }

    virtual QString ReadString(const QString &aSection, const QString &aIdent, const QString &aDefault) = 0;
    // False when the value could not be written.
    virtual bool WriteString(const QString &aSection, const QString &aIdent, const QString &aValue) = 0;
    virtual bool EraseSection(const QString &aSection) = 0;

    virtual int ReadInteger(const QString &aSection, const QString &aIdent, int aDefault);
    virtual bool WriteInteger(const QString &aSection, const QString &aIdent, int aValue);
    bool ReadBool(const QString &aSection, const QString &aIdent, bool aDefault);
    bool WriteBool(const QString &aSection, const QString &aIdent, bool aValue);
    virtual double ReadFloat(const QString &aSection, const QString &aIdent, double aDefault);
    virtual bool WriteFloat(const QString &aSection, const QString &aIdent, double aValue);
    virtual rtl::TDateTime ReadDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault);
    virtual bool WriteDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue);
    virtual rtl::TDateTime ReadDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault);
    virtual bool WriteDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue);
    virtual rtl::TDateTime ReadTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault);
    virtual bool WriteTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue);

private:
    QString m_fileName;
};

// An ini file at a path of the file system.
class TIniFile : public TCustomIniFile
{
public:
    using TCustomIniFile::TCustomIniFile;
    QString ReadString(const QString &aSection, const QString &aIdent, const QString &aDefault) override;
    bool WriteString(const QString &aSection, const QString &aIdent, const QString &aValue) override;
    bool EraseSection(const QString &aSection) override;

private:
    std::string path() const;
};

// The current user's registry key named by the file name ("Brevantor" is
// "\Brevantor"); each section is a key below it.
class TRegistryIniFile : public TCustomIniFile
{
public:
    using TCustomIniFile::TCustomIniFile;
    QString ReadString(const QString &aSection, const QString &aIdent, const QString &aDefault) override;
    bool WriteString(const QString &aSection, const QString &aIdent, const QString &aValue) override;
    bool EraseSection(const QString &aSection) override;
    int ReadInteger(const QString &aSection, const QString &aIdent, int aDefault) override;
    bool WriteInteger(const QString &aSection, const QString &aIdent, int aValue) override;
    double ReadFloat(const QString &aSection, const QString &aIdent, double aDefault) override;
    bool WriteFloat(const QString &aSection, const QString &aIdent, double aValue) override;
    rtl::TDateTime ReadDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault) override;
    bool WriteDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue) override;
    rtl::TDateTime ReadDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault) override;
    bool WriteDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue) override;
    rtl::TDateTime ReadTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault) override;
    bool WriteTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue) override;

private:
    std::string sectionPath(const QString &aSection) const;
    // A double stored as 8 bytes, or one written as text by someone else.
    double readDouble(const QString &aSection, const QString &aIdent, double aDefault,
                      bool (*parse)(const QString &, double &));
    bool writeDouble(const QString &aSection, const QString &aIdent, double aValue);
};

} // namespace report
