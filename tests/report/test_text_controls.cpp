#include "tests/support/report/BandFakes.h"
#include "tests/support/report/MemoryPipeline.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/content/text/DBText.h"
#include "report/content/text/Label.h"
#include "report/content/text/TextRTTI.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/DisplayFormat.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"
#include "report/model/components/ComponentRegistry.h"
#include "report/model/data/CacheManager.h"
#include "report/model/groups/Group.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/reports/CustomReport.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/gfx/Canvas.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QImage>
#include <QTime>

#include <memory>

using namespace report;
using namespace reporttest;

namespace {

class TextControls : public ::testing::Test
{
protected:
    TextControls()
    {
        ppModelLayerInit(); // the display formats
        band->SetReport(&report);
    }
    ~TextControls() override { band.reset(); }

    // A label sized by its caption, then given a longer one.
    std::pair<int32_t, int32_t> growCaption(TppLabel &label, TppTextAlignment alignment)
    {
        label.SetTextAlignment(alignment);
        label.SetBounds(50000, 1000, 30000, 5000);
        label.SetCaption("x");
        const std::pair<int32_t, int32_t> before{label.mmLeft(), label.mmWidth()};
        label.SetCaption("a caption much longer than x");
        return before;
    }

    ScopedScreenPixelsPerInch screen{96};
    StandInReport report;
    std::unique_ptr<StandInBand> band = std::make_unique<StandInBand>();
};

// Appends a letter to the text of event 53.
class TextAppender : public TppCommunicator
{
public:
    TextAppender()
        : TppCommunicator(nullptr)
    {
        SubscribeEvent(ppEvent::OnGetText);
    }
    void EventNotify(TppCommunicator *aSender, int aEventID, TraParamList *aParams) override
    {
        TppCommunicator::EventNotify(aSender, aEventID, aParams);
        aParams->SetParamValue(0, aParams->ParamValue<QString>(0) + "c");
    }
};

// Two records of one city: the second repeats the first.
void fillRepeatedCity(MemoryPipeline &pipeline)
{
    pipeline.AddField("City");
    pipeline.AddRow({"Oslo"});
    pipeline.AddRow({"Oslo"});
    pipeline.Open();
    pipeline.First();
}

// Reads a label from its text form, as a stored report holds it.
void readLabel(const QByteArray &text, TppLabel &label)
{
    classes::TMemoryStream source;
    source.WriteBuffer(text.constData(), text.size());
    source.SetPosition(0);
    classes::TMemoryStream binary;
    classes::ObjectTextToBinary(source, binary);
    binary.SetPosition(0);
    classes::TReader(binary).ReadRootComponent(&label);
}

} // namespace

TEST_F(TextControls, AutoSizeKeepsTheEdgeOrCentreOfTheAlignment)
{
    TppLabel right;
    const auto [rightLeft, rightWidth] = growCaption(right, TppTextAlignment::taRightJustified);
    EXPECT_GT(right.mmWidth(), rightWidth);
    EXPECT_EQ(right.mmLeft() + right.mmWidth(), rightLeft + rightWidth);

    TppLabel centred;
    const auto [centreLeft, centreWidth] = growCaption(centred, TppTextAlignment::taCentered);
    const int32_t growth = centred.mmWidth() - centreWidth;
    EXPECT_EQ(centred.mmLeft(), centreLeft - growth / 2); // an odd growth is cut toward zero
    centred.SetCaption("x");
    EXPECT_EQ(centred.mmWidth(), centreWidth);

    TppLabel left;
    const auto [leftLeft, leftWidth] = growCaption(left, TppTextAlignment::taLeftJustified);
    EXPECT_EQ(left.mmLeft(), leftLeft);
    EXPECT_GT(left.mmWidth(), leftWidth);
}

TEST_F(TextControls, WithoutAutoSizeOnlyTheHeightFollowsAndWrappingKeepsEverything)
{
    TppLabel wrapped;
    wrapped.SetAutoSize(false);
    wrapped.SetWordWrap(true);
    wrapped.SetBounds(1000, 1000, 20000, 50000);
    wrapped.SetCaption("a long caption that wraps over several lines");
    EXPECT_EQ(wrapped.mmWidth(), 20000);
    EXPECT_EQ(wrapped.mmHeight(), 50000);

    TppLabel single;
    single.SetAutoSize(false);
    single.SetBounds(1000, 1000, 20000, 50000);
    single.SetCaption("one line");
    single.Font()->SetSize(12); // a new font measures again
    EXPECT_EQ(single.mmWidth(), 20000);
    EXPECT_EQ(single.mmLeft(), 1000);
    EXPECT_GT(single.mmHeight(), 0);
    EXPECT_LT(single.mmHeight(), 10000);
}

TEST_F(TextControls, BlankRulesForZeroEmptyTextsAndNullDates)
{
    MemoryPipeline pipeline;
    pipeline.AddField("Amount", TppDataType::dtInteger);
    pipeline.AddField("Name", TppDataType::dtString);
    pipeline.AddField("When", TppDataType::dtDate);
    pipeline.AddRow({0, QString(), QVariant()});
    pipeline.Open();
    pipeline.First();
    TppDBText text;
    text.SetDataPipeline(&pipeline);
    const auto shown = [&](const QString &field, bool blankWhenZero) {
        text.SetDataField(field);
        text.SetBlankWhenZero(blankWhenZero);
        return text.GetText();
    };
    EXPECT_EQ(shown("Amount", false), "0");
    EXPECT_EQ(shown("Amount", true), "");
    // Unsigned and one-byte integers: a zero is blank, another value shows
    // its digits.
    MemoryPipeline unsignedFields;
    const QStringList kinds{"UInt", "ULongLong", "UShort", "UChar", "SChar"};
    for (const QString &kind : kinds)
        unsignedFields.AddField(kind, TppDataType::dtInteger);
    for (int v : {0, 7})
        unsignedFields.AddRow({QVariant::fromValue(uint(v)), QVariant::fromValue(qulonglong(v)),
                               QVariant::fromValue(ushort(v)), QVariant::fromValue(uchar(v)),
                               QVariant::fromValue(static_cast<signed char>(v))});
    unsignedFields.Open();
    unsignedFields.First();
    text.SetDataPipeline(&unsignedFields);
    for (const QString &kind : kinds) {
        EXPECT_EQ(shown(kind, false), "0") << kind.toStdString();
        EXPECT_EQ(shown(kind, true), "") << kind.toStdString();
    }
    unsignedFields.Next();
    for (const QString &kind : kinds)
        EXPECT_EQ(shown(kind, true), "7") << kind.toStdString();
    text.SetDataPipeline(&pipeline);
    for (bool blank : {false, true}) {
        EXPECT_EQ(shown("Name", blank), "") << blank;
        EXPECT_EQ(shown("When", blank), "") << blank;
    }
    // A date or time is zero on the first day of the calendar, at midnight.
    MemoryPipeline dates;
    dates.AddField("Day", TppDataType::dtDate);
    dates.AddField("Stamp", TppDataType::dtDateTime);
    dates.AddField("At", TppDataType::dtTime);
    dates.AddRow({QDate(1899, 12, 30), QDateTime(QDate(1899, 12, 30), QTime(0, 0)), QTime(0, 0)});
    dates.AddRow({QDate(1899, 12, 31), QDateTime(QDate(1899, 12, 30), QTime(0, 1)), QTime(0, 1)});
    dates.Open();
    dates.First();
    text.SetDataPipeline(&dates);
    for (const char *field : {"Day", "Stamp", "At"}) {
        EXPECT_NE(shown(field, false), "") << field;
        EXPECT_EQ(shown(field, true), "") << field;
    }
    dates.Next();
    for (const char *field : {"Day", "Stamp", "At"})
        EXPECT_NE(shown(field, true), "") << field;
    text.SetDataPipeline(&pipeline);
    // OnFormat has the last word, without the display format; what it
    // raises goes to the caller (the report's print-error road).
    text.SetDataField("Amount");
    text.SetBlankWhenZero(false);
    text.SetDisplayFormat("0.00");
    QString formatSeen = "unset";
    text.OnFormat.Set([&](classes::TObject *, const QString &format, TppDataType, const QVariant &, QString &t) {
        formatSeen = format;
        t = "[" + t + "]";
    });
    EXPECT_EQ(text.GetText(), "[0]");
    EXPECT_EQ(formatSeen, "0.00");
    text.OnFormat.Set([](classes::TObject *, const QString &, TppDataType, const QVariant &, QString &) {
        throw EPrintError("no format");
    });
    EXPECT_THROW(text.GetText(), EPrintError);
    text.OnFormat.Set(nullptr);

    // Without data the designer sees where the text comes from.
    text.SetDataPipeline(nullptr);
    text.SetDataField("Amount");
    EXPECT_EQ(text.GetText(), "Amount");
}

// A text field's value reaches the page as the formatter in use gives it,
// the standard one or one a program put in its place, mask or none.
TEST_F(TextControls, ATextFieldShowsWhatTheFormatterInUseGivesIt)
{
    MemoryPipeline pipeline;
    pipeline.AddField("Name", TppDataType::dtString);
    pipeline.AddField("Code", TppDataType::dtChar);
    pipeline.AddRow({" Oslo  ", "ab"});
    pipeline.Open();
    pipeline.First();
    TppDBText text;
    text.SetDataPipeline(&pipeline);
    text.SetDataField("Name");
    EXPECT_EQ(text.GetText(), " Oslo  ");
    text.SetDisplayFormat(">LLLLLLL;0;_");
    EXPECT_EQ(text.GetText(), ppFormatDisplayValue(">LLLLLLL;0;_", TppDataType::dtString, " Oslo  "));

    struct Bracketing : TppDisplayFormat
    {
        QString Format(const QString &aFormat, TppDataType aType, const QVariant &aValue) const override
        {
            return "<" + TppDisplayFormat::Format(aFormat, aType, aValue) + ">";
        }
    } bracketing;
    ppSetDisplayFormatClass(&bracketing);
    text.SetDisplayFormat(QString());
    const QString name = text.GetText();
    text.SetDataField("Code");
    const QString code = text.GetText();
    ppSetDisplayFormatClass(&ppDefaultDisplayFormat());
    EXPECT_EQ(name, "< Oslo  >");
    EXPECT_EQ(code, "<ab>");
    EXPECT_EQ(text.GetText(), "ab");
}

TEST_F(TextControls, SaveOrdersStayInsideTheBandsSaveList)
{
    std::vector<TppLabel *> labels;
    for (int i = 0; i < 3; ++i) {
        auto *label = new TppLabel();
        label->SetSave(true);
        label->SetBand(band.get());
        labels.push_back(label);
    }
    EXPECT_EQ(labels[0]->SaveOrder(), 0);
    labels[0]->SetSaveOrder(99);
    EXPECT_EQ(labels[0]->SaveOrder(), 2);
    labels[0]->SetSaveOrder(-5);
    EXPECT_EQ(labels[0]->SaveOrder(), 0);
    labels[1]->SetSave(false);
    EXPECT_EQ(labels[1]->SaveOrder(), -1);
    EXPECT_EQ(band->SaveCount(), 2);
    TppLabel loose;
    EXPECT_EQ(loose.SaveOrder(), -1);
}

TEST_F(TextControls, OnGetTextAndEvent53ChangeTheTextOutsideTheDesigner)
{
    TppLabel label;
    label.SetCaption("a");
    label.OnGetText.Set([](classes::TObject *, QString &text) { text += "b"; });
    TextAppender appender;
    label.AddEventNotify(&appender);
    EXPECT_EQ(label.GetText(), "abc");
    label.OnGetText.Set([](classes::TObject *, QString &) { throw EPrintError("no text"); });
    EXPECT_THROW(label.GetText(), EPrintError);
}

TEST_F(TextControls, APlacedControlFillsItsDrawCommandAndOneCrossingThePageLimitWaits)
{
    TppDetailBand detail;
    detail.SetReport(&report);
    auto *label = new TppLabel();
    label->SetAutoSize(false);
    label->SetBand(&detail);
    label->SetBounds(2000, 1000, 30000, 5000);
    label->SetCaption("Total");
    label->SetSave(true);
    label->SetSaveLength(8);
    detail.SetPrintRect(rtl::TRect{10000, 20000, 200000, 40000});
    detail.SetPageBottom(100000);

    label->ResetGeneration();
    label->InitDrawComponent();
    label->Generate();
    EXPECT_TRUE(label->GenerationComplete());
    EXPECT_EQ(label->PrintPosRect(), (rtl::TRect{12000, 21000, 42000, 26000}));
    TppDrawText command;
    label->PropertiesToDrawCommand(&command);
    EXPECT_EQ(command.Left(), 12000);
    EXPECT_EQ(command.Top(), 21000);
    EXPECT_EQ(command.Height(), 5000);
    EXPECT_EQ(command.Text(), "Total");
    EXPECT_EQ(command.Component(), label);
    EXPECT_TRUE(command.ComponentSave());
    EXPECT_EQ(command.ComponentSaveNo(), 0);
    EXPECT_EQ(command.SaveLength(), 8);

    detail.SetPageBottom(25000);
    label->ResetGeneration();
    label->Generate();
    EXPECT_TRUE(label->OutOfSpace());
    EXPECT_FALSE(label->GenerationComplete());
    EXPECT_EQ(label->SpaceUsed(), 0);
}

TEST_F(TextControls, PlacingFollowsTheParentsStretchShiftAndOverflow)
{
    TppDetailBand detail;
    detail.SetReport(&report);
    detail.SetPrintRect(rtl::TRect{10000, 20000, 200000, 40000});
    detail.SetPageBottom(100000);
    const auto placed = [](TppLabel *label) {
        label->ResetGeneration();
        label->Generate();
        return label->PrintPosRect();
    };
    const auto makeLabel = [&](int32_t top, int32_t height) {
        auto *label = new TppLabel();
        label->SetAutoSize(false);
        label->SetBand(&detail);
        label->SetCaption("x"); // measures the height; the bounds come after
        label->SetBounds(0, top, 30000, height);
        label->InitDrawComponent();
        return label;
    };

    // Stretching with the band: down to its print bottom, then to the page limit.
    TppLabel *stretched = makeLabel(1000, 5000);
    stretched->SetStretchWithParent(true);
    EXPECT_EQ(placed(stretched), (rtl::TRect{10000, 21000, 40000, 40000}));
    detail.SetPageBottom(30000);
    EXPECT_EQ(placed(stretched), (rtl::TRect{10000, 21000, 40000, 30000}));
    EXPECT_TRUE(stretched->GenerationComplete());
    detail.SetPageBottom(100000);

    // Shifting with the band: the distance to the stretched object above stays.
    TppLabel *above = makeLabel(0, 3000);
    above->SetSpaceUsed(12000);
    detail.SetMaxStretchable(above);
    TppLabel *shifted = makeLabel(5000, 2000);
    shifted->SetShiftWithParent(true);
    EXPECT_EQ(placed(shifted).Top, 20000 + 12000 + 2000);
    detail.SetMaxStretchable(nullptr);

    // After an overflow only a control that reprints on it is drawn again.
    TppLabel *once = makeLabel(0, 2000);
    TppLabel *again = makeLabel(0, 2000);
    again->SetReprintOnOverFlow(true);
    for (TppLabel *label : {once, again})
        label->SetDrawComponent(false);
    detail.SetOverFlow(true);
    placed(once);
    placed(again);
    EXPECT_EQ(once->SpaceUsed(), 0);
    EXPECT_EQ(again->SpaceUsed(), 2000);
    detail.SetOverFlow(false);
}

TEST_F(TextControls, RepeatedValuesAreSuppressedOnlyWhenAsked)
{
    MemoryPipeline pipeline;
    fillRepeatedCity(pipeline);
    TppDetailBand detail;
    detail.SetReport(&report);
    auto *text = new TppDBText();
    text->SetBand(&detail);
    text->SetDataPipeline(&pipeline);
    text->SetDataField("City");
    text->SetBounds(0, 0, 20000, 4000);
    detail.SetPrintRect(rtl::TRect{0, 0, 200000, 4000});
    const auto generate = [&] {
        text->UpdateValue();
        text->ResetGeneration();
        text->InitDrawComponent();
        text->Generate();
        return text->SpaceUsed();
    };
    EXPECT_EQ(generate(), 4000);
    pipeline.Next();
    EXPECT_TRUE((generate(), text->PriorValueSame()));
    EXPECT_EQ(text->SpaceUsed(), 4000);
    text->SetSuppressRepeatedValues(true);
    EXPECT_EQ(generate(), 0);
    text->Reset();
    EXPECT_EQ(generate(), 4000);
}

TEST_F(TextControls, TheDesignerPaintsFillTextAndFrame)
{
    TppLabel label;
    label.SetColor(0x0000FF);
    label.SetAutoSize(false);
    label.SetSpBounds(0, 0, 60, 20);
    label.SetCaption("");
    QImage image(60, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    gfx::Canvas canvas(&image);
    label.PaintDesignControl(canvas);
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(image.pixel(59, 19) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(image.pixel(30, 10) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(TextControls, TheStartUpRegistersTheTextsWithTheirPaletteRowsAndDescriptors)
{
    ppContentLayerInit();
    const TppRegComponent *label = ppFindRegComponent("TppLabel");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->PalettePage, "Standard Components");
    EXPECT_EQ(label->PaletteTextID, 172);
    ASSERT_NE(ppFindRegComponent("TppDBText"), nullptr);
    EXPECT_EQ(raFindRTTI("TppDBText"), &TraTppDBTextRTTI::Instance());
    EXPECT_EQ(raFindRTTI("TppDrawText"), &TraTppDrawTextRTTI::Instance());
    EXPECT_EQ(classes::GetClass(u"TppDrawText"), &TppDrawText::StaticClass());

    // The descriptor reaches the text through event 53's parameter.
    TppLabel text;
    text.SetCaption("x");
    QString value;
    ASSERT_TRUE(TraTppCustomTextRTTI::Instance().GetPropValue(&text, "Text", &value));
    EXPECT_EQ(value, "x");
    TraPropRec rec;
    ASSERT_TRUE(TraTppCustomTextRTTI::Instance().GetPropRec(TppLabel::StaticClass(), "ongettext", rec));

    // The popup items' captions come from the language module.
    EXPECT_EQ(text.GetClassDescription(), "Label");
    EXPECT_EQ(ppLoadStr(1132), "Reset Group...");
    EXPECT_EQ(ppLoadStr(245), "SuppressRepeatedValues");

    ppContentLayerFinalize();
    EXPECT_EQ(ppFindRegComponent("TppLabel"), nullptr);
    EXPECT_EQ(raFindRTTI("TppCustomText"), nullptr);
}

// A value that reprints on overflow is a repeat when its band continues on
// the next page: suppressed there when asked, drawn again otherwise.
TEST_F(TextControls, AValueDrawnOnceIsARepeatWhenItsBandOverflows)
{
    MemoryPipeline pipeline;
    fillRepeatedCity(pipeline);
    TppDetailBand detail;
    detail.SetReport(&report);
    detail.SetPrintRect(rtl::TRect{0, 0, 200000, 4000});
    auto *text = new TppDBText();
    text->SetBand(&detail);
    text->SetDataPipeline(&pipeline);
    text->SetDataField("City");
    text->SetBounds(0, 0, 20000, 4000);
    text->SetReprintOnOverFlow(true);
    const auto generate = [&] {
        text->ResetGeneration();
        text->Generate();
        return text->SpaceUsed();
    };
    for (bool suppress : {false, true}) {
        SCOPED_TRACE(suppress);
        text->SetSuppressRepeatedValues(suppress);
        text->Reset();
        text->UpdateValue();
        text->InitDrawComponent();
        detail.SetOverFlow(false);
        EXPECT_EQ(generate(), 4000);
        EXPECT_TRUE(text->PriorValueSame());
        // The band goes on on the next page with the same record.
        text->ClearDrawComponent();
        detail.SetOverFlow(true);
        EXPECT_EQ(generate(), suppress ? 0 : 4000);
    }
}

TEST_F(TextControls, ADataTextsRepeatedValueStateComesBackWithItsPage)
{
    MemoryPipeline pipeline;
    fillRepeatedCity(pipeline);
    TppDBText text;
    text.SetDataPipeline(&pipeline);
    text.SetDataField("City");
    TppCacheManager manager(nullptr, &report);
    manager.Init({&text});
    text.UpdateValue();
    manager.SavePage(0);
    pipeline.Next();
    text.UpdateValue();
    EXPECT_TRUE(text.PriorValueSame());
    manager.RestorePage(0);
    EXPECT_FALSE(text.PriorValueSame());
    EXPECT_EQ(text.FirstPage(), 0);
}

TEST_F(TextControls, ADataTextStartsItsValuesAgainWhenItsResetGroupEnds)
{
    MemoryPipeline pipeline;
    fillRepeatedCity(pipeline);
    TppDBText text;
    text.SetDataPipeline(&pipeline);
    text.SetDataField("City");
    TppCommunicator group(nullptr);
    TppCommunicator stranger(nullptr);
    text.SetResetGroup(&group);
    stranger.AddEventNotify(&text);
    text.UpdateValue();
    text.UpdateValue();
    ASSERT_TRUE(text.PriorValueSame());
    stranger.SendEventNotify(&stranger, ppEvent::AfterGroupBreak, nullptr);
    EXPECT_TRUE(text.PriorValueSame());
    group.SendEventNotify(&group, ppEvent::AfterGroupBreak, nullptr);
    EXPECT_FALSE(text.PriorValueSame());
    EXPECT_EQ(text.FirstPage(), -1);
    // The first value after the break counts as new, even when it repeats.
    pipeline.Next();
    text.UpdateValue();
    EXPECT_FALSE(text.PriorValueSame());
    EXPECT_EQ(text.PriorValue(), "Oslo");
    text.SetResetGroup(nullptr);
}

TEST_F(TextControls, GroupsBreakingOnATextFollowItsNameAndForgetItWhenItGoes)
{
    auto *label = new TppLabel();
    label->SetBand(band.get());
    label->SetUserName("City");
    TppGroup group;
    group.SetReport(&report);
    group.SetBreakType(TppBreakType::btCustomField);
    group.SetBreakName("City");
    label->AddGroup(&group);
    EXPECT_EQ(group.BreakComponent(), label);
    label->SetUserName("Town");
    EXPECT_EQ(group.BreakName(), "Town");
    delete label;
    EXPECT_TRUE(group.BreakName().isEmpty());
    EXPECT_EQ(group.BreakComponent(), nullptr);
}

TEST_F(TextControls, AGroupJoinsTheTextItBreaksOnAndLeavesItWhenItGoes)
{
    auto *label = new TppLabel();
    label->SetBand(band.get());
    label->SetUserName("City");
    auto *group = new TppGroup();
    group->SetReport(&report);
    group->SetBreakType(TppBreakType::btCustomField);
    group->SetBreakName("City");
    EXPECT_EQ(label->GroupCount(), 1);
    label->SetUserName("Town");
    EXPECT_EQ(group->BreakName(), "Town");
    EXPECT_EQ(label->GroupCount(), 1);
    delete group;
    EXPECT_EQ(label->GroupCount(), 0);
    label->SetUserName("Village");

    // Found only when first asked for, the text still tells the group it goes.
    TppGroup late;
    late.SetReport(&report);
    late.SetBreakName("Village");
    late.SetBreakType(TppBreakType::btCustomField);
    EXPECT_EQ(late.BreakComponent(), label);
    EXPECT_EQ(label->GroupCount(), 1);
    delete label;
    EXPECT_TRUE(late.BreakName().isEmpty());
    EXPECT_EQ(late.BreakComponent(), nullptr);
}

TEST_F(TextControls, ExtremeFontsAndSaveOrdersFromAStream)
{
    for (int size : {0, 4000}) {
        TppLabel label;
        label.Font()->SetSize(size);
        label.SetWordWrap(true);
        label.SetCaption("Some caption\tthat\nwraps");
        EXPECT_GE(label.mmHeight(), 0) << size;
        TppDrawText command;
        label.PropertiesToDrawCommand(&command);
    }
    for (const char *order : {"2147483647", "-2147483648"}) {
        const QByteArray text = QByteArray("object TppLabel\n  SaveOrder = ") + order + "\n  Save = True\nend\n";
        TppLabel label;
        readLabel(text, label);
        EXPECT_EQ(label.GetStreamedSaveOrder(), order[0] == '-' ? -32768 : 32767) << order;
        EXPECT_EQ(label.SaveOrder(), -1);
    }
}

TEST_F(TextControls, AnOldReportTakesTheSaveHandlerItsTextNamedFromItsOwner)
{
    classes::TComponent form(nullptr);
    form.DefineMethod<void(classes::TObject *, QString &)>(
        "SaveCity", [](classes::TObject *, QString &text) { text = "saved " + text; });
    for (int version : {3099, 3100}) {
        TppCustomReport owner(&form);
        StandInBand oldBand;
        oldBand.SetReport(&owner);
        const QByteArray text = "object TppLabel\n  OnSave = SaveCity\nend\n";
        auto *label = new TppLabel();
        readLabel(text, *label);
        label->SetBand(&oldBand);
        label->Convert(version);
        EXPECT_EQ(owner.OnSaveText.Assigned(), version < 3100) << version;
        if (owner.OnSaveText) {
            QString saved = "Oslo";
            owner.OnSaveText(&owner, saved);
            EXPECT_EQ(saved, "saved Oslo");
        }
    }
}

TEST_F(TextControls, OldStreamsShiftOrStretchWithTheBand)
{
    TppLabel shifting;
    readLabel("object TppLabel\n  ShiftWithBand = True\nend\n", shifting);
    EXPECT_TRUE(shifting.ShiftWithParent());
    EXPECT_FALSE(shifting.StretchWithParent());
    TppLabel stretching;
    readLabel("object TppLabel\n  StretchWithBand = True\nend\n", stretching);
    EXPECT_TRUE(stretching.StretchWithParent());
    EXPECT_FALSE(stretching.ShiftWithParent());
}
