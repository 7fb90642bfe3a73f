#include "ShapesSample.h"

#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/MetafileWriter.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/graphics/Graphics.h"
#include "report/content/graphics/Images.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Units.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace reportdemo {

namespace {

constexpr int shapesCell = 110;
constexpr int shapesRow = 70;
constexpr int shapesLinesTop = 290;
constexpr int shapesLineRow = 40;
constexpr int shapesPicturesTop = 460;
constexpr int shapesTitleHeight = 530;

struct ShapesPictureFormat
{
    const char *name;
    const char *file;
    QColor color;
};

const ShapesPictureFormat shapesFormats[] = {
    {"BMP", "picture.bmp", QColor(255, 0, 0)},   {"RLE8", "rle8.bmp", QColor(0, 160, 0)},
    {"GIF", "picture.gif", QColor(0, 0, 255)},   {"JPEG", "picture.jpg", QColor(255, 160, 0)},
    {"ICO", "picture.ico", QColor(160, 0, 160)}, {"WMF", "picture.wmf", QColor(0, 160, 160)},
    {"EMF", "picture.emf", QColor(160, 160, 0)},
};

void shapesPut(QByteArray &b, int64_t v, int n)
{
    for (int i = 0; i < n; ++i)
        b.append(char((uint64_t(v) >> (8 * i)) & 0xFF));
}

// A 16 x 8 BMP of one colour, its rows run-length encoded at 8 bits.
QByteArray shapesRle8(const QColor &aColor)
{
    QByteArray rows;
    for (int y = 0; y < 8; ++y)
        rows.append(QByteArray::fromHex("1000"
                                        "0000"));
    rows.append(QByteArray::fromHex("0001"));
    QByteArray b("BM");
    shapesPut(b, 14 + 40 + 4 + rows.size(), 4);
    shapesPut(b, 0, 4);
    shapesPut(b, 14 + 40 + 4, 4);
    for (int64_t v : {int64_t(40), int64_t(16), int64_t(8)})
        shapesPut(b, v, 4);
    shapesPut(b, 1, 2);
    shapesPut(b, 8, 2);
    for (int64_t v : {int64_t(1), int64_t(rows.size()), int64_t(2835), int64_t(2835), int64_t(1), int64_t(0)})
        shapesPut(b, v, 4);
    shapesPut(b, aColor.blue(), 1);
    shapesPut(b, aColor.green(), 1);
    shapesPut(b, aColor.red(), 1);
    shapesPut(b, 0, 1);
    return b + rows;
}

// A 16 x 8 GIF of one colour (two-colour table, all pixels index 0).
QByteArray shapesGif(const QColor &aColor)
{
    QByteArray b("GIF89a");
    shapesPut(b, 16, 2);
    shapesPut(b, 8, 2);
    b.append(QByteArray::fromHex("800000"));
    b.append(char(aColor.red())).append(char(aColor.green())).append(char(aColor.blue()));
    b.append(QByteArray(3, '\0'));
    b.append(QByteArray::fromHex("2c000000001000080000"));
    // LZW with a minimum code size of 2: a clear code before every two
    // pixels keeps every code three bits wide.
    QByteArray codes;
    uint32_t bits = 0;
    int count = 0;
    const auto putCode = [&](int code, int size) {
        bits |= uint32_t(code) << count;
        count += size;
        while (count >= 8) {
            codes.append(char(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    };
    for (int pixel = 0; pixel < 128; pixel += 2) {
        putCode(4, 3); // clear
        putCode(0, 3);
        putCode(0, 3);
    }
    putCode(5, 3); // end
    if (count > 0)
        codes.append(char(bits & 0xFF));
    b.append(char(2));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        b.append(char(block.size()));
        b.append(block);
    }
    b.append(char(0));
    b.append(char(0x3B));
    return b;
}

QByteArray shapesEncoded(const QImage &aImage, const char *aFormat)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    aImage.save(&buffer, aFormat, 100);
    return bytes;
}

// A filled frame with its format's name in the corner, as text.
QByteArray shapesMetafile(reporttest::MetafileWriter::Format aFormat, const QColor &aColor, const QString &aName)
{
    reporttest::MetafileWriter writer(aFormat, 40, 30);
    writer.Pen(0, 0, 5);
    writer.Brush(uint32_t(aColor.red()) | (uint32_t(aColor.green()) << 8) | (uint32_t(aColor.blue()) << 16));
    writer.Rectangle(QRect(0, 0, 40, 30));
    writer.Font(7, QStringLiteral("Liberation Sans"));
    writer.TextColor(0);
    writer.Text(2, 2, aName);
    return writer.Bytes();
}

QByteArray shapesPictureBytes(const ShapesPictureFormat &aFormat)
{
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(aFormat.color);
    const QString name = QString::fromLatin1(aFormat.name);
    if (name == "BMP")
        return shapesEncoded(image, "BMP");
    if (name == "RLE8")
        return shapesRle8(aFormat.color);
    if (name == "GIF")
        return shapesGif(aFormat.color);
    if (name == "JPEG")
        return shapesEncoded(image, "JPEG");
    if (name == "ICO") {
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(aFormat.color);
        return shapesEncoded(icon, "ICO");
    }
    return shapesMetafile(name == "WMF" ? reporttest::MetafileWriter::Format::PlaceableWmf
                                        : reporttest::MetafileWriter::Format::Emf,
                          aFormat.color, name);
}

void shapesPlace(report::TppCustomComponent &aControl, report::TppBand *aBand, const QRect &aBox)
{
    aControl.SetBand(aBand);
    aControl.SetSpBounds(aBox.left(), aBox.top(), aBox.width(), aBox.height());
}

} // namespace

std::vector<ShapesSampleItem> ShapesSampleItems()
{
    std::vector<ShapesSampleItem> items;
    for (int row = 0; row < 4; ++row)
        for (int kind = 0; kind < 6; ++kind) {
            ShapesSampleItem item;
            item.kind = ShapesSampleItem::Kind::Shape;
            item.box = QRect(kind * shapesCell, row * shapesRow, 100, 60);
            item.shape = kind;
            item.pen = row % 2 == 0 ? 1 : 3;
            item.solid = row >= 2;
            items.push_back(item);
        }
    static constexpr double weights[] = {0.75, 1.5, 6};
    for (int position = 0; position < 4; ++position)
        for (int column = 0; column < 6; ++column) {
            ShapesSampleItem item;
            item.kind = ShapesSampleItem::Kind::Line;
            item.box = QRect(column * shapesCell, shapesLinesTop + position * shapesLineRow, 100, 30);
            item.position = position;
            item.doubled = column >= 3;
            item.weight = weights[column % 3];
            items.push_back(item);
        }
    int column = 0;
    for (const ShapesPictureFormat &format : shapesFormats) {
        ShapesSampleItem item;
        item.kind = ShapesSampleItem::Kind::Picture;
        item.box = QRect(column++ * 90, shapesPicturesTop, 80, 60);
        item.format = QString::fromLatin1(format.name);
        item.color = format.color;
        items.push_back(item);
    }
    return items;
}

bool WriteShapesSamplePictures(const QString &aFolder, QString &aError)
{
    for (const ShapesPictureFormat &format : shapesFormats) {
        QFile file(QDir(aFolder).filePath(QString::fromLatin1(format.file)));
        if (!file.open(QIODevice::WriteOnly) || file.write(shapesPictureBytes(format)) < 0) {
            aError = file.fileName() + QStringLiteral(": ") + file.errorString();
            return false;
        }
    }
    QImage png(16, 8, QImage::Format_RGB32);
    png.fill(ShapesSampleDetailColor);
    if (!png.save(QDir(aFolder).filePath(QStringLiteral("picture.png")), "PNG")) {
        aError = QStringLiteral("picture.png cannot be written");
        return false;
    }
    return true;
}

void ResolveShapesPictureNames(reporttest::MemoryPipeline &aData, const QString &aFolder)
{
    if (aData.GetFieldCount() > 0) {
        std::vector<QVariantList> rows;
        for (int row = 0; row < aData.RecordCount(); ++row) {
            QVariantList values;
            for (int field = 0; field < aData.GetFieldCount(); ++field) {
                const QString name = aData.GetField(field)->FieldName;
                QVariant value = aData.Cell(row, name);
                if (name.compare(QLatin1String("Picture"), Qt::CaseInsensitive) == 0 &&
                    QFileInfo(value.toString()).isRelative())
                    value = QDir(aFolder).filePath(value.toString());
                values << value;
            }
            rows.push_back(values);
        }
        aData.ClearRows();
        for (const QVariantList &values : rows)
            aData.AddRow(values);
    }
}

std::unique_ptr<report::TppReport> CreateShapesSample(reporttest::MemoryPipeline &aData, const QString &aFolder)
{
    // Relative names in the data name the pictures the tool wrote.
    ResolveShapesPictureNames(aData, aFolder);
    auto result = std::make_unique<report::TppReport>();
    report::TppReport &r = *result;
    reporttest::SetA4Portrait(*r.PrinterSetup(), ShapesSampleMargin);
    r.SetDataPipeline(&aData);
    const auto mm = [](int aPixels) {
        return report::ppToMMThousandths(float(aPixels), report::TppUnitType::utScreenPixels,
                                         report::TppAxisType::atVertical);
    };
    auto *title = new report::TppTitleBand(nullptr);
    title->SetReport(&r);
    title->SetmmHeight(mm(shapesTitleHeight));
    title->SetUserName(QStringLiteral("Title"));
    auto *detail = new report::TppDetailBand(nullptr);
    detail->SetReport(&r);
    detail->SetmmHeight(mm(ShapesSampleDetailHeight));
    detail->SetUserName(QStringLiteral("Detail"));

    int picture = 0;
    for (const ShapesSampleItem &item : ShapesSampleItems()) {
        switch (item.kind) {
        case ShapesSampleItem::Kind::Shape: {
            auto *shape = new report::TppShape;
            shapesPlace(*shape, title, item.box);
            shape->SetShape(classes::TShapeType(item.shape));
            shape->Pen()->SetWidth(item.pen);
            shape->Brush()->SetColor(0xFF0000);
            if (!item.solid)
                shape->ClearFill();
            break;
        }
        case ShapesSampleItem::Kind::Line: {
            auto *line = new report::TppLine;
            shapesPlace(*line, title, item.box);
            line->SetPosition(report::TppLinePositionType(item.position));
            line->SetStyle(item.doubled ? report::TppLineStyleType::lsDouble : report::TppLineStyleType::lsSingle);
            line->SetWeight(float(item.weight));
            break;
        }
        case ShapesSampleItem::Kind::Picture: {
            auto *image = new report::TppImage;
            shapesPlace(*image, title, item.box);
            image->SetStretch(true);
            image->Picture()->LoadFromBytes(shapesPictureBytes(shapesFormats[picture++]));
            image->SetDirectDraw(item.format == "WMF" || item.format == "EMF");
            break;
        }
        }
    }
    auto *dataImage = new report::TppDBImage;
    shapesPlace(*dataImage, detail, ShapesSampleDetailBox);
    dataImage->SetDataPipeline(&aData);
    dataImage->SetStretch(true);
    dataImage->SetDataField(QStringLiteral("Picture"));
    return result;
}

} // namespace reportdemo
