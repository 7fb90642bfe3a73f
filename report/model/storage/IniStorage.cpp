#include "report/model/storage/IniStorage.h"

#include "report/model/storage/IniFiles.h"

#include "platform/registry/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace report {

namespace {

const QString IniStorageDefaultFile = QStringLiteral("($WINSYS)\\Brevantor.ini");

struct IniStorageState
{
    std::vector<const TppIniStorageClass *> plugIns;
    const TppIniStorageClass *storageClass = nullptr;
    QString parameter;
};

IniStorageState &iniStorageState()
{
    static IniStorageState state;
    return state;
}

// The folder the registry's store lives in stands for the Windows directory.
QString iniStorageUserFolder()
{
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(registry::storeFilePath()))).absolutePath();
}

} // namespace

// ---- TppCustomIniFileStorage -------------------------------------------------

TppCustomIniFileStorage::TppCustomIniFileStorage(std::unique_ptr<TCustomIniFile> aIniFile)
    : m_iniFile(std::move(aIniFile))
{}

TppCustomIniFileStorage::~TppCustomIniFileStorage() = default;

void TppCustomIniFileStorage::EraseSection(const QString &aSection)
{
    m_iniFile->EraseSection(aSection);
}

bool TppCustomIniFileStorage::ReadBool(const QString &aSection, const QString &aIdent, bool aDefault)
{
    return m_iniFile->ReadBool(aSection, aIdent, aDefault);
}

rtl::TDateTime TppCustomIniFileStorage::ReadDate(const QString &aSection, const QString &aIdent,
                                                 rtl::TDateTime aDefault)
{
    return m_iniFile->ReadDate(aSection, aIdent, aDefault);
}

rtl::TDateTime TppCustomIniFileStorage::ReadDateTime(const QString &aSection, const QString &aIdent,
                                                     rtl::TDateTime aDefault)
{
    return m_iniFile->ReadDateTime(aSection, aIdent, aDefault);
}

double TppCustomIniFileStorage::ReadFloat(const QString &aSection, const QString &aIdent, double aDefault)
{
    return m_iniFile->ReadFloat(aSection, aIdent, aDefault);
}

int TppCustomIniFileStorage::ReadInteger(const QString &aSection, const QString &aIdent, int aDefault)
{
    return m_iniFile->ReadInteger(aSection, aIdent, aDefault);
}

QString TppCustomIniFileStorage::ReadString(const QString &aSection, const QString &aIdent, const QString &aDefault)
{
    return m_iniFile->ReadString(aSection, aIdent, aDefault);
}

rtl::TDateTime TppCustomIniFileStorage::ReadTime(const QString &aSection, const QString &aIdent,
                                                 rtl::TDateTime aDefault)
{
    return m_iniFile->ReadTime(aSection, aIdent, aDefault);
}

void TppCustomIniFileStorage::WriteBool(const QString &aSection, const QString &aIdent, bool aValue)
{
    m_iniFile->WriteBool(aSection, aIdent, aValue);
}

void TppCustomIniFileStorage::WriteDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue)
{
    m_iniFile->WriteDate(aSection, aIdent, aValue);
}

void TppCustomIniFileStorage::WriteDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue)
{
    m_iniFile->WriteDateTime(aSection, aIdent, aValue);
}

void TppCustomIniFileStorage::WriteFloat(const QString &aSection, const QString &aIdent, double aValue)
{
    m_iniFile->WriteFloat(aSection, aIdent, aValue);
}

void TppCustomIniFileStorage::WriteInteger(const QString &aSection, const QString &aIdent, int aValue)
{
    m_iniFile->WriteInteger(aSection, aIdent, aValue);
}

void TppCustomIniFileStorage::WriteString(const QString &aSection, const QString &aIdent, const QString &aValue)
{
    m_iniFile->WriteString(aSection, aIdent, aValue);
}

void TppCustomIniFileStorage::WriteTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue)
{
    m_iniFile->WriteTime(aSection, aIdent, aValue);
}

// ---- TppIniFile ----------------------------------------------------------------

TppIniFile::TppIniFile(const QString &aName)
    : TppCustomIniFileStorage(CreateIniFile(aName))
{}

const TppIniStorageClass &TppIniFile::StaticClass()
{
    static const TppIniStorageClass iniFileClass(
        QStringLiteral("IniFile"), IniStorageDefaultFile,
        [](const QString &aName) -> std::unique_ptr<TppIniStorage> { return std::make_unique<TppIniFile>(aName); });
    return iniFileClass;
}

QString TppIniFile::FilePath(const QString &aName)
{
    static const QRegularExpression winSys(QStringLiteral("\\(\\$WINSYS\\)\\\\"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString name = aName;
    name.remove(winSys);
    if (name.contains(u'/'))
        return name;
    return iniStorageUserFolder() + u'/' + name;
}

std::unique_ptr<TCustomIniFile> TppIniFile::CreateIniFile(const QString &aName)
{
    const QString path = FilePath(aName);
    // The Windows directory always exists; its stand-in may not yet.
    QDir().mkpath(QFileInfo(path).absolutePath());
    return std::make_unique<TIniFile>(path);
}

// ---- TppRegistry ---------------------------------------------------------------

TppRegistry::TppRegistry(const QString &aName)
    : TppCustomIniFileStorage(CreateIniFile(aName))
{}

const TppIniStorageClass &TppRegistry::StaticClass()
{
    static const TppIniStorageClass registryClass(
        QStringLiteral("Registry"), QStringLiteral("Brevantor"),
        [](const QString &aName) -> std::unique_ptr<TppIniStorage> { return std::make_unique<TppRegistry>(aName); });
    return registryClass;
}

std::unique_ptr<TCustomIniFile> TppRegistry::CreateIniFile(const QString &aName)
{
    return std::make_unique<TRegistryIniFile>(aName);
}

// ---- plug-in list ----------------------------------------------------------------

void TppIniStoragePlugIns::Register(const TppIniStorageClass &aClass)
{
    std::vector<const TppIniStorageClass *> &list = iniStorageState().plugIns;
    if (std::find(list.begin(), list.end(), &aClass) == list.end())
        list.push_back(&aClass);
}

void TppIniStoragePlugIns::UnRegister(const TppIniStorageClass &aClass)
{
    std::erase(iniStorageState().plugIns, &aClass);
}

std::vector<const TppIniStorageClass *> TppIniStoragePlugIns::Classes()
{
    return iniStorageState().plugIns;
}

std::unique_ptr<TppIniStorage> TppIniStoragePlugIn::CreateInstance()
{
    const IniStorageState &state = iniStorageState();
    return state.storageClass ? state.storageClass->Create(state.parameter) : nullptr;
}

const TppIniStorageClass *TppIniStoragePlugIn::StorageClass()
{
    return iniStorageState().storageClass;
}

void TppIniStoragePlugIn::SetStorageClass(const TppIniStorageClass *aClass)
{
    iniStorageState().storageClass = aClass;
}

const QString &TppIniStoragePlugIn::StorageParameter()
{
    return iniStorageState().parameter;
}

void TppIniStoragePlugIn::SetStorageParameter(const QString &aParameter)
{
    iniStorageState().parameter = aParameter;
}

void ppIniStorageInit()
{
    IniStorageState &state = iniStorageState();
    state.plugIns.clear();
    state.storageClass = &TppIniFile::StaticClass();
    state.parameter = IniStorageDefaultFile;
    TppIniStoragePlugIns::Register(TppIniFile::StaticClass());
    TppIniStoragePlugIns::Register(TppRegistry::StaticClass());
}

void ppIniStorageFinalize()
{
    TppIniStoragePlugIns::UnRegister(TppRegistry::StaticClass());
    TppIniStoragePlugIns::UnRegister(TppIniFile::StaticClass());
    IniStorageState &state = iniStorageState();
    state.plugIns.clear();
    state.storageClass = nullptr;
    state.parameter.clear();
}

} // namespace report
