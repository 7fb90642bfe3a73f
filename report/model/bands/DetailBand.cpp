#include "report/model/bands/DetailBand.h"

#include "report/model/bands/ReportContext.h"
#include "report/model/base/Messages.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/data/PipelineList.h"
#include "report/model/engine/BandEngine.h"
#include "report/model/engine/HorizontalBandEngine.h"
#include "report/model/objects/EventIds.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"

namespace report {

const classes::TMetaClass &TppDetailBand::StaticClass()
{
    using B = TppDetailBand;
    static const classes::TMetaClass meta = classes::MakeClass<B, TppBasicBand>("TppDetailBand", [](auto &c) {
        c.Integer("BandsPerRecord", &B::BandsPerRecord, &B::SetBandsPerRecord).Default(1);
        c.Single("BottomOffset", &B::BottomOffset, &B::SetBottomOffset).StoredConst = false;
        c.Enum("ColumnTraversal", EnumInfo<TppColumnTraversalType>(), &B::ColumnTraversal, &B::SetColumnTraversal)
            .Default(TppColumnTraversalType::ctTopToBottom);
        c.Integer("PrintCount", &B::PrintCount, &B::SetPrintCount).Default(0);
        c.Enum("PrintHeight", EnumInfo<TppPrintHeightType>(), &B::PrintHeight, &B::SetPrintHeight)
            .Default(TppPrintHeightType::phStatic);
        c.Single("PrintPosition", &B::PrintPosition, &B::SetPrintPosition).StoredConst = false;
    });
    return meta;
}

TppDetailBand::TppDetailBand(classes::TComponent *aOwner)
    : TppBasicBand(aOwner)
{
    SetUserName(QStringLiteral("Detail"));
    SetCaptionIndex(189);
    SetCacheRecordSize(24);
}

TppDetailBand::~TppDetailBand()
{
    BeforeDestruction();
    if (m_dataPipeline)
        RemoveNotify(m_dataPipeline);
}

QString TppDetailBand::GetDefaultCaption() const
{
    return ppLoadStr(189);
}

std::unique_ptr<TppBandEngine> TppDetailBand::CreateBandEngine()
{
    // In a report of one column the band fills the page downwards whatever
    // its traversal.
    if (m_columnTraversal == TppColumnTraversalType::ctLeftToRight && Report() && Report()->Columns() >= 2)
        return std::make_unique<TppHorizontalBandEngine>(nullptr);
    return std::make_unique<TppVerticalBandEngine>(nullptr);
}

void TppDetailBand::SetBandsPerRecord(int aValue)
{
    m_bandsPerRecord = aValue < 1 ? 1 : aValue;
    if (HasState(classes::csReading))
        return;
    PropertyChange();
    ReportRefresh();
}

int TppDetailBand::BandsPerRecordCount() const
{
    const auto *engine = dynamic_cast<const TppDetailBandEngine *>(BandEngine());
    return engine ? engine->RecordsInBand() : 1;
}

void TppDetailBand::SetColumnTraversal(TppColumnTraversalType aValue)
{
    m_columnTraversal = aValue;
    if (aValue == TppColumnTraversalType::ctLeftToRight && PrintHeight() == TppPrintHeightType::phDynamic)
        TppBasicBand::SetPrintHeight(TppPrintHeightType::phStatic);
    if (HasState(classes::csReading))
        return;
    PropertyChange();
    ReportRefresh();
}

void TppDetailBand::SetPrintHeight(TppPrintHeightType aValue)
{
    if (aValue == TppPrintHeightType::phDynamic && m_columnTraversal == TppColumnTraversalType::ctLeftToRight)
        return;
    TppBasicBand::SetPrintHeight(aValue);
}

// ---- Data ---------------------------------------------------------------------------------

TppDataPipeline *TppDetailBand::GetDataPipeline() const
{
    return m_dataPipeline ? m_dataPipeline : TppBasicBand::GetDataPipeline();
}

void TppDetailBand::SetDataPipeline(TppDataPipeline *aPipeline)
{
    TppDataPipeline *reportPipeline = Report() ? Report()->DataPipeline() : nullptr;
    TppDataPipeline *pipeline = aPipeline == reportPipeline ? nullptr : aPipeline;
    if (pipeline == m_dataPipeline)
        return;
    TppDataPipeline *old = GetDataPipeline();
    if (m_dataPipeline)
        RemoveNotify(m_dataPipeline);
    m_dataPipeline = pipeline;
    m_dataPipelineName = pipeline ? pipeline->Name() : QString();
    if (m_dataPipeline)
        AddNotify(m_dataPipeline);
    Notify(this, ppNotify::DataChange);
    passPipeline(old, GetDataPipeline());
}

void TppDetailBand::passPipeline(TppDataPipeline *aOld, TppDataPipeline *aNew)
{
    for (int i = 0; i < ObjectCount(); ++i) {
        TppComponent *object = Objects(i);
        if (!object->IsDataAware() || !object->ParentDataPipeline())
            continue;
        if (object->DataPipeline() == aOld && aOld)
            object->SetDataPipeline(aNew);
        else if (!object->DataPipeline() && aNew &&
                 (object->DataField().isEmpty() || aNew->GetFieldForName(object->DataField())))
            object->SetDataPipeline(aNew);
    }
}

void TppDetailBand::ResolveDataPipelines(const TppDataPipelineList &aList)
{
    if (!m_dataPipeline && !m_dataPipelineName.isEmpty())
        if (TppDataPipeline *pipeline = aList.GetPipelineByName(m_dataPipelineName))
            SetDataPipeline(pipeline);
    TppBasicBand::ResolveDataPipelines(aList);
}

void TppDetailBand::ReplaceDataPipeline(TppDataPipeline *aPipeline, const QString &aName)
{
    if (m_dataPipeline && m_dataPipeline->UserName() == aName)
        SetDataPipeline(aPipeline);
    TppBasicBand::ReplaceDataPipeline(aPipeline, aName);
}

void TppDetailBand::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppBasicBand::Notify(aCommunicator, aOperation);
    if (aOperation == ppNotify::Remove && aCommunicator && aCommunicator == m_dataPipeline) {
        m_dataPipeline = nullptr;
        m_dataPipelineName.clear();
    }
}

void TppDetailBand::DefineProperties(classes::TFiler &aFiler)
{
    TppBasicBand::DefineProperties(aFiler);
    // A pipeline without a name cannot be referred to: the text form has no
    // empty identifier, and a load could not find it by name either.
    // Read ahead by ReadState, where a name qualified by its module loses
    // the qualifier, as a data text's does.
    aFiler.DefineProperty(
        QStringLiteral("DataPipeline"), [](classes::TReader &r) { r.SkipValue(); },
        [this](classes::TWriter &w) { w.WriteIdent(m_dataPipeline->Name()); },
        m_dataPipeline != nullptr && !m_dataPipeline->Name().isEmpty());
    const auto ignored = [](classes::TReader &r) { r.SkipValue(); };
    for (const char *name : {"DataSource", "NoRecordsAction", "SkipWhenNoRecords"})
        aFiler.DefineProperty(QString::fromLatin1(name), ignored, nullptr, false);
}

void TppDetailBand::ReadState(classes::TReader &aReader)
{
    const QString name = TppHReaderUtils::ReadIdentProperty(aReader, QStringLiteral("DataPipeline"));
    if (!name.isEmpty())
        m_dataPipelineName = name;
    TppBasicBand::ReadState(aReader);
}

void TppDetailBand::Convert(int aVersionNo)
{
    TppBasicBand::Convert(aVersionNo);
    if (aVersionNo < 3000 && Report() && Report()->mmLegacyBottomOffset() > 0)
        SetmmBottomOffset(Report()->mmLegacyBottomOffset());
}

int32_t TppDetailBand::SaveTail() const
{
    return BandsPerRecordCount();
}

void TppDetailBand::RestoreTail(int32_t aValue)
{
    if (auto *engine = dynamic_cast<TppDetailBandEngine *>(BandEngine()))
        engine->SetRecordsInBand(aValue < 1 ? 1 : aValue);
}

} // namespace report
