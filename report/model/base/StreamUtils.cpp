#include "report/model/base/StreamUtils.h"

#include "report/model/base/Units.h"

#include "platform/classes/Component.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/QtText.h"

#include <cmath>

namespace report {

namespace {

using classes::TValueType;

// Puts the reader back where it was, whatever happens in between.
class PositionGuard
{
public:
    explicit PositionGuard(classes::TReader &reader)
        : m_reader(reader)
        , m_position(reader.Position())
    {}
    ~PositionGuard() { m_reader.SetPosition(m_position); }
    PositionGuard(const PositionGuard &) = delete;
    PositionGuard &operator=(const PositionGuard &) = delete;

private:
    classes::TReader &m_reader;
    int64_t m_position;
};

// Moves the reader to the value of aPropName among the remaining entries.
bool seekProperty(classes::TReader &reader, const QString &propName)
{
    while (!reader.EndOfList()) {
        const QString name = rtl::ToQString(reader.ReadStr());
        if (classes::SameName(name, propName))
            return true;
        reader.SkipValue();
    }
    return false;
}

bool isText(TValueType type)
{
    return type == TValueType::vaString || type == TValueType::vaLString || type == TValueType::vaWString ||
           type == TValueType::vaUTF8String;
}

} // namespace

int32_t ppReadIntegerOrFloat(classes::TReader &aReader)
{
    switch (aReader.NextValue()) {
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32: return aReader.ReadInteger();
    default: return ppRound(double(aReader.ReadFloat()));
    }
}

bool TppHReaderUtils::HasProperty(classes::TReader &aReader, const QString &aPropName)
{
    PositionGuard guard(aReader);
    return seekProperty(aReader, aPropName);
}

QString TppHReaderUtils::ReadIdentProperty(classes::TReader &aReader, const QString &aPropName)
{
    PositionGuard guard(aReader);
    if (!seekProperty(aReader, aPropName))
        return QString();
    return ppUnqualifiedName(isText(aReader.NextValue()) ? aReader.ReadString() : aReader.ReadIdent());
}

QString ppUnqualifiedName(const QString &aName)
{
    return aName.mid(aName.lastIndexOf(u'.') + 1);
}

bool ppReadStoredFloat(const QString &aText, double &aValue)
{
    bool ok = false;
    const double value = QString(aText.trimmed()).replace(u',', u'.').toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return false;
    aValue = value;
    return true;
}

classes::TMethod ppMethodByName(const classes::TPersistent *aObject, const QString &aName)
{
    const auto *component = dynamic_cast<const classes::TComponent *>(aObject);
    if (!component || aName.isEmpty())
        return classes::TMethod{};
    const std::any *code = component->MethodAddress(aName);
    if (!code)
        return classes::TMethod{};
    return classes::TMethod{aName, *code};
}

int64_t ppGetOrdPropByName(const classes::TPersistent *aObject, const QString &aPropName)
{
    const classes::TPropInfo *prop = aObject ? classes::GetPropInfo(*aObject, aPropName) : nullptr;
    return prop && prop->GetOrd ? classes::GetOrdProp(*aObject, *prop) : 0;
}

QString ppGetStrPropByName(const classes::TPersistent *aObject, const QString &aPropName)
{
    const classes::TPropInfo *prop = aObject ? classes::GetPropInfo(*aObject, aPropName) : nullptr;
    return prop && prop->GetStr ? classes::GetStrProp(*aObject, *prop) : QString();
}

void ppSetOrdPropByName(classes::TPersistent *aObject, const QString &aPropName, int64_t aValue)
{
    const classes::TPropInfo *prop = aObject ? classes::GetPropInfo(*aObject, aPropName) : nullptr;
    if (prop && prop->SetOrd)
        classes::SetOrdProp(*aObject, *prop, aValue);
}

void ppSetMethodPropByName(classes::TPersistent *aObject, const QString &aPropName, const classes::TMethod &aMethod)
{
    const classes::TPropInfo *prop = aObject ? classes::GetPropInfo(*aObject, aPropName) : nullptr;
    if (prop && prop->SetMethod)
        classes::SetMethodProp(*aObject, *prop, aMethod);
}

void ppStringsToStream(const classes::TStrings &aStrings, classes::TStream &aStream)
{
    const QByteArray bytes = aStrings.Text().toUtf8();
    aStream.SetPosition(0);
    aStream.WriteBuffer(bytes.constData(), bytes.size());
    aStream.SetSize(bytes.size());
}

} // namespace report
