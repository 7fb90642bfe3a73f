#include "report/content/richtext/RichTextAttributes.h"

#include "report/content/richtext/RichText.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Graphics.h"
#include "platform/richedit/RichEdit.h"
#include "platform/rtl/Rounding.h"

namespace report {

namespace {

template <class F>
void changeSelection(TppCustomRichText &aOwner, F aChange)
{
    richedit::TextAttributes attributes = aOwner.RichEdit().SelAttributes();
    aChange(attributes);
    aOwner.RichEdit().SetSelAttributes(attributes);
    aOwner.RichEditChanged();
}

template <class F>
void changeParagraph(TppCustomRichText &aOwner, F aChange)
{
    richedit::ParagraphAttributes attributes = aOwner.RichEdit().Paragraph();
    aChange(attributes);
    aOwner.RichEdit().SetParagraph(attributes);
    aOwner.RichEditChanged();
}

} // namespace

// ---- TTextAttributes ---------------------------------------------------------------

const classes::TMetaClass &TTextAttributes::StaticClass()
{
    using A = TTextAttributes;
    static const classes::TMetaClass meta =
        classes::MakeClass<A, classes::TPersistent>("TTextAttributes", [](classes::TClassBuilder<A> &c) {
            c.Integer("Color", &A::Color, &A::SetColor).WithTypeName(QStringLiteral("TColor"));
            c.String("Name", &A::Name, &A::SetName);
            c.Integer("Size", &A::Size, &A::SetSize);
            c.Set("Style", classes::FontStyleInfo(), QStringLiteral("TFontStyles"), &A::Style, &A::SetStyle);
        });
    return meta;
}

void TTextAttributes::Assign(const classes::TPersistent *source)
{
    const auto *other = dynamic_cast<const TTextAttributes *>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    const richedit::TextAttributes format = other->m_owner.RichEdit().SelAttributes();
    changeSelection(m_owner, [&format](richedit::TextAttributes &a) { a = format; });
}

QString TTextAttributes::Name() const
{
    return m_owner.RichEdit().SelAttributes().name;
}

void TTextAttributes::SetName(const QString &aValue)
{
    changeSelection(m_owner, [&aValue](richedit::TextAttributes &a) { a.name = aValue; });
}

int TTextAttributes::Size() const
{
    return rtl::Round(m_owner.RichEdit().SelAttributes().size);
}

void TTextAttributes::SetSize(int aValue)
{
    // The rich edit keeps its size for nothing above zero.
    if (aValue <= 0)
        return;
    changeSelection(m_owner, [aValue](richedit::TextAttributes &a) { a.size = aValue; });
}

rtl::TColor TTextAttributes::Color() const
{
    return m_owner.RichEdit().SelAttributes().color;
}

void TTextAttributes::SetColor(rtl::TColor aValue)
{
    changeSelection(m_owner, [aValue](richedit::TextAttributes &a) { a.color = aValue; });
}

gfx::FontStyles TTextAttributes::Style() const
{
    const richedit::TextAttributes a = m_owner.RichEdit().SelAttributes();
    return (a.bold ? gfx::fsBold : 0u) | (a.italic ? gfx::fsItalic : 0u) | (a.underline ? gfx::fsUnderline : 0u) |
           (a.strikeOut ? gfx::fsStrikeOut : 0u);
}

void TTextAttributes::SetStyle(gfx::FontStyles aValue)
{
    changeSelection(m_owner, [aValue](richedit::TextAttributes &a) {
        a.bold = aValue & gfx::fsBold;
        a.italic = aValue & gfx::fsItalic;
        a.underline = aValue & gfx::fsUnderline;
        a.strikeOut = aValue & gfx::fsStrikeOut;
    });
}

// ---- TParaAttributes ---------------------------------------------------------------

const classes::TMetaClass &TParaAttributes::StaticClass()
{
    using A = TParaAttributes;
    static const classes::TMetaClass meta =
        classes::MakeClass<A, classes::TPersistent>("TParaAttributes", [](classes::TClassBuilder<A> &c) {
            c.Enum("Alignment", classes::AlignmentInfo(), &A::Alignment, &A::SetAlignment);
            c.Integer("FirstIndent", &A::FirstIndent, &A::SetFirstIndent);
            c.Integer("LeftIndent", &A::LeftIndent, &A::SetLeftIndent);
            c.Integer("RightIndent", &A::RightIndent, &A::SetRightIndent);
        });
    return meta;
}

void TParaAttributes::Assign(const classes::TPersistent *source)
{
    const auto *other = dynamic_cast<const TParaAttributes *>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    const richedit::ParagraphAttributes format = other->m_owner.RichEdit().Paragraph();
    changeParagraph(m_owner, [&format](richedit::ParagraphAttributes &a) { a = format; });
}

classes::TAlignment TParaAttributes::Alignment() const
{
    const Qt::Alignment alignment = m_owner.RichEdit().Paragraph().alignment;
    if (alignment & Qt::AlignRight)
        return classes::TAlignment::taRightJustify;
    if (alignment & Qt::AlignHCenter)
        return classes::TAlignment::taCenter;
    return classes::TAlignment::taLeftJustify;
}

void TParaAttributes::SetAlignment(classes::TAlignment aValue)
{
    changeParagraph(m_owner, [aValue](richedit::ParagraphAttributes &a) {
        a.alignment = aValue == classes::TAlignment::taRightJustify ? Qt::AlignRight
                      : aValue == classes::TAlignment::taCenter     ? Qt::AlignHCenter
                                                                    : Qt::AlignLeft;
    });
}

int TParaAttributes::FirstIndent() const
{
    return rtl::Round(m_owner.RichEdit().Paragraph().firstIndent);
}

void TParaAttributes::SetFirstIndent(int aValue)
{
    changeParagraph(m_owner, [aValue](richedit::ParagraphAttributes &a) { a.firstIndent = aValue; });
}

int TParaAttributes::LeftIndent() const
{
    return rtl::Round(m_owner.RichEdit().Paragraph().leftIndent);
}

void TParaAttributes::SetLeftIndent(int aValue)
{
    changeParagraph(m_owner, [aValue](richedit::ParagraphAttributes &a) { a.leftIndent = aValue; });
}

int TParaAttributes::RightIndent() const
{
    return rtl::Round(m_owner.RichEdit().Paragraph().rightIndent);
}

void TParaAttributes::SetRightIndent(int aValue)
{
    changeParagraph(m_owner, [aValue](richedit::ParagraphAttributes &a) { a.rightIndent = aValue; });
}

} // namespace report
