#include "report/content/barcodes/BarCodeRTTI.h"

#include "report/content/barcodes/BarCode.h"
#include "report/model/bands/Component.h"

namespace report {

namespace {

using BarCodeRttiKind = TraTableEntry::Kind;

// The setters refuse what the symbology cannot take on their own, telling
// the user; the script's write still counts as done.
template <class V, class G, class S>
TraTableEntry barCodeSetting(const char *aName, BarCodeRttiKind aKind, G aGet, S aSet, const char *aEnum = nullptr)
{
    TraTableEntry entry{aName, aKind, false, aEnum, nullptr, {}, {}};
    entry.Get = [aGet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        raWriteValue(v, V((static_cast<TppCustomBarCode &>(o).*aGet)()), n);
    };
    entry.Set = [aSet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        (static_cast<TppCustomBarCode &>(o).*aSet)(raReadValue<V>(v, n));
        return true;
    };
    return entry;
}

template <class E>
TraTableEntry barCodeEnum(const char *aName, const char *aType, E (TppCustomBarCode::*aGet)() const,
                          void (TppCustomBarCode::*aSet)(E))
{
    TraTableEntry entry{aName, BarCodeRttiKind::Enum, false, aType, nullptr, {}, {}};
    entry.Get = [aGet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        raWriteValue(v, uint8_t((static_cast<TppCustomBarCode &>(o).*aGet)()), n);
    };
    entry.Set = [aSet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        E value{};
        if (!raReadEnumeration(v, n, EnumInfo<E>(), value))
            return false;
        (static_cast<TppCustomBarCode &>(o).*aSet)(value);
        return true;
    };
    return entry;
}

} // namespace

const TraTppBarCodeRTTI &TraTppBarCodeRTTI::Instance()
{
    static const TraTppBarCodeRTTI instance;
    return instance;
}

TraTppBarCodeRTTI::TraTppBarCodeRTTI()
    : TraTableRTTI(
          &TraTppComponentRTTI::Instance(), &TppBarCode::StaticClass,
          {
              barCodeSetting<QString>("AddOnCode", BarCodeRttiKind::String, &TppCustomBarCode::AddOnCode,
                                      &TppCustomBarCode::SetAddOnCode),
              barCodeSetting<bool>("AutoEncode", BarCodeRttiKind::Boolean, &TppCustomBarCode::AutoEncode,
                                   &TppCustomBarCode::SetAutoEncode),
              barCodeSetting<bool>("AutoSizeFont", BarCodeRttiKind::Boolean, &TppCustomBarCode::AutoSizeFont,
                                   &TppCustomBarCode::SetAutoSizeFont),
              barCodeEnum<TppBarCodeType>("BarCodeType", "TppBarCodeType", &TppCustomBarCode::BarCodeType,
                                          &TppCustomBarCode::SetBarCodeType),
              barCodeSetting<int32_t>("BarColor", BarCodeRttiKind::Integer, &TppCustomBarCode::BarColor,
                                      &TppCustomBarCode::SetBarColor),
              barCodeSetting<float>("BarWidth", BarCodeRttiKind::Single, &TppCustomBarCode::BarWidth,
                                    &TppCustomBarCode::SetBarWidth),
              barCodeSetting<bool>("BearerBars", BarCodeRttiKind::Boolean, &TppCustomBarCode::BearerBars,
                                   &TppCustomBarCode::SetBearerBars),
              barCodeSetting<bool>("CalcCheckDigit", BarCodeRttiKind::Boolean, &TppCustomBarCode::CalcCheckDigit,
                                   &TppCustomBarCode::SetCalcCheckDigit),
              barCodeSetting<QString>("Data", BarCodeRttiKind::String, &TppCustomBarCode::Data,
                                      &TppCustomBarCode::SetData),
              barCodeEnum<TppBarCodeOrientation>("Orientation", "TppBarCodeOrientation", &TppCustomBarCode::Orientation,
                                                 &TppCustomBarCode::SetOrientation),
              barCodeSetting<bool>("PrintHumanReadable", BarCodeRttiKind::Boolean,
                                   &TppCustomBarCode::PrintHumanReadable, &TppCustomBarCode::SetPrintHumanReadable),
              barCodeSetting<float>("WideBarRatio", BarCodeRttiKind::Single, &TppCustomBarCode::WideBarRatio,
                                    &TppCustomBarCode::SetWideBarRatio),
          })
{}

} // namespace report
