#include "tests/support/report/CsvPipeline.h"

#include "tests/support/report/CsvReader.h"
#include "tests/support/report/MemoryPipeline.h"

#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace reporttest {

bool LoadCsvPipeline(const QString &aFileName, MemoryPipeline &aPipeline, QString &aError)
{
    const QFileInfo info(aFileName);
    if (info.isDir()) {
        aError = aFileName + QStringLiteral(": is a folder");
        return false;
    }
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        aError = aFileName + QStringLiteral(": ") + file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    reportcsv::CsvTable table;
    reportcsv::CsvError error;
    if (!reportcsv::ParseCsv(std::string_view(bytes.constData(), size_t(bytes.size())), table, error)) {
        aError = aFileName + QLatin1Char(':') + QString::number(error.line) + QStringLiteral(": ") +
                 QString::fromStdString(error.message);
        return false;
    }
    for (size_t c = 0; c < table.names.size(); ++c) {
        const QString name = QString::fromStdString(table.names[c]);
        aPipeline.AddField(name, table.numeric[c] ? report::TppDataType::dtDouble : report::TppDataType::dtString);
    }
    for (const auto &row : table.rows) {
        QVariantList values;
        values.reserve(qsizetype(row.size()));
        for (size_t c = 0; c < row.size(); ++c) {
            if (table.numeric[c])
                values.append(std::strtod(row[c].c_str(), nullptr));
            else
                values.append(QString::fromStdString(row[c]));
        }
        aPipeline.AddRow(values);
    }
    return true;
}

} // namespace reporttest
