// The program follows the desktop's colours while it runs: windows opened
// after the palette turned dark, and the first-start wizard while it turns,
// draw their pages in the new colours under the new text colour.

#include "app/Application.h"
#include "settings/FirstStartWizardUnit.h"
#include "settings/OptionsUnit.h"
#include "tests/app/MainFormFixture.h"
#include "tests/support/Contrast.h"
#include "widgets/pagecontrol/dxPageControl.h"

#include <QApplication>
#include <QFontInfo>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

using namespace app;

namespace {

QPalette darkDesktop()
{
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2A, 0x2A, 0x2A));
    dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE));
    return dark;
}

// How the palette's text colour reads on the widget's drawn background,
// taken at a point inside it where nothing else is drawn.
double textContrastAt(QWidget &widget, QPoint empty, QPalette::ColorRole text)
{
    const QImage picture = widget.grab().toImage();
    return zvotest::contrast(picture.pixel(empty), QApplication::palette().color(text).rgb());
}

// The best contrast of the widget's drawn pixels against its corner's: how
// its text reads on its background.
double inkContrast(QWidget &widget)
{
    const QImage picture = widget.grab().toImage();
    const QRgb background = picture.pixel(0, 0);
    double best = 1;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            best = std::max(best, zvotest::contrast(picture.pixel(x, y), background));
    return best;
}

class DesktopColorsTest : public MainFormTest
{
protected:
    void TearDown() override
    {
        QApplication::setPalette(m_light);
        MainFormTest::TearDown();
    }

    // Runs the program as a user starts it; `running` acts once its event
    // loop runs.
    int run(const std::function<void()> &running)
    {
        QTimer::singleShot(0, qApp, running);
        return RunZarvello(*qApp);
    }

    static TMainForm *mainForm()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *form = qobject_cast<TMainForm *>(w))
                return form;
        return nullptr;
    }

    QPalette m_light = QApplication::palette();
};

TEST_F(DesktopColorsTest, TheOptionsWindowOpenedAfterThePaletteTurnedDarkReads)
{
    write("Domain-Data.txt", SortedRows);
    double general = 0;
    double updates = 0;
    m_dialogs.drive<settings::TOptionsForm>([&](settings::TOptionsForm &options) {
        general = textContrastAt(*options.PageControl1, QPoint(options.PageControl1->width() - 12, 150),
                                 QPalette::WindowText);
        options.PageControl1->SetActivePageIndex(2);
        QCoreApplication::processEvents();
        updates = textContrastAt(*options.UpdateMemo, QPoint(options.UpdateMemo->width() - 3, 3), QPalette::Text);
    });
    run([this] {
        QApplication::setPalette(darkDesktop());
        TMainForm *form = mainForm();
        ASSERT_NE(form, nullptr);
        form->OptionsButton->click();
        form->close();
    });
    EXPECT_EQ(m_dialogs.pending(), 0);
    EXPECT_GE(general, 4.5);
    EXPECT_GE(updates, 4.5);
}

TEST_F(DesktopColorsTest, TheWizardFollowsAPaletteThatTurnsDarkWhileItShows)
{
    double page = 0;
    double welcome = 0;
    double heading = 0;
    QStringList fontsBefore;
    QStringList fontsAfter;
    const auto fonts = [](QWidget &window) {
        QStringList shown;
        for (QWidget *control : window.findChildren<QWidget *>())
            shown << QFontInfo(control->font()).family() + QString::number(QFontInfo(control->font()).pointSize());
        return shown;
    };
    m_dialogs.drive<settings::TFirstStartWizardForm>([&](settings::TFirstStartWizardForm &wizard) {
        fontsBefore = fonts(wizard);
        QApplication::setPalette(darkDesktop());
        QCoreApplication::processEvents();
        fontsAfter = fonts(wizard);
        page = textContrastAt(*wizard.dxPageControl1, QPoint(wizard.dxPageControl1->width() - 3, 3),
                              QPalette::WindowText);
        welcome = textContrastAt(*wizard.LengthyMemo, QPoint(wizard.LengthyMemo->width() - 3, 3), QPalette::Text);
        heading = inkContrast(*wizard.WelcomeLabel);
        wizard.ExitButton->click();
    });
    EXPECT_EQ(run([] {}), 0);
    EXPECT_EQ(m_dialogs.pending(), 0);
    EXPECT_GE(page, 4.5);
    EXPECT_GE(welcome, 4.5);
    EXPECT_GE(heading, 4.5);
    // Polished again, every control keeps the face the form gave it.
    EXPECT_EQ(fontsAfter, fontsBefore);
}

} // namespace
