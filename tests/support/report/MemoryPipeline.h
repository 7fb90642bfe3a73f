#pragma once

// MemoryPipeline: a data pipeline over rows held in memory, the one the
// report library's tests and its demonstration program run reports on.
//
// - Fields are declared with a name, alias, data type and size; rows are
//   lists of QVariant, one value per field (a null QVariant is a null value),
//   kept as a column per field (MemoryColumn), which answers each value as
//   it was given.
// - A row filter makes some of the rows, in a given order, the records the
//   cursor walks; the rows stay.
// - The cursor behaves as a database cursor: First sets BOF and stays on the
//   first record, a move past the last record sets EOF and stays on it.
// - Bookmarks are handles that are never handed out twice; a freed or
//   foreign handle makes GotoBookmark raise EDataError.
// - With a master pipeline and master-field links the pipeline is linked:
//   its records are ordered by the link fields (an index, rebuilt after
//   writes) and it walks the records whose link values equal the master's.
// - It takes the writes a database template needs (Locate, AppendRecord,
//   EditRecord, SetFieldValue, PostRecord, StreamToField, FieldToStream).
// - Calls counts what the traversal asked of it.

#include "report/model/data/DataPipeline.h"
#include "report/model/data/PipelineFields.h"

#include "tests/support/report/MemoryColumn.h"

#include "platform/classes/Graphics.h"

#include <QHash>
#include <QVariant>

#include <set>
#include <vector>

namespace reporttest {

class MemoryPipeline : public report::TppDataPipeline
{
    ZVO_CLASS(MemoryPipeline)
public:
    explicit MemoryPipeline(classes::TComponent *aOwner = nullptr);
    ~MemoryPipeline() override;

    // ---- Declaring the data ----

    // An alias left empty is the name.
    report::TppField *AddField(const QString &aName, report::TppDataType aType = report::TppDataType::dtString,
                               int aSize = 10, const QString &aAlias = QString());
    // Values beyond the fields are dropped, missing ones are null. Answers
    // the row's number.
    int AddRow(const QVariantList &aValues);
    // Links the detail field of this pipeline to the master's field.
    report::TppMasterFieldLink *AddLink(const QString &aMasterFieldName, const QString &aDetailFieldName,
                                        bool aCaseSensitive = false);
    // Replaces the fields' values with these columns, one per field, all of
    // the same size; the cursor goes to the first record.
    void SetColumns(std::vector<MemoryColumn> aColumns);
    void ClearRows();
    // The records: the rows, or those the filter keeps.
    int RecordCount() const { return recordCount(); }
    // By record, as the cursor counts them.
    QVariant Cell(int aRecord, const QString &aFieldName) const;
    // The record the cursor is on, -1 without one.
    int CurrentRow() const { return recordCount() == 0 || !m_active ? -1 : m_row; }

    // Every row held, whatever the filter keeps.
    int RowCount() const { return int(m_rowCount); }
    QVariant RowCell(int aRow, int aField) const;
    // The records become these rows (each below RowCount), in this order,
    // until ClearRowFilter; rows added meanwhile are kept. The cursor goes to
    // the first record and bookmarks are dropped, as after the rows were
    // cleared and added again.
    void SetRowFilter(std::vector<int> aRows);
    void ClearRowFilter();
    bool IsRowFilterSet() const { return m_filtered; }
    // Bytes the values take, for measuring.
    size_t ValueBytes() const;
    // Bookmarks handed out and not freed.
    int OutstandingBookmarks() const { return int(m_bookmarks.size()); }

    void SetDataChangeSuppressed(bool aValue) { m_suppressed = aValue; }
    void SetUnsupportedDataTypes(std::set<report::TppDataType> aTypes) { m_unsupported = std::move(aTypes); }
    void RefuseAtDesignTime(const QString &aFieldName) { m_refused.insert(aFieldName.toLower()); }

    struct Counters
    {
        int OpenData = 0;
        int CloseData = 0;
        int GotoFirstRecord = 0;
        int GotoLastRecord = 0;
        int MoveRecords = 0;
        int GetBookmark = 0;
        int FreeBookmark = 0;
        int GotoBookmark = 0;
        int GetFieldValue = 0;
        int LinkedFirst = 0;
        int LinkedLast = 0;
        int LinkedMoveBy = 0;
        int CompareWithMaster = 0;
        int MasterCleared = 0;
        int IndexBuilds = 0;
    };
    Counters Calls;

    // ---- The pipeline's operations ----

    bool IsDataBOF() override;
    bool IsDataEOF() override;
    void CloseData() override;
    bool GetActive() override { return m_active; }
    void GotoFirstRecord() override;
    void GotoLastRecord() override;
    void OpenData() override;
    int32_t MoveRecords(int32_t aCount) override;
    void Reserved1() override {}
    void Reserved2() override {}
    report::TppField *GetCurrentField() override { return m_currentField; }
    bool IsDataChangeSuppressed() override { return m_suppressed; }
    int GetFieldCount() override { return int(m_fields.size()); }
    report::TppField *GetField(int aIndex) override;
    int GetLinkCount() override { return int(m_links.size()); }
    report::TppMasterFieldLink *GetLink(int aIndex) override;
    bool GetFieldIsNull(const QString &aFieldName) override;
    void DoOnMasterRecordPositionChange() override;
    void FreeBookmark(report::TppBookmark aBookmark) override;
    report::TppBookmark GetBookmark() override;
    void Reserved4() override {}
    bool GetFieldNames(classes::TStrings &aList) override;
    void Reserved5() override {}
    double GetFieldAsDouble(const QString &aFieldName) override;
    classes::TPersistent *GetFieldAsPicture(const QString &aFieldName) override;
    QString GetFieldAsString(const QString &aFieldName) override;
    report::TppDataType GetFieldDataType(const QString &aFieldName) override;
    void Reserved6() override {}
    bool RefuseFieldAtDesignTime(const QString &aFieldName) override;
    void Reserved7() override {}
    QVariant GetFieldValue(const QString &aFieldName) override;
    void GotoBookmark(report::TppBookmark aBookmark) override;
    // By the records' places in the current order.
    int CompareBookmarks(report::TppBookmark aBookmark1, report::TppBookmark aBookmark2) override;
    void EditRecord() override;
    int32_t FieldToStream(const QString &aFieldName, classes::TStream &aStream) override;
    void AppendRecord() override;
    // aOptions 1: texts without regard to case.
    bool Locate(const QString &aFieldName, const QVariant &aValue, int aOptions) override;
    void PostRecord() override;
    int32_t StreamToField(const QString &aFieldName, classes::TStream &aStream) override;
    int32_t SetFieldValue(const QString &aFieldName, const QVariant &aValue) override;
    void Reserved9() override {}
    void Reserved10() override {}
    void Reserved11() override {}
    void Reserved12() override {}
    void Reserved13() override {}
    QString GetFieldAlias(const QString &aFieldName) override;
    QString GetFieldNameForAlias(const QString &aName) override;
    void GetFieldAliases(classes::TStrings &aList) override;
    report::TppField *GetFieldForName(const QString &aFieldName) override;
    void Reserved14() override {}
    void Reserved15() override {}
    void Reserved16() override {}
    bool SupportsDataType(report::TppDataType aDataType) override;
    void Reserved17() override {}
    bool IsLinked() override;
    void MasterCleared() override;
    int CompareWithMaster() override;
    void LinkedFirst() override;
    void LinkedLast() override;
    void LinkedMoveBy(int32_t aCount) override;

    bool Editing() const { return m_editing; }

    // Fields and links are declared in code, not streamed.
    void GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *aRoot) override;
    // A field renamed tells its parent, this pipeline: the names are taken again.
    void PropertyChange() override;

    // Names looked up among the fields one by one, since the pipeline was made.
    int FieldNameScans() const { return m_fieldNameScans; }

private:
    // -1 for an unknown field; EDataError with aThrow.
    int column(const QString &aFieldName, bool aThrow = true) const;
    // The field's column, made the current field; aRow is where the current
    // record is held, -1 without a record to read.
    const MemoryColumn &valueColumn(const QString &aFieldName, int &aRow);
    int recordCount() const { return m_filtered ? int(m_filter.size()) : int(m_rowCount); }
    // Where a record is held.
    size_t rowOf(int aRecord) const { return m_filtered ? size_t(m_filter[size_t(aRecord)]) : size_t(aRecord); }
    QVariant cell(int aRecord, int aColumn) const { return m_columns[size_t(aColumn)].at(rowOf(aRecord)); }
    void appendRow();
    void cursorToFirst();
    // The order the cursor walks: the link index when linked.
    bool ordered();
    int positionOf(int aRow);
    int rowAt(int aPosition);
    void ensureIndex();
    void dataWritten();
    QVariantList masterKey();
    int compareRowWithKey(int aRow, const QVariantList &aKey);
    const std::vector<int> &linkColumns();
    void range(const QVariantList &aKey, int &aLow, int &aHigh);
    void placeAt(int aPosition);

    std::vector<report::TppField *> m_fields; // children, freed with the pipeline
    std::vector<report::TppMasterFieldLink *> m_links;
    std::vector<MemoryColumn> m_columns; // one per field
    size_t m_rowCount = 0;
    std::vector<int> m_filter; // the records' rows while m_filtered
    bool m_filtered = false;
    std::vector<int> m_index;       // records by link values
    std::vector<int> m_positionOf;  // record -> place in m_index
    std::vector<int> m_linkColumns; // the detail field of each link
    bool m_indexDirty = true;
    int m_row = 0;
    bool m_bof = true;
    bool m_eof = true;
    bool m_active = true;
    bool m_suppressed = false;
    bool m_editing = false;
    QHash<report::TppBookmark, int> m_bookmarks; // handle -> record
    std::set<report::TppDataType> m_unsupported{report::TppDataType::dtNotKnown};
    std::set<QString> m_refused;
    report::TppField *m_currentField = nullptr;
    classes::TBitmap m_picture;
    // The first field of each name, as the fields are named; a report of
    // many fields asks for each one, and searching them all took n * n steps.
    mutable QHash<QString, int> m_columnOf;
    mutable size_t m_namesTaken = 0; // fields in m_columnOf
    mutable int m_fieldNameScans = 0;
    bool m_addingField = false;
};

} // namespace reporttest
