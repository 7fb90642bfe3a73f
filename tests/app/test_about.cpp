// The about window with its picture and version, and the splash at start
// with a clock of the test's own.

#include "app/about/AboutUnit.h"
#include "foundation/MyOptions.h"
#include "platform/controls/ManualClock.h"
#include "platform/shell/Desktop.h"
#include "tests/support/Contrast.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace app;
using namespace foundation;

namespace {

class AboutTest : public ::testing::Test
{
protected:
    void SetUp() override { ShowSplashScreen = true; }
    void TearDown() override { QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    shell::ScopedProgramFolder m_programFolder{QString::fromLocal8Bit(qgetenv("ZVO_SOURCE_DIR")) + "/data"};
    shell::ScopedProgramVersion m_version{shell::ProgramVersion{2, 5, 1, 7}};
    shell::ScopedWorkArea m_workArea{rtl::TRect{0, 0, 1024, 768}};
    shell::ScopedScreenSize m_screenSize{rtl::TSize{1024, 800}};
};

TEST_F(AboutTest, ShowsThePictureAndTheVersionOrKeepsItsSizeWithoutThePicture)
{
    QPointer<TAboutForm> form = new TAboutForm;
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Zarvello - www.zarvello.example"));
    EXPECT_EQ(form->Image1->pixmap().size(), QSize(500, 300));
    EXPECT_EQ(form->VersionLabel->text(), QStringLiteral("Version 2.5.1.7"));
    form->show();
    // The window is the picture, less two pixels on the right.
    EXPECT_EQ(form->size(), QSize(498, 300));
    // It frees itself when closed.
    form->OKButtonClick();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(form);

    QTemporaryDir empty;
    const shell::ScopedProgramFolder emptyFolder(empty.path());
    QWidget owner;
    TAboutForm *bare = TAboutForm::ShowAbout(&owner);
    EXPECT_FALSE(bare->isModal());
    EXPECT_TRUE(bare->Image1->pixmap().isNull());
    EXPECT_EQ(bare->size(), QSize(496, 400));
}

using zvotest::contrast;

// The version stands on the light picture: on a dark desktop, whose text
// colour is light, it must still read.
TEST_F(AboutTest, UnderADarkPaletteTheVersionReadsOnThePicture)
{
    const QPalette before = QApplication::palette();
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    QApplication::setPalette(dark);
    QPointer<TAboutForm> form = new TAboutForm;
    form->show();
    const QImage shown = form->grab().toImage();
    const QImage picture = form->Image1->pixmap().toImage();
    const QRect label = form->VersionLabel->geometry();
    ASSERT_FALSE(label.isEmpty());
    double best = 1;
    for (int y = label.top(); y <= label.bottom(); ++y)
        for (int x = label.left(); x <= label.right(); ++x)
            best = std::max(best, contrast(shown.pixel(x, y), picture.pixel(x, y)));
    EXPECT_GE(best, 4.5);
    form->OKButtonClick();
    QApplication::setPalette(before);
}

TEST_F(AboutTest, TheSplashSitsFramelessInTheMiddleForAtLeastTwoSeconds)
{
    for (const int startupMs : {0, 1900, 2000, 2600}) {
        SCOPED_TRACE(startupMs);
        // Time moves only while the splash waits or the start-up works.
        controls::ManualClock clock(100000);
        auto splash = TSplashScreen::Show();
        ASSERT_TRUE(splash);
        QPointer<TAboutForm> form = splash->Form();
        ASSERT_TRUE(form && form->isVisible());
        EXPECT_EQ(form->windowFlags() & (Qt::FramelessWindowHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint),
                  Qt::FramelessWindowHint);
        EXPECT_EQ(form->geometry(), QRect((1024 - 498) / 2, (768 - 300) / 2, 498, 300));

        const int64_t shownAt = clock.now();
        clock.advance(startupMs);
        splash->Finish();
        EXPECT_GE(clock.now() - shownAt, 2000);
        // In slices, never more than one beyond the deadline.
        EXPECT_LT(clock.now() - shownAt, std::max(startupMs, 2000) + 250);
        EXPECT_EQ(clock.waits(), std::vector<int64_t>(clock.waits().size(), 250));
        EXPECT_FALSE(form);
    }

    // A splash left unfinished goes with its guard.
    controls::ManualClock clock;
    QPointer<TAboutForm> form = TSplashScreen::Show()->Form();
    EXPECT_FALSE(form);
    EXPECT_TRUE(clock.waits().empty());

    ShowSplashScreen = false;
    EXPECT_EQ(TSplashScreen::Show(), nullptr);
}

} // namespace
