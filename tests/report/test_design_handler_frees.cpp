// Objects that a handler frees while the designer paints or measures them:
// an image's OnGetPicture, a rich text's OnGetRichText and a data text's
// OnFormat, each freeing its own control. The designer's painting and
// measuring end there, and nothing of the control is touched again.

#include "tests/support/report/MemoryPipeline.h"

#include "report/content/ContentRegistration.h"
#include "report/content/barcodes/BarCode.h"
#include "report/content/graphics/Images.h"
#include "report/content/richtext/RichText.h"
#include "report/content/text/DBText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/DesignerSink.h"

#include "platform/gfx/Canvas.h"

#include <gtest/gtest.h>

#include <QImage>

#include <malloc.h>

using namespace report;

namespace {

class DesignHandlerFrees : public ::testing::Test
{
protected:
    DesignHandlerFrees()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        // Freed memory is filled, so that reading it goes wrong in the plain
        // build too, not only under the sanitizer.
        mallopt(M_PERTURB, 0xA5);
    }
    ~DesignHandlerFrees() override { mallopt(M_PERTURB, 0); }

    // A handler's body that frees what aSlot holds, once.
    template <class T>
    static auto freeOnce(T *&aSlot)
    {
        return [&aSlot](auto &&...) { delete std::exchange(aSlot, nullptr); };
    }

    // Paints aObject as its design control does; the surface keeps its grey
    // where the object painted nothing.
    static bool paintsNothing(TppPrintable *aObject)
    {
        QImage surface(60, 30, QImage::Format_RGB32);
        surface.fill(Qt::gray);
        {
            gfx::Canvas canvas(&surface);
            aObject->DesignControlPaint(canvas);
        }
        return surface.pixelColor(0, 0) == QColor(Qt::gray) && surface.pixelColor(30, 15) == QColor(Qt::gray);
    }
};

TEST_F(DesignHandlerFrees, AnImageThatItsOnGetPictureFreesPaintsNothing)
{
    auto *image = new TppDBImage;
    image->SetSpBounds(0, 0, 60, 30);
    image->OnGetPicture.Set(freeOnce(image));
    EXPECT_TRUE(paintsNothing(image));
    EXPECT_EQ(image, nullptr);
}

TEST_F(DesignHandlerFrees, ARichTextThatItsOnGetRichTextFreesPaintsNothing)
{
    auto *rich = new TppDBRichText;
    rich->SetSpBounds(0, 0, 60, 30);
    rich->OnGetRichText.Set(freeOnce(rich));
    EXPECT_TRUE(paintsNothing(rich));
    EXPECT_EQ(rich, nullptr);
}

// Found by reading: sizing a data text to its caption in the designer
// formats its value, and OnFormat may free it.
TEST_F(DesignHandlerFrees, ADataTextThatItsOnFormatFreesAsItIsSizedIsLeftAlone)
{
    reporttest::MemoryPipeline data;
    data.AddField(QStringLiteral("Name"));
    data.AddRow({QStringLiteral("A rather long name")});
    data.Open();
    for (int setter = 0; setter < 3; ++setter) {
        SCOPED_TRACE(setter);
        auto *text = new TppDBText;
        text->SetDataPipeline(&data);
        text->SetDataField(QStringLiteral("Name"));
        text->IncludeState(ppState::Design | ppState::DesignData);
        text->OnFormat.Set(freeOnce(text));
        if (setter == 0)
            text->SetAutoSize(true);
        else if (setter == 1)
            text->Font()->SetSize(20);
        else
            text->SetCharWrap(true);
        EXPECT_EQ(text, nullptr);
        delete text;
    }
}

// A program's pipeline, which may free what reads it. A data bar code reads
// its value as the designer sizes and paints it.
class FreeingPipeline : public reporttest::MemoryPipeline
{
public:
    QVariant GetFieldValue(const QString &aFieldName) override
    {
        // The name may be the freed reader's own.
        const QString name = aFieldName;
        if (auto once = std::exchange(OnValue, {}))
            once();
        return MemoryPipeline::GetFieldValue(name);
    }
    std::function<void()> OnValue;
};

TEST_F(DesignHandlerFrees, ADataBarCodeThatItsPipelineFreesAsItIsSizedOrPaintedIsLeftAlone)
{
    FreeingPipeline data;
    data.AddField(QStringLiteral("Code"));
    data.AddField(QStringLiteral("Other"));
    data.AddRow({QStringLiteral("ABC123"), QStringLiteral("XYZ")});
    data.Open();
    for (int setter = 0; setter < 6; ++setter) {
        SCOPED_TRACE(setter);
        auto *code = new TppDBBarCode;
        code->SetDataPipeline(&data);
        code->IncludeState(ppState::Design | ppState::DesignData);
        code->SetDataField(QStringLiteral("Code"));
        code->SetAutoSize(true);
        data.OnValue = [&code] { delete std::exchange(code, nullptr); };
        switch (setter) {
        case 0: code->SetOrientation(TppBarCodeOrientation::orTopToBottom); break;
        case 1: code->SetPrintHumanReadable(false); break;
        case 2: code->SetWideBarRatio(2.5f); break;
        case 3: code->SetDataField(QStringLiteral("Other")); break;
        case 4: code->SetData(QStringLiteral("DEF456")); break;
        default: EXPECT_TRUE(paintsNothing(code)); break;
        }
        EXPECT_EQ(code, nullptr);
        data.OnValue = nullptr;
        delete code;
    }
}

} // namespace
