#pragma once

// TppReport: the report a program creates and prints. It keeps the engine's
// page states in a cache manager, hands every page the engine completes to
// the publisher, generates on the publisher's requests, keeps copies of
// final pages when asked to, and reads the properties of older stored
// reports.

#include "report/model/reports/BandedReport.h"

#include <memory>

namespace report {

class TppCacheManager;

class TppReport : public TppBandedReport
{
    ZVO_CLASS(TppReport)
public:
    explicit TppReport(classes::TComponent *aOwner = nullptr);
    ~TppReport() override;

    TppCacheManager *CacheManager() const { return m_cacheManager.get(); }
    bool CachePages() const { return m_cachePages; }
    // Ignored during generation; a change discards the pages made so far.
    void SetCachePages(bool aValue);

    void PrintToDevices() override;
    void PublisherPageRequest(classes::TObject *Sender, classes::TObject *aPageRequest) override;
    void Cancel() override;
    void ReceivePageFromEngine() override;
    void InitializePipelines() override;
    void Convert(int32_t aVersionNo) override;
    void DefineProperties(classes::TFiler &aFiler) override;
    void TransferRelatives(const TppProducer &aSource) override;

    // The report whose run this one takes part in: itself for a main report.
    TppCustomReport *GetMainReport() { return this; }
    // The report's place in a tree of subreports; a main report adds nothing.
    void GetTreeKey(QString &aKey) const;
    // Generation starts over from page aPageNo, keeping the states before it.
    void ResetFromPage(int aPageNo);
    // 0: every engine of the tree is reset; 1 and 2 set and clear the
    // subreports' ExpandAll (a report without subreports has none).
    void ResetEngines(int aAction);
    QString GetStatus() const;
    void SetStatus(const QString &aText);

    // Read from older stored reports.
    const QString &LegacyDataSource() const { return m_legacyDataSource; }
    float LegacyRowSpacing() const { return m_legacyRowSpacing; }
    uint8_t LegacyOrientation() const { return m_legacyOrientation; }
    const QString &LegacyOnPrintingComplete() const { return m_legacyOnPrintingComplete; }

private:
    void connectEngineHooks();

    std::unique_ptr<TppCacheManager> m_cacheManager;
    bool m_cachePages = false;
    QString m_legacyDataSource;
    float m_legacyRowSpacing = 0;
    uint8_t m_legacyOrientation = 0;
    QString m_legacyOnPrintingComplete;
};

// The report a subreport owns: pages, status, state and modification go to
// the report that holds the subreport.
class TppChildReport : public TppBandedReport
{
    ZVO_CLASS(TppChildReport)
public:
    explicit TppChildReport(classes::TComponent *aOwner = nullptr);

    // A child report stands alone until subreports place it in a tree.
    TppCustomReport *GetMainReport() { return nullptr; }
    void GetTreeKey(QString &) const {}
    void Reset() override;
    void SetModified(bool aModified) override;
    void TransferRelatives(const TppProducer &aSource) override;
    QString GetStatus() const { return QString(); }
    void SetStatus(const QString &) {}

private:
    bool m_drillDown = false;
};

} // namespace report
