#include "ModelObjects.h"

#include "report/model/objects/Communicator.h"
#include "report/model/base/UniqueNames.h"

#include "platform/classes/ClassErrors.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <vector>

using namespace report;
using modeltest::TLabel;
using modeltest::TNode;
using modeltest::TReceiver;

namespace {

using Communicator = modeltest::ObjectModelTest;

// A sender with receivers keyed "r0", "r1", ... that all subscribe to id 5.
struct Fan
{
    explicit Fan(int count, QStringList *log = nullptr)
    {
        for (int i = 0; i < count; ++i) {
            receivers.push_back(std::make_unique<TReceiver>(QStringLiteral("r%1").arg(i), log));
            receivers.back()->SubscribeEvent(5);
            sender.AddEventNotify(receivers.back().get());
        }
    }
    void send() { sender.SendEventNotify(&sender, 5, nullptr); }
    TppCommunicator sender{nullptr};
    std::vector<std::unique_ptr<TReceiver>> receivers;
};

} // namespace

// ---- Links ----------------------------------------------------------------------

TEST_F(Communicator, FreeingEitherOfTwoLinkedLeavesNoReference)
{
    for (bool freeSender : {true, false}) {
        auto sender = std::make_unique<TppCommunicator>(nullptr);
        auto receiver = std::make_unique<TReceiver>();
        receiver->SubscribeEvent(3);
        sender->AddEventNotify(receiver.get());
        sender->AddNotify(receiver.get()); // never doubled
        receiver->AddEventNotify(sender.get());
        EXPECT_EQ(sender->GetNotifyCount(), 1);
        if (freeSender) {
            sender.reset();
            EXPECT_EQ(receiver->GetNotifyCount() + receiver->GetEventNotifyCount(), 0);
            EXPECT_EQ(receiver->Notices, 1);
        } else {
            receiver.reset();
            EXPECT_EQ(sender->GetNotifyCount() + sender->GetEventNotifyCount(), 0);
            sender->SendEventNotify(sender.get(), 3, nullptr);
            EXPECT_FALSE(sender->HasEventNotify(3));
        }
    }

    // Unlinking ends a registration too: a receiver must stay linked to its
    // sender, or its end would leave the sender holding it.
    TppCommunicator sender(nullptr);
    auto receiver = std::make_unique<TReceiver>();
    sender.AddEventNotify(receiver.get());
    receiver->RemoveNotify(&sender);
    EXPECT_EQ(sender.GetEventNotifyCount(), 0);
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

    // At the sender's end c frees b while told, so b is not told; the round
    // walks on to a. Nothing links up with the object on its way out.
    log.clear();
    c->OnNotify.Set([&](classes::TObject *, TppCommunicator *dying, int) {
        b.reset();
        dying->AddEventNotify(c.get());
    });
    sender.reset();
    EXPECT_EQ(log, (QStringList{"c notice 0", "a notice 0"}));
    EXPECT_EQ(a->GetNotifyCount() + c->GetNotifyCount(), 0);
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

    log.clear();
    for (int id : {-1, 256, 300}) {
        a.SubscribeEvent(id);
        sender.SendEventNotify(&sender, id, nullptr);
        EXPECT_FALSE(sender.HasEventNotify(id));
    }
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(Communicator, EveryReceiverIsServedOnceHoweverTheListChanges)
{
    const auto servedOnce = [](const Fan &fan) {
        for (const auto &r : fan.receivers)
            EXPECT_EQ(r->Events, 1) << r->Key.toStdString();
    };
    // One that leaves: the next one moves under the index.
    Fan leaves(3);
    leaves.receivers[0]->OnEvent = [&](TReceiver *self, int, TraParamList *) { leaves.sender.RemoveEventNotify(self); };
    leaves.send();
    servedOnce(leaves);

    // One that leaves and comes back at the end: the count is as it was, and
    // yet the next one moved under the index.
    Fan returns(3);
    returns.receivers[0]->OnEvent = [&](TReceiver *self, int, TraParamList *) {
        returns.sender.RemoveEventNotify(self);
        self->Key.clear();
        returns.sender.AddEventNotify(self);
    };
    returns.send();
    servedOnce(returns);
    EXPECT_EQ(returns.sender.GetEventNotify(2), returns.receivers[0].get());

    // One that registers 1,000 during the send: each is served once, and the
    // one that registered them is not called again (with the index walk alone
    // it would register more on every call, for ever).
    Fan many(2);
    std::vector<std::unique_ptr<TReceiver>> more;
    many.receivers[0]->OnEvent = [&](TReceiver *, int, TraParamList *) {
        for (int i = 0; i < 1000; ++i) {
            more.push_back(std::make_unique<TReceiver>());
            more.back()->SubscribeEvent(5);
            many.sender.AddEventNotify(more.back().get());
        }
    };
    many.send();
    servedOnce(many);
    for (const auto &r : more)
        ASSERT_EQ(r->Events, 1);

    // Two that left earlier in the send, then one that registers a receiver
    // by key, which re-sorts the list: the ones after it are still served.
    Fan resorts(5);
    for (int i : {0, 1})
        resorts.receivers[size_t(i)]->OnEvent = [&](TReceiver *self, int, TraParamList *) {
            resorts.sender.RemoveEventNotify(self);
        };
    TReceiver late(QStringLiteral("r9"));
    late.SubscribeEvent(5);
    resorts.receivers[2]->OnEvent = [&](TReceiver *, int, TraParamList *) { resorts.sender.AddEventNotify(&late); };
    resorts.send();
    servedOnce(resorts);
    EXPECT_EQ(late.Events, 1);
    EXPECT_EQ(resorts.sender.GetEventNotifyCount(), 4);

    // One without a key came after keyed ones; a receiver registered by key
    // then sorts the list anew, which puts it first, behind the index.
    Fan unkeyed(3);
    TReceiver plain;
    plain.SubscribeEvent(5);
    unkeyed.sender.AddEventNotify(&plain);
    TReceiver keyed(QStringLiteral("r1"));
    keyed.SubscribeEvent(5);
    unkeyed.receivers[1]->OnEvent = [&](TReceiver *, int, TraParamList *) { unkeyed.sender.AddEventNotify(&keyed); };
    unkeyed.send();
    servedOnce(unkeyed);
    EXPECT_EQ(plain.Events, 1);
    EXPECT_EQ(keyed.Events, 1);
}

TEST_F(Communicator, LongListsKeepTheirOrderThroughRemovalsDuringAndBetweenSends)
{
    // Receivers without keys, far more than a short list holds: they keep
    // registration order however many leave, come back or are freed.
    constexpr int count = 300;
    TppCommunicator sender(nullptr);
    std::vector<std::unique_ptr<TReceiver>> receivers;
    std::vector<int> served;
    const auto numberOf = [&](const TppCommunicator *c) {
        for (int i = 0; i < count; ++i)
            if (receivers[size_t(i)].get() == c)
                return i;
        return -1;
    };
    for (int i = 0; i < count; ++i) {
        receivers.push_back(std::make_unique<TReceiver>());
        receivers.back()->SubscribeEvent(5);
        receivers.back()->OnEvent = [&served, i](TReceiver *, int, TraParamList *) { served.push_back(i); };
        sender.AddEventNotify(receivers.back().get());
    }
    const auto order = [&] {
        std::vector<int> numbers;
        for (int i = 0; i < sender.GetEventNotifyCount(); ++i)
            numbers.push_back(numberOf(sender.GetEventNotify(i)));
        EXPECT_EQ(sender.GetNotifyCount(), sender.GetEventNotifyCount());
        for (int i = 0; i < sender.GetNotifyCount(); ++i)
            EXPECT_EQ(sender.GetNotify(i), sender.GetEventNotify(i)) << i;
        return numbers;
    };
    std::vector<int> expected;
    for (int i = 0; i < count; ++i)
        if (i % 3 != 0) {
            expected.push_back(i);
        } else {
            sender.RemoveEventNotify(receivers[size_t(i)].get());
            sender.RemoveEventNotify(receivers[size_t(i)].get()); // gone already: nothing happens
        }
    EXPECT_EQ(order(), expected);
    sender.AddEventNotify(receivers[0].get()); // back at the end
    sender.AddEventNotify(receivers[1].get()); // there already
    expected.push_back(0);
    EXPECT_EQ(order(), expected);

    // During a send, receiver 10 takes 11 (not served yet) off the list,
    // frees 8 (served) and brings 12 back at the end; 20 frees itself.
    receivers[10]->OnEvent = [&](TReceiver *, int, TraParamList *) {
        served.push_back(10);
        sender.RemoveEventNotify(receivers[11].get());
        receivers[8].reset();
        sender.AddEventNotify(receivers[12].get());
    };
    receivers[20]->OnEvent = [&](TReceiver *, int, TraParamList *) {
        served.push_back(20);
        receivers[20].reset();
    };
    sender.SendEventNotify(&sender, 5, nullptr);
    std::vector<int> after;
    for (int i : expected)
        if (i != 8 && i != 11 && i != 20)
            after.push_back(i);
    after.push_back(12);
    std::vector<int> servedAsExpected = expected;
    std::erase(servedAsExpected, 11);
    servedAsExpected.push_back(12);
    EXPECT_EQ(served, servedAsExpected);
    EXPECT_EQ(order(), after);
    EXPECT_FALSE(sender.HasEventNotify(6));
    EXPECT_TRUE(sender.HasEventNotify(5));

    // Freed between sends, most of them from the front: the rest in order.
    for (int i = 0; i < count - 5; ++i)
        receivers[size_t(i)].reset();
    std::vector<int> rest;
    for (int i : after)
        if (i >= count - 5)
            rest.push_back(i);
    served.clear();
    sender.SendEventNotify(&sender, 5, nullptr);
    EXPECT_EQ(served, rest);
    EXPECT_EQ(order(), rest);
    receivers.clear();
    EXPECT_EQ(sender.GetNotifyCount(), 0);
    EXPECT_FALSE(sender.HasEventNotify(5));

    // A sender freed with many linked tells each once, and none keeps it.
    auto many = std::make_unique<TppCommunicator>(nullptr);
    std::vector<std::unique_ptr<TReceiver>> linked;
    for (int i = 0; i < 100; ++i) {
        linked.push_back(std::make_unique<TReceiver>());
        many->AddEventNotify(linked.back().get());
    }
    for (int i = 0; i < 100; i += 2)
        linked[size_t(i)].reset();
    many.reset();
    for (int i = 1; i < 100; i += 2) {
        EXPECT_EQ(linked[size_t(i)]->Notices, 1) << i;
        EXPECT_EQ(linked[size_t(i)]->GetNotifyCount() + linked[size_t(i)]->GetEventNotifyCount(), 0) << i;
    }
}

TEST_F(Communicator, AReceiverMadeWhereAFreedOneLayIsServed)
{
    // A handler frees a receiver already served and registers a new one in
    // its very storage: the new one is another receiver and gets the event.
    TppCommunicator sender(nullptr);
    std::optional<TReceiver> slot(std::in_place);
    TReceiver swapper;
    for (TReceiver *r : {&*slot, &swapper}) {
        r->SubscribeEvent(5);
        sender.AddEventNotify(r);
    }
    const TReceiver *oldAddress = &*slot;
    swapper.OnEvent = [&](TReceiver *, int, TraParamList *) {
        slot.reset();
        slot.emplace();
        slot->SubscribeEvent(5);
        sender.AddEventNotify(&*slot);
    };
    sender.SendEventNotify(&sender, 5, nullptr);
    ASSERT_EQ(&*slot, oldAddress);
    EXPECT_EQ(slot->Events, 1);
    EXPECT_EQ(swapper.Events, 1);
}

TEST_F(Communicator, ReceiversMayFreeTheSenderOthersOrThemselves)
{
    {
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
    Fan fan(4);
    fan.receivers[0]->OnEvent = [&](TReceiver *, int, TraParamList *) { fan.receivers[2].reset(); };
    fan.receivers[1]->OnEvent = [&](TReceiver *, int, TraParamList *) { fan.receivers[1].reset(); };
    fan.send();
    EXPECT_EQ(fan.receivers[3]->Events, 1);
    EXPECT_EQ(fan.sender.GetEventNotifyCount(), 2);
}

// Receivers, keyed and not, that leave, free others, come back and bring
// new ones during the sends, in a long list: whoever stays registered
// through a send is served once, and nobody twice.
TEST_F(Communicator, RandomChangesDuringSendsServeEveryStayingReceiverOnce)
{
    std::mt19937 random(64);
    TppCommunicator sender(nullptr);
    std::vector<std::unique_ptr<TReceiver>> pool;
    std::vector<int> served;
    std::set<int> touched; // left, were freed or came during this send
    std::function<TReceiver *()> make = [&] {
        const int id = int(pool.size());
        pool.push_back(
            std::make_unique<TReceiver>(random() % 2 ? QStringLiteral("k%1").arg(random() % 20) : QString()));
        pool.back()->SubscribeEvent(5);
        pool.back()->OnEvent = [&, id](TReceiver *, int, TraParamList *) {
            served.push_back(id);
            for (int step = int(random() % 3); step > 0; --step) {
                const int other = int(random() % pool.size());
                TReceiver *target = pool[size_t(other)].get();
                switch (random() % 5) {
                case 0: // itself or another leaves
                    touched.insert(other);
                    if (target)
                        sender.RemoveEventNotify(target);
                    break;
                case 1: // another is freed
                    if (other != id) {
                        touched.insert(other);
                        pool[size_t(other)].reset();
                    }
                    break;
                case 2: // one that left comes back
                    touched.insert(other);
                    if (target)
                        sender.AddEventNotify(target);
                    break;
                default: // a new one comes, while they are not too many
                    if (sender.GetEventNotifyCount() < 120) {
                        touched.insert(int(pool.size()));
                        sender.AddEventNotify(make());
                    }
                    break;
                }
            }
        };
        return pool.back().get();
    };
    for (int i = 0; i < 80; ++i)
        sender.AddEventNotify(make());
    for (int round = 0; round < 100; ++round) {
        std::vector<int> registered;
        for (int i = 0; i < sender.GetEventNotifyCount(); ++i)
            for (size_t id = 0; id < pool.size(); ++id)
                if (pool[id].get() == sender.GetEventNotify(i))
                    registered.push_back(int(id));
        served.clear();
        touched.clear();
        sender.SendEventNotify(&sender, 5, nullptr);
        std::map<int, int> times;
        for (int id : served)
            ++times[id];
        for (const auto &[id, count] : times)
            ASSERT_EQ(count, 1) << "round " << round << ", receiver " << id;
        for (int id : registered) {
            if (!touched.count(id)) {
                ASSERT_EQ(times.count(id), 1u) << "round " << round << ", receiver " << id;
            }
        }
    }
}

TEST_F(Communicator, NestedSendsAndParametersReachTheSendersVariables)
{
    Fan fan(2);
    int depth = 0;
    fan.receivers[0]->OnEvent = [&](TReceiver *, int id, TraParamList *params) {
        if (id == 5 && depth++ < 3)
            fan.sender.SendEventNotify(&fan.sender, 5, params);
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

    TReceiver r;
    r.IncludeState(4 | 8);
    r.IncludeState(4);
    r.ExcludeState(8 | 16);
    r.ExcludeState(16);
    EXPECT_EQ(r.StateChanges, (QList<int>{12, 24})); // told only when a bit changed
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
    for (const QString &refused : {QString("Label1"), QString(), QString("1abc"), QString("a b"), QString("Käse")}) {
        c->SetUserName(refused);
        EXPECT_EQ(c->GetUserName(), "Label2") << refused.toStdString();
    }
    const QString longName(300, u'x');
    c->SetUserName(longName);
    EXPECT_EQ(c->GetUserName(), longName);

    TReceiver watcher("w");
    c->AddNotify(&watcher);
    c->SetUserName("Total");
    c->SetUserName("Total");
    EXPECT_EQ(watcher.Notices, 1);
    EXPECT_EQ(a->FindUserName("TOTAL"), c);

    // Free numbers: Label and Label1 taken give Label2; no owner, the base.
    TLabel fourth(&owner);
    EXPECT_EQ(fourth.GetUniqueUserName(&fourth), "Label2");
    TLabel loose;
    EXPECT_EQ(loose.GetUniqueUserName(&loose), "Label");
}

TEST(UniqueNames, NumbersAreDistinctPositiveIntegers)
{
    const struct
    {
        QStringList names;
        int first;
    } cases[] = {
        {{"Label1", "Label01", "Label2"}, 3}, // 1 counts once
        {{"Label2", "Label3"}, 1},
        {{"label1", "LABEL2"}, 3},
        {{"Label0", "Label-1", "Label+1", "Label1a", "Label", "Lab1"}, 1},
        {{"Label99999999999", "Label2147483648", "Label2147483647"}, 1},
    };
    for (const auto &c : cases) {
        TppNameNumbers numbers("Label");
        for (const QString &name : c.names)
            numbers.Note(name);
        EXPECT_EQ(numbers.First(), c.first) << c.names.join(',').toStdString();
    }
}

TEST_F(Communicator, ComponentNamesTakeAFreeNumberSetNameAccepts)
{
    TppCommunicator owner(nullptr);
    for (const char *name : {"ppLabel1", "ppLabel01", "ppLabel99999999999", "ppLabel0"})
        (new TLabel(&owner))->SetName(name);
    (new TNode(&owner))->SetName("ppLabel2"); // another class, but the name is taken
    auto *probe = new TLabel(&owner);
    EXPECT_EQ(owner.GetUniqueName(probe), "ppLabel3");
    EXPECT_NO_THROW(probe->SetName(owner.GetUniqueName(probe)));
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
}

TEST_F(Communicator, ChangingOwnerKeepsUserNamesUnique)
{
    TppCommunicator first(nullptr), second(nullptr);
    auto *resident = new TLabel(&second);
    resident->SetName("ppLabel4");
    resident->SetUserName("Label1");
    auto *moving = new TLabel(&first);
    moving->SetName("ppLabel1");
    TReceiver watcher;
    moving->AddNotify(&watcher);
    moving->ChangeOwner(&second);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(moving->GetUserName(), "Label2");
    EXPECT_EQ(watcher.Notices, 0); // replaced without a rename notice

    // A child asks its parent for the free name, and is counted where it goes.
    TNode parent;
    auto *node = new TNode(&first, &parent);
    node->SetUserName("Node");
    (new TNode(&second))->SetUserName("Node");
    node->ChangeOwner(&second);
    EXPECT_EQ(node->GetUserName(), "Node1");

    // A component name taken there is refused before anything changes.
    auto *twin = new TLabel(&first);
    twin->SetName("ppLabel4");
    EXPECT_THROW(twin->ChangeOwner(&second), classes::EComponentError);
    EXPECT_EQ(twin->Owner(), &first);
}
