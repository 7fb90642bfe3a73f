#include "report/model/bands/BandClassesRTTI.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/BandRTTI.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"

namespace report {

namespace {

using BandRttiKind = TraTableEntry::Kind;

// A read-only value of a band of class B.
template <class B, class F>
TraTableEntry bandValue(const char *aName, BandRttiKind aKind, F aGet)
{
    TraTableEntry entry{aName, aKind, true, nullptr, nullptr, {}, {}};
    entry.Get = [aGet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        raWriteValue(v, aGet(static_cast<B &>(o)), n);
    };
    return entry;
}

template <class B, class T, class F, class S>
TraTableEntry bandSetting(const char *aName, BandRttiKind aKind, F aGet, S aSet)
{
    TraTableEntry entry = bandValue<B>(aName, aKind, aGet);
    entry.ReadOnly = false;
    entry.Set = [aSet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        return aSet(static_cast<B &>(o), raReadValue<T>(v, n));
    };
    return entry;
}

template <class B>
TraTableEntry printHeightEntry()
{
    TraTableEntry entry = bandSetting<B, uint8_t>(
        "PrintHeight", BandRttiKind::Enum, [](B &b) { return b.PrintHeight(); },
        [](B &b, uint8_t v) {
            if (!raFitsEnumeration(EnumInfo<TppPrintHeightType>(), v))
                return false;
            b.SetPrintHeight(TppPrintHeightType(v));
            return true;
        });
    entry.EnumType = "TppPrintHeightType";
    return entry;
}

classes::TObject *bandObject(TppComponent *aObject)
{
    return aObject;
}

} // namespace

#define ZVO_BAND_DESCRIPTOR_INSTANCE(Name)                                                                             \
    const Name &Name::Instance()                                                                                       \
    {                                                                                                                  \
        static const Name instance;                                                                                    \
        return instance;                                                                                               \
    }

ZVO_BAND_DESCRIPTOR_INSTANCE(TraTppCustomBandRTTI)
ZVO_BAND_DESCRIPTOR_INSTANCE(TraTppPageBandRTTI)
ZVO_BAND_DESCRIPTOR_INSTANCE(TraTppReportBandRTTI)
ZVO_BAND_DESCRIPTOR_INSTANCE(TraTppFooterBandRTTI)
ZVO_BAND_DESCRIPTOR_INSTANCE(TraTppDetailBandRTTI)
ZVO_BAND_DESCRIPTOR_INSTANCE(TraTppColumnFooterBandRTTI)
ZVO_BAND_DESCRIPTOR_INSTANCE(TraTppGroupBandRTTI)
ZVO_BAND_DESCRIPTOR_INSTANCE(TraTppGroupHeaderBandRTTI)

#undef ZVO_BAND_DESCRIPTOR_INSTANCE

TraTppCustomBandRTTI::TraTppCustomBandRTTI()
    : TraTableRTTI(
          &TraTppBandRTTI::Instance(), &TppCustomBand::StaticClass,
          {
              bandValue<TppCustomBand>("AllObjectsPrinted", BandRttiKind::Boolean,
                                       [](TppCustomBand &b) { return b.AllObjectsPrinted(); }),
              bandValue<TppCustomBand>("Count", BandRttiKind::Integer, [](TppCustomBand &b) { return b.Count(); }),
              [] {
                  auto e = bandValue<TppCustomBand>("CurrentObject", BandRttiKind::Object,
                                                    [](TppCustomBand &b) { return bandObject(b.CurrentObject()); });
                  e.Class = &TppComponent::StaticClass;
                  return e;
              }(),
              bandValue<TppCustomBand>("CurrentPosition", BandRttiKind::Integer,
                                       [](TppCustomBand &b) { return b.CurrentPosition(); }),
              bandValue<TppCustomBand>("CumulativeCurrentPosition", BandRttiKind::Integer,
                                       [](TppCustomBand &b) { return b.CumulativeCurrentPosition(); }),
              bandValue<TppCustomBand>("Generating", BandRttiKind::Boolean,
                                       [](TppCustomBand &b) { return b.Generating(); }),
              bandValue<TppCustomBand>("GenerationComplete", BandRttiKind::Boolean,
                                       [](TppCustomBand &b) { return b.GenerationComplete(); }),
              [] {
                  auto e = bandValue<TppCustomBand>("MaxStretchable", BandRttiKind::Object,
                                                    [](TppCustomBand &b) { return bandObject(b.MaxStretchable()); });
                  e.Class = &TppComponent::StaticClass;
                  return e;
              }(),
              bandValue<TppCustomBand>("OutOfSpace", BandRttiKind::Boolean,
                                       [](TppCustomBand &b) { return b.OutOfSpace(); }),
              bandValue<TppCustomBand>("OverFlow", BandRttiKind::Boolean,
                                       [](TppCustomBand &b) { return b.OverFlow(); }),
              bandValue<TppCustomBand>("PageBottom", BandRttiKind::Integer,
                                       [](TppCustomBand &b) { return b.PageBottom(); }),
              bandValue<TppCustomBand>("PartialGeneration", BandRttiKind::Boolean,
                                       [](TppCustomBand &b) { return b.PartialGeneration(); }),
              bandValue<TppCustomBand>("PartialAdjustment", BandRttiKind::Integer,
                                       [](TppCustomBand &b) { return b.PartialAdjustment(); }),
              bandValue<TppCustomBand>("PrintingSection", BandRttiKind::Boolean,
                                       [](TppCustomBand &b) { return b.PrintingSection(); }),
              bandValue<TppCustomBand>("PrintPositionBreak", BandRttiKind::Boolean,
                                       [](TppCustomBand &b) { return b.PrintPositionBreak(); }),
              bandValue<TppCustomBand>("SpaceUsed", BandRttiKind::Integer,
                                       [](TppCustomBand &b) { return b.SpaceUsed(); }),
              bandValue<TppCustomBand>("StartingPosition", BandRttiKind::Integer,
                                       [](TppCustomBand &b) { return b.StartingPosition(); }),
          },
          {"Count", "OverFlow"})
{}

TraTppPageBandRTTI::TraTppPageBandRTTI()
    : TraTableRTTI(&TraTppCustomBandRTTI::Instance(), &TppPageBand::StaticClass, {printHeightEntry<TppPageBand>()})
{}

TraTppReportBandRTTI::TraTppReportBandRTTI()
    : TraTableRTTI(&TraTppCustomBandRTTI::Instance(), &TppReportBand::StaticClass,
                   {bandSetting<TppReportBand, bool>(
                       "NewPage", BandRttiKind::Boolean, [](TppReportBand &b) { return b.NewPage(); },
                       [](TppReportBand &b, bool v) {
                           b.SetNewPage(v);
                           return true;
                       })})
{}

TraTppFooterBandRTTI::TraTppFooterBandRTTI()
    : TraTableRTTI(&TraTppPageBandRTTI::Instance(), &TppFooterBand::StaticClass, {printHeightEntry<TppFooterBand>()})
{}

TraTppDetailBandRTTI::TraTppDetailBandRTTI()
    : TraTableRTTI(
          &TraTppCustomBandRTTI::Instance(), &TppDetailBand::StaticClass,
          {
              bandSetting<TppDetailBand, int32_t>(
                  "BandsPerRecord", BandRttiKind::Integer, [](TppDetailBand &b) { return int32_t(b.BandsPerRecord()); },
                  [](TppDetailBand &b, int32_t v) {
                      b.SetBandsPerRecord(v);
                      return true;
                  }),
              bandValue<TppDetailBand>("BandsPerRecordCount", BandRttiKind::Integer,
                                       [](TppDetailBand &b) { return int32_t(b.BandsPerRecordCount()); }),
              [] {
                  auto e = bandSetting<TppDetailBand, classes::TObject *>(
                      "DataPipeline", BandRttiKind::Object,
                      [](TppDetailBand &b) { return static_cast<classes::TObject *>(b.DataPipeline()); },
                      [](TppDetailBand &b, classes::TObject *v) {
                          auto *pipeline = dynamic_cast<TppDataPipeline *>(v);
                          if (v && !pipeline)
                              return false;
                          b.SetDataPipeline(pipeline);
                          return true;
                      });
                  e.Class = &TppDataPipeline::StaticClass;
                  return e;
              }(),
              bandSetting<TppDetailBand, int32_t>(
                  "PrintCount", BandRttiKind::Integer, [](TppDetailBand &b) { return b.PrintCount(); },
                  [](TppDetailBand &b, int32_t v) {
                      b.SetPrintCount(v);
                      return true;
                  }),
          })
{}

TraTppColumnFooterBandRTTI::TraTppColumnFooterBandRTTI()
    : TraTableRTTI(&TraTppCustomBandRTTI::Instance(), &TppColumnFooterBand::StaticClass,
                   {printHeightEntry<TppColumnFooterBand>()})
{}

TraTppGroupBandRTTI::TraTppGroupBandRTTI()
    : TraTableRTTI(&TraTppCustomBandRTTI::Instance(), &TppGroupBand::StaticClass,
                   {
                       bandValue<TppGroupBand>("Description", BandRttiKind::String,
                                               [](TppGroupBand &b) { return b.Description(); }),
                       bandValue<TppGroupBand>("Generation", BandRttiKind::Boolean,
                                               [](TppGroupBand &b) { return b.Generating(); }),
                       [] {
                           auto e = bandSetting<TppGroupBand, classes::TObject *>(
                               "Group", BandRttiKind::Object,
                               [](TppGroupBand &b) { return static_cast<classes::TObject *>(b.Group()); },
                               [](TppGroupBand &b, classes::TObject *v) {
                                   auto *group = dynamic_cast<TppGroup *>(v);
                                   if (v && !group)
                                       return false;
                                   b.SetGroup(group);
                                   return true;
                               });
                           e.Class = &TppGroup::StaticClass;
                           return e;
                       }(),
                       bandValue<TppGroupBand>("SaveGeneration", BandRttiKind::Boolean,
                                               [](TppGroupBand &b) { return b.Breaking(); }),
                   })
{}

TraTppGroupHeaderBandRTTI::TraTppGroupHeaderBandRTTI()
    : TraTableRTTI(&TraTppGroupBandRTTI::Instance(), &TppGroupHeaderBand::StaticClass,
                   {bandValue<TppGroupHeaderBand>("AlreadyPageBreak", BandRttiKind::Boolean,
                                                  [](TppGroupHeaderBand &b) { return b.AlreadyPageBreak(); })})
{}

} // namespace report
