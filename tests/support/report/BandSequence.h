#pragma once

// Reading generated pages by band: every draw command is named by the user
// name of its object's band; a new instance of a band starts when the band
// changes or when one of its objects comes again; runs of one band print as
// "Name*N", as in "Header Detail*47 Footer".
//
// A report that keeps that reading of every page its engine completes, and
// a printable whose draw command stands where its band put it.

#include "tests/support/report/BandFakes.h"

#include "report/model/data/CacheManager.h"
#include "report/model/reports/CustomReport.h"

#include <QList>
#include <QPair>
#include <QStringList>

#include <memory>

namespace report {
class TppPage;
}

namespace reporttest {

QString BandSequence(const report::TppPage &aPage);

// Each band instance's user name and the top of its first command.
QList<QPair<QString, int32_t>> BandTops(const report::TppPage &aPage);

class BandPrintable : public StandInPrintable
{
public:
    explicit BandPrintable(classes::TComponent *aOwner = nullptr)
        : StandInPrintable(aOwner)
    {}
    void PropertiesToDrawCommand(report::TppDrawCommand *aDrawCommand) override;
};

// Keeps the engine's state page by page in a cache, as a report that
// delivers pages does, so that a request can go back to any page reached.
class RecordingReport : public report::TppCustomReport
{
public:
    RecordingReport();
    ~RecordingReport() override;

    report::TppCacheManager *Cache() const { return m_cache.get(); }

    // A band of the class with one BandPrintable of its full height.
    template <class Band>
    Band *AddBand(int32_t aHeight, const QString &aUserName = QString())
    {
        auto *band = new Band(nullptr);
        addBandObjects(band, aHeight, aUserName);
        return band;
    }

    // Page by page, as completed.
    QStringList Pages;
    QList<QList<QPair<QString, int32_t>>> Tops;
    // The pages the request wanted, as "<AbsolutePageNo>/<AbsolutePageCount>
    // <sequence>", with " final" for a final page.
    QStringList Delivered;

private:
    std::unique_ptr<report::TppCacheManager> m_cache;
    void addBandObjects(report::TppBand *aBand, int32_t aHeight, const QString &aUserName);
};

} // namespace reporttest
