#pragma once

// TppCommunicator, the base of every report object. It gives three services:
//
// - Links: two objects that refer to each other link up, and whichever is
//   freed first tells the other (operation ppNotify::Remove), which drops its
//   references. Links are symmetric and never doubled.
// - Numbered events: a receiver registers with a sender and subscribes to
//   event ids in its own 256-bit set; the sender's SendEventNotify calls each
//   registered receiver whose set holds the id, with a parameter list.
// - A user name, the name scripts and the designer know an object by: kept
//   unique among the owner's components and derived from the component name.
//
// Main thread only. Receivers may register, unregister and free objects
// (the sender included) while they are being notified.

#include "report/model/objects/Descriptors.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/LiveObjects.h"
#include "report/model/objects/ParamList.h"

#include "platform/classes/Component.h"

#include <bitset>
#include <cstdint>
#include <memory>
#include <vector>

namespace report {

class TppCommunicator;

using TppEventSet = std::bitset<ppEvent::Count>;
using TppCommunicatorState = uint16_t;

// The state flag that lets a new component name re-derive the user name
// while the component is read from a stream.
constexpr TppCommunicatorState ppRenameWhileLoading = 32;

using TppNotifyEvent = classes::TEvent<void(classes::TObject *Sender, TppCommunicator *aCommunicator, int aOperation)>;
using TppEventNotifyEvent = classes::TEvent<void(classes::TObject *Sender, TppCommunicator *aCommunicator, int aEventID,
                                                 TraParamList *aParams)>;

class TppCommunicator : public classes::TComponent
{
    ZVO_CLASS(TppCommunicator)
public:
    explicit TppCommunicator(classes::TComponent *aOwner);
    // Tells every linked object (last to first) that this one goes.
    ~TppCommunicator() override;

    // Marks the object as being destroyed. Each destructor below this class
    // that does more than free memory calls it first.
    virtual void BeforeDestruction();
    bool IsDestroying() const { return m_destroying; }
    // Expires as the object starts to go (BeforeDestruction, or the last
    // destructor at the latest). A routine that calls out (an event, a hook,
    // a virtual a descendant overrides) takes the token of every object it
    // uses afterwards, and asks it after the call: docs/architecture.md,
    // "How a routine that calls a handler holds its objects".
    std::weak_ptr<char> AliveToken() const { return m_alive; }

    // What the object is besides a communicator (the interfaces it has).
    template <class Interface>
    Interface *supports()
    {
        return dynamic_cast<Interface *>(this);
    }

    // ---- Links ----
    void AddNotify(TppCommunicator *aCommunicator);
    // Unlinks the two, and with the link each one's registration as the
    // other's receiver: a receiver must stay linked to its sender, or its
    // end would go untold.
    void RemoveNotify(TppCommunicator *aCommunicator);
    // Calls Notify(aSender, aOperation) on every linked object, last first.
    void SendNotify(TppCommunicator *aSender, int aOperation);
    TppCommunicator *GetNotify(int aIndex) const;
    int GetNotifyCount() const;
    // Fires OnNotify; on removal drops aCommunicator from both lists.
    // Descendants call this first, then drop their own references.
    virtual void Notify(TppCommunicator *aCommunicator, int aOperation);

    // ---- Numbered events ----
    // Registers a receiver with this sender and links the two. A receiver
    // with an order key is placed by key (without regard to case, empty keys
    // first, equal keys in registration order), one without is appended.
    void AddEventNotify(TppCommunicator *aReceiver);
    void RemoveEventNotify(TppCommunicator *aReceiver);
    // Calls EventNotify on the receivers subscribed to aEventID, in list
    // order. Receivers that unregister themselves (and perhaps register
    // again) do not make the next one miss the event; none is called twice in
    // one send, however the list changes; the send ends when a receiver frees
    // this sender.
    void SendEventNotify(TppCommunicator *aSender, int aEventID, TraParamList *aParams);
    virtual void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams);
    // Whether any linked object subscribes to aEventID: senders ask before
    // building a parameter list nobody reads.
    bool HasEventNotify(int aEventID) const;
    TppCommunicator *GetEventNotify(int aIndex) const;
    int GetEventNotifyCount() const;
    // '' here: receivers without a key keep their registration order.
    virtual QString GetNotifyOrderKey() const;

    // The receiver's own subscriptions, valid for every sender it is
    // registered with. Ids outside 0-255 are ignored.
    const TppEventSet &EventSubscriptions() const { return m_eventSubscriptions; }
    void SetEventSubscriptions(const TppEventSet &aEvents) { m_eventSubscriptions = aEvents; }
    void SubscribeEvent(int aEventID);
    void UnsubscribeEvent(int aEventID);
    bool IsSubscribed(int aEventID) const;

    TppNotifyEvent OnNotify;
    TppEventNotifyEvent OnEventNotify;

    // ---- State ----
    TppCommunicatorState CommunicatorState() const { return m_state; }
    bool HasCommunicatorState(TppCommunicatorState aState) const { return (m_state & aState) != 0; }
    // Set or clear bits; when at least one changed, StateChange(aState).
    virtual void IncludeState(TppCommunicatorState aState);
    virtual void ExcludeState(TppCommunicatorState aState);
    virtual void StateChange(TppCommunicatorState aState);
    virtual void PropertyChange();

    // ---- Host object ----
    virtual void SetHostObject(classes::TObject *aHostObject);
    // The host's object, else the parent communicator's.
    classes::TObject *GetHostObject() const;

    // ---- Names ----
    virtual QString GetUserName() const;
    // Ignores texts that are no identifier. A name another communicator
    // uses gets the smallest free number appended, unless it ends in a digit
    // 1-9 (then nothing changes). A change is told to the linked objects.
    virtual void SetUserName(const QString &aUserName);
    QString UserName() const { return GetUserName(); }
    // An identifier that no other communicator uses.
    virtual bool IsValidUserName(const QString &aUserName) const;
    // Asked of the parent communicator when there is one, else the owner's
    // components are searched (without regard to case).
    virtual TppCommunicator *FindUserName(const QString &aUserName) const;
    // A free numbered component name for aComponent within this object's
    // owner (or within this object without an owner).
    virtual QString GetUniqueName(classes::TComponent *aComponent) const;
    // A free numbered user name for aComponent: asked of the parent
    // communicator when there is one, else within aComponent's owner.
    virtual QString GetUniqueUserName(classes::TComponent *aComponent) const;
    // Moves the component to another owner; a user name taken there is
    // replaced by a free one, without a rename notice. A component name taken
    // there raises EComponentError, and the component stays where it was.
    virtual void ChangeOwner(classes::TComponent *aNewOwner);
    // The designer parent, when it is a communicator.
    TppCommunicator *ParentCommunicator() const;
    // Told when aCommunicator, this one or one below it, took a user name
    // or joined the tree; passed up to the parent communicator, so that one
    // that keeps its names indexed hears of it.
    virtual void UserNameChanged(TppCommunicator *aCommunicator);

    void Loaded() override;
    void SetName(const QString &aNewName) override;
    // Report objects take their parents from their own trees.
    void SetParentComponent(classes::TComponent *aParent) override;

protected:
    // The user name as the component name gives it: the name without the
    // class's "pp", else a free numbered one.
    void DeriveUserName();
    // A free numbered user name for aComponent among aScope's components.
    QString UniqueUserNameIn(const classes::TComponent *aScope, const classes::TComponent *aComponent) const;
    void setUserNameField(const QString &aUserName) { m_userName = aUserName; }

private:
    struct SendFrame;
    class List;

    void removeFromLists(TppCommunicator *aCommunicator);
    // Called before either list changes.
    void eventListChanging();
    void insertOrdered(TppCommunicator *aReceiver);
    // Closes the lists' holes (those of a list with as many holes as
    // members, or every one) while no send walks them.
    void tidyLists(bool aEveryHole = false) const;
    bool followsName() const;

    classes::TObject *m_hostObject = nullptr;
    TppCommunicatorState m_state = 0;
    bool m_destroying = false;
    std::shared_ptr<char> m_alive = std::make_shared<char>(0);
    std::unique_ptr<List> m_notifyList;
    std::unique_ptr<List> m_eventNotifyList;
    // Changes with every change of either list, so that a round of notices
    // sees whether the list moved under it.
    uint32_t m_listVersion = 0;
    SendFrame *m_sends = nullptr; // the sends and notice rounds running on this object
    TppEventSet m_eventSubscriptions;
    // What a send remembers the receivers it served by.
    const uint64_t m_serial;
    QString m_userName;
    TppLiveCount<TppCommunicator> m_live;
};

// "UserName" (String): read by GetUserName, written by SetUserName.
class TraTppCommunicatorRTTI : public TraRTTI
{
public:
    static const TraTppCommunicatorRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppCommunicatorRTTI();
};

} // namespace report
