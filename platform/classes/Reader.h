#pragma once

// TReader: reads components from the binary form ("TPF0") into live objects.
//
// Structural errors of the input (see TValueReader) are never offered to the
// error hook; errors of one value or one component are, and a handled error
// skips that value or that component with its subtree.

#include "platform/classes/Filer.h"
#include "platform/classes/ValueReader.h"

#include <QByteArray>
#include <QVariant>

#include <any>
#include <cstring>
#include <exception>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace classes {

class TCollection;
class TComponent;
class TStream;

class TReader
    : public TFiler
    , public TValueReader
    , private TDestroyListener
{
public:
    explicit TReader(TStream &stream, int bufferSize = 4096);
    // Leaves the stream positioned after what was read.
    ~TReader() override;

    // Hooks (each optional).
    // Before a component read from the stream gets its name; may change it.
    // References in the stream to the old name follow the component.
    std::function<void(TReader &, TComponent *, QString &)> OnSetName;
    // When a reference is read; may change the name looked up.
    std::function<void(TReader &, QString &)> OnReferenceName;
    // When the root has no handler of that name: set the address, or clear
    // error to keep the name without a handler.
    std::function<void(TReader &, const QString &, const std::any *&, bool &)> OnFindMethod;
    // A failed value or component; set handled to skip it and go on.
    std::function<void(TReader &, const std::exception &, bool &)> OnError;

    // Whole reads. Each takes the global name-space lock, resolves the
    // references at the end (in the root, then in registered roots for
    // "Root.Name") and then calls Loaded on every component in read order.
    // On failure every component made by the read is freed again.
    //
    // The signature and one component into root (made from its class when
    // root is nullptr; the caller then owns it).
    TComponent *ReadRootComponent(TComponent *root);
    // The signature, then components until the list end, owned by owner and
    // with parent as their parent component; proc sees each top-level one.
    void ReadComponents(TComponent *owner, TComponent *parent, const std::function<void(TComponent *)> &proc);

    // Parts of a read, for components' ReadState and for callers that read
    // nested streams.
    TComponent *ReadComponent(TComponent *component);
    void ReadData(TComponent *instance);
    void ReadProperty(TPersistent *instance);
    void ReadCollection(TCollection *collection);

    TComponent *Owner() const { return m_owner; }
    void SetOwner(TComponent *owner) { m_owner = owner; }
    TComponent *Parent() const { return m_parent; }
    void SetParent(TComponent *parent) { m_parent = parent; }

    void DefineProperty(const QString &name, const ReaderProc &read, const WriterProc &write, bool hasData) override;
    void DefineBinaryProperty(const QString &name, const StreamProc &read, const StreamProc &write,
                              bool hasData) override;

private:
    struct Fixup
    {
        TPersistent *instance;
        const TPropInfo *prop;
        QString name;
        bool nameFromHook;
    };

    void ObjectDestroyed(const TPersistent *object, bool held) override;
    void hold(const TPersistent *object);
    void release(const TPersistent *object);
    void readPropValue(TPersistent *instance, const TPropInfo &prop);
    void readReference(TPersistent *instance, const TPropInfo &prop);
    void readMethod(TPersistent *instance, const TPropInfo &prop);
    bool askErrorHook(const std::exception &error);
    void beginRead();
    void endRead(bool success);
    void resolveFixups();
    void callLoaded();
    void discardFrom(size_t created, size_t loaded, size_t fixups, size_t renamed);
    TComponent *findReference(const QString &name) const;
    void track(TComponent *component, bool created);

    TComponent *m_owner = nullptr;
    TComponent *m_parent = nullptr;

    // A whole read in progress.
    int m_readDepth = 0;
    std::vector<TComponent *> m_created;                     // in creation order; nullptr once gone
    std::vector<TComponent *> m_loaded;                      // in read order; nullptr once gone
    std::vector<Fixup> m_fixups;                             // instance nullptr once gone
    std::vector<std::pair<QString, TComponent *>> m_renamed; // stream name -> component
    // How often the lists above point at an object that is no component
    // (components count it themselves).
    std::unordered_map<const TPersistent *, int> m_tracked;

    std::string m_lastClassName;
    const TMetaClass *m_lastClass = nullptr;
    std::string m_ident;

    // The defined property being looked for by ReadProperty.
    QString m_definedName;
    bool m_defined = false;
};

} // namespace classes
