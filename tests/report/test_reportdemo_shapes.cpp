// reportdemo's shapes sample printed into PDF (read back at 96 dpi) and drawn
// by the screen device at 100 %: every shape, line band and picture where
// the sample's geometry puts it, within a pixel, and the metafiles' text
// reaching the PDF as text.

#include "ShapesSample.h"

#include "report/content/graphics/Graphics.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using reportdemo::ShapesSampleItem;

namespace {

constexpr double shapesTestMargin = 10.0 / 25.4 * 96; // 10 mm at 96 dpi

bool shapesTestInk(QRgb aPixel)
{
    return qRed(aPixel) + qGreen(aPixel) + qBlue(aPixel) < 3 * 230;
}

// The box of the ink inside a region of the page.
QRect shapesTestInked(const QImage &aPage, const QRect &aRegion)
{
    QRect box;
    const QRect region = aRegion.intersected(aPage.rect());
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (shapesTestInk(aPage.pixel(x, y)))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

// Where the item's ink should be, in pixels of its box.
QRect shapesTestExpected(const ShapesSampleItem &aItem)
{
    const QRect box(QPoint(0, 0), aItem.box.size());
    switch (aItem.kind) {
    case ShapesSampleItem::Kind::Shape: {
        const report::TppShapeGeometry g =
            report::ppShapeGeometry(classes::TShapeType(aItem.shape), box.width(), box.height(), aItem.pen);
        const int half = aItem.pen / 2;
        return QRect(QPoint(g.x1 - half, g.y1 - half), QPoint(g.x2 + half - 1, g.y2 + half - 1));
    }
    case ShapesSampleItem::Kind::Line: {
        const int n = std::max(1, int(std::lround(96 * aItem.weight / 72)));
        const int depth = aItem.doubled ? 4 * n : n;
        switch (aItem.position) {
        case 0: return QRect(0, 0, box.width(), depth);
        case 1: return QRect(0, box.height() - depth, box.width(), depth);
        case 2: return QRect(0, 0, depth, box.height());
        default: return QRect(box.width() - depth, 0, depth, box.height());
        }
    }
    case ShapesSampleItem::Kind::Picture: return box;
    }
    return box;
}

void shapesTestProbe(const QImage &aPage, QPointF aOrigin, const char *aWhere)
{
    for (const ShapesSampleItem &item : reportdemo::ShapesSampleItems()) {
        const QPoint at = (aOrigin + QPointF(item.box.topLeft())).toPoint();
        const QRect inked = shapesTestInked(aPage, QRect(at, item.box.size()).adjusted(-3, -3, 3, 3));
        QRect expected = shapesTestExpected(item).translated(at);
        // A double line's gap is twice its width: the ink reaches 3n.
        if (item.kind == ShapesSampleItem::Kind::Line && item.doubled) {
            const int n = std::max(1, int(std::lround(96 * item.weight / 72)));
            if (item.position == 0)
                expected.setHeight(3 * n);
            else if (item.position == 1)
                expected.setTop(expected.bottom() - 3 * n + 1);
            else if (item.position == 2)
                expected.setWidth(3 * n);
            else
                expected.setLeft(expected.right() - 3 * n + 1);
        }
        SCOPED_TRACE(testing::Message() << aWhere << " item at " << item.box.x() << "," << item.box.y());
        ASSERT_FALSE(inked.isEmpty());
        EXPECT_NEAR(inked.left(), expected.left(), 1);
        EXPECT_NEAR(inked.top(), expected.top(), 1);
        EXPECT_NEAR(inked.right(), expected.right(), 1);
        EXPECT_NEAR(inked.bottom(), expected.bottom(), 1);
        if (item.kind == ShapesSampleItem::Kind::Picture) {
            const QColor centre =
                QColor::fromRgb(aPage.pixel(at + QPoint(item.box.width() / 2, item.box.height() * 3 / 4)));
            EXPECT_NEAR(centre.red(), item.color.red(), 24) << item.format.toStdString();
            EXPECT_NEAR(centre.green(), item.color.green(), 24) << item.format.toStdString();
            EXPECT_NEAR(centre.blue(), item.color.blue(), 24) << item.format.toStdString();
        }
    }
}

// The detail bands' pictures on the pages below the title: each 80 x 60.
int shapesTestDetailPictures(const QImage &aPage, QPointF aOrigin, int aFromY)
{
    int count = 0;
    const int x = int(aOrigin.x()) + reportdemo::ShapesSampleDetailBox.x() + 40;
    int y = aFromY;
    // Down to the bottom margin: the viewer's grey lies beyond.
    const int end = std::min(aPage.height(), int(aOrigin.y() + 297.0 / 25.4 * 96 - 2 * shapesTestMargin));
    while (y < end) {
        if (!shapesTestInk(aPage.pixel(x, y))) {
            ++y;
            continue;
        }
        const QRect box = shapesTestInked(aPage, QRect(int(aOrigin.x()) - 3, y, 90, 66));
        EXPECT_NEAR(box.width(), 80, 2) << y;
        EXPECT_NEAR(box.height(), 60, 2) << y;
        ++count;
        y = box.bottom() + 2;
    }
    return count;
}

class ReportdemoShapes : public ::testing::Test
{
protected:
    bool run(const QString &aProgram, const QStringList &aArguments, const QStringList &aEnvironment = {})
    {
        QProcess process;
        // Under the sanitizers the leak checker's tracer stumbles over the
        // thread storage of the image plug-ins the program loads, and the
        // child would end in its fatal error; the child is checked for
        // everything else.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (environment.contains("ASAN_OPTIONS"))
            environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
        for (const QString &setting : aEnvironment)
            environment.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
        process.setProcessEnvironment(environment);
        process.start(aProgram, aArguments);
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            ADD_FAILURE() << aProgram.toStdString() << ": " << process.readAllStandardError().toStdString();
            return false;
        }
        return true;
    }
    QString data() const { return QStringLiteral(ZVO_SOURCE_ROOT "/tools/reportdemo/samples/pics.csv"); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(ReportdemoShapes, TheScreenDeviceDrawsEveryItemWhereTheSamplePutsIt)
{
    const QString base = dir.filePath("s.png");
    ASSERT_TRUE(run(ZVO_REPORTDEMO, {"--report", "shapes", "--data", data(), "--device", "Screen", "--out", base}));
    const QImage first(dir.filePath("s-1.png"));
    const QImage second(dir.filePath("s-2.png"));
    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(second.isNull());
    // The page lies 24 pixels inside the viewer's grey.
    const QPointF origin(24 + shapesTestMargin, 24 + shapesTestMargin);
    shapesTestProbe(first, origin, "screen");
    const int below = int(origin.y()) + 530 + 2;
    EXPECT_EQ(
        shapesTestDetailPictures(first, origin, below) + shapesTestDetailPictures(second, origin, int(origin.y())), 8);
}

TEST_F(ReportdemoShapes, ThePdfPrinterPrintsEveryItemWhereTheSamplePutsItAndTheMetafilesText)
{
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftoppm.isEmpty() || pdftotext.isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    const QString pdf = dir.filePath("s.pdf");
    ASSERT_TRUE(run(ZVO_REPORTDEMO, {"--report", "shapes", "--data", data(), "--pdf", pdf}));
    ASSERT_TRUE(run(pdftoppm, {"-r", "96", "-aa", "no", "-aaVector", "no", "-png", pdf, dir.filePath("p")}));
    const QImage first(dir.filePath("p-1.png"));
    ASSERT_FALSE(first.isNull());
    const QPointF origin(shapesTestMargin, shapesTestMargin);
    shapesTestProbe(first, origin, "pdf");
    const QImage second(dir.filePath("p-2.png"));
    EXPECT_EQ(shapesTestDetailPictures(first, origin, int(origin.y()) + 530 + 2) +
                  shapesTestDetailPictures(second, origin, int(origin.y())),
              8);

    QProcess text;
    text.start(pdftotext, {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(words.contains("WMF")) << words.toStdString();
    EXPECT_TRUE(words.contains("EMF")) << words.toStdString();
}

// The screen the report is printed from plays no part in the page: the
// metafiles' text too is hinted the same at every scale.
TEST_F(ReportdemoShapes, ThePrintedPageIsTheSameAtEveryScreenScale)
{
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftoppm.isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    QList<QImage> pages;
    for (const char *scale : {"1", "2"}) {
        const QString pdf = dir.filePath(QStringLiteral("scale%1.pdf").arg(scale));
        ASSERT_TRUE(run(ZVO_REPORTDEMO, {"--report", "shapes", "--data", data(), "--pdf", pdf},
                        {QStringLiteral("QT_SCALE_FACTOR=%1").arg(scale)}));
        const QString png = dir.filePath(QStringLiteral("scale%1").arg(scale));
        ASSERT_TRUE(run(pdftoppm, {"-r", "150", "-f", "1", "-l", "1", "-aa", "no", "-aaVector", "no", "-png",
                                   "-singlefile", pdf, png}));
        pages.append(QImage(png + QStringLiteral(".png")));
        ASSERT_FALSE(pages.back().isNull()) << scale;
    }
    ASSERT_EQ(pages[0].size(), pages[1].size());
    int differing = 0;
    for (int y = 0; y < pages[0].height(); ++y)
        for (int x = 0; x < pages[0].width(); ++x)
            differing += pages[0].pixel(x, y) != pages[1].pixel(x, y);
    EXPECT_EQ(differing, 0);
}
