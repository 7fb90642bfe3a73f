#include "tests/support/report/CsvPipeline.h"
#include "tests/support/report/CsvReader.h"
#include "tests/support/report/MemoryPipeline.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using reportcsv::CsvError;
using reportcsv::CsvTable;
using reportcsv::ParseCsv;

namespace {

CsvTable parsed(std::string_view aText)
{
    CsvTable table;
    CsvError error;
    EXPECT_TRUE(ParseCsv(aText, table, error)) << error.message;
    return table;
}

CsvError failure(std::string_view aText)
{
    CsvTable table;
    CsvError error;
    EXPECT_FALSE(ParseCsv(aText, table, error));
    return error;
}

TEST(CsvReader, QuotesLineBreaksAndTheByteOrderMark)
{
    const CsvTable table = parsed("\xEF\xBB\xBFName,Note\r\n\"a, b\",\"say \"\"hi\"\"\"\nx,\"two\r\nlines\"\n\"\",\n");
    EXPECT_EQ(table.names, (std::vector<std::string>{"Name", "Note"}));
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[0], (std::vector<std::string>{"a, b", "say \"hi\""}));
    EXPECT_EQ(table.rows[1], (std::vector<std::string>{"x", "two\r\nlines"}));
    EXPECT_EQ(table.rows[2], (std::vector<std::string>{"", ""}));
    // The last row needs no line break; blank lines hold no row.
    EXPECT_EQ(parsed("A\n1\n\n2").rows.size(), 2u);
    EXPECT_EQ(parsed("A,B\n").rows.size(), 0u);
    // Multi-byte characters pass whole.
    EXPECT_EQ(parsed("A\n\xC3\xA9t\xE2\x82\xAC\n").rows[0][0], "\xC3\xA9t\xE2\x82\xAC");
}

TEST(CsvReader, AColumnOfNumbersOnlyIsNumeric)
{
    const CsvTable table = parsed("I,F,S,E\n1,-2.5,1,\n20,.5e3,x,\n");
    EXPECT_EQ(table.numeric, (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(parsed("A\n").numeric, (std::vector<bool>{false}));
    for (const char *text : {"1", "-0.25", "+3.", ".5", "1e5", "2E-3"})
        EXPECT_TRUE(reportcsv::IsCsvNumber(text)) << text;
    for (const char *text : {"", "-", ".", "1e", "inf", "nan", " 1", "1 ", "0x10", "1,5"})
        EXPECT_FALSE(reportcsv::IsCsvNumber(text)) << text;
}

TEST(CsvReader, BadTextNamesItsLine)
{
    EXPECT_EQ(failure("").line, 1u);
    EXPECT_EQ(failure("\xEF\xBB\xBF").line, 1u);
    EXPECT_EQ(failure("A,B\n1,2\n3\n").line, 3u);
    EXPECT_EQ(failure("A\n\"x\ny\n").line, 2u);
    EXPECT_EQ(failure("A\n\"x\"y\n").line, 2u);
    EXPECT_EQ(failure("A\nx\xFF\n").line, 2u);
    EXPECT_EQ(failure("A\nx\xC0\x80\n").line, 2u);    // overlong
    EXPECT_EQ(failure("A\n\xED\xA0\x80\n").line, 2u); // surrogate
    EXPECT_EQ(failure(std::string_view("A\nx\0y\n", 6)).line, 2u);
    EXPECT_EQ(failure("A,A\n1,2\n").line, 1u);
    EXPECT_EQ(failure("A,\n1,2\n").line, 1u);
}

TEST(CsvReader, LargeFieldsAndManyColumns)
{
    std::string wide;
    for (int i = 0; i < 10000; ++i)
        wide += (i ? ",C" : "C") + std::to_string(i);
    wide += "\n";
    for (int i = 0; i < 10000; ++i)
        wide += i ? ",1" : "1";
    const CsvTable table = parsed(wide);
    EXPECT_EQ(table.names.size(), 10000u);
    EXPECT_TRUE(table.numeric[9999]);

    const std::string big = "A\n\"" + std::string(10 << 20, 'x') + "\"\n";
    EXPECT_EQ(parsed(big).rows[0][0].size(), size_t(10 << 20));
}

TEST(CsvPipeline, FillsTheMemoryPipeline)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("d.csv"));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Name,Amount\nx,1.5\ny,2\n");
    file.close();
    reporttest::MemoryPipeline pipeline;
    QString error;
    ASSERT_TRUE(reporttest::LoadCsvPipeline(name, pipeline, error)) << error.toStdString();
    EXPECT_EQ(pipeline.Cell(1, QStringLiteral("Amount")), QVariant(2.0));
    EXPECT_EQ(pipeline.Cell(0, QStringLiteral("Name")), QVariant(QStringLiteral("x")));

    reporttest::MemoryPipeline other;
    EXPECT_FALSE(reporttest::LoadCsvPipeline(dir.path(), other, error));
    EXPECT_TRUE(error.startsWith(dir.path()));
    EXPECT_FALSE(reporttest::LoadCsvPipeline(dir.filePath(QStringLiteral("none.csv")), other, error));
}

TEST(CsvReader, ReadRowByRowTheFirstFaultInTheTextIsTheOneReported)
{
    // An uneven row is only reported once the rest of the text has been read
    // without a fault, as when the whole table was read first.
    EXPECT_EQ(failure("A,B\n1\nx\xFF\n").line, 3u);
    EXPECT_EQ(failure("A,B\n1\n2,3\n4\n").line, 2u);
    EXPECT_EQ(failure("A,A\n1\n").message, "a field name is repeated");
    EXPECT_EQ(failure("A\n\"1\n").message, "a quoted field is not closed");

    struct Counting : reportcsv::CsvRowSink
    {
        void Names(const std::vector<std::string> &aNames) override { names = aNames; }
        void Row(std::vector<std::string> &aFields) override { rows.push_back(aFields); }
        std::vector<std::string> names;
        std::vector<std::vector<std::string>> rows;
    } sink;
    std::vector<bool> numeric;
    CsvError error;
    ASSERT_TRUE(reportcsv::ReadCsv("N,T\n1,\"a\nb\"\n\n22,c\"d\r\n3,", sink, numeric, error));
    EXPECT_EQ(sink.names, (std::vector<std::string>{"N", "T"}));
    EXPECT_EQ(sink.rows, (std::vector<std::vector<std::string>>{{"1", "a\nb"}, {"22", "c\"d"}, {"3", ""}}));
    EXPECT_EQ(numeric, (std::vector<bool>{true, false}));
}

QString writtenCsv(const QTemporaryDir &aDir, const QByteArray &aText)
{
    const QString name = aDir.filePath(QStringLiteral("t.csv"));
    QFile file(name);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(aText);
    return name;
}

TEST(CsvPipeline, TypedColumnsAnswerWhatRowsOfValuesDid)
{
    QTemporaryDir dir;
    const QByteArray text = "Id,Name,Amount,Mixed\n"
                            "+3.,\"Turin, Italy\",1e400,1\n"
                            "\"7\",\xEF\xBB\xBFx\xC3\xA9,-1e-400,\n"
                            ".5,,2.2250738585072011e-308,x\n"
                            "0012,\"two\r\nlines\",-0,2\n";
    const QString name = writtenCsv(dir, text);
    reporttest::MemoryPipeline pipeline;
    QString error;
    ASSERT_TRUE(reporttest::LoadCsvPipeline(name, pipeline, error)) << error.toStdString();

    // The values as rows of QVariants held them: numbers as strtod reads
    // them, texts decoded from UTF-8.
    CsvTable table;
    CsvError csvError;
    ASSERT_TRUE(ParseCsv(text.toStdString(), table, csvError));
    ASSERT_EQ(pipeline.RecordCount(), int(table.rows.size()));
    ASSERT_EQ(pipeline.GetFieldCount(), 4);
    for (size_t c = 0; c < table.names.size(); ++c) {
        const QString field = QString::fromStdString(table.names[c]);
        EXPECT_EQ(pipeline.GetFieldDataType(field),
                  table.numeric[c] ? report::TppDataType::dtDouble : report::TppDataType::dtString);
        for (size_t r = 0; r < table.rows.size(); ++r) {
            const QVariant expected = table.numeric[c] ? QVariant(std::strtod(table.rows[r][c].c_str(), nullptr))
                                                       : QVariant(QString::fromStdString(table.rows[r][c]));
            const QVariant cell = pipeline.Cell(int(r), field);
            EXPECT_EQ(cell.typeId(), expected.typeId()) << c << ' ' << r;
            EXPECT_EQ(cell, expected) << c << ' ' << r;
            if (table.numeric[c]) {
                EXPECT_EQ(std::signbit(cell.toDouble()), std::signbit(expected.toDouble())) << c << ' ' << r;
            }
        }
    }

    // The list sample's kind of data takes tens of bytes a record.
    QByteArray list = "Id,Name,City,Amount\n";
    for (int i = 1; i <= 2000; ++i)
        list += QByteArray::number(i) + ",Name " + QByteArray::number(i) + ",\"Turin, Italy\"," +
                QByteArray::number(i * 9.25, 'f', 2) + "\n";
    reporttest::MemoryPipeline big;
    ASSERT_TRUE(reporttest::LoadCsvPipeline(writtenCsv(dir, list), big, error)) << error.toStdString();
    EXPECT_EQ(big.RecordCount(), 2000);
    EXPECT_LT(big.ValueBytes() / 2000, 64u);
    EXPECT_EQ(big.Cell(1999, QStringLiteral("City")), QVariant(QStringLiteral("Turin, Italy")));
}

} // namespace
