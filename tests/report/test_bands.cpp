#include "tests/support/report/BandFakes.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/PageFakes.h"

#include "ModelObjects.h"

#include "report/model/printing/PageDef.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace report;
using namespace reporttest;

namespace {

// A text that is saved from the start, so that it joins the save list
// as soon as it joins the band.
class SavedByDefault : public StandInListed
{
    ZVO_CLASS(SavedByDefault)
public:
    explicit SavedByDefault(classes::TComponent *aOwner = nullptr)
        : StandInListed(aOwner)
    {
        SavedText = true;
    }
};

const classes::TMetaClass &SavedByDefault::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<SavedByDefault, StandInListed>("SavedByDefault");
    return meta;
}

class Bands : public ::testing::Test
{
protected:
    Bands()
    {
        classes::RegisterClasses(
            {&StandInListed::StaticClass(), &StandInPrintable::StaticClass(), &SavedByDefault::StaticClass()});
        report.DesignerSink = &designer;
        band->SetReport(&report);
    }
    ~Bands() override
    {
        band.reset();
        classes::UnRegisterClasses(
            {&StandInListed::StaticClass(), &StandInPrintable::StaticClass(), &SavedByDefault::StaticClass()});
    }
    StandInPrintable *add(int32_t aTop, int32_t aHeight)
    {
        auto *object = new StandInPrintable();
        object->SetBand(band.get());
        object->SetBounds(0, aTop, 1000, aHeight);
        return object;
    }
    QStringList names() const
    {
        QStringList list;
        for (int i = 0; i < band->ObjectCount(); ++i)
            list.append(band->Objects(i)->Name());
        return list;
    }

    ScopedScreenPixelsPerInch screen{96};
    StandInCommandClasses commands;
    RecordingDesigner designer;
    StandInReport report;
    std::unique_ptr<StandInBand> band = std::make_unique<StandInBand>();
};

// Counts the events of one id it is told.
class BandListener : public TppCommunicator
{
public:
    explicit BandListener(std::initializer_list<int> aEvents)
        : TppCommunicator(nullptr)
    {
        for (int id : aEvents)
            SubscribeEvent(id);
    }
    void EventNotify(TppCommunicator *aSender, int aEventID, TraParamList *aParams) override
    {
        TppCommunicator::EventNotify(aSender, aEventID, aParams);
        Seen.append(aEventID);
    }
    QList<int> Seen;
};

} // namespace

TEST_F(Bands, AnObjectInABandBecomesADrawCommandOfThePage)
{
    StandInPrintable *object = add(500, 4000);
    BandListener listener({ppEvent::OnPrint, ppEvent::OnDrawCommandCreate});
    object->AddEventNotify(&listener);
    auto page = makePage(1, 0);
    page->PageDef()->SetmmWidth(210000);
    page->PageDef()->SetmmHeight(297000);
    page->PageDef()->SetmmMarginLeft(6350);
    page->PageDef()->SetmmMarginTop(6350);
    page->PageDef()->SetmmMarginRight(6350);
    page->PageDef()->SetmmMarginBottom(6350);

    object->ResetGeneration();
    object->InitDrawComponent();
    object->Generate();
    object->PrintToPage(page.get());
    EXPECT_EQ(object->SpaceUsed(), 4000);
    ASSERT_EQ(page->DrawCommandCount(), 1);
    TppDrawCommand *command = page->DrawCommands(0);
    EXPECT_EQ(command->Band(), band.get());
    EXPECT_EQ(command->Component(), object);
    EXPECT_EQ(command->PrintableArea(), (rtl::TRect{6350, 6350, 203650, 290650}));
    EXPECT_EQ(listener.Seen, (QList<int>{ppEvent::OnPrint, ppEvent::OnDrawCommandCreate}));
    EXPECT_TRUE(designer.has("send 1151"));
    EXPECT_FALSE(object->UserName().isEmpty());
}

TEST_F(Bands, TheHeightRuleMovesObjectsUpAndRefusesWhatCannotBe)
{
    band->SetUnits(TppUnitType::utInches);
    StandInPrintable *fits = add(800, 400);
    StandInPrintable *taller = add(0, 1500);
    band->SetmmHeight(1000);
    EXPECT_EQ(fits->mmTop(), 600);
    EXPECT_EQ(taller->mmTop(), 0);
    EXPECT_EQ(fits->Units(), TppUnitType::utInches);

    band->SetmmHeight(0);
    EXPECT_EQ(band->mmHeight(), 1000);
    band->SetmmHeight(report.PrintableHeight + 1);
    EXPECT_EQ(band->mmHeight(), 1000);
    band->SetPrintHeight(TppPrintHeightType::phDynamic);
    band->SetmmHeight(report.PrintableHeight + 1);
    EXPECT_EQ(band->mmHeight(), report.PrintableHeight + 1);

    StandInBand alone;
    alone.SetmmHeight(-5);
    EXPECT_EQ(alone.mmHeight(), 0);
}

TEST_F(Bands, GeometryFollowsTheBandWhereItMust)
{
    StandInPrintable *object = add(0, 1000);
    object->SetParentWidth(true);
    EXPECT_EQ(object->mmWidth(), report.PrintableWidth);
    object->SetmmLeft(5000);
    object->SetmmWidth(100);
    EXPECT_EQ(object->mmLeft(), 0);
    EXPECT_EQ(object->mmWidth(), report.PrintableWidth);

    StandInPrintable *free = add(0, 1000);
    free->SetmmLeft(report.PrintableWidth + 50);
    EXPECT_EQ(free->mmLeft(), report.PrintableWidth);
    free->SetmmTop(band->mmHeight() + 50); // a report run places objects freely
    EXPECT_EQ(free->mmTop(), band->mmHeight() + 50);
    free->IncludeState(ppState::Design);
    free->SetmmTop(band->mmHeight() + 70);
    EXPECT_EQ(free->mmTop(), band->mmHeight());

    // Margins wider than the page leave no room to the right of 0.
    report.PrintableWidth = -3000;
    free->SetmmLeft(100);
    EXPECT_EQ(free->mmLeft(), 0);
}

TEST_F(Bands, ObjectsKeepTheirOrderAndTheirLists)
{
    StandInPrintable *a = add(0, 100);
    a->SetName("a");
    auto *b = new StandInListed();
    b->SetName("b");
    b->SavedText = true;
    b->Stretches = true;
    b->SetBand(band.get());
    StandInPrintable *c = add(0, 100);
    c->SetName("c");
    EXPECT_EQ(band->SaveCount(), 1);
    EXPECT_EQ(band->PrintHeight(), TppPrintHeightType::phDynamic);

    a->BringToFront();
    EXPECT_EQ(names().join(','), "b,c,a");
    a->SendToBack();
    EXPECT_EQ(names().join(','), "a,b,c");
    EXPECT_EQ(c->GetZOrder(), 2);
    band->MoveObject(0, 99);
    EXPECT_EQ(names().join(','), "b,c,a");
    EXPECT_THROW(band->MoveObject(3, 0), classes::EListError);
    EXPECT_THROW(band->Objects(-1), classes::EListError);

    delete b;
    EXPECT_EQ(band->SaveCount(), 0);
    EXPECT_EQ(names().join(','), "c,a");
    EXPECT_TRUE(designer.has("send 1152"));
}

TEST_F(Bands, AnObjectsPlaceFollowsEveryChangeOfTheList)
{
    std::vector<StandInPrintable *> objects;
    for (int i = 0; i < 6; ++i)
        objects.push_back(add(0, 100));
    const auto places = [this, &objects]() {
        QStringList list;
        // Asked again and again, as the engine does while it prints.
        for (int round = 0; round < 4; ++round) {
            list.clear();
            for (StandInPrintable *object : objects)
                list << QString::number(band->IndexOfObject(object));
        }
        return list.join(',');
    };
    EXPECT_EQ(places(), "0,1,2,3,4,5");
    band->MoveObject(1, 4);
    EXPECT_EQ(places(), "0,4,1,2,3,5");
    delete objects[0];
    objects.erase(objects.begin());
    EXPECT_EQ(places(), "3,0,1,2,4");
    StandInPrintable *last = objects.back();
    band->RemoveObject(last);
    EXPECT_EQ(band->IndexOfObject(last), -1);
    objects.pop_back();
    objects.push_back(add(0, 100));
    EXPECT_EQ(places(), "3,0,1,2,4");
    delete last;
}

TEST_F(Bands, SaveAndCalculationPlacesFollowInsertsAndRemovalsAnywhere)
{
    // Long enough that places are kept by object and put right after moves.
    std::vector<StandInListed *> texts;
    for (int i = 0; i < 40; ++i) {
        auto *text = new StandInListed();
        text->SavedText = true;
        text->Variable = true;
        text->SetBand(band.get());
        texts.push_back(text);
    }
    std::vector<TppComponent *> model(texts.begin(), texts.end());
    const auto matches = [&] {
        if (band->SaveCount() != int(model.size()) || band->VariableCount() != int(model.size()))
            return false;
        // Asked more than once, as a cycle of texts does, so that places are
        // both walked for and refreshed.
        for (int round = 0; round < 3; ++round)
            for (size_t i = 0; i < model.size(); ++i)
                if (band->IndexOfSave(model[i]) != int(i) || band->Saves(int(i)) != model[i] ||
                    band->IndexOfVariable(model[i]) != int(i) || band->Variables(int(i)) != model[i])
                    return false;
        return true;
    };
    ASSERT_TRUE(matches());

    band->RemoveSave(model[3]);
    band->RemoveVariable(model[3]);
    band->InsertSave(0, model[3]);
    band->InsertVariable(0, model[3]);
    model.insert(model.begin(), model[3]);
    model.erase(model.begin() + 4);
    EXPECT_TRUE(matches());
    // One already listed stays where it is.
    band->AddSave(model[10]);
    band->InsertVariable(2, model[10]);
    EXPECT_TRUE(matches());
    // Freed from the front, then from the back, asked for after each.
    for (int i = 0; i < 5; ++i) {
        TppComponent *first = model.front();
        model.erase(model.begin());
        delete first;
        ASSERT_TRUE(matches()) << i;
        EXPECT_EQ(band->IndexOfSave(first), -1);
    }
    for (int i = 0; i < 5; ++i) {
        delete model.back();
        model.pop_back();
        ASSERT_TRUE(matches()) << i;
    }
    // Inserted past the end, and one that leaves from the middle.
    auto *late = new StandInListed();
    late->SetBand(band.get());
    band->InsertSave(1000, late);
    band->InsertVariable(1000, late);
    model.push_back(late);
    EXPECT_TRUE(matches());
    TppComponent *middle = model[model.size() / 2];
    band->RemoveObject(middle);
    model.erase(model.begin() + std::ptrdiff_t(model.size() / 2));
    EXPECT_TRUE(matches());
    EXPECT_EQ(band->IndexOfVariable(middle), -1);
    delete middle;
}

TEST_F(Bands, ReadingRebuildsTheSaveOrderFromTheStoredOrders)
{
    StandInBand read;
    read.SetReport(&report);
    modeltest::readText(&read,
                        "object Band1: StandInBand\n"
                        "  object a: StandInListed\n    SavedText = True\n    Order = 1\n  end\n"
                        "  object b: StandInListed\n    SavedText = True\n    Order = 0\n  end\n"
                        "  object c: StandInListed\n    SavedText = True\n    Order = 7\n  end\n"
                        "  object d: StandInListed\n    SavedText = True\n    Order = 0\n  end\n"
                        "  object e: StandInListed\n    Variable = True\n    Stretches = True\n    Order = 0\n  end\n"
                        "  object f: SavedByDefault\n    Order = 3\n  end\n"
                        "end\n");
    ASSERT_EQ(read.ObjectCount(), 6);
    QStringList saves;
    for (int i = 0; i < read.SaveCount(); ++i)
        saves.append(read.Saves(i)->Name() + "=" + QString::number(static_cast<StandInListed *>(read.Saves(i))->Order));
    EXPECT_EQ(saves.join(','), "d=0,b=1,a=2,f=3");
    EXPECT_EQ(read.VariableCount(), 1);
    EXPECT_EQ(read.PrintHeight(), TppPrintHeightType::phStatic); // not while reading
}

TEST_F(Bands, StoredBandTypesAndGroupsApplyOnlyWhereTheyFit)
{
    StandInBand read;
    modeltest::readText(&read,
                        "object Band1: StandInBand\n  object P1: StandInPrintable\n    BandType = 7\n  end\nend\n");
    ASSERT_EQ(read.ObjectCount(), 1);
    EXPECT_EQ(static_cast<TppComponent *>(read.Objects(0))->BandType(), 4);

    StandInPrintable loose;
    modeltest::readText(&loose, "object P2: StandInPrintable\n  BandType = 12\n  GroupNo = -5\nend\n");
    EXPECT_EQ(loose.BandType(), 4);
    EXPECT_EQ(loose.GroupNo(), -1);
    modeltest::readText(&loose, "object P2: StandInPrintable\n  BandType = 5\n  GroupNo = 2\nend\n");
    EXPECT_EQ(loose.BandType(), 5);
    EXPECT_EQ(loose.GroupNo(), 2);

    classes::TComponent group(nullptr);
    report.Groups = {nullptr, &group};
    StandInBand footer;
    footer.SetReport(&report);
    footer.Code = 5;
    footer.Group = &group;
    StandInPrintable *object = add(0, 100);
    object->SetBand(&footer);
    EXPECT_EQ(object->BandType(), 5);
    EXPECT_EQ(object->GroupNo(), 1);
    object->SetBand(band.get());
    EXPECT_EQ(object->BandType(), 4);
    EXPECT_EQ(object->GroupNo(), -1);
}

TEST_F(Bands, EventsFireBeforeTheirNotices)
{
    const struct
    {
        void (TppBand::*run)();
        classes::TNotifyEvent TppBand::*handler;
        int id;
    } cases[] = {
        {&TppBand::DoBeforePrint, &TppBand::BeforePrint, ppEvent::BandBeforePrint},
        {&TppBand::DoAfterPrint, &TppBand::AfterPrint, ppEvent::BandAfterPrint},
        {&TppBand::DoBeforeGenerate, &TppBand::BeforeGenerate, ppEvent::BeforeGenerate},
        {&TppBand::DoAfterGenerate, &TppBand::AfterGenerate, ppEvent::AfterGenerate},
    };
    for (const auto &c : cases) {
        BandListener listener({c.id});
        band->AddEventNotify(&listener);
        int fired = 0;
        (band.get()->*c.handler).Set([&](classes::TObject *) { fired = listener.Seen.size() + 1; });
        (band.get()->*c.run)();
        EXPECT_EQ(fired, 1) << c.id;
        EXPECT_EQ(listener.Seen, QList<int>{c.id});
        band->RemoveEventNotify(&listener);
    }
}

TEST_F(Bands, ThePipelineFollowsTheBandUntilAnotherIsChosen)
{
    MemoryPipeline bandPipeline, other;
    report.Pipeline = &bandPipeline;
    StandInPrintable *object = add(0, 100);
    object->SetParentDataPipeline(true);
    EXPECT_EQ(object->DataPipeline(), &bandPipeline);
    object->SetDataPipeline(&other);
    EXPECT_FALSE(object->ParentDataPipeline());
    object->SetParentDataPipeline(true);
    EXPECT_EQ(object->DataPipeline(), &bandPipeline);
    report.Pipeline = nullptr;
}

TEST_F(Bands, ObjectsMayGoInAnyOrder)
{
    // A reset group and a pipeline that go first.
    auto group = std::make_unique<BandListener>(std::initializer_list<int>{});
    auto pipeline = std::make_unique<MemoryPipeline>();
    StandInPrintable *object = add(0, 100);
    object->SetResetGroup(group.get());
    object->SetDataPipeline(pipeline.get());
    EXPECT_TRUE(object->IsSubscribed(ppEvent::AfterGroupBreak));
    group.reset();
    pipeline.reset();
    EXPECT_EQ(object->ResetGroup(), nullptr);
    EXPECT_EQ(object->DataPipeline(), nullptr);

    // An object that frees another while the band forwards to them all.
    class Freeing : public StandInPrintable
    {
    public:
        void Init() override
        {
            StandInPrintable::Init();
            delete Victim;
            Victim = nullptr;
        }
        TppComponent *Victim = nullptr;
    };
    auto *freeing = new Freeing();
    freeing->SetBand(band.get());
    freeing->Victim = add(0, 100);
    band->InitObjects();
    EXPECT_EQ(band->ObjectCount(), 2);

    // The report, then the band with its objects.
    const int living = TppLiveCount<TppComponent>::Count();
    auto report2 = std::make_unique<StandInReport>();
    band->SetReport(report2.get());
    report2.reset();
    EXPECT_EQ(band->Report(), nullptr);
    band.reset();
    EXPECT_EQ(TppLiveCount<TppComponent>::Count(), living - 2);
}

TEST_F(Bands, OlderVersionsConvertTheBandAndItsObjects)
{
    band->SetPrintHeight(TppPrintHeightType::phDynamic);
    band->SetmmHeight(50);
    StandInPrintable *object = add(0, 0);
    object->SetBounds(10, 5, 30, 40);
    band->Convert(2096);
    EXPECT_EQ(band->mmHeight(), 13229);
    EXPECT_EQ(object->mmTop(), 1323);
    EXPECT_EQ(object->mmHeight(), 10583);
    EXPECT_EQ(band->mmBottomOffset(), 13229 - (1323 + 10583));
    band->Convert(3000);
    EXPECT_EQ(band->mmHeight(), 13229);
}
