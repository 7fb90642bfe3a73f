#include "report/content/graphics/RegionRTTI.h"

#include "report/content/graphics/Region.h"
#include "report/model/bands/StretchableRTTI.h"
#include "report/model/objects/ParamList.h"

#include "platform/classes/GraphicsTools.h"

namespace report {

namespace {

using RegionRttiKind = TraTableEntry::Kind;

TraTableEntry regionRttiValue(const char *aName, RegionRttiKind aKind, const classes::TMetaClass &(*aClass)(),
                              std::function<void(TppCustomRegion &, const TraValuePointer &, const QString &)> aGet)
{
    TraTableEntry entry{aName, aKind, true, nullptr, aClass, {}, {}};
    entry.Get = [aGet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        aGet(static_cast<TppCustomRegion &>(o), v, n);
    };
    return entry;
}

// The region's own brush or pen, into which scripts assign.
template <class Tool>
TraTableEntry regionRttiTool(const char *aName, Tool *(TppCustomRegion::*aGet)() const,
                             void (TppCustomRegion::*aSet)(const Tool *))
{
    TraTableEntry entry = regionRttiValue(
        aName, RegionRttiKind::Object, &Tool::StaticClass,
        [aGet](TppCustomRegion &r, const TraValuePointer &v, const QString &n) {
            raWriteValue(v, static_cast<classes::TObject *>((r.*aGet)()), n);
        });
    entry.ReadOnly = false;
    entry.Set = [aSet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        auto *tool = dynamic_cast<Tool *>(raReadValue<classes::TObject *>(v, n));
        if (!tool)
            return false;
        (static_cast<TppCustomRegion &>(o).*aSet)(tool);
        return true;
    };
    return entry;
}

std::vector<TraTableEntry> regionRttiEntries()
{
    using R = TppCustomRegion;
    return {
        regionRttiTool<classes::TBrush>("Brush", &R::Brush, &R::SetBrush),
        regionRttiTool<classes::TPen>("Pen", &R::Pen, &R::SetPen),
        regionRttiValue("ObjectCount", RegionRttiKind::Integer, nullptr,
                        [](R &r, const TraValuePointer &v, const QString &n) { raWriteValue(v, r.ObjectCount(), n); }),
        regionRttiValue("MaxStretchable", RegionRttiKind::Object, &TppComponent::StaticClass,
                        [](R &r, const TraValuePointer &v, const QString &n) {
                            raWriteValue(v, static_cast<classes::TObject *>(r.MaxStretchableChild()), n);
                        }),
    };
}

} // namespace

const TraTppCustomRegionRTTI &TraTppCustomRegionRTTI::Instance()
{
    static const TraTppCustomRegionRTTI instance;
    return instance;
}

TraTppCustomRegionRTTI::TraTppCustomRegionRTTI()
    : TraTableRTTI(&TraTppStretchableRTTI::Instance(), &TppCustomRegion::StaticClass, regionRttiEntries())
{}

void TraTppCustomRegionRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraTableRTTI::GetPropList(aClass, aList);
    raAddPropName(aList, QStringLiteral("Objects"));
}

bool TraTppCustomRegionRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName,
                                        TraPropRec &aRec) const
{
    if (!raSameName(aName, "Objects"))
        return TraTableRTTI::GetPropRec(aClass, aName, aRec);
    ArrayPropToRec(QStringLiteral("Objects"), aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTppCustomRegionRTTI::GetParams(const QString &aName) const
{
    if (!raSameName(aName, "Objects"))
        return TraTableRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("Index"), TraDataType::daInteger);
    params->AddParam(QStringLiteral("Result"), TraDataType::daClass, false, false, QString(),
                     &TppComponent::StaticClass());
    return params;
}

bool TraTppCustomRegionRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *region = dynamic_cast<TppCustomRegion *>(aObject);
    if (!region || !raSameName(aName, "Objects"))
        return TraTableRTTI::CallMethod(aObject, aName, aParams);
    aParams.SetParamValue(1, static_cast<classes::TObject *>(region->Objects(aParams.ParamValue<int32_t>(0))));
    return true;
}

} // namespace report
