#pragma once

// The class library's graphic objects as persistent classes: TFont over the
// Canvas's font description and TBitmap over a QImage, with the names under
// which colours and character sets are streamed.

#include "platform/classes/Persistent.h"

#include "platform/gfx/GdiObjects.h"

#include <QImage>

#include <functional>

namespace classes {

class TStream;

// Colours with a name (clBlack, clWindow, ...) stream as that name.
const TIdentMap &ColorIdents();
bool ColorToIdent(rtl::TColor color, QString &ident);
bool IdentToColor(QStringView ident, rtl::TColor &color);

enum TFontCharset : int32_t {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    OEM_CHARSET = 255,
};
const TIdentMap &CharsetIdents();

enum class TFontPitch { fpDefault, fpVariable, fpFixed };
const TEnumInfo &FontPitchInfo();
// The elements of TFontStyles, in the bit order of gfx::FontStyle.
const TEnumInfo &FontStyleInfo();

// A font; Height is what streams (Size follows it at PixelsPerInch).
class TFont : public TPersistent
{
    ZVO_CLASS(TFont)
public:
    static constexpr int PixelsPerInch = 96;

    TFont();

    const gfx::Font &Font() const { return m_font; }
    void SetFont(const gfx::Font &font);

    QString Name() const;
    void SetName(const QString &name);
    int Height() const { return m_font.height; }
    void SetHeight(int height);
    int Size() const { return m_font.size; }
    void SetSize(int size);
    rtl::TColor Color() const { return m_font.color; }
    void SetColor(rtl::TColor color);
    gfx::FontStyles Style() const { return m_font.style; }
    void SetStyle(gfx::FontStyles style);
    int Orientation() const { return m_font.orientation; }
    void SetOrientation(int orientation);
    int32_t Charset() const { return m_charset; }
    void SetCharset(int32_t charset);
    TFontPitch Pitch() const { return m_pitch; }
    void SetPitch(TFontPitch pitch);

    void Assign(const TPersistent *source) override;
    // The same for a source known to be a font: every text a report prints
    // takes its font this way, and the type query was a visible part of it.
    void Assign(const TFont *source);
    bool operator==(const TFont &other) const;

    // Told after every change.
    std::function<void(TObject *)> OnChange;

protected:
    virtual void Changed();

private:
    gfx::Font m_font;
    int32_t m_charset = DEFAULT_CHARSET;
    TFontPitch m_pitch = TFontPitch::fpDefault;
};

// A picture; its "Data" entry holds a length and the picture as a BMP file.
class TBitmap : public TPersistent
{
    ZVO_CLASS(TBitmap)
public:
    TBitmap() = default;

    const QImage &Image() const { return m_image; }
    void SetImage(const QImage &image);
    bool Empty() const { return m_image.isNull(); }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }

    // A BMP file; EInvalidGraphic when it does not decode.
    void LoadFromStream(TStream &stream);
    void SaveToStream(TStream &stream) const;

    void Assign(const TPersistent *source) override;
    void DefineProperties(TFiler &filer) override;

    std::function<void(TObject *)> OnChange;

private:
    void readData(TStream &stream);
    void writeData(TStream &stream) const;
    void changed();

    QImage m_image;
};

} // namespace classes
