#pragma once

// Stand-ins around bands: a report that answers what bands ask of it, a
// designer that records the messages it is told, a minimal printable that
// prints at its design height, and objects that answer as a saved text, a
// variable or a stretching memo do.

#include "report/model/bands/Band.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/data/CacheManager.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

namespace reporttest {

// aRoot written as a component stream in text form.
QByteArray componentStreamText(classes::TComponent *aRoot);

// Records designer messages as "send 1131" / "post 1132".
class RecordingDesigner : public report::IppDesignerSink
{
public:
    void SendDesignerMessage(int aMsg, uint16_t aWParam, classes::TObject *aLParam) override;
    void PostDesignerMessage(int aMsg, uint16_t aWParam, classes::TObject *aLParam) override;
    bool has(const QString &aMessage) const { return Messages.contains(aMessage); }

    QStringList Messages;
    QList<classes::TObject *> Objects;
};

// A report of one page definition: printable 190 x 260 mm, one column.
class StandInReport
    : public report::TppCommunicator
    , public report::IppReportContext
    , public report::IppCacheReport
{
public:
    StandInReport();
    ~StandInReport() override;

    report::TppCommunicator *ReportObject() override { return this; }
    int32_t mmPrintableWidth() const override { return PrintableWidth; }
    int32_t mmPrintableHeight() const override { return PrintableHeight; }
    int Columns() const override { return ColumnCount; }
    int32_t mmColumnWidth() const override { return ColumnWidth; }
    report::TppUnitType Units() const override { return UnitType; }
    int LanguageIndex() const override { return 0; }
    bool MainReportPrinting() const override { return Printing; }
    report::TppDataPipeline *DataPipeline() const override { return Pipeline; }
    const report::PrinterResolution *Printer() const override { return nullptr; }
    report::IppDesignerSink *Designer() const override { return DesignerSink; }
    void AddBand(report::TppBand *aBand) override;
    void RemoveBand(report::TppBand *aBand) override;
    int IndexOfBand(const report::TppBand *aBand) const override;
    void DesignRefresh() override { ++Refreshes; }
    void SetModified(bool aModified) override { Modified = aModified; }
    int IndexOfGroup(const classes::TComponent *aGroup) const override;
    report::TppCustomEngine *Engine() const override { return PageEngine; }
    bool IsLastCachedPlusOne() const override;
    // Records the message, then raises it as the report's handler does.
    void HandlePrintError(const QString &aMessage) override;
    bool AutoStop() const override { return Stop; }
    int GroupCount() const override { return int(Groups.size()); }
    classes::TComponent *GroupAt(int aIndex) const override;
    void AddGroup(classes::TComponent *aGroup) override;
    void RemoveGroup(classes::TComponent *aGroup) override;
    int BandCount() const override { return int(Bands.size()); }
    report::TppBand *BandAt(int aIndex) const override;
    int32_t mmLegacyBottomOffset() const override { return LegacyBottomOffset; }
    // The cacheables are the bands, the groups and those listed.
    void EnumerateCacheables(const std::function<void(report::TppCacheable *)> &aProc) override;
    bool IsGenerating() const override { return PageEngine != nullptr; }
    void StopGenerating() override {}
    report::IppPopupMenu *PopupMenuOf(const QString &aClassName, bool aForBand,
                                      const std::function<void(report::IppPopupMenu &)> &aBuild) override
    {
        return PopupMenus.MenuOf(aClassName, aForBand, aBuild);
    }

    int32_t PrintableWidth = 190000;
    int32_t PrintableHeight = 260000;
    int ColumnCount = 1;
    int32_t ColumnWidth = 0;
    report::TppUnitType UnitType = report::TppUnitType::utMMThousandths;
    bool Printing = false;
    report::TppDataPipeline *Pipeline = nullptr;
    report::IppDesignerSink *DesignerSink = nullptr;
    std::vector<report::TppBand *> Bands;
    std::vector<classes::TComponent *> Groups;
    int Refreshes = 0;
    bool Modified = false;
    report::TppCustomEngine *PageEngine = nullptr;
    bool Stop = false;
    QStringList PrintErrors;
    int32_t LegacyBottomOffset = 0;
    std::vector<report::TppCacheable *> Cacheables;
    report::TppPopupMenuCache PopupMenus;
};

// A component that prints its design height at once and completes.
class StandInPrintable : public report::TppComponent
{
    ZVO_CLASS(StandInPrintable)
public:
    explicit StandInPrintable(classes::TComponent *aOwner = nullptr);
    void Generate() override;
};

// Answers as a text with Save, a variable or a stretching memo would; the
// stored order is what a stream gave it.
class StandInListed : public report::TppComponent
{
    ZVO_CLASS(StandInListed)
public:
    explicit StandInListed(classes::TComponent *aOwner = nullptr)
        : TppComponent(aOwner)
    {}
    bool JoinsSaveList() const override { return SavedText; }
    int StoredSaveOrder() const override { return Order; }
    void SetSaveOrder(int aOrder) override { Order = aOrder; }
    bool JoinsCalcList() const override { return Variable; }
    int StoredCalcOrder() const override { return Order; }
    void SetCalcOrder(int aOrder) override { Order = aOrder; }
    bool StretchesBand() const override { return Stretches; }

    bool SavedText = false;
    bool Variable = false;
    bool Stretches = false;
    int Order = -1;
};

// A region: a component that holds components of its own, in z-order
// (first = back); its rectangle is its own bounds.
class StandInRegion : public report::TppComponent
{
    ZVO_CLASS(StandInRegion)
public:
    explicit StandInRegion(classes::TComponent *aOwner = nullptr)
        : TppComponent(aOwner)
    {}
    bool IsRegion() const override { return true; }
    void RegionAddChild(report::TppComponent *aChild) override;
    void RegionRemoveChild(report::TppComponent *aChild) override;
    int RegionIndexOf(const report::TppComponent *aChild) const override;
    void RegionMoveChild(report::TppComponent *aChild, bool aToFront) override;

    std::vector<report::TppComponent *> Children;
};

// A band of a kind: its code and, for a group band, its group.
class StandInBand : public report::TppBand
{
    ZVO_CLASS(StandInBand)
public:
    explicit StandInBand(classes::TComponent *aOwner = nullptr)
        : TppBand(aOwner)
    {}
    int BandTypeCode() const override { return Code; }
    classes::TComponent *BandGroup() const override { return Group; }

    int Code = 4;
    classes::TComponent *Group = nullptr;
};

} // namespace reporttest
