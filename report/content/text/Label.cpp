#include "report/content/text/Label.h"

#include "report/model/bands/PublishedGeometry.h"
#include "report/model/base/Messages.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

const classes::TMetaClass &TppLabel::StaticClass()
{
    using C = TppLabel;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomText>("TppLabel", [](classes::TClassBuilder<C> &c) {
            c.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(true);
            c.String(
                "Caption", [](const C &o) { return const_cast<C &>(o).GetCaption(); }, &C::SetCaption);
            c.Integer("Color", &C::Color, &C::SetColor).Default(0xFFFFFF);
            c.Object("Font", &C::Font, &C::SetFont);
            c.Event("OnDrawCommandClick", static_cast<TppDrawCommandEvent C::*>(&C::OnDrawCommandClick),
                    QStringLiteral("TppDrawCommandEvent"));
            c.Event("OnDrawCommandCreate", static_cast<TppDrawCommandEvent C::*>(&C::OnDrawCommandCreate),
                    QStringLiteral("TppDrawCommandEvent"));
            c.Enum("TextAlignment", EnumInfo<TppTextAlignment>(), &C::TextAlignment, &C::SetTextAlignment)
                .Default(TppTextAlignment::taLeftJustified);
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
            c.Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
            ppPublishBounds(c);
        });
    return meta;
}

TppLabel::TppLabel(classes::TComponent *aOwner)
    : TppCustomText(aOwner)
{}

QString TppLabel::GetClassDescription() const
{
    return ppLoadStr(119);
}

} // namespace report
