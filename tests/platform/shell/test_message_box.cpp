#include "platform/shell/MessageBox.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

using namespace shell;

namespace {

// Acts on the real modal box once it is up; after 5 s of polling it gives up,
// so a box that never appears cannot hang the test.
void whenBoxShows(std::function<void(QMessageBox *)> action, int triesLeft = 500)
{
    QTimer::singleShot(10, [=]() {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            action(box);
        else if (triesLeft > 0)
            whenBoxShows(action, triesLeft - 1);
    });
}

} // namespace

TEST(RealMessageBox, MapsTheButtonsToThePlatformNumbers)
{
    QString title;
    whenBoxShows([&](QMessageBox *box) {
        title = box->windowTitle();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(MessageBox(nullptr, "Q", "Title", MessageButtons::YesNo, MessageIcon::Question), IDNO);
    EXPECT_EQ(title, "Title");
    whenBoxShows([](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(MessageBox(nullptr, "Q", "T", MessageButtons::YesNo, MessageIcon::Exclamation), IDYES);
    // Escape on a yes/no box must not count as Yes.
    whenBoxShows([](QMessageBox *box) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &escape);
    });
    EXPECT_EQ(MessageBox(nullptr, "Q", "T", MessageButtons::YesNo, MessageIcon::Question), IDNO);
    whenBoxShows([](QMessageBox *box) { box->reject(); });
    EXPECT_EQ(MessageBox(nullptr, "I", "T", MessageButtons::Ok, MessageIcon::Information), IDOK);
}
