#pragma once

// Drawn output compared with a reviewed picture (a "golden") kept in the
// source tree. Goldens are rewritten only on purpose: run the tests with
// ZVO_UPDATE_GOLDENS=1, look at the new pictures, and commit them.

#include <QImage>
#include <QRect>
#include <QString>

#include <gtest/gtest.h>

namespace zvotest {

struct GoldenTolerance
{
    // A pixel differs when one of its channels is further off than this;
    // small enough that any colour the program picks on purpose counts.
    int channel = 3;
    // How many differing pixels still match. Renderings of ours stay exact,
    // so the default lets no pixel go.
    int pixels = 0;
};

// What a comparison found: differing pixels, their largest channel
// difference and the rectangle around them.
struct ImageDifference
{
    bool sameSize = true;
    int pixels = 0;
    int largestChannel = 0;
    QRect area;
};

ImageDifference compareImages(const QImage &actual, const QImage &expected, int channelTolerance);

// Grey where the pictures agree, red where a pixel differs beyond the
// tolerance and yellow where it differs within it; a pink ring around the
// red ones.
QImage differenceImage(const QImage &actual, const QImage &expected, int channelTolerance);

// Compares `actual` with the PNG at `goldenPath`, relative to the source tree
// (ZVO_SOURCE_DIR). On a mismatch the actual picture and the difference
// picture are written to golden-output/ under the working folder (the test's
// build folder under ctest) and the message names them. With
// ZVO_UPDATE_GOLDENS=1 a missing or mismatching golden is rewritten instead
// and the comparison passes; one that still matches is left untouched so that
// a rerun changes no file.
::testing::AssertionResult matchesGolden(const QImage &actual, const QString &goldenPath,
                                         GoldenTolerance tolerance = {});

} // namespace zvotest
