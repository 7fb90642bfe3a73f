#include "tests/support/report/BandFakes.h"
#include "tests/support/report/EngineFakes.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/MetafileWriter.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawImage.h"
#include "report/content/graphics/GraphicRegistry.h"
#include "report/content/graphics/Graphics.h"
#include "report/content/graphics/GraphicsRTTI.h"
#include "report/content/graphics/Images.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Units.h"
#include "report/model/components/ComponentRegistry.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Graphics.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfo.h"
#include "platform/classes/Writer.h"
#include "platform/gfx/Canvas.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

using namespace report;
using namespace reporttest;

namespace {

QByteArray imagesEncoded(const QImage &aImage, const char *aFormat)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    aImage.save(&buffer, aFormat);
    return bytes;
}

void imagesPut(QByteArray &b, int64_t v, int n)
{
    for (int i = 0; i < n; ++i)
        b.append(char((uint64_t(v) >> (8 * i)) & 0xFF));
}

// A BMP file of a header, its colour table or masks and its pixels.
QByteArray imagesBmp(int aWidth, int aHeight, int aBits, int aCompression, const QByteArray &aTable,
                     const QByteArray &aPixels)
{
    QByteArray b("BM");
    imagesPut(b, 14 + 40 + aTable.size() + aPixels.size(), 4);
    imagesPut(b, 0, 4);
    imagesPut(b, 14 + 40 + aTable.size(), 4);
    imagesPut(b, 40, 4);
    imagesPut(b, aWidth, 4);
    imagesPut(b, aHeight, 4);
    imagesPut(b, 1, 2);
    imagesPut(b, aBits, 2);
    imagesPut(b, aCompression, 4);
    imagesPut(b, aPixels.size(), 4);
    imagesPut(b, 2835, 4);
    imagesPut(b, 2835, 4);
    imagesPut(b, aBits <= 8 ? aTable.size() / 4 : 0, 4);
    imagesPut(b, 0, 4);
    return b + aTable + aPixels;
}

// Red in every format a data image reads.
std::vector<std::pair<const char *, QByteArray>> imagesRedPictures()
{
    QImage red(4, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray table8;
    imagesPut(table8, 0x00FF0000, 4); // index 0: red (BGRA)
    imagesPut(table8, 0x00FFFFFF, 4);
    const QByteArray rle8 = QByteArray::fromHex("0400"
                                                "0000"
                                                "0400"
                                                "0001"); // two rows of 4 x index 0
    QByteArray masks;
    imagesPut(masks, 0x00FF0000, 4);
    imagesPut(masks, 0x0000FF00, 4);
    imagesPut(masks, 0x000000FF, 4);
    QByteArray pixels32;
    for (int i = 0; i < 8; ++i)
        imagesPut(pixels32, 0x00FF0000, 4);
    QByteArray mono;
    imagesPut(mono, 0x00FF0000, 4);
    imagesPut(mono, 0x00FFFFFF, 4);
    return {
        {"Bitmap", imagesEncoded(red, "BMP")},
        {"Bitmap", imagesBmp(4, 2, 1, 0, mono, QByteArray::fromHex("0000000000000000"))},
        {"Bitmap", imagesBmp(4, 2, 8, 1, table8, rle8)},
        {"Bitmap", imagesBmp(4, 2, 32, 3, masks, pixels32)},
        // Qt writes no GIF: one red pixel by hand.
        {"GIF", QByteArray::fromHex("474946383961"
                                    "01000100"
                                    "800000"
                                    "ff0000000000"
                                    "2c"
                                    "0000000001000100"
                                    "00"
                                    "0202440100"
                                    "3b")},
        {"JPEG", imagesEncoded(red, "JPEG")},
        {"Icon", imagesEncoded(red, "ICO")},
    };
}

// A graphic class a program adds to the graphic types: every byte string
// decodes to a 3 by 2 green picture.
class ImagesProgramGraphic : public classes::TGraphic
{
    ZVO_CLASS(ImagesProgramGraphic)
public:
    ImagesProgramGraphic() = default;

protected:
    QImage decode(const QByteArray &bytes) const override
    {
        if (bytes.isEmpty())
            return QImage();
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::green);
        return image;
    }
};

const classes::TMetaClass &ImagesProgramGraphic::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<ImagesProgramGraphic, classes::TGraphic>("ImagesProgramGraphic");
    return meta;
}

class ImageControls : public ::testing::Test
{
protected:
    ImageControls()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        detail.SetReport(&report);
        detail.SetPrintRect(rtl::TRect{0, 0, 200000, 100000});
    }
    ~ImageControls() override { ppContentLayerFinalize(); }

    void fillPipeline(TppDataType aType, const QVariant &aValue)
    {
        pipeline.AddField("Picture", aType);
        pipeline.AddRow({aValue});
        pipeline.Open();
        pipeline.First();
    }

    // A data image over one BLOB or string field, placed in a printing band.
    TppDBImage *dataImage(TppDataType aType, const QVariant &aValue)
    {
        fillPipeline(aType, aValue);
        auto *image = new TppDBImage();
        image->SetBand(&detail);
        image->SetDataPipeline(&pipeline);
        image->SetDataField("Picture");
        image->SetName("DBImage1");
        return image;
    }

    std::unique_ptr<TppDrawImage> place(TppCustomImage &aImage)
    {
        aImage.ResetGeneration();
        aImage.InitDrawComponent();
        aImage.Generate();
        auto command = std::make_unique<TppDrawImage>();
        aImage.PropertiesToDrawCommand(command.get());
        return command;
    }

    ScopedScreenPixelsPerInch screen{96};
    StandInReport report;
    TppDetailBand detail;
    MemoryPipeline pipeline;
};

} // namespace

TEST_F(ImageControls, PicturesOfEveryFormatLoadFromABlobAndDraw)
{
    int index = 0;
    for (const auto &[type, bytes] : imagesRedPictures()) {
        SCOPED_TRACE(std::string(type) + " " + std::to_string(index++));
        MemoryPipeline fresh;
        fresh.AddField("Picture", TppDataType::dtBLOB);
        fresh.AddRow({bytes});
        fresh.Open();
        fresh.First();
        TppDBImage image;
        image.SetDataPipeline(&fresh);
        image.SetGraphicType(type);
        image.SetStretch(true);
        ASSERT_NO_THROW(image.SetDataField("Picture"));
        ASSERT_FALSE(image.Picture()->Empty());
        image.SetSpBounds(0, 0, 8, 4);
        QImage canvasImage(8, 4, QImage::Format_RGB32);
        canvasImage.fill(Qt::white);
        gfx::Canvas canvas(&canvasImage);
        image.PaintDesignControl(canvas);
        const QColor centre = QColor::fromRgb(canvasImage.pixel(4, 2));
        EXPECT_GT(centre.red(), 200);
        EXPECT_LT(centre.green(), 60);
    }
}

TEST_F(ImageControls, APictureThatDoesNotDecodeEndsInThePrintError)
{
    fillPipeline(TppDataType::dtBLOB, QByteArray("this is no picture at all"));
    // In the designer the error is the designer's to show.
    TppDBImage designed;
    designed.SetDataPipeline(&pipeline);
    EXPECT_THROW(designed.SetDataField("Picture"), classes::EInvalidGraphic);

    report.Printing = true;
    auto image = std::make_unique<TppDBImage>();
    image->SetBand(&detail);
    image->SetDataPipeline(&pipeline);
    EXPECT_THROW(image->SetDataField("Picture"), EPrintError);
    EXPECT_THROW(place(*image), EPrintError);
    EXPECT_EQ(report.PrintErrors.size(), 2);
}

TEST_F(ImageControls, WithoutAutoDisplayOrAHandlerNoPictureIsRead)
{
    TppDBImage *image = dataImage(TppDataType::dtBLOB, imagesRedPictures()[0].second);
    EXPECT_FALSE(image->Picture()->Empty());
    image->SetAutoDisplay(false);
    EXPECT_TRUE(image->Picture()->Empty());
    EXPECT_TRUE(place(*image)->Picture()->Empty());

    // A handler supplies it instead; one that raises leaves no picture.
    image->OnGetPicture.Set([](classes::TObject *, classes::TPicture *aPicture) {
        QImage blue(3, 3, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        classes::TBitmap bitmap;
        bitmap.SetImage(blue);
        aPicture->Assign(&bitmap);
    });
    EXPECT_EQ(image->Picture()->Width(), 3);
    image->OnGetPicture.Set([](classes::TObject *, classes::TPicture *) { throw std::runtime_error("no picture"); });
    EXPECT_THROW(image->LoadPicture(), std::runtime_error);
    delete image;
}

TEST_F(ImageControls, Event69ReceiversFillThePicture)
{
    class PictureSupplier : public TppCommunicator
    {
    public:
        PictureSupplier()
            : TppCommunicator(nullptr)
        {
            SubscribeEvent(ppEvent::OnGetPicture);
        }
        void EventNotify(TppCommunicator *aSender, int aEventID, TraParamList *aParams) override
        {
            TppCommunicator::EventNotify(aSender, aEventID, aParams);
            auto *picture = dynamic_cast<classes::TPicture *>(aParams->ParamValue<classes::TObject *>(0));
            ASSERT_NE(picture, nullptr);
            QImage image(5, 2, QImage::Format_RGB32);
            image.fill(Qt::green);
            classes::TBitmap bitmap;
            bitmap.SetImage(image);
            picture->Assign(&bitmap);
        }
    };
    TppDBImage image;
    image.SetAutoDisplay(false);
    PictureSupplier supplier;
    image.AddEventNotify(&supplier);
    EXPECT_EQ(image.Picture()->Width(), 5);
    EXPECT_EQ(raFindRTTI("TppDBImage"), &TraTppDBImageRTTI::Instance());
    ASSERT_TRUE(TraTppDBImageRTTI::Instance().GetParams("OnGetPicture"));
    EXPECT_EQ(TraTppDBImageRTTI::Instance().GetParams("ongetpicture")->ParamRec(0).Name, "aPicture");
}

TEST_F(ImageControls, AFileNamedByAStringFieldIsReadByItsContent)
{
    QTemporaryDir dir;
    QImage green(6, 3, QImage::Format_RGB32);
    green.fill(Qt::green);
    const QString png = dir.filePath("picture.jpg"); // a PNG whatever its name says
    ASSERT_TRUE(green.save(png, "PNG"));
    TppDBImage *image = dataImage(TppDataType::dtString, png);
    ASSERT_NE(image->Picture()->Bitmap(), nullptr);
    EXPECT_EQ(image->Picture()->Width(), 6);
    delete image;

    MemoryPipeline missing;
    missing.AddField("Picture");
    missing.AddRow({dir.filePath("none.bmp")});
    missing.Open();
    missing.First();
    TppDBImage none;
    none.SetDataPipeline(&missing);
    none.SetDataField("Picture");
    EXPECT_TRUE(none.Picture()->Empty());
}

TEST_F(ImageControls, OnlyRegisteredGraphicTypesAreTakenAndMetafilesDrawDirectly)
{
    TppDBImage image;
    image.SetGraphicType("PNG");
    EXPECT_EQ(image.GraphicType(), "Bitmap");
    image.SetGraphicType("metafile");
    EXPECT_EQ(image.GraphicType(), "MetaFile");
    EXPECT_TRUE(image.DirectDraw());
    image.SetGraphicType("JPEG");
    EXPECT_FALSE(image.DirectDraw());
    EXPECT_EQ(ppGraphicTypeNames(), QStringList({"Bitmap", "GIF", "Icon", "JPEG", "MetaFile"}));
    ppRegisterGraphicClass("bitmap", classes::TIcon::StaticClass());
    EXPECT_EQ(ppGetGraphicClass("BITMAP"), &classes::TIcon::StaticClass());
    EXPECT_EQ(ppGetGraphicClass("PNG"), nullptr);
}

TEST_F(ImageControls, ThePictureNameCountsChangesMadeWhileItsPageGenerates)
{
    auto *image = new TppImage();
    image->SetBand(&detail);
    image->SetName("Image1");
    classes::TBitmap bitmap;
    bitmap.SetImage(QImage(4, 4, QImage::Format_RGB32));
    image->Picture()->Assign(&bitmap); // in a report that does not print
    EXPECT_EQ(place(*image)->ImageName(), "Image10");
    report.Printing = true;
    {
        FakePageEngine engine;
        report.PageEngine = &engine;
        image->Picture()->Assign(&bitmap);
        image->SetStretch(true);
        // The same page made again from the cache: the name it had stays.
        engine.FirstTimeOnPage = false;
        image->Picture()->Assign(&bitmap);
        report.PageEngine = nullptr;
    }
    EXPECT_EQ(place(*image)->ImageName(), "Image12");
    image->Init();
    EXPECT_EQ(image->PictureChangeCount(), 0);
    delete image;

    // A control without a name is given one first.
    auto *unnamed = new TppImage();
    unnamed->SetBand(&detail);
    EXPECT_TRUE(place(*unnamed)->ImageName().startsWith("ppImage"));
    EXPECT_FALSE(unnamed->Name().isEmpty());
    delete unnamed;

    TppDBImage *data = dataImage(TppDataType::dtBLOB, imagesRedPictures()[0].second);
    const std::unique_ptr<TppDrawImage> command = place(*data);
    EXPECT_EQ(command->ImageName(),
              "DBImage1" + pipeline.Name() + "Picture" + QString::number(pipeline.TraversalCount()));
    EXPECT_FALSE(command->Picture()->Empty());
    delete data;
}

TEST_F(ImageControls, AutoSizeTakesThePicturesSizeAndOldMetafilesDrawDirectly)
{
    TppImage image;
    image.SetAutoSize(true);
    image.SetSpBounds(7, 9, 50, 50);
    classes::TBitmap bitmap;
    bitmap.SetImage(QImage(30, 20, QImage::Format_RGB32));
    image.Picture()->Assign(&bitmap);
    EXPECT_EQ(image.spWidth(), 30);
    EXPECT_EQ(image.spHeight(), 20);
    EXPECT_EQ(image.spLeft(), 7);

    MetafileWriter writer(MetafileWriter::Format::Emf, 40, 20);
    writer.Rectangle(QRect(0, 0, 40, 20));
    classes::TMetafile metafile;
    metafile.LoadFromBytes(writer.Bytes());
    TppImage old;
    old.Picture()->SetGraphic(&metafile);
    old.Convert(4200);
    EXPECT_TRUE(old.DirectDraw());
    old.SetDirectDraw(false);
    old.Convert(4201);
    EXPECT_FALSE(old.DirectDraw());
}

TEST_F(ImageControls, TheDesignerFitsThePictureOrShowsTheCaption)
{
    TppImage image;
    image.SetUserName("Logo");
    image.SetSpBounds(0, 0, 40, 20);
    QImage out(40, 20, QImage::Format_RGB32);
    out.fill(Qt::white);
    {
        gfx::Canvas canvas(&out);
        image.PaintDesignControl(canvas);
    }
    EXPECT_EQ(QColor::fromRgb(out.pixel(0, 0)), QColor(Qt::black));

    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    classes::TBitmap bitmap;
    bitmap.SetImage(red);
    image.Picture()->Assign(&bitmap);
    image.SetStretch(true);
    image.SetMaintainAspectRatio(true);
    image.SetColor(0x00FF00);
    gfx::Canvas canvas(&out);
    image.PaintDesignControl(canvas);
    // A 20 x 20 square in the middle, the background either side.
    EXPECT_EQ(QColor::fromRgb(out.pixel(20, 10)), QColor(Qt::red));
    EXPECT_EQ(QColor::fromRgb(out.pixel(5, 10)), QColor(Qt::green));
    EXPECT_EQ(QColor::fromRgb(out.pixel(10, 10)), QColor(Qt::red));
    EXPECT_EQ(QColor::fromRgb(out.pixel(9, 10)), QColor(Qt::green));
}

TEST_F(ImageControls, TheStartUpRegistersThePictureControls)
{
    ASSERT_NE(ppFindRegComponent("TppImage"), nullptr);
    EXPECT_EQ(ppFindRegComponent("TppDBImage")->PaletteTextID, 165);
    TppImage image;
    bool center = false;
    EXPECT_TRUE(TraTppCustomImageRTTI::Instance().GetPropValue(&image, "Center", &center));
    EXPECT_TRUE(center);
    bool stretch = true;
    EXPECT_TRUE(TraTppCustomImageRTTI::Instance().SetPropValue(&image, "stretch", &stretch));
    EXPECT_TRUE(image.Stretch());
}

TEST_F(ImageControls, AStoredImageKeepsItsMetafileAndADataImageItsGraphicType)
{
    MetafileWriter writer(MetafileWriter::Format::PlaceableWmf, 40, 20);
    writer.Rectangle(QRect(0, 0, 40, 20));
    classes::TMetafile metafile;
    metafile.LoadFromBytes(writer.Bytes());
    classes::TMemoryStream stream;
    {
        TppImage image;
        image.SetName("Picture1");
        image.Picture()->SetGraphic(&metafile);
        image.SetDirectDraw(true);
        classes::TWriter out(stream);
        out.WriteRootComponent(&image);
    }
    stream.SetPosition(0);
    TppImage read;
    classes::TReader(stream).ReadRootComponent(&read);
    const auto *graphic = dynamic_cast<const classes::TMetafile *>(read.Picture()->Graphic());
    ASSERT_NE(graphic, nullptr);
    EXPECT_EQ(graphic->Bytes(), writer.Bytes());
    EXPECT_TRUE(read.DirectDraw());

    classes::TMemoryStream data;
    {
        TppDBImage image;
        image.SetName("DBImage1");
        image.SetGraphicType("JPEG");
        classes::TWriter out(data);
        out.WriteRootComponent(&image);
    }
    data.SetPosition(0);
    TppDBImage dataRead;
    classes::TReader(data).ReadRootComponent(&dataRead);
    EXPECT_EQ(dataRead.GraphicType(), "JPEG");
}

TEST_F(ImageControls, TheCaptionsFontIsPublishedAndLeftOutOfTheStream)
{
    classes::TFont large;
    large.SetSize(20);
    large.SetName(QStringLiteral("Courier New"));
    for (const bool data : {false, true}) {
        std::unique_ptr<TppCustomImage> image;
        if (data)
            image = std::make_unique<TppDBImage>();
        else
            image = std::make_unique<TppImage>();
        image->SetName(QStringLiteral("Logo1"));
        image->SetFont(&large);
        const classes::TPropInfo *font = classes::GetPropInfo(*image, u"Font");
        ASSERT_NE(font, nullptr) << data;
        EXPECT_FALSE(font->IsStored(*image));

        classes::TMemoryStream stream;
        {
            classes::TWriter out(stream);
            out.WriteRootComponent(image.get());
        }
        stream.SetPosition(0);
        classes::TMemoryStream text;
        classes::ObjectBinaryToText(stream, text);
        const QByteArray written(static_cast<const char *>(text.Memory()), qsizetype(text.Size()));
        EXPECT_FALSE(written.contains("Font")) << written.toStdString();
        EXPECT_FALSE(written.contains("Courier")) << written.toStdString();

        stream.SetPosition(0);
        std::unique_ptr<TppCustomImage> read;
        if (data)
            read = std::make_unique<TppDBImage>();
        else
            read = std::make_unique<TppImage>();
        classes::TReader(stream).ReadRootComponent(read.get());
        EXPECT_EQ(read->Name(), QStringLiteral("Logo1"));
        EXPECT_NE(read->Font()->Size(), 20);
    }
}

TEST_F(ImageControls, BrokenPicturesAreRefusedAndNothingBreaks)
{
    QByteArray manyFrames = QByteArray::fromHex("474946383961"
                                                "01000100"
                                                "800000"
                                                "ff0000000000");
    for (int i = 0; i < 10000; ++i)
        manyFrames += QByteArray::fromHex("2c"
                                          "0000000001000100"
                                          "00"
                                          "0202440100");
    manyFrames += QByteArray::fromHex("3b");
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QByteArray jpeg = imagesEncoded(red, "JPEG");
    QByteArray negative = imagesEncoded(red, "BMP");
    negative[18] = char(0xF8); // width -8
    negative[19] = negative[20] = negative[21] = char(0xFF);
    QByteArray overrun;
    imagesPut(overrun, 0x00FF0000, 4);
    const std::vector<QByteArray> broken = {
        imagesBmp(0, 0, 24, 0, {}, {}),
        negative,
        imagesBmp(4, 2, 8, 1, overrun,
                  QByteArray::fromHex("ff00"
                                      "ff00"
                                      "ff00"
                                      "0001")), // runs past the rows
        QByteArray::fromHex("000001000000"),    // an icon of no images
        jpeg.left(jpeg.size() / 2),
        QByteArray(64, '\x7f'),
    };
    for (const QByteArray &bytes : broken) {
        classes::TPicture picture;
        try {
            picture.LoadFromBytes(bytes);
        } catch (const classes::EInvalidGraphic &) {
        }
        TppImage image;
        image.Picture()->Assign(&picture);
        image.SetStretch(true);
        QImage out(20, 20, QImage::Format_RGB32);
        gfx::Canvas canvas(&out);
        image.PaintDesignControl(canvas);
    }
    classes::TPicture gif;
    gif.LoadFromBytes(manyFrames);
    EXPECT_EQ(gif.Width(), 1);

    // Shapes of nothing and of a pixel, with wide pens, draw and print.
    for (int size : {0, 1}) {
        for (int pen : {3, 1000}) {
            TppShape shape;
            shape.SetShape(classes::TShapeType::stRoundSquare);
            shape.Pen()->SetWidth(pen);
            shape.SetSpBounds(0, 0, size, size);
            QImage out(4, 4, QImage::Format_RGB32);
            gfx::Canvas canvas(&out);
            shape.PaintDesignControl(canvas);
        }
    }
}

TEST_F(ImageControls, AGraphicTypeTheProgramRegistersLoadsItsPictures)
{
    ppRegisterGraphicClass("Sketch", ImagesProgramGraphic::StaticClass());
    fillPipeline(TppDataType::dtBLOB, QByteArray("any bytes the class reads"));
    TppDBImage image;
    image.SetDataPipeline(&pipeline);
    image.SetGraphicType("sketch");
    EXPECT_EQ(image.GraphicType(), "Sketch");
    ASSERT_NO_THROW(image.SetDataField("Picture"));
    const classes::TPicture *picture = image.Picture();
    ASSERT_FALSE(picture->Empty());
    EXPECT_EQ(&picture->Graphic()->ClassType(), &ImagesProgramGraphic::StaticClass());
    EXPECT_EQ(picture->Width(), 3);

    // A picture of that class given to a plain image keeps it too.
    TppImage copy;
    ASSERT_NO_THROW(copy.SetPicture(picture));
    EXPECT_EQ(copy.Picture()->Height(), 2);

    // Stored, it reads back once the class library knows the class.
    classes::TMemoryStream stored;
    copy.Picture()->WriteData(stored);
    classes::RegisterClass(ImagesProgramGraphic::StaticClass());
    stored.SetPosition(0);
    classes::TPicture read;
    ASSERT_NO_THROW(read.ReadData(stored));
    classes::UnRegisterClass(ImagesProgramGraphic::StaticClass());
    EXPECT_EQ(&read.Graphic()->ClassType(), &ImagesProgramGraphic::StaticClass());
    EXPECT_EQ(read.Width(), 3);
}
