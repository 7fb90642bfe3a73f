#include "platform/classes/Reader.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/CodePage.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/classes/Extended.h"
#include "platform/classes/Streams.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace classes {

namespace {

bool isIntegerType(TValueType t)
{
    return t == TValueType::vaInt8 || t == TValueType::vaInt16 || t == TValueType::vaInt32;
}

std::string quoted(const QString &text)
{
    return "\"" + messageText(text) + "\"";
}

QString fromBytes(std::string_view bytes)
{
    return FromWin1252(bytes);
}

} // namespace

TReader::Level::Level(TReader &reader)
    : m_reader(reader)
{
    if (++m_reader.m_depth > MaxNesting) {
        --m_reader.m_depth;
        m_reader.StructuralError("Components, lists or collections nested too deeply");
    }
}

TReader::TReader(TStream &stream, int bufferSize)
    : m_stream(stream)
    , m_buffer(size_t(std::max(bufferSize, 64)))
{
    m_bufferStart = stream.Position();
    m_size = stream.Size();
    AddDestroyListener(this);
}

TReader::~TReader()
{
    RemoveDestroyListener(this);
    try {
        m_stream.SetPosition(Position());
    } catch (...) {
        // A stream that cannot seek back keeps its own position.
    }
}

// ---- raw input ------------------------------------------------------------

void TReader::StructuralError(const std::string &message)
{
    m_failing = true;
    throw EReadError(message);
}

void TReader::ValueError()
{
    throw EReadError("Invalid property value");
}

void TReader::fill()
{
    m_bufferStart += int64_t(m_bufferEnd);
    m_bufferPos = m_bufferEnd = 0;
    m_stream.SetPosition(m_bufferStart);
    const int64_t want = std::min<int64_t>(int64_t(m_buffer.size()), m_size - m_bufferStart);
    if (want > 0)
        m_bufferEnd = size_t(std::max<int64_t>(m_stream.Read(m_buffer.data(), want), 0));
}

void TReader::readSlow(void *buffer, int64_t count)
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

uint32_t TReader::readUInt32()
{
    uint8_t b[4];
    Read(b, 4);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

void TReader::SetPosition(int64_t position)
{
    if (position >= m_bufferStart && position <= m_bufferStart + int64_t(m_bufferEnd)) {
        m_bufferPos = size_t(position - m_bufferStart);
        return;
    }
    m_bufferStart = position;
    m_bufferPos = m_bufferEnd = 0;
}

// ---- values ---------------------------------------------------------------

void TReader::ReadSignature()
{
    char signature[4];
    Read(signature, 4);
    if (std::memcmp(signature, "TPF0", 4) != 0)
        StructuralError("Invalid stream format");
}

std::pair<uint8_t, int32_t> TReader::ReadPrefix()
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

TValueType TReader::ReadValue()
{
    const uint8_t b = readByte();
    if (b > LastValueType)
        StructuralError("Invalid value type");
    return TValueType(b);
}

TValueType TReader::NextValue()
{
    const TValueType t = ReadValue();
    SetPosition(Position() - 1);
    return t;
}

void TReader::CheckValue(TValueType type)
{
    if (ReadValue() != type)
        ValueError();
}

bool TReader::EndOfList()
{
    // A raw look: in a component list the next byte may be a prefix.
    const uint8_t b = readByte();
    SetPosition(Position() - 1);
    return b == 0;
}

void TReader::ReadListBegin()
{
    CheckValue(TValueType::vaList);
}

void TReader::ReadListEnd()
{
    CheckValue(TValueType::vaNull);
}

int32_t TReader::ReadInteger()
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

int64_t TReader::ReadInt64()
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

long double TReader::readExtendedValue()
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

long double TReader::ReadFloat()
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

float TReader::ReadSingle()
{
    const long double v = ReadFloat();
    if (std::fabs(v) > std::numeric_limits<float>::max())
        ValueError();
    return float(v);
}

double TReader::ReadDouble()
{
    const long double v = ReadFloat();
    if (std::fabs(v) > std::numeric_limits<double>::max())
        ValueError();
    return double(v);
}

int64_t TReader::ReadCurrency()
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

double TReader::ReadDate()
{
    return ReadDouble();
}

std::string TReader::ReadStr()
{
    const uint8_t length = readByte();
    std::string text(length, '\0');
    Read(text.data(), length);
    return text;
}

QString TReader::readShortText()
{
    return fromBytes(ReadStr());
}

QString TReader::ReadString()
{
    switch (ReadValue()) {
    case TValueType::vaString: return readShortText();
    case TValueType::vaLString: {
        const uint32_t length = readUInt32();
        if (int64_t(length) > BytesLeft())
            StructuralError("Text length beyond the end of the stream");
        std::string bytes(length, '\0');
        Read(bytes.data(), length);
        return fromBytes(bytes);
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

bool TReader::readIdentBytes(std::string &out)
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

QString TReader::ReadIdent()
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

bool TReader::ReadBoolean()
{
    switch (ReadValue()) {
    case TValueType::vaFalse: return false;
    case TValueType::vaTrue: return true;
    default: ValueError();
    }
}

QChar TReader::ReadChar()
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

QVariant TReader::ReadVariant()
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

QByteArray TReader::ReadBinary()
{
    CheckValue(TValueType::vaBinary);
    const uint32_t length = readUInt32();
    if (int64_t(length) > BytesLeft())
        StructuralError("Data length beyond the end of the stream");
    QByteArray data(qsizetype(length), Qt::Uninitialized);
    Read(data.data(), length);
    return data;
}

void TReader::SkipValue()
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

void TReader::SkipProperty()
{
    const uint8_t length = readByte();
    if (length > BytesLeft())
        StructuralError("Unexpected end of the stream");
    SetPosition(Position() + length);
    SkipValue();
}

void TReader::SkipComponent(bool skipHeader)
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

void TReader::hold(const TPersistent *object)
{
    if (object->InheritsFrom(TComponent::StaticClass()))
        ++const_cast<TComponent *>(static_cast<const TComponent *>(object))->m_readerRefs;
    else
        ++m_tracked[object];
}

void TReader::release(const TPersistent *object)
{
    if (object->InheritsFrom(TComponent::StaticClass())) {
        --const_cast<TComponent *>(static_cast<const TComponent *>(object))->m_readerRefs;
        return;
    }
    const auto it = m_tracked.find(object);
    if (it != m_tracked.end() && --it->second <= 0)
        m_tracked.erase(it);
}

void TReader::track(TComponent *component, bool created)
{
    if (created) {
        m_created.push_back(component);
        ++component->m_readerRefs;
    }
    m_loaded.push_back(component);
    ++component->m_readerRefs;
}

void TReader::ObjectDestroyed(const TPersistent *object, bool held)
{
    if (!held) {
        const auto it = m_tracked.find(object);
        if (it == m_tracked.end())
            return;
        m_tracked.erase(it);
    }
    for (TComponent *&c : m_created)
        if (c == object)
            c = nullptr;
    for (TComponent *&c : m_loaded)
        if (c == object)
            c = nullptr;
    for (Fixup &f : m_fixups)
        if (f.instance == object)
            f.instance = nullptr;
    for (auto &r : m_renamed)
        if (r.second == object)
            r.second = nullptr;
}

void TReader::discardFrom(size_t created, size_t loaded, size_t fixups, size_t renamed)
{
    for (size_t i = fixups; i < m_fixups.size(); ++i)
        if (m_fixups[i].instance)
            release(m_fixups[i].instance);
    m_fixups.resize(std::min(fixups, m_fixups.size()));
    for (size_t i = renamed; i < m_renamed.size(); ++i)
        if (m_renamed[i].second)
            release(m_renamed[i].second);
    m_renamed.resize(std::min(renamed, m_renamed.size()));
    for (size_t i = loaded; i < m_loaded.size(); ++i)
        if (TComponent *c = m_loaded[i]) {
            c->setState(csLoading | csReading, false);
            release(c);
        }
    m_loaded.resize(std::min(loaded, m_loaded.size()));
    // Later components first, so children go before their parents.
    while (m_created.size() > created) {
        TComponent *c = m_created.back();
        m_created.pop_back();
        if (c) {
            release(c);
            delete c;
        }
    }
}

void TReader::beginRead()
{
    if (m_readDepth++ == 0) {
        m_failing = false;
        m_created.clear();
        m_loaded.clear();
        m_fixups.clear();
        m_renamed.clear();
        m_tracked.clear();
    }
}

void TReader::endRead(bool success)
{
    if (m_readDepth > 1) {
        --m_readDepth;
        return;
    }
    if (success) {
        try {
            resolveFixups();
            callLoaded();
        } catch (...) {
            endRead(false);
            throw;
        }
    } else {
        discardFrom(0, 0, 0, 0);
    }
    for (TComponent *c : m_created)
        if (c)
            c->m_readerRefs = 0;
    for (TComponent *c : m_loaded)
        if (c)
            c->m_readerRefs = 0;
    for (const Fixup &f : m_fixups)
        if (f.instance && f.instance->InheritsFrom(TComponent::StaticClass()))
            static_cast<TComponent *>(f.instance)->m_readerRefs = 0;
    for (const auto &r : m_renamed)
        if (r.second)
            r.second->m_readerRefs = 0;
    m_created.clear();
    m_loaded.clear();
    m_fixups.clear();
    m_renamed.clear();
    m_tracked.clear();
    m_readDepth = 0;
}

TComponent *TReader::ReadRootComponent(TComponent *root)
{
    TNameSpaceWriteGuard lock;
    beginRead();
    bool createdRoot = false;
    try {
        ReadSignature();
        if (!root) {
            const int64_t start = Position();
            ReadPrefix();
            const std::string className = ReadStr();
            SetPosition(start);
            const TMetaClass *meta = GetClass(className);
            if (!meta || !meta->InheritsFrom(TComponent::StaticClass()))
                throw EClassNotFound("Class " + className + " not found");
            root = meta->NewComponent(nullptr);
            createdRoot = true;
        }
        m_root = root;
        m_owner = root;
        m_parent = nullptr;
        ReadComponent(root);
        endRead(true);
    } catch (...) {
        if (m_readDepth > 0)
            endRead(false);
        if (createdRoot)
            delete root;
        else if (root)
            root->setState(csLoading | csReading, false);
        throw;
    }
    return root;
}

void TReader::ReadComponents(TComponent *owner, TComponent *parent, const std::function<void(TComponent *)> &proc)
{
    TNameSpaceWriteGuard lock;
    beginRead();
    try {
        m_root = owner;
        m_owner = owner;
        m_parent = parent;
        ReadSignature();
        while (!EndOfList()) {
            TComponent *component = ReadComponent(nullptr);
            if (component && proc)
                proc(component);
        }
        ReadListEnd();
        endRead(true);
    } catch (...) {
        if (m_readDepth > 0)
            endRead(false);
        throw;
    }
}

bool TReader::askErrorHook(const std::exception &error)
{
    if (!OnError)
        return false;
    bool handled = false;
    try {
        OnError(*this, error, handled);
    } catch (...) {
        m_failing = true;
        throw;
    }
    return handled;
}

TComponent *TReader::ReadComponent(TComponent *component)
{
    const int64_t start = Position();
    std::optional<Level> level(std::in_place, *this);
    const auto [flags, childPos] = ReadPrefix();
    const std::string className = ReadStr();
    const QString name = fromBytes(ReadStr());
    const size_t createdMark = m_created.size(), loadedMark = m_loaded.size();
    const size_t fixupMark = m_fixups.size(), renamedMark = m_renamed.size();
    TComponent *result = component;
    try {
        bool created = false;
        if (!result) {
            if (flags & ffInherited) {
                result = m_owner ? m_owner->FindComponent(name) : nullptr;
                if (!result)
                    throw EReadError("The inherited component " + quoted(name) + " does not exist");
            } else {
                // Streams hold long runs of one class.
                if (!m_lastClass || className != m_lastClassName) {
                    m_lastClass = GetClass(className);
                    m_lastClassName = className;
                }
                const TMetaClass *meta = m_lastClass;
                if (!meta)
                    throw EClassNotFound("Class " + className + " not found");
                if (!meta->InheritsFrom(TComponent::StaticClass()))
                    throw EClassNotFound(className + " is not a component class");
                result = meta->NewComponent(m_owner);
                created = true;
            }
        }
        if (created || !result->HasState(csLoading))
            track(result, created);
        result->setState(csLoading | csReading, true);
        if (component || !(flags & ffInherited)) {
            QString newName = name;
            if (OnSetName)
                OnSetName(*this, result, newName);
            if (newName != name && !name.isEmpty()) {
                m_renamed.emplace_back(name, result);
                hold(result);
            }
            if (result->Name() != newName)
                result->SetName(newName);
        }
        if (!component && m_parent)
            result->SetParentComponent(m_parent);
        result->ReadState(*this);
        result->setState(csReading, false);
        if ((flags & ffChildPos) && m_parent)
            m_parent->SetChildOrder(result, childPos);
        return result;
    } catch (const std::exception &error) {
        discardFrom(createdMark, loadedMark, fixupMark, renamedMark);
        if (component)
            component->setState(csLoading | csReading, false);
        if (m_failing || !askErrorHook(error)) {
            m_failing = true;
            throw;
        }
    } catch (...) {
        discardFrom(createdMark, loadedMark, fixupMark, renamedMark);
        m_failing = true;
        throw;
    }
    // Handled: the component and its subtree are skipped.
    level.reset();
    SetPosition(start);
    SkipComponent(true);
    return nullptr;
}

void TReader::ReadData(TComponent *instance)
{
    while (!EndOfList())
        ReadProperty(instance);
    ReadListEnd();
    TComponent *const oldParent = m_parent;
    TComponent *const oldOwner = m_owner;
    m_parent = instance->GetChildParent();
    m_owner = instance->GetChildOwner();
    if (!m_owner)
        m_owner = m_root;
    try {
        while (!EndOfList())
            ReadComponent(nullptr);
        ReadListEnd();
    } catch (...) {
        m_parent = oldParent;
        m_owner = oldOwner;
        throw;
    }
    m_parent = oldParent;
    m_owner = oldOwner;
}

void TReader::ReadProperty(TPersistent *instance)
{
    char buffer[256];
    const uint8_t length = readByte();
    Read(buffer, length);
    const std::string_view path(buffer, length);
    const int64_t valueStart = Position();
    try {
        auto missing = [&path]() { return EReadError("Property " + std::string(path) + " does not exist"); };
        TPersistent *target = instance;
        std::string_view rest(path);
        for (size_t dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
            const TPropInfo *p = target->ClassType().FindProperty(rest.substr(0, dot));
            if (!p || p->Kind != TTypeKind::tkClass || p->IsReference() || !p->GetObj)
                throw missing();
            target = p->GetObj(*target);
            if (!target)
                throw missing();
            rest = rest.substr(dot + 1);
        }
        if (const TPropInfo *p = target->ClassType().FindProperty(rest)) {
            readPropValue(target, *p);
        } else {
            const QString savedName = m_definedName;
            const bool savedDefined = m_defined;
            m_definedName = fromBytes(std::string(rest));
            m_defined = false;
            try {
                target->DefineProperties(*this);
            } catch (...) {
                m_definedName = savedName;
                m_defined = savedDefined;
                throw;
            }
            const bool found = m_defined;
            m_definedName = savedName;
            m_defined = savedDefined;
            if (!found)
                throw missing();
        }
    } catch (const std::exception &error) {
        if (m_failing || !askErrorHook(error)) {
            m_failing = true;
            throw;
        }
        SetPosition(valueStart);
        SkipValue();
    } catch (...) {
        m_failing = true;
        throw;
    }
}

void TReader::readPropValue(TPersistent *instance, const TPropInfo &prop)
{
    auto readOnly = [&prop]() { return EReadError("Property " + messageText(prop.Name) + " is read-only"); };
    auto setOrd = [&](int64_t value) {
        if (!prop.SetOrd)
            throw readOnly();
        prop.SetOrd(*instance, value);
    };
    auto setFloat = [&](long double value) {
        if (!prop.SetFloat)
            throw readOnly();
        prop.SetFloat(*instance, value);
    };
    switch (prop.Kind) {
    case TTypeKind::tkInteger: {
        if (prop.Idents && NextValue() == TValueType::vaIdent) {
            int32_t value = 0;
            readIdentBytes(m_ident);
            if (!prop.Idents->ValueOf(m_ident, value))
                ValueError();
            setOrd(value);
        } else {
            setOrd(ReadInteger());
        }
        return;
    }
    case TTypeKind::tkInt64: setOrd(ReadInt64()); return;
    case TTypeKind::tkChar: setOrd(ReadChar().unicode()); return;
    case TTypeKind::tkEnumeration: {
        if (!readIdentBytes(m_ident))
            ValueError();
        const int64_t value = prop.Enum ? prop.Enum->ValueOf(std::string_view(m_ident)) : -1;
        if (value < 0)
            ValueError();
        setOrd(value);
        return;
    }
    case TTypeKind::tkSet: {
        CheckValue(TValueType::vaSet);
        uint64_t mask = 0;
        for (uint8_t length = readByte(); length != 0; length = readByte()) {
            m_ident.resize(length);
            Read(m_ident.data(), length);
            const int64_t value = prop.Enum ? prop.Enum->ValueOf(std::string_view(m_ident)) : -1;
            if (value < 0 || value - prop.Enum->MinValue() >= 64)
                ValueError();
            mask |= uint64_t(1) << (value - prop.Enum->MinValue());
        }
        setOrd(int64_t(mask));
        return;
    }
    case TTypeKind::tkFloat:
        if (prop.FloatType == TFloatType::ftCurr)
            setOrd(ReadCurrency());
        else if (prop.IsDate)
            setFloat(ReadDate());
        else if (prop.FloatType == TFloatType::ftSingle)
            setFloat(ReadSingle());
        else if (prop.FloatType == TFloatType::ftExtended)
            setFloat(ReadFloat());
        else
            setFloat(ReadDouble());
        return;
    case TTypeKind::tkString: {
        const QString value = ReadString();
        if (!prop.SetStr)
            throw readOnly();
        prop.SetStr(*instance, value);
        return;
    }
    case TTypeKind::tkClass:
        if (prop.IsReference()) {
            readReference(instance, prop);
            return;
        }
        switch (NextValue()) {
        case TValueType::vaNil:
            ReadValue();
            if (!prop.SetObj)
                throw readOnly();
            prop.SetObj(*instance, nullptr);
            return;
        case TValueType::vaCollection: {
            ReadValue();
            auto *collection = dynamic_cast<TCollection *>(prop.GetObj ? prop.GetObj(*instance) : nullptr);
            if (!collection)
                ValueError();
            ReadCollection(collection);
            return;
        }
        default: ValueError();
        }
    case TTypeKind::tkMethod: readMethod(instance, prop); return;
    case TTypeKind::tkVariant: {
        const QVariant value = ReadVariant();
        if (!prop.SetVar)
            throw readOnly();
        prop.SetVar(*instance, value);
        return;
    }
    case TTypeKind::tkUnknown: break;
    }
    ValueError();
}

void TReader::readReference(TPersistent *instance, const TPropInfo &prop)
{
    if (!prop.SetObj)
        throw EReadError("Property " + messageText(prop.Name) + " is read-only");
    if (NextValue() == TValueType::vaNil) {
        ReadValue();
        prop.SetObj(*instance, nullptr);
        return;
    }
    if (NextValue() != TValueType::vaIdent)
        ValueError();
    QString name = ReadIdent();
    const QString original = name;
    if (OnReferenceName)
        OnReferenceName(*this, name);
    m_fixups.push_back(Fixup{instance, &prop, name, name != original});
    hold(instance);
}

void TReader::readMethod(TPersistent *instance, const TPropInfo &prop)
{
    if (!prop.SetMethod)
        throw EReadError("Property " + messageText(prop.Name) + " is read-only");
    if (NextValue() == TValueType::vaNil) {
        ReadValue();
        prop.SetMethod(*instance, TMethod{});
        return;
    }
    if (NextValue() != TValueType::vaIdent)
        ValueError();
    const QString name = ReadIdent();
    const std::any *address = m_root ? m_root->MethodAddress(name) : nullptr;
    if (!address) {
        bool error = true;
        if (OnFindMethod)
            OnFindMethod(*this, name, address, error);
        if (!address && error)
            throw EMethodNotFound("Method " + messageText(name) + " not found");
    }
    prop.SetMethod(*instance, TMethod{name, address ? *address : std::any()});
}

void TReader::ReadCollection(TCollection *collection)
{
    Level level(*this);
    collection->BeginUpdate();
    try {
        if (!EndOfList())
            collection->Clear();
        while (!EndOfList()) {
            if (isIntegerType(NextValue()))
                ReadInteger();
            if (ReadValue() != TValueType::vaList)
                StructuralError("Invalid collection item");
            TCollectionItem *item = collection->Add();
            while (!EndOfList())
                ReadProperty(item);
            ReadListEnd();
        }
        ReadListEnd();
    } catch (...) {
        try {
            collection->EndUpdate();
        } catch (...) {
            // The first failure is the one reported.
        }
        throw;
    }
    collection->EndUpdate();
}

TComponent *TReader::findReference(const QString &name) const
{
    const QStringView whole(name);
    const qsizetype dot = whole.indexOf(u'.');
    const QStringView first = dot < 0 ? whole : whole.left(dot);
    TComponent *found = nullptr;
    if (m_root) {
        found = m_root->FindComponent(first);
        if (!found && SameName(m_root->Name(), first))
            found = m_root;
    }
    if (!found)
        found = FindGlobalComponent(first);
    if (dot < 0 || !found)
        return found;
    QStringView rest = whole.mid(dot + 1);
    while (found && !rest.isEmpty()) {
        const qsizetype next = rest.indexOf(u'.');
        found = found->FindComponent(next < 0 ? rest : rest.left(next));
        rest = next < 0 ? QStringView() : rest.mid(next + 1);
    }
    return found;
}

void TReader::resolveFixups()
{
    for (size_t i = 0; i < m_fixups.size(); ++i) {
        // Read afresh each time: setting a reference may free objects.
        const Fixup &f = m_fixups[i];
        if (!f.instance)
            continue;
        try {
            TComponent *target = nullptr;
            if (!f.nameFromHook)
                for (const auto &[streamName, component] : m_renamed)
                    if (component && SameName(streamName, f.name)) {
                        target = component;
                        break;
                    }
            if (!target)
                target = findReference(f.name);
            if (!target)
                throw EReadError("Unresolved reference to " + quoted(f.name));
            if (!target->InheritsFrom(*f.prop->Class))
                ValueError();
            f.prop->SetObj(*f.instance, target);
        } catch (const std::exception &error) {
            if (m_failing || !askErrorHook(error)) {
                m_failing = true;
                throw;
            }
        }
    }
}

void TReader::callLoaded()
{
    std::exception_ptr first;
    for (size_t i = 0; i < m_loaded.size(); ++i) {
        TComponent *c = m_loaded[i];
        if (!c)
            continue;
        try {
            c->Loaded();
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
        // Loaded may free components, this one included.
        if (m_loaded[i])
            m_loaded[i]->setState(csLoading, false);
    }
    if (first)
        std::rethrow_exception(first);
}

void TReader::DefineProperty(const QString &name, const ReaderProc &read, const WriterProc &, bool)
{
    if (m_defined || m_definedName.isEmpty() || !read || !SameName(name, m_definedName))
        return;
    m_defined = true;
    read(*this);
}

void TReader::DefineBinaryProperty(const QString &name, const StreamProc &read, const StreamProc &, bool)
{
    if (m_defined || m_definedName.isEmpty() || !read || !SameName(name, m_definedName))
        return;
    m_defined = true;
    const QByteArray data = ReadBinary();
    TMemoryStream stream;
    stream.WriteBuffer(data.constData(), data.size());
    stream.SetPosition(0);
    read(stream);
}

} // namespace classes
