#include "report/content/ContentRegistration.h"

#include "report/content/barcodes/BarCode.h"
#include "report/content/barcodes/BarCodeRTTI.h"
#include "report/content/barcodes/DrawBarCode.h"
#include "report/content/drawcommands/DrawImage.h"
#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/content/drawcommands/DrawVariables.h"
#include "report/content/graphics/GraphicRegistry.h"
#include "report/content/graphics/Graphics.h"
#include "report/content/graphics/GraphicsRTTI.h"
#include "report/content/graphics/Images.h"
#include "report/content/graphics/Region.h"
#include "report/content/graphics/RegionRTTI.h"
#include "report/content/richtext/RichText.h"
#include "report/content/richtext/RichTextRTTI.h"
#include "report/content/text/DBText.h"
#include "report/content/text/Label.h"
#include "report/content/text/Memo.h"
#include "report/content/text/MemoRTTI.h"
#include "report/content/text/TextRTTI.h"
#include "report/content/variables/Calc.h"
#include "report/content/variables/DBCalc.h"
#include "report/content/variables/SystemVariable.h"
#include "report/content/variables/Variable.h"
#include "report/content/variables/VariablesRTTI.h"
#include "report/model/bands/Band.h"
#include "report/model/components/ComponentRegistry.h"
#include "report/model/engine/NoDataRules.h"
#include "report/model/objects/Descriptors.h"

#include "platform/classes/ClassRegistry.h"

#include <memory>
#include <vector>

namespace report {

namespace {

bool g_contentInitialised = false;

// In the order of registration; released in reverse.
std::vector<const classes::TMetaClass *> contentDrawCommandClasses()
{
    return {&TppDrawText::StaticClass(),  &TppDrawVariable::StaticClass(), &TppDrawVar::StaticClass(),
            &TppDrawCalc::StaticClass(),  &TppDrawShape::StaticClass(),    &TppDrawLine::StaticClass(),
            &TppDrawImage::StaticClass(), &TppDrawRichText::StaticClass(), &TppDrawBarCode::StaticClass()};
}

// The "No Data Found" text of a blank report's page.
class ContentNoDataMessageFactory final : public IppNoDataMessageFactory
{
public:
    TppDrawCommand *CreateNoDataMessage(const TppNoDataMessage &aMessage) override
    {
        auto command = std::make_unique<TppDrawText>();
        command->SetAutoSize(true);
        command->Font()->SetName(aMessage.fontName);
        command->Font()->SetSize(aMessage.fontSize);
        command->Font()->SetColor(rtl::clBlack);
        command->SetIsMemo(false);
        command->SetText(aMessage.text);
        command->SetTransparent(true);
        command->SetWordWrap(false);
        command->SetLeft(aMessage.left);
        command->SetTop(aMessage.top);
        command->SetWidth(aMessage.width);
        command->SetHeight(aMessage.height);
        return command.release();
    }
};

ContentNoDataMessageFactory g_contentNoDataFactory;

} // namespace

void ppContentLayerInit()
{
    if (g_contentInitialised)
        return;
    g_contentInitialised = true;
    for (const classes::TMetaClass *meta : contentDrawCommandClasses())
        classes::RegisterClass(*meta);
    raRegisterRTTI(TraTppDrawTextRTTI::Instance());
    raRegisterRTTI(TraTppCustomTextRTTI::Instance());
    raRegisterRTTI(TraTppDBTextRTTI::Instance());
    raRegisterRTTI(TraTppCustomGraphicRTTI::Instance());
    raRegisterRTTI(TraTppLineRTTI::Instance());
    raRegisterRTTI(TraTppShapeRTTI::Instance());
    raRegisterRTTI(TraTppCustomImageRTTI::Instance());
    raRegisterRTTI(TraTppDBImageRTTI::Instance());
    // The graphic classes a data image may name besides the built-in ones.
    classes::RegisterClasses({&classes::TGIFImage::StaticClass(), &classes::TJPEGImage::StaticClass()});
    raRegisterRTTI(TraTppBarCodeRTTI::Instance());
    raRegisterRTTI(TraTppCustomMemoRTTI::Instance());
    raRegisterRTTI(TraTppDBMemoRTTI::Instance());
    ppRegisterPaletteComponent(TppLabel::StaticClass());
    ppRegisterPaletteComponent(TppDBText::StaticClass());
    ppRegisterPaletteComponent(TppShape::StaticClass());
    ppRegisterPaletteComponent(TppRegion::StaticClass());
    raRegisterRTTI(TraTppCustomRegionRTTI::Instance());
    ppRegisterPaletteComponent(TppLine::StaticClass());
    ppRegisterPaletteComponent(TppImage::StaticClass());
    ppRegisterPaletteComponent(TppDBImage::StaticClass());
    ppRegisterPaletteComponent(TppBarCode::StaticClass());
    ppRegisterPaletteComponent(TppDBBarCode::StaticClass());
    raRegisterRTTI(TraTppVariableRTTI::Instance());
    raRegisterRTTI(TraTppSystemVariableRTTI::Instance());
    raRegisterRTTI(TraTppDBCalcRTTI::Instance());
    ppRegisterPaletteComponent(TppSystemVariable::StaticClass());
    ppRegisterPaletteComponent(TppVariable::StaticClass());
    ppRegisterPaletteComponent(TppDBCalc::StaticClass());
    // Old reports still hold calculations; they load and then convert.
    classes::RegisterClass(TppCalc::StaticClass());
    ppSetBandCalcConversion(&ppConvertBandCalcs);
    ppRegisterPaletteComponent(TppMemo::StaticClass());
    ppRegisterPaletteComponent(TppDBMemo::StaticClass());
    raRegisterRTTI(TraTppCustomRichTextRTTI::Instance());
    raRegisterRTTI(TraTppDBRichTextRTTI::Instance());
    ppRegisterPaletteComponent(TppRichText::StaticClass());
    ppRegisterPaletteComponent(TppDBRichText::StaticClass());
    ppSetNoDataMessageFactory(&g_contentNoDataFactory);
}

void ppContentLayerFinalize()
{
    if (!g_contentInitialised)
        return;
    g_contentInitialised = false;
    if (ppNoDataMessageFactory() == &g_contentNoDataFactory)
        ppSetNoDataMessageFactory(nullptr);
    ppUnRegisterComponent(TppDBRichText::StaticClass());
    ppUnRegisterComponent(TppRichText::StaticClass());
    raUnRegisterRTTI(TraTppDBRichTextRTTI::Instance());
    raUnRegisterRTTI(TraTppCustomRichTextRTTI::Instance());
    ppUnRegisterComponent(TppDBMemo::StaticClass());
    ppUnRegisterComponent(TppMemo::StaticClass());
    if (ppBandCalcConversion() == &ppConvertBandCalcs)
        ppSetBandCalcConversion(nullptr);
    classes::UnRegisterClass(TppCalc::StaticClass());
    ppUnRegisterComponent(TppDBCalc::StaticClass());
    ppUnRegisterComponent(TppVariable::StaticClass());
    ppUnRegisterComponent(TppSystemVariable::StaticClass());
    raUnRegisterRTTI(TraTppDBCalcRTTI::Instance());
    raUnRegisterRTTI(TraTppSystemVariableRTTI::Instance());
    raUnRegisterRTTI(TraTppVariableRTTI::Instance());
    ppUnRegisterComponent(TppDBBarCode::StaticClass());
    ppUnRegisterComponent(TppBarCode::StaticClass());
    ppUnRegisterComponent(TppDBImage::StaticClass());
    ppUnRegisterComponent(TppImage::StaticClass());
    ppUnRegisterComponent(TppLine::StaticClass());
    raUnRegisterRTTI(TraTppCustomRegionRTTI::Instance());
    ppUnRegisterComponent(TppRegion::StaticClass());
    ppUnRegisterComponent(TppShape::StaticClass());
    ppUnRegisterComponent(TppDBText::StaticClass());
    ppUnRegisterComponent(TppLabel::StaticClass());
    raUnRegisterRTTI(TraTppDBMemoRTTI::Instance());
    raUnRegisterRTTI(TraTppCustomMemoRTTI::Instance());
    raUnRegisterRTTI(TraTppBarCodeRTTI::Instance());
    ppFreeGraphicClasses();
    classes::UnRegisterClasses({&classes::TGIFImage::StaticClass(), &classes::TJPEGImage::StaticClass()});
    raUnRegisterRTTI(TraTppDBImageRTTI::Instance());
    raUnRegisterRTTI(TraTppCustomImageRTTI::Instance());
    raUnRegisterRTTI(TraTppShapeRTTI::Instance());
    raUnRegisterRTTI(TraTppLineRTTI::Instance());
    raUnRegisterRTTI(TraTppCustomGraphicRTTI::Instance());
    raUnRegisterRTTI(TraTppDBTextRTTI::Instance());
    raUnRegisterRTTI(TraTppCustomTextRTTI::Instance());
    raUnRegisterRTTI(TraTppDrawTextRTTI::Instance());
    const auto metas = contentDrawCommandClasses();
    for (auto it = metas.rbegin(); it != metas.rend(); ++it)
        classes::UnRegisterClass(**it);
}

} // namespace report
