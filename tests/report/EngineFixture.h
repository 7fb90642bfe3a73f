#pragma once

// A report on the page-generation engine over a memory pipeline with one
// field "G", its pages read band by band.

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/engine/Engine.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"

#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

namespace enginetest {

using namespace report;
using namespace reporttest;

// A4 with 10 mm margins; page header and footer of 20 mm, details of 5 mm:
// the body runs from 30 mm to 267 mm.
class EngineFixture : public ::testing::Test
{
protected:
    EngineFixture()
    {
        SetA4Portrait(*report.PrinterSetup());
        data.AddField(QStringLiteral("G"));
        report.SetPageLimit(20);
        report.AddBand<TppHeaderBand>(20000);
        report.AddBand<TppFooterBand>(20000);
        detail = report.AddBand<TppDetailBand>(5000);
    }

    void rows(int aCount, const QString &aValue = QStringLiteral("A"))
    {
        for (int i = 0; i < aCount; ++i)
            data.AddRow({aValue});
        report.SetDataPipeline(&data);
    }

    TppGroup *group(const QString &aField, int32_t aHeight = 10000)
    {
        auto *g = new TppGroup;
        g->SetReport(&report);
        g->SetDataPipeline(&data);
        g->SetBreakName(aField);
        report.AddBand<TppGroupHeaderBand>(aHeight, QStringLiteral("GH"))->SetGroup(g);
        report.AddBand<TppGroupFooterBand>(aHeight, QStringLiteral("GF"))->SetGroup(g);
        return g;
    }

    void generate(TppPageSettingType aSetting = TppPageSettingType::psAll, int aPage = 1, const QStringList &aList = {})
    {
        TppPageRequest request;
        request.SetPageSetting(aSetting);
        request.SetPageRequested(aPage);
        if (!aList.isEmpty()) {
            classes::TStringList list;
            for (const QString &entry : aList)
                list.Add(entry);
            request.SetPageList(&list);
        }
        static_cast<TppEngine *>(report.Engine())->GeneratePage(request);
    }

    TppEngine *engine() { return static_cast<TppEngine *>(report.Engine()); }

    MemoryPipeline data;
    RecordingReport report;
    TppDetailBand *detail = nullptr;
};

} // namespace enginetest
