#include "report/content/text/DBText.h"

#include "report/model/bands/CustomBand.h"
#include "report/model/bands/PublishedGeometry.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/base/DisplayFormat.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/engine/CustomEngine.h"
#include "report/model/groups/Group.h"
#include "report/model/objects/EventIds.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Variants.h"

#include <QDate>
#include <QTime>

namespace report {

namespace {

struct DBTextCacheRecord
{
    uint8_t drawComponent = 0;
    uint8_t priorValueSame = 0;
    uint8_t alreadyPrinted = 0;
    uint8_t resetOnCompute = 0;
    int32_t firstPage = -1;
    int32_t printedPage = -1;
};

// The variant types the blank rule counts as numbers (dates included).
bool dbTextIsZeroNumber(const QVariant &aValue)
{
    // Unsigned integers included: an unsigned 0 is as blank as a signed one.
    if (rtl::VarIsNumber(aValue))
        return aValue.toDouble() == 0;
    // A date counts by its day number, which is 0 on 30 December 1899.
    rtl::TDateTime moment = 0;
    return rtl::TryDateVarToDateTime(aValue, moment) && moment == 0;
}

bool dbTextIsTextType(TppDataType aType)
{
    return aType == TppDataType::dtString || aType == TppDataType::dtChar || aType == TppDataType::dtMemo;
}

DBTextCacheRecord dbTextRecordOf(const TppDBText &aText)
{
    DBTextCacheRecord record;
    record.drawComponent = aText.DrawComponent() ? 1 : 0;
    record.priorValueSame = aText.PriorValueSame() ? 1 : 0;
    record.alreadyPrinted = aText.AlreadyPrinted() ? 1 : 0;
    record.resetOnCompute = aText.ResetOnCompute() ? 1 : 0;
    record.firstPage = aText.FirstPage();
    record.printedPage = aText.PrintedPage();
    return record;
}

} // namespace

const classes::TMetaClass &TppDBText::StaticClass()
{
    using C = TppDBText;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomText>("TppDBText", [](classes::TClassBuilder<C> &c) {
            c.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(false);
            c.Boolean("BlankWhenZero", &C::BlankWhenZero, &C::SetBlankWhenZero).Default(false);
            c.Integer("Color", &C::Color, &C::SetColor).Default(0xFFFFFF);
            c.String("DataField", &C::DataField, &C::SetDataField);
            c.String("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat);
            c.Object("Font", &C::Font, &C::SetFont);
            c.Event("OnDrawCommandClick", static_cast<TppDrawCommandEvent C::*>(&C::OnDrawCommandClick),
                    QStringLiteral("TppDrawCommandEvent"));
            c.Event("OnDrawCommandCreate", static_cast<TppDrawCommandEvent C::*>(&C::OnDrawCommandCreate),
                    QStringLiteral("TppDrawCommandEvent"));
            c.Event("OnFormat", &C::OnFormat, QStringLiteral("TppFormatEvent"));
            c.Boolean("ParentDataPipeline", &C::ParentDataPipeline, &C::SetParentDataPipeline).Default(true);
            c.Boolean("ReprintOnSubsequent", &C::ReprintOnSubsequent, &C::SetReprintOnSubsequent).Default(false);
            c.Reference(
                "ResetGroup", [](const C &o) { return dynamic_cast<TppGroup *>(o.ResetGroup()); },
                [](C &o, TppGroup *aGroup) { o.SetResetGroup(aGroup); });
            c.Boolean("SuppressRepeatedValues", &C::SuppressRepeatedValues, &C::SetSuppressRepeatedValues)
                .Default(false);
            c.Enum("TextAlignment", EnumInfo<TppTextAlignment>(), &C::TextAlignment, &C::SetTextAlignment)
                .Default(TppTextAlignment::taLeftJustified);
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
            c.Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
            ppPublishBounds(c);
            ppPublishDataPipeline(c);
        });
    return meta;
}

TppDBText::TppDBText(classes::TComponent *aOwner)
    : TppCustomText(aOwner)
{
    MakeDataAware();
    SetAutoSize(false);
    SetCacheRecordSize(int32_t(sizeof(DBTextCacheRecord)));
    SubscribeEvent(ppEvent::Traversal);
}

void TppDBText::SetBlankWhenZero(bool aValue)
{
    if (aValue == m_blankWhenZero)
        return;
    m_blankWhenZero = aValue;
    InvalidateDesignControl();
    PropertyChange();
}

QString TppDBText::GetTheText() const
{
    auto *self = const_cast<TppDBText *>(this);
    TppDataPipeline *pipeline = DataPipeline();
    if (!self->CheckForPipelineData()) {
        if (ReportPrinting())
            return QString();
        // What the control will show, named in the designer.
        if (DataField().isEmpty())
            return UserName();
        return pipeline ? pipeline->GetFieldAlias(DataField()) : DataField();
    }
    const TppDataType dataType = pipeline->GetFieldDataType(DataField());
    const QString format = OnFormat ? QString() : DisplayFormat();
    const QVariant value = pipeline->GetFieldValue(DataField());
    if (m_blankWhenZero && !value.isNull() && dbTextIsZeroNumber(value))
        return QString();
    const bool isString = value.typeId() == QMetaType::QString;
    if (isString && static_cast<const QString *>(value.constData())->isEmpty())
        return QString();
    if ((dataType == TppDataType::dtDate || dataType == TppDataType::dtDateTime) &&
        (value.isNull() || !value.isValid()))
        return QString();
    // The standard formatter gives a text field without a format as it
    // is; most fields of most reports are such, read at every record.
    QString text = isString && format.isEmpty() && dbTextIsTextType(dataType) &&
                           ppDisplayFormatClass() == &ppDefaultDisplayFormat()
                       ? *static_cast<const QString *>(value.constData())
                       : ppFormatDisplayValue(format, dataType, value);
    if (OnFormat)
        OnFormat(self, DisplayFormat(), dataType, value, text);
    return text;
}

QString TppDBText::GetDescription() const
{
    if (DataField().isEmpty())
        return UserName();
    return UserName() + QStringLiteral(": ") + DataField();
}

int TppDBText::enginePageNo() const
{
    TppCustomBand *band = printingBand();
    TppCustomEngine *engine = band ? band->PageEngine() : nullptr;
    return engine ? engine->PageNo() : 0;
}

void TppDBText::followEngine()
{
    // The engine tells of each traversal through its report.
    if (IppReportContext *report = Report())
        if (TppCommunicator *sender = report->ReportObject())
            sender->AddEventNotify(this);
}

void TppDBText::Init()
{
    TppCustomText::Init();
    m_alreadyPrinted = false;
    m_printedPage = -1;
    m_firstPage = -1;
    m_priorValue.clear();
    m_pagePriorValues.StartRun(*this);
    m_priorValueSame = false;
    followEngine();
}

void TppDBText::Reset()
{
    TppCustomText::Reset();
    m_alreadyPrinted = false;
    m_printedPage = -1;
    m_firstPage = -1;
    m_priorValue.clear();
    m_priorValueSame = false;
}

void TppDBText::UpdateValue()
{
    const std::weak_ptr<char> alive = AliveToken();
    const QString text = GetText();
    if (alive.expired())
        return;
    m_currentText = text;
    if (m_currentText == m_priorValue && !ResetOnCompute()) {
        m_priorValueSame = true;
    } else {
        m_priorValue = m_currentText;
        m_priorValueSame = false;
        m_firstPage = enginePageNo();
    }
    SetResetOnCompute(false);
}

void TppDBText::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppCustomText::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID == ppEvent::Traversal)
        UpdateValue();
    else if (aEventID == ppEvent::AfterGroupBreak && aCommunicator && aCommunicator == ResetGroup())
        Reset();
}

void TppDBText::AfterPlace()
{
    // Printed on an earlier page is not printed on this one: a repeated
    // value that is to be reprinted on each new page would otherwise never
    // be, as the flag stays set while the value does not change.
    const int page = enginePageNo();
    if (m_alreadyPrinted && page > m_printedPage)
        m_alreadyPrinted = false;
    bool draw = true;
    if (m_priorValueSame) {
        TppCustomBand *band = printingBand();
        const bool overflowed = band && band->OverFlow();
        if (!m_suppressRepeatedValues)
            draw = DrawComponent() || !(overflowed && !ReprintOnOverFlow());
        else
            draw = m_reprintOnSubsequent && enginePageNo() > m_firstPage && !m_alreadyPrinted;
    }
    if (draw) {
        m_alreadyPrinted = true;
        m_printedPage = page;
    } else {
        SetSpaceUsed(0);
    }
    // The value just placed is the prior one from now on: the same record
    // placed again, on the page its band overflows to, is a repeat. Placing
    // is no new value, though: a reset's mark waits for the first one, which
    // a calculation shown ahead (in a title or a group's header) has yet to
    // take.
    const bool awaitingFirstValue = ResetOnCompute();
    const auto alive = AliveToken();
    UpdateValue();
    if (!alive.expired())
        SetResetOnCompute(awaitingFirstValue);
}

void TppDBText::SaveToCache(int32_t aPageIndex)
{
    const DBTextCacheRecord record = dbTextRecordOf(*this);
    WriteCacheRecord(aPageIndex, &record);
    SavePriorValue(aPageIndex);
}

void TppDBText::RestoreFromCache(int32_t aPageIndex)
{
    // A record never written leaves the current state.
    DBTextCacheRecord record = dbTextRecordOf(*this);
    ReadCacheRecord(aPageIndex, &record);
    SetDrawComponent(record.drawComponent != 0);
    m_priorValueSame = record.priorValueSame != 0;
    m_alreadyPrinted = record.alreadyPrinted != 0;
    SetResetOnCompute(record.resetOnCompute != 0);
    m_firstPage = record.firstPage;
    m_printedPage = record.printedPage;
    RestorePriorValue(aPageIndex);
    const std::weak_ptr<char> alive = AliveToken();
    const QString text = GetText();
    if (!alive.expired())
        m_currentText = text;
}

} // namespace report
