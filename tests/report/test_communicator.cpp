#include "ModelObjects.h"

#include "report/model/Communicator.h"
#include "report/model/UniqueNames.h"

#include "platform/classes/ClassErrors.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace report;
using modeltest::TLabel;
using modeltest::TReceiver;

namespace {

using Communicator = modeltest::ObjectModelTest;

// A sender with receivers keyed "r0", "r1", ... that all subscribe to id 5.
struct Fan
{
    explicit Fan(int count, QStringList *log = nullptr)
    {
        for (int i = 0; i < count; ++i) {
            receivers.push_back(std::make_unique<TReceiver>(QString(), log));
            receivers.back()->Key = QStringLiteral("r%1").arg(i);
            receivers.back()->SubscribeEvent(5);
            sender.AddEventNotify(receivers.back().get());
        }
    }
    TppCommunicator sender{nullptr};
    std::vector<std::unique_ptr<TReceiver>> receivers;
};

} // namespace

// ---- Links ----------------------------------------------------------------------

TEST_F(Communicator, LinksAreSymmetricAndListsLiveOnlyWhileUsed)
{
    TppCommunicator a(nullptr), b(nullptr);
    a.AddNotify(&b);
    a.AddNotify(&b);
    b.AddNotify(&a);
    a.AddNotify(nullptr);
    EXPECT_EQ(a.GetNotifyCount(), 1);
    EXPECT_EQ(b.GetNotify(0), &a);
    EXPECT_EQ(b.GetNotify(1), nullptr);
    b.RemoveNotify(&a);
    EXPECT_EQ(a.GetNotifyCount(), 0);
    EXPECT_EQ(b.GetNotifyCount(), 0);

    // Unlinking also ends a registration: a receiver must stay linked to
    // its sender, or its end would leave the sender holding it.
    auto receiver = std::make_unique<TReceiver>();
    receiver->SubscribeEvent(1);
    a.AddEventNotify(receiver.get());
    receiver->RemoveNotify(&a);
    EXPECT_EQ(a.GetEventNotifyCount(), 0);
    receiver.reset();
    a.SendEventNotify(&a, 1, nullptr);
}

TEST_F(Communicator, FreeingEitherOfTwoLinkedLeavesNoReference)
{
    for (bool freeSender : {true, false}) {
        auto sender = std::make_unique<TppCommunicator>(nullptr);
        auto receiver = std::make_unique<TReceiver>();
        receiver->SubscribeEvent(3);
        sender->AddEventNotify(receiver.get());
        receiver->AddEventNotify(sender.get()); // registered both ways
        if (freeSender) {
            sender.reset();
            EXPECT_EQ(receiver->GetNotifyCount(), 0);
            EXPECT_EQ(receiver->GetEventNotifyCount(), 0);
            EXPECT_EQ(receiver->Notices, 1);
            receiver->SendEventNotify(receiver.get(), 3, nullptr);
        } else {
            receiver.reset();
            EXPECT_EQ(sender->GetNotifyCount(), 0);
            EXPECT_EQ(sender->GetEventNotifyCount(), 0);
            sender->SendEventNotify(sender.get(), 3, nullptr);
            EXPECT_FALSE(sender->HasEventNotify(3));
        }
    }
}

TEST_F(Communicator, NoticesGoLastFirstAndSurviveWhatTheyFree)
{
    QStringList log;
    auto sender = std::make_unique<TppCommunicator>(nullptr);
    auto a = std::make_unique<TReceiver>("a", &log), b = std::make_unique<TReceiver>("b", &log);
    auto c = std::make_unique<TReceiver>("c", &log);
    for (TReceiver *r : {a.get(), b.get(), c.get()})
        sender->AddNotify(r);
    sender->SendNotify(sender.get(), ppNotify::Rename);
    EXPECT_EQ(log, (QStringList{"c notice 3", "b notice 3", "a notice 3"}));

    // The sender's end: c frees b while told, so b is not told; the round
    // walks on to a.
    log.clear();
    c->OnNotify.Set([&](classes::TObject *, TppCommunicator *, int) { b.reset(); });
    sender.reset();
    EXPECT_EQ(log, (QStringList{"c notice 0", "a notice 0"}));
    EXPECT_EQ(a->GetNotifyCount(), 0);
    EXPECT_EQ(c->GetNotifyCount(), 0);

    // Nothing links up with an object on its way out: the link would
    // outlive it.
    auto going = std::make_unique<TppCommunicator>(nullptr);
    going->AddNotify(a.get());
    a->OnNotify.Set([&](classes::TObject *, TppCommunicator *dying, int) {
        dying->AddNotify(c.get());
        dying->AddEventNotify(c.get());
    });
    going.reset();
    EXPECT_EQ(c->GetNotifyCount(), 0);
}

// ---- Events ----------------------------------------------------------------------

TEST_F(Communicator, EventsReachSubscribersInKeyOrder)
{
    QStringList log;
    TppCommunicator sender(nullptr);
    TReceiver b("B", &log), a("a", &log), none("", &log), late("b", &log), quiet("0", &log);
    for (TReceiver *r : {&b, &a, &none, &late})
        r->SubscribeEvent(21);
    for (TReceiver *r : {&b, &a, &none, &late, &quiet})
        sender.AddEventNotify(r);
    EXPECT_TRUE(sender.HasEventNotify(21));
    EXPECT_FALSE(sender.HasEventNotify(22));
    sender.SendEventNotify(&sender, 21, nullptr);
    // Empty key first, then without regard to case; "B" and "b" in the order
    // they came.
    EXPECT_EQ(log, (QStringList{" event 21", "a event 21", "B event 21", "b event 21"}));

    // Ids outside 0-255 reach nobody.
    log.clear();
    for (int id : {-1, 256, 300}) {
        a.SubscribeEvent(id);
        sender.SendEventNotify(&sender, id, nullptr);
        EXPECT_FALSE(sender.HasEventNotify(id));
        EXPECT_FALSE(a.IsSubscribed(id));
    }
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(Communicator, AReceiverThatLeavesDoesNotMakeTheNextMissTheEvent)
{
    QStringList log;
    Fan fan(3, &log);
    fan.receivers[0]->OnEvent = [&](TReceiver *self, int, TraParamList *) { fan.sender.RemoveEventNotify(self); };
    fan.sender.SendEventNotify(&fan.sender, 5, nullptr);
    EXPECT_EQ(log, (QStringList{"r0 event 5", "r1 event 5", "r2 event 5"}));
    EXPECT_EQ(fan.sender.GetEventNotifyCount(), 2);
}

TEST_F(Communicator, NoReceiverIsServedTwiceInOneSend)
{
    // r0 adds a receiver on every call, with a key that sorts it first: the
    // index walk alone would serve r0 again and again.
    Fan fan(3);
    std::vector<std::unique_ptr<TReceiver>> added;
    fan.receivers[0]->OnEvent = [&](TReceiver *, int, TraParamList *) {
        if (added.size() == 50) // a failure, not a hang
            return;
        added.push_back(std::make_unique<TReceiver>(QStringLiteral("!%1").arg(added.size())));
        added.back()->SubscribeEvent(5);
        fan.sender.AddEventNotify(added.back().get());
    };
    fan.receivers[1]->Key = "r1"; // keyed, so that adding re-sorts
    fan.sender.SendEventNotify(&fan.sender, 5, nullptr);
    for (const auto &r : fan.receivers)
        EXPECT_EQ(r->Events, 1) << r->Key.toStdString();
    ASSERT_EQ(added.size(), 1u);
    EXPECT_LE(added[0]->Events, 1);

    // One that registers 1,000 receivers during a send: each is served at
    // most once, and the send ends.
    Fan second(2);
    std::vector<std::unique_ptr<TReceiver>> many;
    second.receivers[0]->OnEvent = [&](TReceiver *, int, TraParamList *) {
        for (int i = 0; i < 1000; ++i) {
            many.push_back(std::make_unique<TReceiver>());
            many.back()->SubscribeEvent(5);
            second.sender.AddEventNotify(many.back().get());
        }
    };
    second.sender.SendEventNotify(&second.sender, 5, nullptr);
    EXPECT_EQ(second.receivers[0]->Events, 1);
    EXPECT_EQ(second.receivers[1]->Events, 1);
    for (const auto &r : many)
        EXPECT_EQ(r->Events, 1);

    // A receiver that leaves and comes back at the end is not served again.
    Fan third(3);
    third.receivers[0]->OnEvent = [&](TReceiver *self, int, TraParamList *) {
        third.sender.RemoveEventNotify(self);
        self->Key.clear();
        third.sender.AddEventNotify(self);
    };
    third.sender.SendEventNotify(&third.sender, 5, nullptr);
    EXPECT_EQ(third.sender.GetEventNotify(2), third.receivers[0].get());
    EXPECT_EQ(third.receivers[0]->Events, 1);
}

TEST_F(Communicator, ReceiversMayFreeTheSenderOthersOrThemselves)
{
    {
        // The sender itself.
        auto fan = std::make_unique<Fan>(3);
        auto sender = std::make_unique<TppCommunicator>(nullptr);
        for (auto &r : fan->receivers)
            sender->AddEventNotify(r.get());
        fan->receivers[1]->OnEvent = [&](TReceiver *, int, TraParamList *) { sender.reset(); };
        sender->SendEventNotify(sender.get(), 5, nullptr);
        EXPECT_EQ(fan->receivers[0]->Events, 1);
        EXPECT_EQ(fan->receivers[2]->Events, 0);
        EXPECT_EQ(fan->receivers[2]->GetNotifyCount(), 1); // only the fan's sender is left
    }
    {
        // Another receiver, then itself.
        Fan fan(4);
        fan.receivers[0]->OnEvent = [&](TReceiver *, int, TraParamList *) { fan.receivers[2].reset(); };
        fan.receivers[1]->OnEvent = [&](TReceiver *, int, TraParamList *) { fan.receivers[1].reset(); };
        fan.sender.SendEventNotify(&fan.sender, 5, nullptr);
        EXPECT_EQ(fan.receivers[3]->Events, 1);
        EXPECT_EQ(fan.sender.GetEventNotifyCount(), 2);
    }
}

TEST_F(Communicator, NestedSendsAndParametersReachTheSendersVariables)
{
    Fan fan(2);
    int depth = 0;
    fan.receivers[0]->OnEvent = [&](TReceiver *, int id, TraParamList *params) {
        if (id == 5 && depth++ < 3)
            fan.sender.SendEventNotify(&fan.sender, 5, params);
        if (params)
            params->SetParamValue(0, false);
    };
    bool accept = true;
    QString text = "old";
    TraParamList params;
    params.AddParam("Accept", TraDataType::daBoolean, true);
    params.AddParam("Text", TraDataType::daString, true);
    params.BindParamValue(0, &accept);
    params.BindParamValue(1, &text);
    fan.receivers[1]->OnEvent = [](TReceiver *, int, TraParamList *p) {
        p->SetParamValue(1, p->ParamValue<QString>(1) + "+");
        EXPECT_THROW(p->ParamValue<int32_t>(1), EBrevantorError);
    };
    fan.sender.SendEventNotify(&fan.sender, 5, &params);
    EXPECT_FALSE(accept);
    EXPECT_EQ(text, "old++++");
    EXPECT_EQ(fan.receivers[0]->Events, 4);
}

TEST_F(Communicator, StateChangesAreToldWhenABitChanges)
{
    TReceiver r;
    r.IncludeState(4 | 8);
    r.IncludeState(4);
    r.ExcludeState(8 | 16);
    r.ExcludeState(16);
    EXPECT_EQ(r.StateChanges, (QList<int>{12, 24}));
    EXPECT_EQ(r.CommunicatorState(), 4);
}

// ---- Names ------------------------------------------------------------------------

TEST_F(Communicator, UserNamesStayUniqueAmongTheOwnersComponents)
{
    TppCommunicator owner(nullptr);
    auto *a = new TLabel(&owner);
    auto *b = new TLabel(&owner);
    auto *c = new TLabel(&owner);
    a->SetUserName("Label");
    b->SetUserName("label"); // taken without regard to case
    EXPECT_EQ(b->GetUserName(), "label1");
    c->SetUserName("Label");
    EXPECT_EQ(c->GetUserName(), "Label2");
    c->SetUserName("Label1"); // taken, ends in a digit: unchanged
    EXPECT_EQ(c->GetUserName(), "Label2");

    const struct
    {
        QString name;
        const char *result;
    } rejected[] = {{"", "Label2"}, {"1abc", "Label2"}, {"a b", "Label2"}, {"Käse", "Label2"}};
    for (const auto &r : rejected) {
        c->SetUserName(r.name);
        EXPECT_EQ(c->GetUserName(), r.result) << r.name.toStdString();
    }
    const QString longName = QString(300, u'x');
    c->SetUserName(longName);
    EXPECT_EQ(c->GetUserName(), longName);

    // A rename is told to the linked objects.
    TReceiver watcher("w");
    c->AddNotify(&watcher);
    c->SetUserName("Total");
    c->SetUserName("Total");
    EXPECT_EQ(watcher.Notices, 1);
    EXPECT_EQ(a->FindUserName("TOTAL"), c);
    EXPECT_TRUE(a->IsValidUserName("Label9"));
    EXPECT_FALSE(a->IsValidUserName("Total"));
}

TEST(UniqueNames, NumbersAreDistinctPositiveIntegers)
{
    const struct
    {
        QStringList names;
        int first;
    } cases[] = {
        {{}, 1},
        {{"Label1", "Label2"}, 3},
        {{"Label1", "Label01", "Label2"}, 3}, // 1 counts once
        {{"Label2", "Label3"}, 1},
        {{"label1", "LABEL2"}, 3},
        {{"Label0", "Label-1", "Label+1", "Label1a", "Label", "Lab1"}, 1},
        {{"Label99999999999", "Label2147483648", "Label2147483647"}, 1},
        {{"Label1", "Label1", "Label1", "Label3"}, 2},
    };
    for (const auto &c : cases) {
        TppNameNumbers numbers("Label");
        for (const QString &name : c.names)
            numbers.Note(name);
        EXPECT_EQ(numbers.First(), c.first) << c.names.join(',').toStdString();
    }
    EXPECT_EQ(ppComponentNameBase("TppLabel"), "ppLabel");
    EXPECT_EQ(ppUserNameBase("TppLabel"), "Label");
}

TEST_F(Communicator, UniqueNumbersCountDistinctIntegersOfTheSameClass)
{
    TppCommunicator owner(nullptr);
    const auto label = [&](const char *name) {
        auto *l = new TLabel(&owner);
        l->SetName(name);
        return l;
    };
    label("ppLabel1");
    label("ppLabel01");          // the same number as ppLabel1
    label("ppLabel99999999999"); // beyond Integer
    label("ppLabel0");
    label("ppLabelX2");
    auto *other = new modeltest::TNode(&owner);
    other->SetName("ppLabel2"); // another class, but the name is taken
    auto *probe = new TLabel(&owner);
    EXPECT_EQ(owner.GetUniqueName(probe), "ppLabel3");
    EXPECT_NO_THROW(probe->SetName(owner.GetUniqueName(probe)));

    // User names: Label and Label1 taken give Label2.
    TppCommunicator users(nullptr);
    auto *l1 = new TLabel(&users);
    auto *l2 = new TLabel(&users);
    l1->SetUserName("Label");
    l2->SetUserName("Label1");
    TLabel third(&users);
    EXPECT_EQ(third.GetUniqueUserName(&third), "Label2");
    TLabel loose;
    EXPECT_EQ(loose.GetUniqueUserName(&loose), "Label"); // no owner: the base alone
}

TEST_F(Communicator, UserNamesFollowTheComponentName)
{
    TppCommunicator owner(nullptr);
    auto *label = new TLabel(&owner);
    label->SetName("ppLabel1");
    EXPECT_EQ(label->GetUserName(), "Label1");
    label->SetName("ppLabel7");
    EXPECT_EQ(label->GetUserName(), "Label7");
    auto *total = new TLabel(&owner);
    total->SetName("ppLabel2");
    total->SetUserName("Total");
    total->SetName("ppLabel8");
    EXPECT_EQ(total->GetUserName(), "Total");
    // A derived name that another uses gives way to a free numbered one.
    auto *clash = new TLabel(&owner);
    clash->SetName("Label7");
    EXPECT_EQ(clash->GetUserName(), "Label1");
    auto *bare = new TLabel(&owner);
    bare->SetName("pp");
    EXPECT_EQ(bare->GetUserName(), "Label2");
}

TEST_F(Communicator, ChangingOwnerKeepsUserNamesUnique)
{
    TppCommunicator first(nullptr), second(nullptr);
    auto *moving = new TLabel(&first);
    moving->SetName("ppLabel1");
    auto *resident = new TLabel(&second);
    resident->SetName("ppLabel4");
    resident->SetUserName("Label1");
    TReceiver watcher;
    moving->AddNotify(&watcher);
    moving->ChangeOwner(&second);
    EXPECT_EQ(moving->Owner(), &second);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(moving->GetUserName(), "Label2");
    EXPECT_EQ(watcher.Notices, 0); // replaced without a rename notice
    moving->ChangeOwner(nullptr);
    EXPECT_EQ(second.ComponentCount(), 1);
    delete moving;

    // A component name taken there is refused before anything changes.
    auto *twin = new TLabel(&first);
    twin->SetName("ppLabel4");
    EXPECT_THROW(twin->ChangeOwner(&second), classes::EComponentError);
    EXPECT_EQ(twin->Owner(), &first);
}
