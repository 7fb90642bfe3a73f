// Every dialog the library registers, as the screen shows it under a
// 14-point application font: laid out at fixed places, each keeps the face
// it was laid out for, so no caption is cut.

#include "report/model/forms/CustomForm.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/output/LibraryInit.h"

#include "platform/classes/MetaClass.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace report;

namespace {

TEST(ReportFormsScreen, UnderA14PointFontEveryRegisteredFormHoldsItsCaptions)
{
    ppLibraryInit();
    const QFont before = QApplication::font();
    QFont large = before;
    large.setPointSize(14);
    QApplication::setFont(large);
    const std::vector<TppFormClassEntry> forms = ppFormClassList();
    ASSERT_GE(forms.size(), 5u);
    for (const auto &[ancestor, formClass] : forms) {
        SCOPED_TRACE(ancestor.toStdString());
        if (formClass->IsAbstract())
            continue;
        std::unique_ptr<classes::TComponent> component(formClass->NewComponent(nullptr));
        auto *window = dynamic_cast<QDialog *>(component.get());
        ASSERT_NE(window, nullptr);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        for (QWidget *control : window->findChildren<QWidget *>()) {
            if (!control->isVisible())
                continue;
            const std::string name = control->objectName().toStdString();
            // A push button's own least width is no caption's need: its text
            // with a little room on both sides is.
            if (auto *button = qobject_cast<QPushButton *>(control)) {
                QString text = button->text();
                text.remove(QLatin1Char('&'));
                EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(text) + 6) << name;
                EXPECT_GE(button->height(), button->fontMetrics().height()) << name;
                continue;
            }
            const auto *label = qobject_cast<QLabel *>(control);
            const auto *box = qobject_cast<QAbstractButton *>(control);
            if ((label && !label->wordWrap() && label->pixmap().isNull()) || (box && !box->text().isEmpty())) {
                EXPECT_GE(control->width(), control->sizeHint().width()) << name;
                EXPECT_GE(control->height(), control->fontMetrics().height()) << name;
            }
        }
        window->hide();
    }
    QApplication::setFont(before);
    ppLibraryFinalize();
}

} // namespace

namespace {

// Right to left the print dialog looks as it does left to right: its
// controls stand at fixed places, and none is mirrored inside its own.
TEST(ReportFormsScreen, RightToLeftThePrintDialogLooksAsItDoesLeftToRight)
{
    ppLibraryInit();
    const auto picture = [] {
        std::unique_ptr<classes::TComponent> component(ppCreateFormOf(TppCustomPrintDialog::StaticClass()));
        auto *window = dynamic_cast<QDialog *>(component.get());
        EXPECT_NE(window, nullptr);
        if (!window)
            return QImage();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        return window->grab().toImage();
    };
    const QImage leftToRight = picture();
    QApplication::setLayoutDirection(Qt::RightToLeft);
    const QImage rightToLeft = picture();
    QApplication::setLayoutDirection(Qt::LeftToRight);
    ASSERT_FALSE(leftToRight.isNull());
    ASSERT_EQ(leftToRight.size(), rightToLeft.size());
    int differing = 0;
    for (int y = 0; y < leftToRight.height(); ++y)
        for (int x = 0; x < leftToRight.width(); ++x)
            differing += leftToRight.pixel(x, y) != rightToLeft.pixel(x, y);
    EXPECT_EQ(differing, 0);
    ppLibraryFinalize();
}

} // namespace
