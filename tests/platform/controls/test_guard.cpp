// The guard at Qt's edges: what reaches the user and what does not.

#include "platform/controls/Guard.h"
#include "platform/rtl/Exceptions.h"
#include "platform/shell/MessageBox.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <stdexcept>

using controls::guarded;
using controls::Report;

namespace {

TEST(Guard, ACommandsErrorIsShownOnceOverItsWindowAndNothingEscapes)
{
    shell::RecordingMessageBoxes boxes;
    QWidget window;
    window.show();

    EXPECT_TRUE(guarded(Report::toUser(&window), [] {}));
    EXPECT_FALSE(guarded(Report::toUser(&window), [] { throw rtl::Exception("Caf\xe9 not found"); }));
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_EQ(boxes.requests()[0].text, QString::fromUtf8("Caf\u00e9 not found"));
    EXPECT_EQ(boxes.requests()[0].icon, shell::MessageIcon::Stop);
    EXPECT_EQ(boxes.requests()[0].buttons, shell::MessageButtons::Ok);
    EXPECT_EQ(boxes.requests()[0].owner, &window);

    // The silent abort and what is no error of ours end the command quietly.
    EXPECT_FALSE(guarded(Report::toUser(&window), [] { throw rtl::EAbort(); }));
    EXPECT_FALSE(guarded(Report::toUser(&window), [] { throw 42; }));
    // Painting and tracking edges never show anything.
    EXPECT_FALSE(guarded(Report::none(), [] { throw std::runtime_error("paint"); }));
    EXPECT_EQ(boxes.requests().size(), 1u);

    // A hidden window would hide the box with it.
    window.hide();
    guarded(Report::toUser(&window), [] { throw std::runtime_error("hidden"); });
    ASSERT_EQ(boxes.requests().size(), 2u);
    EXPECT_NE(boxes.requests()[1].owner, &window);
}

TEST(Guard, AnOwnerThatWentDuringTheCommandIsNotUsed)
{
    shell::RecordingMessageBoxes boxes;
    auto *window = new QWidget;
    window->show();
    guarded(Report::toUser(window), [&] {
        delete window;
        throw std::runtime_error("gone");
    });
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_EQ(boxes.requests()[0].owner, nullptr);
}

} // namespace
