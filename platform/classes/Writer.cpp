#include "platform/classes/Writer.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/CodePage.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/classes/Extended.h"
#include "platform/classes/Streams.h"

#include "platform/rtl/Win1252.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace classes {

namespace {

void putLittleEndian(char *out, uint64_t value, int count)
{
    for (int i = 0; i < count; ++i)
        out[i] = char(uint8_t(value >> (8 * i)));
}

bool isOrdinal(const TPropInfo &prop)
{
    switch (prop.Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkInt64:
    case TTypeKind::tkChar:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet: return true;
    default: return isCurrency(prop);
    }
}

} // namespace

bool IsDefaultPropValue(const TPersistent &instance, const TPropInfo &prop)
{
    if (isOrdinal(prop)) {
        if (!prop.GetOrd)
            return true;
        const int64_t value = prop.GetOrd(instance);
        if (prop.HasDefault)
            return value == prop.DefaultValue;
        // Currency is a float: zero is its default.
        return isCurrency(prop) && value == 0;
    }
    switch (prop.Kind) {
    case TTypeKind::tkFloat: return !prop.GetFloat || prop.GetFloat(instance) == 0;
    case TTypeKind::tkString: return !prop.GetStr || prop.GetStr(instance).isEmpty();
    case TTypeKind::tkMethod: return !prop.GetMethod || prop.GetMethod(instance).Name.isEmpty();
    case TTypeKind::tkVariant: return !prop.GetVar || !prop.GetVar(instance).isValid();
    case TTypeKind::tkClass: {
        TPersistent *object = prop.GetObj ? prop.GetObj(instance) : nullptr;
        if (!object)
            return true;
        if (object->InheritsFrom(TComponent::StaticClass()))
            return static_cast<const TComponent *>(object)->Name().isEmpty();
        if (object->InheritsFrom(TCollection::StaticClass()))
            return static_cast<const TCollection *>(object)->Count() == 0;
        return false;
    }
    default: return true;
    }
}

TWriter::Level::Level(TWriter &writer)
    : m_writer(writer)
{
    if (++m_writer.m_depth > MaxNesting) {
        --m_writer.m_depth;
        throw EWriteError("Components, lists or collections nested too deeply");
    }
}

TWriter::TWriter(TStream &stream, int bufferSize)
    : m_stream(stream)
    , m_buffer(size_t(std::max(bufferSize, 64)))
{
    m_streamStart = stream.Position();
}

TWriter::~TWriter()
{
    try {
        FlushBuffer();
    } catch (...) {
        // Nothing to be done here; FlushBuffer reports it to those who ask.
    }
}

void TWriter::writeSlow(const void *buffer, int64_t count)
{
    if (count <= 0)
        return;
    if (m_bufferUsed + size_t(count) > m_buffer.size())
        FlushBuffer();
    if (size_t(count) >= m_buffer.size()) {
        m_stream.WriteBuffer(buffer, count);
        m_flushed += count;
        return;
    }
    std::memcpy(m_buffer.data() + m_bufferUsed, buffer, size_t(count));
    m_bufferUsed += size_t(count);
}

void TWriter::FlushBuffer()
{
    if (m_bufferUsed == 0)
        return;
    const size_t used = m_bufferUsed;
    m_bufferUsed = 0;
    m_stream.WriteBuffer(m_buffer.data(), int64_t(used));
    m_flushed += int64_t(used);
}

int64_t TWriter::Position() const
{
    return m_streamStart + m_flushed + int64_t(m_bufferUsed);
}

// ---- components -----------------------------------------------------------

void TWriter::SetRoot(TComponent *root)
{
    TFiler::SetRoot(root);
    m_lookupRoot = root;
}

void TWriter::WriteRootComponent(TComponent *root)
{
    SetRoot(root);
    WriteSignature();
    WriteComponent(root);
}

void TWriter::WriteComponent(TComponent *component)
{
    Level level(*this);
    component->setState(csWriting, true);
    try {
        component->WriteState(*this);
    } catch (...) {
        component->setState(csWriting, false);
        throw;
    }
    component->setState(csWriting, false);
}

void TWriter::WriteData(TComponent *instance)
{
    WriteComponentHeader(0, 0, instance->ClassType().ClassNameBytes(), ToWin1252Lossy(instance->Name()));
    WriteProperties(instance);
    WriteListEnd();
    instance->GetChildren([this](TComponent *child) { WriteComponent(child); }, m_root);
    WriteListEnd();
}

void TWriter::WriteProperties(TPersistent *instance)
{
    for (const TPropInfo *prop : instance->ClassType().Properties())
        if (prop->IsStored(*instance))
            WriteProperty(instance, *prop);
    instance->DefineProperties(*this);
}

void TWriter::writePropName(std::string_view name)
{
    if (m_propPath.empty()) {
        WriteStr(name);
        return;
    }
    // Written in two parts: a joined copy per property is a heap block once
    // the path outgrows the short-string room.
    const size_t length = m_propPath.size() + name.size();
    if (length > 255) {
        std::string path = m_propPath;
        path += name;
        WriteStr(path);
        return;
    }
    writeByte(uint8_t(length));
    Write(m_propPath.data(), int64_t(m_propPath.size()));
    Write(name.data(), int64_t(name.size()));
}

void TWriter::writeIdentBytes(std::string_view ident)
{
    // The four names with value types of their own; others are identifiers.
    if (ident.size() >= 3 && ident.size() <= 5) {
        if (SameName(ident, "False")) {
            WriteValue(TValueType::vaFalse);
            return;
        }
        if (SameName(ident, "True")) {
            WriteValue(TValueType::vaTrue);
            return;
        }
        if (SameName(ident, "nil")) {
            WriteValue(TValueType::vaNil);
            return;
        }
        if (SameName(ident, "Null")) {
            WriteValue(TValueType::vaNull);
            return;
        }
    }
    WriteValue(TValueType::vaIdent);
    WriteStr(ident);
}

void TWriter::checkNameValue(const TPropInfo &prop, std::string_view name)
{
    // Both forms read "nil" as no value at all, so the link would be lost
    // without a word; True, False and Null read back as the names they are.
    if (SameName(name, "nil"))
        throw EWriteError("The value of " + messageText(prop.Name) + " cannot be stored: the name " +
                          std::string(name) + " reads back as none");
}

void TWriter::WriteProperty(TPersistent *instance, const TPropInfo &prop)
{
    if (isOrdinal(prop)) {
        writeOrdinal(instance, prop);
        return;
    }
    // Texts and objects are asked for once: getters may build their value.
    if (prop.Kind == TTypeKind::tkString) {
        if (!prop.GetStr)
            return;
        const QString value = prop.GetStr(*instance);
        if (value.isEmpty())
            return;
        writePropName(prop.NameBytes);
        WriteString(value);
        return;
    }
    if (prop.Kind == TTypeKind::tkClass) {
        writeClassProperty(instance, prop);
        return;
    }
    if (IsDefaultPropValue(*instance, prop))
        return;
    switch (prop.Kind) {
    case TTypeKind::tkFloat: {
        const long double value = prop.GetFloat(*instance);
        writePropName(prop.NameBytes);
        if (prop.IsDate)
            WriteDate(double(value));
        else if (prop.FloatType == TFloatType::ftSingle)
            WriteSingle(float(value));
        else
            WriteFloat(value);
        return;
    }
    case TTypeKind::tkMethod: {
        const std::string name = ToWin1252Lossy(prop.GetMethod(*instance).Name);
        checkNameValue(prop, name);
        writePropName(prop.NameBytes);
        writeIdentBytes(name);
        return;
    }
    case TTypeKind::tkVariant:
        writePropName(prop.NameBytes);
        WriteVariant(prop.GetVar(*instance));
        return;
    default: return;
    }
}

void TWriter::writeOrdinal(TPersistent *instance, const TPropInfo &prop)
{
    if (!prop.GetOrd)
        return;
    const int64_t value = prop.GetOrd(*instance);
    // As IsDefaultPropValue, without asking for the value twice.
    if (prop.HasDefault ? value == prop.DefaultValue : isCurrency(prop) && value == 0)
        return;
    auto outOfRange = [&prop]() {
        return EWriteError("The value of " + messageText(prop.Name) + " has no name in " + messageText(prop.TypeName));
    };
    writePropName(prop.NameBytes);
    switch (prop.Kind) {
    case TTypeKind::tkInteger: {
        const char *ident = prop.Idents ? prop.Idents->NameOf(int32_t(value)) : nullptr;
        if (ident)
            writeIdentBytes(ident);
        else
            WriteInteger(value);
        return;
    }
    case TTypeKind::tkInt64: WriteInteger(value); return;
    case TTypeKind::tkChar: WriteChar(QChar(char16_t(value))); return;
    case TTypeKind::tkEnumeration: {
        if (prop.Enum == &BooleanInfo()) {
            WriteBoolean(value != 0);
            return;
        }
        const std::string *name = prop.Enum ? prop.Enum->NameBytesOf(value) : nullptr;
        if (!name)
            throw outOfRange();
        writeIdentBytes(*name);
        return;
    }
    case TTypeKind::tkSet: {
        const uint64_t mask = uint64_t(value);
        WriteValue(TValueType::vaSet);
        for (uint64_t rest = mask; rest != 0; rest &= rest - 1) {
            const int bit = std::countr_zero(rest);
            const std::string *name = prop.Enum ? prop.Enum->NameBytesOf(prop.Enum->MinValue() + bit) : nullptr;
            if (!name)
                throw outOfRange();
            WriteStr(*name);
        }
        WriteStr({});
        return;
    }
    default: WriteCurrency(value); return;
    }
}

QString TWriter::referenceName(TComponent *component) const
{
    if (component->Name().isEmpty())
        return QString();
    TComponent *owner = component->Owner();
    if (component == m_lookupRoot || owner == m_lookupRoot || !owner || owner->Name().isEmpty())
        return component->Name();
    return owner->Name() + u'.' + component->Name();
}

void TWriter::writeClassProperty(TPersistent *instance, const TPropInfo &prop)
{
    // Skipped as IsDefaultPropValue skips it: no object, an unnamed
    // component, an empty collection.
    TPersistent *object = prop.GetObj ? prop.GetObj(*instance) : nullptr;
    if (!object)
        return;
    if (object->InheritsFrom(TComponent::StaticClass())) {
        if (static_cast<const TComponent *>(object)->Name().isEmpty())
            return;
        const std::string name = ToWin1252Lossy(referenceName(static_cast<TComponent *>(object)));
        checkNameValue(prop, name);
        writePropName(prop.NameBytes);
        writeIdentBytes(name);
        return;
    }
    if (object->InheritsFrom(TCollection::StaticClass())) {
        if (static_cast<const TCollection *>(object)->Count() == 0)
            return;
        writePropName(prop.NameBytes);
        WriteCollection(static_cast<TCollection *>(object));
        return;
    }
    Level level(*this);
    // The path only grows below here, so cutting it back restores it.
    const size_t saved = m_propPath.size();
    m_propPath += prop.NameBytes;
    m_propPath += '.';
    try {
        WriteProperties(object);
    } catch (...) {
        m_propPath.resize(saved);
        throw;
    }
    m_propPath.resize(saved);
}

void TWriter::WriteCollection(TCollection *collection)
{
    WriteValue(TValueType::vaCollection);
    Level level(*this);
    const std::string saved = m_propPath;
    m_propPath.clear();
    try {
        for (int i = 0; i < collection->Count(); ++i) {
            WriteListBegin();
            WriteProperties(collection->Items(i));
            WriteListEnd();
        }
    } catch (...) {
        m_propPath = saved;
        throw;
    }
    m_propPath = saved;
    WriteListEnd();
}

void TWriter::DefineProperty(const QString &name, const ReaderProc &, const WriterProc &write, bool hasData)
{
    if (!hasData || !write)
        return;
    writePropName(ToWin1252Lossy(name));
    write(*this);
}

void TWriter::DefineBinaryProperty(const QString &name, const StreamProc &, const StreamProc &write, bool hasData)
{
    if (!hasData || !write)
        return;
    TMemoryStream data;
    write(data);
    writePropName(ToWin1252Lossy(name));
    WriteBinary(QByteArray(data.Memory(), qsizetype(data.Size())));
}

// ---- values ---------------------------------------------------------------

void TWriter::WriteSignature()
{
    Write("TPF0", 4);
}

void TWriter::WritePrefix(uint8_t flags, int32_t childPos)
{
    if (flags == 0)
        return;
    const uint8_t prefix = uint8_t(0xF0 | flags);
    Write(&prefix, 1);
    if (flags & ffChildPos)
        WriteInteger(childPos);
}

void TWriter::WriteComponentHeader(uint8_t flags, int32_t childPos, std::string_view className, std::string_view name)
{
    if (flags == 0 && className.size() >= 0xF0)
        writeByte(0xF0);
    WritePrefix(flags, childPos);
    WriteStr(className);
    WriteStr(name);
}

void TWriter::WriteValue(TValueType type)
{
    writeByte(uint8_t(type));
}

void TWriter::WriteListBegin()
{
    WriteValue(TValueType::vaList);
}

void TWriter::WriteListEnd()
{
    WriteValue(TValueType::vaNull);
}

void TWriter::WriteInteger(int64_t value)
{
    char bytes[9];
    if (value >= -128 && value <= 127) {
        bytes[0] = char(TValueType::vaInt8);
        putLittleEndian(bytes + 1, uint64_t(value), 1);
        Write(bytes, 2);
    } else if (value >= -32768 && value <= 32767) {
        bytes[0] = char(TValueType::vaInt16);
        putLittleEndian(bytes + 1, uint64_t(value), 2);
        Write(bytes, 3);
    } else if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()) {
        bytes[0] = char(TValueType::vaInt32);
        putLittleEndian(bytes + 1, uint64_t(value), 4);
        Write(bytes, 5);
    } else {
        bytes[0] = char(TValueType::vaInt64);
        putLittleEndian(bytes + 1, uint64_t(value), 8);
        Write(bytes, 9);
    }
}

void TWriter::WriteFloat(long double value)
{
    if (!std::isfinite(value))
        throw EWriteError("A floating-point value that is not a number cannot be stored");
    const TExtendedBytes bytes = EncodeExtended(value);
    WriteValue(TValueType::vaExtended);
    Write(bytes.data(), int64_t(bytes.size()));
}

void TWriter::WriteSingle(float value)
{
    if (!std::isfinite(value))
        throw EWriteError("A floating-point value that is not a number cannot be stored");
    char bytes[5];
    bytes[0] = char(TValueType::vaSingle);
    putLittleEndian(bytes + 1, std::bit_cast<uint32_t>(value), 4);
    Write(bytes, 5);
}

void TWriter::WriteCurrency(int64_t value)
{
    char bytes[9];
    bytes[0] = char(TValueType::vaCurrency);
    putLittleEndian(bytes + 1, uint64_t(value), 8);
    Write(bytes, 9);
}

void TWriter::WriteDate(double value)
{
    if (!std::isfinite(value))
        throw EWriteError("A floating-point value that is not a number cannot be stored");
    char bytes[9];
    bytes[0] = char(TValueType::vaDate);
    putLittleEndian(bytes + 1, std::bit_cast<uint64_t>(value), 8);
    Write(bytes, 9);
}

void TWriter::WriteString(const QString &value)
{
    // One buffer for all texts of a stream rather than a heap block for each.
    std::string &bytes = m_textBytes;
    const bool fits = ToWin1252(value, bytes);
    if (uint64_t(value.size()) > std::numeric_limits<uint32_t>::max())
        throw EWriteError("Text too long to be stored");
    char header[5];
    if (fits && bytes.size() <= 255) {
        WriteValue(TValueType::vaString);
        WriteStr(bytes);
    } else if (fits) {
        header[0] = char(TValueType::vaLString);
        putLittleEndian(header + 1, bytes.size(), 4);
        Write(header, 5);
        Write(bytes.data(), int64_t(bytes.size()));
    } else {
        header[0] = char(TValueType::vaWString);
        putLittleEndian(header + 1, uint64_t(value.size()), 4);
        Write(header, 5);
        std::string units(size_t(value.size()) * 2, '\0');
        for (qsizetype i = 0; i < value.size(); ++i)
            putLittleEndian(units.data() + 2 * i, value[i].unicode(), 2);
        Write(units.data(), int64_t(units.size()));
    }
}

void TWriter::WriteIdent(const QString &ident)
{
    writeIdentBytes(ToWin1252Lossy(ident));
}

void TWriter::WriteBoolean(bool value)
{
    WriteValue(value ? TValueType::vaTrue : TValueType::vaFalse);
}

void TWriter::WriteChar(QChar value)
{
    WriteString(QString(value));
}

void TWriter::WriteVariant(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool: WriteBoolean(value.toBool()); return;
    // Every integer up to 64 bits with a sign fits an integer value of the
    // stream, which takes the smallest width that holds it. A plain char
    // stays refused: it may as well be a character.
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong: WriteInteger(value.toLongLong()); return;
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong v = value.toULongLong();
        if (v > qulonglong(std::numeric_limits<int64_t>::max()))
            throw EWriteError("Variant value out of range");
        WriteInteger(int64_t(v));
        return;
    }
    case QMetaType::Float: WriteSingle(value.toFloat()); return;
    case QMetaType::Double: WriteFloat(value.toDouble()); return;
    case QMetaType::QString: WriteString(value.toString()); return;
    case QMetaType::Nullptr: WriteValue(TValueType::vaNull); return;
    case QMetaType::UnknownType: WriteValue(TValueType::vaNil); return;
    default: throw EWriteError("A variant of this type cannot be stored");
    }
}

void TWriter::WriteBinary(const QByteArray &data)
{
    if (uint64_t(data.size()) > std::numeric_limits<uint32_t>::max())
        throw EWriteError("Data too long to be stored");
    char header[5];
    header[0] = char(TValueType::vaBinary);
    putLittleEndian(header + 1, uint64_t(data.size()), 4);
    Write(header, 5);
    Write(data.constData(), data.size());
}

void TWriter::WriteStr(std::string_view text)
{
    if (text.size() > 255)
        throw EWriteError("Name longer than 255 characters: " + std::string(text.substr(0, 40)) + "...");
    writeByte(uint8_t(text.size()));
    Write(text.data(), int64_t(text.size()));
}

void TWriter::WriteSet(const std::vector<std::string> &elements)
{
    WriteValue(TValueType::vaSet);
    for (const std::string &e : elements)
        WriteStr(e);
    WriteStr({});
}

} // namespace classes
