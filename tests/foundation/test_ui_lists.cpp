// List and combo-box helpers.

#include "foundation/MyUtilitiesUi.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <QComboBox>
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
