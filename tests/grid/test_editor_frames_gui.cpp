#include "EditorFixture.h"

#include "grid/widgets/ContainerHintWindow.h"
#include "grid/widgets/InplaceEdit.h"

#include "tests/support/PixelProbes.h"

#include "platform/classes/Graphics.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Colors.h"

#include <QApplication>
#include <QScreen>

using namespace grid;
using gridtest::EditorWindow;

namespace {

const rtl::TColor Below = rtl::clAqua; // the container's background
const rtl::TColor FrameColour = rtl::clBlack;
const rtl::TColor ShadowColour = rtl::RGB(128, 128, 128);
const rtl::TColor DarkColour = rtl::clBlack;
const rtl::TColor FaceColour = rtl::RGB(192, 192, 192);
const rtl::TColor Inside = rtl::clWhite; // the editor's colour

class EditorFrames : public EditorWindow
{
protected:
    void SetUp() override
    {
        EditorWindow::SetUp();
        QPalette palette = container->palette();
        palette.setColor(QPalette::Window, gfx::ToQColor(Below));
        container->setPalette(palette);
        container->setAutoFillBackground(true);
        edit = make<TdxInplaceEdit>();
        edit->SetColor(rtl::clWhite);
    }

    // The container with the editor over the cell (20, 20, 120, 40): the
    // editor's bounds are (18, 18, 122, 42).
    QImage shown(TdxEditBorderStyle style, bool shadow)
    {
        edit->Style().SetBorderStyle(style);
        edit->Style().SetShadow(shadow);
        edit->ShowEdit(rtl::TRect{20, 20, 120, 40});
        return container->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    TdxInplaceEdit *edit = nullptr;
};

TEST_F(EditorFrames, EachBorderStyleAndTheMaskOfAThinBorder)
{
    // A 1-pixel border: the outermost row of the bounds is cut away.
    zvotest::expectPixels(shown(xbsSingle, false), {{18, 18, Below},
                                                    {60, 18, Below},
                                                    {121, 30, Below},
                                                    {19, 19, FrameColour},
                                                    {120, 40, FrameColour},
                                                    {60, 19, FrameColour},
                                                    {20, 20, Inside},
                                                    {60, 30, Inside}});
    zvotest::expectPixels(shown(xbsThick, false),
                          {{18, 18, FrameColour}, {19, 19, FrameColour}, {121, 41, FrameColour}, {20, 20, Inside}});
    zvotest::expectPixels(shown(xbs3D, false),
                          {{18, 18, ShadowColour}, {19, 19, DarkColour}, {121, 41, rtl::clWhite}, {20, 20, Inside}});
    zvotest::expectPixels(shown(xbsFlat, false), {{18, 18, ShadowColour}, {19, 19, FaceColour}, {20, 20, Inside}});
    // No border: two pixels of the cell below show all round.
    zvotest::expectPixels(shown(xbsNone, false),
                          {{18, 18, Below}, {19, 19, Below}, {20, 20, Inside}, {120, 40, Below}});
}

TEST_F(EditorFrames, TheShadowAndWhatItCutsAway)
{
    // Border (18, 18, 120, 40); the shadow's strips at the right and bottom
    // of (20, 20, 122, 42); the corners outside both show what is below.
    zvotest::expectPixels(shown(xbs3D, true), {{121, 41, ShadowColour},
                                               {21, 41, ShadowColour},
                                               {121, 21, ShadowColour},
                                               {19, 41, Below},
                                               {121, 19, Below},
                                               {18, 18, ShadowColour},
                                               {119, 39, rtl::clWhite}});
}

TEST_F(EditorFrames, AHotTrackedSingleBorderThickensWhileFocused)
{
    edit->Style().SetHotTrack(true);
    const QImage focused = shown(xbsSingle, false);
    ASSERT_TRUE(edit->hasFocus());
    zvotest::expectPixels(focused, {{18, 18, FrameColour}, {19, 19, FrameColour}});
    other->setFocus();
    QCoreApplication::processEvents();
    zvotest::expectPixels(container->grab().toImage().convertToFormat(QImage::Format_RGB32),
                          {{18, 18, Below}, {19, 19, FrameColour}});
}

class HintWindow : public ::testing::Test
{
protected:
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    classes::TFont font;
    gfx::FixedTextMeasurer measurer{7, 13, 10};
};

// Whether the mouse passes through is seen only on a real display (the
// window test under X11).
TEST_F(HintWindow, StaysOnTheScreenAndLeavesTheActiveWindowActive)
{
    QWidget owner;
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));

    TdxContainerHintWindow hint;
    hint.setTextMeasurer(&measurer);
    hint.ShowCellHintEx(screen.bottomRight() - QPoint(5, 5), 0, true, font, "A hint");
    EXPECT_TRUE(hint.isVisible());
    EXPECT_EQ(hint.geometry().size(), QSize(6 * 7 + 6, 13 + 6));
    EXPECT_EQ(hint.geometry().bottomRight(), screen.bottomRight());
    EXPECT_EQ(QApplication::activeWindow(), &owner);

    // Unicode is measured as characters: an emoji is one.
    hint.ShowCellHintEx(QPoint(10, 10), 0, true, font, QStringLiteral("Ωμέγα 😀"));
    EXPECT_EQ(hint.geometry().size(), QSize(7 * 7 + 6, 13 + 6));

    // A text wider than a narrow wrap width wraps; the point stands.
    hint.ShowCellHintEx(QPoint(10, 10), 30, true, font, "word word word");
    EXPECT_EQ(hint.geometry(), QRect(10, 10, 28 + 6, 3 * 13 + 6));
}

TEST_F(HintWindow, AMegabyteOfLinesLargerThanTheScreen)
{
    QString text;
    const QString line = QString(200, u'w') + "\r\n";
    while (text.size() < 1024 * 1024)
        text += line;
    TdxContainerHintWindow hint;
    hint.setTextMeasurer(&measurer);
    hint.ShowCellHintEx(QPoint(screen.center()), 0, false, font, text);
    EXPECT_EQ(hint.geometry(), screen); // cut at the screen's edges
    EXPECT_EQ(hint.text().size(), text.size());
    EXPECT_FALSE(hint.grab().isNull());
}

} // namespace

namespace {

// Paints its whole frame in one colour, so that a look shows whose paint
// the window ran.
class OwnPaintEdit : public TdxInplaceEdit
{
public:
    using TdxInplaceEdit::TdxInplaceEdit;
    void PaintEdit(gfx::Canvas &canvas, TdxEditViewData &viewData) override
    {
        ++paints;
        enabledSeen = viewData.Enabled;
        canvas.FillRect(viewData.Bounds, gfx::Brush::solid(rtl::clRed));
    }
    int paints = 0;
    bool enabledSeen = true;
};

} // namespace

TEST_F(EditorFrames, TheWindowPaintsThroughPaintEditAndALineOfTheFontSetsTheDefaultHeight)
{
    auto *own = make<OwnPaintEdit>();
    own->SetColor(rtl::clWhite);
    own->ShowEdit(rtl::TRect{20, 50, 120, 70});
    QImage image = container->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(own->paints, 0);
    EXPECT_EQ(zvotest::at(image, 70, 60), rtl::clRed);
    // Disabled, it paints itself with the disabled data.
    own->setEnabled(false);
    EXPECT_TRUE(own->NeedsRepaintOnFocus());
    container->grab();
    EXPECT_FALSE(own->enabledSeen);

    const gfx::QtTextMeasurer screen;
    EXPECT_EQ(edit->GetDefaultHeight(), 3 + screen.textHeight(edit->Font().Font()));
    EXPECT_TRUE(edit->IsInplace());
    rtl::TRect buttons = rtl::Rect(1, 2, 3, 4);
    edit->GetButtonsRect(*edit->CreateViewData(false), buttons);
    EXPECT_TRUE(buttons.IsEmpty());
}

namespace {

// A frame and a content of its own, and a hand over its left part.
class OwnPartsEdit : public TdxInplaceEdit
{
public:
    using TdxInplaceEdit::TdxInplaceEdit;
    void DrawEditBorder(gfx::Canvas &canvas, const TdxEditViewInfo &info, const TdxEditViewData &) override
    {
        canvas.FillRect(info.BorderRect, gfx::Brush::solid(rtl::clBlue));
    }
    void DrawEditContent(gfx::Canvas &canvas, const rtl::TRect &rect, const TdxEditViewData &) override
    {
        canvas.FillRect(rect, gfx::Brush::solid(rtl::clRed));
    }
    // A hand over the left 10 pixels.
    TCursor GetEditCursor(int x, int, const TdxEditViewData &) override { return x < 10 ? HandPoint : crDefault; }
    static constexpr TCursor HandPoint = -21;
    bool hand = true;
};

} // namespace

TEST_F(EditorFrames, APaintDrawsTheFrameAndContentADescendantGivesAndItsCursorComesWithThePointer)
{
    auto *own = make<OwnPartsEdit>();
    own->Style().SetBorderStyle(xbsSingle);
    own->ShowEdit(rtl::TRect{20, 50, 120, 70});
    const QImage image = container->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(zvotest::at(image, 70, 60), rtl::clRed);
    EXPECT_EQ(zvotest::at(image, 70, 49), rtl::clBlue);

    const Qt::CursorShape before = own->cursor().shape();
    const auto enterAt = [&](int x) {
        QEnterEvent enter(QPointF(x, 5), QPointF(x, 5), own->mapToGlobal(QPointF(x, 5)));
        QApplication::sendEvent(own, &enter);
    };
    const auto moveTo = [&](int x) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 5), own->mapToGlobal(QPointF(x, 5)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(own, &move);
    };
    enterAt(5);
    EXPECT_EQ(own->cursor().shape(), Qt::PointingHandCursor);
    moveTo(50); // the window's own cursor comes back where the editor has none
    EXPECT_EQ(own->cursor().shape(), before);
    moveTo(3);
    EXPECT_EQ(own->cursor().shape(), Qt::PointingHandCursor);
    enterAt(60);
    EXPECT_EQ(own->cursor().shape(), before);
}
