#include "platform/classes/Reader.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/CodePage.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/classes/Streams.h"

#include <algorithm>
#include <optional>

namespace classes {

namespace {

// Names in messages come from the stream: a control character in one
// would reach a terminal as it is, so it is shown as \xNN.
std::string printable(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0))
            shown += QStringLiteral("\\x") + QStringLiteral("%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return messageText(shown);
}

QString fromBytes(std::string_view bytes)
{
    return FromWin1252(bytes);
}

std::string printable(std::string_view bytes)
{
    return printable(fromBytes(bytes));
}

std::string quoted(const QString &text)
{
    return "\"" + printable(text) + "\"";
}

// A component or handler named True, False or Null is written with that
// word's own value type, in the binary form and by the text converter alike;
// "nil", however spelt, is none, as the text form cannot tell them apart.
bool isNameValue(TValueType t)
{
    return t == TValueType::vaIdent || t == TValueType::vaTrue || t == TValueType::vaFalse || t == TValueType::vaNull;
}

} // namespace

TReader::TReader(TStream &stream, int bufferSize)
    : TValueReader(stream, bufferSize)
{
    AddDestroyListener(this);
}

TReader::~TReader()
{
    RemoveDestroyListener(this);
}

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
                throw EClassNotFound("Class " + printable(className) + " not found");
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
    char classBytes[255];
    const uint8_t classLength = readByte();
    Read(classBytes, classLength);
    const std::string_view className(classBytes, classLength);
    const QString name = readShortText();
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
                    throw EClassNotFound("Class " + printable(className) + " not found");
                if (!meta->InheritsFrom(TComponent::StaticClass()))
                    throw EClassNotFound(printable(className) + " is not a component class");
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
        auto missing = [&path]() { return EReadError("Property " + printable(path) + " does not exist"); };
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
    if (NextValue() != TValueType::vaNil && !isNameValue(NextValue()))
        ValueError();
    QString name = ReadIdent();
    if (SameName(name, u"nil")) {
        prop.SetObj(*instance, nullptr);
        return;
    }
    const QString original = name;
    if (OnReferenceName)
        OnReferenceName(*this, name);
    if (prop.ReadName) {
        prop.ReadName(*instance, name);
        return;
    }
    m_fixups.push_back(Fixup{instance, &prop, name, name != original});
    hold(instance);
}

void TReader::readMethod(TPersistent *instance, const TPropInfo &prop)
{
    if (!prop.SetMethod)
        throw EReadError("Property " + messageText(prop.Name) + " is read-only");
    if (NextValue() != TValueType::vaNil && !isNameValue(NextValue()))
        ValueError();
    const QString name = ReadIdent();
    if (SameName(name, u"nil")) {
        prop.SetMethod(*instance, TMethod{});
        return;
    }
    const std::any *address = m_root ? m_root->MethodAddress(name) : nullptr;
    if (!address) {
        bool error = true;
        if (OnFindMethod)
            OnFindMethod(*this, name, address, error);
        if (!address && error)
            throw EMethodNotFound("Method " + printable(name) + " not found");
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
    // The first renamed component of each stream name; a paste into a form
    // may rename every component it reads.
    std::unordered_map<QStringView, size_t, TNameHash, TNameEqual> renamed;
    renamed.reserve(m_renamed.size());
    for (size_t i = 0; i < m_renamed.size(); ++i)
        renamed.emplace(QStringView(m_renamed[i].first), i);
    for (size_t i = 0; i < m_fixups.size(); ++i) {
        // Read afresh each time: setting a reference may free objects.
        const Fixup &f = m_fixups[i];
        if (!f.instance)
            continue;
        try {
            TComponent *target = nullptr;
            const auto first = f.nameFromHook ? renamed.end() : renamed.find(QStringView(f.name));
            if (first != renamed.end())
                for (size_t j = first->second; j < m_renamed.size() && !target; ++j)
                    if (m_renamed[j].second && SameName(m_renamed[j].first, f.name))
                        target = m_renamed[j].second;
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
