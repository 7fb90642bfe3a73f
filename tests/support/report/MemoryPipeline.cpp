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
    m_columns.emplace_back(m_rowCount);
    return field;
}

int MemoryPipeline::AddRow(const QVariantList &aValues)
{
    for (size_t c = 0; c < m_columns.size(); ++c)
        m_columns[c].append(qsizetype(c) < aValues.size() ? aValues[qsizetype(c)] : QVariant());
    appendRow();
    // Data that arrives in an empty pipeline finds the cursor on its first record.
    if (recordCount() == 1) {
        m_row = 0;
        m_bof = true;
        m_eof = false;
    }
    dataWritten();
    return recordCount() - 1;
}

void MemoryPipeline::appendRow()
{
    if (m_filtered)
        m_filter.push_back(int(m_rowCount));
    ++m_rowCount;
}

void MemoryPipeline::SetColumns(std::vector<MemoryColumn> aColumns)
{
    if (aColumns.size() != m_fields.size())
        throw EDataError(QStringLiteral("%1 columns for %2 fields").arg(aColumns.size()).arg(m_fields.size()));
    const size_t rows = aColumns.empty() ? 0 : aColumns.front().size();
    for (const MemoryColumn &c : aColumns)
        if (c.size() != rows)
            throw EDataError(QStringLiteral("Columns of %1 and %2 values").arg(rows).arg(c.size()));
    m_columns = std::move(aColumns);
    m_rowCount = rows;
    m_filter.clear();
    m_filtered = false;
    cursorToFirst();
}

void MemoryPipeline::cursorToFirst()
{
    m_bookmarks.clear();
    m_row = 0;
    m_bof = true;
    m_eof = recordCount() == 0;
    dataWritten();
}

void MemoryPipeline::SetRowFilter(std::vector<int> aRows)
{
    for (const int row : aRows)
        if (row < 0 || size_t(row) >= m_rowCount)
            throw EDataError(QStringLiteral("Row %1 is not a row of %2").arg(row).arg(Name()));
    m_filter = std::move(aRows);
    m_filtered = true;
    cursorToFirst();
}

void MemoryPipeline::ClearRowFilter()
{
    if (!m_filtered)
        return;
    m_filter.clear();
    m_filtered = false;
    cursorToFirst();
}

QVariant MemoryPipeline::RowCell(int aRow, int aField) const
{
    if (aRow < 0 || size_t(aRow) >= m_rowCount || aField < 0 || size_t(aField) >= m_columns.size())
        return QVariant();
    return m_columns[size_t(aField)].at(size_t(aRow));
}

size_t MemoryPipeline::ValueBytes() const
{
    size_t bytes = m_filter.capacity() * sizeof(int);
    for (const MemoryColumn &c : m_columns)
        bytes += c.bytes();
    return bytes;
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
    for (MemoryColumn &c : m_columns)
        c.clear();
    m_rowCount = 0;
    m_filter.clear();
    m_filtered = false;
    m_bookmarks.clear();
    m_row = 0;
    m_bof = m_eof = true;
    dataWritten();
}

QVariant MemoryPipeline::Cell(int aRecord, const QString &aFieldName) const
{
    const int col = column(aFieldName);
    return aRecord >= 0 && aRecord < recordCount() ? cell(aRecord, col) : QVariant();
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

const MemoryColumn &MemoryPipeline::valueColumn(const QString &aFieldName, int &aRow)
{
    const int col = column(aFieldName);
    m_currentField = m_fields[size_t(col)];
    aRow = !m_active || recordCount() == 0 ? -1 : int(rowOf(m_row));
    return m_columns[size_t(col)];
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
    if (!m_indexDirty && m_index.size() == size_t(recordCount()))
        return;
    ++Calls.IndexBuilds;
    const std::vector<int> &cols = linkColumns();
    m_index.resize(size_t(recordCount()));
    for (size_t i = 0; i < m_index.size(); ++i)
        m_index[i] = int(i);
    std::stable_sort(m_index.begin(), m_index.end(), [&](int a, int b) {
        for (size_t l = 0; l < cols.size(); ++l) {
            const int c = compareValues(cell(a, cols[l]), cell(b, cols[l]), m_links[l]->IsCaseSensitive);
            if (c != 0)
                return c < 0;
        }
        return false;
    });
    m_positionOf.assign(size_t(recordCount()), 0);
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
        const int c = compareValues(cell(aRow, cols[l]), aKey[qsizetype(l)], m_links[l]->IsCaseSensitive);
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
    if (recordCount() == 0 || !m_active)
        return 1;
    return compareRowWithKey(m_row, masterKey());
}

void MemoryPipeline::placeAt(int aPosition)
{
    m_row = rowAt(std::clamp(aPosition, 0, std::max(recordCount() - 1, 0)));
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
    m_bof = low == 0 || recordCount() == 0;
    m_eof = recordCount() == 0;
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
    m_bof = recordCount() == 0;
    m_eof = recordCount() == 0 || last >= recordCount();
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
    SetRecordIndexValue(recordCount() == 0 ? 0 : positionOf(m_row));
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
    m_eof = recordCount() == 0;
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
    if (recordCount() > 0)
        placeAt(0);
    m_bof = true;
    m_eof = recordCount() == 0;
    TppDataPipeline::GotoFirstRecord();
}

void MemoryPipeline::GotoLastRecord()
{
    ++Calls.GotoLastRecord;
    if (recordCount() > 0) {
        ordered();
        placeAt(recordCount() - 1);
    }
    m_eof = true;
    m_bof = recordCount() == 0;
    TppDataPipeline::GotoLastRecord();
}

int32_t MemoryPipeline::MoveRecords(int32_t aCount)
{
    ++Calls.MoveRecords;
    if (recordCount() == 0 || !m_active) {
        m_bof = m_eof = true;
        return 0;
    }
    if (aCount == 0)
        return 0;
    const int64_t last = int64_t(recordCount()) - 1;
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
    if (recordCount() == 0 || !m_active)
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
    if (it == m_bookmarks.constEnd() || *it >= recordCount())
        throw EDataError(QStringLiteral("Bookmark %1 is not a record of %2").arg(aBookmark).arg(Name()));
    m_row = *it;
    m_bof = m_eof = false;
    TppDataPipeline::GotoBookmark(aBookmark);
}

int MemoryPipeline::CompareBookmarks(TppBookmark aBookmark1, TppBookmark aBookmark2)
{
    const auto a = m_bookmarks.constFind(aBookmark1);
    const auto b = m_bookmarks.constFind(aBookmark2);
    if (a == m_bookmarks.constEnd() || b == m_bookmarks.constEnd() || *a >= recordCount() ||
        *b >= recordCount())
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
    int row = -1;
    const MemoryColumn &values = valueColumn(aFieldName, row);
    return row < 0 ? QVariant() : values.at(size_t(row));
}

bool MemoryPipeline::GetFieldIsNull(const QString &aFieldName)
{
    int row = -1;
    const MemoryColumn &values = valueColumn(aFieldName, row);
    return row < 0 || values.isNull(size_t(row));
}

double MemoryPipeline::GetFieldAsDouble(const QString &aFieldName)
{
    int row = -1;
    const MemoryColumn &values = valueColumn(aFieldName, row);
    return row < 0 || values.isNull(size_t(row)) ? 0.0 : values.toDouble(size_t(row));
}

QString MemoryPipeline::GetFieldAsString(const QString &aFieldName)
{
    int row = -1;
    const MemoryColumn &values = valueColumn(aFieldName, row);
    return row < 0 || values.isNull(size_t(row)) ? QString() : values.toString(size_t(row));
}

classes::TPersistent *MemoryPipeline::GetFieldAsPicture(const QString &aFieldName)
{
    int row = -1;
    const MemoryColumn &values = valueColumn(aFieldName, row);
    if (row < 0 || values.isNull(size_t(row)))
        return nullptr;
    const QVariant v = values.at(size_t(row));
    QImage image;
    if (v.typeId() == QMetaType::QImage)
        image = v.value<QImage>();
    else if (v.typeId() == QMetaType::QByteArray)
        image.loadFromData(v.toByteArray());
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
    for (int position = 0; position < recordCount(); ++position) {
        const int row = rowAt(position);
        if (compareValues(cell(row, col), aValue, caseSensitive) == 0) {
            m_row = row;
            m_bof = m_eof = false;
            return true;
        }
    }
    return false;
}

void MemoryPipeline::AppendRecord()
{
    for (MemoryColumn &c : m_columns)
        c.append(QVariant());
    appendRow();
    m_row = recordCount() - 1;
    m_bof = m_eof = false;
    m_editing = true;
    dataWritten();
}

void MemoryPipeline::EditRecord()
{
    if (recordCount() == 0)
        throw EDataError(QStringLiteral("No record to edit in %1").arg(Name()));
    m_editing = true;
}

int32_t MemoryPipeline::SetFieldValue(const QString &aFieldName, const QVariant &aValue)
{
    const int col = column(aFieldName);
    if (!m_editing)
        throw EDataError(QStringLiteral("%1 is not being edited").arg(Name()));
    m_columns[size_t(col)].set(rowOf(m_row), aValue);
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
    m_columns[size_t(col)].set(rowOf(m_row),
                               type == TppDataType::dtMemo ? QVariant(QString::fromUtf8(bytes)) : QVariant(bytes));
    return int32_t(bytes.size());
}

int32_t MemoryPipeline::FieldToStream(const QString &aFieldName, classes::TStream &aStream)
{
    const int col = column(aFieldName);
    const TppDataType type = m_fields[size_t(col)]->DataType;
    if (type != TppDataType::dtBLOB && type != TppDataType::dtMemo)
        throw EDataError(QStringLiteral("Field '%1' holds no stream").arg(aFieldName));
    int row = -1;
    const MemoryColumn &values = valueColumn(aFieldName, row);
    if (row < 0 || values.isNull(size_t(row)))
        return 0;
    const QVariant v = values.at(size_t(row));
    const QByteArray bytes = type == TppDataType::dtMemo ? v.toString().toUtf8() : v.toByteArray();
    aStream.WriteBuffer(bytes.constData(), bytes.size());
    return int32_t(bytes.size());
}

} // namespace reporttest
