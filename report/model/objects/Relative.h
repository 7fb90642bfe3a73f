#pragma once

// TppRelative: report objects as a tree. A report has bands, a band its
// components, a page its draw commands: each parent keeps its children in
// order, frees them when it goes (last first) and streams them as its
// children. The tree is apart from component ownership: an object may be
// owned by a form and be the child of a band, and whichever of the two frees
// it first takes it off the other's list.

#include "report/model/objects/Communicator.h"

#include <vector>

namespace report {

class TppRelative : public TppCommunicator
{
    ZVO_CLASS(TppRelative)
public:
    explicit TppRelative(classes::TComponent *aOwner);
    // Leaves the parent, then frees the children last first.
    ~TppRelative() override;

    // Whether the designer position streams with the object.
    virtual bool StoresDesignInfo() const { return false; }
    // Runs after a property change has reached the parents.
    virtual void AfterPropertyChange() {}

    TppRelative *Parent() const { return m_parent; }
    // Leaves the old parent and joins the new one at its end. Ignored for
    // the object itself and for its descendants, which would make a cycle.
    virtual void SetParent(TppRelative *aParent);

    // The children a descendant counts may exceed its list; the list itself
    // is ChildCount/ChildAt.
    virtual int CountChildren() const;
    // EListError outside the list.
    virtual TppRelative *ChildAt(int aIndex) const;
    int ChildCount() const { return int(m_children.size()); }
    // Passes children that are streamed but kept outside the list.
    virtual void GetOtherChildren(const classes::TGetChildProc &aProc, classes::TComponent *aRoot);
    virtual int AddChild(TppRelative *aChild);
    // EListError outside 0..ChildCount (the end appends).
    virtual void InsertChild(int aIndex, TppRelative *aChild);
    virtual int IndexOfChild(const TppRelative *aChild) const;
    // The former index, or -1.
    virtual int RemoveChild(TppRelative *aChild);
    // Takes over another object's place and children: its parent, its
    // OrderedChildren, and its children in their order (freeing its own
    // first). Children that shared the source's owner move to this one's.
    // Ignored for nil, for the object itself and for its descendants.
    virtual void TransferRelatives(TppRelative *aSource);

    int ChildType() const { return m_childType; }
    // Re-files the object with its parent (leaves and joins again).
    void SetChildType(int aChildType);
    bool FreeingChildren() const { return m_freeingChildren; }
    bool OrderedChildren() const { return m_orderedChildren; }
    void SetOrderedChildren(bool aOrderedChildren) { m_orderedChildren = aOrderedChildren; }

    // The index in the parent's children, -1 without a parent.
    int Position() const;
    // While the object is read only recorded (applied when its parent has
    // been read); otherwise the object moves, the index kept within the
    // parent's children, and PropertyChange runs.
    void SetPosition(int aPosition);

    // Hands the change to the parent, so that it reaches the root.
    void PropertyChange() override;
    void ChangeOwner(classes::TComponent *aNewOwner) override;
    void DefineProperties(classes::TFiler &aFiler) override;
    // Puts children with recorded positions at their positions when the
    // children's order matters.
    void ReadState(classes::TReader &aReader) override;
    bool HasParent() const override { return true; }
    classes::TComponent *GetParentComponent() const override;
    void SetParentComponent(classes::TComponent *aParent) override;
    void GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *aRoot) override;

private:
    void freeChildren();
    void moveTo(int aPosition);
    bool isAncestorOf(const TppRelative *aRelative) const;

    std::vector<TppRelative *> m_children;
    int m_childType = 0;
    bool m_freeingChildren = false;
    bool m_orderedChildren = false;
    TppRelative *m_parent = nullptr;
    int m_storedPosition = -1;
    TppLiveCount<TppRelative> m_live;
};

// "AllChildCount", "ChildCount", "FreeingChildren", "Index" and
// "OrderedChildren" (read only), "ChildType", "Parent" and "Position".
class TraTppRelativeRTTI : public TraRTTI
{
public:
    static const TraTppRelativeRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppRelativeRTTI();
};

} // namespace report
