#include "PipelineFixtures.h"

#include "report/model/base/Exceptions.h"

#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

#include <QImage>

#include <set>

using namespace report;
using namespace pipelinetest;

namespace {

using Memory = modeltest::ObjectModelTest;

int idAt(MemoryPipeline &aPipeline)
{
    return aPipeline.GetFieldValue("Id").toInt();
}

} // namespace

TEST_F(Memory, BookmarksAreHandlesNeverHandedOutTwice)
{
    auto a = numbers(5);
    auto b = numbers(5);
    std::set<TppBookmark> seen;
    for (MemoryPipeline *p : {a.get(), b.get(), a.get()}) {
        p->First();
        for (int i = 0; i < 5; ++i, p->Next())
            EXPECT_TRUE(seen.insert(p->GetBookmark()).second);
    }
    EXPECT_EQ(a->OutstandingBookmarks(), 10);
    a->Locate("Id", 3, 0);
    const TppBookmark three = a->GetBookmark();
    a->Locate("Id", 1, 0);
    const TppBookmark one = a->GetBookmark();
    EXPECT_EQ(a->CompareBookmarks(one, three), -1);
    EXPECT_EQ(a->CompareBookmarks(three, one), 1);
    EXPECT_EQ(a->CompareBookmarks(three, three), 0);
    a->GotoBookmark(three);
    EXPECT_EQ(idAt(*a), 3);
    a->FreeBookmark(three);
    a->FreeBookmark(three); // a second release changes nothing
    EXPECT_THROW(a->GotoBookmark(three), EDataError);
    EXPECT_EQ(a->OutstandingBookmarks(), 11);
    auto empty = numbers(0);
    EXPECT_EQ(empty->GetBookmark(), 0);
}

TEST_F(Memory, LinkedRangesFollowInsertsAndEdits)
{
    Orders o;
    o.init();
    EXPECT_EQ(o.walkBoth().size(), 3);
    // Customer 2 gets an order; customer 3 loses its only one to 4.
    o.orders.AppendRecord();
    o.orders.SetFieldValue("Id", 106);
    o.orders.SetFieldValue("CustId", 2);
    o.orders.PostRecord();
    ASSERT_TRUE(o.orders.Locate("Id", 102, 0));
    o.orders.EditRecord();
    o.orders.SetFieldValue("CustId", 4);
    o.orders.PostRecord();
    o.init();
    EXPECT_EQ(o.walkBoth(), (QStringList{"1:101,104", "2:106", "4:102", "5:100,103,105"}));
    // Orders in link order: their bookmarks compare by that order.
    ASSERT_TRUE(o.orders.Locate("Id", 100, 0));
    const TppBookmark last = o.orders.GetBookmark();
    ASSERT_TRUE(o.orders.Locate("Id", 106, 0));
    const TppBookmark second = o.orders.GetBookmark();
    EXPECT_EQ(o.orders.CompareBookmarks(second, last), -1);
}

TEST_F(Memory, LinkValuesCompareByTheLinksCase)
{
    MemoryPipeline master, detail;
    master.AddField("Code");
    master.AddRow({"ab"});
    detail.AddField("Code");
    detail.AddField("Id", TppDataType::dtInteger);
    detail.AddRow({"AB", 1});
    detail.AddRow({"ab", 2});
    TppMasterFieldLink *link = detail.AddLink("Code", "Code");
    detail.SetMasterDataPipeline(&master);
    for (bool caseSensitive : {false, true}) {
        link->IsCaseSensitive = caseSensitive;
        detail.PostRecord(); // the index is built again
        const TppDataPipelineVector all{&master, &detail};
        master.InitTraversal(all);
        detail.InitTraversal(all);
        master.First();
        EXPECT_EQ(walk(detail).size(), caseSensitive ? 1 : 2);
        detail.ExcludeRecordPositionFlags(ppFirstRecord | ppLastRecord | ppNoRecords);
    }
}

TEST_F(Memory, TemplateWritesGoThroughEditAndPost)
{
    MemoryPipeline p;
    p.AddField("Name");
    p.AddField("Template", TppDataType::dtBLOB);
    p.AddField("Notes", TppDataType::dtMemo);
    p.AddField("Count", TppDataType::dtInteger);
    p.AddRow({"Invoice"});
    p.AddRow({"Letter"});

    EXPECT_FALSE(p.Locate("Name", "letter", 0));
    ASSERT_TRUE(p.Locate("Name", "letter", 1));
    EXPECT_EQ(p.GetFieldAsString("Name"), QStringLiteral("Letter"));
    EXPECT_THROW(p.SetFieldValue("Name", "x"), EDataError);

    classes::TMemoryStream in;
    const QByteArray bytes("TPF0\x00\x01\xff", 7);
    in.WriteBuffer(bytes.constData(), bytes.size());
    p.EditRecord();
    EXPECT_EQ(p.StreamToField("Template", in), 7);
    in.Clear();
    in.WriteBuffer("r\xc3\xa9sum\xc3\xa9", 8);
    EXPECT_EQ(p.StreamToField("Notes", in), 8);
    EXPECT_THROW(p.StreamToField("Count", in), EDataError);
    p.PostRecord();
    EXPECT_FALSE(p.Editing());
    EXPECT_EQ(p.Cell(1, "Notes"), QVariant(QStringLiteral("résumé")));

    classes::TMemoryStream out;
    EXPECT_EQ(p.FieldToStream("Template", out), 7);
    EXPECT_EQ(QByteArray(out.Memory(), qsizetype(out.Size())), bytes);
    EXPECT_THROW(p.FieldToStream("Name", out), EDataError);

    p.AppendRecord();
    p.SetFieldValue("Name", "Receipt");
    p.PostRecord();
    EXPECT_EQ(p.RecordCount(), 3);
    p.First();
    EXPECT_EQ(p.FieldToStream("Template", out), 0); // null on the first record
    EXPECT_EQ(p.Cell(2, "Name"), QVariant(QStringLiteral("Receipt")));
}

TEST_F(Memory, FieldsAnswerByNameAliasAndType)
{
    MemoryPipeline p;
    p.AddField("Id", TppDataType::dtInteger, 4, "Number");
    p.AddField("Logo", TppDataType::dtGraphic);
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    p.AddRow({7, image});
    p.First();
    EXPECT_EQ(p.GetFieldNameForAlias("number"), QStringLiteral("Id"));
    EXPECT_EQ(p.GetFieldNameForAlias("Other"), QStringLiteral("Other"));
    EXPECT_EQ(p.GetFieldAlias("id"), QStringLiteral("Number"));
    EXPECT_EQ(p.GetFieldDataType("Missing"), TppDataType::dtNotKnown);
    EXPECT_EQ(p.FieldObjects("LOGO"), p.GetField(1));
    EXPECT_EQ(p.GetFieldForName("Missing"), nullptr);
    auto *bitmap = dynamic_cast<classes::TBitmap *>(p.GetFieldAsPicture("Logo"));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 3);
    EXPECT_EQ(p.GetFieldAsPicture("Id"), nullptr);
    EXPECT_EQ(p.GetField(1)->AsString(), p.GetFieldAsString("Logo"));
    EXPECT_EQ(p.GetField(0)->Value(), QVariant(7));
    EXPECT_EQ(p.GetCurrentField(), p.GetField(0));
    p.RefuseAtDesignTime("logo");
    EXPECT_TRUE(p.RefuseFieldAtDesignTime("Logo"));
    p.Close();
    EXPECT_FALSE(p.GetActive());
    EXPECT_TRUE(p.GetFieldIsNull("Id"));
    p.Open();
    EXPECT_EQ(p.GetFieldAsDouble("Id"), 7.0);
    EXPECT_EQ(p.Calls.OpenData, 1);
}

TEST_F(Memory, ManyFieldsAreFoundByNameWithoutASearch)
{
    MemoryPipeline p;
    constexpr int count = 2000;
    QVariantList row;
    for (int i = 0; i < count; ++i) {
        p.AddField(QStringLiteral("F%1").arg(i), TppDataType::dtInteger, 4);
        row.append(i * 3);
    }
    p.AddField("f7"); // the exact name comes first, whichever was added first
    row.append(QStringLiteral("lower"));
    p.AddRow(row);
    p.First();
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(p.GetFieldValue(QStringLiteral("F%1").arg(i)).toInt(), i * 3) << i;
    EXPECT_EQ(p.GetFieldValue("f7").toString(), QStringLiteral("lower"));
    EXPECT_EQ(p.FieldNameScans(), 0);
    EXPECT_EQ(p.GetFieldValue("f12").toInt(), 36);
    EXPECT_EQ(p.FieldNameScans(), 1);

    // A renamed field answers to its new name only.
    p.GetField(5)->SetFieldName("Renamed");
    EXPECT_EQ(p.GetFieldValue("Renamed").toInt(), 15);
    EXPECT_THROW(p.GetFieldValue("F5"), EDataError);
    p.GetField(6)->SetFieldName("F9");
    EXPECT_EQ(p.GetFieldValue("F9").toInt(), 18);
}

TEST_F(Memory, ColumnsGiveEachValueBackAsItCame)
{
    using reporttest::MemoryColumn;
    const QVariant typedNull{QMetaType(QMetaType::Int)};
    const QString lone = QString(QChar(0xD800)) + QStringLiteral("x"); // UTF-8 cannot carry it
    // Per column the values of one row after another; each must come back
    // with its type, its value and its nullness.
    const std::vector<std::pair<QVariantList, MemoryColumn::Kind>> columns = {
        {{QVariant(), QStringLiteral("a"), QString::fromUtf8("\xC3\xA9t\xE2\x82\xAC"), QStringLiteral(""),
          QStringLiteral("b") + QChar(0xFEFF), QVariant()},
         MemoryColumn::Kind::Texts},
        {{1.5, QVariant(), -0.0, 1e308}, MemoryColumn::Kind::Doubles},
        {{7, QVariant(), -3}, MemoryColumn::Kind::Integers},
        {{QDate(2024, 2, 29), QVariant(), QDate(1, 1, 1)}, MemoryColumn::Kind::Dates},
        {{QStringLiteral("x"), 2, 2.5}, MemoryColumn::Kind::Variants},
        {{QString(), QStringLiteral("y")}, MemoryColumn::Kind::Variants},
        {{QStringLiteral("y"), lone}, MemoryColumn::Kind::Variants},
        {{QStringLiteral("y"), QString(QChar(0xFEFF)) + QStringLiteral("b")}, MemoryColumn::Kind::Variants},
        {{typedNull, 4}, MemoryColumn::Kind::Variants},
        {{QDate(), QDate(2000, 1, 1)}, MemoryColumn::Kind::Variants},
        {{QVariant(), QVariant()}, MemoryColumn::Kind::Nulls},
    };
    for (size_t c = 0; c < columns.size(); ++c) {
        const QVariantList &values = columns[c].first;
        MemoryColumn column;
        for (const QVariant &v : values)
            column.append(v);
        EXPECT_EQ(column.kind(), columns[c].second) << c;
        ASSERT_EQ(column.size(), size_t(values.size()));
        for (qsizetype r = 0; r < values.size(); ++r) {
            const QVariant v = column.at(size_t(r));
            EXPECT_EQ(v.typeId(), values[r].typeId()) << c << ' ' << r;
            EXPECT_EQ(v, values[r]) << c << ' ' << r;
            EXPECT_EQ(v.isNull(), values[r].isNull()) << c << ' ' << r;
            EXPECT_EQ(column.isNull(size_t(r)), !values[r].isValid() || values[r].isNull()) << c << ' ' << r;
            EXPECT_EQ(column.toString(size_t(r)), values[r].toString()) << c << ' ' << r;
            EXPECT_EQ(column.toDouble(size_t(r)), values[r].toDouble()) << c << ' ' << r;
        }
        if (values[0].typeId() == QMetaType::QString) {
            EXPECT_EQ(column.at(0).toString().isNull(), values[0].toString().isNull()) << c;
        }
    }

    // Writes: in place where the kind holds them, else the column turns to
    // QVariants, the other values unchanged.
    MemoryColumn texts;
    for (const char *t : {"one", "two", "three"})
        texts.append(QString::fromLatin1(t));
    EXPECT_EQ(texts.at(2), QVariant(QStringLiteral("three")));
    texts.set(2, QStringLiteral("last, longer")); // the end of the buffer
    texts.set(1, QVariant());
    EXPECT_EQ(texts.kind(), MemoryColumn::Kind::Texts);
    EXPECT_EQ(texts.at(2), QVariant(QStringLiteral("last, longer")));
    EXPECT_FALSE(texts.at(1).isValid());
    texts.set(0, QStringLiteral("first"));
    EXPECT_EQ(texts.kind(), MemoryColumn::Kind::Variants);
    EXPECT_EQ(texts.at(0), QVariant(QStringLiteral("first")));
    EXPECT_FALSE(texts.at(1).isValid());
    EXPECT_EQ(texts.at(2), QVariant(QStringLiteral("last, longer")));
    texts.append(QStringLiteral("more"));
    EXPECT_EQ(texts.at(3), QVariant(QStringLiteral("more")));

    MemoryColumn numbers(2); // two nulls
    numbers.set(1, 2.5);
    numbers.append(3.5);
    EXPECT_EQ(numbers.kind(), MemoryColumn::Kind::Doubles);
    EXPECT_FALSE(numbers.at(0).isValid());
    EXPECT_EQ(numbers.at(1), QVariant(2.5));
    numbers.set(0, QStringLiteral("n/a"));
    EXPECT_EQ(numbers.at(0), QVariant(QStringLiteral("n/a")));
    EXPECT_EQ(numbers.at(2), QVariant(3.5));
}

TEST_F(Memory, ARowFilterMakesSomeRowsTheRecords)
{
    auto p = numbers(6);
    p->Open();
    p->First();
    p->Next();
    const TppBookmark mark = p->GetBookmark();
    p->SetRowFilter({4, 1, 3});
    EXPECT_EQ(p->RecordCount(), 3);
    EXPECT_EQ(p->RowCount(), 6);
    EXPECT_EQ(p->CurrentRow(), 0);
    EXPECT_THROW(p->GotoBookmark(mark), EDataError); // records moved: bookmarks went
    EXPECT_EQ(walk(*p), (QList<int>{4, 1, 3}));
    EXPECT_EQ(p->Cell(1, "Id"), QVariant(1));
    EXPECT_EQ(p->RowCell(1, 0), QVariant(1));

    // A row added, appended or written while filtered is a record; a write
    // goes to the record's row.
    p->AddRow({10});
    EXPECT_EQ(walk(*p), (QList<int>{4, 1, 3, 10}));
    p->First();
    p->Next();
    p->EditRecord();
    p->SetFieldValue("Id", 11);
    p->PostRecord();
    EXPECT_EQ(p->RowCell(1, 0), QVariant(11));
    EXPECT_TRUE(p->Locate("Id", 3, 0));
    EXPECT_EQ(p->CurrentRow(), 2);

    // No row passes: the pipeline has no records; cleared, all rows again.
    p->SetRowFilter({});
    EXPECT_TRUE(p->BOF() && p->Eof());
    EXPECT_EQ(walk(*p), QList<int>());
    p->ClearRowFilter();
    EXPECT_EQ(walk(*p), (QList<int>{0, 11, 2, 3, 4, 5, 10}));
    EXPECT_THROW(p->SetRowFilter({7}), EDataError);
}

TEST_F(Memory, AFilteredDetailIsOrderedAndLinkedWithinItsRecords)
{
    MemoryPipeline customers, orders;
    customers.AddField("Id", TppDataType::dtInteger);
    for (int id : {1, 2})
        customers.AddRow({id});
    orders.AddField("Customer", TppDataType::dtInteger);
    orders.AddField("Number", TppDataType::dtInteger);
    for (int i = 0; i < 8; ++i)
        orders.AddRow({i % 2 ? 1 : 2, i});
    orders.SetMasterDataPipeline(&customers);
    orders.AddLink("Id", "Customer");
    orders.SetRowFilter({7, 6, 1, 0, 4});
    customers.Open();
    orders.Open();
    customers.First();
    QList<int> numbers;
    for (orders.First(); !orders.Eof(); orders.Next())
        numbers << orders.GetFieldValue("Number").toInt();
    EXPECT_EQ(numbers, (QList<int>{7, 1}));
    customers.Next();
    numbers.clear();
    for (orders.First(); !orders.Eof(); orders.Next())
        numbers << orders.GetFieldValue("Number").toInt();
    EXPECT_EQ(numbers, (QList<int>{6, 0, 4}));
}
