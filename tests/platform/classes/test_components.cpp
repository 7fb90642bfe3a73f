#include "SampleClasses.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/ClassRegistry.h"

#include <gtest/gtest.h>

using namespace classes;

namespace {

// Records its destruction and the notifications it receives.
class TWatcher : public TComponent
{
public:
    TWatcher(TComponent *owner, const QString &name, QStringList &log)
        : TComponent(owner)
        , m_log(log)
    {
        SetName(name);
    }
    ~TWatcher() override
    {
        Destroying();
        m_log.append(QStringLiteral("free ") + Name());
    }
    void Notification(TComponent *component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        m_log.append(Name() +
                     (operation == TOperation::opInsert ? QStringLiteral(" insert ") : QStringLiteral(" remove ")) +
                     component->Name());
        if (operation == TOperation::opRemove && OnRemove)
            OnRemove(component);
    }
    std::function<void(TComponent *)> OnRemove;

private:
    QStringList &m_log;
};

} // namespace

TEST(Component, NamesAreIdentifiersUniqueInTheOwnerWithoutRegardToCase)
{
    TComponent owner(nullptr);
    auto *a = new TComponent(&owner);
    auto *b = new TComponent(&owner);
    auto *unnamed = new TComponent(&owner);
    a->SetName(QStringLiteral("Label1"));
    for (const char *bad : {"label1", "1abc", "a b", "Äpfel", "x.y"})
        EXPECT_THROW(b->SetName(QString::fromUtf8(bad)), EComponentError) << bad;
    EXPECT_TRUE(b->Name().isEmpty());
    b->SetName(QStringLiteral("_Label2"));
    a->SetName(QStringLiteral("LABEL1")); // a new case of its own name
    EXPECT_EQ(owner.FindComponent(u"label1"), a);
    a->SetName(QStringLiteral("Other"));
    EXPECT_EQ(owner.FindComponent(u"Label1"), nullptr);
    EXPECT_EQ(owner.FindComponent(u"oTHER"), a);
    EXPECT_EQ(owner.FindComponent(u""), nullptr);
    EXPECT_EQ(unnamed->ComponentIndex(), 2);

    // Moving a component to an owner where its name is taken fails and
    // leaves it where it was.
    TComponent elsewhere(nullptr);
    auto *clash = new TComponent(&elsewhere);
    clash->SetName(QStringLiteral("other"));
    EXPECT_THROW(owner.InsertComponent(clash), EComponentError);
    EXPECT_EQ(clash->Owner(), &elsewhere);
    clash->SetName(QStringLiteral("Moved"));
    owner.InsertComponent(clash);
    EXPECT_EQ(elsewhere.ComponentCount(), 0);
    EXPECT_EQ(owner.FindComponent(u"moved"), clash);
    EXPECT_EQ(elsewhere.FindComponent(u"moved"), nullptr);
}

TEST(Component, OwnedComponentsAreFreedLastFirstAndTheOwnerIsTold)
{
    QStringList log;
    {
        TWatcher owner(nullptr, QStringLiteral("Owner"), log);
        new TWatcher(&owner, QStringLiteral("A"), log);
        auto *b = new TWatcher(&owner, QStringLiteral("B"), log);
        new TWatcher(&owner, QStringLiteral("C"), log);
        new TWatcher(b, QStringLiteral("B1"), log);
        log.clear();
        delete b;
        // Owned components go without notices; the owner is told.
        EXPECT_EQ(log, QStringList({"free B", "free B1", "Owner remove B"}));
        log.clear();
    }
    EXPECT_EQ(log, QStringList({"free Owner", "free C", "free A"}));
}

TEST(Component, FreeNotificationWorksBothWays)
{
    QStringList log;
    TComponent root(nullptr);
    auto *a = new TWatcher(&root, QStringLiteral("A"), log);
    auto *b = new TWatcher(&root, QStringLiteral("B"), log);
    auto *c = new TWatcher(&root, QStringLiteral("C"), log);
    a->FreeNotification(b);
    a->FreeNotification(c);
    a->FreeNotification(c); // once is enough
    log.clear();
    delete b;
    EXPECT_EQ(log, QStringList({"free B", "A remove B"}));
    log.clear();
    delete a;
    EXPECT_EQ(log, QStringList({"free A", "C remove A"}));

    // Removed both ways: neither hears of the other.
    auto *d = new TWatcher(&root, QStringLiteral("D"), log);
    auto *e = new TWatcher(&root, QStringLiteral("E"), log);
    d->FreeNotification(e);
    e->RemoveFreeNotification(d);
    log.clear();
    delete d;
    delete e;
    EXPECT_EQ(log, QStringList({"free D", "free E"}));
}

TEST(Component, APartnerFreedByAnotherPartnersNotificationIsNotToldAgain)
{
    QStringList log;
    TComponent root(nullptr);
    auto *dying = new TWatcher(&root, QStringLiteral("Dying"), log);
    auto *first = new TWatcher(&root, QStringLiteral("First"), log);
    auto *second = new TWatcher(&root, QStringLiteral("Second"), log);
    dying->FreeNotification(first);
    dying->FreeNotification(second);
    // Told last-registered first: Second frees First while Dying goes.
    second->OnRemove = [first](TComponent *) { delete first; };
    log.clear();
    delete dying;
    EXPECT_EQ(log, QStringList({"free Dying", "Second remove Dying", "free First"}));
    EXPECT_EQ(root.ComponentCount(), 1);
}

TEST(Component, LinksMadeWhileAComponentIsFreedAreNotKept)
{
    QStringList log;
    TComponent root(nullptr);
    auto *dying = new TWatcher(&root, QStringLiteral("Dying"), log);
    auto *partner = new TWatcher(&root, QStringLiteral("Partner"), log);
    auto *bystander = new TWatcher(&root, QStringLiteral("Bystander"), log);
    dying->FreeNotification(partner);
    int told = 0;
    // Bounded, so that a destructor that keeps telling ends the test.
    partner->OnRemove = [&](TComponent *gone) {
        if (++told > 3)
            return;
        gone->FreeNotification(partner);
        partner->FreeNotification(gone);
        gone->FreeNotification(bystander);
    };
    log.clear();
    delete dying;
    EXPECT_EQ(told, 1);
    EXPECT_EQ(log, QStringList({"free Dying", "Partner remove Dying"}));
    // Neither keeps a link to the freed one (ASan would see the use).
    log.clear();
    delete partner;
    delete bystander;
    EXPECT_EQ(log, QStringList({"free Partner", "free Bystander"}));
}

TEST(Component, AGoingComponentIsMarkedBeforeAnyoneHearsOfIt)
{
    // A partner that is told must be able to see that the component is going
    // (and its owned ones too), so that it calls nothing of it; the going
    // component's own overrides are not called once its destructor has run.
    QStringList log;
    TComponent root(nullptr);
    auto *owner = new TWatcher(&root, QStringLiteral("Owner"), log);
    auto *child = new TWatcher(owner, QStringLiteral("Child"), log);
    auto *outside = new TWatcher(&root, QStringLiteral("Outside"), log);
    owner->FreeNotification(child);
    owner->FreeNotification(outside);
    child->FreeNotification(outside);
    QStringList seen;
    outside->OnRemove = [&](TComponent *gone) {
        seen << gone->Name() + (gone->HasState(csDestroying) ? QStringLiteral(" going") : QStringLiteral(" alive"));
    };
    child->OnRemove = outside->OnRemove;
    log.clear();
    delete owner;
    EXPECT_EQ(seen, QStringList({"Owner going", "Owner going", "Child going"}));
    EXPECT_EQ(log, QStringList({"free Owner", "Outside remove Owner", "Child remove Owner", "free Child",
                                "Outside remove Child"}));
}

TEST(ClassRegistry, FindsClassesWithoutRegardToCaseAndRefusesAnImpostor)
{
    sample::RegisterSampleClasses();
    sample::RegisterSampleClasses(); // the same classes again: nothing happens
    EXPECT_EQ(&FindClass(u"tsamplelabel"), &sample::TSampleLabel::StaticClass());
    EXPECT_EQ(GetClass(u"TNoSuchClass"), nullptr);
    EXPECT_THROW(FindClass(u"TNoSuchClass"), EClassNotFound);

    const TMetaClass impostor(QStringLiteral("TSAMPLELABEL"), &TComponent::StaticClass());
    EXPECT_THROW(RegisterClass(impostor), EFilerError);
    UnRegisterClass(impostor); // not the registered one: nothing happens
    EXPECT_EQ(GetClass(u"TSampleLabel"), &sample::TSampleLabel::StaticClass());

    const TMetaClass transient(QStringLiteral("TTransient"), &TComponent::StaticClass());
    RegisterClass(transient);
    EXPECT_EQ(GetClass(u"ttransient"), &transient);
    UnRegisterClass(transient);
    EXPECT_EQ(GetClass(u"TTransient"), nullptr);
    EXPECT_THROW(transient.NewComponent(nullptr), EClassNotFound); // no factory
}

TEST(ClassRegistry, NameRegistryKeepsOrderAndTheFirstOrReplacedValue)
{
    TNameRegistry<int> registry;
    EXPECT_TRUE(registry.Add(QStringLiteral("Screen"), 1));
    EXPECT_TRUE(registry.Add(QStringLiteral("Printer"), 2));
    EXPECT_FALSE(registry.Add(QStringLiteral("SCREEN"), 3));
    EXPECT_EQ(registry.Find(u"screen"), 1);
    EXPECT_EQ(registry.Replace(QStringLiteral("printer"), 4), 2);
    EXPECT_EQ(registry.Names(), (std::vector<QString>{"Screen", "Printer"}));
    EXPECT_EQ(registry.Remove(u"Screen"), 1);
    EXPECT_FALSE(registry.Find(u"Screen").has_value());
}
