#include "tests/support/report/MetafileWriter.h"

#include "report/content/drawcommands/DrawImage.h"
#include "report/model/base/Units.h"
#include "report/output/screen/CommandRenderer.h"

#include "platform/classes/Picture.h"
#include "platform/classes/Streams.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/MetafilePlayer.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#ifdef ZVO_HAVE_QT_SVG
#include <QSvgRenderer>
#endif

using reporttest::MetafileWriter;

namespace {

using Format = MetafileWriter::Format;

// Red rectangle, blue ellipse, green polyline, black text and a yellow
// bitmap, each in a region of its own of a 200 x 100 picture.
QByteArray metafileFixture(Format aFormat)
{
    MetafileWriter w(aFormat, 200, 100);
    // A grey frame round the whole picture: libwmf crops to what is drawn.
    w.Pen(0x808080, 1);
    w.Brush(0, 1);
    w.Rectangle(QRect(0, 0, 200, 100));
    w.Pen(0, 0, 5);
    w.Brush(0x0000FF);
    w.Rectangle(QRect(20, 10, 40, 30));
    w.Pen(0xFF0000, 1);
    w.Brush(0xFF0000);
    w.Ellipse(QRect(100, 10, 40, 30));
    w.Pen(0x00C000, 1);
    w.Polyline({QPoint(160, 10), QPoint(190, 10), QPoint(190, 40)});
    w.Font(20, "Liberation Sans");
    w.TextColor(0);
    w.Text(20, 60, "Metafile");
    QImage yellow(16, 8, QImage::Format_RGB32);
    yellow.fill(QColor(255, 255, 0));
    w.Bitmap(QRect(150, 60, 32, 16), yellow);
    return w.Bytes();
}

QImage metafilePlayed(const QByteArray &aBytes, QSize aSize)
{
    QImage image(aSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    gfx::PlayMetafile(painter, aBytes, QRectF(QPointF(0, 0), QSizeF(aSize)));
    return image;
}

// The box of the pixels near a colour inside a region of the picture.
QRect metafileBox(const QImage &aImage, QRect aRegion, QColor aColor, int aTolerance = 60)
{
    QRect box;
    aRegion = aRegion.intersected(aImage.rect());
    for (int y = aRegion.top(); y <= aRegion.bottom(); ++y)
        for (int x = aRegion.left(); x <= aRegion.right(); ++x) {
            const QColor c = QColor::fromRgb(aImage.pixel(x, y));
            if (std::abs(c.red() - aColor.red()) + std::abs(c.green() - aColor.green()) +
                    std::abs(c.blue() - aColor.blue()) <=
                aTolerance)
                box = box.united(QRect(x, y, 1, 1));
        }
    return box;
}

void expectNear(const QRect &aOurs, const QRect &aOracle, int aSlack, const char *aWhat)
{
    ASSERT_FALSE(aOracle.isEmpty()) << aWhat;
    ASSERT_FALSE(aOurs.isEmpty()) << aWhat;
    EXPECT_NEAR(aOurs.left(), aOracle.left(), aSlack) << aWhat;
    EXPECT_NEAR(aOurs.top(), aOracle.top(), aSlack) << aWhat;
    EXPECT_NEAR(aOurs.right(), aOracle.right(), aSlack) << aWhat;
    EXPECT_NEAR(aOurs.bottom(), aOracle.bottom(), aSlack) << aWhat;
}

// The fixture's shapes in our playing and an oracle's picture of one size.
void compareWithOracle(const QImage &aOracle, const QByteArray &aBytes)
{
    const QImage ours = metafilePlayed(aBytes, aOracle.size());
    const double sx = aOracle.width() / 200.0;
    const double sy = aOracle.height() / 100.0;
    const auto region = [&](int l, int t, int r, int b) {
        return QRect(QPoint(int(l * sx), int(t * sy)), QPoint(int(r * sx), int(b * sy)));
    };
    expectNear(metafileBox(ours, region(0, 0, 90, 50), Qt::red), metafileBox(aOracle, region(0, 0, 90, 50), Qt::red), 1,
               "rectangle");
    expectNear(metafileBox(ours, region(90, 0, 150, 50), Qt::blue),
               metafileBox(aOracle, region(90, 0, 150, 50), Qt::blue), 1, "ellipse");
    expectNear(metafileBox(ours, region(150, 0, 200, 50), QColor(0, 192, 0)),
               metafileBox(aOracle, region(150, 0, 200, 50), QColor(0, 192, 0)), 2, "polyline");
    expectNear(metafileBox(ours, region(140, 55, 200, 100), Qt::yellow),
               metafileBox(aOracle, region(140, 55, 200, 100), Qt::yellow), 1, "bitmap");
    // Text: its box where the two fonts differ least, its start and height.
    const QRect ourText = metafileBox(ours, region(0, 55, 140, 100), Qt::black, 200);
    const QRect oracleText = metafileBox(aOracle, region(0, 55, 140, 100), Qt::black, 200);
    ASSERT_FALSE(oracleText.isEmpty());
    EXPECT_NEAR(ourText.left(), oracleText.left(), 2 * sx + 1);
    EXPECT_NEAR(ourText.height(), oracleText.height(), 3 * sy + 1);
}

class MetafileFiles : public ::testing::Test
{
protected:
    QString write(const QByteArray &aBytes, const QString &aName)
    {
        const QString path = dir.filePath(aName);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(aBytes);
        return path;
    }
    QTemporaryDir dir;
};

} // namespace

TEST(Metafiles, HeadersGiveTheKindAndTheSizeAtScreenResolution)
{
    const gfx::MetafileInfo placeable = gfx::ReadMetafileInfo(metafileFixture(Format::PlaceableWmf));
    EXPECT_EQ(placeable.kind, gfx::MetafileKind::PlaceableWmf);
    EXPECT_EQ(placeable.width, 200);
    EXPECT_EQ(placeable.height, 100);
    const gfx::MetafileInfo plain = gfx::ReadMetafileInfo(metafileFixture(Format::Wmf));
    EXPECT_EQ(plain.kind, gfx::MetafileKind::Wmf);
    EXPECT_EQ(plain.width, 200);
    const gfx::MetafileInfo emf = gfx::ReadMetafileInfo(metafileFixture(Format::Emf));
    EXPECT_EQ(emf.kind, gfx::MetafileKind::Emf);
    EXPECT_NEAR(emf.width, 200, 1);
    EXPECT_NEAR(emf.height, 100, 1);
    EXPECT_EQ(gfx::ReadMetafileInfo(QByteArray("BM not a metafile at all, not at all")).kind, gfx::MetafileKind::None);
}

TEST(Metafiles, EachFormatDrawsTheFixtureWhereItsRecordsSay)
{
    for (Format format : {Format::PlaceableWmf, Format::Wmf, Format::Emf}) {
        SCOPED_TRACE(int(format));
        const QImage image = metafilePlayed(metafileFixture(format), QSize(400, 200));
        const QRect rect = metafileBox(image, QRect(0, 0, 180, 100), Qt::red);
        EXPECT_NEAR(rect.left(), 40, 1);
        EXPECT_NEAR(rect.top(), 20, 1);
        EXPECT_NEAR(rect.width(), 80, 2);
        const QRect bitmap = metafileBox(image, QRect(280, 110, 120, 90), Qt::yellow);
        EXPECT_NEAR(bitmap.left(), 300, 1);
        EXPECT_NEAR(bitmap.width(), 64, 2);
        EXPECT_FALSE(metafileBox(image, QRect(0, 110, 280, 90), Qt::black, 200).isEmpty());
    }
}

TEST(Metafiles, StatesAndObjectsComeBackAndBadRecordsArePassedOver)
{
    MetafileWriter w(Format::Emf, 100, 100);
    w.Brush(0x0000FF);
    w.SaveDC();
    w.Brush(0xFF0000);
    w.RestoreDC();
    w.Raw(37, QByteArray::fromHex("ff000000"));             // an object beyond the table
    w.Raw(43, QByteArray::fromHex("0a000000"));             // a rectangle cut short
    w.Raw(34, QByteArray::fromHex("9cffffff"));             // restoring states never saved
    w.Raw(75, QByteArray::fromHex("00010000050000000000")); // a region longer than its record
    w.Pen(0, 0, 5);
    w.Rectangle(QRect(10, 10, 30, 30));
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const gfx::MetafilePlayStats stats = gfx::PlayMetafile(painter, w.Bytes(), QRectF(0, 0, 100, 100));
    painter.end();
    EXPECT_EQ(QColor::fromRgb(image.pixel(20, 20)), QColor(Qt::red));
    EXPECT_EQ(stats.skipped, 4);
}

TEST(Metafiles, APictureKeepsTheBytesAndStreamsAsAMetafile)
{
    const QByteArray bytes = metafileFixture(Format::Emf);
    classes::TMetafile metafile;
    metafile.LoadFromBytes(bytes);
    EXPECT_TRUE(metafile.Enhanced());
    EXPECT_NEAR(metafile.Width(), 200, 1);
    EXPECT_EQ(metafile.Image().width(), metafile.Width());
    classes::TPicture picture;
    picture.SetGraphic(&metafile);
    EXPECT_NEAR(picture.Width(), 200, 1);
    classes::TMemoryStream stream;
    picture.WriteData(stream);
    stream.SetPosition(0);
    classes::TPicture copy;
    copy.ReadData(stream);
    auto *read = dynamic_cast<classes::TMetafile *>(copy.Graphic());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Bytes(), bytes);
    // The copy shares the bytes rather than holding its own.
    EXPECT_EQ(dynamic_cast<classes::TGraphic *>(picture.Graphic())->Bytes().constData(), metafile.Bytes().constData());

    classes::TMetafile empty;
    EXPECT_THROW(empty.LoadFromBytes(QByteArray(200, '\0')), std::exception);
}

TEST_F(MetafileFiles, AWmfDrawsWithinAPixelOfLibwmf)
{
    const QString tool = QStandardPaths::findExecutable("wmf2gd");
    if (tool.isEmpty())
        GTEST_SKIP() << "wmf2gd (libwmf-bin) is not installed";
    const QByteArray bytes = metafileFixture(Format::PlaceableWmf);
    const QString source = write(bytes, "fixture.wmf");
    const QString png = dir.filePath("oracle.png");
    QProcess process;
    process.start(tool, {"--maxwidth=400", "--maxheight=200", "--maxsize", "-o", png, source});
    ASSERT_TRUE(process.waitForFinished(30000));
    QImage oracle(png);
    ASSERT_FALSE(oracle.isNull()) << process.readAllStandardError().toStdString();
    oracle = oracle.convertToFormat(QImage::Format_RGB32);
    compareWithOracle(oracle, bytes);
}

TEST_F(MetafileFiles, AnEmfDrawsWithinAPixelOfEmf2svg)
{
#ifndef ZVO_HAVE_QT_SVG
    GTEST_SKIP() << "Qt SVG is not installed";
#else
    const QString tool = QStandardPaths::findExecutable("emf2svg-conv");
    if (tool.isEmpty())
        GTEST_SKIP() << "emf2svg-conv (emf2svg) is not installed";
    const QByteArray bytes = metafileFixture(Format::Emf);
    const QString source = write(bytes, "fixture.emf");
    const QString svg = dir.filePath("oracle.svg");
    QProcess process;
    process.start(tool, {"-i", source, "-o", svg});
    ASSERT_TRUE(process.waitForFinished(30000));
    QSvgRenderer renderer(svg);
    ASSERT_TRUE(renderer.isValid()) << process.readAllStandardError().toStdString();
    QImage oracle(400, 200, QImage::Format_RGB32);
    oracle.fill(Qt::white);
    QPainter painter(&oracle);
    // Its size is the bounds' (199 x 99), its units the picture's.
    painter.scale(2, 2);
    renderer.render(&painter, QRectF(QPointF(0, 0), renderer.defaultSize()));
    painter.end();
    compareWithOracle(oracle, bytes);
#endif
}

TEST(Metafiles, ArcsChordsPiesAndPolyPolygonsKeepToTheirFigures)
{
    const auto box = [](int l, int t, int r, int b) {
        QByteArray p;
        for (int v : {l, t, r, b})
            p.append(reinterpret_cast<const char *>(&v), 4);
        return p;
    };
    const auto point = [](int x, int y) {
        QByteArray p;
        p.append(reinterpret_cast<const char *>(&x), 4);
        p.append(reinterpret_cast<const char *>(&y), 4);
        return p;
    };
    MetafileWriter w(Format::Emf, 100, 100);
    w.Pen(0, 0, 5);
    w.Brush(0x0000FF);
    // A pie of the upper right quarter of the circle in the left half.
    w.Raw(47, box(0, 0, 50, 50) + point(50, 25) + point(25, 0));
    // Two 16-bit squares as one poly-polygon in the lower half.
    QByteArray squares = box(0, 60, 100, 100);
    const int32_t polygons = 2;
    const int32_t total = 8;
    const int32_t four = 4;
    squares.append(reinterpret_cast<const char *>(&polygons), 4);
    squares.append(reinterpret_cast<const char *>(&total), 4);
    squares.append(reinterpret_cast<const char *>(&four), 4);
    squares.append(reinterpret_cast<const char *>(&four), 4);
    for (int16_t v : {10, 60, 30, 60, 30, 80, 10, 80, 60, 60, 80, 60, 80, 80, 60, 80})
        squares.append(reinterpret_cast<const char *>(&v), 2);
    w.Raw(91, squares);
    const QImage image = metafilePlayed(w.Bytes(), QSize(100, 100));
    EXPECT_EQ(QColor::fromRgb(image.pixel(35, 15)), QColor(Qt::red));   // inside the pie
    EXPECT_EQ(QColor::fromRgb(image.pixel(15, 35)), QColor(Qt::white)); // the rest of the circle
    EXPECT_EQ(QColor::fromRgb(image.pixel(20, 70)), QColor(Qt::red));
    EXPECT_EQ(QColor::fromRgb(image.pixel(70, 70)), QColor(Qt::red));
    EXPECT_EQ(QColor::fromRgb(image.pixel(45, 70)), QColor(Qt::white));
}

TEST(Metafiles, AbsurdClaimsStayWithinTheirLimits)
{
    const auto i32s = [](std::initializer_list<int64_t> values) {
        QByteArray p;
        for (int64_t v : values) {
            const int32_t w = int32_t(v);
            p.append(reinterpret_cast<const char *>(&w), 4);
        }
        return p;
    };
    MetafileWriter w(Format::Emf, 100, 100);
    // A million saved states, of which the player keeps its limit.
    for (int i = 0; i < 1000000; ++i)
        w.SaveDC();
    // An object at the end of the largest table and one beyond it.
    w.ReserveObjects(65535);
    w.Raw(39, i32s({65534, 0, 0x00FF00, 0}));
    w.Raw(37, i32s({65534}));
    w.Raw(39, i32s({70000, 0, 0x0000FF, 0}));
    // A polygon claiming ten million points it does not hold.
    w.Raw(3, i32s({0, 0, 10, 10, 10000000, 1, 1, 2, 2}));
    // A bitmap claiming 2^31 pixels.
    QByteArray dib = i32s({40, 65536, 32768}) + QByteArray::fromHex("01001800") + i32s({0, 0, 0, 0, 0, 0});
    w.Raw(81, i32s({0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 80, 40, 120, 0, 0, 0x00CC0020, 10, 10}) + dib);
    // A stretched blit whose source claims sizes at the ends of the range.
    w.Raw(77, i32s({0, 0, 0, 0, 0, 0, 10, 10, 0x00CC0020, -1936946036, -1936946036, 0,          0,
                    0, 0, 0, 0, 0, 0, 0,  0,  0,          0,           -1936946036, -1936946036}));
    // Coordinates at the ends of the Integer range, for an ellipse (which
    // the raster engine's own routine would walk row by row) and a
    // rectangle.
    w.Pen(0, 0, 5);
    w.Raw(42, i32s({-2147483647, -1073741824, 2147483647, 1073741824}));
    w.Raw(43, i32s({-2147483647, -2147483647, 2147483647, 2147483647}));
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const gfx::MetafilePlayStats stats = gfx::PlayMetafile(painter, w.Bytes(), QRectF(0, 0, 100, 100));
    painter.end();
    EXPECT_GE(stats.records, 1000000);
    // The states beyond the limit, the object beyond the table, the polygon
    // and the bitmap.
    EXPECT_EQ(stats.skipped, 1000000 - gfx::MetafileMaxSavedStates + 3);
    // The green brush of slot 65534 filled the huge rectangle.
    EXPECT_EQ(QColor::fromRgb(image.pixel(50, 50)), QColor(Qt::green));
}

namespace {

QByteArray metafileInts(std::initializer_list<int64_t> aValues)
{
    QByteArray p;
    for (int64_t v : aValues) {
        const int32_t w = int32_t(v);
        p.append(reinterpret_cast<const char *>(&w), 4);
    }
    return p;
}

} // namespace

TEST(Metafiles, TextTakesItsAlignmentColourAndBackground)
{
    for (int align : {0, 6, 2}) {
        MetafileWriter w(Format::Emf, 200, 60);
        w.Font(20, "Liberation Sans");
        w.TextColor(0x0000FF);
        w.Raw(22, metafileInts({align}));
        w.Text(100, 10, "MMMM");
        const QImage image = metafilePlayed(w.Bytes(), QSize(200, 60));
        const QRect box = metafileBox(image, image.rect(), Qt::red);
        ASSERT_FALSE(box.isEmpty()) << align;
        // Left: starts at the point; centred: the point halves it; right:
        // it ends there.
        if (align == 0)
            EXPECT_NEAR(box.left(), 100, 3);
        else if (align == 6)
            EXPECT_NEAR((box.left() + box.right()) / 2.0, 100, 3);
        else
            EXPECT_NEAR(box.right(), 100, 3);
    }
    // An opaque background fills the text's cell in the background colour.
    MetafileWriter w(Format::Emf, 200, 60);
    w.Font(20, "Liberation Sans");
    w.Raw(18, metafileInts({2}));
    w.Raw(25, metafileInts({0x00FF00}));
    w.Text(10, 10, "i");
    const QImage image = metafilePlayed(w.Bytes(), QSize(200, 60));
    EXPECT_FALSE(metafileBox(image, image.rect(), Qt::green).isEmpty());
}

TEST(Metafiles, ClipsComeAndGoWithTheSavedStates)
{
    MetafileWriter w(Format::Emf, 100, 100);
    w.Pen(0, 0, 5);
    w.Brush(0x0000FF);
    w.SaveDC();
    w.Raw(30, metafileInts({0, 0, 50, 100}));  // only the left half
    w.Raw(29, metafileInts({10, 10, 20, 20})); // but not this square
    w.Rectangle(QRect(0, 0, 100, 50));
    w.RestoreDC();
    w.Brush(0xFF0000);
    w.Rectangle(QRect(0, 50, 100, 50)); // the clip is gone again
    const QImage image = metafilePlayed(w.Bytes(), QSize(100, 100));
    EXPECT_EQ(QColor::fromRgb(image.pixel(30, 25)), QColor(Qt::red));
    EXPECT_EQ(QColor::fromRgb(image.pixel(70, 25)), QColor(Qt::white));
    EXPECT_EQ(QColor::fromRgb(image.pixel(15, 15)), QColor(Qt::white));
    EXPECT_EQ(QColor::fromRgb(image.pixel(70, 75)), QColor(Qt::blue));
}

TEST(Metafiles, MappingModesPlaceTheLogicalUnits)
{
    // Anisotropic: a window of 1000 x 500 units on a viewport of 100 x 100.
    MetafileWriter w(Format::Emf, 100, 100);
    w.Raw(17, metafileInts({8}));
    w.Raw(9, metafileInts({1000, 500}));
    w.Raw(11, metafileInts({100, 100}));
    w.Pen(0, 0, 5);
    w.Brush(0x0000FF);
    w.Rectangle(QRect(500, 250, 500, 250)); // the lower right quarter
    QImage image = metafilePlayed(w.Bytes(), QSize(100, 100));
    QRect box = metafileBox(image, image.rect(), Qt::red);
    EXPECT_NEAR(box.left(), 50, 1);
    EXPECT_NEAR(box.top(), 50, 1);
    EXPECT_NEAR(box.right(), 99, 1);

    // Metric: tenths of a millimetre with the y axis upwards, from an
    // origin at the bottom left.
    MetafileWriter m(Format::Emf, 100, 100);
    m.Raw(17, metafileInts({2}));
    m.Raw(12, metafileInts({0, 100}));
    m.Pen(0, 0, 5);
    m.Brush(0x0000FF);
    m.Raw(43, metafileInts({0, 0, 254, 254})); // an inch square up from the origin
    image = metafilePlayed(m.Bytes(), QSize(100, 100));
    box = metafileBox(image, image.rect(), Qt::red);
    EXPECT_NEAR(box.left(), 0, 1);
    EXPECT_NEAR(box.bottom(), 99, 1);
    EXPECT_NEAR(box.height(), 96, 2);
}

TEST(Metafiles, TheScreenDrawsAMetafileAtItsFramesSizeBeyondItsRaster)
{
    // 6,000 pixels wide, red in its first 100: more than its raster holds.
    MetafileWriter w(Format::Emf, 6000, 20);
    w.Pen(0, 0, 5);
    w.Brush(0x0000FF);
    w.Rectangle(QRect(0, 0, 100, 20));
    classes::TMetafile metafile;
    metafile.LoadFromBytes(w.Bytes());
    ASSERT_LT(metafile.Image().width(), metafile.Width());
    classes::TPicture picture;
    picture.SetGraphic(&metafile);
    for (bool direct : {true, false}) {
        report::TppDrawImage command;
        command.SetPicture(&picture);
        command.SetDirectDraw(direct);
        command.SetWidth(
            report::ppToMMThousandths(200, report::TppUnitType::utScreenPixels, report::TppAxisType::atHorizontal));
        command.SetHeight(
            report::ppToMMThousandths(20, report::TppUnitType::utScreenPixels, report::TppAxisType::atVertical));
        QImage image(200, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        gfx::Canvas canvas(&image);
        report::TppCommandRenderer renderer(canvas, report::TppRenderSettings{});
        renderer.CalcDrawRect(command);
        renderer.DrawImage(command);
        EXPECT_EQ(QColor::fromRgb(image.pixel(90, 10)), QColor(Qt::red)) << direct;
        EXPECT_EQ(QColor::fromRgb(image.pixel(110, 10)), QColor(Qt::white)) << direct;
    }
}
