#pragma once

// Two records of a main report whose detail holds only a subreport; its
// child lists 60 rows of 5 mm, 55 a page.

#include "TracedReportFixture.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/subreports/SubReport.h"

class ChildRunsFixture : public TracedReportFixture
{
protected:
    ChildRunsFixture()
    {
        rows(2);
        detail = band<report::TppDetailBand>(10000, QStringLiteral("Detail"));
        delete detail->Objects(0);
        subreport = new report::TppSubReport;
        subreport->SetBand(detail);
        subreport->SetBounds(0, 0, 190000, 10000);
        childData.AddField(QStringLiteral("R"));
        for (int i = 0; i < 60; ++i)
            childData.AddRow({QString::number(i)});
        subreport->SetDataPipeline(&childData);
        childRows = bandFor<report::TppDetailBand>(*subreport->Report(), 5000, QStringLiteral("Row"));
    }

    reporttest::MemoryPipeline childData;
    report::TppDetailBand *detail = nullptr;
    report::TppSubReport *subreport = nullptr;
    report::TppDetailBand *childRows = nullptr;
};
