#include "report/content/text/MemoRTTI.h"

#include "report/content/text/Memo.h"
#include "report/model/bands/StretchableRTTI.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"

#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"

namespace report {

namespace {

struct MemoPropName
{
    const char *name;
    TraDataType type;
    bool readOnly;
    const classes::TMetaClass *(*objectClass)();
};

const classes::TMetaClass *memoStringsClass()
{
    return &classes::TStrings::StaticClass();
}

const classes::TMetaClass *memoStreamClass()
{
    return &classes::TStream::StaticClass();
}

constexpr MemoPropName MemoProps[] = {
    {"CharWrap", TraDataType::daBoolean, false, nullptr},
    {"Color", TraDataType::daInteger, false, nullptr},
    {"Leading", TraDataType::daSingle, false, nullptr},
    {"Lines", TraDataType::daClass, false, memoStringsClass},
    {"MemoStream", TraDataType::daClass, true, memoStreamClass},
    {"mmLeading", TraDataType::daInteger, true, nullptr},
    {"PrintLines", TraDataType::daClass, true, memoStringsClass},
    {"spLeading", TraDataType::daInteger, true, nullptr},
    {"TabStopPositions", TraDataType::daClass, false, memoStringsClass},
};

const MemoPropName *memoPropNamed(const QString &aName)
{
    for (const MemoPropName &p : MemoProps)
        if (raSameName(aName, p.name))
            return &p;
    return nullptr;
}

} // namespace

// ---- TppCustomMemo ---------------------------------------------------------------

TraTppCustomMemoRTTI::TraTppCustomMemoRTTI()
    : TraRTTI(&TraTppStretchableRTTI::Instance())
{}

const TraTppCustomMemoRTTI &TraTppCustomMemoRTTI::Instance()
{
    static const TraTppCustomMemoRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppCustomMemoRTTI::RefClass() const
{
    return TppCustomMemo::StaticClass();
}

void TraTppCustomMemoRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const MemoPropName &p : MemoProps)
        raAddPropName(aList, QString::fromLatin1(p.name));
}

bool TraTppCustomMemoRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    const MemoPropName *p = memoPropNamed(aName);
    if (!p)
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    if (p->objectClass)
        ClassPropToRec(QString::fromLatin1(p->name), *p->objectClass(), p->readOnly, aRec);
    else
        InitPropRec(QString::fromLatin1(p->name), p->type, p->readOnly, aRec);
    return true;
}

bool TraTppCustomMemoRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                        const TraValuePointer &aValue) const
{
    auto *m = dynamic_cast<TppCustomMemo *>(aObject);
    if (!m || !memoPropNamed(aName))
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "CharWrap"))
        raWriteValue(aValue, m->CharWrap(), aName);
    else if (raSameName(aName, "Color"))
        raWriteValue(aValue, int32_t(m->Color()), aName);
    else if (raSameName(aName, "Leading"))
        raWriteValue(aValue, m->Leading(), aName);
    else if (raSameName(aName, "Lines"))
        raWriteValue(aValue, m->GetLines(), aName);
    else if (raSameName(aName, "MemoStream"))
        raWriteValue(aValue, m->GetMemoStream(), aName);
    else if (raSameName(aName, "mmLeading"))
        raWriteValue(aValue, m->mmLeading(), aName);
    else if (raSameName(aName, "PrintLines"))
        raWriteValue(aValue, m->PrintLinesList(), aName);
    else if (raSameName(aName, "spLeading"))
        raWriteValue(aValue, m->spLeading(), aName);
    else
        raWriteValue(aValue, m->TabStopPositions(), aName);
    return true;
}

bool TraTppCustomMemoRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                        const TraValuePointer &aValue) const
{
    auto *m = dynamic_cast<TppCustomMemo *>(aObject);
    if (!m)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "CharWrap"))
        m->SetCharWrap(raReadValue<bool>(aValue, aName));
    else if (raSameName(aName, "Color"))
        m->SetColor(raReadValue<int32_t>(aValue, aName));
    else if (raSameName(aName, "Leading"))
        m->SetLeading(raReadValue<float>(aValue, aName));
    else if (raSameName(aName, "Lines"))
        m->SetLines(raReadValue<classes::TStrings *>(aValue, aName));
    else if (raSameName(aName, "TabStopPositions"))
        m->SetTabStopPositions(raReadValue<classes::TStrings *>(aValue, aName));
    else
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    return true;
}

// ---- TppDBMemo ----------------------------------------------------------------------

TraTppDBMemoRTTI::TraTppDBMemoRTTI()
    : TraRTTI(&TraTppCustomMemoRTTI::Instance())
{}

const TraTppDBMemoRTTI &TraTppDBMemoRTTI::Instance()
{
    static const TraTppDBMemoRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppDBMemoRTTI::RefClass() const
{
    return TppDBMemo::StaticClass();
}

void TraTppDBMemoRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    raAddPropName(aList, QStringLiteral("AutoDisplay"));
}

void TraTppDBMemoRTTI::GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetEventList(aClass, aList);
    raAddPropName(aList, QStringLiteral("OnGetMemo"));
}

bool TraTppDBMemoRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (raSameName(aName, "OnGetMemo"))
        EventToRec(QStringLiteral("OnGetMemo"), ppEvent::OnGetMemo, true, aRec);
    else if (raSameName(aName, "AutoDisplay"))
        InitPropRec(QStringLiteral("AutoDisplay"), TraDataType::daBoolean, false, aRec);
    else
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTppDBMemoRTTI::GetParams(const QString &aName) const
{
    if (!raSameName(aName, "OnGetMemo"))
        return TraRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("Lines"), TraDataType::daClass, true);
    return params;
}

bool TraTppDBMemoRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                    const TraValuePointer &aValue) const
{
    auto *m = dynamic_cast<TppDBMemo *>(aObject);
    if (!m || !raSameName(aName, "AutoDisplay"))
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    raWriteValue(aValue, m->AutoDisplay(), aName);
    return true;
}

bool TraTppDBMemoRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                    const TraValuePointer &aValue) const
{
    auto *m = dynamic_cast<TppDBMemo *>(aObject);
    if (!m || !raSameName(aName, "AutoDisplay"))
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    m->SetAutoDisplay(raReadValue<bool>(aValue, aName));
    return true;
}

} // namespace report
