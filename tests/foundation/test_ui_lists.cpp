// List and combo-box helpers.

#include "foundation/MyUtilitiesUi.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QStyle>
#include <QTreeWidget>

using namespace foundation;

namespace {

struct List : QTreeWidget
{
    List(std::initializer_list<const char *> captions)
    {
        for (const char *caption : captions)
            new QTreeWidgetItem(this, QStringList{QString::fromLatin1(caption)});
    }
    QStringList selected() const
    {
        QStringList out;
        for (int i = 0; i < topLevelItemCount(); ++i)
            if (topLevelItem(i)->isSelected())
                out << topLevelItem(i)->text(0);
        return out;
    }
};

} // namespace

TEST(DeleteSelectedListItem, SelectsTheSuccessorOrTheNewLastRow)
{
    List list{"a", "b", "c"};
    list.topLevelItem(1)->setSelected(true);
    DeleteSelectedListItem(&list);
    EXPECT_EQ(list.selected(), QStringList{"c"});
    EXPECT_EQ(list.currentItem()->text(0), "c");
    DeleteSelectedListItem(&list);
    EXPECT_EQ(list.selected(), QStringList{"a"}) << "the last row went: the new last row";
    DeleteSelectedListItem(&list);
    EXPECT_EQ(list.topLevelItemCount(), 0);
    DeleteSelectedListItem(&list);

    List unselected{"a", "b"};
    DeleteSelectedListItem(&unselected);
    EXPECT_EQ(unselected.topLevelItemCount(), 2);
    EXPECT_THROW(DeleteSelectedListItem(nullptr), rtl::EAssertionFailed);
}

TEST(SelectListItemByCaption, FirstCaptionBeginningWithTheTextRegardlessOfCase)
{
    List list{"example.com", "\xc9t\xe9.fr", "EXAMPLE.org"};
    SelectListItemByCaption(&list, "example.o");
    EXPECT_EQ(list.selected(), QStringList{"EXAMPLE.org"});
    SelectListItemByCaption(&list, "\xe9T\xc9");
    EXPECT_EQ(list.selected(), QStringList{QString::fromLatin1("\xc9t\xe9.fr")});
    SelectListItemByCaption(&list, "nothing");
    EXPECT_EQ(list.selected(), QStringList{QString::fromLatin1("\xc9t\xe9.fr")}) << "the selection stays";
}

TEST(SelectComboBoxItem, ExactMatchOrNone)
{
    QComboBox box;
    box.addItems({"Google", "Bing", "google", "Bing"});
    SelectComboBoxItem(&box, "google");
    EXPECT_EQ(box.currentIndex(), 2);
    SelectComboBoxItem(&box, "Bing");
    EXPECT_EQ(box.currentIndex(), 1);
    SelectComboBoxItem(&box, "GOOGLE");
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_THROW(SelectComboBoxItem(nullptr, "x"), rtl::EAssertionFailed);
}

namespace {

// A click into a one-line edit hides its caret too, until the edit loses
// the focus; the edit then draws as before.
TEST(EditSelection, HidingTheSelectionHidesTheCaretOfAOneLineEditUntilItLosesTheFocus)
{
    QLineEdit line(QStringLiteral("alpha"));
    const int caret = line.style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, &line);
    ASSERT_GT(caret, 0);
    line.setSelection(1, 3);
    HideEditSelection(&line);
    HideEditSelection(&line);
    EXPECT_FALSE(line.hasSelectedText());
    EXPECT_EQ(line.cursorPosition(), 0);
    EXPECT_EQ(line.style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, &line), 0);

    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(&line, &out);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(line.style(), QApplication::style());
    EXPECT_EQ(line.style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, &line), caret);

    // Destroyed with its caret hidden, as a window that closes leaves it.
    auto edit = std::make_unique<QLineEdit>(QStringLiteral("beta"));
    HideEditSelection(edit.get());
    edit.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
