#pragma once

// The scripting descriptors of the text controls: TppCustomText (its size,
// colour, save settings, text and the OnGetText event, id 53) and TppDBText
// (its repeated-value state and the field's value).

#include "report/model/objects/Descriptors.h"

namespace report {

class TraTppCustomTextRTTI : public TraRTTI
{
public:
    static const TraTppCustomTextRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    void GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppCustomTextRTTI();
};

class TraTppDBTextRTTI : public TraRTTI
{
public:
    static const TraTppDBTextRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppDBTextRTTI();
};

} // namespace report
