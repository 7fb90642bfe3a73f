#pragma once

// A report on A4 with 10 mm margins over a memory pipeline with one field
// "G", printed to the Trace device; bands hold one object of their height.

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"
#include "tests/support/report/TraceDevice.h"

#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/reports/Report.h"

#include "platform/classes/ClassRegistry.h"

#include <gtest/gtest.h>

class TracedReportFixture : public ::testing::Test
{
protected:
    TracedReportFixture()
    {
        reporttest::SetA4Portrait(*report.PrinterSetup());
        data.AddField(QStringLiteral("G"));
        report.SetPageLimit(20);
        // Every page carries the outline, which a page finds by its class
        // name. The bands' own commands stay unregistered, as a program's
        // are: cached pages copy them all the same.
        m_outlineClass = !classes::GetClass(report::TppOutlineDrawCommand::StaticClass().ClassName());
        if (m_outlineClass)
            classes::RegisterClass(report::TppOutlineDrawCommand::StaticClass());
    }
    ~TracedReportFixture() override
    {
        if (m_outlineClass)
            classes::UnRegisterClass(report::TppOutlineDrawCommand::StaticClass());
    }

    template <class Band>
    Band *band(int32_t aHeight, const QString &aName)
    {
        return bandFor<Band>(report, aHeight, aName);
    }

    // A band of aReport (the main report or a child) with one object of its
    // height.
    template <class Band>
    static Band *bandFor(report::TppCustomReport &aReport, int32_t aHeight, const QString &aName)
    {
        auto *b = new Band(nullptr);
        b->SetReport(&aReport);
        b->SetmmHeight(aHeight);
        b->SetUserName(aName);
        auto *object = new reporttest::BandPrintable;
        object->SetmmHeight(aHeight);
        object->SetBand(b);
        return b;
    }

    // Records numbered from 0.
    void rows(int aCount)
    {
        for (int i = 0; i < aCount; ++i)
            data.AddRow({QString::number(i)});
        report.SetDataPipeline(&data);
    }

    // The Trace device's lines; the bands of every page delivered go to tops.
    QString print(const report::TppPageRequest *aRequest = nullptr)
    {
        reporttest::TraceDevice device;
        if (aRequest)
            device.SetPageRequest(aRequest);
        device.OnPageReceive.Set([this](classes::TObject *, classes::TObject *aPage) {
            auto *page = static_cast<report::TppPage *>(aPage);
            if (!page->Calculation())
                tops.append(reporttest::BandTops(*page));
        });
        device.SetPublisher(report.Publisher());
        report.PrintToDevices();
        device.SetPublisher(nullptr);
        return device.Text();
    }

    bool m_outlineClass = false;
    reporttest::MemoryPipeline data;
    report::TppReport report;
    QList<QList<QPair<QString, int32_t>>> tops;
};
