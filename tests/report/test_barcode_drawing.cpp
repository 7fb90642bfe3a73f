// Bar codes painted by the draw command onto image-backed canvases: what a
// real decoder reads back from them (zbarimg, skipped when it is not
// installed), orientations, transparency, sizes, and hostile settings.

#include "report/content/barcodes/Code128.h"
#include "report/content/barcodes/DrawBarCode.h"
#include "report/model/base/Units.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/pages/Device.h"

#include "platform/gfx/Canvas.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTransform>

using namespace report;
using namespace Qt::Literals::StringLiterals;
using T = TppBarCodeType;
using O = TppBarCodeOrientation;

namespace {

QImage blankImage(int64_t w, int64_t h, int dpi)
{
    QImage image(int(w), int(h), QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

// The symbol on a white image with aMargin pixels around it.
QImage render(TppDrawBarCode &cmd, int dpi, int aMargin = 0)
{
    cmd.Encode(dpi);
    QImage probe = blankImage(1, 1, dpi);
    {
        gfx::Canvas measure(&probe);
        cmd.RenderBarCode(&measure, 0, false, {dpi, dpi}, 0);
    }
    int64_t w = cmd.SymbolWidth(), h = cmd.SymbolHeight();
    if (cmd.IsVertical())
        std::swap(w, h);
    QImage image = blankImage(w + 2 * aMargin, h + 2 * aMargin, dpi);
    gfx::Canvas canvas(&image);
    cmd.RenderBarCode(&canvas, aMargin, true, {dpi, dpi}, aMargin);
    return image;
}

std::unique_ptr<TppDrawBarCode> command(T type, const QString &data, const QString &addOn = {})
{
    auto cmd = std::make_unique<TppDrawBarCode>();
    cmd->SetBarCodeType(type);
    cmd->SetData(data);
    cmd->SetAddOnCode(addOn);
    cmd->Font()->SetName(u"Courier New"_s);
    cmd->SetBarWidth(ppIsUPCEANType(type) ? 330 : 254);
    cmd->SetAutoEncode(type == T::bcCode128);
    return cmd;
}

QString zbar()
{
    return QStandardPaths::findExecutable(u"zbarimg"_s);
}

QStringList decode(const QImage &image)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"symbol.png"_s);
    image.save(file);
    QProcess p;
    p.start(zbar(), {u"--raw"_s, u"-q"_s, u"-Sean2.enable=1"_s, u"-Sean5.enable=1"_s, file});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// Reads the columns of a Code 128 symbol back into its text: the values
// from the patterns, then the sets they were written in.
QString decodeCode128Columns(std::string_view modules)
{
    std::vector<int> values;
    for (size_t at = 0; at + 11 <= modules.size();) {
        int value = -1;
        for (int v = 0; v <= code128::kStopValue; ++v)
            if (modules.substr(at, Code128Pattern(v).size()) == Code128Pattern(v))
                value = v;
        if (value < 0)
            return u"?"_s;
        values.push_back(value);
        at += Code128Pattern(value).size();
    }
    if (values.size() < 3)
        return u"?"_s;
    int64_t sum = values[0];
    for (size_t i = 1; i + 2 < values.size(); ++i)
        sum += int64_t(values[i]) * int64_t(i);
    if (sum % 103 != values[values.size() - 2])
        return u"bad check"_s;
    QString text;
    char set = values[0] == 103 ? 'A' : values[0] == 104 ? 'B' : 'C';
    bool shifted = false;
    for (size_t i = 1; i + 2 < values.size(); ++i) {
        const int v = values[i];
        const char now = shifted ? (set == 'A' ? 'B' : 'A') : set;
        shifted = false;
        if (now == 'C' && v < 100)
            text += QString::asprintf("%02d", v);
        else if (v == 98 && now != 'C')
            shifted = true;
        else if (v == 99)
            set = 'C';
        else if (v == 100 && now != 'B')
            set = 'B';
        else if (v == 101 && now != 'A')
            set = 'A';
        else if (v < 64)
            text += QChar(v + 32);
        else if (v < 96)
            text += QChar(now == 'A' ? v - 64 : v + 32);
    }
    return text;
}

// ---- What a decoder reads back --------------------------------------------

TEST(BarCodeDrawing, PaintedSymbolsDecodeToTheirData)
{
    if (zbar().isEmpty())
        GTEST_SKIP() << "zbarimg is not installed";
    struct Case
    {
        T type;
        QString data, addOn;
        QStringList expected; // UPC-A and UPC-E come back in 13-digit form
    } cases[] = {
        {T::bcUPC_A, u"03600029145"_s, {}, {u"0036000291452"_s}},
        {T::bcUPC_E, u"012345"_s, {}, {u"0001234000057"_s}},
        {T::bcEAN_13, u"400638133393"_s, {}, {u"4006381333931"_s}},
        {T::bcEAN_13, u"400638133393"_s, u"12"_s, {u"4006381333931"_s, u"12"_s}},
        {T::bcEAN_13, u"001234567890"_s, u"12345"_s, {u"0012345678905"_s, u"12345"_s}},
        {T::bcEAN_8, u"9638507"_s, {}, {u"96385074"_s}},
        {T::bcInt2of5, u"0123456"_s, {}, {u"01234565"_s}},
        {T::bcCode39, u"ZARVELLO-42"_s, {}, {u"ZARVELLO-42"_s}},
        {T::bcCodabar, u"A40156B"_s, {}, {u"A40156B"_s}},
        {T::bcCode128, u"1234 abcd"_s, {}, {u"1234 abcd"_s}},
        {T::bcCode128, u"Hello, World 2026!"_s, {}, {u"Hello, World 2026!"_s}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.data.toStdString() + "+" + c.addOn.toStdString());
        auto cmd = command(c.type, c.data, c.addOn);
        QStringList got = decode(render(*cmd, 300, 60));
        got.sort();
        QStringList want = c.expected;
        want.sort();
        // Add-ons come back joined to the main symbol by some versions.
        if (got.size() == 1 && want.size() == 2)
            want = QStringList{want.join(QString())};
        EXPECT_EQ(got, want);
    }
}

// Printable ASCII through the auto-encoder, the encoder and back.
TEST(BarCodeDrawing, AutoEncodedCode128ReadsBackAsWritten)
{
    uint32_t seed = 20261207;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    std::vector<QString> samples;
    for (int i = 0; i < 300; ++i) {
        QString text;
        const int length = 1 + int(next() % 24);
        for (int k = 0; k < length; ++k)
            text += QChar(char16_t(32 + next() % 95));
        samples.push_back(text);
    }
    samples.push_back(u"00"_s);
    samples.push_back(u"A123456789012b"_s);
    for (const QString &text : samples) {
        BarCodeSymbol s;
        s.BarCodeType = T::bcCode128;
        s.Data = text;
        s.AutoEncode = true;
        s.BarWidth = 254;
        BarColumns columns;
        EncodeBarCode(s, 100, columns);
        ASSERT_TRUE(s.CodeOK) << text.toStdString();
        EXPECT_EQ(decodeCode128Columns(columns.view()), text);
    }
    if (zbar().isEmpty())
        return;
    for (size_t i = 0; i < samples.size(); i += 37) {
        auto cmd = command(T::bcCode128, samples[i]);
        cmd->SetPrintHumanReadable(false);
        EXPECT_EQ(decode(render(*cmd, 300, 60)), QStringList{samples[i]}) << samples[i].toStdString();
    }
}

// ---- Geometry ---------------------------------------------------------------

TEST(BarCodeDrawing, TheFourOrientationsAreRotationsOfLeftToRight)
{
    const std::pair<T, QString> symbols[] = {{T::bcEAN_13, u"400638133393"_s},
                                             {T::bcInt2of5, u"0123456"_s},
                                             {T::bcPostnet, u"12345"_s},
                                             {T::bcCode39, u"AB"_s},
                                             {T::bcFIM, u"C"_s}};
    for (const auto &[type, data] : symbols) {
        SCOPED_TRACE(int(type));
        auto cmd = command(type, data, type == T::bcEAN_13 ? u"12"_s : QString());
        cmd->SetPrintHumanReadable(false);
        cmd->SetBearerBars(type == T::bcInt2of5);
        cmd->SetColor(0x00FFFF);
        const QImage straight = render(*cmd, 200, 3);
        const std::pair<O, int> turns[] = {{O::orRightToLeft, 180}, {O::orTopToBottom, 90}, {O::orBottomToTop, 270}};
        for (const auto &[orientation, degrees] : turns) {
            cmd->SetOrientation(orientation);
            EXPECT_EQ(render(*cmd, 200, 3), straight.transformed(QTransform().rotate(degrees))) << int(orientation);
        }
    }
}

TEST(BarCodeDrawing, AutoSizedHeights)
{
    QImage probe = blankImage(1, 1, 600);
    gfx::Canvas canvas(&probe);
    // Postnet is an eighth of an inch whatever the command's height says.
    auto postnet = command(T::bcPostnet, u"12345"_s);
    postnet->SetPrintHumanReadable(false);
    postnet->SetHeight(50000);
    postnet->CalculateSize(canvas, {600, 600});
    EXPECT_EQ(postnet->SymbolHeight(), 75);
    postnet->CalculateSize(canvas, {600, 96});
    EXPECT_EQ(postnet->SymbolHeight(), 12);
    // A tiny symbol is never less than five pixels high.
    auto tiny = command(T::bcCode128, u"1"_s);
    tiny->SetPrintHumanReadable(false);
    tiny->SetBarWidth(102); // 0.004 inch
    tiny->CalculateSize(canvas, {72, 72});
    EXPECT_EQ(tiny->SymbolHeight(), 5);
    // Without AutoSize the command's height holds, text included.
    tiny->SetAutoSize(false);
    tiny->SetHeight(25400);
    tiny->CalculateSize(canvas, {72, 72});
    EXPECT_EQ(tiny->SymbolHeight(), 72);
}

TEST(BarCodeDrawing, TextTooWideShrinksTheFontDownToOnePoint)
{
    QImage probe = blankImage(1, 1, 72);
    gfx::Canvas canvas(&probe);
    // Modules of 0.004 inch round to nothing at 72 dpi: no digit fits.
    auto narrow = command(T::bcUPC_A, u"01234567890"_s);
    narrow->SetBarWidth(102);
    narrow->CalculateSize(canvas, {72, 72});
    EXPECT_EQ(narrow->Font()->Size(), 1);
    // Ten digits in 36 modules of 0.013 inch: 5 digits in 0.468 inch.
    auto upc = command(T::bcUPC_A, u"01234567890"_s);
    upc->CalculateSize(canvas, {72, 72});
    EXPECT_GT(upc->Font()->Size(), 4);
    QImage probe300 = blankImage(1, 1, 300);
    gfx::Canvas canvas300(&probe300);
    // The size the symbol suggests is a quarter of its height in points,
    // far too wide for these blanks: the largest size that fits is kept.
    auto code39 = command(T::bcCode39, u"ABC"_s + QString(40, u' ') + u"D"_s);
    code39->CalculateSize(canvas300, {300, 300});
    EXPECT_LT(code39->Font()->Size(), ppRound(code39->SymbolHeight() * 96.0 / 300 * 0.25));
    EXPECT_LE(canvas300.TextWidth(QStringView(u"0")) * code39->Data().size(), code39->SymbolWidth());
    gfx::Font bigger = canvas300.font();
    bigger.size += 1;
    canvas300.setFont(bigger);
    EXPECT_GT(canvas300.TextWidth(QStringView(u"0")) * code39->Data().size(), code39->SymbolWidth());
}

// ---- Screen copies ------------------------------------------------------------

TEST(BarCodeDrawing, TransparentScreenCopyLetsThePageShowThrough)
{
    for (bool transparent : {false, true}) {
        auto cmd = command(T::bcCode39, u"A"_s);
        cmd->SetTransparent(transparent);
        cmd->SetPrintHumanReadable(false);
        QImage page = blankImage(400, 200, 96);
        page.fill(QColor(0x33, 0x99, 0x33));
        gfx::Canvas canvas(&page);
        ASSERT_TRUE(cmd->DrawToScreen(canvas, 96, [&] {
            rtl::TRect r = cmd->DrawRect();
            r.Left += 10, r.Right += 10, r.Top += 10, r.Bottom += 10;
            return r;
        }));
        EXPECT_EQ(cmd->DrawRect().Right, cmd->SymbolWidth() + 10);
        // The first bar starts at the symbol's left edge, the first space
        // right after its single narrow module.
        EXPECT_EQ(page.pixelColor(10, 15), QColor(Qt::black));
        EXPECT_EQ(page.pixelColor(11, 15), transparent ? QColor(0x33, 0x99, 0x33) : QColor(Qt::white));
        EXPECT_EQ(page.pixelColor(5, 15), QColor(0x33, 0x99, 0x33));
    }
}

// The small last digit of UPC-A and UPC-E stands past the symbol: the
// screen shows it as paper does and leaves the page around it alone.
TEST(BarCodeDrawing, TheLastUPCDigitShowsOnScreenAsOnPaper)
{
    const QColor pale(0xEE, 0xEE, 0x99);
    for (auto [type, data] : {std::pair{T::bcUPC_A, u"01234567890"_s}, {T::bcUPC_E, u"012345"_s}}) {
        auto cmd = command(type, data);
        QImage page = blankImage(300, 200, 120);
        page.fill(pale);
        gfx::Canvas canvas(&page);
        ASSERT_TRUE(cmd->DrawToScreen(canvas, 120, [&] { return cmd->DrawRect(); }));
        const int w = cmd->DrawRect().Right;
        int dark = 0;
        for (int x = w; x < page.width(); ++x)
            for (int y = 0; y < page.height(); ++y)
                dark += qGray(page.pixel(x, y)) < 128;
        EXPECT_GT(dark, 0) << int(type);
        EXPECT_EQ(page.pixelColor(w, 0), pale);
    }
}

// ---- Invalid data and errors -----------------------------------------------

TEST(BarCodeDrawing, InvalidDataPaintsOnlyTheBackgroundAndIsReportedOnce)
{
    QStringList shown;
    ScopedDialogServices services(
        {{}, [&shown](const TppMessageRequest &aRequest) { return shown.append(aRequest.text), 1; }});
    auto cmd = command(T::bcCode128, QChar(code128::START_A) + u"ab"_s);
    cmd->SetAutoEncode(false);
    const QImage image = render(*cmd, 100, 2);
    render(*cmd, 100, 2);
    QCoreApplication::processEvents();
    EXPECT_FALSE(cmd->CodeOK());
    EXPECT_EQ(shown.size(), 1);
    for (int x = 0; x < image.width(); ++x)
        EXPECT_EQ(image.pixelColor(x, 1), QColor(Qt::white));
    // On the printer the same error stays silent.
    auto printed = command(T::bcCode128, QChar(code128::START_C) + u"123"_s);
    printed->SetAutoEncode(false);
    QImage page = blankImage(300, 100, 300);
    gfx::Canvas canvas(&page);
    EXPECT_TRUE(printed->DrawToPrinter(canvas, {0, 0, 300, 100}, {300, 300}));
    QCoreApplication::processEvents();
    EXPECT_FALSE(printed->CodeOK());
    EXPECT_EQ(shown.size(), 1);
}

TEST(BarCodeDrawing, ADeviceThatIsNeitherPrinterNorScreenDrawsNothing)
{
    TppDevice device;
    auto cmd = command(T::bcCode39, u"A"_s);
    EXPECT_FALSE(cmd->Draw(&device));
}

TEST(BarCodeDrawing, AssignCopiesTheSettingsButNotTheMeasure)
{
    auto source = command(T::bcEAN_8, u"9638507"_s, u"12"_s);
    source->SetOrientation(O::orBottomToTop);
    source->SetBarColor(0x123456);
    source->SetWideBarRatio(2.5f);
    source->SetCodeOK(false);
    source->SetAlignment(classes::TAlignment::taCenter);
    source->Font()->SetSize(17);
    source->Encode(300);
    TppDrawBarCode copy;
    copy.Assign(source.get());
    EXPECT_EQ(copy.BarCodeType(), T::bcEAN_8);
    EXPECT_EQ(copy.Data(), source->Data());
    EXPECT_EQ(copy.AddOnCode(), u"12"_s);
    EXPECT_EQ(copy.Orientation(), O::orBottomToTop);
    EXPECT_EQ(copy.BarColor(), 0x123456u);
    EXPECT_EQ(copy.WideBarRatio(), 2.5f);
    EXPECT_FALSE(copy.CodeOK());
    EXPECT_EQ(copy.Alignment(), classes::TAlignment::taCenter);
    EXPECT_EQ(copy.Font()->Size(), 17);
    EXPECT_TRUE(copy.AddOnColumns().empty());
}

// ---- Hostile settings -----------------------------------------------------

TEST(BarCodeDrawing, ExtremeSettingsNeitherCrashNorHang)
{
    QImage page = blankImage(2000, 2000, 2400);
    gfx::Canvas canvas(&page);
    for (T type : {T::bcCode39, T::bcCode128}) {
        auto huge = command(type, QString(100000, u'7'));
        EXPECT_TRUE(huge->DrawToPrinter(canvas, {0, 0, 2000, 2000}, {2400, 2400}));
        EXPECT_TRUE(huge->Columns().empty());
        QImage screen = blankImage(200, 200, 96);
        gfx::Canvas screenCanvas(&screen);
        EXPECT_TRUE(huge->DrawToScreen(screenCanvas, 96));
    }
    QImage page72 = blankImage(500, 500, 72);
    gfx::Canvas canvas72(&page72);
    for (int size : {0, 1, 4000})
        for (bool autoSize : {false, true}) {
            auto cmd = command(T::bcCode39, u"AB"_s);
            cmd->SetAutoSizeFont(false);
            cmd->Font()->SetSize(size);
            cmd->SetAutoSize(autoSize);
            cmd->SetHeight(autoSize ? 0 : -500);
            EXPECT_TRUE(cmd->DrawToPrinter(canvas72, {0, 0, 500, 500}, {72, 72}));
        }
    for (int32_t width : {0, -5, 102, 2540, INT32_MAX})
        for (float ratio : {1e-6f, 1e6f}) {
            auto cmd = command(T::bcInt2of5, u"0123456"_s);
            cmd->SetBarWidth(width);
            cmd->SetWideBarRatio(ratio);
            cmd->SetBearerBars(true);
            EXPECT_TRUE(cmd->DrawToPrinter(canvas, {0, 0, 2000, 2000}, {2400, 2400}));
        }
}

} // namespace
