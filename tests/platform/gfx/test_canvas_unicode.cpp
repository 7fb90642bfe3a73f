// Unicode on the canvas: text reaches the painter as given and is measured as
// characters; the byte forms draw the characters their bytes stand for;
// prefixes and ellipses keep surrogate pairs whole.

#include "platform/gfx/TextLayout.h"

#include "tests/support/PixelProbes.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QStringList>

#include <gtest/gtest.h>

using namespace gfx;
using rtl::TRect;

namespace {

// Keeps what reaches the painter: the characters of every text item (one
// drawText call gives several when scripts change) and their font's family.
class RecordingEngine final : public QPaintEngine
{
public:
    RecordingEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawRects(const QRect *, int) override {}
    void drawRects(const QRectF *, int) override {}
    void drawPath(const QPainterPath &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint *, int, PolygonDrawMode) override {}
    void drawImage(const QRectF &, const QImage &, const QRectF &, Qt::ImageConversionFlags) override {}
    void drawTextItem(const QPointF &, const QTextItem &item) override
    {
        text += item.text();
        families << item.font().family();
    }
    Type type() const override { return QPaintEngine::User; }

    QString text;
    QStringList families;
};

class RecordingDevice final : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return 400;
        case PdmHeight: return 100;
        case PdmWidthMM: return 106;
        case PdmHeightMM: return 26;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmNumColors: return 0x7fffffff;
        case PdmDevicePixelRatio: return 1;
        default: return QPaintDevice::metric(m);
        }
    }
};

// Charges every UTF-16 unit, so half a surrogate pair measures less than a
// whole one and a layout that cuts between the halves would take the cut.
class UnitMeasurer final : public TextMeasurer
{
public:
    TextMetrics metrics(const Font &font) const override { return FixedTextMeasurer().metrics(font); }

protected:
    int width(const Font &, QStringView text) const override { return 7 * static_cast<int>(text.size()); }
};

const QString Greek = QStringLiteral("Ελληνικά γράμματα");
const QString Cjk = QStringLiteral("日本語のテキスト");
const QString Emoji = QStringLiteral("ok 😀 👍🏽");

// Drives one canvas text routine on a recording device and answers what the
// painter was given.
QString reachingThePainter(const std::function<void(Canvas &)> &draw, QStringList *families = nullptr)
{
    RecordingDevice device;
    const FixedTextMeasurer fake;
    {
        Canvas c(&device, &fake);
        draw(c);
    }
    if (families)
        *families = device.engine.families;
    return device.engine.text;
}

} // namespace

TEST(GfxCanvasUnicode, TextReachesThePainterAsGiven)
{
    const TRect box{0, 0, 400, 40};
    const struct
    {
        const char *routine;
        std::function<void(Canvas &, const QString &)> draw;
    } routines[] = {
        {"TextOut", [](Canvas &c, const QString &t) { c.TextOut(1, 1, t); }},
        {"ExtTextOut", [&](Canvas &c, const QString &t) { c.ExtTextOut(1, 1, ETO_OPAQUE | ETO_CLIPPED, &box, t); }},
        {"justified",
         [](Canvas &c, const QString &t) {
             c.SetTextJustification(5, 1);
             c.TextOut(1, 1, t);
         }},
        {"DrawText", [&](Canvas &c, const QString &t) { c.DrawText(t, box, DT_SINGLELINE | DT_VCENTER); }},
        {"TabbedTextOut", [](Canvas &c, const QString &t) { c.TabbedTextOut(1, 1, t); }},
    };
    for (const auto &r : routines)
        for (const QString &text : {Greek, Cjk, Emoji})
            EXPECT_EQ(reachingThePainter([&](Canvas &c) { r.draw(c, text); }), text) << r.routine;

    // Bytes are Windows-1252.
    EXPECT_EQ(reachingThePainter([](Canvas &c) { c.TextOut(1, 1, "\x80 caf\xe9 \x93q\x94"); }),
              QStringLiteral("€ café “q”"));
}

TEST(GfxCanvasUnicode, MeasuredAsCharacters)
{
    QImage img = zvotest::blank(100, 40);
    const FixedTextMeasurer fake; // 7 x 13 whatever the character
    {
        Canvas c(&img, &fake);
        EXPECT_EQ(c.TextWidth(Cjk), 8 * 7);
        EXPECT_EQ(c.TextExtent(Emoji), (rtl::TSize{7 * 7, 13})); // a surrogate pair is one character
        EXPECT_EQ(c.TabbedTextWidth(u"日本\t語", {30}), 30 + 7);
        TRect r{0, 0, 200, 0};
        c.DrawText(u"😀😀 😀", r, DT_CALCRECT | DT_SINGLELINE);
        EXPECT_EQ(r.Right, 4 * 7);
    }
    // With the real fonts: the width of these characters, not of the "?"
    // they would become in Windows-1252.
    Canvas c(&img);
    c.font().size = 10;
    EXPECT_NE(c.TextWidth(Greek), c.TextWidth(std::string(size_t(Greek.size()), '?')));
    EXPECT_EQ(c.TextWidth(Greek), QtTextMeasurer(img.logicalDpiY()).textWidth(c.font(), Greek));
}

TEST(GfxCanvasUnicode, FaceNameKeepsUnicode)
{
    Font f;
    f.name = QStringLiteral("Noto Sans 日本");
    EXPECT_EQ(ToQFont(f, 96).family(), QStringLiteral("Noto Sans 日本"));
    EXPECT_EQ(std::string_view(f.name), "Noto Sans ??"); // for the byte side
    QStringList families;
    reachingThePainter(
        [&](Canvas &c) {
            c.setFont(f);
            c.TextOut(0, 0, u"x");
        },
        &families);
    EXPECT_EQ(families, QStringList{QStringLiteral("Noto Sans 日本")});

    f.name = "Caf\xe9";
    EXPECT_EQ(f.name.text(), QStringLiteral("Café"));
    EXPECT_TRUE(f.name == std::string("Caf\xe9"));
    EXPECT_FALSE(f.name == FaceName(QStringLiteral("Cafe")));
}

TEST(GfxCanvasUnicode, PrefixesAndEllipsesKeepCharactersWhole)
{
    int u = 0;
    EXPECT_EQ(StripPrefixes(u"&Ωμέγα", &u), u"Ωμέγα");
    EXPECT_EQ(u, 0);
    EXPECT_EQ(StripPrefixes(u"a&😀b", &u), u"a😀b");
    EXPECT_EQ(u, 1);

    const UnitMeasurer units;
    const struct
    {
        const char16_t *text;
        int width;
        unsigned format;
        const char16_t *lines; // joined by "|"
    } cases[] = {
        {u"αβγδεζηθικ", 50, DT_SINGLELINE | DT_END_ELLIPSIS, u"αβγδ..."},
        {u"a😀😀😀😀😀", 50, DT_SINGLELINE | DT_END_ELLIPSIS, u"a😀..."},
        {u"😀😀😀😀\\x.txt", 70, DT_SINGLELINE | DT_PATH_ELLIPSIS, u"...\\x.txt"},
        {u"😀😀 😀😀 😀😀 😀😀 😀😀", 42, DT_WORDBREAK | DT_END_ELLIPSIS, u"😀😀|😀😀|😀😀|😀..."},
        {u"😀😀😀😀", 21, DT_WORDBREAK | DT_EDITCONTROL, u"😀|😀|😀|😀"},
        {u"Π&ελάτης", 100, DT_SINGLELINE, u"Πελάτης"},
    };
    for (const auto &c : cases) {
        const TextLayout l = LayoutText(units, Font(), c.text, TRect{0, 0, c.width, 4 * 13}, c.format);
        QStringList lines;
        for (const TextLine &line : l.lines)
            lines << line.text;
        EXPECT_EQ(lines.join(u'|'), QStringView(c.lines)) << lines.join(u'|').toStdString();
    }
}

TEST(GfxCanvasUnicode, AnAcceleratorUnderlinesAWholeCharacter)
{
    const UnitMeasurer units;
    const Font font;
    auto drawn = [&](unsigned format) {
        QImage img = zvotest::blank(60, 30);
        zvotest::paint(
            img,
            [&](Canvas &c) {
                c.setFont(font);
                c.setTextColor(rtl::clBlack);
                c.setBkMode(BkMode::Transparent);
                c.DrawText(u"a&😀x", TRect{0, 0, 60, 30}, DT_SINGLELINE | format);
            },
            &units);
        return img;
    };
    // The underline is what the shown prefix adds; the glyphs may reach its row.
    const QImage shown = drawn(0);
    const QImage hidden = drawn(DT_HIDEPREFIX);
    const int row = QFontMetrics(ToQFont(font, 96)).ascent() + 1;
    std::string line;
    for (int x = 0; x < 28; ++x)
        line += zvotest::at(shown, x, row) != zvotest::at(hidden, x, row) ? '#' : '.';
    EXPECT_EQ(line, ".......##############.......");
}
