#include "report/content/text/Memo.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/content/text/MemoRTTI.h"
#include "report/model/bands/CustomBand.h"
#include "report/model/bands/PublishedGeometry.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/engine/CustomEngine.h"
#include "report/model/objects/EventIds.h"
#include "report/model/printing/Printer.h"
#include "report/model/text/PlainText.h"
#include "report/model/text/TextMarkups.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace report {

namespace {

struct MemoCacheRecord
{
    uint8_t stretchable[16] = {};
    int64_t textPosition = 0;
};

// Text after the place where wrapping stopped that holds no more than
// blanks and line breaks prints nothing: it does not carry the memo over to
// another page.
bool memoTextRemains(const QString &aText, qsizetype aPosition)
{
    for (qsizetype i = std::max<qsizetype>(aPosition, 0); i < aText.size(); ++i) {
        const QChar c = aText[i];
        if (c == TppTextMarkups::EndOfText())
            return false;
        if (c == TppTextMarkups::Space() || c == TppTextMarkups::Tab() || c == TppTextMarkups::CarriageReturn() ||
            c == TppTextMarkups::LineFeed())
            continue;
        if (TppTextMarkups::IsNewLineAt(aText, i)) {
            ++i;
            continue;
        }
        return true;
    }
    return false;
}

int32_t memoClamp(int64_t aValue)
{
    return int32_t(
        std::clamp<int64_t>(aValue, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

} // namespace

const classes::TMetaClass &TppCustomMemo::StaticClass()
{
    using C = TppCustomMemo;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppStretchable>("TppCustomMemo", [](classes::TClassBuilder<C> &c) {
            c.Boolean("CharWrap", &C::CharWrap, &C::SetCharWrap).Default(false);
            c.Integer("Color", &C::Color, &C::SetColor).Default(0xFFFFFF);
            c.Object("Font", &C::Font, &C::SetFont);
            c.Boolean("ForceJustifyLastLine", &C::ForceJustifyLastLine, &C::SetForceJustifyLastLine).Default(false);
            c.Single("Leading", &C::Leading, &C::SetLeading).StoredConst = false;
            c.Object("TabStopPositions", &C::TabStopPositions, &C::SetTabStopPositions);
            c.Enum("TextAlignment", EnumInfo<TppTextAlignment>(), &C::TextAlignment, &C::SetTextAlignment)
                .Default(TppTextAlignment::taLeftJustified);
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
            // What a stretchable places and shifts by, as every control has it.
            c.Boolean("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow).Default(false);
            c.Boolean("ShiftWithParent", &C::ShiftWithParent, &C::SetShiftWithParent).Default(false);
            c.Boolean("StretchWithParent", &C::StretchWithParent, &C::SetStretchWithParent).Default(false);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
            ppPublishBounds(c);
            ppPublishShiftRelativeTo(c);
        });
    return meta;
}

TppCustomMemo::TppCustomMemo(classes::TComponent *aOwner)
    : TppStretchable(aOwner)
    , m_lines(std::make_unique<classes::TStringList>())
    , m_memoStream(std::make_unique<classes::TMemoryStream>())
    , m_tabStopView(std::make_unique<classes::TStringList>())
    , m_printLinesView(std::make_unique<classes::TStringList>())
{
    SetCacheRecordSize(int32_t(sizeof(MemoCacheRecord)));
    SetDrawCommandClass(&TppDrawText::StaticClass());
    m_lines->OnChange = [this](classes::TObject *) { m_textStale = true; };
    m_tabStopView->OnChange = [this](classes::TObject *) {
        if (m_showingTabStops)
            return;
        if (loadingOrReading()) {
            m_readTabStops.clear();
            for (int i = 0; i < m_tabStopView->Count(); ++i)
                m_readTabStops << m_tabStopView->Strings(i);
            m_tabStopsRead = true;
            return;
        }
        classes::TStringList edited;
        edited.Assign(m_tabStopView.get());
        SetTabStopPositions(&edited);
    };
}

TppCustomMemo::~TppCustomMemo() = default;

// ---- Text -------------------------------------------------------------------------

classes::TStrings *TppCustomMemo::GetLines()
{
    RefreshText();
    return m_lines.get();
}

void TppCustomMemo::SetLines(const classes::TStrings *aLines)
{
    if (aLines)
        m_lines->Assign(aLines);
    else
        m_lines->Clear();
    RefreshText();
}

classes::TMemoryStream *TppCustomMemo::GetMemoStream()
{
    RefreshText();
    return m_memoStream.get();
}

void TppCustomMemo::RefreshText()
{
    // The text and its stream are made again only when the lines changed:
    // a memo of megabytes is read once or more for every page it fills.
    if (m_textStale) {
        m_textStale = false;
        m_text = m_lines->Text();
        m_memoStream->Clear();
        const QByteArray bytes = m_text.toUtf8();
        if (!bytes.isEmpty())
            m_memoStream->Write(bytes.constData(), bytes.size());
    }
    InvalidateDesignControl();
}

classes::TStrings *TppCustomMemo::PrintLinesList() const
{
    m_printLinesView->Clear();
    for (const QString &line : m_printLines)
        m_printLinesView->Add(line);
    return m_printLinesView.get();
}

std::unique_ptr<char[]> TppCustomMemo::GetTextBuffer()
{
    classes::TMemoryStream *stream = GetMemoStream();
    const int64_t size = stream->Size();
    if (size <= 0)
        return nullptr;
    auto buffer = std::make_unique<char[]>(size_t(size) + 1);
    std::memcpy(buffer.get(), stream->Memory(), size_t(size));
    buffer[size_t(size)] = '\0';
    return buffer;
}

QString TppCustomMemo::GetText() const
{
    // Loading the lines runs their handler, which may free the memo.
    const std::weak_ptr<char> alive = AliveToken();
    const_cast<TppCustomMemo *>(this)->GetLines();
    if (alive.expired())
        return QString();
    return m_textStale ? m_lines->Text() : m_text;
}

void TppCustomMemo::SetText(const QString &aText)
{
    m_lines->SetText(aText);
    RefreshText();
}

// ---- Properties -------------------------------------------------------------------

void TppCustomMemo::SetCharWrap(bool aValue)
{
    if (ReportPrinting() || aValue == m_charWrap)
        return;
    m_charWrap = aValue;
    InvalidateDesignControl();
    PropertyChange();
    DesignChanged();
}

void TppCustomMemo::SetmmLeading(int32_t aValue)
{
    m_mmLeading = aValue;
}

float TppCustomMemo::Leading() const
{
    return FromMMThousandths(m_mmLeading, Units(), TppAxisType::atVertical);
}

void TppCustomMemo::SetLeading(float aValue)
{
    if (!std::isfinite(aValue))
        return;
    if (loadingOrReading()) {
        m_mmLeading = memoClamp(int64_t(std::trunc(std::clamp<double>(aValue, INT32_MIN, INT32_MAX))));
        return;
    }
    m_mmLeading = ToMMThousandths(aValue, Units(), TppAxisType::atVertical);
    InvalidateDesignControl();
    PropertyChange();
    DesignChanged();
}

int32_t TppCustomMemo::spLeading() const
{
    return int32_t(std::trunc(FromMMThousandths(m_mmLeading, TppUnitType::utScreenPixels, TppAxisType::atVertical)));
}

classes::TStrings *TppCustomMemo::TabStopPositions() const
{
    m_showingTabStops = true;
    struct Shown
    {
        bool &flag;
        ~Shown() { flag = false; }
    } shown{m_showingTabStops};
    m_tabStopView->Clear();
    for (const QString &stop : m_mmTabStops) {
        bool ok = false;
        const int value = stop.trimmed().toInt(&ok);
        m_tabStopView->Add(ok ? QString::number(FromMMThousandths(value, Units(), TppAxisType::atHorizontal)) : stop);
    }
    return m_tabStopView.get();
}

void TppCustomMemo::SetTabStopPositions(const classes::TStrings *aPositions)
{
    m_mmTabStops.clear();
    if (aPositions)
        for (int i = 0; i < aPositions->Count(); ++i) {
            const QString stop = aPositions->Strings(i);
            bool ok = false;
            const float value = stop.trimmed().toFloat(&ok);
            // What is no number is kept as it came; measuring skips it.
            m_mmTabStops << (ok && std::isfinite(value)
                                 ? QString::number(ToMMThousandths(value, Units(), TppAxisType::atHorizontal))
                                 : stop);
        }
    if (loadingOrReading())
        return;
    InvalidateDesignControl();
    PropertyChange();
}

// ---- Generation -------------------------------------------------------------------

TppCustomPrinter *TppCustomMemo::measuringPrinter() const
{
    return dynamic_cast<TppCustomPrinter *>(const_cast<PrinterResolution *>(GetPrinter()));
}

int32_t TppCustomMemo::wrap(const QString &aText, const rtl::TRect &aRect, qsizetype &aPosition,
                            QStringList &aLines) const
{
    return TppPlainText::WordWrap(aText, aRect, TextAlignment(), false, Font()->Font(), m_charWrap, m_mmLeading,
                                  m_mmTabStops, measuringPrinter(), aPosition, aLines);
}

void TppCustomMemo::Init()
{
    TppStretchable::Init();
    m_textPosition = 0;
}

void TppCustomMemo::ResetGeneration()
{
    TppStretchable::ResetGeneration();
    m_printLinesReady = false;
    m_printLines.clear();
    m_printHeight = 0;
}

void TppCustomMemo::CalcSpaceUsed()
{
    const std::weak_ptr<char> alive = AliveToken();
    const QString text = GetText();
    if (alive.expired())
        return;
    rtl::TRect rect = PageRect();
    m_printLinesReady = true;
    if (!Stretch() || !StretchAllowed()) {
        // Bounded by a stop position only: the text is cut at the
        // control's own height.
        m_textPosition = 0;
        rect.Bottom = memoClamp(int64_t(rect.Top) + mmHeight());
        qsizetype position = 0;
        wrap(text, rect, position, m_printLines);
        m_printHeight = mmHeight();
        SetSpaceUsed(mmHeight());
        SetOverFlow(false);
        return;
    }
    qsizetype position = m_textPosition;
    QStringList lines;
    const int32_t lineHeight = wrap(text, rect, position, lines);
    const int32_t used = memoClamp(int64_t(lines.size()) * lineHeight);
    if (memoTextRemains(text, position)) {
        if (NeedsKeepTogether()) {
            // The whole memo moves to the next page, once.
            SetKeptTogether(true);
            SetSpaceUsed(0);
            SetOverFlow(true);
            m_printLines.clear();
            m_printHeight = 0;
            return;
        }
        SetOverFlow(true);
        // Without a line on this page the text goes on from where it stood,
        // so that nothing is printed twice.
        if (!lines.isEmpty())
            m_textPosition = position;
        m_printLines = lines;
        m_printHeight = used;
        SetSpaceUsed(used);
        return;
    }
    SetOverFlow(false);
    m_textPosition = 0;
    SetKeptTogether(false);
    m_printLines = lines;
    m_printHeight = lines.isEmpty() ? 0 : used;
    SetSpaceUsed(m_printHeight);
}

void TppCustomMemo::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    TppStretchable::PropertiesToDrawCommand(aDrawCommand);
    auto *text = dynamic_cast<TppDrawText *>(aDrawCommand);
    if (!text)
        return;
    rtl::TRect rect = PageRect();
    if (!m_printLinesReady) {
        // Not stretching: the lines that fit the control as designed.
        rect.Bottom = memoClamp(int64_t(rect.Top) + mmHeight());
        qsizetype position = 0;
        const std::weak_ptr<char> alive = AliveToken();
        const QString lines = GetText();
        if (alive.expired())
            return;
        wrap(lines, rect, position, m_printLines);
        m_printHeight = mmHeight();
        m_printLinesReady = true;
    }
    rect.Bottom = memoClamp(int64_t(rect.Top) + m_printHeight);
    text->SetLeft(rect.Left);
    text->SetTop(rect.Top);
    text->SetWidth(rect.Right - rect.Left);
    text->SetHeight(rect.Bottom - rect.Top);
    text->SetAlignment(Alignment());
    text->SetTextAlignment(TextAlignment());
    text->SetColor(Color());
    text->SetFont(Font());
    text->SetForceJustifyLastLine(ForceJustifyLastLine());
    text->SetLeading(m_mmLeading);
    text->SetTransparent(Transparent());
    text->SetWordWrap(true);
    text->SetIsMemo(true);
    classes::TStringList stops;
    for (const QString &stop : m_mmTabStops)
        stops.Add(stop);
    text->SetTabStopPositions(&stops);
    classes::TStringList wrapped;
    for (const QString &line : m_printLines)
        wrapped.Add(line);
    text->SetWrappedText(&wrapped);
    // The text of this page only: exports and searches read it.
    text->SetText(
        TppPlainText::RemoveAll(m_printLines.join(TppTextMarkups::NewLine()), TppTextMarkups::NewLineMarkup()));
    text->SetComponent(this);
}

void TppCustomMemo::SaveToCache(int32_t aPageIndex)
{
    static_assert(sizeof(StretchableCacheRecord) <= sizeof(MemoCacheRecord::stretchable));
    MemoCacheRecord record;
    const StretchableCacheRecord own = cacheRecord();
    std::memcpy(record.stretchable, &own, sizeof(own));
    record.textPosition = m_textPosition;
    WriteCacheRecord(aPageIndex, &record);
}

void TppCustomMemo::RestoreFromCache(int32_t aPageIndex)
{
    MemoCacheRecord record;
    const StretchableCacheRecord own = cacheRecord();
    std::memcpy(record.stretchable, &own, sizeof(own));
    record.textPosition = m_textPosition;
    ReadCacheRecord(aPageIndex, &record);
    StretchableCacheRecord restored;
    std::memcpy(&restored, record.stretchable, sizeof(restored));
    applyCacheRecord(restored);
    m_textPosition = std::max<int64_t>(record.textPosition, 0);
}

void TppCustomMemo::Convert(int aVersionNo)
{
    TppStretchable::Convert(aVersionNo);
    if (aVersionNo < 3000)
        m_mmLeading = ppToMMThousandths(float(m_mmLeading), TppUnitType::utScreenPixels, TppAxisType::atVertical);
}

void TppCustomMemo::Loaded()
{
    TppStretchable::Loaded();
    if (!m_tabStopsRead)
        return;
    m_tabStopsRead = false;
    classes::TStringList read;
    for (const QString &stop : std::as_const(m_readTabStops))
        read.Add(stop);
    m_readTabStops.clear();
    SetTabStopPositions(&read);
}

void TppCustomMemo::DefineProperties(classes::TFiler &aFiler)
{
    TppStretchable::DefineProperties(aFiler);
    const bool differs = m_mmLeading != 0;
    aFiler.DefineProperty(
        QStringLiteral("mmLeading"), [this](classes::TReader &r) { m_mmLeading = memoClamp(r.ReadInteger()); },
        [this](classes::TWriter &w) { w.WriteInteger(m_mmLeading); }, differs);
    aFiler.DefineProperty(
        QStringLiteral("Position"), [](classes::TReader &r) { r.ReadInteger(); }, nullptr, false);
}

// ---- TppMemo ------------------------------------------------------------------------

const classes::TMetaClass &TppMemo::StaticClass()
{
    using C = TppMemo;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomMemo>("TppMemo", [](classes::TClassBuilder<C> &c) {
            c.Object(
                "Lines", [](const C &m) { return const_cast<C &>(m).GetLines(); },
                [](C &m, classes::TStrings *aLines) { m.SetLines(aLines); });
        });
    return meta;
}

TppMemo::TppMemo(classes::TComponent *aOwner)
    : TppCustomMemo(aOwner)
{
    SetDefaultProp(QStringLiteral("Caption"), 0);
}

void TppMemo::SetLines(const classes::TStrings *aLines)
{
    TppCustomMemo::SetLines(aLines);
    if (loadingOrReading())
        return;
    PropertyChange();
    DesignChanged();
}

void TppMemo::CreateDesignControl()
{
    TppCustomMemo::CreateDesignControl();
    RefreshText();
}

// ---- TppDBMemo ----------------------------------------------------------------------

const classes::TMetaClass &TppDBMemo::StaticClass()
{
    using C = TppDBMemo;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomMemo>("TppDBMemo", [](classes::TClassBuilder<C> &c) {
            c.Boolean("AutoDisplay", &C::AutoDisplay, &C::SetAutoDisplay).Default(true);
            c.String("DataField", &C::DataField, &C::SetDataField);
            c.Event("OnGetMemo", &C::OnGetMemo, QStringLiteral("TppMemoEvent"));
            c.Boolean("ParentDataPipeline", &C::ParentDataPipeline, &C::SetParentDataPipeline).Default(true);
            c.Boolean("SuppressRepeatedValues", &C::SuppressRepeatedValues, &C::SetSuppressRepeatedValues)
                .Default(false);
            ppPublishDataPipeline(c);
        });
    return meta;
}

TppDBMemo::TppDBMemo(classes::TComponent *aOwner)
    : TppCustomMemo(aOwner)
{
    MakeDataAware();
}

void TppDBMemo::SetAutoDisplay(bool aValue)
{
    if (aValue == m_autoDisplay)
        return;
    m_autoDisplay = aValue;
    if (!loadingOrReading())
        PropertyChange();
}

void TppDBMemo::SetSuppressRepeatedValues(bool aValue)
{
    if (aValue == m_suppressRepeatedValues)
        return;
    m_suppressRepeatedValues = aValue;
    if (!loadingOrReading())
        PropertyChange();
}

bool TppDBMemo::loadsLines() const
{
    return m_autoDisplay || OnGetMemo.Assigned() || HasEventNotify(ppEvent::OnGetMemo);
}

void TppDBMemo::loadLines()
{
    // A handler that reads the memo's lines comes back here.
    if (m_loading)
        return;
    m_loading = true;
    // A handler may free the memo while it loads: the flag goes with it.
    struct Done
    {
        bool &flag;
        std::weak_ptr<char> alive;
        ~Done()
        {
            if (!alive.expired())
                flag = false;
        }
    } done{m_loading, AliveToken()};
    classes::TStringList &memoLines = lines();
    const bool handled = OnGetMemo.Assigned() || HasEventNotify(ppEvent::OnGetMemo);
    if (!handled && CheckForPipelineData()) {
        // The field is read again for every page the memo fills: lines made
        // from the same text, and not changed since, are kept, so that a memo
        // of megabytes is split and encoded once, not once a page.
        QString field = DataPipeline()->GetFieldAsString(DataField());
        if (m_fieldLoaded && !textStale() && field.size() == m_loadedField.size() &&
            (field.constData() == m_loadedField.constData() || field == m_loadedField))
            return;
        memoLines.SetText(field);
        m_loadedField = std::move(field);
        m_fieldLoaded = true;
        return;
    }
    m_fieldLoaded = false;
    m_loadedField.clear();
    memoLines.Clear();
    if (handled) {
        const TppCustomBand *band = printingBand();
        if (!ReportPrinting() && !(band && band->Generating()))
            return;
        const std::weak_ptr<char> alive = AliveToken();
        if (OnGetMemo)
            OnGetMemo(this, &memoLines);
        if (alive.expired() || !HasEventNotify(ppEvent::OnGetMemo))
            return;
        std::unique_ptr<TraParamList> params = TraTppDBMemoRTTI::Instance().GetParams(QStringLiteral("OnGetMemo"));
        classes::TObject *argument = &memoLines;
        params->SetParamValuePointer(0, &argument);
        SendEventNotify(this, ppEvent::OnGetMemo, params.get());
    }
}

void TppDBMemo::RefreshText()
{
    if (!loadsLines())
        return;
    const std::weak_ptr<char> alive = AliveToken();
    loadLines();
    if (!alive.expired())
        TppCustomMemo::RefreshText();
}

classes::TStrings *TppDBMemo::GetLines()
{
    if (!DataField().isEmpty() || OnGetMemo.Assigned() || HasEventNotify(ppEvent::OnGetMemo)) {
        // None when the handler that loaded them freed the memo.
        const std::weak_ptr<char> alive = AliveToken();
        RefreshText();
        if (alive.expired())
            return nullptr;
    }
    return &lines();
}

classes::TMemoryStream *TppDBMemo::GetMemoStream()
{
    return TppCustomMemo::GetMemoStream();
}

QString TppDBMemo::GetDescription() const
{
    if (DataField().isEmpty())
        return UserName();
    return UserName() + QStringLiteral(": ") + DataField();
}

void TppDBMemo::Init()
{
    TppCustomMemo::Init();
    m_pageRepeatStates.StartRun(*this);
    m_hasRemembered = false;
    m_repeated = false;
    m_rememberedText.clear();
    if (!m_suppressRepeatedValues)
        return;
    SubscribeEvent(ppEvent::Traversal);
    // The engine tells of each traversal through its report.
    if (IppReportContext *report = Report())
        if (TppCommunicator *sender = report->ReportObject())
            sender->AddEventNotify(this);
}

void TppDBMemo::Reset()
{
    TppCustomMemo::Reset();
    m_hasRemembered = false;
    m_repeated = false;
}

void TppDBMemo::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppCustomMemo::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID != ppEvent::Traversal || !m_suppressRepeatedValues)
        return;
    const std::weak_ptr<char> alive = AliveToken();
    const QString text = GetText();
    if (alive.expired())
        return;
    TppDataPipeline *pipeline = DataPipeline();
    const bool backAtFirst = pipeline && pipeline->FirstRecord();
    m_repeated = m_hasRemembered && !ResetOnCompute() && !backAtFirst && text == m_rememberedText;
    m_rememberedText = text;
    m_hasRemembered = true;
    SetResetOnCompute(false);
}

void TppDBMemo::SaveToCache(int32_t aPageIndex)
{
    TppCustomMemo::SaveToCache(aPageIndex);
    m_pageRepeatStates.Save(*this, aPageIndex, {m_rememberedText, m_hasRemembered, m_repeated});
}

void TppDBMemo::RestoreFromCache(int32_t aPageIndex)
{
    TppCustomMemo::RestoreFromCache(aPageIndex);
    RepeatState state{m_rememberedText, m_hasRemembered, m_repeated};
    m_pageRepeatStates.Restore(*this, aPageIndex, state);
    m_rememberedText = state.rememberedText;
    m_hasRemembered = state.hasRemembered;
    m_repeated = state.repeated;
}

void TppDBMemo::Generate()
{
    if (m_suppressRepeatedValues && m_repeated && !OverFlow()) {
        // A repeated text takes no room and is not drawn.
        SetOutOfSpace(false);
        SetSpaceUsed(0);
        SetGenerationComplete(true);
        return;
    }
    TppCustomMemo::Generate();
}

void TppDBMemo::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCustomMemo::Notify(aCommunicator, aOperation);
    // The designer shows the field's text as it changes.
    if ((aOperation == ppNotify::Remove || aOperation == ppNotify::DataChange) && InDesignState() &&
        !ReportPrinting() && !IsDestroying())
        RefreshText();
}

} // namespace report
