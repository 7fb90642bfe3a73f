#pragma once

// TppDataPipeline: the report's only view of data. The engine walks a
// pipeline record by record, components read field values from it, groups
// read break values, and a detail pipeline follows its master. This class
// owns the traversal protocol: the range of records, the record-position
// flags, bookmarks and bookmark lists, the skipping of master records without
// detail records, and the events. The data itself is a descendant's, reached
// through the abstract operations below; the library has no concrete pipeline.
//
// A pipeline is in linked mode when the descendant says so (IsLinked): its
// records are then the detail records of the master's current record, and it
// moves with the Linked... operations.

#include "report/model/objects/Relative.h"
#include "report/model/base/Types.h"

#include "platform/classes/PropInfo.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <cstdint>
#include <memory>
#include <vector>

namespace classes {
class TPersistent;
class TStream;
class TStrings;
} // namespace classes

namespace report {

class TppField;
class TppMasterFieldLink;
class TppDataPipeline;

// Opaque handles of records; 0 is none.
using TppBookmark = int32_t;
using TppBookmarkList = std::vector<TppBookmark>;
using TppDataPipelineVector = std::vector<TppDataPipeline *>;

// The record-position flags: where the last move left the pipeline.
enum TppRecordPositionFlag : uint8_t {
    ppFirstRecord = 1,
    ppLastRecord = 2,
    ppNoRecords = 4,
};
using TppRecordPositionFlags = uint8_t;

// Detail record ranges per master record (its record index): the first and
// last detail record index, each below 0 while not known.
class TppLinkRangeIndex
{
public:
    struct Entry
    {
        int32_t masterIndex;
        int32_t first;
        int32_t last;
    };

    // Adds or replaces the entry of aMasterIndex.
    void Add(int32_t aMasterIndex, int32_t aFirst, int32_t aLast);
    // nullptr when the master record has no entry.
    const Entry *Find(int32_t aMasterIndex) const;
    int Count() const { return int(m_entries.size()); }
    const Entry &Entries(int aIndex) const { return m_entries.at(size_t(aIndex)); }
    void Clear();

private:
    std::vector<Entry> m_entries;
    QHash<int32_t, int> m_keys; // master record index -> entry position
};

class TppDataPipeline : public TppRelative
{
    ZVO_CLASS(TppDataPipeline)
public:
    explicit TppDataPipeline(classes::TComponent *aOwner);
    ~TppDataPipeline() override;

    // ---- Operations of a concrete pipeline, in slot order ----

    // Links every pipeline of aList whose master is this one and lists it.
    virtual void BuildDetailList(const TppDataPipelineVector &aList);
    // The cursor is at or before the first record / past the last one.
    virtual bool IsDataBOF() = 0;
    virtual bool IsDataEOF() = 0;
    virtual void CloseData() = 0;
    virtual bool GetActive() = 0;
    // A descendant moves the cursor, then calls these.
    virtual void GotoFirstRecord();
    virtual void GotoLastRecord();
    virtual void OpenData() = 0;
    // Moves the cursor by aCount records; the records actually moved, signed.
    virtual int32_t MoveRecords(int32_t aCount) = 0;
    virtual void Reserved1() = 0;
    virtual void Reserved2() = 0;
    virtual TppField *GetCurrentField() = 0;
    // While true, DataChange does nothing.
    virtual bool IsDataChangeSuppressed() = 0;
    virtual int GetFieldCount() = 0;
    virtual TppField *GetField(int aIndex) = 0;
    virtual int GetLinkCount() = 0;
    virtual TppMasterFieldLink *GetLink(int aIndex) = 0;
    virtual bool GetFieldIsNull(const QString &aFieldName) = 0;
    virtual void DoOnRecordPositionChange();
    // A descendant re-positions on the master's new record after this.
    virtual void DoOnMasterRecordPositionChange();
    // Prepares a print run; aList holds every pipeline the report uses.
    virtual void InitTraversal(const TppDataPipelineVector &aList);
    virtual void Reserved3() {}
    virtual void FreeBookmark(TppBookmark aBookmark) = 0;
    // A new bookmark of the current record.
    virtual TppBookmark GetBookmark() = 0;
    virtual void Reserved4() = 0;
    // Fills aList with the field names; false when it did not.
    virtual bool GetFieldNames(classes::TStrings &aList) = 0;
    virtual void Reserved5() = 0;
    virtual double GetFieldAsDouble(const QString &aFieldName) = 0;
    // A picture the pipeline keeps (a TBitmap or another graphic); valid
    // until the next call. nullptr without one.
    virtual classes::TPersistent *GetFieldAsPicture(const QString &aFieldName) = 0;
    virtual QString GetFieldAsString(const QString &aFieldName) = 0;
    virtual TppDataType GetFieldDataType(const QString &aFieldName) = 0;
    virtual void Reserved6() = 0;
    // A field whose data a component in design state does not show.
    virtual bool RefuseFieldAtDesignTime(const QString &aFieldName) = 0;
    virtual void Reserved7() = 0;
    virtual QVariant GetFieldValue(const QString &aFieldName) = 0;
    // Tells the listeners; a descendant moves first.
    virtual void GotoBookmark(TppBookmark aBookmark);
    // The two handles as signed numbers: -1, 0 or 1.
    virtual int CompareBookmarks(TppBookmark aBookmark1, TppBookmark aBookmark2);
    // The writes of report templates kept in a database.
    virtual void EditRecord() {}
    virtual int32_t FieldToStream(const QString &aFieldName, classes::TStream &aStream);
    virtual void AppendRecord() {}
    virtual void Reserved8() {}
    // aOptions 1: without regard to case.
    virtual bool Locate(const QString &aFieldName, const QVariant &aValue, int aOptions);
    virtual void PostRecord() {}
    virtual int32_t StreamToField(const QString &aFieldName, classes::TStream &aStream);
    virtual int32_t SetFieldValue(const QString &aFieldName, const QVariant &aValue);
    virtual void Reserved9() = 0;
    virtual void Reserved10() = 0;
    virtual void Reserved11() = 0;
    virtual void Reserved12() = 0;
    virtual void Reserved13() = 0;
    virtual QString GetFieldAlias(const QString &aFieldName) = 0;
    // The field a name used by a script stands for.
    virtual QString GetFieldNameForAlias(const QString &aName) = 0;
    // The aliases in the order of GetFieldNames.
    virtual void GetFieldAliases(classes::TStrings &aList) = 0;
    virtual TppField *GetFieldForName(const QString &aFieldName) = 0;
    virtual void Reserved14() = 0;
    virtual void Reserved15() = 0;
    virtual void Reserved16() = 0;
    virtual bool SupportsDataType(TppDataType aDataType) = 0;
    virtual void Reserved17() = 0;
    virtual bool IsLinked() = 0;
    // The master became nil.
    virtual void MasterCleared() = 0;
    // The current detail record's link values against the master's:
    // negative before, 0 matching, positive after.
    virtual int CompareWithMaster() = 0;
    virtual void LinkedFirst() = 0;
    virtual void LinkedLast() = 0;
    virtual void LinkedMoveBy(int32_t aCount) = 0;

    // ---- The traversal ----

    void Open();
    void Close();
    void First();
    void Last();
    void Next();
    void Prior();
    bool BOF();
    // The end of the range ("EOF" to scripts; EOF is the C library's macro).
    bool Eof();
    void MoveBy(int32_t aCount);
    void DataChange();
    void UpdateRecordPositionFlags();
    void IncludeRecordPositionFlags(TppRecordPositionFlags aFlags) { m_flags |= aFlags; }
    void ExcludeRecordPositionFlags(TppRecordPositionFlags aFlags) { m_flags &= TppRecordPositionFlags(~aFlags); }
    // Ignored in linked mode while LastRecord is set.
    void SetRecordIndex(int32_t aIndex);
    bool HasDetailRecords();
    void SkipEmptyMastersForward();
    void SkipEmptyMastersBackward();
    void DoOnTraversal();
    bool LinkedBOF();
    bool LinkedEOF();

    // ---- Fields ----

    // The position in GetFieldNames, -1 when absent.
    int IndexOfFieldName(const QString &aName);
    TppField *FieldObjects(const QString &aFieldName) { return GetFieldForName(aFieldName); }
    // The value, with a null or empty value replaced by its type's zero
    // (False, 0 or '').
    QVariant FieldValues(const QString &aName);

    // ---- Master and details ----

    TppDataPipeline *MasterDataPipeline() const { return m_masterDataPipeline; }
    // Refused for the pipeline itself and for a pipeline that would make
    // the master chain a cycle.
    void SetMasterDataPipeline(TppDataPipeline *aPipeline);
    // Whether aDetail follows aMaster, directly or through other pipelines.
    static bool IsDetailOf(const TppDataPipeline *aDetail, const TppDataPipeline *aMaster);
    bool IsDetailOf(const TppDataPipeline *aMaster) const { return IsDetailOf(this, aMaster); }
    // The master's name read from a stored report.
    const QString &MasterDataPipelineName() const { return m_masterName; }
    // After loading: the pipeline of the stored name when no master is set.
    void ResolveMasterDataPipeline(const class TppDataPipelineList &aPipelineList);
    const TppDataPipelineVector *DetailList() const { return m_detailList.get(); }
    bool DetailSkipping() const { return m_detailSkipping; }

    // ---- State ----

    TppBookmarkList *BookmarkList() const { return m_bookmarkList.get(); }
    // Makes an empty list when there is none; a list, even an empty one,
    // decides the traversal.
    TppBookmarkList &CreateBookmarkList();
    void FreeBookmarkList() { m_bookmarkList.reset(); }
    TppBookmark StartBookmark() const { return m_startBookmark; }
    void SetStartBookmark(TppBookmark aBookmark) { m_startBookmark = aBookmark; }
    bool DataTraversed() const { return m_dataTraversed; }
    // 0 moves nowhere: it acts as 1.
    int32_t TraversalStep() const { return m_traversalStep; }
    void SetTraversalStep(int32_t aStep) { m_traversalStep = aStep; }
    TppRangeBeginType RangeBegin() const { return m_rangeBegin; }
    void SetRangeBegin(TppRangeBeginType aRangeBegin) { m_rangeBegin = aRangeBegin; }
    TppRangeEndType RangeEnd() const { return m_rangeEnd; }
    void SetRangeEnd(TppRangeEndType aRangeEnd) { m_rangeEnd = aRangeEnd; }
    int32_t RangeEndCount() const { return m_rangeEndCount; }
    void SetRangeEndCount(int32_t aCount) { m_rangeEndCount = aCount; }
    bool SkipWhenNoRecords() const { return m_skipWhenNoRecords; }
    void SetSkipWhenNoRecords(bool aValue);
    TppRecordPositionFlags RecordPositionFlags() const { return m_flags; }
    bool FirstRecord() const { return m_flags & ppFirstRecord; }
    bool LastRecord() const { return m_flags & ppLastRecord; }
    bool NoRecords() const { return m_flags & ppNoRecords; }
    int32_t TraversalCount() const { return m_traversalCount; }
    void SetTraversalCount(int32_t aCount) { m_traversalCount = aCount; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool aVisible) { m_visible = aVisible; }
    bool OutOfMasterRange() const { return m_outOfMasterRange; }
    bool LinkRangeReady() const { return m_linkRangeReady; }
    int32_t RecordIndex() const { return m_recordIndex; }
    int32_t LastRecordIndex() const { return m_lastRecordIndex; }
    TppLinkRangeIndex *LinkRangeIndex() const { return m_linkRangeIndex.get(); }
    // The user name a stored report asked for when another had to be taken.
    const QString &StoredUserName() const { return m_storedUserName; }
    // The data-view object the pipeline belongs to, when it has one.
    classes::TComponent *GetDataView() const;
    // The class of data-view objects; none unless a data layer sets it.
    static void SetDataViewClass(const classes::TMetaClass *aClass);

    classes::TNotifyEvent OnClose;
    classes::TNotifyEvent OnDataChange;
    classes::TNotifyEvent OnFirst;
    classes::TNotifyEvent OnGotoBookmark;
    classes::TNotifyEvent OnLast;
    classes::TNotifyEvent OnMasterRecordPositionChange;
    classes::TNotifyEvent OnNext;
    classes::TNotifyEvent OnOpen;
    classes::TNotifyEvent OnPrior;
    classes::TNotifyEvent OnRecordPositionChange;
    classes::TNotifyEvent OnTraversal;

    void SetUserName(const QString &aUserName) override;
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;
    bool StoresDesignInfo() const override { return true; }
    bool HasParent() const override { return false; }
    void DefineProperties(classes::TFiler &aFiler) override;

protected:
    // One operation running on the pipeline. A handler or receiver may free
    // the pipeline; its destructor marks the running frames, so that an
    // operation sees it and stops without touching the pipeline again.
    struct AliveFrame
    {
        explicit AliveFrame(TppDataPipeline *aOwner);
        ~AliveFrame();
        AliveFrame(const AliveFrame &) = delete;
        AliveFrame &operator=(const AliveFrame &) = delete;

        TppDataPipeline *owner;
        AliveFrame *next;
        bool alive = true;
    };
    // The first or the last record of the data, linked or not, then past
    // empty masters unless a handler freed this pipeline on the way.
    void goToFirstPastEmptyMasters(const AliveFrame &aFrame);
    void goToLastPastEmptyMasters(const AliveFrame &aFrame);

    // What a descendant keeps of the linked-mode state.
    void SetOutOfMasterRange(bool aValue) { m_outOfMasterRange = aValue; }
    // Sets the record index whatever the mode: linked-mode descendants count
    // it in their own way.
    void SetRecordIndexValue(int32_t aIndex) { m_recordIndex = aIndex; }
    int32_t &LinkPosition1() { return m_linkPosition1; }
    int32_t &LinkPosition2() { return m_linkPosition2; }
    QVariantList &MasterKeyValues() { return m_masterKeyValues; }
    QVariantList &PriorKeyValues() { return m_priorKeyValues; }
    // Clears the link state and makes the link range index; ends with
    // LinkRangeReady set.
    void InitLinkRange();

private:
    int32_t step() const { return m_traversalStep == 0 ? 1 : m_traversalStep; }
    bool currentRange() const
    {
        return m_rangeBegin == TppRangeBeginType::rbCurrentRecord && m_rangeEnd == TppRangeEndType::reCurrentRecord;
    }
    bool loadingOrGoing() const;
    // Fires the handler, then sends the event; false when either freed the
    // pipeline.
    bool fire(const classes::TNotifyEvent &aHandler, int aEventID);
    bool sendEvent(int aEventID);
    int compareWithStart();
    // Moves by aCount in the way of the mode (linked or not).
    void moveRecords(int32_t aCount);
    void removeDetail(const TppCommunicator *aDetail);
    bool hasBookmarkEntries() const { return m_bookmarkList && !m_bookmarkList->empty(); }
    // The list entry of the current record.
    int64_t bookmarkPosition() const { return int64_t(m_traversalCount) + m_bookmarkSkip; }

    std::unique_ptr<TppBookmarkList> m_bookmarkList;
    TppBookmark m_startBookmark = 0;
    bool m_dataTraversed = false;
    std::unique_ptr<TppDataPipelineVector> m_detailList;
    bool m_detailSkipping = false;
    TppDataPipeline *m_masterDataPipeline = nullptr;
    QString m_masterName;
    int32_t m_traversalStep = 1;
    TppRangeEndType m_rangeEnd = TppRangeEndType::reLastRecord;
    int32_t m_rangeEndCount = 0;
    TppRangeBeginType m_rangeBegin = TppRangeBeginType::rbFirstRecord;
    bool m_skipWhenNoRecords = true;
    TppRecordPositionFlags m_flags = 0;
    int32_t m_traversalCount = 0;
    bool m_visible = true;
    bool m_outOfMasterRange = false;
    bool m_linkRangeReady = false;
    int32_t m_recordIndex = 0;
    int32_t m_lastRecordIndex = 0;
    int32_t m_linkPosition1 = -1;
    int32_t m_linkPosition2 = -1;
    QVariantList m_masterKeyValues;
    QVariantList m_priorKeyValues;
    std::unique_ptr<TppLinkRangeIndex> m_linkRangeIndex;
    bool m_moving = false;
    // Entries of the bookmark list passed over as empty masters since First:
    // the current entry is TraversalCount + this.
    int32_t m_bookmarkSkip = 0;
    QString m_storedUserName;
    AliveFrame *m_frames = nullptr;
};

} // namespace report
