#pragma once

// Report objects in miniature for the object-model tests: a component of
// every published kind, a label named like the library's, a receiver that
// records what it is told, and a tree node that publishes its position.

#include "report/model/objects/Relative.h"
#include "report/model/base/Types.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/PropInfo.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringList>

#include <functional>

namespace modeltest {

using report::TppCommunicator;
using report::TppRelative;

// Reads aRoot from a component stream in text form.
inline void readText(classes::TComponent *aRoot, const QByteArray &aText)
{
    classes::TMemoryStream text, binary;
    text.WriteBuffer(aText.constData(), aText.size());
    text.SetPosition(0);
    classes::ObjectTextToBinary(text, binary);
    binary.SetPosition(0);
    classes::TReader(binary).ReadRootComponent(aRoot);
}

// One published property of every kind a script may meet.
class TKinds : public TppCommunicator
{
    ZVO_CLASS(TKinds)
public:
    explicit TKinds(classes::TComponent *owner = nullptr)
        : TppCommunicator(owner)
    {}

    int32_t Count = 0;
    QChar Initial;
    report::TppUnitType Units = report::TppUnitType::utInches;
    bool Visible = false;
    float Ratio = 0;
    double Width = 0;
    long double Precise = 0;
    int64_t Amount = 0; // Currency: value x 10000
    double Stamp = 0;   // TDateTime
    QString Caption;
    classes::TComponent *Buddy = nullptr;
    QVariant Value;
    int64_t Big = 0;
    uint32_t Options = 0;
    classes::TNotifyEvent OnDone;
    int32_t Serial() const { return 7; }
};

// Named as the library names its label, for the names derived from it.
class TLabel : public TppCommunicator
{
    ZVO_CLASS(TLabel)
public:
    explicit TLabel(classes::TComponent *owner = nullptr)
        : TppCommunicator(owner)
    {}
};

// Records notices and events; an optional hook runs inside EventNotify.
class TReceiver : public TppCommunicator
{
public:
    explicit TReceiver(QString key = QString(), QStringList *log = nullptr, classes::TComponent *owner = nullptr)
        : TppCommunicator(owner)
        , Key(std::move(key))
        , Log(log)
    {}

    QString GetNotifyOrderKey() const override { return Key; }
    void Notify(TppCommunicator *aCommunicator, int aOperation) override
    {
        ++Notices;
        if (Log)
            Log->append(QStringLiteral("%1 notice %2").arg(Key).arg(aOperation));
        TppCommunicator::Notify(aCommunicator, aOperation);
    }
    void EventNotify(TppCommunicator *, int aEventID, report::TraParamList *aParams) override
    {
        ++Events;
        if (Log)
            Log->append(QStringLiteral("%1 event %2").arg(Key).arg(aEventID));
        if (OnEvent)
            OnEvent(this, aEventID, aParams);
    }
    void StateChange(report::TppCommunicatorState aState) override { StateChanges.append(aState); }

    QString Key;
    QStringList *Log;
    int Events = 0;
    int Notices = 0;
    QList<int> StateChanges;
    std::function<void(TReceiver *, int, report::TraParamList *)> OnEvent;
};

// A tree node that publishes its position and user name, keeps its
// children's order and records what happens to it and its children.
class TNode : public TppRelative
{
    ZVO_CLASS(TNode)
public:
    explicit TNode(classes::TComponent *owner = nullptr, TppRelative *parent = nullptr);
    ~TNode() override;

    void InsertChild(int aIndex, TppRelative *aChild) override
    {
        ++Inserts;
        TppRelative::InsertChild(aIndex, aChild);
    }
    int RemoveChild(TppRelative *aChild) override
    {
        ++Removes;
        return TppRelative::RemoveChild(aChild);
    }
    void AfterPropertyChange() override { ++PropertyChanges; }
    bool StoresDesignInfo() const override { return DesignInfo; }

    int Inserts = 0;
    int Removes = 0;
    int PropertyChanges = 0;
    bool DesignInfo = false;
    // Where each freed node writes its name and whether its parent was
    // freeing children.
    QStringList *FreeLog = nullptr;
};

// A node class that publishes ChildType, so that no legacy entry is read.
class TTypedNode : public TNode
{
    ZVO_CLASS(TTypedNode)
public:
    using TNode::TNode;
};

// Checks that every test frees what it made.
class ObjectModelTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

private:
    int m_communicators = 0;
    int m_relatives = 0;
};

} // namespace modeltest
