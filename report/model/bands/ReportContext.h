#pragma once

// What bands and their objects ask of the report that holds them: page
// geometry, columns, units, whether it prints, its designer and its band
// list. The custom report implements it; tests use a double.

#include "report/model/base/Types.h"
#include "report/model/base/Units.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace classes {
class TComponent;
}

namespace report {

class IppDesignerSink;
class IppPopupMenu;
class TppBand;
class TppCustomEngine;
class TppCommunicator;
class TppDataPipeline;

class IppReportContext
{
public:
    // The report as a report object (its state flags, its owner).
    virtual TppCommunicator *ReportObject() = 0;
    virtual int32_t mmPrintableWidth() const = 0;
    virtual int32_t mmPrintableHeight() const = 0;
    virtual int Columns() const = 0;
    virtual int32_t mmColumnWidth() const = 0;
    virtual TppUnitType Units() const = 0;
    virtual int LanguageIndex() const = 0;
    // The main report's Printing.
    virtual bool MainReportPrinting() const = 0;
    virtual TppDataPipeline *DataPipeline() const = 0;
    // nullptr for the library's default printer.
    virtual const PrinterResolution *Printer() const = 0;
    // nullptr without a designer.
    virtual IppDesignerSink *Designer() const = 0;
    virtual void AddBand(TppBand *aBand) = 0;
    virtual void RemoveBand(TppBand *aBand) = 0;
    virtual int IndexOfBand(const TppBand *aBand) const = 0;
    // The designer's re-layout after a change of the report's objects.
    virtual void DesignRefresh() = 0;
    virtual void SetModified(bool aModified) = 0;
    // The position of a group in the report's group list, -1 when absent.
    virtual int IndexOfGroup(const classes::TComponent *aGroup) const = 0;

    // ---- Generation (a report without an engine prints nothing) ----
    virtual TppCustomEngine *Engine() const { return nullptr; }
    // The main report's engine makes its page for the first time (the page
    // follows the last one its cache holds).
    virtual bool IsLastCachedPlusOne() const { return false; }
    // The report's print-error handler; the message as the error carries it.
    virtual void HandlePrintError(const QString &aMessage);
    // The data ends after the first record.
    virtual bool AutoStop() const { return false; }
    // The report's groups in order, and joining and leaving that list.
    virtual int GroupCount() const { return 0; }
    virtual classes::TComponent *GroupAt(int) const { return nullptr; }
    virtual void AddGroup(classes::TComponent *) {}
    virtual void RemoveGroup(classes::TComponent *) {}
    // The report's bands, for the lookup of an object by user name.
    virtual int BandCount() const { return 0; }
    virtual TppBand *BandAt(int) const { return nullptr; }
    // The bottom offset templates of old versions kept on the report.
    virtual int32_t mmLegacyBottomOffset() const { return 0; }

    // ---- Designer ----
    // The designer's menu of a class of report objects, built by aBuild the
    // first time that class asks; nullptr without menus.
    virtual IppPopupMenu *PopupMenuOf(const QString &aClassName, bool aForBand,
                                      const std::function<void(IppPopupMenu &)> &aBuild);

protected:
    ~IppReportContext() = default;
};

} // namespace report
