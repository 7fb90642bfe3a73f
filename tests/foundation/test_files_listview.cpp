// Report-mode lists stored as delimited lines (the site list goes through these).

#include "foundation/MyUtilitiesFiles.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtText.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cerrno>

using namespace foundation;
using namespace std::string_literals;
using Row = std::vector<std::string>; // caption, then the sub-items

namespace {

std::vector<Row> rowsOf(const QTreeWidget &list)
{
    std::vector<Row> rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list.topLevelItem(i);
        Row &row = rows.emplace_back();
        for (int k = 0; k < std::max(1, item->columnCount()); ++k)
            row.push_back(rtl::FromQString(item->text(k)));
    }
    return rows;
}

void addRows(QTreeWidget &list, const std::vector<Row> &rows)
{
    for (const Row &row : rows) {
        auto *item = new QTreeWidgetItem(&list);
        for (size_t k = 0; k < row.size(); ++k)
            item->setText(int(k), rtl::ToQString(row[k]));
    }
}

} // namespace

TEST(ListViewFile, LoadsEveryLineKindAndGivesEachRowItsOwnFieldCount)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("Domain-Data.txt").toStdString();
    // CR LF, empty lines, a caption alone, a lone LF, trailing empty fields,
    // and a last line without an ending.
    ASSERT_TRUE(SaveTextFile(file, "a.com\t1,234\t5\r\n\r\nonly.org\r\n\r\nlf.net\t7\nempty\t\t\r\nlast.de\t9"));
    QTreeWidget list;
    list.setColumnCount(3);
    addRows(list, {{"stale"}});
    ASSERT_TRUE(LoadListViewFromFile(file, &list, "\t"));
    const std::vector<Row> expected{
        {"a.com", "1,234", "5"}, {"only.org"}, {"lf.net", "7"}, {"empty", "", ""}, {"last.de", "9"}};
    EXPECT_EQ(rowsOf(list), expected);
    EXPECT_EQ(list.columnCount(), 3) << "loading leaves the columns alone";

    ASSERT_TRUE(LoadListViewFromFile(dir.filePath("missing.txt").toStdString(), &list, "\t"));
    EXPECT_EQ(list.topLevelItemCount(), 0);
}

TEST(ListViewFile, SaveAndLoadKeepEveryByte)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("Domain-Data.txt").toStdString();
    const std::vector<Row> rows{{"b\xe9\x81r.de",
                                 "1\xa0"
                                 "234",
                                 "\0x"s},
                                {"", "", "0"},
                                {"semi;colon", "12.345", "\x80\xff"}};
    QTreeWidget list;
    list.setColumnCount(3);
    addRows(list, rows);
    ASSERT_TRUE(SaveListViewToFile(file, &list, "\t"));
    EXPECT_EQ(LoadTextFile(file), "b\xe9\x81r.de\t1\xa0"
                                  "234\t\0x\r\n\t\t0\r\nsemi;colon\t12.345\t\x80\xff\r\n"s);
    QTreeWidget back;
    ASSERT_TRUE(LoadListViewFromFile(file, &back, "\t"));
    EXPECT_EQ(rowsOf(back), rows);
}

TEST(ListViewFile, ARowShortOfSubItemsFailsBeforeTheFileIsTouched)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("Domain-Data.txt").toStdString();
    ASSERT_TRUE(SaveTextFile(file, "old\t1\t2\r\n"));
    QTreeWidget list;
    list.setColumnCount(3);
    addRows(list, {{"full", "1", "2"}, {"short", "1"}});
    try {
        SaveListViewToFile(file, &list, "\t");
        ADD_FAILURE() << "a short row must raise";
    } catch (const rtl::EAssertionFailed &) {
        ADD_FAILURE() << "the list index error is not an assertion";
    } catch (const rtl::Exception &e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (1)");
    }
    EXPECT_EQ(LoadTextFile(file), "old\t1\t2\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"Domain-Data.txt"}));
    EXPECT_THROW(SaveListViewToFile("", &list, "\t"), rtl::EAssertionFailed);
    EXPECT_THROW(LoadListViewFromFile(file, nullptr, "\t"), rtl::EAssertionFailed);
}

// The file holds the code page's bytes: a cell with a character the code
// page lacks refuses the save, saying which row, instead of writing "?".
TEST(ListViewFile, ACharacterTheCodePageLacksFailsBeforeTheFileIsTouched)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("Domain-Data.txt").toStdString();
    ASSERT_TRUE(SaveTextFile(file, "old\t1\t2\r\n"));
    for (const char *cell : {"\xD0\xB6", "\xF0\x9F\x98\x80"}) {
        QTreeWidget list;
        list.setColumnCount(3);
        addRows(list, {{"site.de", "1", "2"}, {"other.de", "3", "4"}});
        list.topLevelItem(1)->setText(2, QString::fromUtf8(cell));
        errno = 0;
        try {
            SaveListViewToFile(file, &list, "\t");
            ADD_FAILURE() << "a cell the code page cannot hold must raise";
        } catch (const rtl::Exception &e) {
            EXPECT_STREQ(e.what(), "Row 2 holds a character that the file's character set (Windows-1252) cannot keep");
        }
        EXPECT_EQ(errno, 0) << "the reason is the message, not a system error";
        EXPECT_EQ(LoadTextFile(file), "old\t1\t2\r\n");
    }
}
