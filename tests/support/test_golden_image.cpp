// The golden comparison itself: it must catch one wrong pixel, forgive what
// the tolerance allows, and rewrite a golden only when asked to.

#include "tests/support/GoldenImage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QImage picture()
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(qRgb(212, 208, 200));
    for (int x = 0; x < 20; ++x)
        image.setPixel(x, 0, qRgb(255, 255, 255));
    return image;
}

TEST(GoldenImage, OneWrongPixelCountsAndTheToleranceForgivesOnlyWhatItSays)
{
    struct Case
    {
        QRgb changed;
        zvotest::GoldenTolerance tolerance;
        bool matches;
    };
    const Case cases[] = {
        {qRgb(128, 128, 128), {}, false},     // a border pixel in another system colour
        {qRgb(255, 255, 251), {}, false},     // just past the channel tolerance
        {qRgb(252, 255, 255), {}, true},      // within it
        {qRgb(0, 0, 0), {3, 1}, true},        // one pixel allowed
        {qRgba(255, 255, 255, 0), {}, false}, // transparent is not white
    };
    for (const Case &c : cases) {
        QImage changed = picture().convertToFormat(QImage::Format_ARGB32);
        changed.setPixel(7, 0, c.changed);
        const zvotest::ImageDifference d = zvotest::compareImages(changed, picture(), c.tolerance.channel);
        EXPECT_EQ(d.pixels <= c.tolerance.pixels, c.matches) << std::hex << c.changed;
        if (d.pixels == 1) {
            EXPECT_EQ(d.area, QRect(7, 0, 1, 1));
        }
    }
    EXPECT_FALSE(zvotest::compareImages(picture(), picture().copy(0, 0, 20, 9), 3).sameSize);
}

TEST(GoldenImage, WritesFailuresToTheBuildFolderAndRewritesOnlyWhenAsked)
{
    QTemporaryDir source, work;
    ASSERT_TRUE(source.isValid() && work.isValid());
    const QString savedSource = qEnvironmentVariable("ZVO_SOURCE_DIR");
    const QString savedCurrent = QDir::currentPath();
    qputenv("ZVO_SOURCE_DIR", source.path().toLocal8Bit());
    QDir::setCurrent(work.path());
    const QString golden = QStringLiteral("goldens/strip.png");
    const QString actualOut = work.filePath("golden-output/strip.actual.png");
    const QString diffOut = work.filePath("golden-output/strip.diff.png");

    // Without a golden the comparison fails and leaves the picture to review.
    EXPECT_FALSE(zvotest::matchesGolden(picture(), golden));
    EXPECT_TRUE(QFile::exists(actualOut));
    EXPECT_FALSE(QFile::exists(source.filePath(golden)));

    qputenv("ZVO_UPDATE_GOLDENS", "1");
    EXPECT_TRUE(zvotest::matchesGolden(picture(), golden));
    qunsetenv("ZVO_UPDATE_GOLDENS");
    ASSERT_TRUE(QFile::exists(source.filePath(golden)));
    EXPECT_FALSE(QFile::exists(actualOut));
    EXPECT_TRUE(zvotest::matchesGolden(picture(), golden));

    QImage changed = picture();
    changed.setPixel(19, 9, qRgb(0, 0, 0));
    EXPECT_FALSE(zvotest::matchesGolden(changed, golden));
    const QImage diff(diffOut);
    ASSERT_FALSE(diff.isNull());
    EXPECT_EQ(diff.pixel(19, 9), qRgb(255, 0, 0));
    EXPECT_NE(diff.pixel(0, 0), qRgb(255, 0, 0));
    // The failure did not touch the golden.
    EXPECT_EQ(QImage(source.filePath(golden)).convertToFormat(QImage::Format_RGB32), picture());

    QDir::setCurrent(savedCurrent);
    qputenv("ZVO_SOURCE_DIR", savedSource.toLocal8Bit());
}

} // namespace
