#pragma once

// TppBandedReport: a custom report with typed access to its bands, which
// makes sure a report has its standard bands before a print job starts.

#include "report/model/reports/CustomReport.h"

namespace report {

class TppColumnFooterBand;
class TppColumnHeaderBand;
class TppDetailBand;
class TppFooterBand;
class TppGroupFooterBand;
class TppGroupHeaderBand;
class TppHeaderBand;
class TppSummaryBand;
class TppTitleBand;

class TppBandedReport : public TppCustomReport
{
    ZVO_CLASS(TppBandedReport)
public:
    explicit TppBandedReport(classes::TComponent *aOwner = nullptr);

    TppHeaderBand *GetHeaderBand() const;
    TppTitleBand *GetTitleBand() const;
    TppColumnHeaderBand *GetColumnHeaderBand() const;
    // Creates the detail band when the report has none.
    TppDetailBand *GetDetailBand();
    TppSummaryBand *GetSummaryBand() const;
    TppColumnFooterBand *GetColumnFooterBand() const;
    TppFooterBand *GetFooterBand() const;
    TppGroupHeaderBand *GetGroupHeaderBand(int aIndex) const;
    TppGroupFooterBand *GetGroupFooterBand(int aIndex) const;

    // A band of the kind (for group bands, of group aGroupIndex); nullptr
    // when the report already has one.
    TppBand *CreateBand(int aKind, int aGroupIndex = 0);
    // The default bands of a band-less report, then a missing detail band
    // and the missing header and footer of every group.
    void CreateDefaultBands() override;
    void StartJob() override;
};

} // namespace report
