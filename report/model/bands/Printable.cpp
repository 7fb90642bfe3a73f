#include "report/model/bands/Printable.h"

#include "report/model/bands/PrintableRTTI.h"
#include "report/model/base/Messages.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/data/PipelineList.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/PageDef.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"

#include <cmath>

namespace report {

namespace {

// A number a setter in Units can take: NaN and the infinities change nothing.
bool printableUsable(float aValue)
{
    return std::isfinite(aValue);
}

} // namespace

const classes::TMetaClass &TppPrintable::StaticClass()
{
    using P = TppPrintable;
    static const classes::TMetaClass meta = classes::MakeClass<P, TppCacheable>(
        "TppPrintable", [](classes::TClassBuilder<P> &c) { c.Event("OnPrint", &P::OnPrint); });
    return meta;
}

TppPrintable::TppPrintable(classes::TComponent *aOwner)
    : TppCacheable(aOwner)
    , m_font(std::make_unique<TppFont>())
{
    m_font->OnChange = [this](classes::TObject *) { FontChange(); };
    m_mmWidth = ppToMMThousandths(65, TppUnitType::utScreenPixels, TppAxisType::atHorizontal);
    m_mmHeight = ppToMMThousandths(17, TppUnitType::utScreenPixels, TppAxisType::atVertical);
}

TppPrintable::~TppPrintable()
{
    BeforeDestruction();
    m_selectionObject.reset();
    SetDesignControl(nullptr);
    if (TppDataPipeline *pipeline = m_dataPipeline) {
        m_dataPipeline = nullptr;
        RemoveNotify(pipeline);
    }
    m_font->OnChange = nullptr;
}

void TppPrintable::MakeDataAware()
{
    m_defaultPropName = QStringLiteral("DataField");
    m_defaultPropEditType = 2;
}

bool TppPrintable::loadingOrReading() const
{
    return HasState(classes::csLoading | classes::csReading);
}

bool TppPrintable::designerQuiet() const
{
    return ReportPrinting() || HasCommunicatorState(ppState::Quiet) || CommunicatorState() >= ppState::FirstLoad;
}

// ---- Generation -----------------------------------------------------------------

void TppPrintable::Init()
{
    m_overFlow = false;
    if (ResetOnInit())
        Reset();
}

void TppPrintable::ResetGeneration()
{
    m_generationComplete = false;
    m_spaceUsed = 0;
    m_outOfSpace = false;
}

void TppPrintable::InitDrawComponent()
{
    if (m_visible)
        m_drawComponent = true;
}

void TppPrintable::ClearDrawComponent()
{
    if (m_generationComplete)
        m_drawComponent = false;
}

void TppPrintable::PrintToPage(TppPage *aPage)
{
    if (m_drawComponent && m_visible)
        CreateDrawCommand(aPage);
}

TppDrawCommand *TppPrintable::CreateDrawCommand(TppPage *aPage)
{
    if (!m_drawCommandClass || !aPage || !m_drawCommandClass->InheritsFrom(TppDrawCommand::StaticClass()) ||
        m_drawCommandClass->IsAbstract())
        return nullptr;
    // Held here until the page owns it, so that a handler that raises
    // leaves nothing behind.
    std::unique_ptr<TppDrawCommand> command(static_cast<TppDrawCommand *>(m_drawCommandClass->NewComponent(nullptr)));
    // A handler that frees the object (its text, its format, the command's
    // creation) would leave a command on the page whose component is gone:
    // the command goes with it.
    const std::weak_ptr<char> alive = AliveToken();
    PropertiesToDrawCommand(command.get());
    if (alive.expired())
        return nullptr;
    command->SetClickable(OnDrawCommandClick.Assigned() || HasEventNotify(ppEvent::OnDrawCommandClick));
    command->SetComponent(this);
    command->OnClick.Set([this, alive = AliveToken()](classes::TObject *aSender) {
        if (!alive.expired())
            DrawCommandClick(aSender);
    });
    const TppPageDef *pageDef = aPage->PageDef();
    command->SetPrintableArea(rtl::TRect{pageDef->mmMarginLeft(), pageDef->mmMarginTop(),
                                         pageDef->mmWidth() - pageDef->mmMarginRight(),
                                         pageDef->mmHeight() - pageDef->mmMarginBottom()});
    if (OnDrawCommandCreate)
        OnDrawCommandCreate(this, command.get());
    if (alive.expired())
        return nullptr;
    TppDrawCommand *placed = command.get();
    placed->SetPage(aPage);
    command.release();
    if (HasEventNotify(ppEvent::OnDrawCommandCreate)) {
        std::unique_ptr<TraParamList> params = TraTppPrintableRTTI::Instance().GetParams("OnDrawCommandCreate");
        classes::TObject *argument = placed;
        params->SetParamValuePointer(0, &argument);
        SendEventNotify(this, ppEvent::OnDrawCommandCreate, params.get());
    }
    return placed;
}

void TppPrintable::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    aDrawCommand->SetTag(Tag());
    if (CheckForPipelineData())
        aDrawCommand->SetDataType(m_dataPipeline->GetFieldDataType(m_dataField));
}

void TppPrintable::DrawCommandClick(classes::TObject *aDrawCommand)
{
    if (!dynamic_cast<TppDrawCommand *>(aDrawCommand))
        return;
    const std::weak_ptr<char> alive = AliveToken();
    if (OnDrawCommandClick)
        OnDrawCommandClick(this, aDrawCommand);
    if (alive.expired() || !HasEventNotify(ppEvent::OnDrawCommandClick))
        return;
    std::unique_ptr<TraParamList> params = TraTppPrintableRTTI::Instance().GetParams("OnDrawCommandClick");
    classes::TObject *argument = aDrawCommand;
    params->SetParamValuePointer(0, &argument);
    SendEventNotify(this, ppEvent::OnDrawCommandClick, params.get());
}

void TppPrintable::DoOnPrint()
{
    const std::weak_ptr<char> alive = AliveToken();
    if (OnPrint)
        OnPrint(this);
    if (!alive.expired())
        SendEventNotify(this, ppEvent::OnPrint, nullptr);
}

bool TppPrintable::CheckForPipelineData()
{
    try {
        if (!IsDataAware() || m_dataField.isEmpty() || !m_dataPipeline || !m_dataPipeline->GetActive())
            return false;
        if (HasState(classes::csDesigning) && m_dataPipeline->RefuseFieldAtDesignTime(m_dataField))
            return false;
        if (!InDesignState() || HasCommunicatorState(ppState::DesignData))
            return true;
        return ReportPrinting();
    } catch (...) {
        // A pipeline that cannot answer has no data to give.
        return false;
    }
}

// ---- Designer ----------------------------------------------------------------------

void TppPrintable::SendDesignerMessage(int aMsg, classes::TObject *aLParam)
{
    if (IppDesignerSink *designer = GetDesigner())
        designer->SendDesignerMessage(aMsg, ppDesignerMsg::WParam, aLParam);
}

void TppPrintable::PostDesignerMessage(int aMsg, classes::TObject *aLParam)
{
    if (IppDesignerSink *designer = GetDesigner())
        designer->PostDesignerMessage(aMsg, ppDesignerMsg::WParam, aLParam);
}

void TppPrintable::BoundsChange()
{
    if (!InDesignState() || ReportPrinting())
        return;
    PositionDesignControl();
    if (m_selectionObject)
        m_selectionObject->Refresh();
    PropertyChange();
    if (m_mmHeight != m_lastHeight || m_mmWidth != m_lastWidth) {
        m_lastHeight = m_mmHeight;
        m_lastWidth = m_mmWidth;
        InvalidateDesignControl();
    }
}

void TppPrintable::FontChange()
{
    // Measuring a text runs its handlers, which may free it.
    const std::weak_ptr<char> alive = AliveToken();
    AdjustSize();
    if (!alive.expired())
        InvalidateDesignControl();
}

void TppPrintable::CreateDesignControl()
{
    if (ReportPrinting() || m_designControl)
        return;
    IncludeState(ppState::Design);
    SendDesignerMessage(ppDesignerMsg::CreateDesignControl, this);
    if (m_designControl)
        m_designControl->OnPaint = [this](gfx::Canvas &aCanvas) { DesignControlPaint(aCanvas); };
    if (IsDataAware())
        Notify(m_dataPipeline, ppNotify::DataChange);
    BoundsChange();
    DesignChanged();
    InvalidateDesignControl();
}

void TppPrintable::FreeDesignControl()
{
    ExcludeState(ppState::Design | ppState::DesignData);
    m_selectionObject.reset();
    m_designBitmap.reset();
    m_designPictureValid = false;
    SetDesignControl(nullptr);
}

// ---- Texts -------------------------------------------------------------------------

QString TppPrintable::GetCaption()
{
    if (m_caption.isEmpty() && InDesignState() && !ReportPrinting()) {
        // A text's handlers (OnFormat, OnGetText) may free the object.
        const std::weak_ptr<char> alive = AliveToken();
        QString text = GetText();
        if (alive.expired())
            return text;
        m_caption = std::move(text);
        if (IsDataAware() && !CheckForPipelineData())
            fieldCaption();
    }
    return m_caption;
}

void TppPrintable::fieldCaption()
{
    m_caption = m_dataPipeline ? m_dataPipeline->GetFieldAlias(m_dataField) : m_dataField;
}

void TppPrintable::SetCaption(const QString &aCaption)
{
    const bool changed = aCaption != m_caption;
    m_caption = aCaption;
    m_text = aCaption;
    const std::weak_ptr<char> alive = AliveToken();
    if (m_autoSize && changed)
        AdjustSize();
    if (alive.expired())
        return;
    InvalidateDesignControl();
    if (!IsDataAware())
        PropertyChange();
}

void TppPrintable::SetText(const QString &aText)
{
    m_text = aText;
    if (!IsDataAware())
        PropertyChange();
}

QString TppPrintable::GetDefaultPropHint() const
{
    if (IsDataAware())
        return ppLoadStr(203);
    if (m_defaultPropName == QLatin1String("Caption"))
        return ppLoadStr(154);
    return QString();
}

// ---- Data ------------------------------------------------------------------------------

void TppPrintable::SetDataPipeline(TppDataPipeline *aPipeline)
{
    if (aPipeline == m_dataPipeline)
        return;
    if (TppDataPipeline *old = m_dataPipeline) {
        m_dataPipeline = nullptr;
        RemoveNotify(old);
    }
    m_dataPipeline = aPipeline;
    if (aPipeline)
        AddNotify(aPipeline);
    Notify(aPipeline, ppNotify::DataChange);
    if (!loadingOrReading()) {
        SendDesignerMessage(ppDesignerMsg::DataPipelineChanged, this);
        DesignChanged();
    }
}

void TppPrintable::SetDataField(const QString &aField)
{
    if (!IsDataAware())
        return;
    m_dataField = aField;
    if (aField.isEmpty())
        m_caption = Name();
    else if (!CheckForPipelineData())
        fieldCaption();
    DesignChanged();
    if (!designerQuiet())
        PostDesignerMessage(ppDesignerMsg::PropertyChanged, this);
}

void TppPrintable::ResolveDataPipeline(const TppDataPipelineList &aList)
{
    if (IsDataAware() && !m_dataPipeline && !m_dataPipelineName.isEmpty())
        SetDataPipeline(aList.GetPipelineByName(m_dataPipelineName));
}

void TppPrintable::ReplaceDataPipeline(TppDataPipeline *aPipeline, const QString &aName)
{
    if (IsDataAware() && m_dataPipeline && m_dataPipeline->UserName() == aName)
        SetDataPipeline(aPipeline);
}

void TppPrintable::ReplaceDataField(TppDataPipeline *aPipeline, const QString &aOldName, const QString &aNewName)
{
    if (IsDataAware() && m_dataPipeline == aPipeline && m_dataField.compare(aOldName, Qt::CaseInsensitive) == 0)
        SetDataField(aNewName);
}

void TppPrintable::GetDataPipelines(std::vector<TppDataPipeline *> &aList) const
{
    if (IsDataAware() && m_dataPipeline && std::find(aList.begin(), aList.end(), m_dataPipeline) == aList.end())
        aList.push_back(m_dataPipeline);
}

// ---- Geometry --------------------------------------------------------------------------

void TppPrintable::SetmmLeft(int32_t aValue)
{
    m_mmLeft = aValue;
    BoundsChange();
    DesignChanged();
}

void TppPrintable::SetmmTop(int32_t aValue)
{
    m_mmTop = aValue;
    BoundsChange();
    DesignChanged();
}

void TppPrintable::SetmmWidth(int32_t aValue)
{
    m_mmWidth = aValue;
    BoundsChange();
    DesignChanged();
}

void TppPrintable::SetmmHeight(int32_t aValue)
{
    m_mmHeight = aValue;
    BoundsChange();
    DesignChanged();
}

void TppPrintable::storeBounds(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight)
{
    m_mmLeft = aLeft;
    m_mmTop = aTop;
    m_mmWidth = aWidth;
    m_mmHeight = aHeight;
}

void TppPrintable::SetBounds(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight)
{
    storeBounds(aLeft, aTop, aWidth, aHeight);
    BoundsChange();
    DesignChanged();
}

float TppPrintable::FromMMThousandths(int32_t aValue, TppUnitType aUnits, TppAxisType aAxis) const
{
    return ppFromMMThousandths(aValue, aUnits, aAxis, GetPrinter());
}

int32_t TppPrintable::ToMMThousandths(float aValue, TppUnitType aUnits, TppAxisType aAxis) const
{
    return ppToMMThousandths(aValue, aUnits, aAxis, GetPrinter());
}

float TppPrintable::Left() const
{
    return FromMMThousandths(m_mmLeft, m_units, TppAxisType::atHorizontal);
}

float TppPrintable::Top() const
{
    return FromMMThousandths(m_mmTop, m_units, TppAxisType::atVertical);
}

float TppPrintable::Width() const
{
    return FromMMThousandths(m_mmWidth, m_units, TppAxisType::atHorizontal);
}

float TppPrintable::Height() const
{
    return FromMMThousandths(m_mmHeight, m_units, TppAxisType::atVertical);
}

void TppPrintable::setByUnits(float aValue, TppAxisType aAxis, int32_t &aField, void (TppPrintable::*aSetter)(int32_t))
{
    if (!printableUsable(aValue))
        return;
    const int32_t mm = ToMMThousandths(aValue, m_units, aAxis);
    if (HasState(classes::csReading))
        aField = mm;
    else
        (this->*aSetter)(mm);
}

void TppPrintable::SetLeft(float aValue)
{
    setByUnits(aValue, TppAxisType::atHorizontal, m_mmLeft, &TppPrintable::SetmmLeft);
}

void TppPrintable::SetTop(float aValue)
{
    setByUnits(aValue, TppAxisType::atVertical, m_mmTop, &TppPrintable::SetmmTop);
}

void TppPrintable::SetWidth(float aValue)
{
    setByUnits(aValue, TppAxisType::atHorizontal, m_mmWidth, &TppPrintable::SetmmWidth);
}

void TppPrintable::SetHeight(float aValue)
{
    setByUnits(aValue, TppAxisType::atVertical, m_mmHeight, &TppPrintable::SetmmHeight);
}

int32_t TppPrintable::spLeft() const
{
    return ppRound(ppFromMMThousandths(m_mmLeft, TppUnitType::utScreenPixels, TppAxisType::atHorizontal));
}

int32_t TppPrintable::spTop() const
{
    return ppRound(ppFromMMThousandths(m_mmTop, TppUnitType::utScreenPixels, TppAxisType::atVertical));
}

int32_t TppPrintable::spWidth() const
{
    return ppRound(ppFromMMThousandths(m_mmWidth, TppUnitType::utScreenPixels, TppAxisType::atHorizontal));
}

int32_t TppPrintable::spHeight() const
{
    return ppRound(ppFromMMThousandths(m_mmHeight, TppUnitType::utScreenPixels, TppAxisType::atVertical));
}

void TppPrintable::SetspLeft(int32_t aValue)
{
    SetmmLeft(ppToMMThousandths(float(aValue), TppUnitType::utScreenPixels, TppAxisType::atHorizontal));
}

void TppPrintable::SetspTop(int32_t aValue)
{
    SetmmTop(ppToMMThousandths(float(aValue), TppUnitType::utScreenPixels, TppAxisType::atVertical));
}

void TppPrintable::SetspWidth(int32_t aValue)
{
    SetmmWidth(ppToMMThousandths(float(aValue), TppUnitType::utScreenPixels, TppAxisType::atHorizontal));
}

void TppPrintable::SetspHeight(int32_t aValue)
{
    SetmmHeight(ppToMMThousandths(float(aValue), TppUnitType::utScreenPixels, TppAxisType::atVertical));
}

void TppPrintable::SetSpBounds(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight)
{
    const auto mm = [](int32_t aPixels, TppAxisType aAxis) {
        return ppToMMThousandths(float(aPixels), TppUnitType::utScreenPixels, aAxis);
    };
    SetBounds(mm(aLeft, TppAxisType::atHorizontal), mm(aTop, TppAxisType::atVertical),
              mm(aWidth, TppAxisType::atHorizontal), mm(aHeight, TppAxisType::atVertical));
}

rtl::TRect TppPrintable::GetSpClientRect() const
{
    return rtl::TRect{0, 0, spWidth(), spHeight()};
}

// ---- Appearance --------------------------------------------------------------------------

void TppPrintable::SetAlignment(classes::TAlignment aValue)
{
    if (aValue == m_alignment)
        return;
    m_alignment = aValue;
    m_textAlignment = static_cast<TppTextAlignment>(uint8_t(aValue));
    InvalidateDesignControl();
    PropertyChange();
}

void TppPrintable::SetTextAlignment(TppTextAlignment aValue)
{
    if (aValue == TppTextAlignment::taFullJustified && !SupportsFullJustify())
        return;
    m_textAlignment = aValue;
    switch (aValue) {
    case TppTextAlignment::taRightJustified: m_alignment = classes::TAlignment::taRightJustify; break;
    case TppTextAlignment::taCentered: m_alignment = classes::TAlignment::taCenter; break;
    default: m_alignment = classes::TAlignment::taLeftJustify; break;
    }
    InvalidateDesignControl();
    PropertyChange();
}

void TppPrintable::SetAutoSize(bool aValue)
{
    if (aValue == m_autoSize)
        return;
    m_autoSize = aValue;
    const std::weak_ptr<char> alive = AliveToken();
    AdjustSize();
    if (!alive.expired())
        PropertyChange();
}

void TppPrintable::SetColor(rtl::TColor aValue)
{
    if (!HasColor() || aValue == m_color)
        return;
    m_color = aValue;
    InvalidateDesignControl();
    PropertyChange();
    DesignChanged();
}

void TppPrintable::SetFont(const classes::TFont *aFont)
{
    if (aFont && aFont != m_font.get())
        m_font->Assign(aFont);
}

void TppPrintable::SetForceJustifyLastLine(bool aValue)
{
    if (aValue == m_forceJustifyLastLine)
        return;
    m_forceJustifyLastLine = aValue;
    InvalidateDesignControl();
    PropertyChange();
}

void TppPrintable::SetTransparent(bool aValue)
{
    if (aValue == m_transparent)
        return;
    m_transparent = aValue;
    InvalidateDesignControl();
    PropertyChange();
    DesignChanged();
}

void TppPrintable::SetWordWrap(bool aValue)
{
    if (aValue == m_wordWrap)
        return;
    m_wordWrap = aValue;
    const std::weak_ptr<char> alive = AliveToken();
    AdjustSize();
    if (alive.expired())
        return;
    PropertyChange();
    DesignChanged();
}

void TppPrintable::GetColor(rtl::TColor &aColor, bool &aTransparent) const
{
    if (HasColor()) {
        aColor = m_color;
        aTransparent = m_transparent;
    } else {
        aTransparent = true;
    }
}

void TppPrintable::GetFontColor(rtl::TColor &aColor, bool &aTransparent) const
{
    if (HasFont()) {
        aColor = m_font->Color();
        aTransparent = m_transparent;
    } else {
        aTransparent = true;
    }
}

void TppPrintable::SetBackground(rtl::TColor aColor, bool aTransparent)
{
    SetTransparent(aTransparent);
    if (!aTransparent)
        SetColor(aColor);
}

void TppPrintable::SetFontColor(rtl::TColor aColor)
{
    if (HasFont())
        m_font->SetColor(aColor);
}

void TppPrintable::SetShiftWithParent(bool aValue)
{
    if (aValue == m_shiftWithParent)
        return;
    m_shiftWithParent = aValue;
    if (aValue)
        m_stretchWithParent = false;
    PropertyChange();
    DesignChanged();
}

void TppPrintable::SetStretchWithParent(bool aValue)
{
    if (aValue == m_stretchWithParent)
        return;
    m_stretchWithParent = aValue;
    if (aValue)
        m_shiftWithParent = false;
    PropertyChange();
    DesignChanged();
}

void TppPrintable::SetReprintOnOverFlow(bool aValue)
{
    if (aValue == m_reprintOnOverFlow)
        return;
    m_reprintOnOverFlow = aValue;
    PropertyChange();
    DesignChanged();
}

// ---- Notices, names and state -------------------------------------------------------------

void TppPrintable::StateChange(TppCommunicatorState aState)
{
    TppCacheable::StateChange(aState);
    if (IsDataAware() && (aState & ppState::DesignData))
        Notify(m_dataPipeline, ppNotify::DataChange);
}

void TppPrintable::PropertyChange()
{
    TppCacheable::PropertyChange();
    if (!designerQuiet())
        SendDesignerMessage(ppDesignerMsg::PropertyChanged, this);
}

void TppPrintable::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCacheable::Notify(aCommunicator, aOperation);
    if (aOperation == ppNotify::Remove && aCommunicator && aCommunicator == m_dataPipeline) {
        m_dataPipeline = nullptr;
        if (!IsDestroying())
            DesignChanged();
    }
}

void TppPrintable::SetName(const QString &aNewName)
{
    TppCacheable::SetName(aNewName);
    SendDesignerMessage(ppDesignerMsg::NameChanged, this);
}

void TppPrintable::SetUserName(const QString &aUserName)
{
    TppCacheable::SetUserName(aUserName);
    SendDesignerMessage(ppDesignerMsg::NameChanged, this);
}

// ---- Streams --------------------------------------------------------------------------------

void TppPrintable::DefineProperties(classes::TFiler &aFiler)
{
    TppCacheable::DefineProperties(aFiler);
    aFiler.DefineProperty(
        QStringLiteral("DataPipelineName"),
        [this](classes::TReader &r) { m_dataPipelineName = ppUnqualifiedName(r.ReadString()); },
        [this](classes::TWriter &w) { w.WriteString(m_dataPipeline ? m_dataPipeline->Name() : QString()); },
        m_dataPipeline != nullptr);
    // The stored geometry goes straight into the fields: the clamps of the
    // setters belong to a band the object may not have joined yet.
    const auto geometry = [&aFiler](const char *aName, int32_t &aField) {
        aFiler.DefineProperty(
            QString::fromLatin1(aName), [&aField](classes::TReader &r) { aField = ppReadIntegerOrFloat(r); },
            [&aField](classes::TWriter &w) { w.WriteInteger(aField); }, true);
    };
    geometry("mmHeight", m_mmHeight);
    geometry("mmLeft", m_mmLeft);
    geometry("mmTop", m_mmTop);
    geometry("mmWidth", m_mmWidth);

    const auto ignored = [](classes::TReader &r) { r.SkipValue(); };
    aFiler.DefineProperty(QStringLiteral("DataSource"), ignored, nullptr, false);
    aFiler.DefineProperty(QStringLiteral("OnFormatText"), ignored, nullptr, false);
    aFiler.DefineProperty(QStringLiteral("ParentDataSource"), ignored, nullptr, false);
    aFiler.DefineProperty(
        QStringLiteral("Region"), [this](classes::TReader &r) { m_legacyRegionName = r.ReadIdent(); }, nullptr, false);
    aFiler.DefineProperty(
        QStringLiteral("ReportField"), [this](classes::TReader &r) { m_legacyReportField = r.ReadString(); }, nullptr,
        false);
    if (!ClassType().FindProperty(QStringView(u"Alignment")))
        aFiler.DefineProperty(
            QStringLiteral("Alignment"),
            [this](classes::TReader &r) {
                const QString ident = r.ReadIdent();
                if (ident.compare(QLatin1String("taLeftJustify"), Qt::CaseInsensitive) == 0)
                    SetAlignment(classes::TAlignment::taLeftJustify);
                else if (ident.compare(QLatin1String("taCenter"), Qt::CaseInsensitive) == 0)
                    SetAlignment(classes::TAlignment::taCenter);
                else if (ident.compare(QLatin1String("taRightJustify"), Qt::CaseInsensitive) == 0)
                    SetAlignment(classes::TAlignment::taRightJustify);
            },
            nullptr, false);
}

void TppPrintable::ReadState(classes::TReader &aReader)
{
    if (IsDataAware()) {
        const QString name = TppHReaderUtils::ReadIdentProperty(aReader, QStringLiteral("DataPipeline"));
        if (!name.isEmpty())
            m_dataPipelineName = name;
    }
    TppCacheable::ReadState(aReader);
}

void TppPrintable::Loaded()
{
    if (HasCommunicatorState(ppRenameWhileLoading))
        ExcludeState(ppRenameWhileLoading);
    TppCacheable::Loaded();
}

void TppPrintable::Convert(int aVersionNo)
{
    if (aVersionNo < 1270)
        m_dataField = m_legacyReportField;
    if (aVersionNo < 2097) {
        const auto px = [](int32_t aPixels, TppAxisType aAxis) {
            return ppToMMThousandths(float(aPixels), TppUnitType::utScreenPixels, aAxis);
        };
        storeBounds(px(m_mmLeft, TppAxisType::atHorizontal), px(m_mmTop, TppAxisType::atVertical),
                    px(m_mmWidth, TppAxisType::atHorizontal), px(m_mmHeight, TppAxisType::atVertical));
    }
    if (aVersionNo < 3530)
        SetUserName(Name());
}

} // namespace report
