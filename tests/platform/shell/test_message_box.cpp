#include "platform/shell/MessageBox.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <functional>

using namespace shell;

TEST(RecordingMessageBoxes, AnswersFromTheScriptThenWithTheDefaultButtonAndRestoresThePreviousSink)
{
    int outerCalls = 0;
    MessageBoxSink outer = [&](const MessageBoxRequest &) { return ++outerCalls, int(ResultCancel); };
    SetMessageBoxSink(outer);
    {
        RecordingMessageBoxes boxes;
        boxes.script(ResultNo);
        QWidget owner;
        EXPECT_EQ(MessageBox(&owner, "Delete?", "Zarvello", MessageButtons::YesNo, MessageIcon::Question), ResultNo);
        EXPECT_EQ(MessageBox(nullptr, "Again?", "C", MessageButtons::YesNo, MessageIcon::Question), ResultYes);
        EXPECT_EQ(MessageBox(nullptr, "Done", "C", MessageButtons::Ok, MessageIcon::Information), ResultOk);
        ASSERT_EQ(boxes.requests().size(), 3u);
        EXPECT_EQ(boxes.requests()[0].owner, &owner);
        EXPECT_EQ(boxes.requests()[0].text, "Delete?");
        EXPECT_EQ(boxes.requests()[0].icon, MessageIcon::Question);
        EXPECT_EQ(boxes.requests()[2].buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(MessageBox(nullptr, "x", "y", MessageButtons::Ok, MessageIcon::None), ResultCancel);
    EXPECT_EQ(outerCalls, 1);
    SetMessageBoxSink({});
}

namespace {

// Acts on the real modal box once it is up; the deadline keeps a box that
// never appears from hanging the test.
void whenBoxShows(std::function<void(QMessageBox *)> action)
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [=]() {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            action(box);
            return;
        }
        if (timer->elapsed() < 5000)
            QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

} // namespace

TEST(RealMessageBox, MapsTheButtonsToThePlatformNumbers)
{
    SetMessageBoxSink({});
    QString seenTitle;
    whenBoxShows([&](QMessageBox *box) {
        seenTitle = box->windowTitle();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(MessageBox(nullptr, "Q", "Title", MessageButtons::YesNo, MessageIcon::Question), ResultNo);
    EXPECT_EQ(seenTitle, "Title");

    whenBoxShows([](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(MessageBox(nullptr, "Q", "T", MessageButtons::YesNo, MessageIcon::Exclamation), ResultYes);

    // Escape on a yes/no box must not count as Yes.
    whenBoxShows([](QMessageBox *box) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &escape);
    });
    EXPECT_EQ(MessageBox(nullptr, "Q", "T", MessageButtons::YesNo, MessageIcon::Question), ResultNo);

    whenBoxShows([](QMessageBox *box) { box->reject(); });
    EXPECT_EQ(MessageBox(nullptr, "I", "T", MessageButtons::Ok, MessageIcon::Information), ResultOk);
}
