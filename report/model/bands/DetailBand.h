#pragma once

// TppDetailBand: the band printed once per record. It has a pipeline of its
// own (else the report's), prints a record over several instances
// (BandsPerRecord), fills columns down or across, may stop after PrintCount
// records per page, and generates through a detail band engine.

#include "report/model/bands/CustomBand.h"

namespace report {

class TppDetailBand : public TppBasicBand
{
    ZVO_CLASS(TppDetailBand)
public:
    explicit TppDetailBand(classes::TComponent *aOwner = nullptr);
    ~TppDetailBand() override;

    QString GetSortKey() const override { return QString::asprintf("%8d", 5); }
    int GetBandKind() const override { return 256; }
    int BandTypeCode() const override { return 4; }
    QString GetDefaultCaption() const override;
    // Prints while the detail kind is due.
    int DefaultPrintCountMode() const override { return 2; }
    std::unique_ptr<TppBandEngine> CreateBandEngine() override;

    int BandsPerRecord() const { return m_bandsPerRecord; }
    // Below 1 counts as 1.
    void SetBandsPerRecord(int aValue);
    // Instances printed of the current record.
    int BandsPerRecordCount() const;
    TppColumnTraversalType ColumnTraversal() const { return m_columnTraversal; }
    // Across the columns a band cannot grow: a dynamic band becomes static.
    void SetColumnTraversal(TppColumnTraversalType aValue);
    // phDynamic is refused while the band fills the columns across.
    void SetPrintHeight(TppPrintHeightType aValue) override;

    // ---- Data ----
    // The band's own pipeline, else the report's.
    TppDataPipeline *GetDataPipeline() const override;
    TppDataPipeline *DataPipeline() const { return m_dataPipeline; }
    // The report's pipeline is not kept as the band's own.
    void SetDataPipeline(TppDataPipeline *aPipeline);
    const QString &DataPipelineName() const { return m_dataPipelineName; }
    void ResolveDataPipelines(const TppDataPipelineList &aList) override;
    void ReplaceDataPipeline(TppDataPipeline *aPipeline, const QString &aName) override;

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void DefineProperties(classes::TFiler &aFiler) override;
    void ReadState(classes::TReader &aReader) override;
    void Convert(int aVersionNo) override;

protected:
    int32_t SaveTail() const override;
    void RestoreTail(int32_t aValue) override;

private:
    void passPipeline(TppDataPipeline *aOld, TppDataPipeline *aNew);

    int m_bandsPerRecord = 1;
    TppColumnTraversalType m_columnTraversal = TppColumnTraversalType::ctTopToBottom;
    TppDataPipeline *m_dataPipeline = nullptr;
    QString m_dataPipelineName;
};

} // namespace report
