// Report-mode lists stored as delimited lines (the site list goes through these).

#include "foundation/MyUtilitiesFiles.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtText.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <sys/stat.h>

using namespace std::string_literals;
using zvotest::readFile;
using zvotest::writeFile;

namespace {

struct Row
{
    std::string caption;
    std::vector<std::string> subItems;
    friend bool operator==(const Row &, const Row &) = default;
};

std::vector<Row> rowsOf(const QTreeWidget &list)
{
    std::vector<Row> rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list.topLevelItem(i);
        Row row{rtl::FromQString(item->text(0)), {}};
        for (int k = 1; k < item->columnCount(); ++k)
            row.subItems.push_back(rtl::FromQString(item->text(k)));
        rows.push_back(row);
    }
    return rows;
}

void PrintTo(const Row &row, std::ostream *os)
{
    *os << '"' << row.caption << "\" +" << row.subItems.size();
}

} // namespace

TEST(ListViewFile, LoadsEveryLineKindAndGivesEachRowItsOwnFieldCount)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Domain-Data.txt");
    // CR LF, empty lines, a caption alone, a lone LF, trailing empty fields,
    // and a last line without an ending.
    ASSERT_TRUE(writeFile(file, "a.com\t1,234\t5\r\n\r\nonly.org\r\n\r\nlf.net\t7\nempty\t\t\r\nlast.de\t9"));
    QTreeWidget list;
    list.setColumnCount(3);
    list.addTopLevelItem(new QTreeWidgetItem(QStringList{"stale"}));

    ASSERT_TRUE(LoadListViewFromFile(file.toStdString(), &list, "\t"));
    const std::vector<Row> expected{{"a.com", {"1,234", "5"}},
                                    {"only.org", {}},
                                    {"lf.net", {"7"}},
                                    {"empty", {"", ""}},
                                    {"last.de", {"9"}}};
    EXPECT_EQ(rowsOf(list), expected);
    EXPECT_EQ(list.columnCount(), 3) << "loading leaves the columns alone";

    ASSERT_TRUE(LoadListViewFromFile(dir.filePath("missing.txt").toStdString(), &list, "\t"));
    EXPECT_EQ(list.topLevelItemCount(), 0);
}

TEST(ListViewFile, SaveAndLoadKeepEveryByte)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("Domain-Data.txt").toStdString();
    QTreeWidget list;
    list.setColumnCount(3);
    const std::vector<Row> rows{{"b\xe9\x81r.de", {"1\xa0" "234", "\0x"s}},
                                {"", {"", "0"}},
                                {"semi;colon", {"12.345", "\x80\xff"}}};
    for (const Row &row : rows) {
        auto *item = new QTreeWidgetItem(&list);
        item->setText(0, rtl::ToQString(row.caption));
        for (size_t k = 0; k < row.subItems.size(); ++k)
            item->setText(int(k + 1), rtl::ToQString(row.subItems[k]));
    }
    ASSERT_TRUE(SaveListViewToFile(file, &list, "\t"));
    EXPECT_EQ(LoadTextFile(file), "b\xe9\x81r.de\t1\xa0" "234\t\0x\r\n\t\t0\r\nsemi;colon\t12.345\t\x80\xff\r\n"s);

    QTreeWidget back;
    back.setColumnCount(3);
    ASSERT_TRUE(LoadListViewFromFile(file, &back, "\t"));
    // The row with an empty caption is an empty-looking line only when all its
    // fields are empty; this one has a count, so it survives.
    EXPECT_EQ(rowsOf(back), rows);
}

TEST(ListViewFile, ARowShortOfSubItemsFailsBeforeTheFileIsTouched)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Domain-Data.txt");
    ASSERT_TRUE(writeFile(file, "old\t1\t2\r\n"));
    QTreeWidget list;
    list.setColumnCount(3);
    auto *full = new QTreeWidgetItem(&list);
    full->setText(0, "full");
    full->setText(1, "1");
    full->setText(2, "2");
    auto *shortRow = new QTreeWidgetItem(&list);
    shortRow->setText(0, "short");
    shortRow->setText(1, "1");

    try {
        SaveListViewToFile(file.toStdString(), &list, "\t");
        FAIL() << "a short row must raise";
    } catch (const rtl::EAssertionFailed &) {
        FAIL() << "the list index error is not an assertion";
    } catch (const rtl::Exception &e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (1)");
    }
    EXPECT_EQ(readFile(file), "old\t1\t2\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"Domain-Data.txt"}));

    EXPECT_THROW(SaveListViewToFile("", &list, "\t"), rtl::EAssertionFailed);
    EXPECT_THROW(SaveListViewToFile(file.toStdString(), nullptr, "\t"), rtl::EAssertionFailed);
    EXPECT_THROW(LoadListViewFromFile(file.toStdString(), nullptr, "\t"), rtl::EAssertionFailed);
}
