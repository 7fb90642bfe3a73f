#include "report/model/objects/Communicator.h"

#include "report/model/base/UniqueNames.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <unordered_map>

namespace report {

using classes::TComponent;

namespace {

// The receivers one send has served, kept once the list has changed under
// it, by their serial numbers: a receiver freed during the send may leave its
// address to a new one, which must still be served. Open addressing: a send
// to a thousand receivers whose list keeps changing looks each one up
// without an allocation.
class ServedSet
{
public:
    // Room for aCount receivers without growing.
    void reserve(size_t aCount)
    {
        size_t wanted = 16;
        while (wanted < aCount * 2)
            wanted *= 2;
        if (wanted > m_slots.size())
            rehash(wanted);
    }
    // False when aSerial is in the set already.
    bool insert(uint64_t aSerial)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            rehash(std::max<size_t>(16, m_slots.size() * 2));
        const size_t mask = m_slots.size() - 1;
        for (size_t i = slotOf(aSerial) & mask;; i = (i + 1) & mask) {
            if (m_slots[i] == aSerial)
                return false;
            if (!m_slots[i]) {
                m_slots[i] = aSerial;
                ++m_count;
                return true;
            }
        }
    }

private:
    static size_t slotOf(uint64_t aSerial)
    {
        // Serial numbers come in a row: mixed, they spread over the table.
        uint64_t v = aSerial;
        v ^= v >> 33;
        v *= 0xff51afd7ed558ccdULL;
        v ^= v >> 33;
        return size_t(v);
    }
    void rehash(size_t aSlots)
    {
        std::vector<uint64_t> old(aSlots, 0);
        old.swap(m_slots);
        m_count = 0;
        for (uint64_t serial : old)
            if (serial)
                insert(serial);
    }

    std::vector<uint64_t> m_slots; // 0: free, no communicator has it
    size_t m_count = 0;
};

// Never handed out twice in a run, so no object made later has the serial
// number of one freed before it (64 bits do not wrap). Atomic, as objects of
// separate reports may be made on separate threads.
std::atomic<uint64_t> communicatorSerials{0};

} // namespace

// One send or round of notices running on a communicator. The communicator
// marks its running frames when it is freed, so that a loop whose callee
// freed it stops without touching it again.
struct TppCommunicator::SendFrame
{
    explicit SendFrame(TppCommunicator *aOwner, bool aEvents = false)
        : owner(aOwner)
        , next(aOwner->m_sends)
        , events(aEvents)
    {
        aOwner->m_sends = this;
    }
    ~SendFrame()
    {
        if (!alive)
            return;
        owner->m_sends = next;
        // Members that left during the sends left holes, which the last
        // send to end closes.
        if (!next)
            owner->tidyLists();
    }
    SendFrame(const SendFrame &) = delete;
    SendFrame &operator=(const SendFrame &) = delete;

    TppCommunicator *owner;
    SendFrame *next;
    bool alive = true;
    // Of an event send: where it is, and once the receivers' list has
    // changed under it, the receivers it has visited.
    bool events;
    bool checking = false;
    size_t index = 0;
    ServedSet visited;
};

// A communicator's linked objects, or its receivers, in the order they came.
// A report of many fields links one pipeline, or the cache manager, to each
// of them: a long list finds a member through a hash, and a member that
// leaves leaves a hole (a null slot) instead of moving all behind it. The
// holes are closed once they are as many as the members, and never while a
// send walks the list by slot.
class TppCommunicator::List
{
public:
    size_t size() const { return m_slots.size() - m_holes; }
    bool empty() const { return size() == 0; }
    // Slots, holes included: a walk by slot stays in step while members leave.
    size_t extent() const { return m_slots.size(); }
    TppCommunicator *slotAt(size_t aSlot) const { return m_slots[aSlot]; }
    bool hasHoles() const { return m_holes > 0; }
    bool crowdedWithHoles() const { return m_holes > 16 && m_holes >= size(); }

    bool contains(const TppCommunicator *aMember) const { return find(aMember) != npos; }

    void push_back(TppCommunicator *aMember)
    {
        m_slots.push_back(aMember);
        if (!m_slotOf.empty())
            m_slotOf.emplace(aMember, m_slots.size() - 1);
        else if (size() > HashFrom)
            index();
    }

    void erase(const TppCommunicator *aMember)
    {
        const size_t at = find(aMember);
        if (at == npos)
            return;
        if (!m_slotOf.empty())
            m_slotOf.erase(aMember);
        if (at + 1 == m_slots.size()) {
            m_slots.pop_back();
            // Holes at the end go with it.
            while (!m_slots.empty() && !m_slots.back()) {
                m_slots.pop_back();
                --m_holes;
            }
        } else {
            m_slots[at] = nullptr;
            ++m_holes;
        }
    }

    // The aIndex-th member.
    TppCommunicator *at(size_t aIndex) const
    {
        if (!m_holes)
            return m_slots[aIndex];
        for (TppCommunicator *member : m_slots)
            if (member && aIndex-- == 0)
                return member;
        return nullptr;
    }

    std::vector<TppCommunicator *> members() const
    {
        std::vector<TppCommunicator *> result;
        result.reserve(size());
        for (TppCommunicator *member : m_slots)
            if (member)
                result.push_back(member);
        return result;
    }

    void assign(std::vector<TppCommunicator *> aMembers)
    {
        m_slots = std::move(aMembers);
        m_holes = 0;
        m_slotOf.clear();
        if (size() > HashFrom)
            index();
    }

    void compact()
    {
        if (m_holes)
            assign(members());
    }

private:
    static constexpr size_t npos = size_t(-1);
    // Up to this many a search is as quick as a hash.
    static constexpr size_t HashFrom = 32;

    size_t find(const TppCommunicator *aMember) const
    {
        if (!m_slotOf.empty()) {
            const auto it = m_slotOf.find(aMember);
            return it == m_slotOf.end() ? npos : it->second;
        }
        if (!aMember)
            return npos;
        const auto it = std::find(m_slots.begin(), m_slots.end(), aMember);
        return it == m_slots.end() ? npos : size_t(it - m_slots.begin());
    }

    void index()
    {
        m_slotOf.reserve(m_slots.size() * 2);
        for (size_t i = 0; i < m_slots.size(); ++i)
            if (m_slots[i])
                m_slotOf.emplace(m_slots[i], i);
    }

    std::vector<TppCommunicator *> m_slots;
    size_t m_holes = 0;
    std::unordered_map<const TppCommunicator *, size_t> m_slotOf; // filled once the list is long
};

namespace {

bool validEventID(int aEventID)
{
    return aEventID >= 0 && aEventID < ppEvent::Count;
}

} // namespace

const classes::TMetaClass &TppCommunicator::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppCommunicator, TComponent>("TppCommunicator");
    return meta;
}

TppCommunicator::TppCommunicator(TComponent *aOwner)
    : TComponent(aOwner)
    , m_serial(++communicatorSerials)
{}

TppCommunicator::~TppCommunicator()
{
    BeforeDestruction();
    for (SendFrame *frame = m_sends; frame; frame = frame->next)
        frame->alive = false;
    m_sends = nullptr;
    SendNotify(this, ppNotify::Remove);
    m_notifyList.reset();
    m_eventNotifyList.reset();
}

void TppCommunicator::BeforeDestruction()
{
    m_destroying = true;
    m_alive.reset();
    Destroying();
}

// ---- Links ------------------------------------------------------------------

void TppCommunicator::AddNotify(TppCommunicator *aCommunicator)
{
    // A link to an object on its way out would outlive it.
    if (!aCommunicator || m_destroying || aCommunicator->m_destroying)
        return;
    if (!m_notifyList)
        m_notifyList = std::make_unique<List>();
    if (m_notifyList->contains(aCommunicator))
        return;
    m_notifyList->push_back(aCommunicator);
    ++m_listVersion;
    aCommunicator->AddNotify(this);
}

void TppCommunicator::RemoveNotify(TppCommunicator *aCommunicator)
{
    if (!aCommunicator || !(m_notifyList && m_notifyList->contains(aCommunicator)))
        return;
    eventListChanging();
    m_notifyList->erase(aCommunicator);
    if (m_eventNotifyList) {
        m_eventNotifyList->erase(aCommunicator);
        if (m_eventNotifyList->empty())
            m_eventNotifyList.reset();
    }
    aCommunicator->RemoveNotify(this);
    if (m_notifyList && m_notifyList->empty())
        m_notifyList.reset();
    tidyLists();
}

void TppCommunicator::tidyLists(bool aEveryHole) const
{
    if (m_sends)
        return;
    if (m_notifyList && (aEveryHole ? m_notifyList->hasHoles() : m_notifyList->crowdedWithHoles()))
        m_notifyList->compact();
    if (m_eventNotifyList && (aEveryHole ? m_eventNotifyList->hasHoles() : m_eventNotifyList->crowdedWithHoles()))
        m_eventNotifyList->compact();
}

int TppCommunicator::GetNotifyCount() const
{
    return m_notifyList ? int(m_notifyList->size()) : 0;
}

int TppCommunicator::GetEventNotifyCount() const
{
    return m_eventNotifyList ? int(m_eventNotifyList->size()) : 0;
}

void TppCommunicator::SendNotify(TppCommunicator *aSender, int aOperation)
{
    if (!m_notifyList)
        return;
    SendFrame frame(this);
    // A notice may free or unlink others that are still to come: each is told
    // only while it is linked.
    const std::vector<TppCommunicator *> snapshot = m_notifyList->members();
    const uint32_t version = m_listVersion;
    for (size_t i = snapshot.size(); i-- > 0;) {
        TppCommunicator *target = snapshot[i];
        if (m_listVersion != version && !(m_notifyList && m_notifyList->contains(target)))
            continue;
        target->Notify(aSender, aOperation);
        if (!frame.alive)
            return;
    }
}

TppCommunicator *TppCommunicator::GetNotify(int aIndex) const
{
    if (aIndex < 0 || aIndex >= GetNotifyCount())
        return nullptr;
    // Callers count through the list: it is counted through the holes
    // only while a send walks it.
    tidyLists(true);
    return m_notifyList->at(size_t(aIndex));
}

void TppCommunicator::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    if (OnNotify) {
        SendFrame frame(this);
        OnNotify(this, aCommunicator, aOperation);
        if (!frame.alive)
            return;
    }
    if (aOperation == ppNotify::Remove)
        removeFromLists(aCommunicator);
}

void TppCommunicator::removeFromLists(TppCommunicator *aCommunicator)
{
    // The lists stay allocated: a round of notices may be walking them.
    eventListChanging();
    if (m_notifyList)
        m_notifyList->erase(aCommunicator);
    if (m_eventNotifyList)
        m_eventNotifyList->erase(aCommunicator);
    tidyLists();
}

// ---- Numbered events --------------------------------------------------------

void TppCommunicator::AddEventNotify(TppCommunicator *aReceiver)
{
    if (!aReceiver || m_destroying || aReceiver->m_destroying)
        return;
    if (!m_eventNotifyList)
        m_eventNotifyList = std::make_unique<List>();
    if (m_eventNotifyList->contains(aReceiver))
        return;
    eventListChanging();
    if (aReceiver->GetNotifyOrderKey().isEmpty())
        m_eventNotifyList->push_back(aReceiver);
    else
        insertOrdered(aReceiver);
    AddNotify(aReceiver);
}

void TppCommunicator::insertOrdered(TppCommunicator *aReceiver)
{
    // Every receiver is asked for its key again: keys may have changed since
    // the receivers were placed.
    struct Keyed
    {
        QString key;
        TppCommunicator *receiver;
    };
    std::vector<Keyed> entries;
    entries.reserve(m_eventNotifyList->size() + 1);
    for (TppCommunicator *receiver : m_eventNotifyList->members())
        entries.push_back({receiver->GetNotifyOrderKey(), receiver});
    const auto less = [](const Keyed &a, const Keyed &b) { return a.key.compare(b.key, Qt::CaseInsensitive) < 0; };
    Keyed added{aReceiver->GetNotifyOrderKey(), aReceiver};
    // Equal keys keep their registration order: a sorted list takes the new
    // receiver after its equals, as a stable sort of all would.
    const bool sorted = std::is_sorted(entries.begin(), entries.end(), less);
    if (sorted) {
        entries.insert(std::upper_bound(entries.begin(), entries.end(), added, less), std::move(added));
    } else {
        entries.push_back(std::move(added));
        std::stable_sort(entries.begin(), entries.end(), less);
    }
    if (!m_eventNotifyList)
        m_eventNotifyList = std::make_unique<List>();
    // The list is rebuilt without the holes that receivers leaving during a
    // running send left: each send's index moves back by the holes before
    // it, or it would pass over as many receivers it has not served. A list
    // that had to be sorted anew may have moved receivers not served yet in
    // front of the index: the send then looks through it from the start,
    // passing over those it has served.
    for (SendFrame *frame = m_sends; frame; frame = frame->next) {
        if (!frame->events)
            continue;
        size_t members = 0;
        for (size_t i = 0; sorted && i < std::min(frame->index, m_eventNotifyList->extent()); ++i)
            if (m_eventNotifyList->slotAt(i))
                ++members;
        frame->index = members;
    }
    std::vector<TppCommunicator *> ordered;
    ordered.reserve(entries.size());
    for (const Keyed &e : entries)
        ordered.push_back(e.receiver);
    m_eventNotifyList->assign(std::move(ordered));
}

void TppCommunicator::RemoveEventNotify(TppCommunicator *aReceiver)
{
    if (!aReceiver || !(m_eventNotifyList && m_eventNotifyList->contains(aReceiver)))
        return;
    eventListChanging();
    m_eventNotifyList->erase(aReceiver);
    RemoveNotify(aReceiver);
    if (m_eventNotifyList && m_eventNotifyList->empty())
        m_eventNotifyList.reset();
}

void TppCommunicator::SendEventNotify(TppCommunicator *aSender, int aEventID, TraParamList *aParams)
{
    if (!m_eventNotifyList || !validEventID(aEventID))
        return;
    // While the list stays as it was, every index holds another receiver and
    // nothing needs to be remembered. Once it changes (eventListChanging),
    // receivers may move back under the index or come again, and those
    // already visited are looked up.
    SendFrame frame(this, true);
    const size_t id = size_t(aEventID);
    while (m_eventNotifyList && frame.index < m_eventNotifyList->extent()) {
        TppCommunicator *receiver = m_eventNotifyList->slotAt(frame.index);
        // One that left while this send ran left a hole.
        if (!receiver) {
            ++frame.index;
            continue;
        }
        const uint32_t version = m_listVersion;
        if (receiver->m_eventSubscriptions[id] && (!frame.checking || frame.visited.insert(receiver->m_serial))) {
            receiver->EventNotify(aSender, aEventID, aParams);
            if (!frame.alive)
                return;
        }
        // A receiver that changed the list has the index looked at again: one
        // that left moved the next one under it, and so did one that left and
        // came back at the end, although the count is the same. Whoever has
        // been served is passed over there.
        if (m_listVersion == version || !frame.checking)
            ++frame.index;
    }
}

void TppCommunicator::eventListChanging()
{
    ++m_listVersion;
    if (!m_eventNotifyList)
        return;
    for (SendFrame *frame = m_sends; frame; frame = frame->next) {
        if (!frame->events || frame->checking)
            continue;
        // The send is inside the call of the receiver at its index.
        const size_t end = std::min(frame->index + 1, m_eventNotifyList->extent());
        frame->visited.reserve(m_eventNotifyList->size() + 1);
        for (size_t i = 0; i < end; ++i)
            if (const TppCommunicator *receiver = m_eventNotifyList->slotAt(i))
                frame->visited.insert(receiver->m_serial);
        frame->checking = true;
    }
}

void TppCommunicator::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    if (OnEventNotify)
        OnEventNotify(this, aCommunicator, aEventID, aParams);
}

bool TppCommunicator::HasEventNotify(int aEventID) const
{
    if (!m_notifyList || !validEventID(aEventID))
        return false;
    for (size_t i = 0; i < m_notifyList->extent(); ++i)
        if (const TppCommunicator *c = m_notifyList->slotAt(i); c && c->m_eventSubscriptions.test(size_t(aEventID)))
            return true;
    return false;
}

TppCommunicator *TppCommunicator::GetEventNotify(int aIndex) const
{
    if (aIndex < 0 || aIndex >= GetEventNotifyCount())
        return nullptr;
    tidyLists(true);
    return m_eventNotifyList->at(size_t(aIndex));
}

QString TppCommunicator::GetNotifyOrderKey() const
{
    return QString();
}

void TppCommunicator::SubscribeEvent(int aEventID)
{
    if (validEventID(aEventID))
        m_eventSubscriptions.set(size_t(aEventID));
}

void TppCommunicator::UnsubscribeEvent(int aEventID)
{
    if (validEventID(aEventID))
        m_eventSubscriptions.reset(size_t(aEventID));
}

bool TppCommunicator::IsSubscribed(int aEventID) const
{
    return validEventID(aEventID) && m_eventSubscriptions.test(size_t(aEventID));
}

// ---- State ------------------------------------------------------------------

void TppCommunicator::IncludeState(TppCommunicatorState aState)
{
    const TppCommunicatorState old = m_state;
    m_state |= aState;
    if (m_state != old)
        StateChange(aState);
}

void TppCommunicator::ExcludeState(TppCommunicatorState aState)
{
    const TppCommunicatorState old = m_state;
    m_state &= TppCommunicatorState(~aState);
    if (m_state != old)
        StateChange(aState);
}

void TppCommunicator::StateChange(TppCommunicatorState) {}

void TppCommunicator::PropertyChange() {}

// ---- Host object ------------------------------------------------------------

void TppCommunicator::SetHostObject(classes::TObject *aHostObject)
{
    m_hostObject = aHostObject;
}

classes::TObject *TppCommunicator::GetHostObject() const
{
    if (m_hostObject)
        return m_hostObject;
    const TppCommunicator *parent = ParentCommunicator();
    return parent ? parent->GetHostObject() : nullptr;
}

// ---- Names ------------------------------------------------------------------

TppCommunicator *TppCommunicator::ParentCommunicator() const
{
    return HasParent() ? dynamic_cast<TppCommunicator *>(GetParentComponent()) : nullptr;
}

QString TppCommunicator::GetUserName() const
{
    return m_userName;
}

void TppCommunicator::SetUserName(const QString &aUserName)
{
    if (!classes::IsValidIdent(aUserName))
        return;
    QString name = aUserName;
    if (!IsValidUserName(aUserName)) {
        const QChar last = aUserName.back();
        if (last >= u'1' && last <= u'9')
            return;
        for (int n = 1;; ++n) {
            name = aUserName + QString::number(n);
            const TppCommunicator *found = FindUserName(name);
            if (!found || found == this)
                break;
        }
    }
    if (name == m_userName)
        return;
    m_userName = name;
    UserNameChanged(this);
    SendNotify(this, ppNotify::Rename);
}

bool TppCommunicator::IsValidUserName(const QString &aUserName) const
{
    if (!classes::IsValidIdent(aUserName))
        return false;
    const TppCommunicator *found = FindUserName(aUserName);
    return !found || found == this;
}

TppCommunicator *TppCommunicator::FindUserName(const QString &aUserName) const
{
    if (TppCommunicator *parent = ParentCommunicator())
        return parent->FindUserName(aUserName);
    const TComponent *owner = Owner();
    if (!owner)
        return nullptr;
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        auto *c = dynamic_cast<TppCommunicator *>(owner->Components(i));
        if (c && classes::SameName(c->GetUserName(), aUserName))
            return c;
    }
    return nullptr;
}

QString TppCommunicator::GetUniqueName(TComponent *aComponent) const
{
    if (!aComponent)
        return QString();
    const TComponent *scope = Owner() ? Owner() : this;
    TppNameNumbers numbers(ppComponentNameBase(aComponent->ClassName()));
    for (int i = 0; i < scope->ComponentCount(); ++i) {
        const TComponent *c = scope->Components(i);
        if (c != aComponent && &c->ClassType() == &aComponent->ClassType())
            numbers.Note(c->Name());
    }
    // A component of another class may carry the name as well; the answer
    // must be one SetName takes.
    int n = numbers.First();
    for (const TComponent *other = scope->FindComponent(numbers.NameOf(n)); other && other != aComponent;
         other = scope->FindComponent(numbers.NameOf(n))) {
        numbers.NoteNumber(n);
        n = numbers.First();
    }
    return numbers.NameOf(n);
}

QString TppCommunicator::GetUniqueUserName(TComponent *aComponent) const
{
    if (!aComponent)
        return QString();
    if (const TppCommunicator *parent = ParentCommunicator())
        return parent->GetUniqueUserName(aComponent);
    return UniqueUserNameIn(aComponent->Owner(), aComponent);
}

QString TppCommunicator::UniqueUserNameIn(const TComponent *aScope, const TComponent *aComponent) const
{
    TppNameNumbers numbers(ppUserNameBase(aComponent->ClassName()));
    if (!aScope)
        return numbers.Base();
    const auto userNameOf = [](const TComponent *c) {
        const auto *communicator = dynamic_cast<const TppCommunicator *>(c);
        return communicator ? communicator->GetUserName() : QString();
    };
    for (int i = 0; i < aScope->ComponentCount(); ++i) {
        const TComponent *c = aScope->Components(i);
        if (c != aComponent && &c->ClassType() == &aComponent->ClassType())
            numbers.Note(userNameOf(c));
    }
    const auto taken = [&](const QString &name) {
        for (int i = 0; i < aScope->ComponentCount(); ++i) {
            const TComponent *c = aScope->Components(i);
            if (c != aComponent && classes::SameName(userNameOf(c), name))
                return true;
        }
        return false;
    };
    int n = numbers.First();
    while (taken(numbers.NameOf(n))) {
        numbers.NoteNumber(n);
        n = numbers.First();
    }
    return numbers.NameOf(n);
}

void TppCommunicator::ChangeOwner(TComponent *aNewOwner)
{
    TComponent *oldOwner = Owner();
    if (oldOwner == aNewOwner)
        return;
    // Refused before the component leaves its owner: refused after, it
    // would belong to nobody.
    if (aNewOwner && !Name().isEmpty()) {
        const TComponent *other = aNewOwner->FindComponent(Name());
        if (other && other != this)
            throw classes::EComponentError("A component named " + classes::messageText(Name()) + " already exists");
    }
    if (oldOwner)
        oldOwner->RemoveComponent(this);
    if (!aNewOwner)
        return;
    bool taken = false;
    for (int i = 0; i < aNewOwner->ComponentCount() && !taken; ++i) {
        const auto *c = dynamic_cast<const TppCommunicator *>(aNewOwner->Components(i));
        taken = c && c != this && !m_userName.isEmpty() && classes::SameName(c->GetUserName(), m_userName);
    }
    // The free name is asked for once the component is among the new
    // owner's: between the two owners it has none, and the search, whoever
    // answers it, would look among nobody's components and hand back the
    // bare base, which may be the very name taken there.
    aNewOwner->InsertComponent(this);
    if (taken) {
        m_userName = GetUniqueUserName(this);
        UserNameChanged(this);
    }
}

void TppCommunicator::UserNameChanged(TppCommunicator *aCommunicator)
{
    if (TppCommunicator *parent = ParentCommunicator())
        parent->UserNameChanged(aCommunicator);
}

bool TppCommunicator::followsName() const
{
    const QString &name = Name();
    return m_userName.isEmpty() || classes::SameName(m_userName, name) ||
           (name.size() > 2 && classes::SameName(m_userName, QStringView(name).mid(2)));
}

void TppCommunicator::DeriveUserName()
{
    QString name = Name();
    const QString &className = ClassName();
    if (name.size() >= 2 && className.size() >= 3 && QStringView(name).left(2) == QStringView(className).mid(1, 2))
        name.remove(0, 2);
    if (!IsValidUserName(name))
        name = GetUniqueUserName(this);
    SetUserName(name);
}

void TppCommunicator::Loaded()
{
    TComponent::Loaded();
    if (m_userName.isEmpty() && ClassType().FindProperty(QStringView(u"UserName")))
        DeriveUserName();
}

void TppCommunicator::SetName(const QString &aNewName)
{
    const bool follows = followsName();
    TComponent::SetName(aNewName);
    const bool reading = HasState(classes::csLoading | classes::csReading);
    if (follows && (!reading || HasCommunicatorState(ppRenameWhileLoading)))
        DeriveUserName();
}

void TppCommunicator::SetParentComponent(TComponent *) {}

// ---- Descriptor -------------------------------------------------------------

TraTppCommunicatorRTTI::TraTppCommunicatorRTTI()
    : TraRTTI(&TraTComponentRTTI::Instance())
{}

const TraTppCommunicatorRTTI &TraTppCommunicatorRTTI::Instance()
{
    static const TraTppCommunicatorRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppCommunicatorRTTI::RefClass() const
{
    return TppCommunicator::StaticClass();
}

void TraTppCommunicatorRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    raAddPropName(aList, QStringLiteral("UserName"));
}

bool TraTppCommunicatorRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (!raSameName(aName, "UserName"))
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    InitPropRec(QStringLiteral("UserName"), TraDataType::daString, false, aRec);
    return true;
}

bool TraTppCommunicatorRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                          const TraValuePointer &aValue) const
{
    auto *communicator = dynamic_cast<TppCommunicator *>(aObject);
    if (!communicator || !raSameName(aName, "UserName"))
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    raWriteValue(aValue, communicator->GetUserName(), aName);
    return true;
}

bool TraTppCommunicatorRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                          const TraValuePointer &aValue) const
{
    auto *communicator = dynamic_cast<TppCommunicator *>(aObject);
    if (!communicator || !raSameName(aName, "UserName"))
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    communicator->SetUserName(raReadValue<QString>(aValue, aName));
    return true;
}

} // namespace report
