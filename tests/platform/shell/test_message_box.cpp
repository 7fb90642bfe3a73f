#include "platform/shell/MessageBox.h"
#include "platform/shell/Modal.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>

using namespace shell;

TEST(RealMessageBox, MapsTheButtonsToThePlatformNumbers)
{
    ScriptedDialogs dialogs;
    QString title;
    dialogs.drive<QMessageBox>([&](QMessageBox &box) {
        title = box.windowTitle();
        box.button(QMessageBox::No)->click();
    });
    EXPECT_EQ(MessageBox(nullptr, "Q", "Title", MessageButtons::YesNo, MessageIcon::Question), IDNO);
    EXPECT_EQ(title, "Title");
    dialogs.drive<QMessageBox>([](QMessageBox &box) { box.button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(MessageBox(nullptr, "Q", "T", MessageButtons::YesNo, MessageIcon::Exclamation), IDYES);
    // Escape on a yes/no box must not count as Yes.
    dialogs.drive<QMessageBox>([](QMessageBox &box) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&box, &escape);
    });
    EXPECT_EQ(MessageBox(nullptr, "Q", "T", MessageButtons::YesNo, MessageIcon::Question), IDNO);
    dialogs.drive<QMessageBox>([](QMessageBox &box) { box.reject(); });
    EXPECT_EQ(MessageBox(nullptr, "I", "T", MessageButtons::Ok, MessageIcon::Information), IDOK);
    // A box its script leaves open is closed as with its close button.
    dialogs.drive<QMessageBox>([](QMessageBox &) {});
    EXPECT_EQ(MessageBox(nullptr, "Q", "T", MessageButtons::YesNo, MessageIcon::Question), IDNO);
    EXPECT_EQ(dialogs.shown(), QStringList(5, QStringLiteral("QMessageBox")));
    EXPECT_EQ(dialogs.pending(), 0);
}

TEST(RealMessageBox, OkCancelAnswersCancelUnlessOkIsPressed)
{
    ScriptedDialogs dialogs;
    dialogs.drive<QMessageBox>([](QMessageBox &box) { box.button(QMessageBox::Ok)->click(); });
    EXPECT_EQ(MessageBox(nullptr, "Delete?", "T", MessageButtons::OkCancel, MessageIcon::Exclamation), IDOK);
    dialogs.drive<QMessageBox>([](QMessageBox &box) { box.button(QMessageBox::Cancel)->click(); });
    EXPECT_EQ(MessageBox(nullptr, "Delete?", "T", MessageButtons::OkCancel, MessageIcon::Exclamation), IDCANCEL);
    dialogs.drive<QMessageBox>([](QMessageBox &box) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&box, &escape);
    });
    EXPECT_EQ(MessageBox(nullptr, "Delete?", "T", MessageButtons::OkCancel, MessageIcon::Exclamation), IDCANCEL);
    dialogs.drive<QMessageBox>([](QMessageBox &) {});
    EXPECT_EQ(MessageBox(nullptr, "Delete?", "T", MessageButtons::OkCancel, MessageIcon::Exclamation), IDCANCEL);
    EXPECT_EQ(dialogs.pending(), 0);
}

TEST(RealMessageBox, ATextIsShownAsItStandsNeverAsMarkup)
{
    // Messages quote what the user typed and what a server sent; as markup,
    // <img src="..."> would have the box read a local file or a device.
    ScriptedDialogs dialogs;
    const QString text = QStringLiteral("The URL \"<b>a</b><img src=x.png>\" is not valid.");
    Qt::TextFormat format = Qt::AutoText;
    dialogs.drive<QMessageBox>([&](QMessageBox &box) {
        if (const auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
            format = label->textFormat();
        box.accept();
    });
    MessageBox(nullptr, text, "T", MessageButtons::Ok, MessageIcon::Information);
    EXPECT_EQ(format, Qt::PlainText);
}

TEST(ScriptedDialogs, AnswersWithoutTheWaitAndTellsAboutWindowsBeyondTheScript)
{
    ScriptedDialogs dialogs;
    QDialog dialog;
    dialogs.answer(QDialog::Accepted);
    EXPECT_EQ(execDialog(dialog), QDialog::Accepted);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());

    // Not the window the step is for: answered 0 and the step stays.
    dialogs.drive<QMessageBox>([](QMessageBox &box) { box.accept(); });
    EXPECT_EQ(execDialog(dialog), QDialog::Rejected);
    EXPECT_EQ(dialogs.pending(), 1);
    EXPECT_FALSE(dialog.isVisible());
    // A wait of another kind gets the window and nothing of the script.
    QWidget window;
    window.show();
    int waited = 0;
    EXPECT_EQ(runModal(window, [&] { return ++waited; }), 0);
    EXPECT_EQ(waited, 0);
    EXPECT_EQ(dialogs.shown(), (QStringList{"QDialog", "QDialog", "QWidget"}));
}
