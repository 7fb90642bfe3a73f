// The controls a designer shows report objects with: popup menus, the
// design control, the rubber band and the selection handles, driven
// offscreen and read back from grabbed widgets.

#include "report/content/text/Label.h"
#include "report/output/design/DesignControl.h"
#include "report/output/design/PopupMenu.h"
#include "report/output/design/SelectionObject.h"

#include "platform/gfx/Canvas.h"

#include "tests/support/PixelProbes.h"

#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace report;
using namespace Qt::Literals::StringLiterals;

namespace {

QStringList itemNames(const TppPopupMenu &aMenu)
{
    QStringList names;
    for (const TppMenuItem *item : aMenu.Items())
        names << item->Name();
    return names;
}

// Under the build folder, for whoever wants to look at what was probed.
void keepImage(const QImage &aImage, const QString &aName)
{
    QDir dir(QCoreApplication::applicationDirPath());
    dir.mkpath(u"design-images"_s);
    aImage.save(dir.filePath(u"design-images/"_s + aName + u".png"_s));
}

QImage grabbed(QWidget &aWidget)
{
    return aWidget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(PopupMenu, OrdersByGroupThenNameAndKeepsOneItemPerName)
{
    TppPopupMenu menu;
    EXPECT_NE(menu.AddItem(10, u"Alpha"_s, 0, u"A"_s), nullptr);
    EXPECT_NE(menu.AddItem(2, u"zulu"_s, 0, u"Z"_s), nullptr);
    EXPECT_NE(menu.AddItem(2, u"Bravo"_s, 0, u"B"_s), nullptr);
    EXPECT_EQ(menu.AddItem(30, u"ZULU"_s, 0, u"again"_s), nullptr);
    EXPECT_EQ(menu.AddItem(1, QString(), 0, u"nameless"_s), nullptr);
    // Groups a key text would misplace: below zero and beyond eight digits.
    menu.AddItem(-5, u"Minus"_s, 0, u"M"_s);
    menu.AddItem(999999999, u"Huge"_s, 0, u"H"_s);
    menu.AddItem(200000000, u"Big"_s, 0, u"G"_s);
    menu.AddItem(20, u"mniLine1"_s, 0, u"-"_s);
    EXPECT_EQ(itemNames(menu),
              (QStringList{u"Minus"_s, u"Bravo"_s, u"zulu"_s, u"Alpha"_s, u"mniLine1"_s, u"Big"_s, u"Huge"_s}));
    EXPECT_EQ(menu.ItemByName(u"ZULU"_s)->Caption(), u"Z"_s);
    EXPECT_TRUE(static_cast<TppMenuItem *>(menu.ItemByName(u"mniLine1"_s))->isSeparator());
    // A caption left empty comes from the message of the item's number,
    // again after a language change.
    IppMenuItem *print = menu.AddItem(40, u"Print"_s, 22, QString());
    EXPECT_EQ(print->Caption(), u"Print"_s);
    EXPECT_EQ(print->Tag(), 22);
    print->SetCaption(u"stale"_s);
    menu.Recaption();
    EXPECT_EQ(print->Caption(), u"Print"_s);
}

TEST(PopupMenu, ItemsNamedAfterBooleanPropertiesShowAndToggleThem)
{
    TppPopupMenu menu;
    IppMenuItem *visible = menu.AddItem(30, u"Visible"_s, 0, u"Visible"_s);
    IppMenuItem *caption = menu.AddItem(30, u"Caption"_s, 0, u"Caption"_s);
    IppMenuItem *missing = menu.AddItem(30, u"NoSuchProperty"_s, 0, u"x"_s);
    int clicks = 0;
    caption->SetOnClick([&] { ++clicks; });

    auto label = std::make_unique<TppLabel>();
    label->SetVisible(false);
    menu.SetComponent(label.get());
    EXPECT_FALSE(visible->Checked());
    visible->Click();
    EXPECT_TRUE(label->Visible());
    EXPECT_TRUE(visible->Checked());
    visible->Click();
    EXPECT_FALSE(label->Visible());
    // A string property of the name is no check mark; its own handler runs.
    caption->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(static_cast<TppMenuItem *>(caption)->isCheckable());
    missing->Click();

    label->SetVisible(true);
    menu.SetComponent(label.get());
    EXPECT_TRUE(visible->Checked());
    // The object goes while the menu stays: a click does nothing.
    label.reset();
    visible->Click();
    menu.SetComponent(nullptr);
    visible->Click();
    menu.AddItem(50, u"Transparent"_s, 0, u"T"_s)->Click();
}

TEST(DesignControl, PaintsThroughItsHandlerRemembersThePressAndFollowsItsAnchors)
{
    QWidget surface;
    surface.resize(200, 100);
    auto *control = new TppDesignControl(&surface);
    surface.show();
    control->SetDesignBounds({10, 10, 60, 40});
    control->OnPaint = [](gfx::Canvas &aCanvas) { aCanvas.FillRect({0, 0, 50, 30}, gfx::Brush::solid(0x0000FF)); };
    EXPECT_EQ(zvotest::at(grabbed(surface), 20, 20), rtl::TColor(0x0000FF));

    QMouseEvent press(QEvent::MouseButtonPress, QPointF(7, 9), control->mapToGlobal(QPointF(7, 9)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(control, &press);
    EXPECT_EQ(control->PressPosition(), QPoint(7, 9));

    control->SetAnchors(ppAnchor::Left | ppAnchor::Top | ppAnchor::Right);
    surface.resize(230, 120);
    EXPECT_EQ(control->DesignBounds(), (rtl::TRect{10, 10, 90, 40}));

    // The surface goes first: whoever holds the control is told.
    bool freed = false;
    control->OnFreed = [&] { freed = true; };
    surface.setParent(nullptr);
    delete control;
    EXPECT_TRUE(freed);
}

TEST(SelectionMarkers, HandlesSitInsideTheCornersOrAroundTheControlInAVisibleColour)
{
    QWidget surface;
    surface.resize(160, 120);
    surface.setAutoFillBackground(true);
    QPalette palette = surface.palette();
    palette.setColor(QPalette::Window, QColor(0x00, 0x80, 0x00));
    surface.setPalette(palette);
    auto *control = new QWidget(&surface);
    control->setGeometry(40, 30, 41, 21);

    surface.show();
    TppSelectionObject selection;
    selection.SetParent(&surface);
    selection.SetSelected(control, 0xFFFFFF);
    selection.Show();
    const QPoint corners[4] = {{40, 30}, {76, 30}, {40, 46}, {76, 46}};
    for (int tag = 0; tag < 4; ++tag) {
        EXPECT_EQ(selection.Handles()->Handle(tag)->pos(), corners[tag]) << tag;
        EXPECT_EQ(selection.Handles()->Handle(tag)->Tag(), tag);
    }
    const QImage four = grabbed(surface);
    keepImage(four, u"four-handles"_s);
    EXPECT_EQ(zvotest::at(four, 78, 48), rtl::TColor(0xC0C0C0));
    // An inverted rectangle is the same rectangle.
    selection.Handles()->Show({81, 51, 40, 30});
    EXPECT_EQ(selection.Handles()->Handle(3)->pos(), QPoint(76, 46));

    auto *marker = new TppHandleMarker(&surface);
    selection.SetMarker(marker);
    const int xs[3] = {38, 58, 79};
    const int ys[3] = {28, 38, 49};
    const QPoint eight[8] = {{xs[0], ys[0]}, {xs[1], ys[0]}, {xs[2], ys[0]}, {xs[0], ys[1]},
                             {xs[2], ys[1]}, {xs[0], ys[2]}, {xs[1], ys[2]}, {xs[2], ys[2]}};
    for (rtl::TColor colour : {rtl::TColor(0), rtl::TColor(0x800000), rtl::TColor(0x0000FF)}) {
        selection.SetSelected(control, colour);
        const QImage shown = grabbed(surface);
        keepImage(shown, u"eight-handles-%1"_s.arg(colour, 6, 16, QLatin1Char('0')));
        const rtl::TColor expected = colour == 0x0000FF ? rtl::clBlack : rtl::clWhite;
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(marker->Handle(i)->pos(), eight[i]) << i;
            EXPECT_EQ(zvotest::at(shown, eight[i].x() + 2, eight[i].y() + 2), expected) << i << " " << colour;
        }
        EXPECT_FALSE(selection.Handles()->Handle(0)->isVisible());
    }
    // The marker goes while shown: the four handles stand in again.
    delete marker;
    EXPECT_EQ(selection.Marker(), nullptr);
    selection.Refresh();
    EXPECT_TRUE(selection.Handles()->Handle(0)->isVisible());
    // So does the selected control.
    delete control;
    selection.Refresh();
    selection.Hide();
    EXPECT_FALSE(selection.Handles()->Handle(0)->isVisible());
}

TEST(SelectionMarkers, TheBoundsRectangleCombinesWithThePixelsBeneathAndPaintedTwiceRestoresThem)
{
    QImage beneath(60, 40, QImage::Format_RGB32);
    for (int y = 0; y < beneath.height(); ++y)
        for (int x = 0; x < beneath.width(); ++x)
            beneath.setPixel(x, y, qRgb(x * 4, y * 6, (x * y) & 0xFF));
    QImage image = beneath;
    {
        QPainter painter(&image);
        TppBoundsRect::PaintFrame(painter, QRect(5, 5, 30, 20));
    }
    keepImage(image, u"bounds-rect-once"_s);
    const QRgb pen = TppBoundsRect::PenColor().rgb();
    EXPECT_EQ(image.pixel(5, 5) & 0xFFFFFF, (beneath.pixel(5, 5) ^ pen) & 0xFFFFFF);
    EXPECT_EQ(image.pixel(6, 15) & 0xFFFFFF, (beneath.pixel(6, 15) ^ pen) & 0xFFFFFF);
    EXPECT_EQ(image.pixel(7, 15), beneath.pixel(7, 15));
    {
        QPainter painter(&image);
        TppBoundsRect::PaintFrame(painter, QRect(5, 5, 30, 20));
        TppBoundsRect::PaintFrame(painter, QRect(10, 10, 0, -3));
    }
    EXPECT_EQ(image, beneath);

    // Over a surface, as the designer shows it during a drag.
    QWidget surface;
    surface.resize(80, 60);
    auto *control = new QWidget(&surface);
    control->setGeometry(10, 10, 30, 20);
    TppSelectionObject selection;
    selection.SetParent(&surface);
    selection.SetSelected(control, 0xFFFFFF);
    EXPECT_EQ(selection.BoundsRect()->geometry(), control->geometry());
    const QImage plain = grabbed(surface);
    selection.BoundsRect()->show();
    const QImage banded = grabbed(surface);
    keepImage(banded, u"bounds-rect-on-surface"_s);
    EXPECT_EQ(banded.pixel(10, 10) & 0xFFFFFF, (plain.pixel(10, 10) ^ pen) & 0xFFFFFF);
    EXPECT_EQ(banded.pixel(20, 20), plain.pixel(20, 20));
    selection.Show();
    EXPECT_FALSE(selection.BoundsRect()->isVisible());
}
