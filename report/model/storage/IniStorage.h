#pragma once

// Where the library keeps user settings (a dialog's size and place, for
// example): an ini file or the registry, chosen for the whole process. A
// user of the store asks the plug-in for a fresh instance, reads or writes,
// and frees it; each instance writes through at once, so the next one reads
// what the last one wrote.

#include "platform/rtl/Types.h"

#include <QString>

#include <memory>
#include <vector>

namespace report {

class TCustomIniFile;
class TppIniStorage;

// A storage class as the plug-in list keeps it: its name, its default
// location and its constructor.
class TppIniStorageClass
{
public:
    using Factory = std::unique_ptr<TppIniStorage> (*)(const QString &aName);
    TppIniStorageClass(QString aName, QString aDefaultParameter, Factory aCreate)
        : m_name(std::move(aName))
        , m_defaultParameter(std::move(aDefaultParameter))
        , m_create(aCreate)
    {}
    TppIniStorageClass(const TppIniStorageClass &) = delete;
    TppIniStorageClass &operator=(const TppIniStorageClass &) = delete;

    const QString &GetName() const { return m_name; }
    const QString &GetDefaultParameter() const { return m_defaultParameter; }
    std::unique_ptr<TppIniStorage> Create(const QString &aName) const { return m_create(aName); }

private:
    QString m_name;
    QString m_defaultParameter;
    Factory m_create;
};

class TppIniStorage
{
public:
    virtual ~TppIniStorage() = default;
    TppIniStorage(const TppIniStorage &) = delete;
    TppIniStorage &operator=(const TppIniStorage &) = delete;

    virtual const TppIniStorageClass &ClassType() const = 0;

    virtual void EraseSection(const QString &aSection) = 0;
    virtual bool ReadBool(const QString &aSection, const QString &aIdent, bool aDefault) = 0;
    virtual rtl::TDateTime ReadDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault) = 0;
    virtual rtl::TDateTime ReadDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault) = 0;
    virtual double ReadFloat(const QString &aSection, const QString &aIdent, double aDefault) = 0;
    virtual int ReadInteger(const QString &aSection, const QString &aIdent, int aDefault) = 0;
    virtual QString ReadString(const QString &aSection, const QString &aIdent, const QString &aDefault) = 0;
    virtual rtl::TDateTime ReadTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault) = 0;
    virtual void WriteBool(const QString &aSection, const QString &aIdent, bool aValue) = 0;
    virtual void WriteDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue) = 0;
    virtual void WriteDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue) = 0;
    virtual void WriteFloat(const QString &aSection, const QString &aIdent, double aValue) = 0;
    virtual void WriteInteger(const QString &aSection, const QString &aIdent, int aValue) = 0;
    virtual void WriteString(const QString &aSection, const QString &aIdent, const QString &aValue) = 0;
    virtual void WriteTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue) = 0;

protected:
    TppIniStorage() = default;
};

// A store on one settings file of the class library, which it owns.
class TppCustomIniFileStorage : public TppIniStorage
{
public:
    ~TppCustomIniFileStorage() override;

    TCustomIniFile &IniFile() const { return *m_iniFile; }

    void EraseSection(const QString &aSection) override;
    bool ReadBool(const QString &aSection, const QString &aIdent, bool aDefault) override;
    rtl::TDateTime ReadDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault) override;
    rtl::TDateTime ReadDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault) override;
    double ReadFloat(const QString &aSection, const QString &aIdent, double aDefault) override;
    int ReadInteger(const QString &aSection, const QString &aIdent, int aDefault) override;
    QString ReadString(const QString &aSection, const QString &aIdent, const QString &aDefault) override;
    rtl::TDateTime ReadTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault) override;
    void WriteBool(const QString &aSection, const QString &aIdent, bool aValue) override;
    void WriteDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue) override;
    void WriteDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue) override;
    void WriteFloat(const QString &aSection, const QString &aIdent, double aValue) override;
    void WriteInteger(const QString &aSection, const QString &aIdent, int aValue) override;
    void WriteString(const QString &aSection, const QString &aIdent, const QString &aValue) override;
    void WriteTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue) override;

protected:
    explicit TppCustomIniFileStorage(std::unique_ptr<TCustomIniFile> aIniFile);

private:
    std::unique_ptr<TCustomIniFile> m_iniFile;
};

// An ini file. "($WINSYS)\" in the name, in any letter case, is dropped; a
// name without a folder lives in the user's configuration folder, beside
// the registry's store, where the Windows directory would have held it.
class TppIniFile : public TppCustomIniFileStorage
{
public:
    explicit TppIniFile(const QString &aName);
    static const TppIniStorageClass &StaticClass();
    const TppIniStorageClass &ClassType() const override { return StaticClass(); }
    static std::unique_ptr<TCustomIniFile> CreateIniFile(const QString &aName);
    // The path CreateIniFile opens for the name.
    static QString FilePath(const QString &aName);
};

// A key of the current user's registry, sections as its sub-keys.
class TppRegistry : public TppCustomIniFileStorage
{
public:
    explicit TppRegistry(const QString &aName);
    static const TppIniStorageClass &StaticClass();
    const TppIniStorageClass &ClassType() const override { return StaticClass(); }
    static std::unique_ptr<TCustomIniFile> CreateIniFile(const QString &aName);
};

class TppIniStoragePlugIns
{
public:
    // Registering a class twice keeps one entry.
    static void Register(const TppIniStorageClass &aClass);
    static void UnRegister(const TppIniStorageClass &aClass);
    static std::vector<const TppIniStorageClass *> Classes();
};

class TppIniStoragePlugIn
{
public:
    // A new store of the class in use at the storage parameter; nullptr
    // while no class is in use (before the library's start-up).
    static std::unique_ptr<TppIniStorage> CreateInstance();

    // The library sets these once at start-up; a program that wants its
    // settings in the registry sets them itself.
    static const TppIniStorageClass *StorageClass();
    static void SetStorageClass(const TppIniStorageClass *aClass);
    static const QString &StorageParameter();
    static void SetStorageParameter(const QString &aParameter);
};

// The start-up part: the list, TppIniFile in use at "($WINSYS)\Brevantor.ini",
// both plug-ins registered; the release undoes it.
void ppIniStorageInit();
void ppIniStorageFinalize();

} // namespace report
