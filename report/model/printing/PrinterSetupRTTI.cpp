#include "report/model/printing/PrinterSetupRTTI.h"

#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"

#include "platform/classes/StringList.h"

namespace report {

namespace {

constexpr const char *PrinterSetupListNames[] = {"BinNames", "PaperNames", "PrinterNames"};
constexpr const char *PrinterSetupOwnNames[] = {
    "Active",      "BinNames", "PaperNames",      "PrinterNames",   "PrinterDescription",
    "PrinterInfo", "PageDef",  "PrintableHeight", "PrintableWidth", "Units"};

} // namespace

TraTppPrinterSetupRTTI::TraTppPrinterSetupRTTI()
    : TraRTTI(&TraTPersistentRTTI::Instance())
{}

const TraTppPrinterSetupRTTI &TraTppPrinterSetupRTTI::Instance()
{
    static const TraTppPrinterSetupRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppPrinterSetupRTTI::RefClass() const
{
    return TppPrinterSetup::StaticClass();
}

void TraTppPrinterSetupRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const char *name : PrinterSetupOwnNames)
        raAddPropName(aList, QString::fromLatin1(name));
}

bool TraTppPrinterSetupRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    for (const char *name : PrinterSetupListNames)
        if (raSameName(aName, name)) {
            ClassPropToRec(QString::fromLatin1(name), classes::TStrings::StaticClass(), true, aRec);
            return true;
        }
    if (raSameName(aName, "Active"))
        InitPropRec(QStringLiteral("Active"), TraDataType::daBoolean, true, aRec);
    else if (raSameName(aName, "PrinterDescription"))
        InitPropRec(QStringLiteral("PrinterDescription"), TraDataType::daString, true, aRec);
    else if (raSameName(aName, "PrinterInfo"))
        ClassPropToRec(QStringLiteral("PrinterInfo"), classes::TObject::StaticClass(), true, aRec);
    else if (raSameName(aName, "PageDef"))
        ClassPropToRec(QStringLiteral("PageDef"), TppPageDef::StaticClass(), true, aRec);
    else if (raSameName(aName, "PrintableHeight"))
        InitPropRec(QStringLiteral("PrintableHeight"), TraDataType::daSingle, true, aRec);
    else if (raSameName(aName, "PrintableWidth"))
        InitPropRec(QStringLiteral("PrintableWidth"), TraDataType::daSingle, true, aRec);
    else if (raSameName(aName, "Units"))
        EnumPropToRec(QStringLiteral("Units"), QStringLiteral("TppUnitType"), false, aRec);
    else
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

bool TraTppPrinterSetupRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                          const TraValuePointer &aValue) const
{
    auto *setup = dynamic_cast<TppPrinterSetup *>(aObject);
    if (!setup)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "Active"))
        raWriteValue(aValue, setup->Active(), aName);
    else if (raSameName(aName, "BinNames"))
        raWriteValue(aValue, &setup->BinNames(), aName);
    else if (raSameName(aName, "PaperNames"))
        raWriteValue(aValue, &setup->PaperNames(), aName);
    else if (raSameName(aName, "PrinterNames"))
        raWriteValue(aValue, &setup->PrinterNames(), aName);
    else if (raSameName(aName, "PrinterDescription"))
        raWriteValue(aValue, setup->PrinterDescription(), aName);
    else if (raSameName(aName, "PrinterInfo"))
        raWriteValue(aValue, static_cast<classes::TObject *>(setup->PrinterInfo()), aName);
    else if (raSameName(aName, "PageDef"))
        raWriteValue(aValue, static_cast<classes::TObject *>(setup->PageDef()), aName);
    else if (raSameName(aName, "PrintableHeight"))
        raWriteValue(aValue, setup->PrintableHeight(), aName);
    else if (raSameName(aName, "PrintableWidth"))
        raWriteValue(aValue, setup->PrintableWidth(), aName);
    else if (raSameName(aName, "Units"))
        raWriteValue(aValue, setup->Units(), aName);
    else
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    return true;
}

bool TraTppPrinterSetupRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                          const TraValuePointer &aValue) const
{
    auto *setup = dynamic_cast<TppPrinterSetup *>(aObject);
    if (!setup || !raSameName(aName, "Units"))
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    TppUnitType value{};
    if (!raReadEnumeration(aValue, aName, EnumInfo<TppUnitType>(), value))
        return false;
    setup->SetUnits(value);
    return true;
}

} // namespace report
