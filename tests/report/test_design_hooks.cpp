// Report objects in a designer: a band of a designed report asks the
// designer for its controls, its objects paint themselves into theirs, and
// their menus and dialogs act on them. Driven offscreen against a designer
// double; the grabbed surfaces are kept under the build folder.

#include "report/content/barcodes/BarCode.h"
#include "report/content/graphics/GraphicRegistry.h"
#include "report/content/graphics/Graphics.h"
#include "report/content/graphics/Images.h"
#include "report/content/graphics/Region.h"
#include "report/content/richtext/RichText.h"
#include "report/content/text/DBText.h"
#include "report/content/text/Memo.h"
#include "report/content/variables/DBCalc.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/Band.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/base/Messages.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/output/design/DesignControl.h"
#include "report/output/design/PopupMenu.h"
#include "report/output/forms/OpenFileDialog.h"

#include "tests/support/PixelProbes.h"
#include "tests/support/report/DesignerDouble.h"
#include "tests/support/report/FormFakes.h"
#include "tests/support/report/MemoryPipeline.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Graphics.h"
#include "platform/classes/StringList.h"
#include "platform/shell/Modal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <malloc.h>

using namespace report;
using namespace reporttest;
using namespace Qt::Literals::StringLiterals;

namespace {

// Counts how often the object paints its picture.
class CountingPrintable : public StandInPrintable
{
public:
    void PaintDesignControl(gfx::Canvas &aCanvas) override
    {
        ++Paints;
        StandInPrintable::PaintDesignControl(aCanvas);
    }
    int Paints = 0;
};

// What the position dialog was given.
struct PositionSeen
{
    classes::TObject *component = nullptr;
    TppUnitType units = TppUnitType::utInches;
    float width = 0;
};

// Answers OK with the place it was told to give.
class PositionDialogDouble : public WindowlessForm<TppCustomPositionDialog>
{
    ZVO_CLASS(PositionDialogDouble)
public:
    using WindowlessForm::WindowlessForm;
    int ShowModal() override
    {
        Shown = {Component, Units, Width};
        Left = 12.5f;
        Top = 2;
        Width = 30;
        Height = 4.25f;
        Apply();
        return ppModalResultOK;
    }
    static inline PositionSeen Shown;
};

const classes::TMetaClass &PositionDialogDouble::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<PositionDialogDouble, TppCustomPositionDialog>("PositionDialogDouble");
    return meta;
}

// A designed report on a green surface, its band 30 pixels down.
class DesignedBand : public ::testing::Test
{
protected:
    DesignedBand()
    {
        ppModelLayerInit(); // the menus' captions
        surface.resize(400, 200);
        surface.setAutoFillBackground(true);
        QPalette palette = surface.palette();
        palette.setColor(QPalette::Window, QColor(0, 0x80, 0));
        surface.setPalette(palette);
        surface.show();
        designer.Surface = &surface;
        report.DesignerSink = &designer;
        report.IncludeState(ppState::Design);
        band.SetReport(&report);
        band.SetDesignOffset(30);
    }
    ~DesignedBand() override { band.SetReport(nullptr); }

    IppDesignControl *place(TppPrintable &aObject, int aLeft, int aTop, int aWidth, int aHeight)
    {
        aObject.SetSpBounds(aLeft, aTop, aWidth, aHeight);
        return aObject.DesignControl();
    }
    QImage grabbed(const QString &aName)
    {
        const QImage image = surface.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QDir dir(QCoreApplication::applicationDirPath());
        dir.mkpath(u"design-images"_s);
        image.save(dir.filePath(u"design-images/"_s + aName + u".png"_s));
        return image;
    }

    ScopedDesignServices services{{[](bool aForBand) -> std::unique_ptr<IppPopupMenu> {
                                       if (aForBand)
                                           return std::make_unique<TppBandPopupMenu>();
                                       return std::make_unique<TppPopupMenu>();
                                   },
                                   [](QObject *aSurface) -> std::unique_ptr<IppDesignControl> {
                                       return std::make_unique<TppDesignControl>(qobject_cast<QWidget *>(aSurface));
                                   }}};
    QWidget surface;
    DesignerDouble designer;
    StandInReport report;
    StandInBand band;
};

TppPopupMenu *poppedUp(IppDesignControl *aControl)
{
    aControl->OnPopup();
    return dynamic_cast<TppPopupMenu *>(aControl->PopupMenu());
}

QStringList names(const TppPopupMenu *aMenu)
{
    QStringList list;
    for (const TppMenuItem *item : aMenu->Items())
        list << item->Name();
    return list;
}

} // namespace

TEST_F(DesignedBand, ObjectsPaintIntoTheirControlsWhereTheBandPlacesThem)
{
    EXPECT_TRUE(designer.has(u"send 1137"_s));
    ASSERT_NE(band.BandDesignControl(), nullptr);
    ASSERT_NE(band.DesignRuler(), nullptr);
    EXPECT_EQ(band.BandDesignControl()->DesignBounds().Top, 30 + band.spHeight());
    EXPECT_EQ(band.BandDesignControl()->DesignBounds().Right,
              ppRound(ppFromMMThousandths(190000, TppUnitType::utScreenPixels, TppAxisType::atHorizontal)) + 1);
    EXPECT_EQ(band.DesignRuler()->DesignBounds().Bottom, 30 + band.spHeight());

    CountingPrintable solid;
    solid.SetColor(0x00FFFF);
    solid.SetCaption(u"Total"_s);
    solid.SetBand(&band);
    EXPECT_TRUE(designer.has(u"send 1136"_s));
    IppDesignControl *solidControl = place(solid, 10, 5, 100, 20);
    ASSERT_NE(solidControl, nullptr);
    EXPECT_EQ(solidControl->DesignBounds(), (rtl::TRect{10, 35, 110, 55}));

    CountingPrintable clear;
    clear.SetColor(0x0000FF);
    clear.SetTransparent(true);
    clear.SetCaption(u"Total"_s);
    clear.SetBand(&band);
    place(clear, 150, 5, 100, 20);
    EXPECT_EQ(band.DesignPositions().size(), 2u);

    const QImage shown = grabbed(u"designed-band"_s);
    // Colour, black frame and some ink of the caption; the transparent one
    // keeps the surface's green but for its caption and frame.
    EXPECT_EQ(zvotest::at(shown, 100, 50), rtl::TColor(0x00FFFF));
    EXPECT_EQ(zvotest::at(shown, 10, 45), rtl::clBlack);
    EXPECT_EQ(zvotest::at(shown, 109, 54), rtl::clBlack);
    EXPECT_EQ(zvotest::at(shown, 240, 50), rtl::TColor(0x008000));
    EXPECT_EQ(zvotest::at(shown, 150, 45), rtl::clBlack);
    const auto inkIn = [&](int aLeft) {
        int ink = 0;
        for (int y = 36; y < 50; ++y)
            for (int x = aLeft + 1; x < aLeft + 40; ++x)
                ink += zvotest::at(shown, x, y) == rtl::clBlack;
        return ink;
    };
    EXPECT_GT(inkIn(10), 5);
    EXPECT_GT(inkIn(150), 5);

    // A new height paints the picture again once and tells the designer.
    designer.Messages.clear();
    solid.Paints = 0;
    solid.SetspHeight(30);
    const QImage taller = grabbed(u"designed-band-taller"_s);
    surface.repaint();
    EXPECT_EQ(solid.Paints, 1);
    EXPECT_TRUE(designer.has(u"send 1131"_s));
    EXPECT_EQ(zvotest::at(taller, 109, 64), rtl::clBlack);

    // Taking the band's width anchors the control to both sides.
    solid.SetParentWidth(true);
    EXPECT_EQ(solidControl->Anchors() & ppAnchor::LeftRight, ppAnchor::LeftRight);
    EXPECT_EQ(solidControl->DesignBounds().Left, 0);

    // Posted messages arrive when the event loop comes round.
    designer.Messages.clear();
    solid.PostDesignerMessage(ppDesignerMsg::PropertyChanged, &solid);
    EXPECT_FALSE(designer.has(u"post 1131"_s));
    QCoreApplication::processEvents();
    EXPECT_TRUE(designer.has(u"post 1131"_s));

    // The surface frees a control first: its object lets go of it.
    delete dynamic_cast<TppDesignControl *>(clear.DesignControl());
    EXPECT_EQ(clear.DesignControl(), nullptr);
    clear.SetspHeight(25);
    clear.SetBand(nullptr);
}

// An object's handler frees the object while its control paints it: the
// control is inside its own paint event, so it is hidden and left for Qt to
// free once the event is over, never deleted under Qt's feet.
TEST_F(DesignedBand, AControlWhoseObjectGoesWhileItPaintsIsFreedAfterItsPaint)
{
    auto *image = new TppDBImage;
    image->OnGetPicture.Set([&image](auto &&...) { delete std::exchange(image, nullptr); });
    image->SetBand(&band);
    QPointer<TppDesignControl> control = dynamic_cast<TppDesignControl *>(place(*image, 10, 5, 60, 30));
    ASSERT_TRUE(control);
    ASSERT_NE(image, nullptr);
    mallopt(M_PERTURB, 0xA5);
    control->grab();
    mallopt(M_PERTURB, 0);
    EXPECT_EQ(image, nullptr);
    ASSERT_TRUE(control);
    EXPECT_TRUE(control->isHidden());
    EXPECT_EQ(band.ObjectCount(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(control);
}

TEST_F(DesignedBand, MenusListTheirItemsAndActOnTheObjectTheyPopUpFor)
{
    report.UnitType = TppUnitType::utMillimeters;
    band.SetUnits(report.UnitType);
    StandInPrintable first;
    StandInPrintable second;
    first.SetBand(&band);
    second.SetBand(&band);
    place(first, 10, 5, 100, 20);

    TppPopupMenu *menu = poppedUp(first.DesignControl());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(names(menu),
              (QStringList{u"BringToFront"_s, u"SendToBack"_s, u"mniLine1"_s, u"Position"_s, u"Visible"_s}));
    EXPECT_EQ(menu->ItemByName(u"Position"_s)->Caption(), u"Position..."_s);
    // One menu per class of object, and one for the bands.
    EXPECT_EQ(second.DesignControl()->PopupMenu(), menu);
    EXPECT_EQ(report.PopupMenus.Count(), 2);

    // Without a registered dialog the Position item does nothing.
    const rtl::TRect before{first.mmLeft(), first.mmTop(), first.mmWidth(), first.mmHeight()};
    menu->ItemByName(u"Position"_s)->Click();
    EXPECT_EQ((rtl::TRect{first.mmLeft(), first.mmTop(), first.mmWidth(), first.mmHeight()}), before);

    ppRegisterFormClass(TppCustomPositionDialog::StaticClass(), PositionDialogDouble::StaticClass());
    menu->ItemByName(u"Position"_s)->Click();
    ppUnRegisterFormClass(TppCustomPositionDialog::StaticClass());
    EXPECT_EQ(PositionDialogDouble::Shown.component, &first);
    EXPECT_EQ(PositionDialogDouble::Shown.units, TppUnitType::utMillimeters);
    EXPECT_NEAR(PositionDialogDouble::Shown.width,
                first.FromMMThousandths(before.Right, TppUnitType::utMillimeters, TppAxisType::atHorizontal), 0.001);
    EXPECT_EQ(first.mmLeft(), 12500);
    EXPECT_EQ(first.mmTop(), 2000);
    EXPECT_EQ(first.mmWidth(), 30000);
    EXPECT_EQ(first.mmHeight(), 4250);

    // Bound to the second object, the items act on it alone.
    menu = poppedUp(second.DesignControl());
    menu->ItemByName(u"BringToFront"_s)->Click();
    EXPECT_EQ(band.Objects(band.ObjectCount() - 1), &second);

    // The band's menu: height kinds checked as they stand, Visible bound to
    // the band's published property.
    TppPopupMenu *bandMenu = poppedUp(band.BandDesignControl());
    ASSERT_NE(dynamic_cast<TppBandPopupMenu *>(bandMenu), nullptr);
    EXPECT_EQ(names(bandMenu), (QStringList{u"DynamicHeight"_s, u"StaticHeight"_s, u"mniLine1"_s, u"CalcOrder"_s,
                                            u"Position"_s, u"Visible"_s}));
    EXPECT_TRUE(bandMenu->ItemByName(u"StaticHeight"_s)->Checked());
    EXPECT_FALSE(bandMenu->ItemByName(u"DynamicHeight"_s)->Checked());
    EXPECT_TRUE(bandMenu->ItemByName(u"Visible"_s)->Checked());
    bandMenu->ItemByName(u"DynamicHeight"_s)->Click();
    EXPECT_EQ(band.PrintHeight(), TppPrintHeightType::phDynamic);
    bandMenu->ItemByName(u"Visible"_s)->Click();
    EXPECT_FALSE(band.Visible());
    bandMenu = poppedUp(band.BandDesignControl());
    EXPECT_TRUE(bandMenu->ItemByName(u"DynamicHeight"_s)->Checked());
    EXPECT_FALSE(bandMenu->ItemByName(u"StaticHeight"_s)->Checked());
    bandMenu->ItemByName(u"StaticHeight"_s)->Click();
    EXPECT_EQ(band.PrintHeight(), TppPrintHeightType::phStatic);
    // Without registered classes the dialogs are skipped.
    bandMenu->ItemByName(u"CalcOrder"_s)->Click();
    bandMenu->ItemByName(u"Position"_s)->Click();
}

// ---- The controls' own items and dialogs ----------------------------------------------

namespace {

// Each answers OK after the test's answer has filled it in.
#define DESIGN_DIALOG_DOUBLE(Name_, Base_)                                                                             \
    class Name_ : public WindowlessForm<Base_>                                                                         \
    {                                                                                                                  \
        ZVO_CLASS(Name_)                                                                                               \
    public:                                                                                                            \
        using WindowlessForm::WindowlessForm;                                                                          \
        int ShowModal() override                                                                                       \
        {                                                                                                              \
            Answer(*this);                                                                                             \
            return ppModalResultOK;                                                                                    \
        }                                                                                                              \
        static inline std::function<void(Base_ &)> Answer;                                                             \
    };                                                                                                                 \
    const classes::TMetaClass &Name_::StaticClass()                                                                    \
    {                                                                                                                  \
        static const classes::TMetaClass meta = classes::MakeClass<Name_, Base_>(#Name_);                              \
        return meta;                                                                                                   \
    }
DESIGN_DIALOG_DOUBLE(FormatDialogDouble, TppCustomFormatDialog)
DESIGN_DIALOG_DOUBLE(MemoDialogDouble, TppCustomMemoDialog)
DESIGN_DIALOG_DOUBLE(ShiftDialogDouble, TppCustomShiftDialog)
DESIGN_DIALOG_DOUBLE(DBCalcDialogDouble, TppCustomDBCalcDialog)
DESIGN_DIALOG_DOUBLE(BarCodeDialogDouble, TppCustomBarCodeDialog)
DESIGN_DIALOG_DOUBLE(RTFEditorDouble, TppCustomRTFEditor)
#undef DESIGN_DIALOG_DOUBLE

} // namespace

TEST_F(DesignedBand, ControlsAddTheirItemsAmongTheComponentsAndActOnThemselves)
{
    ppRegisterFormClass(TppCustomFormatDialog::StaticClass(), FormatDialogDouble::StaticClass());
    ppRegisterFormClass(TppCustomMemoDialog::StaticClass(), MemoDialogDouble::StaticClass());
    ppRegisterFormClass(TppCustomShiftDialog::StaticClass(), ShiftDialogDouble::StaticClass());

    TppDBText text;
    text.SetBand(&band);
    TppPopupMenu *menu = poppedUp(text.DesignControl());
    EXPECT_EQ(names(menu), (QStringList{u"BringToFront"_s, u"SendToBack"_s, u"mniLine1"_s, u"AutoSize"_s,
                                        u"BlankWhenZero"_s, u"DisplayFormat"_s, u"Position"_s, u"ReprintOnOverFlow"_s,
                                        u"ReprintOnSubsequent"_s, u"ResetGroup"_s, u"ShiftWithParent"_s,
                                        u"SuppressRepeatedValues"_s, u"Transparent"_s, u"Visible"_s, u"WordWrap"_s}));
    menu->ItemByName(u"BlankWhenZero"_s)->Click();
    EXPECT_TRUE(text.BlankWhenZero());
    EXPECT_TRUE(poppedUp(text.DesignControl())->ItemByName(u"BlankWhenZero"_s)->Checked());
    FormatDialogDouble::Answer = [](TppCustomFormatDialog &aDialog) { aDialog.DisplayFormat = u"#,0.00"_s; };
    menu->ItemByName(u"DisplayFormat"_s)->Click();
    EXPECT_EQ(text.DisplayFormat(), u"#,0.00"_s);

    TppLine line;
    line.SetBand(&band);
    menu = poppedUp(line.DesignControl());
    EXPECT_EQ(names(menu).mid(3, 3), (QStringList{u"StyleDouble"_s, u"StyleSingle"_s, u"StyleLine1"_s}));
    EXPECT_TRUE(menu->ItemByName(u"StyleSingle"_s)->Checked());
    menu->ItemByName(u"StyleDouble"_s)->Click();
    EXPECT_EQ(line.Style(), TppLineStyleType::lsDouble);
    menu = poppedUp(line.DesignControl());
    EXPECT_FALSE(menu->ItemByName(u"StyleSingle"_s)->Checked());
    menu->ItemByName(u"ParentWidth"_s)->Click();
    EXPECT_TRUE(line.ParentWidth());

    // A memo's lines through its dialog; a stretching object's target
    // through the shift dialog, none first.
    TppMemo upper;
    TppMemo lower;
    upper.SetBand(&band);
    lower.SetBand(&band);
    upper.SetUserName(u"Upper"_s);
    lower.SetUserName(u"Lower"_s);
    MemoDialogDouble::Answer = [](TppCustomMemoDialog &aDialog) {
        QStringList lines = aDialog.Lines();
        lines << u"added"_s;
        aDialog.SetLines(lines);
    };
    poppedUp(upper.DesignControl())->ItemByName(u"Lines"_s)->Click();
    EXPECT_EQ(upper.Lines()->Text(), u"added\r\n"_s);

    QStringList offered;
    QString answer = upper.UserName();
    ShiftDialogDouble::Answer = [&](TppCustomShiftDialog &aDialog) {
        offered = aDialog.Choices;
        aDialog.Selection = answer;
    };
    menu = poppedUp(lower.DesignControl());
    menu->ItemByName(u"ShiftRelativeTo"_s)->Click();
    EXPECT_EQ(offered.value(0), u"(none)"_s);
    EXPECT_TRUE(offered.contains(upper.UserName()));
    EXPECT_FALSE(offered.contains(lower.UserName()));
    EXPECT_EQ(lower.ShiftRelativeTo(), &upper);
    menu = poppedUp(lower.DesignControl());
    EXPECT_TRUE(menu->ItemByName(u"ShiftRelativeTo"_s)->Checked());
    EXPECT_FALSE(menu->ItemByName(u"ShiftWithParent"_s)->Enabled());
    // A name the list did not offer, and none, both leave no target.
    for (const QString &choice : {u"NoSuchMemo"_s, u"(none)"_s}) {
        lower.SetShiftRelativeTo(&upper);
        answer = choice;
        menu->ItemByName(u"ShiftRelativeTo"_s)->Click();
        EXPECT_EQ(lower.ShiftRelativeTo(), nullptr) << choice.toStdString();
    }

    ppUnRegisterFormClass(TppCustomShiftDialog::StaticClass());
    ppUnRegisterFormClass(TppCustomMemoDialog::StaticClass());
    ppUnRegisterFormClass(TppCustomFormatDialog::StaticClass());
}

namespace {

class PageSettingDialogDouble : public WindowlessForm<TppCustomPageSettingDialog>
{
    ZVO_CLASS(PageSettingDialogDouble)
public:
    using WindowlessForm::WindowlessForm;
    int ShowModal() override
    {
        PageText = u"1,3"_s;
        return ppModalResultOK;
    }
};

const classes::TMetaClass &PageSettingDialogDouble::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<PageSettingDialogDouble, TppCustomPageSettingDialog>("PageSettingDialogDouble");
    return meta;
}

} // namespace

TEST_F(DesignedBand, BandClassesAddOrDisableTheirItems)
{
    TppFooterBand footer;
    footer.SetReport(&report);
    TppPopupMenu *menu = poppedUp(footer.BandDesignControl());
    EXPECT_EQ(names(menu).mid(3, 3), (QStringList{u"PrintOnFirstPage"_s, u"PrintOnLastPage"_s, u"Line2"_s}));
    EXPECT_TRUE(menu->ItemByName(u"PrintOnFirstPage"_s)->Checked());
    menu->ItemByName(u"PrintOnFirstPage"_s)->Click();
    EXPECT_FALSE(footer.PrintOnFirstPage());
    // A footer's height mode stays as it is.
    EXPECT_FALSE(menu->ItemByName(u"DynamicHeight"_s)->Enabled());
    menu->ItemByName(u"DynamicHeight"_s)->Click();
    EXPECT_EQ(footer.PrintHeight(), TppPrintHeightType::phStatic);
    // A band with objects keeps a height above 0, and says why.
    QStringList told;
    {
        ScopedDialogServices boxes({{}, [&](const TppMessageRequest &aRequest) {
                                        told << aRequest.text;
                                        return ppMessageOk;
                                    }});
        StandInPrintable object;
        object.SetBand(&footer);
        footer.SetmmHeight(0);
    }
    EXPECT_EQ(told, QStringList{u"A band that holds objects must be higher than 0."_s});
    EXPECT_GT(footer.mmHeight(), 0);
    // Leaving the report frees the band's controls.
    footer.SetReport(nullptr);
    EXPECT_EQ(footer.BandDesignControl(), nullptr);
    EXPECT_EQ(footer.DesignRuler(), nullptr);

    TppGroupHeaderBand header;
    header.SetReport(&report);
    poppedUp(header.BandDesignControl())->ItemByName(u"Groups"_s)->Click();
    EXPECT_TRUE(designer.has(u"send 1130"_s));
    header.SetReport(nullptr);

    TppPageStyle style;
    style.SetReport(&report);
    menu = poppedUp(style.BandDesignControl());
    menu->ItemByName(u"PageSetting"_s)->Click();
    EXPECT_EQ(style.PageSetting(), TppPageSettingType::psAll);
    ppRegisterFormClass(TppCustomPageSettingDialog::StaticClass(), PageSettingDialogDouble::StaticClass());
    menu->ItemByName(u"PageSetting"_s)->Click();
    ppUnRegisterFormClass(TppCustomPageSettingDialog::StaticClass());
    EXPECT_EQ(style.PageSetting(), TppPageSettingType::psPageList);
    EXPECT_EQ(style.PageList(), (QStringList{QString::asprintf("%8d", 1), QString::asprintf("%8d", 3)}));
    style.SetReport(nullptr);
}

TEST_F(DesignedBand, AMemoShowsItsLinesAsTheyBreakOnPaperOrItsCaptionWhenEmpty)
{
    TppMemo memo;
    memo.SetBand(&band);
    memo.SetCaption(u"Notes"_s);
    memo.SetSpBounds(10, 5, 120, 30);
    const auto painted = [&] {
        QImage image = zvotest::blank(120, 30);
        gfx::Canvas canvas(&image);
        memo.PaintDesignControl(canvas);
        return image;
    };
    const auto inkRight = [](const QImage &aImage) {
        for (int y = 1; y < 29; ++y)
            for (int x = 50; x < 118; ++x)
                if (zvotest::at(aImage, x, y) != rtl::clWhite)
                    return true;
        return false;
    };
    const QImage empty = painted();
    int captionInk = 0;
    for (int y = 1; y < 29; ++y)
        for (int x = 1; x < 50; ++x)
            captionInk += zvotest::at(empty, x, y) != rtl::clWhite;
    EXPECT_GT(captionInk, 5);
    EXPECT_EQ(zvotest::at(empty, 119, 15), rtl::clBlack);
    EXPECT_FALSE(inkRight(empty));

    // The lines as they break on paper, in place of the caption.
    classes::TStringList lines;
    lines.Add(u"WWWWWWWWWWWW"_s);
    for (int i = 0; i < 9; ++i)
        lines.Add(u"."_s);
    memo.SetLines(&lines);
    const QImage full = painted();
    QDir dir(QCoreApplication::applicationDirPath());
    full.save(dir.filePath(u"design-images/memo-lines.png"_s));
    EXPECT_TRUE(inkRight(full));
}

// The data image's graphic types form a sub-menu that follows the registry:
// the image's own type is checked, a click switches it, and a type
// registered later is offered the next time the shared menu pops up.
TEST_F(DesignedBand, ADataImageChoosesItsGraphicTypeFromASubMenu)
{
    TppDBImage first;
    TppDBImage second;
    first.SetBand(&band);
    second.SetBand(&band);
    IppMenuItem *types = poppedUp(first.DesignControl())->ItemByName(u"GraphicType"_s);
    ASSERT_EQ(types->SubItems().size(), size_t(ppGraphicTypeNames().size()));
    EXPECT_TRUE(types->SubItemByName(u"Bitmap"_s)->Checked());
    types->SubItemByName(u"MetaFile"_s)->Click();
    EXPECT_TRUE(first.DirectDraw());

    ppRegisterGraphicClass(u"Portable"_s, classes::TBitmap::StaticClass());
    types = poppedUp(second.DesignControl())->ItemByName(u"GraphicType"_s);
    EXPECT_TRUE(types->SubItemByName(u"Bitmap"_s)->Checked());
    EXPECT_FALSE(types->SubItemByName(u"MetaFile"_s)->Checked());
    types->SubItemByName(u"Portable"_s)->Click();
    EXPECT_EQ(second.GraphicType(), u"Portable"_s);
    EXPECT_EQ(first.GraphicType(), u"MetaFile"_s);
    ppFreeGraphicClasses();
}

// The image's Picture item asks through the program's file dialog: the file
// chosen is loaded; one that does not decode is reported and leaves the
// picture the image had.
TEST_F(DesignedBand, AnImageLoadsThePictureChosenInTheFileDialog)
{
    QTemporaryDir folder;
    QImage red(6, 4, QImage::Format_RGB32);
    ASSERT_TRUE(red.save(folder.filePath(u"red.png"_s)) && red.save(folder.filePath(u"broken.png"_s), "PPM"));
    int messages = 0;
    ScopedDialogServices answers{
        {{}, [&messages](const TppMessageRequest &) { return ++messages; }, &ppExecOpenFileDialog}};
    TppImage image;
    image.SetBand(&band);
    shell::ScriptedDialogs dialogs;
    for (const QString &name : {u"red.png"_s, u"broken.png"_s})
        dialogs.drive<QFileDialog>([&folder, name](QFileDialog &aDialog) {
            aDialog.selectFile(folder.filePath(name));
            static_cast<QDialog &>(aDialog).accept();
        });
    poppedUp(image.DesignControl())->ItemByName(u"Picture"_s)->Click();
    poppedUp(image.DesignControl())->ItemByName(u"Picture"_s)->Click();
    EXPECT_EQ(messages, 1);
    EXPECT_EQ(image.Picture()->Width(), 6);
}

// A calculation's dialog offers the report's pipeline and groups and hands
// back what was chosen; an answer it was not offered changes nothing, and
// without a registered dialog the item does nothing.
TEST_F(DesignedBand, ADataCalculationTakesWhatItsDialogChoseAmongTheOffers)
{
    MemoryPipeline data;
    MemoryPipeline foreign;
    TppGroup group;
    TppGroup stranger;
    report.Pipeline = &data;
    report.Groups = {&group};
    TppDBCalc calc;
    calc.SetBand(&band);
    IppMenuItem *item = poppedUp(calc.DesignControl())->ItemByName(u"Calculations"_s);
    item->Click();
    ppRegisterFormClass(TppCustomDBCalcDialog::StaticClass(), DBCalcDialogDouble::StaticClass());
    DBCalcDialogDouble::Answer = [&](TppCustomDBCalcDialog &aDialog) {
        EXPECT_EQ(aDialog.Groups, std::vector<classes::TComponent *>{&group});
        aDialog.DataPipeline = aDialog.DataPipelines.at(0);
        aDialog.DataField = u"Amount"_s;
        aDialog.DBCalcType = int32_t(TppDBCalcType::dcMaximum);
        aDialog.ResetGroup = &group;
    };
    item->Click();
    EXPECT_EQ(calc.DataPipeline(), &data);
    EXPECT_EQ(calc.DBCalcType(), TppDBCalcType::dcMaximum);
    EXPECT_EQ(calc.ResetGroup(), &group);
    DBCalcDialogDouble::Answer = [&](TppCustomDBCalcDialog &aDialog) {
        aDialog.DataPipelines.push_back(&foreign);
        aDialog.DataPipeline = &foreign;
        aDialog.DBCalcType = 9;
        aDialog.ResetGroup = &stranger;
    };
    item->Click();
    EXPECT_EQ(calc.DataPipeline(), &data);
    EXPECT_EQ(calc.DBCalcType(), TppDBCalcType::dcMaximum);
    EXPECT_EQ(calc.ResetGroup(), &group);
    ppUnRegisterFormClass(TppCustomDBCalcDialog::StaticClass());
}

// A bar code's Configure hands the dialog its settings and applies the
// answer; a symbology number past the list keeps the one it has.
TEST_F(DesignedBand, ABarCodeTakesItsConfigurationFromTheDialog)
{
    TppBarCode code;
    code.SetBand(&band);
    ppRegisterFormClass(TppCustomBarCodeDialog::StaticClass(), BarCodeDialogDouble::StaticClass());
    float shownWidth = 0;
    BarCodeDialogDouble::Answer = [&shownWidth](TppCustomBarCodeDialog &aDialog) {
        shownWidth = aDialog.BarWidth;
        aDialog.BarCodeType = int32_t(TppBarCodeType::bcInt2of5);
        aDialog.Orientation = int32_t(TppBarCodeOrientation::orTopToBottom);
        aDialog.BearerBars = true;
    };
    IppMenuItem *configure = poppedUp(code.DesignControl())->ItemByName(u"Configure"_s);
    configure->Click();
    EXPECT_EQ(shownWidth, code.BarWidth());
    EXPECT_EQ(code.BarCodeType(), TppBarCodeType::bcInt2of5);
    EXPECT_EQ(code.Orientation(), TppBarCodeOrientation::orTopToBottom);
    EXPECT_TRUE(code.BearerBars());
    BarCodeDialogDouble::Answer = [](TppCustomBarCodeDialog &aDialog) { aDialog.BarCodeType = 200; };
    configure->Click();
    EXPECT_EQ(code.BarCodeType(), TppBarCodeType::bcInt2of5);
    ppUnRegisterFormClass(TppCustomBarCodeDialog::StaticClass());
}

// A rich text's Edit hands the editor its RTF and mail-merge flag and loads
// the edited RTF back.
TEST_F(DesignedBand, ARichTextLoadsWhatItsEditorAccepted)
{
    TppRichText rich;
    rich.SetBand(&band);
    rich.SetMailMerge(true);
    rich.SetRichText(u"{\\rtf1 before}"_s);
    QString shown;
    RTFEditorDouble::Answer = [&shown](TppCustomRTFEditor &aEditor) {
        shown = QString::fromLatin1(aEditor.RichText());
        EXPECT_TRUE(aEditor.MailMerge());
        aEditor.SetRichText("{\\rtf1 after}");
    };
    ppRegisterFormClass(TppCustomRTFEditor::StaticClass(), RTFEditorDouble::StaticClass());
    poppedUp(rich.DesignControl())->ItemByName(u"Edit"_s)->Click();
    ppUnRegisterFormClass(TppCustomRTFEditor::StaticClass());
    EXPECT_TRUE(shown.contains(u"before"_s));
    EXPECT_EQ(rich.PlainText().trimmed(), u"after"_s);
    poppedUp(rich.DesignControl())->ItemByName(u"KeepTogether"_s)->Click();
    EXPECT_TRUE(rich.KeepTogether());
    EXPECT_TRUE(poppedUp(rich.DesignControl())->ItemByName(u"KeepTogether"_s)->Checked());
    EXPECT_EQ(poppedUp(rich.DesignControl())->ItemByName(u"Transparent"_s)->Checked(), rich.Transparent());
}

TEST_F(DesignedBand, ARegionPaintsItsBrushPenBevelAndCaptionAndAnEmptyImageFramesAsItsControlAsks)
{
    TppRegion region;
    region.Brush()->SetColor(0x00FFFF);
    region.SetCaption(u"Totals"_s);
    region.SetBand(&band);
    place(region, 10, 5, 100, 40);
    TppImage solidFrame;
    solidFrame.SetBand(&band);
    place(solidFrame, 150, 5, 100, 40);
    TppImage dashedFrame;
    dashedFrame.SetBand(&band);
    IppDesignControl *dashedControl = place(dashedFrame, 270, 5, 100, 40);
    ASSERT_NE(dashedControl, nullptr);
    dashedControl->DashedFrame = true;

    const QImage shown = grabbed(u"designed-region"_s);
    // The region stands at (10, 35) to (110, 75) on the surface.
    EXPECT_EQ(zvotest::at(shown, 10, 60), rtl::clBlack);
    EXPECT_EQ(zvotest::at(shown, 60, 35), rtl::clBlack);
    EXPECT_EQ(zvotest::at(shown, 11, 60), rtl::TColor(0x808080));
    EXPECT_EQ(zvotest::at(shown, 60, 36), rtl::TColor(0x808080));
    EXPECT_EQ(zvotest::at(shown, 108, 60), rtl::TColor(0xC0C0C0));
    EXPECT_EQ(zvotest::at(shown, 60, 73), rtl::TColor(0xC0C0C0));
    EXPECT_EQ(zvotest::at(shown, 109, 60), rtl::clBlack);
    EXPECT_EQ(zvotest::at(shown, 60, 65), rtl::TColor(0x00FFFF));
    int captionInk = 0;
    for (int y = 38; y < 50; ++y)
        for (int x = 13; x < 60; ++x)
            captionInk += zvotest::at(shown, x, y) != rtl::TColor(0x00FFFF);
    EXPECT_GT(captionInk, 0);

    // Along the top edge: unbroken for the solid frame, with gaps for the
    // dashed one.
    const auto gapsAlongTop = [&](int aLeft) {
        int gaps = 0;
        for (int x = aLeft + 2; x < aLeft + 98; ++x)
            gaps += zvotest::at(shown, x, 35) != rtl::clBlack;
        return gaps;
    };
    EXPECT_EQ(gapsAlongTop(150), 0);
    EXPECT_GT(gapsAlongTop(270), 10);
}

TEST_F(DesignedBand, ABandWithABarExplainsWhyItKeepsItsHeight)
{
    QStringList shown;
    ScopedDialogServices dialogs({{}, [&shown](const TppMessageRequest &aRequest) {
                                      shown.append(aRequest.text);
                                      return 1;
                                  }});
    ASSERT_NE(band.BandDesignControl(), nullptr);
    const int32_t height = band.mmHeight();
    band.SetmmHeight(report.mmPrintableHeight() + 1);
    EXPECT_EQ(band.mmHeight(), height);
    EXPECT_EQ(shown, QStringList{ppLoadStr(297)});
}
