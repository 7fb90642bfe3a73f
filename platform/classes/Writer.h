#pragma once

// TWriter: writes components and values in the binary form ("TPF0").
//
// A component is written as its class name, its name, its stored published
// properties (those whose value differs from the declared default, non-empty
// texts, non-zero floats, assigned references and handlers), the entries it
// defines itself, and then the children GetChildren passes. Integers take the
// smallest type that holds them, Double and Extended floats the 10-byte
// Extended form, texts the single-byte forms when Windows-1252 holds them.

#include "platform/classes/Filer.h"

#include <QByteArray>
#include <QVariant>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace classes {

class TCollection;
class TStream;

class TWriter : public TFiler
{
public:
    explicit TWriter(TStream &stream, int bufferSize = 4096);
    // Flushes what is buffered (errors then are lost; call FlushBuffer to see them).
    ~TWriter() override;

    // The signature and root as one component; references are named
    // relative to root.
    void WriteRootComponent(TComponent *root);
    void WriteComponent(TComponent *component);
    void WriteData(TComponent *instance);
    void WriteProperties(TPersistent *instance);
    void WriteProperty(TPersistent *instance, const TPropInfo &prop);
    void WriteCollection(TCollection *collection);

    // The component whose owned components are referred to by bare names:
    // the root, so that a stream written from a part of a form names the
    // form's other components in a way that still holds in another form.
    TComponent *LookupRoot() const { return m_lookupRoot; }
    void SetRoot(TComponent *root) override;

    void DefineProperty(const QString &name, const ReaderProc &read, const WriterProc &write, bool hasData) override;
    void DefineBinaryProperty(const QString &name, const StreamProc &read, const StreamProc &write,
                              bool hasData) override;

    // Values.
    void WriteSignature();
    void WritePrefix(uint8_t flags, int32_t childPos);
    // A component's prefix (none without flags), class name and name. Where
    // a component starts, a byte of 0xF0 or more is read as a prefix, so a
    // class name of 240 characters or more gets a prefix without flags.
    void WriteComponentHeader(uint8_t flags, int32_t childPos, std::string_view className, std::string_view name);
    void WriteValue(TValueType type);
    void WriteListBegin();
    void WriteListEnd();
    void WriteInteger(int64_t value);
    // EWriteError for NaN and infinities, which the forms cannot carry.
    void WriteFloat(long double value);
    void WriteSingle(float value);
    void WriteCurrency(int64_t value);
    void WriteDate(double value);
    void WriteString(const QString &value);
    // True, False, nil and Null become their own value types.
    void WriteIdent(const QString &ident);
    void WriteBoolean(bool value);
    void WriteChar(QChar value);
    void WriteVariant(const QVariant &value);
    void WriteBinary(const QByteArray &data);
    // A short string (length byte and bytes); EWriteError beyond 255 bytes.
    void WriteStr(std::string_view text);
    void WriteSet(const std::vector<std::string> &elements);

    void Write(const void *buffer, int64_t count)
    {
        if (count > 0 && m_bufferUsed + size_t(count) <= m_buffer.size()) {
            std::memcpy(m_buffer.data() + m_bufferUsed, buffer, size_t(count));
            m_bufferUsed += size_t(count);
        } else {
            writeSlow(buffer, count);
        }
    }
    void FlushBuffer();
    int64_t Position() const;

    // Counts one level of nesting for as long as it lives.
    class Level
    {
    public:
        explicit Level(TWriter &writer);
        ~Level() { --m_writer.m_depth; }
        Level(const Level &) = delete;
        Level &operator=(const Level &) = delete;

    private:
        TWriter &m_writer;
    };

private:
    void writeSlow(const void *buffer, int64_t count);
    void writeByte(uint8_t b)
    {
        if (m_bufferUsed == m_buffer.size())
            FlushBuffer();
        m_buffer[m_bufferUsed++] = char(b);
    }
    void writePropName(std::string_view name);
    void writeIdentBytes(std::string_view ident);
    static void checkNameValue(const TPropInfo &prop, std::string_view name);
    void writeOrdinal(TPersistent *instance, const TPropInfo &prop);
    void writeClassProperty(TPersistent *instance, const TPropInfo &prop);
    QString referenceName(TComponent *component) const;

    TStream &m_stream;
    std::vector<char> m_buffer;
    size_t m_bufferUsed = 0;
    int64_t m_streamStart = 0;
    int64_t m_flushed = 0;
    int m_depth = 0;
    TComponent *m_lookupRoot = nullptr;
    std::string m_propPath;
    std::string m_textBytes;
};

// Whether the writer would skip the property's current value.
bool IsDefaultPropValue(const TPersistent &instance, const TPropInfo &prop);

} // namespace classes
