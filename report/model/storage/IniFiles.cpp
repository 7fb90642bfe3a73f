#include "report/model/storage/IniFiles.h"

#include "platform/ini/PrivateProfile.h"
#include "platform/ini/StoredText.h"
#include "platform/registry/Registry.h"
#include "platform/rtl/FloatToStr.h"
#include "platform/rtl/FormatDateTime.h"
#include "platform/rtl/StrToDateTime.h"
#include "platform/rtl/StrToFloat.h"

#include <QFile>

#include <cstring>
#include <optional>

namespace report {

namespace {

// The class library reads a private-profile value into a buffer of this size.
constexpr size_t IniFilesReadBufferSize = 2048;

// Integers as the class library reads them from text: decimal, or
// hexadecimal after "$" or "0x".
bool iniFilesParseInteger(const QString &aText, int &aValue)
{
    const QString text = aText.trimmed();
    QStringView hex;
    if (text.startsWith(u'$'))
        hex = QStringView(text).mid(1);
    else if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        hex = QStringView(text).mid(2);
    if (!hex.isEmpty()) {
        bool ok = false;
        const uint value = hex.toUInt(&ok, 16);
        if (ok)
            aValue = int(value);
        return ok;
    }
    int32_t value = 0;
    if (!rtl::TryStrToInt(text, value))
        return false;
    aValue = value;
    return true;
}

bool iniFilesParseFloat(const QString &aText, double &aValue)
{
    long double value = 0;
    if (!rtl::TryStrToFloat(aText, value))
        return false;
    aValue = double(value);
    return true;
}

bool iniFilesParseDate(const QString &aText, double &aValue)
{
    return rtl::TryStrToDate(aText, aValue);
}

bool iniFilesParseDateTime(const QString &aText, double &aValue)
{
    return rtl::TryStrToDateTime(aText, aValue);
}

bool iniFilesParseTime(const QString &aText, double &aValue)
{
    return rtl::TryStrToTime(aText, aValue);
}

// An empty or unreadable text reads the default, as the class library's
// typed reads do.
double iniFilesReadParsed(TCustomIniFile &aFile, const QString &aSection, const QString &aIdent, double aDefault,
                          bool (*parse)(const QString &, double &))
{
    const QString text = aFile.ReadString(aSection, aIdent, QString());
    double value = 0;
    return !text.isEmpty() && parse(text, value) ? value : aDefault;
}

} // namespace

// ---- TCustomIniFile ---------------------------------------------------------

int TCustomIniFile::ReadInteger(const QString &aSection, const QString &aIdent, int aDefault)
{
    int value = 0;
    return iniFilesParseInteger(ReadString(aSection, aIdent, QString()), value) ? value : aDefault;
}

bool TCustomIniFile::WriteInteger(const QString &aSection, const QString &aIdent, int aValue)
{
    return WriteString(aSection, aIdent, QString::number(aValue));
}

bool TCustomIniFile::ReadBool(const QString &aSection, const QString &aIdent, bool aDefault)
{
    return ReadInteger(aSection, aIdent, aDefault ? 1 : 0) != 0;
}

bool TCustomIniFile::WriteBool(const QString &aSection, const QString &aIdent, bool aValue)
{
    return WriteInteger(aSection, aIdent, aValue ? 1 : 0);
}

double TCustomIniFile::ReadFloat(const QString &aSection, const QString &aIdent, double aDefault)
{
    return iniFilesReadParsed(*this, aSection, aIdent, aDefault, iniFilesParseFloat);
}

bool TCustomIniFile::WriteFloat(const QString &aSection, const QString &aIdent, double aValue)
{
    return WriteString(aSection, aIdent, rtl::FloatToStr(aValue));
}

rtl::TDateTime TCustomIniFile::ReadDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault)
{
    return iniFilesReadParsed(*this, aSection, aIdent, aDefault, iniFilesParseDate);
}

bool TCustomIniFile::WriteDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue)
{
    return WriteString(aSection, aIdent, rtl::DateToStr(aValue));
}

rtl::TDateTime TCustomIniFile::ReadDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault)
{
    return iniFilesReadParsed(*this, aSection, aIdent, aDefault, iniFilesParseDateTime);
}

bool TCustomIniFile::WriteDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue)
{
    return WriteString(aSection, aIdent, rtl::DateTimeToStr(aValue));
}

rtl::TDateTime TCustomIniFile::ReadTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault)
{
    return iniFilesReadParsed(*this, aSection, aIdent, aDefault, iniFilesParseTime);
}

bool TCustomIniFile::WriteTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue)
{
    return WriteString(aSection, aIdent, rtl::TimeToStr(aValue));
}

// ---- TIniFile ----------------------------------------------------------------

std::string TIniFile::path() const
{
    return QFile::encodeName(FileName()).toStdString();
}

QString TIniFile::ReadString(const QString &aSection, const QString &aIdent, const QString &aDefault)
{
    return ini::GetStoredProfileString(aSection, aIdent, aDefault, IniFilesReadBufferSize, path());
}

bool TIniFile::WriteString(const QString &aSection, const QString &aIdent, const QString &aValue)
{
    return ini::WritePrivateProfileString(ini::ToStoredText(aSection), ini::ToStoredText(aIdent),
                                          ini::ToStoredText(aValue), path());
}

bool TIniFile::EraseSection(const QString &aSection)
{
    return ini::eraseSection(ini::ToStoredText(aSection), path());
}

// ---- TRegistryIniFile --------------------------------------------------------

std::string TRegistryIniFile::sectionPath(const QString &aSection) const
{
    std::string path = "\\" + ini::ToStoredText(FileName());
    if (!aSection.isEmpty())
        path += "\\" + ini::ToStoredText(aSection);
    return path;
}

namespace {

std::optional<registry::Value> iniFilesRegistryValue(const std::string &aKey, const QString &aIdent)
{
    registry::Registry key;
    if (!key.openKey(aKey, false))
        return std::nullopt;
    return key.readValue(ini::ToStoredText(aIdent));
}

} // namespace

QString TRegistryIniFile::ReadString(const QString &aSection, const QString &aIdent, const QString &aDefault)
{
    const std::optional<registry::Value> value = iniFilesRegistryValue(sectionPath(aSection), aIdent);
    return value && value->type == registry::ValueType::Text ? ini::FromStoredText(value->data) : aDefault;
}

bool TRegistryIniFile::WriteString(const QString &aSection, const QString &aIdent, const QString &aValue)
{
    registry::Registry key;
    return key.openKey(sectionPath(aSection), true) &&
           key.writeText(ini::ToStoredText(aIdent), ini::ToStoredText(aValue));
}

bool TRegistryIniFile::EraseSection(const QString &aSection)
{
    registry::Registry key;
    const std::string path = sectionPath(aSection);
    return !key.keyExists(path) || key.deleteKey(path);
}

int TRegistryIniFile::ReadInteger(const QString &aSection, const QString &aIdent, int aDefault)
{
    const std::optional<registry::Value> value = iniFilesRegistryValue(sectionPath(aSection), aIdent);
    if (!value)
        return aDefault;
    if (value->type == registry::ValueType::Integer)
        return value->integer;
    int parsed = 0;
    return value->type == registry::ValueType::Text && iniFilesParseInteger(ini::FromStoredText(value->data), parsed)
               ? parsed
               : aDefault;
}

bool TRegistryIniFile::WriteInteger(const QString &aSection, const QString &aIdent, int aValue)
{
    registry::Registry key;
    if (!key.openKey(sectionPath(aSection), true))
        return false;
    // A value someone stored as text stays text, as the class library keeps it.
    const std::string name = ini::ToStoredText(aIdent);
    const std::optional<registry::Value> old = key.readValue(name);
    if (old && old->type == registry::ValueType::Text)
        return key.writeText(name, std::to_string(aValue));
    return key.writeInteger(name, aValue);
}

double TRegistryIniFile::readDouble(const QString &aSection, const QString &aIdent, double aDefault,
                                    bool (*parse)(const QString &, double &))
{
    const std::optional<registry::Value> value = iniFilesRegistryValue(sectionPath(aSection), aIdent);
    if (!value)
        return aDefault;
    double result = aDefault;
    if (value->type == registry::ValueType::Binary && value->data.size() == sizeof(double))
        std::memcpy(&result, value->data.data(), sizeof(double));
    else if (value->type == registry::ValueType::Text && !parse(ini::FromStoredText(value->data), result))
        result = aDefault;
    return result;
}

bool TRegistryIniFile::writeDouble(const QString &aSection, const QString &aIdent, double aValue)
{
    registry::Registry key;
    std::string bytes(sizeof(double), '\0');
    std::memcpy(bytes.data(), &aValue, sizeof(double));
    return key.openKey(sectionPath(aSection), true) && key.writeBinary(ini::ToStoredText(aIdent), bytes);
}

double TRegistryIniFile::ReadFloat(const QString &aSection, const QString &aIdent, double aDefault)
{
    return readDouble(aSection, aIdent, aDefault, iniFilesParseFloat);
}

bool TRegistryIniFile::WriteFloat(const QString &aSection, const QString &aIdent, double aValue)
{
    return writeDouble(aSection, aIdent, aValue);
}

rtl::TDateTime TRegistryIniFile::ReadDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault)
{
    return readDouble(aSection, aIdent, aDefault, iniFilesParseDate);
}

bool TRegistryIniFile::WriteDate(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue)
{
    return writeDouble(aSection, aIdent, aValue);
}

rtl::TDateTime TRegistryIniFile::ReadDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault)
{
    return readDouble(aSection, aIdent, aDefault, iniFilesParseDateTime);
}

bool TRegistryIniFile::WriteDateTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue)
{
    return writeDouble(aSection, aIdent, aValue);
}

rtl::TDateTime TRegistryIniFile::ReadTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aDefault)
{
    return readDouble(aSection, aIdent, aDefault, iniFilesParseTime);
}

bool TRegistryIniFile::WriteTime(const QString &aSection, const QString &aIdent, rtl::TDateTime aValue)
{
    return writeDouble(aSection, aIdent, aValue);
}

} // namespace report
