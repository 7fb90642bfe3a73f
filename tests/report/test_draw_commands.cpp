#include "report/content/ContentRegistration.h"
#include "report/content/barcodes/DrawBarCode.h"
#include "report/content/drawcommands/DrawImage.h"
#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/content/drawcommands/DrawVariables.h"
#include "report/model/ModelRegistration.h"
#include "report/model/base/Exceptions.h"
#include "report/model/engine/NoDataRules.h"
#include "report/model/objects/Communicator.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/pages/Page.h"
#include "report/model/reports/CustomReport.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <functional>
#include <limits>
#include <memory>

using namespace report;

namespace {

class DrawCommands : public ::testing::Test
{
protected:
    DrawCommands()
    {
        ppModelLayerInit();
        ppContentLayerInit();
    }
    ~DrawCommands() override { ppContentLayerFinalize(); }
};

// Every streamed value of a text command away from its default.
void fillText(TppDrawText &c, const QString &text)
{
    c.SetLeft(1000);
    c.SetTop(2000);
    c.SetWidth(30000);
    c.SetHeight(5000);
    c.SetTextAlignment(TppTextAlignment::taCentered);
    c.SetAutoSize(true);
    c.SetColor(0x123456);
    c.Font()->SetName("Liberation Serif");
    c.Font()->SetSize(14);
    c.SetIsMemo(true);
    c.SetLeading(250);
    c.SetText(text);
    c.SetTransparent(true);
    c.SetWordWrap(true);
    c.WrappedText()->Add("first");
    c.WrappedText()->Add("second");
    c.TabStopPositions()->Add("5000");
    c.SetBandSave(true);
    c.SetBandSaveNo(3);
    c.SetComponentSave(true);
    c.SetComponentSaveNo(4);
    c.SetForceJustifyLastLine(true);
    c.SetSaveLength(12);
}

// Sends event 67 from aSender with a key, a traversal count and a text.
void sendLookAhead(TppCommunicator &aSender, QString aKey, int32_t aCount, QString aText)
{
    TraParamList params;
    params.AddParam("aLookAheadKey", TraDataType::daString);
    params.AddParam("aTraversalCount", TraDataType::daInteger);
    params.AddParam("aText", TraDataType::daString);
    params.BindParamValue(0, &aKey);
    params.BindParamValue(1, &aCount);
    params.BindParamValue(2, &aText);
    aSender.SendEventNotify(&aSender, ppEvent::LookAheadText, &params);
}

} // namespace

TEST_F(DrawCommands, TheTwoAlignmentsFollowEachOther)
{
    TppDrawText text;
    text.SetTextAlignment(TppTextAlignment::taFullJustified);
    EXPECT_EQ(text.Alignment(), classes::TAlignment::taLeftJustify);
    text.SetAlignment(classes::TAlignment::taCenter);
    EXPECT_EQ(text.TextAlignment(), TppTextAlignment::taCentered);
    text.SetTextAlignment(TppTextAlignment::taRightJustified);
    EXPECT_EQ(text.Alignment(), classes::TAlignment::taRightJustify);
}

TEST_F(DrawCommands, SaveSortKeysOrderByBandThenSaveOrder)
{
    TppDrawText text;
    text.SetBandSaveNo(2);
    text.SetComponentSaveNo(15);
    EXPECT_EQ(text.GetSaveSortKey(), "       2      15");
    text.SetBandSaveNo(std::numeric_limits<int32_t>::min());
    EXPECT_EQ(text.GetSaveSortKey().size(), 19);
}

TEST_F(DrawCommands, TextEqualityLooksAtWhatShowsButNotTheFontColour)
{
    TppDrawText a, b;
    fillText(a, "value");
    b.Assign(&a);
    EXPECT_TRUE(a.IsEqual(&b));
    b.Font()->SetColor(0xFF);
    EXPECT_TRUE(a.IsEqual(&b));
    b.WrappedText()->Add("third");
    EXPECT_FALSE(a.IsEqual(&b));
    b.Assign(&a);
    b.SetSaveLength(13);
    EXPECT_FALSE(a.IsEqual(&b));
}

// A text that never had lines or tab stops asked for is one with empty
// lists: equal to it, and copied both ways.
TEST_F(DrawCommands, ATextWithoutLinesCopiesAndComparesAsOneWithEmptyLists)
{
    TppDrawText untouched, empty, lined;
    EXPECT_EQ(empty.WrappedText()->Count(), 0);
    EXPECT_EQ(empty.TabStopPositions()->Count(), 0);
    EXPECT_TRUE(untouched.IsEqual(&empty));
    EXPECT_TRUE(empty.IsEqual(&untouched));
    lined.WrappedText()->Add("first");
    lined.TabStopPositions()->Add("12");
    EXPECT_FALSE(untouched.IsEqual(&lined));
    EXPECT_FALSE(lined.IsEqual(&untouched));
    TppDrawText copy;
    copy.Assign(&lined);
    EXPECT_EQ(copy.WrappedText()->Text(), lined.WrappedText()->Text());
    EXPECT_EQ(copy.TabStopPositions()->Get(0), "12");
    copy.Assign(&untouched);
    EXPECT_EQ(copy.WrappedText()->Count(), 0);
    EXPECT_EQ(copy.TabStopPositions()->Count(), 0);
    TppDrawText set;
    set.SetWrappedText(lined.WrappedText());
    EXPECT_EQ(set.WrappedText()->Get(0), "first");
}

TEST_F(DrawCommands, DateAndTimeVariablesMatchWhereverTheyAreButPageNumbersByText)
{
    TppDrawVar a, b;
    a.SetVarType(TppVarType::vtTime);
    b.SetVarType(TppVarType::vtDate);
    b.SetLeft(5000);
    b.SetText("later");
    EXPECT_TRUE(a.IsEqual(&b));

    a.SetVarType(TppVarType::vtPageNo);
    b.SetVarType(TppVarType::vtPageNo);
    b.SetLeft(0);
    a.SetText("1");
    b.SetText("2");
    EXPECT_FALSE(a.IsEqual(&b));
    b.SetText("1");
    EXPECT_TRUE(a.IsEqual(&b));
}

TEST_F(DrawCommands, PageValuesAreFilledInOnceThePageIsKnown)
{
    TppPage page;
    page.SetPageNo(3);
    page.SetPageCount(9);
    auto *var = new TppDrawVar();
    var->SetVarType(TppVarType::vtPageCount);
    var->SetPage(&page);
    EXPECT_TRUE(var->NeedsRecalculation());
    EXPECT_TRUE(var->Recalculate());
    EXPECT_EQ(var->Text(), "9");
    var->SetVarType(TppVarType::vtTime);
    EXPECT_FALSE(var->NeedsRecalculation());
    EXPECT_FALSE(var->Recalculate());

    auto *calc = new TppDrawCalc();
    calc->SetPage(&page);
    EXPECT_TRUE(calc->NeedsRecalculation());
    EXPECT_FALSE(calc->Recalculate()); // ctDate
    calc->SetCalcType(TppCalcType::ctPageCount);
    EXPECT_TRUE(calc->Recalculate());
    EXPECT_EQ(calc->Text(), "9");
}

TEST_F(DrawCommands, LookAheadValuesTakeTheHighestCountOfTheirOwnKey)
{
    TppCommunicator list(nullptr);
    auto variable = std::make_unique<TppDrawVariable>();
    variable->SetLookAheadKey("Total");
    EXPECT_FALSE(variable->NeedsRecalculation());
    variable->SetLookAhead(true);
    list.AddEventNotify(variable->Listener());

    sendLookAhead(list, "Total", 5, "500");
    EXPECT_EQ(variable->Text(), "500");
    sendLookAhead(list, "Total", 3, "300");
    EXPECT_EQ(variable->Text(), "500");
    EXPECT_TRUE(variable->Recalculate());

    // A copy hears the same list.
    TppDrawVariable copy;
    copy.Assign(variable.get());
    sendLookAhead(list, "Total", 7, "700");
    EXPECT_EQ(copy.Text(), "700");

    // Another key: neither listens any longer.
    sendLookAhead(list, "Other", 9, "900");
    EXPECT_FALSE(variable->Recalculate());
    EXPECT_FALSE(copy.Recalculate());
    sendLookAhead(list, "Total", 10, "1000");
    EXPECT_EQ(variable->Text(), "700");

    // Switching off frees the listener, which leaves the list.
    variable->SetLookAhead(false);
    EXPECT_EQ(variable->Listener(), nullptr);
    variable.reset();
    sendLookAhead(list, "Total", 11, "1100");
}

TEST_F(DrawCommands, EveryClassComesBackFromAPageStreamEqual)
{
    auto page = std::make_unique<TppPage>();
    auto *text = new TppDrawText();
    fillText(*text, "plain");
    auto *variable = new TppDrawVariable();
    fillText(*variable, "look-ahead");
    variable->SetLookAheadKey("Key");
    variable->SetLookAhead(true);
    auto *var = new TppDrawVar();
    fillText(*var, "3");
    var->SetVarType(TppVarType::vtPageNo);
    auto *calc = new TppDrawCalc();
    fillText(*calc, "4");
    calc->SetCalcType(TppCalcType::ctPageSet);
    auto *rich = new TppDrawRichText();
    rich->SetColor(0xABCDEF);
    rich->SetStartCharPos(2);
    rich->SetEndCharPos(40);
    rich->SetTransparent(true);
    const QByteArray rtf = "{\\rtf1 one\r\n\\par two}";
    rich->RichTextStream().WriteBuffer(rtf.constData(), rtf.size());
    auto *shape = new TppDrawShape();
    shape->SetShapeType(classes::TShapeType::stRoundRect);
    shape->SetXCornerRound(300);
    shape->SetYCornerRound(400);
    shape->Brush()->SetColor(0x00FF00);
    shape->Brush()->SetStyle(gfx::BrushStyle::Cross);
    shape->Pen()->SetWidth(3);
    auto *line = new TppDrawLine();
    line->SetLinePosition(TppLinePositionType::lpRight);
    line->SetLineStyle(TppLineStyleType::lsDouble);
    line->Pen()->SetStyle(gfx::PenStyle::Dash);
    line->SetWeight(1.5f);
    auto *image = new TppDrawImage();
    image->SetStretch(true);
    image->SetImageName("logo");
    classes::TBitmap bitmap;
    QImage pixels(4, 3, QImage::Format_RGB32);
    pixels.fill(qRgb(10, 20, 30));
    bitmap.SetImage(pixels);
    image->Picture()->SetGraphic(&bitmap);
    for (TppDrawCommand *c :
         std::initializer_list<TppDrawCommand *>{text, variable, var, calc, rich, shape, line, image})
        c->SetPage(page.get());

    classes::TMemoryStream stream;
    stream.WriteComponent(page.get());
    stream.SetPosition(0);
    TppPage read;
    classes::TReader(stream).ReadRootComponent(&read);
    ASSERT_EQ(read.DrawCommandCount(), page->DrawCommandCount());
    for (int i = 0; i < page->DrawCommandCount(); ++i) {
        EXPECT_EQ(&read.DrawCommands(i)->ClassType(), &page->DrawCommands(i)->ClassType()) << i;
        EXPECT_TRUE(page->DrawCommands(i)->IsEqual(read.DrawCommands(i))) << i;
    }
    EXPECT_TRUE(static_cast<TppDrawVariable *>(read.DrawCommands(1))->LookAhead());
    EXPECT_EQ(static_cast<TppDrawLine *>(read.DrawCommands(6))->Weight(), 1.5f);
    auto *readImage = static_cast<TppDrawImage *>(read.DrawCommands(7));
    EXPECT_EQ(readImage->Picture()->Image(), pixels);
    EXPECT_EQ(readImage->ImageName(), "logo");
    EXPECT_EQ(readImage->GetBitmap(), readImage->Picture()->Bitmap());
}

namespace {

// The command written as a root and read into a fresh one of its class,
// through the binary form or the text form made from it. aText gets the text.
std::unique_ptr<TppDrawCommand> streamedCopy(TppDrawCommand &aSource, bool aThroughText, QByteArray &aText)
{
    classes::TMemoryStream binary;
    classes::TWriter(binary).WriteRootComponent(&aSource);
    binary.SetPosition(0);
    classes::TMemoryStream text;
    classes::ObjectBinaryToText(binary, text);
    aText = QByteArray(text.Memory(), qsizetype(text.Size()));
    classes::TMemoryStream input;
    if (aThroughText) {
        text.SetPosition(0);
        classes::ObjectTextToBinary(text, input);
    } else {
        input.WriteBuffer(binary.Memory(), binary.Size());
    }
    input.SetPosition(0);
    std::unique_ptr<TppDrawCommand> copy(static_cast<TppDrawCommand *>(aSource.ClassType().NewComponent(nullptr)));
    classes::TReader(input).ReadRootComponent(copy.get());
    return copy;
}

// A command read from its text form.
template <class Command>
std::unique_ptr<Command> loadedFromText(const QByteArray &aText)
{
    classes::TMemoryStream text;
    text.WriteBuffer(aText.constData(), aText.size());
    text.SetPosition(0);
    classes::TMemoryStream binary;
    classes::ObjectTextToBinary(text, binary);
    binary.SetPosition(0);
    auto command = std::make_unique<Command>();
    classes::TReader(binary).ReadRootComponent(command.get());
    return command;
}

} // namespace

TEST_F(DrawCommands, EveryDataTypeComesBackOnEveryClassAndTheStartingOneIsNotWritten)
{
    const std::vector<std::pair<std::function<TppDrawCommand *()>, TppDataType>> classes = {
        {[] { return new TppDrawCommand(); }, TppDataType::dtString},
        {[] { return new TppDrawText(); }, TppDataType::dtString},
        {[] { return new TppDrawShape(); }, TppDataType::dtGraphic},
        {[] { return new TppDrawLine(); }, TppDataType::dtGraphic},
        {[] { return new TppDrawImage(); }, TppDataType::dtGraphic},
        {[] { return new TppDrawRichText(); }, TppDataType::dtBLOB},
        {[] { return new TppDrawBarCode(); }, TppDataType::dtString},
    };
    for (const auto &entry : classes) {
        const TppDataType starting = entry.second;
        for (int type = int(TppDataType::dtBoolean); type <= int(TppDataType::dtLargeInt); ++type) {
            std::unique_ptr<TppDrawCommand> source(entry.first());
            SCOPED_TRACE(source->ClassName().toStdString() + " " + std::to_string(type));
            EXPECT_EQ(source->DataType(), starting);
            source->SetDataType(TppDataType(type));
            for (const bool throughText : {false, true}) {
                QByteArray text;
                const std::unique_ptr<TppDrawCommand> copy = streamedCopy(*source, throughText, text);
                EXPECT_EQ(copy->DataType(), TppDataType(type)) << (throughText ? "text form" : "binary form");
                EXPECT_EQ(text.contains("DataType ="), TppDataType(type) != starting);
            }
        }
    }

    // A shape saved with its type spelt out, and a line saved without one,
    // load as they always did.
    EXPECT_EQ(loadedFromText<TppDrawShape>("object TppDrawShape\r\n  DataType = dtGraphic\r\nend\r\n")->DataType(),
              TppDataType::dtGraphic);
    const auto line = loadedFromText<TppDrawLine>("object TppDrawLine\r\n  Left = 10\r\nend\r\n");
    EXPECT_EQ(line->DataType(), TppDataType::dtGraphic);
    EXPECT_EQ(line->Left(), 10);
}

TEST_F(DrawCommands, RichTextComparesItsRTFLineByLine)
{
    TppDrawRichText a, b;
    a.RichTextStream().WriteBuffer("ab\r\ncd", 6);
    b.Assign(&a);
    EXPECT_TRUE(a.IsEqual(&b));
    TppDrawRichText c;
    c.RichTextStream().WriteBuffer("ab\r\ncD", 6);
    EXPECT_FALSE(a.IsEqual(&c));
    TppDrawRichText d;
    d.RichTextStream().WriteBuffer("ab\ncd ", 6); // same size, other lines
    EXPECT_FALSE(a.IsEqual(&d));
}

TEST_F(DrawCommands, AnRTFLengthBeyondTheBytesLeftFailsTheLoad)
{
    const auto load = [](int32_t length, int bytes) {
        classes::TMemoryStream stream;
        stream.WriteBuffer(&length, sizeof length);
        const QByteArray data(bytes, 'x');
        if (bytes)
            stream.WriteBuffer(data.constData(), bytes);
        stream.SetPosition(0);
        TppDrawRichText rich;
        rich.ReadRTFStream(stream);
        return rich.RichTextStream().Size();
    };
    EXPECT_THROW(load(std::numeric_limits<int32_t>::max(), 4), EBrevantorError);
    EXPECT_THROW(load(-1, 4), EBrevantorError);
    EXPECT_THROW(load(5, 4), EBrevantorError);
    EXPECT_EQ(load(4, 4), 4);
    EXPECT_EQ(load(0, 0), 0);
}

TEST_F(DrawCommands, ShapesAndLinesCompareTheirPensButNotTheWeight)
{
    TppDrawLine a, b;
    a.SetWeight(2);
    b.Assign(&a);
    EXPECT_EQ(b.Weight(), 2);
    b.SetWeight(4);
    EXPECT_TRUE(a.IsEqual(&b));
    b.Pen()->SetColor(0xFF);
    EXPECT_FALSE(a.IsEqual(&b));

    TppDrawShape s, t;
    s.Brush()->SetStyle(gfx::BrushStyle::Clear);
    t.Assign(&s);
    EXPECT_TRUE(s.IsEqual(&t));
    t.SetYCornerRound(1);
    EXPECT_FALSE(s.IsEqual(&t));
    EXPECT_FALSE(s.IsEqual(&a));
}

TEST_F(DrawCommands, AnImageGivesRasterDevicesABitmapExceptForIcons)
{
    TppDrawImage image;
    EXPECT_EQ(image.GetBitmap(), nullptr);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImage pixels(6, 2, QImage::Format_RGB32);
    pixels.fill(qRgb(1, 2, 3));
    ASSERT_TRUE(pixels.save(&buffer, "JPEG"));
    classes::TJPEGImage jpeg;
    jpeg.LoadFromBytes(bytes);
    image.Picture()->SetGraphic(&jpeg);
    classes::TBitmap *made = image.GetBitmap();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Width(), 6);
    EXPECT_EQ(image.GetBitmap(), made); // made once

    TppDrawImage copy;
    copy.Assign(&image);
    EXPECT_EQ(static_cast<classes::TJPEGImage *>(copy.Picture()->Graphic())->Bytes(), bytes);

    buffer.close();
    bytes.clear();
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(pixels.convertToFormat(QImage::Format_ARGB32).save(&buffer, "ICO"));
    classes::TIcon icon;
    icon.LoadFromBytes(bytes);
    image.Picture()->SetGraphic(&icon);
    EXPECT_EQ(image.GetBitmap(), nullptr);
}

TEST_F(DrawCommands, ABlankReportsPageGetsTheNoDataTextCentredAsAText)
{
    TppCustomReport owner;
    owner.SetNoDataBehaviors(uint8_t(1 << int(TppNoDataBehaviorType::ndBlankReport)) |
                             uint8_t(1 << int(TppNoDataBehaviorType::ndMessageOnPage)));
    TppPage page;
    ppNoDataOnPage(owner, page, 10000, 190000, 270000, false);
    ASSERT_EQ(page.DrawCommandCount(), 1);
    const auto *text = dynamic_cast<const TppDrawText *>(page.DrawCommands(0));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Text(), "No Data Found");
    EXPECT_EQ(text->Font()->Name(), "Arial");
    EXPECT_EQ(text->Font()->Size(), 12);
    EXPECT_EQ(text->Font()->Color(), rtl::clBlack);
    EXPECT_TRUE(text->AutoSize());
    EXPECT_TRUE(text->Transparent());
    EXPECT_FALSE(text->WordWrap());
    EXPECT_FALSE(text->IsMemo());
    EXPECT_EQ(text->Left() - 10000, 190000 - (text->Left() - 10000 + text->Width()));
    EXPECT_EQ(text->Top(), (270000 - text->Height()) / 2);

    // Without the content layer the page stays without the text.
    ppContentLayerFinalize();
    TppPage bare;
    ppNoDataOnPage(owner, bare, 10000, 190000, 270000, false);
    EXPECT_EQ(bare.DrawCommandCount(), 0);
    ppContentLayerInit();
}
