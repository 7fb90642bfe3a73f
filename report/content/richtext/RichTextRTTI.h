#pragma once

// The scripting descriptors of the rich text controls: TppCustomRichText
// (its range on the page, the RTF and its plain text, the selection, and
// FindText, LoadFromFile, SaveToFile) with the OnGetRichText event (id 53,
// its one parameter the text), and TppDBRichText ("AutoDisplay").

#include "report/model/objects/Descriptors.h"

namespace report {

class TraTppCustomRichTextRTTI : public TraRTTI
{
public:
    static const TraTppCustomRichTextRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    void GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppCustomRichTextRTTI();
};

class TraTppDBRichTextRTTI : public TraRTTI
{
public:
    static const TraTppDBRichTextRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppDBRichTextRTTI();
};

} // namespace report
