#pragma once

// reportdemo's shapes sample, A4 portrait with 10 mm margins. The title
// holds every shape kind with pens 1 and 3 and clear and solid brushes, a
// line on each edge of its box, single and double, at 0.75, 1.5 and 6
// points, and one picture of each format the tool writes; the summary's
// detail band shows the picture the CSV's column "Picture" names. Where
// each of them stands is given here, in screen pixels from the title's
// top-left corner, for the probes of the tests.

#include <QColor>
#include <QRect>
#include <QString>

#include <memory>
#include <vector>

namespace report {
class TppReport;
}

namespace reporttest {
class MemoryPipeline;
}

namespace reportdemo {

struct ShapesSampleItem
{
    enum class Kind { Shape, Line, Picture };
    Kind kind = Kind::Shape;
    // The control's box.
    QRect box;
    // Shapes: kind (TShapeType), pen width and whether the brush is solid.
    int shape = 0;
    int pen = 1;
    bool solid = false;
    // Lines: position (TppLinePositionType), double, weight in points.
    int position = 0;
    bool doubled = false;
    double weight = 0;
    // Pictures: the format's name and the colour that fills them.
    QString format;
    QColor color;
};

constexpr int ShapesSampleMargin = 10000;
constexpr int ShapesSampleDetailHeight = 70;
// The data image's box in each detail band.
const QRect ShapesSampleDetailBox(0, 5, 80, 60);
// The detail band's pictures are this colour.
const QColor ShapesSampleDetailColor(0, 128, 255);

std::vector<ShapesSampleItem> ShapesSampleItems();

// The pictures the sample shows, by format, written into aFolder by the
// tool; the names the CSV's "Picture" column may hold.
bool WriteShapesSamplePictures(const QString &aFolder, QString &aError);

// The CSV's relative names in its "Picture" column become names in aFolder.
void ResolveShapesPictureNames(reporttest::MemoryPipeline &aData, const QString &aFolder);

// The CSV's relative picture names are resolved in aFolder.
std::unique_ptr<report::TppReport> CreateShapesSample(reporttest::MemoryPipeline &aData, const QString &aFolder);

} // namespace reportdemo
