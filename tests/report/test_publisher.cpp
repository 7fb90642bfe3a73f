#include "tests/support/report/PageFakes.h"

#include "report/model/objects/EventIds.h"

#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using namespace report;
using namespace reporttest;
using PS = TppPageSettingType;

namespace {

struct RequestSpec
{
    PS setting;
    int page = 1;
    QStringList list = {};
};

std::unique_ptr<TppPageRequest> request(const RequestSpec &aSpec)
{
    auto r = std::make_unique<TppPageRequest>();
    r->SetPageSetting(aSpec.setting);
    r->SetPageRequested(aSpec.page);
    for (const QString &entry : aSpec.list)
        r->PageList()->Add(entry);
    return r;
}

QStringList listOf(const TppPageRequest &r)
{
    QStringList list = {};
    for (int i = 0; i < r.PageList()->Count(); ++i)
        list.append(r.PageList()->Get(i));
    return list;
}

// A report of pageCount pages with a publisher, its producer and one device.
struct Job
{
    explicit Job(ProducerScript script, bool cache = true)
        : producer(&publisher, std::move(script))
    {
        publisher.SetCachePages(cache);
        device->SetPublisher(&publisher);
    }
    // One round of a device-driven job.
    void run()
    {
        publisher.StartJob();
        publisher.Publish();
        publisher.EndJob();
    }

    StandInCommandClasses registered;
    TppPublisher publisher;
    StandInProducer producer;
    std::unique_ptr<RecordingDevice> device = std::make_unique<RecordingDevice>();
};

ProducerScript pages(int count)
{
    ProducerScript s;
    s.pageCount = count;
    return s;
}

} // namespace

TEST(PageRequests, MergingWidensTheRequestToCoverBoth)
{
    const struct
    {
        RequestSpec self, other;
        PS setting;
        QStringList list;
    } cases[] = {
        {{PS::psSinglePage, 7}, {PS::psSinglePage, 9}, PS::psPageList, {"7", "9"}},
        {{PS::psSinglePage, 7}, {PS::psSinglePage, 7}, PS::psSinglePage, {}},
        {{PS::psFirstPage}, {PS::psSinglePage, 4}, PS::psPageList, {"1", "4"}},
        {{PS::psSinglePage, 3}, {PS::psFirstPage, 8}, PS::psPageList, {"3", "1"}},
        {{PS::psPageList, 1, {"2"}}, {PS::psSinglePage, 5}, PS::psPageList, {"2", "5"}},
        {{PS::psPageList, 1, {"5"}}, {PS::psSinglePage, 5}, PS::psPageList, {"5"}},
        {{PS::psSinglePage, 7}, {PS::psAll}, PS::psAll, {}},
        {{PS::psPageList, 1, {"2"}}, {PS::psPageList, 1, {"3"}}, PS::psAll, {"2"}},
        {{PS::psFirstPage}, {PS::psLastPage}, PS::psAll, {}},
        {{PS::psLastPage}, {PS::psSinglePage, 3}, PS::psAll, {}},
        {{PS::psPageRange}, {PS::psFirstPage}, PS::psAll, {}},
        {{PS::psAll}, {PS::psSinglePage, 2}, PS::psAll, {}},
    };
    int row = 0;
    for (const auto &c : cases) {
        auto merged = request(c.self);
        merged->Merge(*request(c.other));
        EXPECT_EQ(merged->PageSetting(), c.setting) << "row " << row;
        EXPECT_EQ(listOf(*merged), c.list) << "row " << row;
        ++row;
    }
}

TEST(PageRequests, OddPageListsAndPagesPastTheEndCompleteAtTheLastPage)
{
    const struct
    {
        QStringList list;
        int pageCount;
    } lists[] = {
        {{"0"}, 3}, {{"-3"}, 3}, {{"abc"}, 3}, {{"99999999999"}, 3}, {{"2", "2"}, 3}, {{"2", "50"}, 12}, {{}, 2},
    };
    for (const auto &l : lists) {
        auto r = request({PS::psPageList, 1, l.list});
        bool complete = false;
        for (int no = 1; no <= l.pageCount && !complete; ++no) {
            auto page = makePage(no, 0);
            page->SetLastPage(no == l.pageCount);
            complete = r->IsCompletedBy(*page);
        }
        EXPECT_TRUE(complete) << l.list.join(',').toStdString();
    }

    // A single page before the start is page 1, one past the end the last.
    const struct
    {
        int requested, pageCount, completedAt;
    } singles[] = {{0, 1, 1}, {-1, 12, 1}, {50, 12, 12}, {12, 12, 12}, {-1, 0, 0}};
    for (const auto &s : singles) {
        auto r = request({PS::psSinglePage, s.requested});
        int completedAt = 0;
        for (int no = 1; no <= s.pageCount && !completedAt; ++no) {
            auto page = makePage(no, 0);
            page->SetAbsolutePageCount(s.pageCount);
            page->SetLastPage(no == s.pageCount);
            if (r->IsCompletedBy(*page))
                completedAt = no;
        }
        EXPECT_EQ(completedAt, s.completedAt) << s.requested << " of " << s.pageCount;
    }

    // The last page's own number decides, not a count that is not yet known.
    auto beyond = request({PS::psSinglePage, 50});
    auto last = makePage(12, 0);
    last->SetLastPage(true);
    last->SetAbsolutePageCount(0);
    EXPECT_TRUE(beyond->IsRequestedPage(*last));
    EXPECT_TRUE(beyond->IsCompletedBy(*last));
}

TEST(PageRequests, EachSettingAndFilterPicksItsPages)
{
    using PR = TppPageRangeType;
    const struct
    {
        RequestSpec want;
        PR range;
        QList<int> picked;
    } cases[] = {
        {{PS::psAll}, PR::prAll, {1, 2, 3, 4, 5, 6}},
        {{PS::psAll}, PR::prOddPages, {1, 3, 5}},
        {{PS::psPageList, 1, {"2", "5", "x"}}, PR::prAll, {2, 5}},
        {{PS::psPageList, 1, {"2", "5"}}, PR::prEvenPages, {2}},
        {{PS::psSinglePage, 4}, PR::prAll, {4}},
        {{PS::psSinglePage, 9}, PR::prAll, {6}},
        {{PS::psSinglePage, 0}, PR::prAll, {1}},
        {{PS::psFirstPage}, PR::prAll, {1}},
        {{PS::psLastPage}, PR::prAll, {6}},
        {{PS::psLastPage}, PR::prOddPages, {}},
        {{PS::psPageRange}, PR::prAll, {}},
    };
    for (const auto &c : cases) {
        auto r = request(c.want);
        r->SetPageRange(c.range);
        QList<int> picked;
        for (int no = 1; no <= 6; ++no) {
            auto page = makePage(no, 0);
            page->SetAbsolutePageCount(6);
            page->SetFirstPage(no == 1);
            page->SetLastPage(no == 6);
            if (r->IsRequestedPage(*page))
                picked.append(no);
        }
        EXPECT_EQ(picked, c.picked) << int(c.want.setting) << ' ' << int(c.range);
    }

    auto r = request({PS::psPageList, 4, {"3"}});
    r->SetPageRange(PR::prOddPages);
    TppPageRequest copy;
    copy.Assign(r.get());
    r->Reset();
    EXPECT_EQ(listOf(copy), QStringList{"3"});
    EXPECT_EQ(copy.PageSetting(), PS::psPageList);
    EXPECT_EQ(copy.PageRequested(), 4);
    EXPECT_EQ(copy.PageRange(), PR::prOddPages);
    EXPECT_EQ(listOf(*r), QStringList());
    EXPECT_EQ(r->PageSetting(), PS::psAll);
    EXPECT_EQ(r->PageRequested(), 1);
    EXPECT_EQ(r->PageRange(), PR::prAll);
}

TEST(Publisher, APagePastTheEndCompletesAtTheLastPageForDeviceAndPublisher)
{
    Job job(pages(12), false);
    job.device->wantPage(50);
    job.publisher.StartJob();
    job.publisher.Publish();
    EXPECT_TRUE(job.publisher.RequestComplete());
    EXPECT_FALSE(job.device->PageRequestPending());
    EXPECT_EQ(job.producer.PagesMade, 12);
    ASSERT_EQ(job.device->Pages.size(), 12u);
    EXPECT_TRUE(job.device->Pages.back().inRequest);
    EXPECT_FALSE(job.device->Pages[10].inRequest);
}

TEST(Publisher, AFilterMarksOnlyTheEvenPagesAsRequested)
{
    Job job(pages(6));
    job.device->wantAll(TppPageRangeType::prEvenPages);
    job.run();
    QList<int> inRequest;
    for (const ReceivedPage &p : job.device->Pages)
        if (p.inRequest)
            inRequest.append(p.pageNo);
    EXPECT_EQ(job.device->shownPages(), (QList<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(inRequest, (QList<int>{2, 4, 6}));
    EXPECT_EQ(job.device->Calls, (QStringList{"StartJob", "EndJob"}));
}

TEST(Publisher, CalculationAndUnfinishedPagesAreSkippedWhereTheyMustBe)
{
    ProducerScript script = pages(3);
    script.twoPass = true;
    Job job(script);
    auto screen = std::make_unique<ScreenStandInDevice>();
    screen->SetPublisher(&job.publisher);
    job.run();
    for (RecordingDevice *device : {job.device.get(), static_cast<RecordingDevice *>(screen.get())}) {
        ASSERT_EQ(device->Pages.size(), 6u);
        EXPECT_EQ(device->shownPages(), (QList<int>{1, 2, 3}));
    }
    EXPECT_EQ(job.publisher.CachedPageCount(), 3);

    ProducerScript drafts = pages(2);
    drafts.finalPages = false;
    Job draft(drafts);
    auto draftScreen = std::make_unique<ScreenStandInDevice>();
    draftScreen->SetPublisher(&draft.publisher);
    draft.run();
    EXPECT_TRUE(draft.device->shownPages().isEmpty());
    EXPECT_EQ(draftScreen->shownPages(), (QList<int>{1, 2}));
    EXPECT_EQ(draft.publisher.CachedPageCount(), 0);
    EXPECT_TRUE(draft.device->PageRequestPending());
}

TEST(Publisher, ACachedPageIsServedAgainWithoutGenerating)
{
    Job job(pages(5));
    job.device->wantPage(3);
    job.run();
    EXPECT_EQ(job.producer.Generations, 1);
    EXPECT_EQ(job.publisher.CachedPageCount(), 3);

    job.device->wantPage(3);
    job.run();
    EXPECT_EQ(job.producer.Generations, 1);
    EXPECT_EQ(job.device->Pages.back().pageNo, 3);

    // All pages only once the last one is known and every page is there.
    job.device->wantAll();
    job.run();
    EXPECT_EQ(job.producer.Generations, 2);
    job.device->Pages.clear();
    job.device->wantAll();
    job.run();
    EXPECT_EQ(job.producer.Generations, 2);
    EXPECT_EQ(job.device->shownPages(), (QList<int>{1, 2, 3, 4, 5}));

    // A page list is served from the cache as far as it goes.
    job.device->wantPages({"4", "2"});
    job.device->Pages.clear();
    job.run();
    EXPECT_EQ(job.producer.Generations, 2);
    EXPECT_EQ(job.device->shownPages(), (QList<int>{4, 2}));

    job.publisher.Reset();
    EXPECT_EQ(job.publisher.CachedPageCount(), 0);
    job.device->wantPage(1);
    job.run();
    EXPECT_EQ(job.producer.Generations, 3);
}

TEST(Publisher, CachedPagesLearnTheCountsOfLaterPages)
{
    ProducerScript script = pages(5);
    script.countKnown = false;
    script.groupOf = [](int no) { return no <= 2 ? 0 : 1; };
    script.commandsPerPage = 0;
    Job job(script);
    job.producer.BeforeDeliver = [](TppPage &page) {
        if (page.AbsolutePageNo() == 1)
            (new StandInRecalcCommand())->SetPage(&page);
    };
    job.device->wantAll();
    job.run();
    ASSERT_EQ(job.publisher.CachedPageCount(), 5);
    QList<int> counts, pageCounts;
    for (int i = 0; i < job.publisher.CachedPageCount(); ++i) {
        counts.append(job.publisher.CachedPages(i)->AbsolutePageCount());
        pageCounts.append(job.publisher.CachedPages(i)->PageCount());
    }
    EXPECT_EQ(counts, (QList<int>{5, 5, 5, 5, 5}));
    EXPECT_EQ(pageCounts, (QList<int>{2, 2, 3, 3, 3}));
    auto *recalc = static_cast<StandInRecalcCommand *>(job.publisher.GetCachedPage(1)->DrawCommands(0));
    EXPECT_GE(recalc->Recalculations, 1);
    EXPECT_EQ(job.publisher.GetCachedPage(6), nullptr);
}

TEST(Publisher, TheNewestDeviceOfAnExclusiveGroupReceives)
{
    for (bool freeNewerFirst : {true, false}) {
        Job job(pages(2));
        job.device.reset();
        auto older = std::make_unique<ScreenStandInDevice>();
        auto newer = std::make_unique<ScreenStandInDevice>();
        for (ScreenStandInDevice *d : {older.get(), newer.get()}) {
            d->SetExclusive(true);
            d->SetExclusiveGroup("Preview");
            d->SetPublisher(&job.publisher);
        }
        EXPECT_FALSE(job.publisher.CanAddDevice(older.get()));
        EXPECT_TRUE(job.publisher.ScreenDevicesOnly());
        job.run();
        EXPECT_TRUE(older->Pages.empty());
        EXPECT_EQ(newer->shownPages(), (QList<int>{1, 2}));

        if (freeNewerFirst) {
            newer.reset();
            job.run();
            EXPECT_EQ(older->shownPages(), (QList<int>{1, 2}));
            EXPECT_EQ(job.publisher.DeviceCount(), 1);
        } else {
            older.reset();
            EXPECT_EQ(job.publisher.DeviceCount(), 1);
            newer.reset();
            EXPECT_EQ(job.publisher.DeviceCount(), 0);
            job.run();
        }
    }
}

TEST(Publisher, DevicesMayLeaveOrFreeOneAnotherWhilePagesGoOut)
{
    Job job(pages(3));
    auto second = std::make_unique<RecordingDevice>();
    auto third = std::make_unique<RecordingDevice>();
    second->SetPublisher(&job.publisher);
    third->SetPublisher(&job.publisher);
    EXPECT_FALSE(job.publisher.CanAddDevice(second.get()));
    job.publisher.AddDevice(second.get());
    EXPECT_EQ(job.publisher.DeviceCount(), 3);

    // The first frees itself on page 2 and the third on page 1.
    job.device->OnReceived = [&](RecordingDevice &, TppPage &page) {
        if (page.AbsolutePageNo() == 1)
            third.reset();
        if (page.AbsolutePageNo() == 2)
            job.device.reset();
    };
    job.run();
    EXPECT_EQ(job.device, nullptr);
    EXPECT_EQ(third, nullptr);
    EXPECT_EQ(second->shownPages(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(job.publisher.DeviceCount(), 1);

    // One detaches another.
    auto fourth = std::make_unique<RecordingDevice>();
    fourth->SetPublisher(&job.publisher);
    second->OnReceived = [&](RecordingDevice &, TppPage &) { fourth->SetPublisher(nullptr); };
    second->Pages.clear();
    job.publisher.Reset();
    job.run();
    EXPECT_TRUE(fourth->Pages.empty());
    EXPECT_EQ(second->shownPages(), (QList<int>{1, 2, 3}));
}

TEST(Publisher, ADeviceThatEmptiesTheCacheWhileAPageIsServedKeepsThatPage)
{
    Job job(pages(3));
    auto second = std::make_unique<RecordingDevice>();
    second->SetPublisher(&job.publisher);
    job.run();
    job.device->OnReceived = [&](RecordingDevice &, TppPage &) { job.publisher.ResetPages(); };
    job.device->wantPage(2);
    second->wantPage(2);
    job.device->Pages.clear();
    second->Pages.clear();
    job.run();
    EXPECT_EQ(job.producer.Generations, 1);
    EXPECT_EQ(second->shownPages(), QList<int>{2});
    EXPECT_EQ(job.publisher.CachedPageCount(), 0);
}

TEST(Publisher, ADeviceThatRaisesLeavesThePublisherReadyForTheNextRound)
{
    Job job(pages(2));
    job.device->OnPageRequest.Set([](classes::TObject *) { throw std::runtime_error("dialog closed"); });
    job.publisher.StartJob();
    EXPECT_THROW(job.publisher.Publish(), std::runtime_error);
    EXPECT_FALSE(job.publisher.Collecting());
    job.publisher.EndJob();

    job.device->OnPageRequest.Clear();
    job.run();
    job.device->Pages.clear();
    job.device->OnReceived = [](RecordingDevice &, TppPage &) { throw std::runtime_error("disk full"); };
    job.publisher.StartJob();
    EXPECT_THROW(job.publisher.Publish(), std::runtime_error); // served from the cache
    EXPECT_FALSE(job.publisher.ServingFromCache());
    job.publisher.EndJob();

    job.device->OnReceived = nullptr;
    job.device->Pages.clear();
    job.run();
    EXPECT_EQ(job.device->shownPages(), (QList<int>{1, 2}));
}

TEST(Publisher, ARequestWhileCollectingMergesAndOneOutsideAJobReplaces)
{
    Job job(pages(9));
    auto other = std::make_unique<RecordingDevice>();
    other->SetPublisher(&job.publisher);
    job.device->wantPage(7);
    other->wantPage(9);
    job.device->OnPageRequest.Set([&](classes::TObject *) { job.publisher.RequestPage(other->PageRequest()); });
    job.publisher.StartJob();
    job.publisher.Publish();
    EXPECT_EQ(job.publisher.PageRequest()->PageSetting(), PS::psPageList);
    EXPECT_EQ(listOf(*job.publisher.PageRequest()), QStringList());
    EXPECT_TRUE(job.publisher.RequestComplete());
    // Each device receives until its own request is met.
    EXPECT_EQ(job.device->Pages.size(), 7u);
    EXPECT_EQ(other->Pages.size(), 9u);
    job.publisher.EndJob();

    job.publisher.RequestPage(request({PS::psSinglePage, 2}).get());
    EXPECT_EQ(job.publisher.PageRequest()->PageSetting(), PS::psSinglePage);
    EXPECT_FALSE(job.publisher.RequestComplete());
}

TEST(Publisher, SubscribersHearOfRequestsAndOfEachPageWithThePage)
{
    StandInCommandClasses registered;
    TppPublisher publisher;
    RecordingDevice device;
    device.SetPublisher(&publisher);
    TppCommunicator listener(nullptr);
    for (int id : {ppEvent::DevicePageReceived, ppEvent::PublisherPageReceived, ppEvent::PageRequest})
        listener.SubscribeEvent(id);
    publisher.AddEventNotify(&listener);
    device.AddEventNotify(&listener);
    QStringList heard;
    listener.OnEventNotify.Set([&](classes::TObject *, TppCommunicator *sender, int id, TraParamList *params) {
        QString entry = QString::number(id) + (sender == &publisher ? " publisher" : " device");
        if (params) {
            const auto *page = dynamic_cast<TppPage *>(params->ParamValue<classes::TObject *>(0));
            entry += ' ' + params->ParamRec(0).Name + ' ' + QString::number(page ? page->AbsolutePageNo() : -1);
        }
        heard.append(entry);
    });
    publisher.OnPageRequest.Set([&](classes::TObject *sender, classes::TObject *request) {
        heard.append(sender == &publisher && request == publisher.PageRequest() ? "OnPageRequest" : "?");
    });

    publisher.StartJob();
    publisher.Publish();
    auto page = makePage(4, 1);
    publisher.ReceivePage(page.get());
    EXPECT_EQ(heard, (QStringList{"OnPageRequest", "100 publisher", "98 device Page 4", "99 publisher Page 4"}));
}

TEST(Publisher, OnlyActiveDevicesHearTheJobAndOnlyWaitingOnesAreCancelled)
{
    Job job(pages(2));
    auto idle = std::make_unique<RecordingDevice>();
    auto done = std::make_unique<RecordingDevice>();
    idle->SetActive(false);
    idle->SetPublisher(&job.publisher);
    done->SetPublisher(&job.publisher);
    job.publisher.StartJob();
    done->SetPageRequestPending(false);
    job.publisher.Publish();
    job.publisher.CancelJob();
    job.publisher.ResetDevices();
    job.publisher.EndJob();
    EXPECT_TRUE(idle->Calls.isEmpty());
    EXPECT_TRUE(idle->Pages.empty());
    EXPECT_TRUE(done->Pages.empty());
    EXPECT_EQ(done->Calls, (QStringList{"StartJob", "Reset", "EndJob"}));
    EXPECT_EQ(job.device->shownPages(), (QList<int>{1, 2}));
    EXPECT_EQ(job.device->Calls, (QStringList{"StartJob", "Reset", "EndJob"}));

    // A device still waiting is cancelled.
    job.device->Calls.clear();
    job.device->wantPage(5);
    job.publisher.StartJob();
    job.publisher.CancelJob();
    EXPECT_EQ(job.device->Calls, (QStringList{"StartJob", "CancelJob"}));
    EXPECT_TRUE(job.device->Cancelled());
}

TEST(Publisher, StatusAndScreenOnlyAskTheAttachedDevices)
{
    TppPublisher publisher;
    EXPECT_TRUE(publisher.ScreenDevicesOnly());
    EXPECT_EQ(publisher.GetStatus(), "");
    ScreenStandInDevice screen;
    PrinterStandInDevice printer;
    screen.SetPublisher(&publisher);
    EXPECT_TRUE(publisher.ScreenDevicesOnly());
    printer.SetPublisher(&publisher);
    EXPECT_FALSE(publisher.ScreenDevicesOnly());
    printer.SetStatus("Printing page 2");
    EXPECT_EQ(publisher.GetStatus(), "Printing page 2");
    publisher.SetStatus("Done");
    EXPECT_EQ(screen.Status(), "Done");
    EXPECT_EQ(printer.Status(), "Done");
}

TEST(Publisher, AFreedPublisherLeavesItsDevicesDetached)
{
    auto publisher = std::make_unique<TppPublisher>();
    RecordingDevice device;
    int changes = 0;
    device.OnPublisherChange.Set([&](classes::TObject *) { ++changes; });
    device.SetPublisher(publisher.get());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(publisher->DeviceCount(), 1);
    publisher.reset();
    EXPECT_EQ(device.Publisher(), nullptr);
    EXPECT_EQ(changes, 2);
    device.RequestPages(); // nothing to ask
    EXPECT_TRUE(device.Calls.isEmpty());
}

TEST(Publisher, ADeviceCannotRejoinAPublisherThatIsBeingFreed)
{
    auto publisher = std::make_unique<TppPublisher>();
    TppPublisher *going = publisher.get();
    auto device = std::make_unique<RecordingDevice>();
    // Whoever hears that the device lost its publisher puts it back.
    device->OnPublisherChange.Set([&device, going](classes::TObject *) {
        if (!device->Publisher())
            device->SetPublisher(going);
    });
    device->SetPublisher(going);
    publisher.reset();
    EXPECT_EQ(device->Publisher(), nullptr);
    // Freeing the device tells no freed publisher that it leaves.
    device.reset();
}

TEST(Devices, ADeviceDrivenJobEndsOnceItsPagesHaveCome)
{
    Job job(pages(3));
    job.device->wantPage(2);
    job.device->RequestPages();
    EXPECT_EQ(job.device->Calls, (QStringList{"StartJob", "EndJob"}));
    EXPECT_EQ(job.device->shownPages(), (QList<int>{1, 2}));
    EXPECT_TRUE(job.device->PageRequestPending());

    // Pages that may still change leave a printer waiting, its job open.
    ProducerScript drafts = pages(2);
    drafts.finalPages = false;
    Job draft(drafts);
    draft.device->RequestPages();
    EXPECT_EQ(draft.device->Calls, QStringList{"StartJob"});
    EXPECT_TRUE(draft.device->Busy());

    // A device that goes while its own pages come.
    job.device->OnReceived = [&](RecordingDevice &, TppPage &) { job.device.reset(); };
    job.device->wantPage(3);
    job.device->RequestPages();
    EXPECT_EQ(job.device, nullptr);
    EXPECT_EQ(job.publisher.DeviceCount(), 0);
}

TEST(Devices, ADeviceFreedByItsOwnPageHandlerIsToldNothingMore)
{
    Job job(pages(3));
    auto second = std::make_unique<RecordingDevice>();
    second->SetPublisher(&job.publisher);
    job.device->OnPageReceive.Set([&](classes::TObject *, classes::TObject *page) {
        if (static_cast<TppPage *>(page)->AbsolutePageNo() == 2)
            job.device.reset();
    });
    job.run();
    EXPECT_EQ(job.device, nullptr);
    EXPECT_EQ(second->shownPages(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(job.publisher.DeviceCount(), 1);
}

TEST(Publisher, EachKindOfRequestIsServedFromTheCacheWhereItCanBe)
{
    const struct
    {
        RequestSpec want;
        bool generates;
        QList<int> shown;
    } cases[] = {
        {{PS::psFirstPage}, false, {1}},
        {{PS::psLastPage}, false, {4}},
        {{PS::psSinglePage, 9}, false, {4}},
        {{PS::psSinglePage, -2}, false, {1}},
        {{PS::psPageList, 1, {"3", "1"}}, false, {3, 1}},
        // The last page passes, so no page past it can still come.
        {{PS::psPageList, 1, {"15", "4"}}, false, {4}},
        {{PS::psPageList, 1, {"2", "abc"}}, true, {2, 1, 2, 3, 4}},
        {{PS::psPageRange}, true, {1, 2, 3, 4}},
    };
    for (const auto &c : cases) {
        Job job(pages(4));
        job.device->wantAll();
        job.run();
        job.device->Pages.clear();
        job.device->SetPageRequest(request(c.want).get());
        job.run();
        const QString row = QString::number(int(c.want.setting)) + ' ' + c.want.list.join(',');
        EXPECT_EQ(job.producer.Generations, c.generates ? 2 : 1) << row.toStdString();
        EXPECT_EQ(job.device->shownPages(), c.shown) << row.toStdString();
    }

    Job uncached(pages(2), false);
    uncached.run();
    EXPECT_EQ(uncached.publisher.CachedPageCount(), 0);
    uncached.run();
    EXPECT_EQ(uncached.producer.Generations, 2);
}
