#include "platform/classes/Graphics.h"
#include "platform/classes/Picture.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"

#include "platform/rtl/QtText.h"
#include "platform/rtl/Rounding.h"

#include <QBuffer>
#include <QImageReader>

#include <array>

namespace classes {

namespace {

constexpr std::array<TIdentMapEntry, 52> ColorNames = {{
    {rtl::clBlack, "clBlack"},
    {rtl::clMaroon, "clMaroon"},
    {rtl::clGreen, "clGreen"},
    {rtl::clOlive, "clOlive"},
    {rtl::clNavy, "clNavy"},
    {rtl::clPurple, "clPurple"},
    {rtl::clTeal, "clTeal"},
    {rtl::clGray, "clGray"},
    {rtl::clSilver, "clSilver"},
    {rtl::clRed, "clRed"},
    {rtl::clLime, "clLime"},
    {rtl::clYellow, "clYellow"},
    {rtl::clBlue, "clBlue"},
    {rtl::clFuchsia, "clFuchsia"},
    {rtl::clAqua, "clAqua"},
    {rtl::clWhite, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"},
    {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},
    {0xA4A0A0, "clMedGray"},
    {rtl::clActiveBorder, "clActiveBorder"},
    {rtl::clActiveCaption, "clActiveCaption"},
    {rtl::clAppWorkSpace, "clAppWorkSpace"},
    {rtl::clBackground, "clBackground"},
    {rtl::clBtnFace, "clBtnFace"},
    {rtl::clBtnHighlight, "clBtnHighlight"},
    {rtl::clBtnShadow, "clBtnShadow"},
    {rtl::clBtnText, "clBtnText"},
    {rtl::clCaptionText, "clCaptionText"},
    {rtl::clDefault, "clDefault"},
    {rtl::clGradientActiveCaption, "clGradientActiveCaption"},
    {rtl::clGradientInactiveCaption, "clGradientInactiveCaption"},
    {rtl::clGrayText, "clGrayText"},
    {rtl::clHighlight, "clHighlight"},
    {rtl::clHighlightText, "clHighlightText"},
    {rtl::clHotLight, "clHotLight"},
    {rtl::clInactiveBorder, "clInactiveBorder"},
    {rtl::clInactiveCaption, "clInactiveCaption"},
    {rtl::clInactiveCaptionText, "clInactiveCaptionText"},
    {rtl::clInfoBk, "clInfoBk"},
    {rtl::clInfoText, "clInfoText"},
    {rtl::clMenu, "clMenu"},
    {rtl::clMenuBar, "clMenuBar"},
    {rtl::clMenuHighlight, "clMenuHighlight"},
    {rtl::clMenuText, "clMenuText"},
    {rtl::clNone, "clNone"},
    {rtl::clScrollBar, "clScrollBar"},
    {rtl::cl3DDkShadow, "cl3DDkShadow"},
    {rtl::cl3DLight, "cl3DLight"},
    {rtl::clWindow, "clWindow"},
    {rtl::clWindowFrame, "clWindowFrame"},
    {rtl::clWindowText, "clWindowText"},
}};

constexpr std::array<TIdentMapEntry, 19> CharsetNames = {{
    {0, "ANSI_CHARSET"},          {1, "DEFAULT_CHARSET"},      {2, "SYMBOL_CHARSET"},    {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},    {129, "HANGEUL_CHARSET"},    {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"},      {162, "TURKISH_CHARSET"}, {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},      {178, "ARABIC_CHARSET"},     {186, "BALTIC_CHARSET"},  {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},        {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},
}};

} // namespace

const TIdentMap &ColorIdents()
{
    static const TIdentMap map{std::span<const TIdentMapEntry>(ColorNames)};
    return map;
}

bool ColorToIdent(rtl::TColor color, QString &ident)
{
    return ColorIdents().IntToIdent(color, ident);
}

bool IdentToColor(QStringView ident, rtl::TColor &color)
{
    return ColorIdents().IdentToInt(ident, color);
}

const TIdentMap &CharsetIdents()
{
    static const TIdentMap map{std::span<const TIdentMapEntry>(CharsetNames)};
    return map;
}

const TEnumInfo &FontPitchInfo()
{
    static const TEnumInfo info(QStringLiteral("TFontPitch"), {"fpDefault", "fpVariable", "fpFixed"});
    return info;
}

const TEnumInfo &FontStyleInfo()
{
    static const TEnumInfo info(QStringLiteral("TFontStyle"), {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
    return info;
}

// ---- TFont ----------------------------------------------------------------

const TMetaClass &TFont::StaticClass()
{
    // As in the class library: no defaults for Charset, Color, Height, Name
    // and Style, so they are always written; Size is never written.
    static const TMetaClass meta = MakeClass<TFont, TPersistent>("TFont", [](TClassBuilder<TFont> &c) {
        c.Integer("Charset", &TFont::Charset, &TFont::SetCharset)
            .WithIdents(CharsetIdents())
            .WithTypeName(QStringLiteral("TFontCharset"));
        c.Integer("Color", &TFont::Color, &TFont::SetColor)
            .WithIdents(ColorIdents())
            .WithTypeName(QStringLiteral("TColor"));
        c.Integer("Height", &TFont::Height, &TFont::SetHeight);
        c.String("Name", &TFont::Name, &TFont::SetName);
        c.Integer("Orientation", &TFont::Orientation, &TFont::SetOrientation).Default(0);
        c.Enum("Pitch", FontPitchInfo(), &TFont::Pitch, &TFont::SetPitch).Default(TFontPitch::fpDefault);
        c.Integer("Size", &TFont::Size, &TFont::SetSize).Stored(false);
        c.Set("Style", FontStyleInfo(), QStringLiteral("TFontStyles"), &TFont::Style, &TFont::SetStyle);
    });
    return meta;
}

TFont::TFont()
{
    m_font.height = gfx::Font::heightFromSize(m_font.size, PixelsPerInch);
}

void TFont::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TFont::SetFont(const gfx::Font &font)
{
    m_font = font;
    if (m_font.height == 0)
        m_font.height = gfx::Font::heightFromSize(m_font.size, PixelsPerInch);
    Changed();
}

QString TFont::Name() const
{
    return m_font.name.text();
}

void TFont::SetName(const QString &name)
{
    // Families are named in Unicode; the byte form would turn most of the
    // world's font names into question marks.
    if (name.isEmpty() || name == m_font.name.text())
        return;
    m_font.name = gfx::FaceName(name);
    Changed();
}

void TFont::SetHeight(int height)
{
    if (height == m_font.height)
        return;
    m_font.height = height;
    m_font.size = -rtl::MulDiv(height, 72, PixelsPerInch);
    Changed();
}

void TFont::SetSize(int size)
{
    SetHeight(gfx::Font::heightFromSize(size, PixelsPerInch));
}

void TFont::SetColor(rtl::TColor color)
{
    if (color == m_font.color)
        return;
    m_font.color = color;
    Changed();
}

void TFont::SetStyle(gfx::FontStyles style)
{
    style &= gfx::fsBold | gfx::fsItalic | gfx::fsUnderline | gfx::fsStrikeOut;
    if (style == m_font.style)
        return;
    m_font.style = style;
    Changed();
}

void TFont::SetOrientation(int orientation)
{
    if (orientation == m_font.orientation)
        return;
    m_font.orientation = orientation;
    Changed();
}

void TFont::SetCharset(int32_t charset)
{
    charset &= 0xFF;
    if (charset == m_charset)
        return;
    m_charset = charset;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch == m_pitch)
        return;
    m_pitch = pitch;
    Changed();
}

void TFont::Assign(const TPersistent *source)
{
    const auto *other = dynamic_cast<const TFont *>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    Assign(other);
}

void TFont::Assign(const TFont *source)
{
    if (!source) {
        TPersistent::Assign(source);
        return;
    }
    const TFont *other = source;
    if (*this == *other)
        return;
    m_font = other->m_font;
    m_charset = other->m_charset;
    m_pitch = other->m_pitch;
    Changed();
}

bool TFont::operator==(const TFont &other) const
{
    return m_font == other.m_font && m_charset == other.m_charset && m_pitch == other.m_pitch;
}

// ---- TBitmap --------------------------------------------------------------

const TMetaClass &TBitmap::StaticClass()
{
    static const TMetaClass meta = MakeClass<TBitmap, TPersistent>("TBitmap");
    return meta;
}

void TBitmap::changed()
{
    if (OnChange)
        OnChange(this);
}

void TBitmap::SetImage(const QImage &image)
{
    m_image = image;
    changed();
}

void TBitmap::Assign(const TPersistent *source)
{
    if (!source) {
        // Assigning nothing empties the picture, as the class library does.
        SetImage(QImage());
        return;
    }
    const auto *other = dynamic_cast<const TBitmap *>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    SetImage(other->m_image);
}

void TBitmap::LoadFromStream(TStream &stream)
{
    const int64_t size = stream.Size() - stream.Position();
    QByteArray bytes(qsizetype(std::max<int64_t>(size, 0)), Qt::Uninitialized);
    stream.ReadBuffer(bytes.data(), bytes.size());
    // A DIB without its file header (from a clipboard or a database field)
    // reads as the file it would be.
    bytes = BitmapFileFromDIB(bytes);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "BMP");
    QImage image = reader.read();
    if (image.isNull())
        throw EInvalidGraphic("Bitmap image is not valid");
    SetImage(image);
}

void TBitmap::SaveToStream(TStream &stream) const
{
    if (m_image.isNull())
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!m_image.save(&buffer, "BMP"))
        throw EInvalidGraphic("Bitmap image cannot be stored");
    stream.WriteBuffer(bytes.constData(), bytes.size());
}

void TBitmap::DefineProperties(TFiler &filer)
{
    filer.DefineBinaryProperty(
        QStringLiteral("Data"), [this](TStream &s) { readData(s); }, [this](TStream &s) { writeData(s); }, !Empty());
}

void TBitmap::readData(TStream &stream)
{
    uint8_t b[4];
    stream.ReadBuffer(b, 4);
    const int64_t size =
        int64_t(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24));
    if (size > stream.Size() - stream.Position())
        throw EInvalidGraphic("Bitmap data is cut short");
    if (size == 0) {
        SetImage(QImage());
        return;
    }
    TMemoryStream bmp;
    bmp.CopyFrom(stream, size);
    bmp.SetPosition(0);
    LoadFromStream(bmp);
}

void TBitmap::writeData(TStream &stream) const
{
    TMemoryStream bmp;
    SaveToStream(bmp);
    const uint32_t size = uint32_t(bmp.Size());
    const uint8_t b[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
    stream.WriteBuffer(b, 4);
    stream.WriteBuffer(bmp.Memory(), bmp.Size());
}

} // namespace classes
