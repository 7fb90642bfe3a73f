#pragma once

// The scripting descriptors of the memos: TppCustomMemo ("CharWrap",
// "Color", "Leading", "Lines", "MemoStream", "mmLeading", "PrintLines",
// "spLeading", "TabStopPositions") and TppDBMemo ("AutoDisplay" and the
// OnGetMemo event, id 86, whose one parameter is the memo's lines).

#include "report/model/objects/Descriptors.h"

namespace report {

class TraTppCustomMemoRTTI : public TraRTTI
{
public:
    static const TraTppCustomMemoRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppCustomMemoRTTI();
};

class TraTppDBMemoRTTI : public TraRTTI
{
public:
    static const TraTppDBMemoRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    void GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppDBMemoRTTI();
};

} // namespace report
