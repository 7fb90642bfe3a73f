#include "report/content/graphics/GraphicsRTTI.h"

#include "report/content/graphics/Graphics.h"
#include "report/content/graphics/Images.h"
#include "report/model/objects/EventIds.h"

#include "platform/classes/Picture.h"
#include "report/model/bands/Component.h"

namespace report {

namespace {

using GraphicsRttiKind = TraTableEntry::Kind;

template <class O, class T, class F, class S>
TraTableEntry graphicsSetting(const char *aName, GraphicsRttiKind aKind, F aGet, S aSet)
{
    TraTableEntry entry{aName, aKind, false, nullptr, nullptr, {}, {}};
    entry.Get = [aGet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        raWriteValue(v, aGet(static_cast<O &>(o)), n);
    };
    entry.Set = [aSet](classes::TObject &o, const TraValuePointer &v, const QString &n) {
        return aSet(static_cast<O &>(o), raReadValue<T>(v, n));
    };
    return entry;
}

// An owned brush or pen: scripts assign into it.
template <class Tool>
TraTableEntry graphicsTool(const char *aName, Tool *(TppCustomGraphic::*aGet)() const,
                           void (TppCustomGraphic::*aSet)(const Tool *))
{
    TraTableEntry entry = graphicsSetting<TppCustomGraphic, classes::TObject *>(
        aName, GraphicsRttiKind::Object,
        [aGet](TppCustomGraphic &g) { return static_cast<classes::TObject *>((g.*aGet)()); },
        [aSet](TppCustomGraphic &g, classes::TObject *v) {
            auto *tool = dynamic_cast<Tool *>(v);
            if (!tool)
                return false;
            (g.*aSet)(tool);
            return true;
        });
    entry.Class = &Tool::StaticClass;
    return entry;
}

// An enumeration; a value it lacks is refused.
template <class O, class E>
TraTableEntry graphicsEnum(const char *aName, const char *aType, const classes::TEnumInfo &aInfo, E (O::*aGet)() const,
                           void (O::*aSet)(E))
{
    TraTableEntry entry = graphicsSetting<O, uint8_t>(
        aName, GraphicsRttiKind::Enum, [aGet](O &o) { return uint8_t((o.*aGet)()); },
        [&aInfo, aSet](O &o, uint8_t v) {
            if (!raFitsEnumeration(aInfo, v))
                return false;
            (o.*aSet)(E(v));
            return true;
        });
    entry.EnumType = aType;
    return entry;
}

template <class O>
TraTableEntry graphicsSwitch(const char *aName, bool (O::*aGet)() const, void (O::*aSet)(bool))
{
    return graphicsSetting<O, bool>(
        aName, GraphicsRttiKind::Boolean, [aGet](O &o) { return (o.*aGet)(); },
        [aSet](O &o, bool v) {
            (o.*aSet)(v);
            return true;
        });
}

} // namespace

#define ZVO_GRAPHICS_DESCRIPTOR_INSTANCE(Name)                                                                         \
    const Name &Name::Instance()                                                                                       \
    {                                                                                                                  \
        static const Name instance;                                                                                    \
        return instance;                                                                                               \
    }

ZVO_GRAPHICS_DESCRIPTOR_INSTANCE(TraTppCustomGraphicRTTI)
ZVO_GRAPHICS_DESCRIPTOR_INSTANCE(TraTppShapeRTTI)
ZVO_GRAPHICS_DESCRIPTOR_INSTANCE(TraTppLineRTTI)
ZVO_GRAPHICS_DESCRIPTOR_INSTANCE(TraTppCustomImageRTTI)
ZVO_GRAPHICS_DESCRIPTOR_INSTANCE(TraTppDBImageRTTI)

#undef ZVO_GRAPHICS_DESCRIPTOR_INSTANCE

TraTppCustomGraphicRTTI::TraTppCustomGraphicRTTI()
    : TraTableRTTI(&TraTppComponentRTTI::Instance(), &TppCustomGraphic::StaticClass,
                   {
                       graphicsTool<classes::TBrush>("Brush", &TppCustomGraphic::Brush, &TppCustomGraphic::SetBrush),
                       graphicsTool<classes::TPen>("Pen", &TppCustomGraphic::Pen, &TppCustomGraphic::SetPen),
                   })
{}

TraTppShapeRTTI::TraTppShapeRTTI()
    : TraTableRTTI(&TraTppCustomGraphicRTTI::Instance(), &TppShape::StaticClass,
                   {graphicsEnum<TppShape, classes::TShapeType>("Shape", "TShapeType", classes::ShapeTypeInfo(),
                                                                &TppShape::Shape, &TppShape::SetShape)})
{}

TraTppLineRTTI::TraTppLineRTTI()
    : TraTableRTTI(
          &TraTppCustomGraphicRTTI::Instance(), &TppLine::StaticClass,
          {
              graphicsEnum<TppLine, TppLinePositionType>("Position", "TppLinePositionType",
                                                         EnumInfo<TppLinePositionType>(), &TppLine::Position,
                                                         &TppLine::SetPosition),
              graphicsEnum<TppLine, TppLineStyleType>("Style", "TppLineStyleType", EnumInfo<TppLineStyleType>(),
                                                      &TppLine::Style, &TppLine::SetStyle),
          })
{}

TraTppCustomImageRTTI::TraTppCustomImageRTTI()
    : TraTableRTTI(
          &TraTppComponentRTTI::Instance(), &TppCustomImage::StaticClass,
          {
              graphicsSwitch<TppCustomImage>("Center", &TppCustomImage::Center, &TppCustomImage::SetCenter),
              graphicsSwitch<TppCustomImage>("DirectDraw", &TppCustomImage::DirectDraw, &TppCustomImage::SetDirectDraw),
              graphicsSwitch<TppCustomImage>("MaintainAspectRatio", &TppCustomImage::MaintainAspectRatio,
                                             &TppCustomImage::SetMaintainAspectRatio),
              graphicsSwitch<TppCustomImage>("Stretch", &TppCustomImage::Stretch, &TppCustomImage::SetStretch),
              graphicsSwitch<TppCustomImage>("Transparent", &TppCustomImage::Transparent,
                                             &TppCustomImage::SetTransparent),
          })
{}

TraTppDBImageRTTI::TraTppDBImageRTTI()
    : TraTableRTTI(&TraTppCustomImageRTTI::Instance(), &TppDBImage::StaticClass, {}, {},
                   {Event{"OnGetPicture", ppEvent::OnGetPicture, "aPicture"}})
{}

std::unique_ptr<TraParamList> TraTppDBImageRTTI::GetParams(const QString &aName) const
{
    if (!raSameName(aName, "OnGetPicture"))
        return TraTableRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("aPicture"), TraDataType::daClass, false, false, QStringLiteral("TPicture"),
                     &classes::TPicture::StaticClass());
    return params;
}

} // namespace report
