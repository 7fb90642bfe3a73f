#include "tests/support/report/MemoryPipeline.h"

#include "report/model/base/Exceptions.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"

#include <QImage>
#include <QScopedValueRollback>

#include <algorithm>
#include <atomic>

namespace reporttest {

using report::EDataError;
using report::TppBookmark;
using report::TppDataType;
using report::TppField;
using report::TppMasterFieldLink;

namespace {

// Handles are unique in the process, so that a bookmark of another pipeline
// is never taken for one of this pipeline's.
std::atomic<TppBookmark> g_nextBookmark{1};

bool isNull(const QVariant &aValue)
{
    return !aValue.isValid() || aValue.isNull();
}

bool isText(const QVariant &aValue)
{
    return aValue.typeId() == QMetaType::QString || aValue.typeId() == QMetaType::QChar;
}

// Nulls first; texts by their characters; everything else as Qt orders it,
// and as text where Qt cannot.
int compareValues(const QVariant &a, const QVariant &b, bool aCaseSensitive)
{
    // Keys are mostly whole numbers: compared without Qt's general ordering.
    if (a.typeId() == QMetaType::Int && b.typeId() == QMetaType::Int && !a.isNull() && !b.isNull()) {
        const int x = *static_cast<const int *>(a.constData());
        const int y = *static_cast<const int *>(b.constData());
        return x == y ? 0 : (x < y ? -1 : 1);
    }
    const bool aNull = isNull(a);
    const bool bNull = isNull(b);
    if (aNull || bNull)
        return aNull == bNull ? 0 : (aNull ? -1 : 1);
    if (!isText(a) || !isText(b)) {
        const QPartialOrdering order = QVariant::compare(a, b);
        if (order == QPartialOrdering::Less)
            return -1;
        if (order == QPartialOrdering::Greater)
            return 1;
        if (order == QPartialOrdering::Equivalent)
            return 0;
    }
    const int c = a.toString().compare(b.toString(), aCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QByteArray readAll(classes::TStream &aStream)
{
    aStream.SetPosition(0);
    QByteArray bytes(qsizetype(aStream.Size()), Qt::Uninitialized);
    if (!bytes.isEmpty())
        aStream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

} // namespace

const classes::TMetaClass &MemoryPipeline::StaticClass()
{
    using Pipeline = report::TppDataPipeline;
    static const classes::TMetaClass meta =
        classes::MakeClass<MemoryPipeline, Pipeline>("TMemoryPipeline", [](classes::TClassBuilder<MemoryPipeline> &c) {
            c.Enum("RangeBegin", report::EnumInfo<report::TppRangeBeginType>(), &Pipeline::RangeBegin,
                   &Pipeline::SetRangeBegin)
                .Default(report::TppRangeBeginType::rbFirstRecord);
            c.Enum("RangeEnd", report::EnumInfo<report::TppRangeEndType>(), &Pipeline::RangeEnd, &Pipeline::SetRangeEnd)
                .Default(report::TppRangeEndType::reLastRecord);
            c.Integer("RangeEndCount", &Pipeline::RangeEndCount, &Pipeline::SetRangeEndCount).Default(0);
            c.Boolean("SkipWhenNoRecords", &Pipeline::SkipWhenNoRecords, &Pipeline::SetSkipWhenNoRecords).Default(1);
            c.Integer("TraversalStep", &Pipeline::TraversalStep, &Pipeline::SetTraversalStep).Default(1);
            c.String("UserName", &Pipeline::GetUserName, &Pipeline::SetUserName);
            c.Boolean("Visible", &Pipeline::Visible, &Pipeline::SetVisible).Default(1);
        });
    return meta;
}

MemoryPipeline::MemoryPipeline(classes::TComponent *aOwner)
    : TppDataPipeline(aOwner)
{}

MemoryPipeline::~MemoryPipeline()
{
    BeforeDestruction();
}

// ---- Declaring the data ---------------------------------------------------------------

TppField *MemoryPipeline::AddField(const QString &aName, TppDataType aType, int aSize, const QString &aAlias)
{
    auto *field = new TppField(nullptr);
    // The field is named as it joins: no name taken changes.
    const QScopedValueRollback adding(m_addingField, true);
    field->SetParent(this);
    field->SetFieldName(aName);
    field->FieldAlias = aAlias.isEmpty() ? aName : aAlias;
    field->FieldLength = aSize;
    field->SetDataType(aType);
    m_fields.push_back(field);
    for (QVariantList &row : m_rows)
        row.append(QVariant());
    return field;
}

int MemoryPipeline::AddRow(const QVariantList &aValues)
{
    QVariantList row = aValues.mid(0, qsizetype(m_fields.size()));
    while (row.size() < qsizetype(m_fields.size()))
        row.append(QVariant());
    m_rows.push_back(std::move(row));
    // Data that arrives in an empty pipeline finds the cursor on its first record.
    if (m_rows.size() == 1) {
        m_row = 0;
        m_bof = true;
        m_eof = false;
    }
    dataWritten();
    return int(m_rows.size()) - 1;
}

TppMasterFieldLink *MemoryPipeline::AddLink(const QString &aMasterFieldName, const QString &aDetailFieldName,
                                            bool aCaseSensitive)
{
    auto *link = new TppMasterFieldLink(nullptr);
    link->SetParent(this);
    link->MasterFieldName = aMasterFieldName;
    link->DetailFieldName = aDetailFieldName;
    link->IsCaseSensitive = aCaseSensitive;
    m_links.push_back(link);
    m_indexDirty = true;
    return link;
}

void MemoryPipeline::ClearRows()
{
    m_rows.clear();
    m_bookmarks.clear();
    m_row = 0;
    m_bof = m_eof = true;
    dataWritten();
}

QVariant MemoryPipeline::Cell(int aRow, const QString &aFieldName) const
{
    const int col = column(aFieldName);
    return aRow >= 0 && aRow < int(m_rows.size()) ? m_rows[size_t(aRow)][col] : QVariant();
}

void MemoryPipeline::GetChildren(const classes::TGetChildProc &, classes::TComponent *) {}

int MemoryPipeline::column(const QString &aFieldName, bool aThrow) const
{
    // Every cell a report reads comes through here, mostly by the name as
    // the field was added: that needs no case folding nor a search.
    for (; m_namesTaken < m_fields.size(); ++m_namesTaken)
        if (!m_columnOf.contains(m_fields[m_namesTaken]->FieldName))
            m_columnOf.insert(m_fields[m_namesTaken]->FieldName, int(m_namesTaken));
    if (const auto it = m_columnOf.constFind(aFieldName); it != m_columnOf.cend())
        return it.value();
    ++m_fieldNameScans;
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i]->FieldName.compare(aFieldName, Qt::CaseInsensitive) == 0)
            return int(i);
    if (aThrow)
        throw EDataError(QStringLiteral("Field '%1' not found").arg(aFieldName));
    return -1;
}

void MemoryPipeline::PropertyChange()
{
    TppDataPipeline::PropertyChange();
    if (m_addingField)
        return;
    m_columnOf.clear();
    m_namesTaken = 0;
}

const QVariant *MemoryPipeline::value(const QString &aFieldName)
{
    const int col = column(aFieldName);
    m_currentField = m_fields[size_t(col)];
    if (!m_active || m_rows.empty())
        return nullptr;
    return &m_rows[size_t(m_row)][col];
}

void MemoryPipeline::dataWritten()
{
    m_indexDirty = true;
    // Ranges are record places, which a new record moves.
    if (report::TppLinkRangeIndex *ranges = LinkRangeIndex())
        ranges->Clear();
}

// ---- Order and links ------------------------------------------------------------------

bool MemoryPipeline::IsLinked()
{
    return MasterDataPipeline() && !m_links.empty();
}

bool MemoryPipeline::ordered()
{
    if (!IsLinked())
        return false;
    ensureIndex();
    return true;
}

void MemoryPipeline::ensureIndex()
{
    if (!m_indexDirty && m_index.size() == m_rows.size())
        return;
    ++Calls.IndexBuilds;
    const std::vector<int> &cols = linkColumns();
    m_index.resize(m_rows.size());
    for (size_t i = 0; i < m_index.size(); ++i)
        m_index[i] = int(i);
    std::stable_sort(m_index.begin(), m_index.end(), [&](int a, int b) {
        for (size_t l = 0; l < cols.size(); ++l) {
            const int c =
                compareValues(m_rows[size_t(a)][cols[l]], m_rows[size_t(b)][cols[l]], m_links[l]->IsCaseSensitive);
            if (c != 0)
                return c < 0;
        }
        return false;
    });
    m_positionOf.assign(m_rows.size(), 0);
    for (size_t i = 0; i < m_index.size(); ++i)
        m_positionOf[size_t(m_index[i])] = int(i);
    m_indexDirty = false;
}

int MemoryPipeline::positionOf(int aRow)
{
    return ordered() ? m_positionOf[size_t(aRow)] : aRow;
}

int MemoryPipeline::rowAt(int aPosition)
{
    return ordered() ? m_index[size_t(aPosition)] : aPosition;
}

QVariantList MemoryPipeline::masterKey()
{
    QVariantList key;
    report::TppDataPipeline *master = MasterDataPipeline();
    for (const TppMasterFieldLink *link : m_links)
        key.append(master ? master->GetFieldValue(link->MasterFieldName) : QVariant());
    return key;
}

const std::vector<int> &MemoryPipeline::linkColumns()
{
    // Link field names may change after the links were made; they are few,
    // so they are looked up again once per index build or key comparison run.
    if (m_linkColumns.size() != m_links.size() || m_indexDirty) {
        m_linkColumns.clear();
        for (const TppMasterFieldLink *link : m_links)
            m_linkColumns.push_back(column(link->DetailFieldName));
    }
    return m_linkColumns;
}

int MemoryPipeline::compareRowWithKey(int aRow, const QVariantList &aKey)
{
    const std::vector<int> &cols = linkColumns();
    for (size_t l = 0; l < m_links.size(); ++l) {
        const int c = compareValues(m_rows[size_t(aRow)][cols[l]], aKey[qsizetype(l)], m_links[l]->IsCaseSensitive);
        if (c != 0)
            return c;
    }
    return 0;
}

void MemoryPipeline::range(const QVariantList &aKey, int &aLow, int &aHigh)
{
    ensureIndex();
    const auto low =
        std::partition_point(m_index.begin(), m_index.end(), [&](int row) { return compareRowWithKey(row, aKey) < 0; });
    const auto high =
        std::partition_point(low, m_index.end(), [&](int row) { return compareRowWithKey(row, aKey) == 0; });
    aLow = int(low - m_index.begin());
    aHigh = int(high - m_index.begin());
}

int MemoryPipeline::CompareWithMaster()
{
    ++Calls.CompareWithMaster;
    if (m_rows.empty() || !m_active)
        return 1;
    return compareRowWithKey(m_row, masterKey());
}

void MemoryPipeline::placeAt(int aPosition)
{
    m_row = rowAt(std::clamp(aPosition, 0, std::max(int(m_rows.size()) - 1, 0)));
}

void MemoryPipeline::LinkedFirst()
{
    ++Calls.LinkedFirst;
    AliveFrame frame(this);
    int low = 0;
    int high = 0;
    range(masterKey(), low, high);
    SetOutOfMasterRange(low == high);
    placeAt(low);
    m_bof = low == 0 || m_rows.empty();
    m_eof = m_rows.empty();
    SetRecordIndexValue(low);
    if (low < high && LinkRangeIndex())
        LinkRangeIndex()->Add(MasterDataPipeline()->RecordIndex(), low, high - 1);
    UpdateRecordPositionFlags();
    DoOnRecordPositionChange();
}

void MemoryPipeline::LinkedLast()
{
    ++Calls.LinkedLast;
    int low = 0;
    int high = 0;
    range(masterKey(), low, high);
    SetOutOfMasterRange(low == high);
    const int last = std::max(high - 1, low);
    placeAt(last);
    m_bof = m_rows.empty();
    m_eof = m_rows.empty() || last >= int(m_rows.size());
    SetRecordIndexValue(last);
    if (low < high && LinkRangeIndex())
        LinkRangeIndex()->Add(MasterDataPipeline()->RecordIndex(), low, high - 1);
    UpdateRecordPositionFlags();
    DoOnRecordPositionChange();
}

void MemoryPipeline::LinkedMoveBy(int32_t aCount)
{
    ++Calls.LinkedMoveBy;
    AliveFrame frame(this);
    MoveRecords(aCount);
    SetRecordIndexValue(m_rows.empty() ? 0 : positionOf(m_row));
    DataChange();
    if (frame.alive)
        DoOnRecordPositionChange();
}

void MemoryPipeline::DoOnMasterRecordPositionChange()
{
    AliveFrame frame(this);
    TppDataPipeline::DoOnMasterRecordPositionChange();
    if (frame.alive && IsLinked() && m_active)
        LinkedFirst();
}

void MemoryPipeline::MasterCleared()
{
    ++Calls.MasterCleared;
    SetOutOfMasterRange(false);
}

// ---- Cursor ----------------------------------------------------------------------------

bool MemoryPipeline::IsDataBOF()
{
    return !m_active || m_bof;
}

bool MemoryPipeline::IsDataEOF()
{
    return !m_active || m_eof;
}

void MemoryPipeline::OpenData()
{
    ++Calls.OpenData;
    m_active = true;
    m_row = rowAt(0);
    m_bof = true;
    m_eof = m_rows.empty();
}

void MemoryPipeline::CloseData()
{
    ++Calls.CloseData;
    m_active = false;
    m_editing = false;
}

void MemoryPipeline::GotoFirstRecord()
{
    ++Calls.GotoFirstRecord;
    if (!m_rows.empty())
        placeAt(0);
    m_bof = true;
    m_eof = m_rows.empty();
    TppDataPipeline::GotoFirstRecord();
}

void MemoryPipeline::GotoLastRecord()
{
    ++Calls.GotoLastRecord;
    if (!m_rows.empty()) {
        ordered();
        placeAt(int(m_rows.size()) - 1);
    }
    m_eof = true;
    m_bof = m_rows.empty();
    TppDataPipeline::GotoLastRecord();
}

int32_t MemoryPipeline::MoveRecords(int32_t aCount)
{
    ++Calls.MoveRecords;
    if (m_rows.empty() || !m_active) {
        m_bof = m_eof = true;
        return 0;
    }
    if (aCount == 0)
        return 0;
    const int64_t last = int64_t(m_rows.size()) - 1;
    const int64_t from = positionOf(m_row);
    const int64_t to = std::clamp<int64_t>(from + aCount, 0, last);
    m_bof = from + aCount < 0;
    m_eof = from + aCount > last;
    placeAt(int(to));
    return int32_t(to - from);
}

// ---- Bookmarks -------------------------------------------------------------------------

TppBookmark MemoryPipeline::GetBookmark()
{
    ++Calls.GetBookmark;
    if (m_rows.empty() || !m_active)
        return 0;
    const TppBookmark handle = g_nextBookmark.fetch_add(1, std::memory_order_relaxed);
    m_bookmarks.insert(handle, m_row);
    return handle;
}

void MemoryPipeline::FreeBookmark(TppBookmark aBookmark)
{
    ++Calls.FreeBookmark;
    m_bookmarks.remove(aBookmark);
}

void MemoryPipeline::GotoBookmark(TppBookmark aBookmark)
{
    ++Calls.GotoBookmark;
    const auto it = m_bookmarks.constFind(aBookmark);
    if (it == m_bookmarks.constEnd() || *it >= int(m_rows.size()))
        throw EDataError(QStringLiteral("Bookmark %1 is not a record of %2").arg(aBookmark).arg(Name()));
    m_row = *it;
    m_bof = m_eof = false;
    TppDataPipeline::GotoBookmark(aBookmark);
}

int MemoryPipeline::CompareBookmarks(TppBookmark aBookmark1, TppBookmark aBookmark2)
{
    const auto a = m_bookmarks.constFind(aBookmark1);
    const auto b = m_bookmarks.constFind(aBookmark2);
    if (a == m_bookmarks.constEnd() || b == m_bookmarks.constEnd() || *a >= int(m_rows.size()) ||
        *b >= int(m_rows.size()))
        return TppDataPipeline::CompareBookmarks(aBookmark1, aBookmark2);
    const int pa = positionOf(*a);
    const int pb = positionOf(*b);
    return pa == pb ? 0 : (pa < pb ? -1 : 1);
}

// ---- Fields -----------------------------------------------------------------------------

TppField *MemoryPipeline::GetField(int aIndex)
{
    return aIndex >= 0 && aIndex < int(m_fields.size()) ? m_fields[size_t(aIndex)] : nullptr;
}

TppMasterFieldLink *MemoryPipeline::GetLink(int aIndex)
{
    return aIndex >= 0 && aIndex < int(m_links.size()) ? m_links[size_t(aIndex)] : nullptr;
}

TppField *MemoryPipeline::GetFieldForName(const QString &aFieldName)
{
    const int col = column(aFieldName, false);
    return col < 0 ? nullptr : m_fields[size_t(col)];
}

QVariant MemoryPipeline::GetFieldValue(const QString &aFieldName)
{
    ++Calls.GetFieldValue;
    const QVariant *v = value(aFieldName);
    return v ? *v : QVariant();
}

bool MemoryPipeline::GetFieldIsNull(const QString &aFieldName)
{
    const QVariant *v = value(aFieldName);
    return !v || isNull(*v);
}

double MemoryPipeline::GetFieldAsDouble(const QString &aFieldName)
{
    const QVariant *v = value(aFieldName);
    return v && !isNull(*v) ? v->toDouble() : 0.0;
}

QString MemoryPipeline::GetFieldAsString(const QString &aFieldName)
{
    const QVariant *v = value(aFieldName);
    return v && !isNull(*v) ? v->toString() : QString();
}

classes::TPersistent *MemoryPipeline::GetFieldAsPicture(const QString &aFieldName)
{
    const QVariant *v = value(aFieldName);
    if (!v || isNull(*v))
        return nullptr;
    QImage image;
    if (v->typeId() == QMetaType::QImage)
        image = v->value<QImage>();
    else if (v->typeId() == QMetaType::QByteArray)
        image.loadFromData(v->toByteArray());
    if (image.isNull())
        return nullptr;
    m_picture.SetImage(image);
    return &m_picture;
}

TppDataType MemoryPipeline::GetFieldDataType(const QString &aFieldName)
{
    const int col = column(aFieldName, false);
    return col < 0 ? TppDataType::dtNotKnown : m_fields[size_t(col)]->DataType;
}

bool MemoryPipeline::GetFieldNames(classes::TStrings &aList)
{
    aList.Clear();
    for (const TppField *field : m_fields)
        aList.Add(field->FieldName);
    return true;
}

void MemoryPipeline::GetFieldAliases(classes::TStrings &aList)
{
    aList.Clear();
    for (const TppField *field : m_fields)
        aList.Add(field->FieldAlias);
}

QString MemoryPipeline::GetFieldAlias(const QString &aFieldName)
{
    const int col = column(aFieldName, false);
    return col < 0 ? QString() : m_fields[size_t(col)]->FieldAlias;
}

QString MemoryPipeline::GetFieldNameForAlias(const QString &aName)
{
    for (const TppField *field : m_fields)
        if (field->FieldAlias.compare(aName, Qt::CaseInsensitive) == 0)
            return field->FieldName;
    return aName;
}

bool MemoryPipeline::RefuseFieldAtDesignTime(const QString &aFieldName)
{
    return m_refused.count(aFieldName.toLower()) > 0;
}

bool MemoryPipeline::SupportsDataType(TppDataType aDataType)
{
    return m_unsupported.count(aDataType) == 0;
}

// ---- Writes of report templates ------------------------------------------------------------

bool MemoryPipeline::Locate(const QString &aFieldName, const QVariant &aValue, int aOptions)
{
    const int col = column(aFieldName);
    const bool caseSensitive = (aOptions & 1) == 0;
    for (int position = 0; position < int(m_rows.size()); ++position) {
        const int row = rowAt(position);
        if (compareValues(m_rows[size_t(row)][col], aValue, caseSensitive) == 0) {
            m_row = row;
            m_bof = m_eof = false;
            return true;
        }
    }
    return false;
}

void MemoryPipeline::AppendRecord()
{
    m_rows.push_back(QVariantList(qsizetype(m_fields.size())));
    m_row = int(m_rows.size()) - 1;
    m_bof = m_eof = false;
    m_editing = true;
    dataWritten();
}

void MemoryPipeline::EditRecord()
{
    if (m_rows.empty())
        throw EDataError(QStringLiteral("No record to edit in %1").arg(Name()));
    m_editing = true;
}

int32_t MemoryPipeline::SetFieldValue(const QString &aFieldName, const QVariant &aValue)
{
    const int col = column(aFieldName);
    if (!m_editing)
        throw EDataError(QStringLiteral("%1 is not being edited").arg(Name()));
    m_rows[size_t(m_row)][col] = aValue;
    return 0;
}

void MemoryPipeline::PostRecord()
{
    m_editing = false;
    // The record may now belong elsewhere among the link values.
    const int row = m_row;
    dataWritten();
    m_row = row;
}

int32_t MemoryPipeline::StreamToField(const QString &aFieldName, classes::TStream &aStream)
{
    const int col = column(aFieldName);
    const TppDataType type = m_fields[size_t(col)]->DataType;
    if (type != TppDataType::dtBLOB && type != TppDataType::dtMemo)
        throw EDataError(QStringLiteral("Field '%1' holds no stream").arg(aFieldName));
    if (!m_editing)
        throw EDataError(QStringLiteral("%1 is not being edited").arg(Name()));
    const QByteArray bytes = readAll(aStream);
    m_rows[size_t(m_row)][col] = type == TppDataType::dtMemo ? QVariant(QString::fromUtf8(bytes)) : QVariant(bytes);
    return int32_t(bytes.size());
}

int32_t MemoryPipeline::FieldToStream(const QString &aFieldName, classes::TStream &aStream)
{
    const int col = column(aFieldName);
    const TppDataType type = m_fields[size_t(col)]->DataType;
    if (type != TppDataType::dtBLOB && type != TppDataType::dtMemo)
        throw EDataError(QStringLiteral("Field '%1' holds no stream").arg(aFieldName));
    const QVariant *v = value(aFieldName);
    if (!v || isNull(*v))
        return 0;
    const QByteArray bytes = type == TppDataType::dtMemo ? v->toString().toUtf8() : v->toByteArray();
    aStream.WriteBuffer(bytes.constData(), bytes.size());
    return int32_t(bytes.size());
}

} // namespace reporttest
