#pragma once

// A page engine for band tests: it answers from fields the test sets (page
// bottom, due kinds, last page, data exhausted...) and records every
// operation a band or band engine calls on it, as "Traverse",
// "AfterTraversal", "EndData", "GroupStart <user name>", "RewindPage",
// "ResetBand <user name>", "GeneratePage", "Reset", "DisconnectPipelines".

#include "report/model/engine/CustomEngine.h"

#include <QStringList>

#include <functional>

namespace reporttest {

class FakePageEngine : public report::TppCustomEngine
{
    ZVO_CLASS(FakePageEngine)
public:
    explicit FakePageEngine(classes::TComponent *aOwner = nullptr);
    ~FakePageEngine() override;

    // A fresh page: its number, the print area at the top margin (10 mm,
    // 190 mm wide), nothing printed on it yet.
    void StartPage(int aPageNo);
    int CallCount(const QString &aCall) const { return int(Calls.count(aCall)); }

    bool PageWanted() const override { return Wanted; }
    bool IsLastPage() const override { return LastPage; }
    bool PageFull() const override { return Full; }
    int32_t GetPageBottom() const override { return PageBottom; }
    int32_t GetPageAreaBottom() const override { return PageAreaBottom; }
    int32_t GetColumnBottom() const override { return ColumnBottom; }
    bool DataExhausted() const override { return Exhausted; }
    void Traverse() override;
    void AfterTraversal() override;
    void EndData() override;
    void GroupStart(report::TppGroup *aGroup) override;
    report::TppGroup *KeepTogetherGroup() const override { return KeepGroup; }
    void RewindPage() override;
    void ResetBand(report::TppBand *aBand) override;
    void ProcessMessages() override { ++MessageRuns; }
    bool IsLastCachedPlusOne() override { return FirstTimeOnPage; }
    void SetPageCount(int aCount) override { AssignPageCount(aCount); }
    void GeneratePage(const report::TppPageRequest &) override { Calls.append(QStringLiteral("GeneratePage")); }
    void Reset() override { Calls.append(QStringLiteral("Reset")); }
    void DisconnectPipelines() override { Calls.append(QStringLiteral("DisconnectPipelines")); }

    static constexpr int32_t TopMargin = 10000;
    static constexpr int32_t LeftMargin = 10000;
    static constexpr int32_t Width = 190000;

    bool Wanted = true;
    bool LastPage = false;
    bool Full = false;
    bool Exhausted = false;
    // The page is made for the first time (not again from the cache).
    bool FirstTimeOnPage = true;
    int32_t PageBottom = 270000;
    int32_t PageAreaBottom = 287000;
    int32_t ColumnBottom = 250000;
    report::TppGroup *KeepGroup = nullptr;
    // Run by Traverse (to move a pipeline on, end the data...).
    std::function<void()> OnTraverse;
    QStringList Calls;
    int MessageRuns = 0;
};

} // namespace reporttest
