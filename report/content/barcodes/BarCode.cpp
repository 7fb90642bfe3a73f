#include "report/content/barcodes/BarCode.h"

#include "report/content/barcodes/BarCodeRules.h"
#include "report/content/barcodes/DrawBarCode.h"
#include "report/model/bands/PublishedGeometry.h"
#include "report/model/base/DisplayFormat.h"
#include "report/model/base/Messages.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/base/Units.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/forms/FormClassRegistry.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"
#include "platform/gfx/Canvas.h"
#include "platform/rtl/QtText.h"

#include <algorithm>
#include <cmath>

namespace report {

namespace {

using T = TppBarCodeType;

bool barCodeNeedsAutoSize(T aType)
{
    return aType == T::bcPostnet || aType == T::bcFIM;
}

// Stored ratios and widths may come as integers or floats, rounded; values
// beyond the Integer range are held at it.
int32_t barCodeReadLength(classes::TReader &aReader)
{
    return ppReadIntegerOrFloat(aReader);
}

template <class C>
void barCodePublishCommon(classes::TClassBuilder<C> &c)
{
    c.String("AddOnCode", &C::AddOnCode, &C::SetAddOnCode);
    c.Enum("Alignment", classes::AlignmentInfo(), &C::Alignment, &C::SetAlignment)
        .Default(classes::TAlignment::taLeftJustify);
    c.Boolean("AutoEncode", &C::AutoEncode, &C::SetAutoEncode).Default(false);
    c.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(true);
    c.Boolean("AutoSizeFont", &C::AutoSizeFont, &C::SetAutoSizeFont).Default(true);
    c.Enum("BarCodeType", EnumInfo<TppBarCodeType>(), &C::BarCodeType, &C::SetBarCodeType);
    c.Integer("BarColor", &C::BarColor, &C::SetBarColor);
    c.Single("BarWidth", &C::BarWidth, &C::SetBarWidth).Stored(false);
    c.Boolean("BearerBars", &C::BearerBars, &C::SetBearerBars).Default(false);
    c.Boolean("CalcCheckDigit", &C::CalcCheckDigit, &C::SetCalcCheckDigit).Default(true);
    c.Integer("Color", &C::Color, &C::SetColor).Default(0xFFFFFF);
    c.Object("Font", &C::Font, &C::SetFont);
    c.Event("OnDrawCommandClick", static_cast<TppDrawCommandEvent C::*>(&C::OnDrawCommandClick),
            QStringLiteral("TppDrawCommandEvent"));
    c.Event("OnDrawCommandCreate", static_cast<TppDrawCommandEvent C::*>(&C::OnDrawCommandCreate),
            QStringLiteral("TppDrawCommandEvent"));
    c.Enum("Orientation", EnumInfo<TppBarCodeOrientation>(), &C::Orientation, &C::SetOrientation)
        .Default(TppBarCodeOrientation::orLeftToRight);
    c.Boolean("PrintHumanReadable", &C::PrintHumanReadable, &C::SetPrintHumanReadable).Default(true);
    c.Boolean("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow).Default(false);
    c.Boolean("ShiftWithParent", &C::ShiftWithParent, &C::SetShiftWithParent).Default(false);
    c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
    c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
    c.Single("WideBarRatio", &C::WideBarRatio, &C::SetWideBarRatio).Stored(false);
    ppPublishBounds(c);
}

} // namespace

// ---- TppCustomBarCode ------------------------------------------------------------------

const classes::TMetaClass &TppCustomBarCode::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppCustomBarCode, TppCustomComponent>("TppCustomBarCode", [](auto &) {});
    return meta;
}

TppCustomBarCode::TppCustomBarCode(classes::TComponent *aOwner)
    : TppCustomComponent(aOwner)
{
    SetDrawCommandClass(&TppDrawBarCode::StaticClass());
    SetColor(0xFFFFFF);
    Font()->SetName(QStringLiteral("Courier New"));
    TppPrintable::SetAutoSize(true);
    TppPrintable::SetmmWidth(ppToMMThousandths(1.53f, TppUnitType::utInches, TppAxisType::atHorizontal));
    TppPrintable::SetmmHeight(ppToMMThousandths(0.5083f, TppUnitType::utInches, TppAxisType::atVertical));
}

TppCustomBarCode::~TppCustomBarCode() = default;

void TppCustomBarCode::ShowBarCodeError(const QString &aMessage)
{
    if (loading() || ReportPrinting())
        return;
    ppShowMessage(aMessage, TppMessageKind::Information);
}

void TppCustomBarCode::GetData(QString &aText) const
{
    aText = m_data;
}

void TppCustomBarCode::refresh()
{
    const std::weak_ptr<char> alive = AliveToken();
    AdjustSize();
    if (!alive.expired())
        PropertyChange();
}

void TppCustomBarCode::EndUpdate()
{
    if (m_updateCount > 0)
        --m_updateCount;
    if (m_updateCount > 0)
        return;
    if (AutoSize())
        AdjustSize();
    else
        InvalidateDesignControl();
}

bool TppCustomBarCode::ValidateData(const QString &aData)
{
    const BarCodeValidation v = ppValidateBarCodeData(m_barCodeType, aData, m_calcCheckDigit);
    if (!v.Valid)
        ShowBarCodeError(v.Text);
    return v.Valid;
}

void TppCustomBarCode::SetBarCodeType(TppBarCodeType aValue)
{
    // An ordinal past the last symbology (a damaged template) is ignored.
    if (aValue == m_barCodeType || uint8_t(aValue) > uint8_t(T::bcMSI))
        return;
    BeginUpdate();
    m_barCodeType = aValue;
    if (!loading()) {
        // A new symbology never keeps the old data, even valid data: the
        // sample shows what the symbology looks like.
        m_data = ppBarCodeSampleData(aValue, m_calcCheckDigit, IsDataAware());
        m_codeOK = true;
        if (barCodeNeedsAutoSize(aValue)) {
            TppPrintable::SetAutoSize(true);
            m_printHumanReadable = false;
        }
        if (ppIsUPCEANType(aValue))
            m_autoSizeFont = true;
        if (aValue == T::bcCode128)
            m_autoEncode = true;
        m_mmBarWidth = ppBarCodeDefaultBarWidth(aValue);
        refresh();
    }
    EndUpdate();
}

void TppCustomBarCode::SetAddOnCode(const QString &aValue)
{
    if (aValue == m_addOnCode)
        return;
    if (!loading()) {
        if (!aValue.isEmpty() && !ppIsUPCEANType(m_barCodeType)) {
            ShowBarCodeError(ppLoadStr(423));
            return;
        }
        // The encoder cannot read anything but digits and would drop the
        // add-on without a word: what it says is "2 or 5 digits".
        const bool digits = std::all_of(aValue.cbegin(), aValue.cend(), rtl::isAsciiDigit);
        if ((aValue.size() != 0 && aValue.size() != 2 && aValue.size() != 5) || !digits) {
            ShowBarCodeError(ppLoadStr(424));
            return;
        }
    }
    m_addOnCode = aValue;
    if (!loading())
        refresh();
}

void TppCustomBarCode::SetAutoEncode(bool aValue)
{
    if (!loading() && aValue && m_barCodeType != T::bcCode128)
        return;
    m_autoEncode = aValue;
    if (!loading())
        refresh();
}

void TppCustomBarCode::SetAutoSizeFont(bool aValue)
{
    if (!aValue && ppIsUPCEANType(m_barCodeType)) {
        ShowBarCodeError(ppLoadStr(426));
        return;
    }
    m_autoSizeFont = aValue;
    if (!loading())
        refresh();
}

void TppCustomBarCode::SetAutoSize(bool aValue)
{
    if (!aValue && barCodeNeedsAutoSize(m_barCodeType)) {
        ShowBarCodeError(ppLoadStr(425));
        return;
    }
    TppPrintable::SetAutoSize(aValue);
    if (!loading() && aValue)
        AdjustSize();
}

void TppCustomBarCode::SetBarColor(rtl::TColor aValue)
{
    m_barColor = aValue;
    if (Font()->Color() != aValue)
        Font()->SetColor(aValue);
    InvalidateDesignControl();
    PropertyChange();
}

float TppCustomBarCode::BarWidth() const
{
    return FromMMThousandths(m_mmBarWidth, Units(), TppAxisType::atHorizontal);
}

void TppCustomBarCode::SetBarWidth(float aValue)
{
    const int32_t mm = ToMMThousandths(aValue, Units(), TppAxisType::atHorizontal);
    if (mm == m_mmBarWidth)
        return;
    if (!loading()) {
        const float inches = ppFromMMThousandths(mm, TppUnitType::utInches, TppAxisType::atHorizontal);
        auto inUnits = [this](float aInches) {
            return QString::number(
                FromMMThousandths(ppToMMThousandths(aInches, TppUnitType::utInches, TppAxisType::atHorizontal), Units(),
                                  TppAxisType::atHorizontal));
        };
        if (!(inches >= 0.004f)) {
            ShowBarCodeError(ppLoadStrFormat(427, {inUnits(0.004f)}));
            return;
        }
        if (inches > 0.1f) {
            ShowBarCodeError(ppLoadStrFormat(428, {inUnits(0.1f)}));
            return;
        }
    }
    m_mmBarWidth = mm;
    if (!loading())
        refresh();
}

void TppCustomBarCode::SetBearerBars(bool aValue)
{
    if (aValue && m_barCodeType != T::bcInt2of5) {
        ShowBarCodeError(ppLoadStr(429));
        return;
    }
    m_bearerBars = aValue;
    if (!loading())
        refresh();
}

void TppCustomBarCode::SetCalcCheckDigit(bool aValue)
{
    m_calcCheckDigit = aValue;
    if (loading())
        return;
    m_codeOK = ValidateData(m_data);
    refresh();
}

void TppCustomBarCode::SetData(const QString &aValue)
{
    if (aValue == m_data)
        return;
    m_data = aValue;
    if (loading())
        return;
    m_codeOK = ValidateData(m_data);
    const std::weak_ptr<char> alive = AliveToken();
    AdjustSize();
    if (!alive.expired() && !IsDataAware())
        PropertyChange();
}

void TppCustomBarCode::SetOrientation(TppBarCodeOrientation aValue)
{
    if (uint8_t(aValue) > uint8_t(TppBarCodeOrientation::orBottomToTop))
        return;
    m_orientation = aValue;
    PropertyChange();
    AdjustSize();
}

void TppCustomBarCode::SetPrintHumanReadable(bool aValue)
{
    m_printHumanReadable = aValue;
    PropertyChange();
    AdjustSize();
}

float TppCustomBarCode::WideBarRatio() const
{
    return ppFromMMThousandths(m_mmWideBarRatio, TppUnitType::utInches, TppAxisType::atHorizontal);
}

void TppCustomBarCode::SetWideBarRatio(float aValue)
{
    if (!(aValue > 0) || aValue == WideBarRatio())
        return;
    m_mmWideBarRatio = ppToMMThousandths(aValue, TppUnitType::utInches, TppAxisType::atHorizontal);
    if (!loading())
        refresh();
}

bool TppCustomBarCode::IsOpaque() const
{
    return !(Transparent() && Font()->Color() == rtl::TColor(0xFFFFFF));
}

void TppCustomBarCode::FontChange()
{
    if (Font()->Color() != m_barColor)
        SetBarColor(Font()->Color());
    TppCustomComponent::FontChange();
}

TppDrawBarCode &TppCustomBarCode::measuringCommand()
{
    if (!m_drawCommand)
        m_drawCommand = std::make_unique<TppDrawBarCode>();
    return *m_drawCommand;
}

void TppCustomBarCode::AdjustSize()
{
    if (loading() || m_updateCount > 0)
        return;
    if (AutoSize()) {
        TppDrawBarCode &cmd = measuringCommand();
        // A data bar code reads its value from the program's pipeline,
        // which may free it.
        const std::weak_ptr<char> alive = AliveToken();
        PropertiesToDrawCommand(&cmd);
        if (alive.expired())
            return;
        cmd.SetLeft(0);
        cmd.SetTop(0);
        cmd.SetWidth(mmWidth());
        cmd.SetHeight(mmHeight());
        const PrinterResolution *printer = GetPrinter();
        const int dpiX = printer ? printer->pixelsPerInch(TppAxisType::atHorizontal) : ppScreenPixelsPerInch();
        const int dpiY = printer ? printer->pixelsPerInch(TppAxisType::atVertical) : ppScreenPixelsPerInch();
        QImage surface(1, 1, QImage::Format_RGB32);
        surface.setDotsPerMeterX(qRound(dpiX / 0.0254));
        surface.setDotsPerMeterY(qRound(dpiY / 0.0254));
        {
            gfx::Canvas canvas(&surface);
            cmd.CalculateSize(canvas, {dpiX, dpiY});
        }
        if (cmd.CodeOK()) {
            auto toMM = [](int64_t aPixels, int aDpi) {
                return ppToMMThousandths(float(double(aPixels) / std::max(aDpi, 1)), TppUnitType::utInches,
                                         TppAxisType::atHorizontal);
            };
            int32_t width = toMM(cmd.SymbolWidth(), dpiX);
            int32_t height = toMM(cmd.SymbolHeight(), dpiY);
            if (cmd.IsVertical())
                std::swap(width, height);
            m_autoSizeWidth = width;
            m_autoSizeHeight = height;
            SetBounds(mmLeft(), mmTop(), width, height);
        }
    }
    InvalidateDesignControl();
}

void TppCustomBarCode::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    TppCustomComponent::PropertiesToDrawCommand(aDrawCommand);
    auto *cmd = dynamic_cast<TppDrawBarCode *>(aDrawCommand);
    if (!cmd)
        return;
    if (ReportPrinting()) {
        const rtl::TRect &rect = PrintPosRect();
        cmd->SetLeft(rect.Left);
        cmd->SetTop(rect.Top);
        cmd->SetWidth(rect.Right - rect.Left);
        cmd->SetHeight(rect.Bottom - rect.Top);
    } else {
        cmd->SetLeft(mmLeft());
        cmd->SetTop(mmTop());
        cmd->SetWidth(mmWidth());
        cmd->SetHeight(mmHeight());
    }
    QString data;
    const std::weak_ptr<char> alive = AliveToken();
    GetData(data);
    if (alive.expired())
        return;
    cmd->SetAlignment(Alignment());
    cmd->SetAddOnCode(m_addOnCode);
    cmd->SetAutoEncode(m_autoEncode);
    cmd->SetAutoSize(AutoSize());
    cmd->SetAutoSizeFont(m_autoSizeFont);
    cmd->SetBarCodeType(m_barCodeType);
    cmd->SetBarColor(m_barColor);
    cmd->SetBarWidth(m_mmBarWidth);
    cmd->SetBearerBars(m_bearerBars);
    cmd->SetCalcCheckDigit(m_calcCheckDigit);
    cmd->SetColor(Color());
    cmd->SetData(data);
    cmd->SetCodeOK(ppValidateBarCodeData(m_barCodeType, data, m_calcCheckDigit).Valid);
    cmd->SetFont(Font());
    cmd->SetOrientation(m_orientation);
    cmd->SetPrintHumanReadable(m_printHumanReadable);
    cmd->SetTransparent(Transparent());
    cmd->SetWideBarRatio(WideBarRatio());
}

void TppCustomBarCode::DefineProperties(classes::TFiler &aFiler)
{
    TppCustomComponent::DefineProperties(aFiler);
    aFiler.DefineProperty(
        QStringLiteral("mmBarWidth"), [this](classes::TReader &r) { m_mmBarWidth = barCodeReadLength(r); },
        [this](classes::TWriter &w) { w.WriteInteger(m_mmBarWidth); }, true);
    aFiler.DefineProperty(
        QStringLiteral("mmWideBarRatio"), [this](classes::TReader &r) { m_mmWideBarRatio = barCodeReadLength(r); },
        [this](classes::TWriter &w) { w.WriteInteger(m_mmWideBarRatio); }, true);
}

void TppCustomBarCode::PaintDesignControl(gfx::Canvas &aCanvas)
{
    if (m_updateCount > 0 || m_painting)
        return;
    m_painting = true;
    const int width = spWidth(), height = spHeight();
    if (width > 0 && height > 0 && int64_t(width) * height <= (int64_t(1) << 24)) {
        TppDrawBarCode &cmd = measuringCommand();
        const std::weak_ptr<char> alive = AliveToken();
        PropertiesToDrawCommand(&cmd);
        if (alive.expired())
            return;
        const int dpi = ppScreenPixelsPerInch();
        m_designBitmap = QImage(width, height, QImage::Format_RGB32);
        m_designBitmap.fill(Qt::white);
        m_designBitmap.setDotsPerMeterX(qRound(dpi / 0.0254));
        m_designBitmap.setDotsPerMeterY(qRound(dpi / 0.0254));
        {
            gfx::Canvas bitmapCanvas(&m_designBitmap);
            cmd.Encode(dpi);
            cmd.RenderBarCode(&bitmapCanvas, 0, true, {dpi, dpi}, 0);
        }
        aCanvas.BitBlt(0, 0, width, height, m_designBitmap, 0, 0,
                       Transparent() ? gfx::RasterOp::SrcAnd : gfx::RasterOp::SrcCopy);
    }
    if (!m_codeOK) {
        gfx::Pen pen;
        pen.style = gfx::PenStyle::Dash;
        aCanvas.setPen(pen);
        gfx::Brush brush;
        brush.style = gfx::BrushStyle::Clear;
        aCanvas.setBrush(brush);
        aCanvas.Rectangle({0, 0, width, height});
    }
    m_painting = false;
}

void TppCustomBarCode::Configure()
{
    if (m_updateCount > 0 || !Band() || !Report())
        return;
    // The library registers no bar-code dialog; one a program registers
    // would be found here.
    if (!ppGetFormClass(TppCustomBarCodeDialog::StaticClass()))
        return;
}

// ---- TppBarCode ------------------------------------------------------------------------

const classes::TMetaClass &TppBarCode::StaticClass()
{
    using C = TppBarCode;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomBarCode>("TppBarCode", [](classes::TClassBuilder<C> &c) {
            barCodePublishCommon(c);
            c.String("Data", &C::Data, &C::SetData);
        });
    return meta;
}

TppBarCode::TppBarCode(classes::TComponent *aOwner)
    : TppCustomBarCode(aOwner)
{}

QString TppBarCode::GetClassDescription() const
{
    return ppLoadStr(460);
}

void TppBarCode::SetText(const QString &aText)
{
    TppCustomBarCode::SetText(aText);
    SetData(aText);
}

// ---- TppDBBarCode ----------------------------------------------------------------------

const classes::TMetaClass &TppDBBarCode::StaticClass()
{
    using C = TppDBBarCode;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomBarCode>("TppDBBarCode", [](classes::TClassBuilder<C> &c) {
            barCodePublishCommon(c);
            c.String("DataField", &C::DataField, &C::SetDataField);
            c.Boolean("ParentDataPipeline", &C::ParentDataPipeline, &C::SetParentDataPipeline).Default(true);
            ppPublishDataPipeline(c);
        });
    return meta;
}

TppDBBarCode::TppDBBarCode(classes::TComponent *aOwner)
    : TppCustomBarCode(aOwner)
{
    MakeDataAware();
}

QString TppDBBarCode::GetClassDescription() const
{
    return ppLoadStr(461);
}

void TppDBBarCode::GetData(QString &aText) const
{
    auto *self = const_cast<TppDBBarCode *>(this);
    TppDataPipeline *pipeline = DataPipeline();
    if (!self->CheckForPipelineData()) {
        aText = ReportPrinting() ? QString() : ppBarCodeSampleData(BarCodeType(), CalcCheckDigit(), true);
        return;
    }
    // The pipeline is the program's, and may free this bar code.
    const std::weak_ptr<char> alive = AliveToken();
    const QVariant value = pipeline->GetFieldValue(DataField());
    if (alive.expired() || value.isNull() || !value.isValid()) {
        aText.clear();
        return;
    }
    aText = ppFormatDisplayValue(QString(), pipeline->GetFieldDataType(DataField()), value);
}

void TppDBBarCode::refreshFromField()
{
    if (!InDesignState() || ReportPrinting())
        return;
    QString data;
    const std::weak_ptr<char> alive = AliveToken();
    GetData(data);
    if (!alive.expired())
        SetData(data);
}

void TppDBBarCode::SetText(const QString &aText)
{
    TppCustomBarCode::SetText(aText);
    refreshFromField();
}

void TppDBBarCode::SetDataField(const QString &aField)
{
    TppCustomBarCode::SetDataField(aField);
    refreshFromField();
}

void TppDBBarCode::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCustomBarCode::Notify(aCommunicator, aOperation);
    if (aOperation == 0 || aOperation == 2)
        refreshFromField();
}

} // namespace report
