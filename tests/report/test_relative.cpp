#include "ModelObjects.h"

#include "report/model/objects/Relative.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

using namespace report;
using modeltest::readText;
using modeltest::TNode;
using modeltest::TTypedNode;

namespace {

using Relative = modeltest::ObjectModelTest;

QByteArray writeText(classes::TComponent *root)
{
    classes::TMemoryStream binary, text;
    binary.WriteComponent(root);
    binary.SetPosition(0);
    classes::ObjectBinaryToText(binary, text);
    return QByteArray(text.Memory(), qsizetype(text.Size()));
}

QStringList childNames(const TppRelative &parent)
{
    QStringList names;
    for (int i = 0; i < parent.ChildCount(); ++i)
        names.append(parent.ChildAt(i)->Name());
    return names;
}

// A root with children named a, b, c, ... in that order.
struct Tree
{
    explicit Tree(int count)
    {
        for (int i = 0; i < count; ++i) {
            auto *child = new TNode(nullptr, &root);
            child->SetName(QString(QChar(u'a' + i)));
        }
    }
    TNode root;
};

} // namespace

TEST_F(Relative, PositionsMoveWithinTheParent)
{
    const struct
    {
        int child;
        int position;
        const char *order;
    } cases[] = {
        {1, 10, "a,c,b"}, {1, -5, "b,a,c"}, {1, INT_MIN, "b,a,c"}, {0, INT_MAX, "b,c,a"},
        {2, 0, "c,a,b"},  {2, 2, "a,b,c"},  {1, 1, "a,b,c"},
    };
    for (const auto &c : cases) {
        Tree tree(3);
        TppRelative *child = tree.root.ChildAt(c.child);
        child->SetPosition(c.position);
        EXPECT_EQ(childNames(tree.root).join(','), c.order) << c.child << " to " << c.position;
        EXPECT_EQ(tree.root.PropertyChanges, 1); // the change reached the parent, moved or not
    }

    // Staying in place removes and inserts nothing; without a parent there
    // is no position, only the change.
    Tree tree(3);
    tree.root.Inserts = tree.root.Removes = 0;
    tree.root.ChildAt(1)->SetPosition(1);
    EXPECT_EQ(tree.root.Inserts + tree.root.Removes, 0);
    // Inserting outside the list is the caller's error, and nothing moves.
    TNode stray;
    for (int index : {-1, 4}) {
        EXPECT_THROW(tree.root.InsertChild(index, &stray), classes::EListError) << index;
        EXPECT_EQ(childNames(tree.root).join(','), "a,b,c");
    }
    TNode alone;
    alone.SetPosition(3);
    EXPECT_EQ(alone.Position(), -1);
    EXPECT_EQ(alone.PropertyChanges, 1);
}

TEST_F(Relative, ParentsNeverFormACycle)
{
    Tree tree(2);
    auto *a = static_cast<TNode *>(tree.root.ChildAt(0));
    auto *grandchild = new TNode(nullptr, a);
    grandchild->SetName("g");
    a->SetParent(a);
    tree.root.SetParent(grandchild);
    tree.root.SetParent(a);
    EXPECT_EQ(a->Parent(), &tree.root);
    EXPECT_EQ(tree.root.Parent(), nullptr);
    EXPECT_EQ(grandchild->Parent(), a);

    // Moving a subtree elsewhere is fine; a change travels to the root.
    auto *b = static_cast<TNode *>(tree.root.ChildAt(1));
    grandchild->SetParent(b);
    EXPECT_EQ(a->ChildCount(), 0);
    grandchild->PropertyChange();
    EXPECT_EQ(b->PropertyChanges, 1);
    EXPECT_EQ(tree.root.PropertyChanges, 1);

    // A new child type re-files the child at its parent's end.
    a->SetChildType(4);
    EXPECT_EQ(a->ChildType(), 4);
    EXPECT_EQ(childNames(tree.root).join(','), "b,a");
}

TEST_F(Relative, AParentFreesItsChildrenLastFirst)
{
    QStringList log;
    auto root = std::make_unique<TNode>();
    root->SetName("root");
    classes::TComponent owner(nullptr); // owns the children as well
    for (const char *name : {"a", "b", "c"}) {
        auto *child = new TNode(&owner, root.get());
        child->SetName(name);
        child->FreeLog = &log;
    }
    auto *grandchild = new TNode(&owner, root->ChildAt(0));
    grandchild->SetName("a1");
    grandchild->FreeLog = &log;
    root.reset();
    EXPECT_EQ(log, (QStringList{"c freeing", "b freeing", "a freeing", "a1 freeing"}));
    EXPECT_EQ(owner.ComponentCount(), 0);

    // Freed first by the owner, a child leaves its parent.
    TNode parent;
    auto ownerFirst = std::make_unique<classes::TComponent>(nullptr);
    new TNode(ownerFirst.get(), &parent);
    ownerFirst.reset();
    EXPECT_EQ(parent.ChildCount(), 0);
}

TEST_F(Relative, StoredPositionsOrderTheChildrenAfterReading)
{
    TNode root;
    readText(&root, "object Root: TppNode\n"
                    "  object ppNode1: TppNode\n    Position = 2\n  end\n"
                    "  object ppNode2: TppNode\n    Position = 0\n  end\n"
                    "  object ppNode3: TppNode\n    Position = 1\n  end\n"
                    "  object ppNode4: TppNode\n    Position = 9\n  end\n"
                    "end\n");
    EXPECT_EQ(childNames(root), (QStringList{"ppNode2", "ppNode3", "ppNode1", "ppNode4"}));
    EXPECT_EQ(root.ChildAt(0)->GetUserName(), "Node2");
    EXPECT_EQ(root.ChildAt(0)->Owner(), &root);

    // The order survives a round trip.
    const QByteArray text = writeText(&root);
    TNode copy;
    readText(&copy, text);
    EXPECT_EQ(childNames(copy), childNames(root));
    EXPECT_EQ(copy.ChildAt(3)->Position(), 3);

    // Two children for one place: the later one has it.
    TNode clash;
    readText(&clash, "object Root: TppNode\n"
                     "  object x: TppNode\n    Position = 1\n  end\n"
                     "  object y: TppNode\n    Position = 1\n  end\n"
                     "  object z: TppNode\n    Position = 0\n  end\n"
                     "end\n");
    EXPECT_EQ(childNames(clash), (QStringList{"z", "y", "x"}));
}

TEST_F(Relative, LegacyEntriesAndTheDesignerPosition)
{
    TNode root;
    readText(&root, "object Root: TppNode\n"
                    "  object old: TppNode\n    ChildType = 2.5\n  end\n"
                    "  object typed: TppTypedNode\n    ChildType = 4\n  end\n"
                    "end\n");
    ASSERT_EQ(root.ChildCount(), 2);
    EXPECT_EQ(root.ChildAt(0)->ChildType(), 2); // halves to even
    EXPECT_EQ(root.ChildAt(1)->ChildType(), 4);
    const QByteArray text = writeText(&root);
    EXPECT_EQ(text.count("ChildType"), 1) << text.constData(); // only the published one
    EXPECT_FALSE(text.contains("Left"));

    TNode designed;
    designed.DesignInfo = true;
    designed.SetDesignPosition(10, 20);
    EXPECT_TRUE(writeText(&designed).contains("Left = 10"));
    designed.DesignInfo = false;
    EXPECT_FALSE(writeText(&designed).contains("Left"));
}

TEST_F(Relative, ANameReadFromAStreamLeavesTheUserNameUnlessAsked)
{
    for (bool flag : {false, true}) {
        TNode root;
        root.SetName("ppNode1");
        ASSERT_EQ(root.GetUserName(), "Node1");
        if (flag)
            root.IncludeState(ppRenameWhileLoading);
        readText(&root, "object ppNode5: TppNode\nend\n");
        EXPECT_EQ(root.GetUserName(), flag ? "Node5" : "Node1");
    }
}

TEST_F(Relative, TransferRelativesTakesOverPlaceAndChildren)
{
    TNode top;
    classes::TComponent sourceOwner(nullptr), targetOwner(nullptr);
    auto *source = new TNode(&sourceOwner, &top);
    source->SetName("source");
    source->SetOrderedChildren(false);
    for (const char *name : {"x", "y"}) {
        auto *child = new TNode(&sourceOwner, source);
        child->SetName(name);
        auto *inner = new TNode(&sourceOwner, child);
        inner->SetName(QString(name) + "1");
    }
    auto *stranger = new TNode(nullptr, source); // owned by nobody: stays so
    stranger->SetName("s");
    auto *target = new TNode(&targetOwner);
    auto *old = new TNode(&targetOwner, target);
    QStringList log;
    old->FreeLog = &log;

    target->TransferRelatives(source);
    EXPECT_EQ(source->ChildCount(), 0);
    EXPECT_EQ(target->Parent(), &top);
    EXPECT_FALSE(target->OrderedChildren());
    EXPECT_EQ(childNames(*target), (QStringList{"x", "y", "s"}));
    EXPECT_EQ(log.size(), 1); // its own child was freed
    EXPECT_EQ(target->ChildAt(0)->Owner(), &targetOwner);
    EXPECT_EQ(target->ChildAt(0)->ChildAt(0)->Owner(), &targetOwner); // recursively
    EXPECT_EQ(target->ChildAt(2)->Owner(), nullptr);
    EXPECT_EQ(sourceOwner.ComponentCount(), 1); // the source alone

    // Nil, itself and a descendant change nothing.
    TppRelative *x = target->ChildAt(0);
    target->TransferRelatives(nullptr);
    target->TransferRelatives(target);
    target->TransferRelatives(x);
    EXPECT_EQ(childNames(*target), (QStringList{"x", "y", "s"}));
    EXPECT_EQ(x->ChildCount(), 1);
    delete source;
    delete target;
}
