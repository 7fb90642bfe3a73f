// List and combo-box helpers and the edit commands of the Edit menu.

#include "foundation/MyUtilitiesUi.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>

namespace {

std::unique_ptr<QTreeWidget> listOf(std::initializer_list<const char *> captions)
{
    auto list = std::make_unique<QTreeWidget>();
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const char *caption : captions)
        new QTreeWidgetItem(list.get(), QStringList{QString::fromLatin1(caption)});
    return list;
}

QStringList selectedCaptions(const QTreeWidget &list)
{
    QStringList out;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        if (list.topLevelItem(i)->isSelected())
            out << list.topLevelItem(i)->text(0);
    return out;
}

} // namespace

TEST(DeleteSelectedListItem, SelectsTheSuccessorOrTheNewLastRow)
{
    auto list = listOf({"a", "b", "c"});
    list->topLevelItem(1)->setSelected(true);
    DeleteSelectedListItem(list.get());
    EXPECT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(selectedCaptions(*list), QStringList{"c"});
    EXPECT_EQ(list->currentItem()->text(0), "c");

    DeleteSelectedListItem(list.get());
    EXPECT_EQ(selectedCaptions(*list), QStringList{"a"}) << "the last row went: the new last row";

    DeleteSelectedListItem(list.get());
    EXPECT_EQ(list->topLevelItemCount(), 0);
    DeleteSelectedListItem(list.get()); // empty list: nothing happens

    auto unselected = listOf({"a", "b"});
    DeleteSelectedListItem(unselected.get());
    EXPECT_EQ(unselected->topLevelItemCount(), 2);

    EXPECT_THROW(DeleteSelectedListItem(nullptr), rtl::EAssertionFailed);
}

TEST(SelectListItemByCaption, FirstCaptionBeginningWithTheTextRegardlessOfCase)
{
    auto list = listOf({"example.com", "\xc9t\xe9.fr", "EXAMPLE.org"});
    SelectListItemByCaption(list.get(), "example.o");
    EXPECT_EQ(selectedCaptions(*list), QStringList{"EXAMPLE.org"});
    SelectListItemByCaption(list.get(), "\xe9T\xc9");
    EXPECT_EQ(selectedCaptions(*list), QStringList{QString::fromLatin1("\xc9t\xe9.fr")});
    SelectListItemByCaption(list.get(), "nothing");
    EXPECT_EQ(selectedCaptions(*list), QStringList{QString::fromLatin1("\xc9t\xe9.fr")}) << "selection stays";
    SelectListItemByCaption(list.get(), "Example");
    EXPECT_EQ(selectedCaptions(*list), QStringList{"example.com"});
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
    SelectComboBoxItem(&box, "");
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_THROW(SelectComboBoxItem(nullptr, "x"), rtl::EAssertionFailed);
}

TEST(EditMenu, CommandsReachTheFocusedEditAndHideSelectionCollapses)
{
    QWidget window;
    auto *line = new QLineEdit("domain.com", &window);
    window.show();
    QApplication::setActiveWindow(&window);
    line->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), line);
    EditSelectAll();
    EXPECT_EQ(line->selectedText(), "domain.com");
    EditCut();
    EXPECT_EQ(line->text(), "");
    EditUndo();
    EXPECT_EQ(line->text(), "domain.com");
    line->setCursorPosition(line->text().size());
    EditPaste();
    EXPECT_EQ(line->text(), "domain.comdomain.com");

    QPlainTextEdit memo("a long text");
    memo.selectAll();
    HideEditSelection(&memo);
    EXPECT_FALSE(memo.textCursor().hasSelection());
    EXPECT_THROW(HideEditSelection(nullptr), rtl::EAssertionFailed);
}
