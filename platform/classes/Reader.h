#pragma once

// TReader: reads components and values from the binary form ("TPF0").
//
// Input is untrusted: every length is checked against the bytes left before
// anything is allocated, nesting is limited (MaxNesting) and malformed data
// raises EReadError. Such structural errors are never offered to the error
// hook; errors of one value or one component are, and a handled error skips
// that value or that component with its subtree.

#include "platform/classes/Filer.h"

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

    // Values. The typed readers accept every value type that converts and
    // raise EReadError for the others.
    void ReadSignature();
    // The prefix flags and, with ffChildPos, the child position.
    std::pair<uint8_t, int32_t> ReadPrefix();
    TValueType ReadValue();
    TValueType NextValue();
    void CheckValue(TValueType type);
    void SkipValue();
    void SkipProperty();
    void SkipComponent(bool skipHeader = true);
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    int32_t ReadInteger();
    int64_t ReadInt64();
    long double ReadFloat();
    float ReadSingle();
    double ReadDouble();
    // Currency as value x 10000.
    int64_t ReadCurrency();
    double ReadDate();
    QString ReadString();
    QString ReadIdent();
    bool ReadBoolean();
    QChar ReadChar();
    QVariant ReadVariant();
    // A short string (length byte and bytes) as stored.
    std::string ReadStr();
    // A Binary value's bytes.
    QByteArray ReadBinary();

    // Raw access for converters.
    void Read(void *buffer, int64_t count)
    {
        if (count >= 0 && size_t(count) <= m_bufferEnd - m_bufferPos) {
            std::memcpy(buffer, m_buffer.data() + m_bufferPos, size_t(count));
            m_bufferPos += size_t(count);
        } else {
            readSlow(buffer, count);
        }
    }
    int64_t Position() const { return m_bufferStart + int64_t(m_bufferPos); }
    void SetPosition(int64_t position);
    int64_t BytesLeft() const { return m_size - Position(); }
    // Structural errors end the read whatever the hooks say.
    [[noreturn]] void StructuralError(const std::string &message);
    [[noreturn]] void ValueError();

    // Counts one level of nesting for as long as it lives.
    class Level
    {
    public:
        explicit Level(TReader &reader);
        ~Level() { --m_reader.m_depth; }
        Level(const Level &) = delete;
        Level &operator=(const Level &) = delete;

    private:
        TReader &m_reader;
    };

private:
    struct Fixup
    {
        TPersistent *instance;
        const TPropInfo *prop;
        QString name;
        bool nameFromHook;
    };

    void readSlow(void *buffer, int64_t count);
    void ObjectDestroyed(const TPersistent *object, bool held) override;
    void hold(const TPersistent *object);
    void release(const TPersistent *object);
    bool readIdentBytes(std::string &out);
    uint8_t readByte()
    {
        if (m_bufferPos < m_bufferEnd)
            return uint8_t(m_buffer[m_bufferPos++]);
        uint8_t b = 0;
        readSlow(&b, 1);
        return b;
    }
    uint32_t readUInt32();
    void fill();
    QString readShortText();
    long double readExtendedValue();
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

    TStream &m_stream;
    std::vector<char> m_buffer;
    size_t m_bufferPos = 0;
    size_t m_bufferEnd = 0;
    int64_t m_bufferStart = 0;
    int64_t m_size = 0;
    int m_depth = 0;
    bool m_failing = false;
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
