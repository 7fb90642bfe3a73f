#pragma once

// The device context a metafile is played into: the selected objects, the
// object table, the saved states, the mapping from logical units to the
// target and the drawing operations the WMF and EMF readers call.

#include "platform/gfx/MetafilePlayer.h"

#include <QByteArrayView>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPointF>
#include <QRegion>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

class QPainter;

namespace gfx::metafile {

// Little-endian reads that answer 0 past the end.
inline uint32_t u32(QByteArrayView b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        return 0;
    const auto *p = reinterpret_cast<const uint8_t *>(b.data() + at);
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t i32(QByteArrayView b, qsizetype at)
{
    return int32_t(u32(b, at));
}
inline uint16_t u16(QByteArrayView b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        return 0;
    const auto *p = reinterpret_cast<const uint8_t *>(b.data() + at);
    return uint16_t(p[0] | (p[1] << 8));
}
inline int16_t i16(QByteArrayView b, qsizetype at)
{
    return int16_t(u16(b, at));
}

enum MapMode {
    MM_TEXT = 1,
    MM_LOMETRIC,
    MM_HIMETRIC,
    MM_LOENGLISH,
    MM_HIENGLISH,
    MM_TWIPS,
    MM_ISOTROPIC,
    MM_ANISOTROPIC
};

struct LogPen
{
    int style = 0; // PS_SOLID
    double width = 0;
    uint32_t color = 0;
};

struct LogBrush
{
    int style = 0; // BS_SOLID
    uint32_t color = 0xFFFFFF;
    int hatch = 0;
};

struct LogFont
{
    double height = 0;
    int escapement = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;
    friend bool operator==(const LogFont &, const LogFont &) = default;
};

struct GdiObject
{
    enum class Kind { Empty, Pen, Brush, Font, Other };
    Kind kind = Kind::Empty;
    LogPen pen;
    LogBrush brush;
    LogFont font;
};

struct DcState
{
    LogPen pen;
    LogBrush brush;
    LogFont font;
    uint32_t textColor = 0;
    uint32_t bkColor = 0xFFFFFF;
    int bkMode = 2; // OPAQUE
    unsigned textAlign = 0;
    int polyFillMode = 1; // ALTERNATE
    int mapMode = MM_TEXT;
    QPointF winOrg{0, 0};
    QPointF winExt{1, 1};
    QPointF vpOrg{0, 0};
    QPointF vpExt{1, 1};
    QPointF current{0, 0};
    // In the painter's coordinates; none: only the painter's own clip.
    std::optional<QRegion> clip;
};

class Player
{
public:
    Player(QPainter &painter, const QRectF &target);
    ~Player();
    Player(const Player &) = delete;
    Player &operator=(const Player &) = delete;

    DcState dc;
    // Reference device pixels to the painter's coordinates.
    QTransform reference;
    // Reference device pixels per millimetre, for the metric map modes.
    QPointF pixelsPerMM{96 / 25.4, 96 / 25.4};
    MetafilePlayStats stats;

    // ---- Mapping ----
    QPointF map(double x, double y) const;
    QPointF mapReference(double x, double y) const;
    // The rectangle of two logical corners, normalised.
    QRectF mapRect(double l, double t, double r, double b) const;
    // A logical length on either axis, as the painter measures it.
    double scaleX() const;
    double scaleY() const;

    // ---- States and objects ----
    void resizeObjectTable(int count);
    // Into the first free slot (WMF) or the slot named (EMF).
    void createObject(const GdiObject &object);
    void createObjectAt(uint32_t index, const GdiObject &object);
    void selectObject(uint32_t index);
    void selectStockObject(uint32_t index);
    void deleteObject(uint32_t index);
    void saveDC();
    // WMF and EMF: negative counts back from the newest state, positive
    // names a state from the oldest (1).
    void restoreDC(int n);

    // ---- Clipping ----
    void intersectClip(const QRectF &logical);
    void excludeClip(const QRectF &logical);
    void offsetClip(double dx, double dy);
    // mode: 1 AND, 2 OR, 3 XOR, 4 DIFF, 5 COPY; no region with COPY
    // removes the clip.
    void selectClip(const std::optional<QRegion> &region, int mode);

    // ---- Drawing (logical coordinates) ----
    void rectangle(double l, double t, double r, double b);
    void roundRect(double l, double t, double r, double b, double w, double h);
    void ellipse(double l, double t, double r, double b);
    // kind 0 arc, 1 chord, 2 pie.
    void arc(int kind, double l, double t, double r, double b, QPointF start, QPointF end);
    void polyline(const std::vector<QPointF> &points);
    void polygons(const std::vector<std::vector<QPointF>> &polygons);
    void moveTo(double x, double y) { dc.current = QPointF(x, y); }
    void lineTo(double x, double y);
    // options: ETO_OPAQUE 2, ETO_CLIPPED 4.
    void textOut(double x, double y, const QString &text, unsigned options, const std::optional<QRectF> &rect);
    // A DIB (or none: a fill by the raster operation) drawn into a logical
    // rectangle; src in DIB pixels, its top counted from the bitmap's last
    // row when fromBottom (the DIB calls count so for bottom-up bitmaps).
    void blit(const QRectF &dest, QByteArrayView header, QByteArrayView bits, QRectF src, uint32_t rop,
              bool fromBottom);

private:
    void applyClip();
    // The painter's rectangle of a figure, its pen and brush chosen.
    QRectF figureRect(double l, double t, double r, double b);
    QRegion currentClip() const;
    void setClip(const std::optional<QRegion> &clip);
    bool preparePen();
    bool prepareBrush();
    // The selected font at the present mapping, made once per change.
    const QFont &currentFont();

    struct FontCache
    {
        LogFont font;
        double scale = 0;
        QFont qfont;
        std::optional<QFontMetricsF> metrics;
    };
    std::optional<FontCache> m_font;
    bool m_fontSet = false;

    QPainter &m_painter;
    QRectF m_target;
    std::optional<QRegion> m_painterClip;
    bool m_clipDirty = true;
    std::vector<GdiObject> m_objects;
    std::set<int> m_free;
    std::vector<DcState> m_saved;
};

// The record loops of the two formats.
void PlayWmf(Player &player, QByteArrayView bytes, const QRectF &target);
void PlayEmf(Player &player, QByteArrayView bytes, const QRectF &target);

// The frame of an EMF in reference device pixels, and its size at 96 ppi.
struct EmfHeader
{
    QRectF frame;
    QPointF pixelsPerMM;
    int handles = 0;
    int width = 0;
    int height = 0;
};
bool ReadEmfHeader(QByteArrayView bytes, EmfHeader &header);

struct WmfHeader
{
    bool placeable = false;
    // The bounding box in logical units, or the first window the records set.
    QRectF bounds;
    int unitsPerInch = 0;
    int objects = 0;
    qsizetype firstRecord = 0;
    int width = 0;
    int height = 0;
};
bool ReadWmfHeader(QByteArrayView bytes, WmfHeader &header);

} // namespace gfx::metafile
