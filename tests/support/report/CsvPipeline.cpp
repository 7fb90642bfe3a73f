#include "tests/support/report/CsvPipeline.h"

#include "tests/support/report/CsvReader.h"
#include "tests/support/report/MemoryPipeline.h"
#include "platform/rtl/FileDescriptor.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <cstdlib>
#include <limits>

namespace reporttest {

namespace {

// The rows go straight into a text buffer per column; no row is kept.
class CsvColumnSink : public reportcsv::CsvRowSink
{
public:
    void Names(const std::vector<std::string> &aNames) override
    {
        names = aNames;
        texts.resize(names.size());
        ends.resize(names.size());
    }
    void Row(std::vector<std::string> &aFields) override
    {
        for (size_t c = 0; c < aFields.size(); ++c) {
            std::string &text = texts[c];
            text.append(aFields[c]);
            if (text.size() > std::numeric_limits<uint32_t>::max())
                tooLarge = true;
            ends[c].push_back(uint32_t(text.size()));
        }
    }

    std::vector<std::string> names;
    std::vector<std::string> texts;
    std::vector<std::vector<uint32_t>> ends;
    bool tooLarge = false;
};

// A text the reader took for a number, read as strtod reads it in the "C"
// locale whatever the program's locale is.
double csvNumber(std::string_view aText)
{
    std::string_view digits = aText;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc() && end == digits.data() + digits.size())
        return value;
    // Beyond the range: infinity or zero with its sign, as strtod answers.
    return std::strtod(std::string(aText).c_str(), nullptr);
}

MemoryColumn csvNumbers(const std::string &aText, const std::vector<uint32_t> &aEnds)
{
    std::vector<double> values;
    values.reserve(aEnds.size());
    uint32_t start = 0;
    for (const uint32_t end : aEnds) {
        values.push_back(csvNumber(std::string_view(aText).substr(start, end - start)));
        start = end;
    }
    return MemoryColumn::Doubles(std::move(values));
}

} // namespace

bool LoadCsvPipeline(const QString &aFileName, MemoryPipeline &aPipeline, QString &aError)
{
    // Data may come through a pipe, which is waited for as pipes are; a
    // device without end is stopped at the limit.
    rtl::FileText read = rtl::readWholeFile(QFile::encodeName(aFileName).toStdString(), {.regularOnly = false});
    if (!read) {
        aError = read.failure == rtl::ReadFailure::NotRegular
                     ? aFileName + QStringLiteral(": is a folder")
                     : QString::fromLocal8Bit(read.reason(QFile::encodeName(aFileName).toStdString()));
        return false;
    }
    CsvColumnSink sink;
    std::vector<bool> numeric;
    reportcsv::CsvError error;
    {
        const std::string bytes = std::move(read.text);
        if (!reportcsv::ReadCsv(bytes, sink, numeric, error)) {
            aError = aFileName + QLatin1Char(':') + QString::number(error.line) + QStringLiteral(": ") +
                     QString::fromStdString(error.message);
            return false;
        }
    }
    if (sink.tooLarge) {
        aError = aFileName + QStringLiteral(": a column holds more than 4 GB of text");
        return false;
    }
    std::vector<MemoryColumn> columns;
    columns.reserve(sink.names.size());
    for (size_t c = 0; c < sink.names.size(); ++c) {
        if (numeric[c]) {
            columns.push_back(csvNumbers(sink.texts[c], sink.ends[c]));
        } else {
            sink.texts[c].shrink_to_fit();
            sink.ends[c].shrink_to_fit();
            columns.push_back(MemoryColumn::Texts(std::move(sink.texts[c]), std::move(sink.ends[c])));
        }
        // Each column's text goes as soon as it has been read.
        std::string().swap(sink.texts[c]);
        std::vector<uint32_t>().swap(sink.ends[c]);
    }
    const bool fresh = aPipeline.GetFieldCount() == 0 && aPipeline.RowCount() == 0;
    for (size_t c = 0; c < sink.names.size(); ++c)
        aPipeline.AddField(QString::fromStdString(sink.names[c]),
                           numeric[c] ? report::TppDataType::dtDouble : report::TppDataType::dtString);
    if (fresh) {
        aPipeline.SetColumns(std::move(columns));
        return true;
    }
    // A pipeline that has data already takes the values row by row.
    const size_t rows = columns.empty() ? 0 : columns.front().size();
    for (size_t r = 0; r < rows; ++r) {
        QVariantList values;
        values.reserve(qsizetype(columns.size()));
        for (const MemoryColumn &c : columns)
            values.append(c.at(r));
        aPipeline.AddRow(values);
    }
    return true;
}

} // namespace reporttest
