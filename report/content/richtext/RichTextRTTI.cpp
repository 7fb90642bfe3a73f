#include "report/content/richtext/RichTextRTTI.h"

#include "report/content/richtext/RichText.h"
#include "report/content/richtext/RichTextAttributes.h"
#include "report/model/bands/StretchableRTTI.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"

#include "platform/classes/Streams.h"
#include "platform/richedit/RichEdit.h"

namespace report {

namespace {

struct RichTextPropName
{
    const char *name;
    TraDataType type;
    bool readOnly;
};

constexpr RichTextPropName RichTextProps[] = {
    {"EndCharPos", TraDataType::daInteger, true},   {"PlainText", TraDataType::daString, true},
    {"RichText", TraDataType::daString, false},     {"SelLength", TraDataType::daInteger, false},
    {"SelStart", TraDataType::daInteger, false},    {"SelText", TraDataType::daString, false},
    {"StartCharPos", TraDataType::daInteger, true},
};

constexpr const char *RichTextMethods[] = {"FindText", "LoadFromFile", "LoadFromRTFStream", "SaveToFile",
                                           "SaveToRTFStream"};

const RichTextPropName *richTextPropNamed(const QString &aName)
{
    for (const RichTextPropName &p : RichTextProps)
        if (raSameName(aName, p.name))
            return &p;
    return nullptr;
}

} // namespace

// ---- TppCustomRichText -------------------------------------------------------------

TraTppCustomRichTextRTTI::TraTppCustomRichTextRTTI()
    : TraRTTI(&TraTppStretchableRTTI::Instance())
{}

const TraTppCustomRichTextRTTI &TraTppCustomRichTextRTTI::Instance()
{
    static const TraTppCustomRichTextRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppCustomRichTextRTTI::RefClass() const
{
    return TppCustomRichText::StaticClass();
}

void TraTppCustomRichTextRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const RichTextPropName &p : RichTextProps)
        raAddPropName(aList, QString::fromLatin1(p.name));
    for (const char *object : {"RichTextStream", "Paragraph", "SelAttributes"})
        raAddPropName(aList, QString::fromLatin1(object));
    for (const char *method : RichTextMethods)
        raAddPropName(aList, QString::fromLatin1(method));
}

void TraTppCustomRichTextRTTI::GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetEventList(aClass, aList);
    raAddPropName(aList, QStringLiteral("OnGetRichText"));
}

bool TraTppCustomRichTextRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName,
                                          TraPropRec &aRec) const
{
    if (const RichTextPropName *p = richTextPropNamed(aName)) {
        InitPropRec(QString::fromLatin1(p->name), p->type, p->readOnly, aRec);
        return true;
    }
    if (raSameName(aName, "RichTextStream")) {
        ClassPropToRec(QStringLiteral("RichTextStream"), classes::TStream::StaticClass(), true, aRec);
        return true;
    }
    if (raSameName(aName, "Paragraph")) {
        ClassPropToRec(QStringLiteral("Paragraph"), TParaAttributes::StaticClass(), true, aRec);
        return true;
    }
    if (raSameName(aName, "SelAttributes")) {
        ClassPropToRec(QStringLiteral("SelAttributes"), TTextAttributes::StaticClass(), true, aRec);
        return true;
    }
    for (const char *method : RichTextMethods)
        if (raSameName(aName, method)) {
            MethodToRec(QString::fromLatin1(method), true, aRec);
            return true;
        }
    if (raSameName(aName, "OnGetRichText")) {
        EventToRec(QStringLiteral("OnGetRichText"), ppEvent::OnGetRichText, true, aRec);
        return true;
    }
    return TraRTTI::GetPropRec(aClass, aName, aRec);
}

std::unique_ptr<TraParamList> TraTppCustomRichTextRTTI::GetParams(const QString &aName) const
{
    auto params = std::make_unique<TraParamList>();
    if (raSameName(aName, "OnGetRichText")) {
        params->AddParam(QStringLiteral("Text"), TraDataType::daString, true);
    } else if (raSameName(aName, "FindText")) {
        params->AddParam(QStringLiteral("SearchStr"), TraDataType::daString);
        params->AddParam(QStringLiteral("StartPos"), TraDataType::daInteger);
        params->AddParam(QStringLiteral("Length"), TraDataType::daInteger);
        params->AddParam(QStringLiteral("WholeWord"), TraDataType::daBoolean);
        params->AddParam(QStringLiteral("MatchCase"), TraDataType::daBoolean);
        params->AddParam(QStringLiteral("Result"), TraDataType::daInteger);
    } else if (raSameName(aName, "LoadFromFile") || raSameName(aName, "SaveToFile")) {
        params->AddParam(QStringLiteral("aFileName"), TraDataType::daString);
    } else if (raSameName(aName, "LoadFromRTFStream") || raSameName(aName, "SaveToRTFStream")) {
        params->AddParam(QStringLiteral("aStream"), TraDataType::daClass, false, false, QString(),
                         &classes::TStream::StaticClass());
    } else {
        return TraRTTI::GetParams(aName);
    }
    return params;
}

bool TraTppCustomRichTextRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *r = dynamic_cast<TppCustomRichText *>(aObject);
    if (!r)
        return TraRTTI::CallMethod(aObject, aName, aParams);
    if (raSameName(aName, "FindText"))
        aParams.SetParamValue(5, r->FindText(aParams.ParamValue<QString>(0), aParams.ParamValue<int32_t>(1),
                                             aParams.ParamValue<int32_t>(2), aParams.ParamValue<bool>(3),
                                             aParams.ParamValue<bool>(4)));
    else if (raSameName(aName, "LoadFromFile"))
        r->LoadFromFile(aParams.ParamValue<QString>(0));
    else if (raSameName(aName, "SaveToFile"))
        r->SaveToFile(aParams.ParamValue<QString>(0));
    else if (raSameName(aName, "LoadFromRTFStream") || raSameName(aName, "SaveToRTFStream")) {
        // A script may pass nothing: there is no stream to read or fill.
        auto *stream = aParams.ParamValue<classes::TStream *>(0);
        if (stream && raSameName(aName, "LoadFromRTFStream"))
            r->LoadFromRTFStream(*stream);
        else if (stream)
            r->SaveToRTFStream(*stream);
    } else
        return TraRTTI::CallMethod(aObject, aName, aParams);
    return true;
}

bool TraTppCustomRichTextRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                            const TraValuePointer &aValue) const
{
    auto *r = dynamic_cast<TppCustomRichText *>(aObject);
    if (r && raSameName(aName, "RichTextStream")) {
        raWriteValue(aValue, static_cast<classes::TObject *>(r->RichTextStream()), aName);
        return true;
    }
    if (r && raSameName(aName, "Paragraph")) {
        raWriteValue(aValue, static_cast<classes::TObject *>(r->Paragraph()), aName);
        return true;
    }
    if (r && raSameName(aName, "SelAttributes")) {
        raWriteValue(aValue, static_cast<classes::TObject *>(r->SelAttributes()), aName);
        return true;
    }
    if (!r || !richTextPropNamed(aName))
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "EndCharPos"))
        raWriteValue(aValue, int32_t(r->EndCharPos()), aName);
    else if (raSameName(aName, "PlainText"))
        raWriteValue(aValue, r->PlainText(), aName);
    else if (raSameName(aName, "RichText"))
        raWriteValue(aValue, r->RichText(), aName);
    else if (raSameName(aName, "SelLength"))
        raWriteValue(aValue, int32_t(r->RichEdit().SelLength()), aName);
    else if (raSameName(aName, "SelStart"))
        raWriteValue(aValue, int32_t(r->RichEdit().SelStart()), aName);
    else if (raSameName(aName, "SelText"))
        raWriteValue(aValue, r->RichEdit().SelText(), aName);
    else
        raWriteValue(aValue, int32_t(r->StartCharPos()), aName);
    return true;
}

bool TraTppCustomRichTextRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                            const TraValuePointer &aValue) const
{
    auto *r = dynamic_cast<TppCustomRichText *>(aObject);
    if (!r)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "RichText"))
        r->SetRichText(raReadValue<QString>(aValue, aName));
    else if (raSameName(aName, "SelLength"))
        r->RichEdit().SetSelLength(raReadValue<int32_t>(aValue, aName));
    else if (raSameName(aName, "SelStart"))
        r->RichEdit().SetSelStart(raReadValue<int32_t>(aValue, aName));
    else if (raSameName(aName, "SelText")) {
        r->RichEdit().SetSelText(raReadValue<QString>(aValue, aName));
        r->RichEditChanged();
    } else
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    return true;
}

// ---- TppDBRichText -----------------------------------------------------------------

TraTppDBRichTextRTTI::TraTppDBRichTextRTTI()
    : TraRTTI(&TraTppCustomRichTextRTTI::Instance())
{}

const TraTppDBRichTextRTTI &TraTppDBRichTextRTTI::Instance()
{
    static const TraTppDBRichTextRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppDBRichTextRTTI::RefClass() const
{
    return TppDBRichText::StaticClass();
}

void TraTppDBRichTextRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    raAddPropName(aList, QStringLiteral("AutoDisplay"));
}

bool TraTppDBRichTextRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (!raSameName(aName, "AutoDisplay"))
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    InitPropRec(QStringLiteral("AutoDisplay"), TraDataType::daBoolean, false, aRec);
    return true;
}

bool TraTppDBRichTextRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                        const TraValuePointer &aValue) const
{
    auto *r = dynamic_cast<TppDBRichText *>(aObject);
    if (!r || !raSameName(aName, "AutoDisplay"))
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    raWriteValue(aValue, r->AutoDisplay(), aName);
    return true;
}

bool TraTppDBRichTextRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                        const TraValuePointer &aValue) const
{
    auto *r = dynamic_cast<TppDBRichText *>(aObject);
    if (!r || !raSameName(aName, "AutoDisplay"))
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    r->SetAutoDisplay(raReadValue<bool>(aValue, aName));
    return true;
}

} // namespace report
