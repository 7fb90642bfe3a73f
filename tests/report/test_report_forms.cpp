// The library's dialog forms on the offscreen platform: the cancel dialog's
// layout, activation and modal start, the no-data message, the up-down
// arrows and the registrations of the library's start-up.

#include "report/model/base/Messages.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/output/LibraryInit.h"
#include "report/output/forms/CancelDialog.h"
#include "report/output/forms/NoDataDialog.h"
#include "report/output/forms/PrintPreview.h"
#include "report/output/forms/TextSearchSettingsDialog.h"
#include "report/output/forms/UpDown.h"
#include "report/output/preview/PreviewPlugIn.h"
#include "report/output/preview/SearchPreview.h"

#include "platform/controls/ManualClock.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace report;

TEST(ReportForms, TheLibraryRegistersItsFormsWhileItRuns)
{
    ppLibraryInit();
    EXPECT_EQ(ppGetFormClass(TppCustomCancelDialog::StaticClass()), &TppCancelDialog::StaticClass());
    EXPECT_EQ(ppGetFormClass(TppCustomNoDataDialog::StaticClass()), &TppNoDataDialog::StaticClass());
    EXPECT_EQ(ppGetFormClass(TppCustomPreviewer::StaticClass()), &TppPrintPreview::StaticClass());
    EXPECT_EQ(ppGetFormClass(TppCustomTextSearchSettingsDialog::StaticClass()),
              &TppTextSearchSettingsDialog::StaticClass());
    std::unique_ptr<TppCustomCancelDialog> dialog(ppCreateForm<TppCustomCancelDialog>());
    EXPECT_TRUE(dynamic_cast<TppCancelDialog *>(dialog.get()));
    EXPECT_TRUE(dynamic_cast<TppSearchPreview *>(TppPreviewPlugIn::CreateSearchPreview(nullptr).get()));
    ppLibraryFinalize();
    EXPECT_EQ(ppGetFormClass(TppCustomCancelDialog::StaticClass()), nullptr);
    EXPECT_EQ(ppGetFormClass(TppCustomTextSearchSettingsDialog::StaticClass()), nullptr);
    EXPECT_EQ(TppPreviewPlugIn::CreateSearchPreview(nullptr), nullptr);
}

TEST(ReportForms, CancelIsCentredAndAsWideAsItsTextPlus30)
{
    TppCancelDialog dialog;
    EXPECT_EQ(dialog.objectName(), QStringLiteral("ppCancelDialog"));
    EXPECT_EQ(dialog.size(), QSize(270, 133));
    EXPECT_EQ(dialog.windowTitle(), ppLoadStr(24));
    QPushButton *cancel = dialog.btnCancel();
    EXPECT_EQ(cancel->text(), ppLoadStr(5));
    EXPECT_EQ(cancel->width(), QFontMetrics(cancel->font()).horizontalAdvance(cancel->text()) + 30);
    EXPECT_EQ(cancel->x(), (dialog.width() - cancel->width()) / 2);
    dialog.SetStatusText(QStringLiteral("Printing page 2"));
    EXPECT_EQ(dialog.memMessage()->toPlainText(), QStringLiteral("Printing page 2"));
}

TEST(ReportForms, ActivationEnablesCancelAsCancelEnabledSays)
{
    for (const bool enabled : {false, true}) {
        TppCancelDialog dialog;
        dialog.CancelEnabled = enabled;
        int activations = 0;
        dialog.OnActivateNotify.Set([&](classes::TObject *) { ++activations; });
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QCoreApplication::processEvents();
        if (activations == 0) // a platform that activates nothing by itself
            dialog.Activate();
        EXPECT_EQ(dialog.btnCancel()->isEnabled(), enabled);
        EXPECT_GE(activations, 1);
    }
}

TEST(ReportForms, PrintingStartsFromTheTickInsideTheModalWaitAndOkEndsIt)
{
    TppCancelDialog dialog;
    bool insideModalWait = false;
    int ticks = 0;
    dialog.OnPrintNotify.Set([&](classes::TObject *) {
        ++ticks;
        insideModalWait = QApplication::activeModalWidget() == &dialog;
        dialog.SetModalResult(ppModalResultOK);
    });
    int closeQueries = 0;
    dialog.OnCloseQueryNotify.Set([&](classes::TObject *) { ++closeQueries; });
    EXPECT_EQ(dialog.ShowModalAndPrint(), ppModalResultOK);
    EXPECT_TRUE(insideModalWait);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(closeQueries, 1);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ReportForms, TheCancelButtonTellsTheModelThenCloses)
{
    TppCancelDialog dialog;
    QStringList calls;
    dialog.OnCloseNotify.Set([&](classes::TObject *) { calls << "close"; });
    dialog.OnCloseQueryNotify.Set([&](classes::TObject *) { calls << "query"; });
    dialog.CancelEnabled = true;
    dialog.show();
    dialog.Activate();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(calls, QStringList({"close", "query"}));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), ppModalResultCancel);
}

TEST(ReportForms, OnlyANonModalCancelDialogHandsTheFocusBack)
{
    for (const bool modal : {true, false}) {
        SCOPED_TRACE(modal ? "modal" : "non-modal");
        QWidget owner;
        owner.show();
        QApplication::setActiveWindow(&owner);
        QCoreApplication::processEvents();
        auto *dialog = new TppCancelDialog;
        dialog->Modal = modal;
        dialog->show();
        owner.setEnabled(false);
        QApplication::setActiveWindow(dialog);
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog->PreviousActiveForm() == &owner, !modal);
        const bool dialogWasActive = dialog->isActiveWindow();
        dialog->hide();
        QCoreApplication::processEvents();
        EXPECT_EQ(owner.isEnabled(), !modal);
        // The focus goes back to the window the dialog came over.
        EXPECT_TRUE(dialogWasActive);
        EXPECT_EQ(QApplication::activeWindow() == &owner, !modal);
        delete dialog;
    }
}

TEST(ReportForms, TheNoDataDialogSaysSoAndAnswersOk)
{
    TppNoDataDialog dialog;
    EXPECT_EQ(dialog.size(), QSize(270, 93));
    EXPECT_EQ(dialog.windowTitle(), ppLoadStr(1034));
    EXPECT_EQ(dialog.memMessage()->toPlainText(), ppLoadStr(1035));
    EXPECT_EQ(dialog.btnOK()->text(), ppLoadStr(17));
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), ppModalResultOK);
}

TEST(ReportForms, FormHelpersScaleAndCentre)
{
    TppNoDataDialog dialog;
    int left = 0;
    int top = 0;
    dialog.CenterPosition(left, top);
    const QSize screen = dialog.screen()->size();
    EXPECT_NEAR(left, screen.width() / 2.0 - 135, 0.5);
    EXPECT_NEAR(top, screen.height() / 2.0 - 46.5, 0.5);
    const double ppi = dialog.screen()->logicalDotsPerInch();
    EXPECT_EQ(dialog.ScreenScale(96), qRound(ppi));
    EXPECT_EQ(dialog.FormScale(qRound(ppi)), 96);
}

TEST(ReportForms, UpDownSitsInItsEditAndRepeatsWhileHeld)
{
    controls::ManualClock clock;
    QWidget parent;
    auto *edit = new QLineEdit(&parent);
    edit->setGeometry(10, 20, 100, 24);
    edit->setText(QStringLiteral("5"));
    TppUpDown *upDown = TppUpDown::CreateFor(&parent, edit);
    EXPECT_EQ(upDown->parentWidget(), &parent);
    EXPECT_EQ(upDown->Associate(), edit);
    EXPECT_EQ(upDown->geometry(), QRect(10 + 100 - upDown->width() - 2, 22, upDown->width(), 20));
    EXPECT_EQ(upDown->Min(), -100);
    EXPECT_EQ(upDown->Position(), 5);

    QTest::mousePress(upDown, Qt::LeftButton, {}, QPoint(4, 2));
    EXPECT_EQ(edit->text(), QStringLiteral("6"));
    clock.advance(TppUpDown::RepeatDelayMs + 3 * TppUpDown::RepeatPeriodMs);
    EXPECT_EQ(edit->text(), QStringLiteral("10"));
    QTest::mouseRelease(upDown, Qt::LeftButton, {}, QPoint(4, 2));
    clock.advance(1000);
    EXPECT_EQ(edit->text(), QStringLiteral("10"));

    upDown->SetPosition(-500);
    EXPECT_EQ(edit->text(), QStringLiteral("-100"));

    // The arrows: black lines growing from the tip, the top one pointing up.
    QImage picture(upDown->size(), QImage::Format_RGB32);
    upDown->render(&picture);
    const int middle = upDown->width() / 2;
    EXPECT_EQ(QColor(picture.pixel(middle - 1, 2)), QColor(Qt::black));
    EXPECT_EQ(QColor(picture.pixel(middle - 3, 4)), QColor(Qt::black));
    EXPECT_EQ(QColor(picture.pixel(middle + 1, 4)), QColor(Qt::black));
    EXPECT_EQ(QColor(picture.pixel(middle - 1, upDown->height() - 3)), QColor(Qt::black));
    EXPECT_NE(QColor(picture.pixel(middle, 2)), QColor(Qt::black));
}
