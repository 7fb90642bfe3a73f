#include "platform/classes/StringList.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"

#include <algorithm>
#include <numeric>

namespace classes {

const TMetaClass &TStrings::StaticClass()
{
    static const TMetaClass meta = MakeClass<TStrings, TPersistent>("TStrings");
    return meta;
}

void TStrings::IndexError(int index) const
{
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStrings::Put(int index, const QString &text)
{
    TObject *object = GetObject(index);
    BeginUpdate();
    Delete(index);
    InsertObject(index, text, object);
    EndUpdate();
}

TObject *TStrings::GetObject(int) const
{
    return nullptr;
}

void TStrings::PutObject(int, TObject *) {}

int TStrings::Add(const QString &text)
{
    const int index = Count();
    Insert(index, text);
    return index;
}

int TStrings::AddObject(const QString &text, TObject *object)
{
    const int index = Add(text);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const QString &text, TObject *object)
{
    Insert(index, text);
    PutObject(index, object);
}

void TStrings::AddStrings(const TStrings &strings)
{
    BeginUpdate();
    for (int i = 0; i < strings.Count(); ++i)
        AddObject(strings.Get(i), strings.GetObject(i));
    EndUpdate();
}

void TStrings::Move(int from, int to)
{
    if (from == to)
        return;
    BeginUpdate();
    const QString text = Get(from);
    TObject *object = GetObject(from);
    Delete(from);
    InsertObject(to, text, object);
    EndUpdate();
}

void TStrings::Exchange(int a, int b)
{
    BeginUpdate();
    const QString textA = Get(a);
    TObject *objectA = GetObject(a);
    Put(a, Get(b));
    PutObject(a, GetObject(b));
    Put(b, textA);
    PutObject(b, objectA);
    EndUpdate();
}

int TStrings::IndexOf(const QString &text) const
{
    for (int i = 0; i < Count(); ++i)
        if (Get(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfObject(const TObject *object) const
{
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == object)
            return i;
    return -1;
}

QString TStrings::Text() const
{
    QString out;
    for (int i = 0; i < Count(); ++i) {
        out += Get(i);
        out += QStringLiteral("\r\n");
    }
    return out;
}

void TStrings::SetText(const QString &text)
{
    BeginUpdate();
    Clear();
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        Add(text.mid(start, end - start));
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    EndUpdate();
}

bool TStrings::Equals(const TStrings &other) const
{
    if (Count() != other.Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (Get(i) != other.Get(i))
            return false;
    return true;
}

void TStrings::BeginUpdate()
{
    if (m_updateCount == 0)
        SetUpdateState(true);
    ++m_updateCount;
}

void TStrings::EndUpdate()
{
    if (m_updateCount > 0 && --m_updateCount == 0)
        SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::Assign(const TPersistent *source)
{
    const auto *other = dynamic_cast<const TStrings *>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    Clear();
    AddStrings(*other);
    EndUpdate();
}

void TStrings::DefineProperties(TFiler &filer)
{
    filer.DefineProperty(
        QStringLiteral("Strings"), [this](TReader &r) { readData(r); }, [this](TWriter &w) { writeData(w); },
        Count() > 0);
}

void TStrings::readData(TReader &reader)
{
    reader.ReadListBegin();
    BeginUpdate();
    try {
        Clear();
        while (!reader.EndOfList())
            Add(reader.ReadString());
        reader.ReadListEnd();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::writeData(TWriter &writer) const
{
    writer.WriteListBegin();
    for (int i = 0; i < Count(); ++i)
        writer.WriteString(Get(i));
    writer.WriteListEnd();
}

// ---- TStringList ------------------------------------------------------------

const TMetaClass &TStringList::StaticClass()
{
    static const TMetaClass meta = MakeClass<TStringList, TStrings>("TStringList");
    return meta;
}

QString TStringList::Get(int index) const
{
    if (index < 0 || index >= Count())
        IndexError(index);
    return m_items[size_t(index)].text;
}

void TStringList::Put(int index, const QString &text)
{
    if (m_sorted)
        throw EStringListError("Operation not allowed on sorted list");
    if (index < 0 || index >= Count())
        IndexError(index);
    Changing();
    m_items[size_t(index)].text = text;
    Changed();
}

TObject *TStringList::GetObject(int index) const
{
    if (index < 0 || index >= Count())
        IndexError(index);
    return m_items[size_t(index)].object;
}

void TStringList::PutObject(int index, TObject *object)
{
    if (index < 0 || index >= Count())
        IndexError(index);
    Changing();
    m_items[size_t(index)].object = object;
    Changed();
}

void TStringList::Insert(int index, const QString &text)
{
    if (m_sorted)
        throw EStringListError("Operation not allowed on sorted list");
    if (index < 0 || index > Count())
        IndexError(index);
    insertItem(index, text, nullptr);
}

void TStringList::insertItem(int index, const QString &text, TObject *object)
{
    Changing();
    m_items.insert(m_items.begin() + index, Item{text, object});
    Changed();
}

void TStringList::Delete(int index)
{
    if (index < 0 || index >= Count())
        IndexError(index);
    Changing();
    m_items.erase(m_items.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (m_items.empty())
        return;
    Changing();
    m_items.clear();
    Changed();
}

int TStringList::Add(const QString &text)
{
    if (!m_sorted) {
        const int index = Count();
        insertItem(index, text, nullptr);
        return index;
    }
    int index = 0;
    if (Find(text, index)) {
        if (m_duplicates == TDuplicates::dupIgnore)
            return index;
        if (m_duplicates == TDuplicates::dupError)
            throw EStringListError("String list does not allow duplicates");
        // Duplicates go after their equals.
        while (index < Count() && CompareStrings(m_items[size_t(index)].text, text) == 0)
            ++index;
    }
    insertItem(index, text, nullptr);
    return index;
}

int TStringList::IndexOf(const QString &text) const
{
    if (!m_sorted) {
        for (int i = 0; i < Count(); ++i)
            if (CompareStrings(m_items[size_t(i)].text, text) == 0)
                return i;
        return -1;
    }
    int index = 0;
    return Find(text, index) ? index : -1;
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted && !m_sorted)
        Sort();
    m_sorted = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive)
{
    if (caseSensitive == m_caseSensitive)
        return;
    m_caseSensitive = caseSensitive;
    if (m_sorted)
        Sort();
}

int TStringList::CompareStrings(const QString &a, const QString &b) const
{
    return a.compare(b, m_caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

void TStringList::Sort()
{
    CustomSort([](const TStringList &list, int a, int b) {
        return list.CompareStrings(list.m_items[size_t(a)].text, list.m_items[size_t(b)].text);
    });
}

void TStringList::CustomSort(const Compare &compare)
{
    if (m_items.size() < 2)
        return;
    Changing();
    std::vector<int> order(m_items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(m_items.size());
    for (int i : order)
        sorted.push_back(std::move(m_items[size_t(i)]));
    m_items = std::move(sorted);
    Changed();
}

bool TStringList::Find(const QString &text, int &index) const
{
    int low = 0, high = Count() - 1;
    bool found = false;
    while (low <= high) {
        const int mid = (low + high) / 2;
        const int c = CompareStrings(m_items[size_t(mid)].text, text);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0)
                found = true;
        }
    }
    index = low;
    return found;
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating)
        Changing();
    else
        Changed();
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(this);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(this);
}

} // namespace classes
