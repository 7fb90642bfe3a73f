#include "tests/support/GoldenImage.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zvotest {

namespace {

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                     std::abs(qAlpha(a) - qAlpha(b))});
}

// One layout for both sides, whatever the grab or the PNG decoder produced.
QImage normalized(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool updating()
{
    const char *value = std::getenv("ZVO_UPDATE_GOLDENS");
    return value && std::strcmp(value, "1") == 0;
}

QString describe(const ImageDifference &d)
{
    const QRect a = d.area;
    return QStringLiteral("%1 pixels differ, by up to %2 in a channel, within x %3..%4, y %5..%6")
        .arg(d.pixels)
        .arg(d.largestChannel)
        .arg(a.left())
        .arg(a.right())
        .arg(a.top())
        .arg(a.bottom());
}

bool saveImage(const QImage &image, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    // An opaque picture is kept without alpha: smaller, and what a grab shows.
    const QImage::Format format = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    return image.convertToFormat(format).save(path, "PNG");
}

} // namespace

ImageDifference compareImages(const QImage &actual, const QImage &expected, int channelTolerance)
{
    ImageDifference d;
    if (actual.size() != expected.size()) {
        d.sameSize = false;
        return d;
    }
    const QImage a = normalized(actual);
    const QImage e = normalized(expected);
    for (int y = 0; y < a.height(); ++y) {
        const auto *ra = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *re = reinterpret_cast<const QRgb *>(e.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int distance = channelDistance(ra[x], re[x]);
            if (distance <= channelTolerance)
                continue;
            ++d.pixels;
            d.largestChannel = std::max(d.largestChannel, distance);
            d.area |= QRect(x, y, 1, 1);
        }
    }
    return d;
}

QImage differenceImage(const QImage &actual, const QImage &expected, int channelTolerance)
{
    const QImage a = normalized(actual);
    const QImage e = normalized(expected);
    // Sizes may differ: the picture covers both, and what only one covers is red.
    const int w = std::max(a.width(), e.width());
    const int h = std::max(a.height(), e.height());
    QImage diff(w, h, QImage::Format_RGB32);
    // A single red pixel is easily missed: a pink ring marks the area around the differences.
    const ImageDifference d = compareImages(actual, expected, channelTolerance);
    const QRect ring = d.pixels > 0 ? d.area.adjusted(-3, -3, 3, 3) : QRect();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!a.valid(x, y) || !e.valid(x, y)) {
                diff.setPixel(x, y, qRgb(255, 0, 0));
                continue;
            }
            const QRgb pa = a.pixel(x, y);
            const int distance = channelDistance(pa, e.pixel(x, y));
            if (distance > channelTolerance) {
                diff.setPixel(x, y, qRgb(255, 0, 0));
            } else if (distance > 0) {
                diff.setPixel(x, y, qRgb(255, 255, 0));
            } else if (ring.contains(x, y) && !ring.adjusted(1, 1, -1, -1).contains(x, y)) {
                diff.setPixel(x, y, qRgb(255, 128, 192));
            } else {
                // Faded, so the differences stand out while the picture can still be recognised.
                const int grey = 160 + qGray(pa) * 95 / 255;
                diff.setPixel(x, y, qRgb(grey, grey, grey));
            }
        }
    }
    return diff;
}

::testing::AssertionResult matchesGolden(const QImage &actual, const QString &goldenPath, GoldenTolerance tolerance)
{
    const QString sourceDir = qEnvironmentVariable("ZVO_SOURCE_DIR");
    if (sourceDir.isEmpty())
        return ::testing::AssertionFailure() << "ZVO_SOURCE_DIR is not set; run the test through ctest";
    if (actual.isNull())
        return ::testing::AssertionFailure() << "nothing was drawn for " << goldenPath.toStdString();
    const QString golden = QDir(sourceDir).filePath(goldenPath);
    const QString name = QFileInfo(goldenPath).completeBaseName();
    const QDir output(QDir::current().filePath(QStringLiteral("golden-output")));
    const QString actualPath = output.filePath(name + QStringLiteral(".actual.png"));
    const QString diffPath = output.filePath(name + QStringLiteral(".diff.png"));

    const QImage expected(golden);
    QString problem;
    if (expected.isNull()) {
        problem = QStringLiteral("no golden at %1").arg(golden);
    } else {
        const ImageDifference d = compareImages(actual, expected, tolerance.channel);
        if (!d.sameSize)
            problem = QStringLiteral("size %1x%2, the golden has %3x%4")
                          .arg(actual.width())
                          .arg(actual.height())
                          .arg(expected.width())
                          .arg(expected.height());
        else if (d.pixels > tolerance.pixels)
            problem = describe(d) + QStringLiteral(" (at most %1 may)").arg(tolerance.pixels);
    }

    // Pictures of an earlier failure would only mislead.
    QFile::remove(actualPath);
    QFile::remove(diffPath);
    if (problem.isEmpty())
        return ::testing::AssertionSuccess();
    if (updating()) {
        if (!saveImage(actual, golden))
            return ::testing::AssertionFailure() << "cannot rewrite " << golden.toStdString();
        std::printf("[  GOLDEN  ] rewrote %s: %s\n", qPrintable(goldenPath), qPrintable(problem));
        return ::testing::AssertionSuccess();
    }
    saveImage(actual, actualPath);
    if (!expected.isNull())
        saveImage(differenceImage(actual, expected, tolerance.channel), diffPath);
    return ::testing::AssertionFailure()
           << goldenPath.toStdString() << ": " << problem.toStdString() << "\n  actual: " << actualPath.toStdString()
           << (expected.isNull() ? "" : "\n  difference: " + diffPath.toStdString())
           << "\n  if the change is intended, rerun with ZVO_UPDATE_GOLDENS=1 and review the rewritten golden";
}

} // namespace zvotest
