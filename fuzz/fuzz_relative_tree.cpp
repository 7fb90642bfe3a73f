// Report templates are component streams that anyone may have edited; the
// tree of report objects is rebuilt from them, children put back at their
// stored positions. Arbitrary text streams are read into a tree of relatives
// (of a class that keeps its children's order, one that publishes its child
// type and one that stores its designer position), which must then hold
// together: every child's parent lists it once, positions match the lists,
// and the tree writes, reads back the same and frees without a trace.

#include "report/model/objects/Relative.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

using namespace classes;
using report::TppCommunicator;
using report::TppRelative;

[[noreturn]] void failure(const char *what)
{
    std::fprintf(stderr, "relative tree fuzz: %s\n", what);
    std::abort();
}

class TNode : public TppRelative
{
    ZVO_CLASS(TNode)
public:
    explicit TNode(TComponent *owner)
        : TppRelative(owner)
    {
        SetOrderedChildren(true);
    }
};

class TTypedNode : public TNode
{
    ZVO_CLASS(TTypedNode)
public:
    using TNode::TNode;
};

class TDesignedNode : public TNode
{
    ZVO_CLASS(TDesignedNode)
public:
    using TNode::TNode;
    bool StoresDesignInfo() const override { return true; }
};

const TMetaClass &TNode::StaticClass()
{
    static const TMetaClass meta = MakeClass<TNode, TppRelative>("TppNode", [](TClassBuilder<TNode> &c) {
        c.String("UserName", &TppCommunicator::GetUserName, &TppCommunicator::SetUserName);
        c.Integer("Position", &TppRelative::Position, &TppRelative::SetPosition);
    });
    return meta;
}

const TMetaClass &TTypedNode::StaticClass()
{
    static const TMetaClass meta = MakeClass<TTypedNode, TNode>("TppTypedNode", [](TClassBuilder<TTypedNode> &c) {
        c.Integer("ChildType", &TppRelative::ChildType, &TppRelative::SetChildType);
    });
    return meta;
}

const TMetaClass &TDesignedNode::StaticClass()
{
    static const TMetaClass meta = MakeClass<TDesignedNode, TNode>("TppDesignedNode");
    return meta;
}

void load(TMemoryStream &stream, const QByteArray &bytes)
{
    stream.Clear();
    stream.WriteBuffer(bytes.constData(), bytes.size());
    stream.SetPosition(0);
}

QByteArray bytesOf(TMemoryStream &stream)
{
    return QByteArray(stream.Memory(), qsizetype(stream.Size()));
}

void checkTree(const TppRelative &node, int depth)
{
    if (depth > MaxNesting + 1)
        failure("the tree is deeper than any stream can make it");
    for (int i = 0; i < node.ChildCount(); ++i) {
        const TppRelative *child = node.ChildAt(i);
        if (child->Parent() != &node)
            failure("a child does not name its parent");
        if (child->Position() != i)
            failure("a child's position is not its index");
        checkTree(*child, depth + 1);
    }
}

QByteArray write(TComponent *root)
{
    TMemoryStream out;
    out.WriteComponent(root);
    return bytesOf(out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool registered = [] {
        RegisterClasses({&TNode::StaticClass(), &TTypedNode::StaticClass(), &TDesignedNode::StaticClass()});
        return true;
    }();
    (void)registered;

    TMemoryStream text, binary;
    load(text, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    try {
        ObjectTextToBinary(text, binary);
    } catch (const std::exception &) {
        return 0;
    }
    TNode root(nullptr);
    binary.SetPosition(0);
    try {
        TReader reader(binary);
        reader.ReadRootComponent(&root);
    } catch (const std::exception &) {
        // What was read is freed by the read; the rest of the tree must hold.
    }
    checkTree(root, 0);

    QByteArray written;
    try {
        written = write(&root);
    } catch (const std::exception &) {
        return 0; // a value no stream can carry (a name too long for its form)
    }
    // Loading may add what the first tree lacked (user names derived from
    // names); from then on a tree reads back as it was.
    QByteArray previous;
    for (int round = 0; round < 2; ++round) {
        TNode copy(nullptr);
        TMemoryStream stream;
        load(stream, written);
        try {
            TReader reader(stream);
            reader.ReadRootComponent(&copy);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "%s\n", e.what());
            failure("a tree we wrote does not read back");
        }
        checkTree(copy, 0);
        previous = written;
        written = write(&copy);
    }
    if (written != previous)
        failure("a tree read back writes differently");
    return 0;
}
