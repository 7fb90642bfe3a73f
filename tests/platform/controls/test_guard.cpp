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

// A failure that names a file, or gives the system's or a report's words,
// carries them as UTF-8: they are shown as written, in any script, while a
// message of the program's own Windows-1252 texts still reads as before.
TEST(Guard, AMessageNamingAFileShowsItsNameWhole)
{
    shell::RecordingMessageBoxes boxes;
    QWidget window;
    window.show();
    const QString name = QString::fromUtf8("/home/u/\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438/\u65e5\u672c "
                                           "\xF0\x9F\x98\x80.pdf");
    guarded(Report::toUser(&window),
            [&] { throw rtl::Exception("Cannot create file \"" + name.toStdString() + "\": No space left"); });
    guarded(Report::toUser(&window), [] { throw rtl::Exception("Engine \xc4\xd6 has no \x80 price"); });
    ASSERT_EQ(boxes.requests().size(), 2u);
    EXPECT_EQ(boxes.requests()[0].text, "Cannot create file \"" + name + "\": No space left");
    EXPECT_EQ(boxes.requests()[1].text, QString::fromUtf8("Engine \u00c4\u00d6 has no \u20ac price"));
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
