#include "report/content/drawcommands/DrawText.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Reader.h"

namespace report {

const classes::TMetaClass &TppDrawText::StaticClass()
{
    using C = TppDrawText;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppDrawCommand>("TppDrawText", [](classes::TClassBuilder<C> &c) {
            c.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(false);
            c.Boolean("BandSave", &C::BandSave, &C::SetBandSave).Default(false);
            c.Integer("BandSaveNo", &C::BandSaveNo, &C::SetBandSaveNo).Default(0);
            c.Integer("Color", &C::Color, &C::SetColor).Default(0xFFFFFF);
            c.Boolean("ComponentSave", &C::ComponentSave, &C::SetComponentSave).Default(false);
            c.Integer("ComponentSaveNo", &C::ComponentSaveNo, &C::SetComponentSaveNo).Default(0);
            c.Object("Font", &C::Font, &C::SetFont);
            c.Boolean("ForceJustifyLastLine", &C::ForceJustifyLastLine, &C::SetForceJustifyLastLine).Default(false);
            c.Boolean("IsMemo", &C::IsMemo, &C::SetIsMemo).Default(false);
            c.Integer("Leading", &C::Leading, &C::SetLeading).Default(0);
            c.Integer("SaveLength", &C::SaveLength, &C::SetSaveLength).Default(0);
            c.Object("TabStopPositions", &C::TabStopPositions, &C::SetTabStopPositions);
            c.String("Text", &C::Text, &C::SetText);
            c.Enum("TextAlignment", EnumInfo<TppTextAlignment>(), &C::TextAlignment, &C::SetTextAlignment)
                .Default(TppTextAlignment::taLeftJustified);
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
            c.Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
            c.Object("WrappedText", &C::WrappedText, &C::SetWrappedText);
        });
    return meta;
}

TppDrawText::TppDrawText(classes::TComponent *aOwner)
    : TppDrawCommand(aOwner)
{
    SetDataType(TppDataType::dtString);
}

TppDrawText::~TppDrawText() = default;

classes::TStringList *TppDrawText::listOf(std::unique_ptr<classes::TStringList> &aList)
{
    if (!aList)
        aList = std::make_unique<classes::TStringList>();
    return aList.get();
}

QString TppDrawText::textOf(const std::unique_ptr<classes::TStringList> &aList)
{
    return aList ? aList->Text() : QString();
}

void TppDrawText::SetAlignment(classes::TAlignment aValue)
{
    if (aValue == m_alignment)
        return;
    m_alignment = aValue;
    switch (aValue) {
    case classes::TAlignment::taLeftJustify: SetTextAlignment(TppTextAlignment::taLeftJustified); break;
    case classes::TAlignment::taRightJustify: SetTextAlignment(TppTextAlignment::taRightJustified); break;
    case classes::TAlignment::taCenter: SetTextAlignment(TppTextAlignment::taCentered); break;
    }
}

void TppDrawText::SetTextAlignment(TppTextAlignment aValue)
{
    if (aValue == m_textAlignment)
        return;
    m_textAlignment = aValue;
    switch (aValue) {
    case TppTextAlignment::taRightJustified: SetAlignment(classes::TAlignment::taRightJustify); break;
    case TppTextAlignment::taCentered: SetAlignment(classes::TAlignment::taCenter); break;
    default: SetAlignment(classes::TAlignment::taLeftJustify); break;
    }
}

void TppDrawText::SetFont(const classes::TFont *aFont)
{
    if (aFont && aFont != &m_font)
        m_font.Assign(aFont);
}

void TppDrawText::SetWrappedText(const classes::TStrings *aLines)
{
    if (aLines && aLines != m_wrappedText.get())
        WrappedText()->Assign(aLines);
}

void TppDrawText::SetTabStopPositions(const classes::TStrings *aLines)
{
    if (aLines && aLines != m_tabStopPositions.get())
        TabStopPositions()->Assign(aLines);
}

QString TppDrawText::GetSaveSortKey() const
{
    return QStringLiteral("%1%2").arg(m_bandSaveNo, 8).arg(m_componentSaveNo, 8);
}

void TppDrawText::DefineProperties(classes::TFiler &aFiler)
{
    TppDrawCommand::DefineProperties(aFiler);
    // Pages of older versions carry the alignment by its old name; other
    // identifiers are passed over.
    aFiler.DefineProperty(
        QStringLiteral("Alignment"),
        [this](classes::TReader &r) {
            const QString ident = r.ReadIdent();
            if (ident.compare(u"taLeftJustify", Qt::CaseInsensitive) == 0)
                SetAlignment(classes::TAlignment::taLeftJustify);
            else if (ident.compare(u"taCenter", Qt::CaseInsensitive) == 0)
                SetAlignment(classes::TAlignment::taCenter);
            else if (ident.compare(u"taRightJustify", Qt::CaseInsensitive) == 0)
                SetAlignment(classes::TAlignment::taRightJustify);
        },
        nullptr, false);
}

void TppDrawText::Assign(const classes::TPersistent *source)
{
    TppDrawCommand::Assign(source);
    const auto *other = dynamic_cast<const TppDrawText *>(source);
    if (!other)
        return;
    m_alignment = other->m_alignment;
    m_autoSize = other->m_autoSize;
    m_color = other->m_color;
    m_font.Assign(&other->m_font);
    m_isMemo = other->m_isMemo;
    m_leading = other->m_leading;
    m_text = other->m_text;
    m_transparent = other->m_transparent;
    m_wordWrap = other->m_wordWrap;
    if (m_wrappedText || other->m_wrappedText)
        WrappedText()->Assign(other->WrappedText());
    if (m_tabStopPositions || other->m_tabStopPositions)
        TabStopPositions()->Assign(other->TabStopPositions());
    m_screenFontHeight = other->m_screenFontHeight;
    m_screenLineHeight = other->m_screenLineHeight;
    m_screenTextWidth = other->m_screenTextWidth;
    m_bandSave = other->m_bandSave;
    m_bandSaveNo = other->m_bandSaveNo;
    SetComponent(other->Component());
    m_componentSave = other->m_componentSave;
    m_componentSaveNo = other->m_componentSaveNo;
    m_forceJustifyLastLine = other->m_forceJustifyLastLine;
    m_textAlignment = other->m_textAlignment;
    m_saveLength = other->m_saveLength;
}

bool TppDrawText::IsEqual(const TppDrawCommand *aDrawCommand) const
{
    const auto *other = dynamic_cast<const TppDrawText *>(aDrawCommand);
    if (!other || !TppDrawCommand::IsEqual(aDrawCommand))
        return false;
    return m_alignment == other->m_alignment && m_textAlignment == other->m_textAlignment &&
           m_forceJustifyLastLine == other->m_forceJustifyLastLine && m_autoSize == other->m_autoSize &&
           m_color == other->m_color && m_font.Name() == other->m_font.Name() &&
           m_font.Size() == other->m_font.Size() && m_font.Style() == other->m_font.Style() &&
           m_isMemo == other->m_isMemo && m_leading == other->m_leading && m_saveLength == other->m_saveLength &&
           m_text == other->m_text && m_transparent == other->m_transparent &&
           textOf(m_tabStopPositions) == textOf(other->m_tabStopPositions) && m_wordWrap == other->m_wordWrap &&
           textOf(m_wrappedText) == textOf(other->m_wrappedText);
}

TraTppDrawTextRTTI::TraTppDrawTextRTTI()
    : TraRTTI(&TraTppDrawCommandRTTI::Instance())
{}

const TraTppDrawTextRTTI &TraTppDrawTextRTTI::Instance()
{
    static const TraTppDrawTextRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppDrawTextRTTI::RefClass() const
{
    return TppDrawText::StaticClass();
}

} // namespace report
