// The "Search" dialog as the screen shows it: the legend, right to left, a
// dark palette and a larger application font.

#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/autosearch/AutoSearchGroups.h"
#include "report/output/LibraryInit.h"
#include "report/output/autosearch/AutoSearchDialog.h"
#include "report/output/autosearch/AutoSearchNotebook.h"
#include "report/output/autosearch/AutoSearchPanels.h"
#include "tests/support/Contrast.h"

#include "platform/rtl/FormatSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace report;

namespace {

class AutoSearchScreen : public ::testing::Test
{
protected:
    AutoSearchScreen() { ppLibraryInit(); }
    ~AutoSearchScreen() override
    {
        dialog.reset();
        groups.reset();
        fields.clear();
        ppLibraryFinalize();
        QApplication::setPalette(m_palette);
        QApplication::setFont(m_font);
        QApplication::setLayoutDirection(Qt::LeftToRight);
    }

    TppAutoSearchField *field(const QString &aName, TppSearchOperatorType aOperator, bool aMandatory = false)
    {
        fields.push_back(std::make_unique<TppAutoSearchField>());
        TppAutoSearchField *made = fields.back().get();
        made->SetFieldName(aName);
        made->SetSearchOperator(aOperator);
        made->SetMandatory(aMandatory);
        if (groups->GroupCount() == 0) {
            auto *group = new TppAutoSearchGroup;
            group->SetParent(groups.get());
        }
        groups->Groups(0)->AddField(made);
        return made;
    }

    // A criterion of each kind, one of them mandatory; the dialog shown.
    TppAutoSearchDialog &showEveryKind()
    {
        field(QStringLiteral("City"), TppSearchOperatorType::soEqual, true);
        field(QStringLiteral("Id"), TppSearchOperatorType::soBetween);
        field(QStringLiteral("Name"), TppSearchOperatorType::soInList);
        field(QStringLiteral("Note"), TppSearchOperatorType::soNotBlank);
        dialog = std::make_unique<TppAutoSearchDialog>();
        dialog->SetAutoSearchGroups(groups.get());
        dialog->Init();
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }

    std::vector<std::unique_ptr<TppAutoSearchField>> fields;
    std::unique_ptr<TppAutoSearchGroups> groups = std::make_unique<TppAutoSearchGroups>();
    std::unique_ptr<TppAutoSearchDialog> dialog;
    rtl::ScopedFormatSettings english{rtl::FormatSettingsEnUS()};
    QPalette m_palette = QApplication::palette();
    QFont m_font = QApplication::font();
};

QPalette darkPalette()
{
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2A, 0x2A, 0x2A));
    dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE));
    return dark;
}

// The best contrast of the widget's drawn pixels against its corner's and
// the pixel that gives it.
std::pair<double, QRgb> strongestInk(QWidget &aWidget)
{
    const QImage picture = aWidget.grab().toImage();
    const QRgb background = picture.pixel(0, 0);
    std::pair<double, QRgb> best{1, background};
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (const double c = zvotest::contrast(picture.pixel(x, y), background); c > best.first)
                best = {c, picture.pixel(x, y)};
    return best;
}

TEST_F(AutoSearchScreen, TheLegendShowsItsMarkerBesideItsText)
{
    TppAutoSearchDialog &shown = showEveryKind();
    auto *legend = shown.findChild<QLabel *>(QStringLiteral("lblMandatory"));
    auto *marker = shown.findChild<QWidget *>(QStringLiteral("shpMandatory"));
    ASSERT_TRUE(legend && marker);
    ASSERT_TRUE(marker->isVisible());
    EXPECT_EQ(marker->size(), QSize(5, 7));
    EXPECT_LT(marker->geometry().right(), legend->geometry().left());
    const QImage bottom = marker->parentWidget()->grab().toImage();
    const QPoint centre = marker->geometry().center();
    EXPECT_GE(zvotest::contrast(bottom.pixel(centre), bottom.pixel(centre.x(), 1)), 4.5);
}

// Right to left the sentences still read from their start: the panels are
// laid out left to right, and the box opens at their left edge.
TEST_F(AutoSearchScreen, RightToLeftEverySentenceStartsInView)
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    // More criteria than the window holds: the box scrolls.
    for (int i = 0; i < 6; ++i)
        field(QStringLiteral("Extra%1").arg(i), TppSearchOperatorType::soEqual);
    TppAutoSearchDialog &shown = showEveryKind();
    auto *box = shown.findChild<QScrollArea *>(QStringLiteral("scbPanels"));
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->verticalScrollBar()->isVisible());
    const QRect bar(box->verticalScrollBar()->mapTo(box, QPoint(0, 0)), box->verticalScrollBar()->size());
    const QRect view(box->viewport()->mapTo(box, QPoint(0, 0)), box->viewport()->size());
    for (int i = 0; i < shown.Notebook()->PanelCount(); ++i) {
        TppAutoSearchPanel *panel = shown.Notebook()->Panels(i);
        const QPoint start = panel->lblLead()->mapTo(box, QPoint(0, panel->lblLead()->height() / 2));
        // Panels below the view are reached by scrolling down; across, each
        // starts inside the view and clear of the bar.
        EXPECT_TRUE(start.x() >= view.left() && start.x() <= view.right() &&
                    (start.x() < bar.left() || start.x() > bar.right()))
            << i << " at " << start.x();
        EXPECT_LT(panel->lblLead()->x(), panel->lblAlias()->x()) << i;
        EXPECT_LT(panel->lblAlias()->x(), panel->lblOperator()->x()) << i;
    }
}

// Under a dark palette the field names stay blue and read on the window;
// so do the error text and the markers.
TEST_F(AutoSearchScreen, UnderADarkPaletteFieldNamesAndMarkersRead)
{
    QApplication::setPalette(darkPalette());
    TppAutoSearchDialog &shown = showEveryKind();
    // Text is measured by its colour: a glyph's edges blend into the window.
    const auto readsOn = [](QLabel *aLabel) {
        const QRgb background = aLabel->grab().toImage().pixel(0, 0);
        const QRgb text = aLabel->palette().color(QPalette::WindowText).rgb();
        EXPECT_GE(strongestInk(*aLabel).first, 4) << "drawn in its colour";
        return std::pair{zvotest::contrast(text, background), text};
    };
    for (int i = 0; i < shown.Notebook()->PanelCount(); ++i) {
        const auto [contrast, ink] = readsOn(shown.Notebook()->Panels(i)->lblAlias());
        EXPECT_GE(contrast, 4.5) << i;
        EXPECT_GT(qBlue(ink), qRed(ink) + 40) << i;
    }
    auto &city = *dynamic_cast<TppSimpleSearchPanel *>(shown.Notebook()->Panels(0));
    EXPECT_FALSE(shown.Notebook()->ApplyCriteria());
    ASSERT_TRUE(city.lblError()->isVisible());
    const auto [errorContrast, errorInk] = readsOn(city.lblError());
    EXPECT_GE(errorContrast, 4.5);
    EXPECT_GT(qRed(errorInk), qBlue(errorInk) + 40);
    const QImage panel = city.grab().toImage();
    for (QWidget *marker : {static_cast<QWidget *>(city.shpMandatory()), static_cast<QWidget *>(city.shpError())})
        EXPECT_GE(zvotest::contrast(panel.pixel(marker->geometry().center()),
                                    panel.pixel(marker->geometry().right() + 2, marker->y())),
                  4.5);
}

// A 14-point application font: every control stays inside its panel, so the
// next panel covers none, no two overlap, and the buttons hold their captions.
TEST_F(AutoSearchScreen, UnderA14PointFontNoControlIsCoveredOrCut)
{
    QFont large = m_font;
    large.setPointSize(14);
    QApplication::setFont(large);
    TppAutoSearchDialog &shown = showEveryKind();
    for (int i = 0; i < shown.Notebook()->PanelCount(); ++i) {
        TppAutoSearchPanel *panel = shown.Notebook()->Panels(i);
        QList<QWidget *> controls;
        for (QWidget *control : panel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (!control->isHidden() && qobject_cast<QFrame *>(control) != control->parentWidget())
                controls << control;
        for (QWidget *control : controls) {
            EXPECT_TRUE(panel->rect().contains(control->geometry()))
                << i << " " << control->metaObject()->className() << " " << control->objectName().toStdString();
            if (auto *button = qobject_cast<QAbstractButton *>(control); button && !qobject_cast<QCheckBox *>(control)) {
                EXPECT_TRUE(button->size().expandedTo(button->sizeHint()) == button->size()) << i;
            }
        }
        // The sentence and the box above it.
        EXPECT_FALSE(panel->chkShowAll()->geometry().intersects(panel->lblLead()->geometry())) << i;
    }
    for (auto *button : shown.findChildren<QPushButton *>(QString(), Qt::FindChildrenRecursively))
        if (button->isVisible()) {
            EXPECT_TRUE(button->size().expandedTo(button->sizeHint()) == button->size())
                << button->text().toStdString();
        }
}

} // namespace
