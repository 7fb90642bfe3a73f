#include "platform/classes/ValueReader.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/CodePage.h"
#include "platform/classes/Extended.h"
#include "platform/classes/Streams.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace classes {

TValueReader::Level::Level(TValueReader &reader)
    : m_reader(reader)
{
    if (++m_reader.m_depth > MaxNesting) {
        --m_reader.m_depth;
        m_reader.StructuralError("Components, lists or collections nested too deeply");
    }
}

TValueReader::TValueReader(TStream &stream, int bufferSize)
    : m_stream(stream)
    , m_buffer(size_t(std::max(bufferSize, 64)))
{
    m_bufferStart = stream.Position();
    m_size = stream.Size();
}

TValueReader::~TValueReader()
{
    try {
        m_stream.SetPosition(Position());
    } catch (...) {
        // A stream that cannot seek back keeps its own position.
    }
}

QString TValueReader::readShortText()
{
    char bytes[255];
    const uint8_t length = readByte();
    Read(bytes, length);
    return FromWin1252(std::string_view(bytes, length));
}

void TValueReader::StructuralError(const std::string &message)
{
    m_failing = true;
    throw EReadError(message);
}

void TValueReader::ValueError()
{
    throw EReadError("Invalid property value");
}

void TValueReader::fill()
{
    m_bufferStart += int64_t(m_bufferEnd);
    m_bufferPos = m_bufferEnd = 0;
    m_stream.SetPosition(m_bufferStart);
    const int64_t want = std::min<int64_t>(int64_t(m_buffer.size()), m_size - m_bufferStart);
    if (want > 0)
        m_bufferEnd = size_t(std::max<int64_t>(m_stream.Read(m_buffer.data(), want), 0));
}

void TValueReader::readSlow(void *buffer, int64_t count)
{
    if (count < 0 || count > BytesLeft())
        StructuralError("Unexpected end of the stream");
    char *out = static_cast<char *>(buffer);
    while (count > 0) {
        if (m_bufferPos == m_bufferEnd) {
            fill();
            if (m_bufferEnd == 0)
                StructuralError("Stream read error");
        }
        const size_t n = std::min<size_t>(size_t(count), m_bufferEnd - m_bufferPos);
        std::memcpy(out, m_buffer.data() + m_bufferPos, n);
        m_bufferPos += n;
        out += n;
        count -= int64_t(n);
    }
}

uint32_t TValueReader::readUInt32()
{
    uint8_t b[4];
    Read(b, 4);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

void TValueReader::SetPosition(int64_t position)
{
    if (position >= m_bufferStart && position <= m_bufferStart + int64_t(m_bufferEnd)) {
        m_bufferPos = size_t(position - m_bufferStart);
        return;
    }
    m_bufferStart = position;
    m_bufferPos = m_bufferEnd = 0;
}

// ---- values ---------------------------------------------------------------

void TValueReader::ReadSignature()
{
    char signature[4];
    Read(signature, 4);
    if (std::memcmp(signature, "TPF0", 4) != 0)
        StructuralError("Invalid stream format");
}

std::pair<uint8_t, int32_t> TValueReader::ReadPrefix()
{
    if (BytesLeft() <= 0)
        StructuralError("Unexpected end of the stream");
    const uint8_t first = readByte();
    if ((first & 0xF0) != 0xF0) {
        SetPosition(Position() - 1);
        return {0, 0};
    }
    const uint8_t flags = first & 0x0F;
    if (flags & ~uint8_t(ffInherited | ffChildPos | ffInline))
        StructuralError("Invalid component prefix");
    int32_t position = 0;
    if (flags & ffChildPos) {
        const TValueType t = ReadValue();
        if (!isIntegerType(t))
            StructuralError("Invalid child position");
        SetPosition(Position() - 1);
        position = ReadInteger();
    }
    return {flags, position};
}

TValueType TValueReader::ReadValue()
{
    const uint8_t b = readByte();
    if (b > LastValueType)
        StructuralError("Invalid value type");
    return TValueType(b);
}

TValueType TValueReader::NextValue()
{
    const TValueType t = ReadValue();
    SetPosition(Position() - 1);
    return t;
}

void TValueReader::CheckValue(TValueType type)
{
    if (ReadValue() != type)
        ValueError();
}

bool TValueReader::EndOfList()
{
    // A raw look: in a component list the next byte may be a prefix.
    const uint8_t b = readByte();
    SetPosition(Position() - 1);
    return b == 0;
}

void TValueReader::ReadListBegin()
{
    CheckValue(TValueType::vaList);
}

void TValueReader::ReadListEnd()
{
    CheckValue(TValueType::vaNull);
}

int32_t TValueReader::ReadInteger()
{
    switch (ReadValue()) {
    case TValueType::vaInt8: return int8_t(readByte());
    case TValueType::vaInt16: {
        uint8_t b[2];
        Read(b, 2);
        return int16_t(uint16_t(b[0] | (b[1] << 8)));
    }
    case TValueType::vaInt32: return int32_t(readUInt32());
    case TValueType::vaInt64: {
        SetPosition(Position() - 1);
        const int64_t v = ReadInt64();
        if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
            ValueError();
        return int32_t(v);
    }
    default: ValueError();
    }
}

int64_t TValueReader::ReadInt64()
{
    if (NextValue() != TValueType::vaInt64)
        return ReadInteger();
    ReadValue();
    uint8_t b[8];
    Read(b, 8);
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | b[i];
    return int64_t(v);
}

long double TValueReader::readExtendedValue()
{
    uint8_t b[10];
    Read(b, 10);
    long double v = 0;
    if (!DecodeExtended(b, v))
        StructuralError("Invalid floating-point value");
    return v;
}

namespace {

uint64_t littleEndian(const uint8_t *b, int count)
{
    uint64_t v = 0;
    for (int i = count - 1; i >= 0; --i)
        v = (v << 8) | b[i];
    return v;
}

} // namespace

long double TValueReader::ReadFloat()
{
    const TValueType t = ReadValue();
    switch (t) {
    case TValueType::vaExtended: return readExtendedValue();
    case TValueType::vaSingle: {
        uint8_t b[4];
        Read(b, 4);
        const float f = std::bit_cast<float>(uint32_t(littleEndian(b, 4)));
        if (!std::isfinite(f))
            StructuralError("Invalid floating-point value");
        return f;
    }
    case TValueType::vaDouble:
    case TValueType::vaDate: {
        uint8_t b[8];
        Read(b, 8);
        const double d = std::bit_cast<double>(littleEndian(b, 8));
        if (!std::isfinite(d))
            StructuralError("Invalid floating-point value");
        return d;
    }
    case TValueType::vaCurrency: {
        uint8_t b[8];
        Read(b, 8);
        return static_cast<long double>(int64_t(littleEndian(b, 8))) / 10000.0L;
    }
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32:
    case TValueType::vaInt64: SetPosition(Position() - 1); return static_cast<long double>(ReadInt64());
    default: ValueError();
    }
}

float TValueReader::ReadSingle()
{
    const long double v = ReadFloat();
    if (std::fabs(v) > std::numeric_limits<float>::max())
        ValueError();
    return float(v);
}

double TValueReader::ReadDouble()
{
    const long double v = ReadFloat();
    if (std::fabs(v) > std::numeric_limits<double>::max())
        ValueError();
    return double(v);
}

int64_t TValueReader::ReadCurrency()
{
    if (NextValue() == TValueType::vaCurrency) {
        ReadValue();
        uint8_t b[8];
        Read(b, 8);
        return int64_t(littleEndian(b, 8));
    }
    const long double scaled = ReadFloat() * 10000.0L;
    // The range of an Int64, with room for the rounding.
    if (!(std::fabs(scaled) < 9.2e18L))
        ValueError();
    return std::llroundl(scaled);
}

double TValueReader::ReadDate()
{
    return ReadDouble();
}

std::string TValueReader::ReadStr()
{
    const uint8_t length = readByte();
    std::string text(length, '\0');
    Read(text.data(), length);
    return text;
}

QString TValueReader::ReadString()
{
    switch (ReadValue()) {
    case TValueType::vaString: return readShortText();
    case TValueType::vaLString: {
        const uint32_t length = readUInt32();
        if (int64_t(length) > BytesLeft())
            StructuralError("Text length beyond the end of the stream");
        std::string bytes(length, '\0');
        Read(bytes.data(), length);
        return FromWin1252(bytes);
    }
    case TValueType::vaWString: {
        const uint32_t length = readUInt32();
        if (2 * int64_t(length) > BytesLeft())
            StructuralError("Text length beyond the end of the stream");
        QString text(qsizetype(length), Qt::Uninitialized);
        std::vector<uint8_t> bytes(size_t(length) * 2);
        Read(bytes.data(), int64_t(bytes.size()));
        for (uint32_t i = 0; i < length; ++i)
            text[i] = QChar(char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        return text;
    }
    case TValueType::vaUTF8String: {
        const uint32_t length = readUInt32();
        if (int64_t(length) > BytesLeft())
            StructuralError("Text length beyond the end of the stream");
        QByteArray bytes(qsizetype(length), Qt::Uninitialized);
        Read(bytes.data(), length);
        return QString::fromUtf8(bytes);
    }
    default: ValueError();
    }
}

bool TValueReader::readIdentBytes(std::string &out)
{
    switch (NextValue()) {
    case TValueType::vaIdent: {
        ReadValue();
        const uint8_t length = readByte();
        out.resize(length);
        Read(out.data(), length);
        return true;
    }
    case TValueType::vaFalse: out = "False"; break;
    case TValueType::vaTrue: out = "True"; break;
    case TValueType::vaNil: out = "nil"; break;
    case TValueType::vaNull: out = "Null"; break;
    default: return false;
    }
    ReadValue();
    return true;
}

QString TValueReader::ReadIdent()
{
    switch (ReadValue()) {
    case TValueType::vaIdent: return readShortText();
    case TValueType::vaFalse: return QStringLiteral("False");
    case TValueType::vaTrue: return QStringLiteral("True");
    case TValueType::vaNil: return QStringLiteral("nil");
    case TValueType::vaNull: return QStringLiteral("Null");
    default: ValueError();
    }
}

bool TValueReader::ReadBoolean()
{
    switch (ReadValue()) {
    case TValueType::vaFalse: return false;
    case TValueType::vaTrue: return true;
    default: ValueError();
    }
}

QChar TValueReader::ReadChar()
{
    const TValueType t = NextValue();
    if (isIntegerType(t) || t == TValueType::vaInt64) {
        const int64_t code = ReadInt64();
        if (code < 0 || code > 0xFFFF)
            ValueError();
        return QChar(char16_t(code));
    }
    const QString text = ReadString();
    if (text.size() != 1)
        ValueError();
    return text[0];
}

QVariant TValueReader::ReadVariant()
{
    switch (NextValue()) {
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32: return QVariant(ReadInteger());
    case TValueType::vaInt64: return QVariant(qlonglong(ReadInt64()));
    case TValueType::vaSingle: return QVariant(ReadSingle());
    case TValueType::vaExtended:
    case TValueType::vaDouble:
    case TValueType::vaCurrency:
    case TValueType::vaDate: return QVariant(ReadDouble());
    case TValueType::vaString:
    case TValueType::vaLString:
    case TValueType::vaWString:
    case TValueType::vaUTF8String: return QVariant(ReadString());
    case TValueType::vaFalse:
    case TValueType::vaTrue: return QVariant(ReadBoolean());
    case TValueType::vaNil: ReadValue(); return QVariant();
    case TValueType::vaNull: ReadValue(); return QVariant::fromValue(nullptr);
    default: ReadValue(); ValueError();
    }
}

QByteArray TValueReader::ReadBinary()
{
    CheckValue(TValueType::vaBinary);
    const uint32_t length = readUInt32();
    if (int64_t(length) > BytesLeft())
        StructuralError("Data length beyond the end of the stream");
    QByteArray data(qsizetype(length), Qt::Uninitialized);
    Read(data.data(), length);
    return data;
}

void TValueReader::SkipValue()
{
    auto skip = [this](int64_t count) {
        if (count > BytesLeft())
            StructuralError("Unexpected end of the stream");
        SetPosition(Position() + count);
    };
    switch (ReadValue()) {
    case TValueType::vaNull:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil: return;
    case TValueType::vaList: {
        Level level(*this);
        while (!EndOfList())
            SkipValue();
        ReadListEnd();
        return;
    }
    case TValueType::vaInt8: skip(1); return;
    case TValueType::vaInt16: skip(2); return;
    case TValueType::vaInt32: skip(4); return;
    case TValueType::vaInt64:
    case TValueType::vaCurrency: skip(8); return;
    case TValueType::vaExtended: readExtendedValue(); return;
    case TValueType::vaSingle:
    case TValueType::vaDouble:
    case TValueType::vaDate:
        // Read to have the value checked like everywhere else.
        SetPosition(Position() - 1);
        ReadFloat();
        return;
    case TValueType::vaString:
    case TValueType::vaIdent: skip(readByte()); return;
    case TValueType::vaBinary:
    case TValueType::vaLString:
    case TValueType::vaUTF8String: skip(readUInt32()); return;
    case TValueType::vaWString: skip(2 * int64_t(readUInt32())); return;
    case TValueType::vaSet:
        while (const uint8_t length = readByte())
            skip(length);
        return;
    case TValueType::vaCollection: {
        Level level(*this);
        while (!EndOfList()) {
            if (isIntegerType(NextValue()))
                SkipValue();
            if (ReadValue() != TValueType::vaList)
                StructuralError("Invalid collection item");
            while (!EndOfList())
                SkipProperty();
            ReadListEnd();
        }
        ReadListEnd();
        return;
    }
    }
}

void TValueReader::SkipProperty()
{
    const uint8_t length = readByte();
    if (length > BytesLeft())
        StructuralError("Unexpected end of the stream");
    SetPosition(Position() + length);
    SkipValue();
}

void TValueReader::SkipComponent(bool skipHeader)
{
    Level level(*this);
    if (skipHeader) {
        ReadPrefix();
        ReadStr();
        ReadStr();
    }
    while (!EndOfList())
        SkipProperty();
    ReadListEnd();
    while (!EndOfList())
        SkipComponent(true);
    ReadListEnd();
}

// ---- whole reads ----------------------------------------------------------

} // namespace classes
