#include "tests/support/report/BandFakes.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/graphics/Graphics.h"
#include "report/content/graphics/GraphicsRTTI.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"
#include "report/model/components/ComponentRegistry.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/gfx/Canvas.h"

#include <gtest/gtest.h>

#include <QImage>

#include <limits>

using namespace report;
using namespace reporttest;
using classes::TShapeType;

namespace {

int32_t graphicsTestMM(int aPixels, TppAxisType aAxis = TppAxisType::atHorizontal)
{
    return ppToMMThousandths(float(aPixels), TppUnitType::utScreenPixels, aAxis);
}

class GraphicControls : public ::testing::Test
{
protected:
    GraphicControls()
    {
        ppModelLayerInit();
        detail.SetReport(&report);
    }

    // A control placed in a printing band at (10, 20) pixels of the band.
    void place(TppCustomGraphic &aControl, int aWidth, int aHeight)
    {
        aControl.SetBand(&detail);
        aControl.SetSpBounds(10, 20, aWidth, aHeight);
        detail.SetPrintRect(rtl::TRect{5000, 7000, 200000, 100000});
        aControl.ResetGeneration();
        aControl.InitDrawComponent();
        aControl.Generate();
    }

    QImage paint(TppCustomGraphic &aControl)
    {
        QImage image(aControl.spWidth(), aControl.spHeight(), QImage::Format_RGB32);
        image.fill(Qt::white);
        gfx::Canvas canvas(&image);
        aControl.PaintDesignControl(canvas);
        return image;
    }

    ScopedScreenPixelsPerInch screen{96};
    StandInReport report;
    TppDetailBand detail;
};

} // namespace

TEST_F(GraphicControls, SquaredShapesAreCentredInsideThePenAndWrittenAsTheirPlainKind)
{
    const TppShapeGeometry circle = ppShapeGeometry(TShapeType::stCircle, 100, 60, 3);
    EXPECT_EQ(circle.x1, 21);
    EXPECT_EQ(circle.x2 - circle.x1, 58);
    EXPECT_EQ(circle.y1, 1);
    EXPECT_EQ(circle.y2 - circle.y1, 58);
    EXPECT_EQ(circle.round, 15);
    const TppShapeGeometry tall = ppShapeGeometry(TShapeType::stRoundSquare, 40, 90, 1);
    EXPECT_EQ(tall.y1, 25);
    EXPECT_EQ(tall.y2 - tall.y1, 40);
    EXPECT_EQ(tall.round, 10);
    // Pens wider than the box and boxes of nothing stay numbers.
    const TppShapeGeometry wide = ppShapeGeometry(TShapeType::stRectangle, 1, 1, 1000);
    EXPECT_EQ(wide.x2 - wide.x1, -999);
    EXPECT_EQ(ppShapeGeometry(TShapeType::stCircle, 0, 0, 3).round, 0);

    report.Printing = true;
    for (auto [kind, written] : {std::pair{TShapeType::stCircle, TShapeType::stEllipse},
                                 std::pair{TShapeType::stSquare, TShapeType::stRectangle},
                                 std::pair{TShapeType::stRoundSquare, TShapeType::stRoundRect}}) {
        auto *shape = new TppShape();
        shape->SetShape(kind);
        shape->Pen()->SetWidth(3);
        place(*shape, 100, 60);
        TppDrawShape command;
        shape->PropertiesToDrawCommand(&command);
        EXPECT_EQ(command.ShapeType(), written);
        EXPECT_EQ(command.Left(), shape->PrintPosRect().Left + graphicsTestMM(21));
        EXPECT_EQ(command.Top(), shape->PrintPosRect().Top + graphicsTestMM(1, TppAxisType::atVertical));
        EXPECT_EQ(command.Pen()->Width(), 3);
        EXPECT_EQ(command.XCornerRound(), graphicsTestMM(15));
        delete shape;
    }
}

TEST_F(GraphicControls, APenAsWideAsTheIntegerRangeKeepsTheCommandInRange)
{
    // A stored report edited by hand can carry any pen width.
    report.Printing = true;
    TppShape shape;
    shape.Pen()->SetWidth(std::numeric_limits<int>::max());
    place(shape, 100, 60);
    TppDrawShape command;
    shape.PropertiesToDrawCommand(&command);
    EXPECT_EQ(command.Left(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(command.Top(), std::numeric_limits<int32_t>::max());
    EXPECT_LT(command.Width(), 0);
    EXPECT_LT(command.Height(), 0);
}

TEST_F(GraphicControls, AClearedBrushMakesTheShapeTransparentAndTheToolsSwitchStyles)
{
    TppShape shape;
    EXPECT_FALSE(shape.Transparent());
    shape.ClearFill();
    EXPECT_TRUE(shape.Transparent());
    rtl::TColor color = 0;
    bool clear = false;
    shape.GetFill(color, clear);
    EXPECT_TRUE(clear);
    shape.SetFillColor(0x00FF00);
    EXPECT_EQ(shape.Brush()->Style(), gfx::BrushStyle::Solid);
    EXPECT_FALSE(shape.Transparent());
    shape.ClearLine();
    shape.GetLine(color, clear);
    EXPECT_TRUE(clear);
    shape.SetLineColor(0x0000FF);
    EXPECT_EQ(shape.Pen()->Style(), gfx::PenStyle::Solid);
    shape.SetPenWidth(4);
    EXPECT_EQ(shape.Pen()->Width(), 4);

    // The designer draws the squared circle in the brush's colour.
    shape.SetShape(TShapeType::stCircle);
    shape.SetSpBounds(0, 0, 100, 60);
    const QImage image = paint(shape);
    EXPECT_EQ(image.pixel(50, 30) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(image.pixel(5, 30) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(GraphicControls, TheWeightAndThePenWidthFollowEachOther)
{
    TppLine line;
    EXPECT_FLOAT_EQ(line.Weight(), 0.75f);
    line.SetWeight(0.75f);
    EXPECT_EQ(line.Pen()->Width(), 1);
    line.Pen()->SetWidth(2);
    EXPECT_FLOAT_EQ(line.Weight(), 1.5f);
    line.SetWeight(6);
    EXPECT_EQ(line.Pen()->Width(), 8);
    EXPECT_FLOAT_EQ(line.Weight(), 6);
    line.SetWeight(0);
    EXPECT_EQ(line.Pen()->Width(), 0);
    line.SetWeight(-3);
    EXPECT_EQ(line.Pen()->Width(), -4);
    line.SetWeight(1e9f);
    EXPECT_GT(line.Pen()->Width(), 1000000000);
    line.SetWeight(1e30f);
    EXPECT_EQ(line.Pen()->Width(), std::numeric_limits<int32_t>::max());

    // A report stored before weights had only its pen width.
    line.SetWeight(0.75f);
    line.Pen()->SetWidth(3);
    line.Convert(2999);
    EXPECT_FLOAT_EQ(line.Weight(), 2.25f);
}

TEST_F(GraphicControls, TheDesignerDrawsOneOrTwoBandsOfStrokesAlongTheEdge)
{
    TppLine line;
    line.SetSpBounds(0, 0, 40, 20);
    line.Pen()->SetColor(0xFF0000);
    line.SetWeight(1.5f); // two pixels
    line.SetStyle(TppLineStyleType::lsDouble);
    line.SetPosition(TppLinePositionType::lpBottom);
    QImage image = paint(line);
    for (int y : {19, 18, 15, 14})
        EXPECT_EQ(image.pixel(20, y) & 0xFFFFFF, 0x0000FFu) << y;
    for (int y : {17, 16, 13})
        EXPECT_EQ(image.pixel(20, y) & 0xFFFFFF, 0xFFFFFFu) << y;

    line.SetStyle(TppLineStyleType::lsSingle);
    line.SetPosition(TppLinePositionType::lpRight);
    image = paint(line);
    EXPECT_EQ(image.pixel(39, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.pixel(38, 19) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.pixel(37, 10) & 0xFFFFFF, 0xFFFFFFu);

    // An absurd weight fills the box and comes back.
    line.SetWeight(1e9f);
    image = paint(line);
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(GraphicControls, ALineFillsItsCommandFromThePrintRectangle)
{
    report.Printing = true;
    auto *line = new TppLine();
    line->SetWeight(6);
    line->SetPosition(TppLinePositionType::lpLeft);
    place(*line, 50, 15);
    TppDrawLine command;
    line->PropertiesToDrawCommand(&command);
    EXPECT_EQ(command.Left(), line->PrintPosRect().Left);
    EXPECT_EQ(command.Width(), line->PrintPosRect().Right - line->PrintPosRect().Left);
    EXPECT_EQ(command.LinePosition(), TppLinePositionType::lpLeft);
    EXPECT_FLOAT_EQ(command.Weight(), 6);
    EXPECT_EQ(command.Pen()->Width(), 8);
    EXPECT_TRUE(line->Transparent());
    EXPECT_FALSE(line->HasColor());
    delete line;
}

TEST_F(GraphicControls, AStoredLineKeepsItsWeightAndPen)
{
    const QByteArray text =
        "object TppLine\n  Pen.Width = 4\n  Style = lsDouble\n  Weight = 3.000000000000000000\nend\n";
    classes::TMemoryStream source;
    source.WriteBuffer(text.constData(), text.size());
    source.SetPosition(0);
    classes::TMemoryStream binary;
    classes::ObjectTextToBinary(source, binary);
    binary.SetPosition(0);
    TppLine line;
    classes::TReader(binary).ReadRootComponent(&line);
    EXPECT_FLOAT_EQ(line.Weight(), 3);
    EXPECT_EQ(line.Pen()->Width(), 4);
    EXPECT_EQ(line.Style(), TppLineStyleType::lsDouble);
}

TEST_F(GraphicControls, TheStartUpRegistersShapesAndLinesWithRowsDescriptorsAndTexts)
{
    ppContentLayerInit();
    const TppRegComponent *shape = ppFindRegComponent("TppShape");
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->PaletteTextID, 178);
    ASSERT_NE(ppFindRegComponent("TppLine"), nullptr);
    EXPECT_EQ(raFindRTTI("TppShape"), &TraTppShapeRTTI::Instance());
    EXPECT_EQ(raFindRTTI("TppCustomGraphic"), &TraTppCustomGraphicRTTI::Instance());

    TppLine line;
    uint8_t position = 3;
    EXPECT_TRUE(TraTppLineRTTI::Instance().SetPropValue(&line, "position", &position));
    EXPECT_EQ(line.Position(), TppLinePositionType::lpRight);
    position = 9;
    EXPECT_FALSE(TraTppLineRTTI::Instance().SetPropValue(&line, "Position", &position));
    classes::TObject *pen = nullptr;
    EXPECT_TRUE(TraTppLineRTTI::Instance().GetPropValue(&line, "Pen", &pen));
    EXPECT_EQ(pen, line.Pen());

    EXPECT_EQ(line.GetClassDescription(), "Line");
    EXPECT_EQ(TppShape().GetClassDescription(), "Shape");
    EXPECT_EQ(ppLoadStr(323), "Circle");
    EXPECT_EQ(ppLoadStr(327), "Right");
    ppContentLayerFinalize();
    EXPECT_EQ(ppFindRegComponent("TppShape"), nullptr);
    EXPECT_EQ(raFindRTTI("TppLine"), nullptr);
}
