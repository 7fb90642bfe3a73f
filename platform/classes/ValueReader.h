#pragma once

// Values of the binary component form ("TPF0"), read from a stream through a
// buffer. The input is untrusted: every length is checked against the bytes
// left before anything is allocated, nesting is limited (MaxNesting), and
// malformed data raises EReadError as a structural error, which no error
// hook may ignore.

#include "platform/classes/Filer.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace classes {

class TStream;

class TValueReader
{
public:
    explicit TValueReader(TStream &stream, int bufferSize = 4096);
    // Leaves the stream positioned after what was read.
    virtual ~TValueReader();
    TValueReader(const TValueReader &) = delete;
    TValueReader &operator=(const TValueReader &) = delete;

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
        if (count == 0)
            return;
        if (count > 0 && size_t(count) <= m_bufferEnd - m_bufferPos) {
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
        explicit Level(TValueReader &reader);
        ~Level() { --m_reader.m_depth; }
        Level(const Level &) = delete;
        Level &operator=(const Level &) = delete;

    private:
        TValueReader &m_reader;
    };

protected:
    uint8_t readByte()
    {
        if (m_bufferPos < m_bufferEnd)
            return uint8_t(m_buffer[m_bufferPos++]);
        uint8_t b = 0;
        readSlow(&b, 1);
        return b;
    }
    uint32_t readUInt32();
    QString readShortText();
    long double readExtendedValue();
    // An identifier value (or True, False, nil, Null) as bytes; false when
    // the next value is none of these.
    bool readIdentBytes(std::string &out);

    // Set by a structural error, and by a failure that an error hook did
    // not handle: from then on the read only unwinds.
    bool m_failing = false;

private:
    void readSlow(void *buffer, int64_t count);
    void fill();

    TStream &m_stream;
    std::vector<char> m_buffer;
    size_t m_bufferPos = 0;
    size_t m_bufferEnd = 0;
    int64_t m_bufferStart = 0;
    int64_t m_size = 0;
    int m_depth = 0;
};

} // namespace classes
