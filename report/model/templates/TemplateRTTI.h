#pragma once

// The scripting descriptors of the template classes: a template's settings,
// where it is stored, its load and save operations, and the report it holds.

#include "report/model/bands/TableRTTI.h"

namespace report {

class TraTppTemplateDBSettingsRTTI : public TraTableRTTI
{
public:
    static const TraTppTemplateDBSettingsRTTI &Instance();

protected:
    TraTppTemplateDBSettingsRTTI();
};

class TraTppCustomTemplateRTTI : public TraTableRTTI
{
public:
    static const TraTppCustomTemplateRTTI &Instance();

protected:
    TraTppCustomTemplateRTTI();
};

// Beside its properties, the parameterless methods "LoadFromDatabase",
// "LoadFromFile", "New", "SaveToDatabase" and "SaveToFile".
class TraTppTemplateRTTI : public TraTableRTTI
{
public:
    static const TraTppTemplateRTTI &Instance();

    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;

protected:
    TraTppTemplateRTTI();
};

class TraTppReportTemplateRTTI : public TraTableRTTI
{
public:
    static const TraTppReportTemplateRTTI &Instance();

protected:
    TraTppReportTemplateRTTI();
};

} // namespace report
