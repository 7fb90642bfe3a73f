#pragma once

// A report on a fake page engine, with bands made for it: each holds one
// object of its full height, so that what the band prints shows on the
// engine's page.

#include "tests/support/report/BandFakes.h"
#include "tests/support/report/EngineFakes.h"

#include "report/model/bands/CustomBand.h"
#include "report/model/pages/Page.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

class BandGeneration : public ::testing::Test
{
protected:
    BandGeneration() { report.PageEngine = &engine; }
    ~BandGeneration() override
    {
        // The bands go before the report they belong to.
        for (auto it = owned.rbegin(); it != owned.rend(); ++it)
            it->reset();
    }

    template <class Band>
    Band *make(int32_t aHeight = 10000)
    {
        auto band = std::make_unique<Band>(nullptr);
        Band *raw = band.get();
        raw->SetReport(&report);
        raw->SetmmHeight(aHeight);
        auto *object = new reporttest::StandInPrintable(nullptr);
        object->SetmmHeight(aHeight);
        object->SetBand(raw);
        raw->InitObjects();
        owned.emplace_back(std::move(band));
        return raw;
    }

    int drawn() const { return engine.Page()->DrawCommandCount(); }

    reporttest::StandInReport report;
    reporttest::FakePageEngine engine;
    std::vector<std::unique_ptr<classes::TComponent>> owned;
};
