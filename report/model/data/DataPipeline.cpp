#include "report/model/data/DataPipeline.h"

#include "report/model/base/StreamUtils.h"
#include "report/model/data/PipelineList.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Reader.h"
#include "platform/classes/StringList.h"
#include "platform/classes/Writer.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace report {

using classes::TComponent;

// ---- TppLinkRangeIndex --------------------------------------------------------

void TppLinkRangeIndex::Add(int32_t aMasterIndex, int32_t aFirst, int32_t aLast)
{
    const auto it = m_keys.constFind(aMasterIndex);
    if (it != m_keys.constEnd()) {
        m_entries[size_t(*it)] = {aMasterIndex, aFirst, aLast};
        return;
    }
    m_keys.insert(aMasterIndex, int(m_entries.size()));
    m_entries.push_back({aMasterIndex, aFirst, aLast});
}

const TppLinkRangeIndex::Entry *TppLinkRangeIndex::Find(int32_t aMasterIndex) const
{
    const auto it = m_keys.constFind(aMasterIndex);
    return it == m_keys.constEnd() ? nullptr : &m_entries[size_t(*it)];
}

void TppLinkRangeIndex::Clear()
{
    m_entries.clear();
    m_keys.clear();
}

// ---- TppDataPipeline ------------------------------------------------------------

namespace {

const classes::TMetaClass *g_dataViewClass = nullptr;

// A signed move taken whole: moves of the Integer's extent stay in it.
int32_t negated(int32_t aCount)
{
    return aCount == INT32_MIN ? INT32_MAX : -aCount;
}

int32_t saturated(int64_t aValue)
{
    return int32_t(std::clamp<int64_t>(aValue, INT32_MIN, INT32_MAX));
}

QString readName(classes::TReader &aReader)
{
    switch (aReader.NextValue()) {
    case classes::TValueType::vaString:
    case classes::TValueType::vaLString:
    case classes::TValueType::vaWString:
    case classes::TValueType::vaUTF8String: return aReader.ReadString();
    default: return aReader.ReadIdent();
    }
}

} // namespace

TppDataPipeline::AliveFrame::AliveFrame(TppDataPipeline *aOwner)
    : owner(aOwner)
    , next(aOwner->m_frames)
{
    aOwner->m_frames = this;
}

TppDataPipeline::AliveFrame::~AliveFrame()
{
    if (alive)
        owner->m_frames = next;
}

void TppDataPipeline::goToFirstPastEmptyMasters(const AliveFrame &aFrame)
{
    if (IsLinked())
        LinkedFirst();
    else
        GotoFirstRecord();
    if (aFrame.alive)
        SkipEmptyMastersForward();
}

void TppDataPipeline::goToLastPastEmptyMasters(const AliveFrame &aFrame)
{
    if (IsLinked())
        LinkedLast();
    else
        GotoLastRecord();
    if (aFrame.alive)
        SkipEmptyMastersBackward();
}

const classes::TMetaClass &TppDataPipeline::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppDataPipeline, TppRelative>("TppDataPipeline");
    return meta;
}

TppDataPipeline::TppDataPipeline(TComponent *aOwner)
    : TppRelative(aOwner)
{
    SubscribeEvent(ppEvent::OnRecordPositionChange);
}

TppDataPipeline::~TppDataPipeline()
{
    BeforeDestruction();
    for (AliveFrame *frame = m_frames; frame; frame = frame->next)
        frame->alive = false;
    m_frames = nullptr;
    // The master hears of the end through the link, and drops this pipeline
    // from its detail list then.
    m_masterDataPipeline = nullptr;
}

void TppDataPipeline::removeDetail(const TppCommunicator *aDetail)
{
    if (!m_detailList)
        return;
    std::erase_if(*m_detailList, [aDetail](const TppDataPipeline *p) { return p == aDetail; });
    // With its last detail gone there is nothing left to skip for.
    if (m_detailList->empty()) {
        m_detailList.reset();
        m_detailSkipping = false;
    }
}

void TppDataPipeline::SetDataViewClass(const classes::TMetaClass *aClass)
{
    g_dataViewClass = aClass;
}

TComponent *TppDataPipeline::GetDataView() const
{
    TppRelative *parent = Parent();
    if (!parent || !g_dataViewClass || !parent->ClassType().InheritsFrom(*g_dataViewClass))
        return nullptr;
    return parent;
}

bool TppDataPipeline::loadingOrGoing() const
{
    return HasState(classes::csLoading | classes::csReading | classes::csDestroying) || IsDestroying();
}

bool TppDataPipeline::sendEvent(int aEventID)
{
    AliveFrame frame(this);
    SendEventNotify(this, aEventID, nullptr);
    return frame.alive;
}

bool TppDataPipeline::fire(const classes::TNotifyEvent &aHandler, int aEventID)
{
    AliveFrame frame(this);
    if (aHandler)
        aHandler(this);
    if (!frame.alive)
        return false;
    SendEventNotify(this, aEventID, nullptr);
    return frame.alive;
}

// ---- Virtual operations with a behaviour ------------------------------------------

void TppDataPipeline::BuildDetailList(const TppDataPipelineVector &aList)
{
    if (!m_detailList)
        m_detailList = std::make_unique<TppDataPipelineVector>();
    m_detailList->clear();
    for (TppDataPipeline *pipeline : aList) {
        if (!pipeline || pipeline == this || pipeline->m_masterDataPipeline != this)
            continue;
        if (std::find(m_detailList->begin(), m_detailList->end(), pipeline) != m_detailList->end())
            continue;
        AddNotify(pipeline);
        m_detailList->push_back(pipeline);
    }
}

void TppDataPipeline::GotoFirstRecord()
{
    DoOnRecordPositionChange();
}

void TppDataPipeline::GotoLastRecord()
{
    DoOnRecordPositionChange();
}

void TppDataPipeline::DoOnRecordPositionChange()
{
    if (IsLinked() && !m_linkRangeReady)
        return;
    fire(OnRecordPositionChange, ppEvent::OnRecordPositionChange);
}

void TppDataPipeline::DoOnMasterRecordPositionChange()
{
    fire(OnMasterRecordPositionChange, ppEvent::OnMasterRecordPositionChange);
}

void TppDataPipeline::InitLinkRange()
{
    m_linkRangeReady = false;
    if (IsLinked()) {
        AliveFrame frame(this);
        if (GetActive())
            GotoFirstRecord();
        if (!frame.alive)
            return;
        m_recordIndex = 0;
        m_outOfMasterRange = false;
        m_linkPosition1 = m_linkPosition2 = -1;
        const int links = std::max(GetLinkCount(), 0);
        m_masterKeyValues = QVariantList(links);
        m_priorKeyValues = QVariantList(links);
        if (m_linkRangeIndex)
            m_linkRangeIndex->Clear();
        else
            m_linkRangeIndex = std::make_unique<TppLinkRangeIndex>();
    }
    m_linkRangeReady = true;
}

void TppDataPipeline::InitTraversal(const TppDataPipelineVector &aList)
{
    AliveFrame frame(this);
    InitLinkRange();
    if (!frame.alive)
        return;
    m_dataTraversed = false;
    m_lastRecordIndex = -1;
    m_detailSkipping = false;
    m_bookmarkSkip = 0;
    if (m_detailList)
        m_detailList->clear();
    else
        m_detailList = std::make_unique<TppDataPipelineVector>();
    BuildDetailList(aList);
    // Skipping applies only when every detail pipeline asks for it.
    if (std::any_of(m_detailList->begin(), m_detailList->end(),
                    [](const TppDataPipeline *p) { return !p->m_skipWhenNoRecords; }))
        m_detailList->clear();
    if (m_detailList->empty())
        m_detailList.reset();
    else
        m_detailSkipping = true;
}

void TppDataPipeline::GotoBookmark(TppBookmark)
{
    AliveFrame frame(this);
    if (!fire(OnGotoBookmark, ppEvent::OnGotoBookmark))
        return;
    DoOnRecordPositionChange();
}

int TppDataPipeline::CompareBookmarks(TppBookmark aBookmark1, TppBookmark aBookmark2)
{
    if (aBookmark1 == aBookmark2)
        return 0;
    return aBookmark1 < aBookmark2 ? -1 : 1;
}

int32_t TppDataPipeline::FieldToStream(const QString &, classes::TStream &)
{
    return 0;
}

bool TppDataPipeline::Locate(const QString &, const QVariant &, int)
{
    return false;
}

int32_t TppDataPipeline::StreamToField(const QString &, classes::TStream &)
{
    return 0;
}

int32_t TppDataPipeline::SetFieldValue(const QString &, const QVariant &)
{
    return 0;
}

// ---- The traversal ------------------------------------------------------------

void TppDataPipeline::moveRecords(int32_t aCount)
{
    if (IsLinked())
        LinkedMoveBy(aCount);
    else
        MoveBy(aCount);
}

int TppDataPipeline::compareWithStart()
{
    const TppBookmark current = GetBookmark();
    const int result = CompareBookmarks(current, m_startBookmark);
    FreeBookmark(current);
    return result;
}

void TppDataPipeline::First()
{
    AliveFrame frame(this);
    m_dataTraversed = false;
    m_traversalCount = 0;
    m_bookmarkSkip = 0;
    if (!IsLinked())
        m_recordIndex = 0;
    if (m_flags & ppNoRecords)
        return;
    if (hasBookmarkEntries()) {
        GotoBookmark(m_bookmarkList->front());
    } else {
        switch (m_rangeBegin) {
        case TppRangeBeginType::rbFirstRecord: goToFirstPastEmptyMasters(frame); break;
        case TppRangeBeginType::rbLastRecord: goToLastPastEmptyMasters(frame); break;
        case TppRangeBeginType::rbCurrentRecord:
            if (m_startBookmark > 0)
                GotoBookmark(m_startBookmark);
            break;
        }
    }
    if (!frame.alive)
        return;
    if (IsLinked()) {
        if (!(m_flags & ppNoRecords)) {
            const bool details = HasDetailRecords();
            IncludeRecordPositionFlags(details ? ppFirstRecord : ppNoRecords);
        }
    } else if (!Eof()) {
        UpdateRecordPositionFlags();
        IncludeRecordPositionFlags(ppFirstRecord);
    } else {
        IncludeRecordPositionFlags(ppNoRecords);
    }
    fire(OnFirst, ppEvent::OnFirst);
}

void TppDataPipeline::Last()
{
    AliveFrame frame(this);
    if (!IsLinked() && m_lastRecordIndex >= 1)
        m_recordIndex = m_lastRecordIndex;
    if (m_flags & ppNoRecords)
        return;
    if (hasBookmarkEntries()) {
        GotoBookmark(m_bookmarkList->back());
    } else {
        switch (m_rangeEnd) {
        case TppRangeEndType::reFirstRecord: goToFirstPastEmptyMasters(frame); break;
        case TppRangeEndType::reLastRecord: goToLastPastEmptyMasters(frame); break;
        case TppRangeEndType::reCurrentRecord:
            if (m_startBookmark > 0)
                GotoBookmark(m_startBookmark);
            break;
        case TppRangeEndType::reCount:
            First();
            // Stops at the end of the data too: a count beyond it would only
            // count Next calls that no longer move.
            while (frame.alive && m_traversalCount < m_rangeEndCount && !Eof())
                Next();
            break;
        }
    }
    if (!frame.alive)
        return;
    UpdateRecordPositionFlags();
    IncludeRecordPositionFlags(ppLastRecord);
    fire(OnLast, ppEvent::OnLast);
}

void TppDataPipeline::Next()
{
    AliveFrame frame(this);
    if (!hasBookmarkEntries()) {
        const bool eof = Eof();
        if (!eof && !currentRange())
            moveRecords(step());
        if (!frame.alive)
            return;
        m_dataTraversed = true;
        m_traversalCount = saturated(int64_t(m_traversalCount) + 1);
    } else {
        m_traversalCount = saturated(int64_t(m_traversalCount) + 1);
        m_recordIndex = saturated(int64_t(m_recordIndex) + 1);
        const int64_t position = bookmarkPosition();
        if (position >= 0 && position < int64_t(m_bookmarkList->size()))
            GotoBookmark((*m_bookmarkList)[size_t(position)]);
    }
    if (!frame.alive)
        return;
    SkipEmptyMastersForward();
    if (!frame.alive)
        return;
    UpdateRecordPositionFlags();
    fire(OnNext, ppEvent::OnNext);
}

void TppDataPipeline::Prior()
{
    AliveFrame frame(this);
    if (!hasBookmarkEntries()) {
        const bool bof = BOF();
        if (!bof && !currentRange())
            moveRecords(negated(step()));
        if (!frame.alive)
            return;
        m_traversalCount = saturated(int64_t(m_traversalCount) - 1);
    } else if (m_traversalCount > 0) {
        m_recordIndex = saturated(int64_t(m_recordIndex) - 1);
        const int64_t position = bookmarkPosition() - 1;
        if (position >= 0 && position < int64_t(m_bookmarkList->size()))
            GotoBookmark((*m_bookmarkList)[size_t(position)]);
        if (!frame.alive)
            return;
        --m_traversalCount;
    }
    if (!frame.alive)
        return;
    SkipEmptyMastersBackward();
    if (!frame.alive)
        return;
    UpdateRecordPositionFlags();
    fire(OnPrior, ppEvent::OnPrior);
}

void TppDataPipeline::MoveBy(int32_t aCount)
{
    AliveFrame frame(this);
    struct MovingGuard
    {
        TppDataPipeline *pipeline;
        AliveFrame &frame;
        ~MovingGuard()
        {
            if (frame.alive)
                pipeline->m_moving = false;
        }
    } guard{this, frame};
    m_moving = true;
    if (aCount == 0 && m_recordIndex == 0) {
        GotoFirstRecord();
        if (!frame.alive)
            return;
    }
    const int64_t moved = std::llabs(int64_t(MoveRecords(aCount)));
    if (!frame.alive)
        return;
    const bool back = (m_traversalStep >= 0 && aCount < 1) || (m_traversalStep < 0 && aCount > 0);
    m_recordIndex = saturated(back ? int64_t(m_recordIndex) - moved : int64_t(m_recordIndex) + moved);
    m_moving = false;
    DataChange();
    if (!frame.alive)
        return;
    DoOnRecordPositionChange();
}

bool TppDataPipeline::HasDetailRecords()
{
    if (!m_detailList || !m_detailSkipping)
        return true;
    for (TppDataPipeline *detail : *m_detailList)
        if (!(detail->m_flags & ppNoRecords) && !(detail->IsLinked() && detail->CompareWithMaster() != 0))
            return true;
    return false;
}

void TppDataPipeline::SkipEmptyMastersForward()
{
    AliveFrame frame(this);
    while (!HasDetailRecords() && !Eof()) {
        const int32_t indexBefore = m_recordIndex;
        if (hasBookmarkEntries()) {
            // The walk goes on from the entry it reached; past the last entry
            // the data has ended.
            const int64_t position = bookmarkPosition() + 1;
            if (position >= int64_t(m_bookmarkList->size())) {
                m_bookmarkSkip = saturated(int64_t(m_bookmarkList->size()) - m_traversalCount);
                m_dataTraversed = true;
                UpdateRecordPositionFlags();
                return;
            }
            ++m_bookmarkSkip;
            GotoBookmark((*m_bookmarkList)[size_t(position)]);
        } else if (!currentRange()) {
            moveRecords(step());
        } else {
            m_dataTraversed = true;
            UpdateRecordPositionFlags();
            return;
        }
        if (!frame.alive)
            return;
        m_dataTraversed = true;
        UpdateRecordPositionFlags();
        // A range that does not end at the data's end (one linked record per
        // master) never reports its end once the cursor stops at the last
        // record: without this the walk would ask the same record for ever.
        if (!hasBookmarkEntries() && m_recordIndex == indexBefore)
            return;
    }
}

void TppDataPipeline::SkipEmptyMastersBackward()
{
    AliveFrame frame(this);
    while (!HasDetailRecords() && !BOF()) {
        const int32_t indexBefore = m_recordIndex;
        if (hasBookmarkEntries()) {
            const int64_t position = bookmarkPosition() - 1;
            if (m_traversalCount <= 0 || position < 0 || position >= int64_t(m_bookmarkList->size()))
                return;
            --m_bookmarkSkip;
            GotoBookmark((*m_bookmarkList)[size_t(position)]);
        } else if (!currentRange()) {
            moveRecords(negated(step()));
        } else {
            m_dataTraversed = true;
            UpdateRecordPositionFlags();
            return;
        }
        if (!frame.alive)
            return;
        m_dataTraversed = true;
        UpdateRecordPositionFlags();
        if (!hasBookmarkEntries() && m_recordIndex == indexBefore)
            return;
    }
}

bool TppDataPipeline::BOF()
{
    if (m_bookmarkList)
        return m_bookmarkList->empty() || bookmarkPosition() == 0;
    if (!IsLinked()) {
        switch (m_rangeBegin) {
        case TppRangeBeginType::rbFirstRecord: return IsDataBOF();
        case TppRangeBeginType::rbLastRecord: return IsDataEOF();
        case TppRangeBeginType::rbCurrentRecord: {
            if (m_dataTraversed)
                return false;
            if (m_rangeEnd == TppRangeEndType::reCurrentRecord || IsDataBOF())
                return true;
            const int c = compareWithStart();
            return step() < 1 ? c >= 0 : c <= 0;
        }
        }
        return false;
    }
    if (m_outOfMasterRange)
        return true;
    switch (m_rangeBegin) {
    case TppRangeBeginType::rbFirstRecord: return LinkedBOF();
    case TppRangeBeginType::rbLastRecord: return LinkedEOF();
    case TppRangeBeginType::rbCurrentRecord: return !m_dataTraversed;
    }
    return false;
}

bool TppDataPipeline::Eof()
{
    bool result = false;
    const bool linked = IsLinked();
    if (m_bookmarkList) {
        result = m_bookmarkList->empty() || bookmarkPosition() >= int64_t(m_bookmarkList->size());
    } else if (!linked) {
        switch (m_rangeEnd) {
        case TppRangeEndType::reFirstRecord: result = IsDataBOF(); break;
        case TppRangeEndType::reLastRecord: result = IsDataEOF(); break;
        case TppRangeEndType::reCurrentRecord: {
            const bool dataEOF = IsDataEOF();
            result = !dataEOF ? m_dataTraversed : (IsDataBOF() || m_dataTraversed);
            if (m_dataTraversed && m_rangeBegin != TppRangeBeginType::rbCurrentRecord && !dataEOF) {
                const int c = compareWithStart();
                result = step() < 1 ? c < 0 : c > 0;
            }
            break;
        }
        case TppRangeEndType::reCount:
            result = m_traversalCount >= m_rangeEndCount || (step() > 0 ? IsDataEOF() : IsDataBOF());
            break;
        }
    } else if (m_outOfMasterRange) {
        result = true;
    } else {
        switch (m_rangeEnd) {
        case TppRangeEndType::reFirstRecord: result = LinkedBOF(); break;
        case TppRangeEndType::reLastRecord: result = LinkedEOF(); break;
        case TppRangeEndType::reCurrentRecord: result = m_traversalCount == 1; break;
        case TppRangeEndType::reCount:
            result = m_traversalCount >= m_rangeEndCount || (step() > 0 ? LinkedEOF() : LinkedBOF());
            break;
        }
    }
    if (result && !linked && m_lastRecordIndex < 0)
        m_lastRecordIndex = m_recordIndex;
    return result;
}

bool TppDataPipeline::LinkedBOF()
{
    if (m_masterDataPipeline && (m_masterDataPipeline->m_flags & ppNoRecords))
        return true;
    if (m_masterDataPipeline && m_linkRangeIndex) {
        const TppLinkRangeIndex::Entry *entry = m_linkRangeIndex->Find(m_masterDataPipeline->m_recordIndex);
        if (entry && entry->first >= 0)
            return IsDataBOF() || m_outOfMasterRange || m_recordIndex < entry->first;
    }
    return IsDataBOF() || m_outOfMasterRange || CompareWithMaster() < 0;
}

bool TppDataPipeline::LinkedEOF()
{
    if (m_masterDataPipeline && (m_masterDataPipeline->m_flags & ppNoRecords))
        return true;
    if (m_masterDataPipeline && m_linkRangeIndex) {
        const TppLinkRangeIndex::Entry *entry = m_linkRangeIndex->Find(m_masterDataPipeline->m_recordIndex);
        if (entry && entry->last >= 0)
            return IsDataEOF() || m_outOfMasterRange || m_recordIndex > entry->last;
    }
    return IsDataEOF() || m_outOfMasterRange || CompareWithMaster() > 0;
}

void TppDataPipeline::UpdateRecordPositionFlags()
{
    m_flags = 0;
    if (IsDestroying() || HasState(classes::csDestroying) || !GetActive())
        return;
    const bool bof = BOF();
    const bool eof = Eof();
    if (bof && eof)
        m_flags = ppNoRecords;
    else if (bof)
        m_flags = ppFirstRecord;
    else if (eof)
        m_flags = ppLastRecord;
}

void TppDataPipeline::SetRecordIndex(int32_t aIndex)
{
    if (IsLinked() && (m_flags & ppLastRecord))
        return;
    m_recordIndex = aIndex;
}

void TppDataPipeline::DataChange()
{
    if (loadingOrGoing() || FreeingChildren() || m_moving || IsDataChangeSuppressed())
        return;
    AliveFrame frame(this);
    UpdateRecordPositionFlags();
    SendNotify(this, ppNotify::DataChange);
    if (!frame.alive || !sendEvent(ppEvent::OnDataChange))
        return;
    if (OnDataChange)
        OnDataChange(this);
}

void TppDataPipeline::Open()
{
    AliveFrame frame(this);
    OpenData();
    if (!frame.alive)
        return;
    UpdateRecordPositionFlags();
    fire(OnOpen, ppEvent::OnOpen);
}

void TppDataPipeline::Close()
{
    AliveFrame frame(this);
    if (!sendEvent(ppEvent::PipelineClosing))
        return;
    CloseData();
    if (!frame.alive)
        return;
    m_flags = 0;
    DataChange();
    if (!frame.alive)
        return;
    fire(OnClose, ppEvent::OnClose);
}

void TppDataPipeline::SetSkipWhenNoRecords(bool aValue)
{
    m_skipWhenNoRecords = aValue;
    DataChange();
}

void TppDataPipeline::DoOnTraversal()
{
    fire(OnTraversal, ppEvent::OnTraversal);
}

// ---- Fields ---------------------------------------------------------------------

int TppDataPipeline::IndexOfFieldName(const QString &aName)
{
    classes::TStringList names;
    if (!GetFieldNames(names))
        return -1;
    return names.IndexOf(aName);
}

QVariant TppDataPipeline::FieldValues(const QString &aName)
{
    const QString field = GetFieldNameForAlias(aName);
    QVariant value = GetFieldValue(field);
    if (value.isValid() && !value.isNull())
        return value;
    switch (GetFieldDataType(field)) {
    case TppDataType::dtBoolean: return QVariant(false);
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime:
    case TppDataType::dtInteger:
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency:
    case TppDataType::dtLongint: return QVariant(0);
    case TppDataType::dtChar:
    case TppDataType::dtString:
    case TppDataType::dtMemo: return QVariant(QString());
    default: return value;
    }
}

// ---- Master and details -----------------------------------------------------------

bool TppDataPipeline::IsDetailOf(const TppDataPipeline *aDetail, const TppDataPipeline *aMaster)
{
    if (!aDetail || !aMaster)
        return false;
    for (const TppDataPipeline *p = aDetail->m_masterDataPipeline; p; p = p->m_masterDataPipeline)
        if (p == aMaster)
            return true;
    return false;
}

void TppDataPipeline::SetMasterDataPipeline(TppDataPipeline *aPipeline)
{
    if (aPipeline == this || (aPipeline && IsDetailOf(aPipeline, this)))
        return;
    if (m_masterDataPipeline) {
        m_masterDataPipeline->removeDetail(this);
        m_masterDataPipeline->RemoveEventNotify(this);
    }
    m_masterDataPipeline = aPipeline;
    if (!aPipeline && !HasState(classes::csLoading | classes::csReading))
        MasterCleared();
    if (aPipeline)
        aPipeline->AddEventNotify(this);
}

void TppDataPipeline::ResolveMasterDataPipeline(const TppDataPipelineList &aPipelineList)
{
    if (!m_masterDataPipeline && !m_masterName.isEmpty())
        SetMasterDataPipeline(aPipelineList.GetPipelineByName(m_masterName));
}

TppBookmarkList &TppDataPipeline::CreateBookmarkList()
{
    if (!m_bookmarkList)
        m_bookmarkList = std::make_unique<TppBookmarkList>();
    return *m_bookmarkList;
}

// ---- Communicator and streaming -----------------------------------------------------

void TppDataPipeline::SetUserName(const QString &aUserName)
{
    TppRelative::SetUserName(aUserName);
    if (HasState(classes::csLoading | classes::csReading) && GetUserName() != aUserName)
        m_storedUserName = aUserName;
}

void TppDataPipeline::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppRelative::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove)
        return;
    if (aCommunicator == m_masterDataPipeline) {
        m_masterDataPipeline = nullptr;
        if (!IsDestroying())
            MasterCleared();
        return;
    }
    // A pipeline being freed is no pipeline any more by now: it is found by
    // its address.
    removeDetail(aCommunicator);
}

void TppDataPipeline::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppRelative::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID == ppEvent::OnRecordPositionChange && m_masterDataPipeline && aCommunicator == m_masterDataPipeline)
        DoOnMasterRecordPositionChange();
}

void TppDataPipeline::DefineProperties(classes::TFiler &aFiler)
{
    TppRelative::DefineProperties(aFiler);
    aFiler.DefineProperty(
        QStringLiteral("MasterDataPipelineName"),
        [this](classes::TReader &r) { m_masterName = ppUnqualifiedName(readName(r)); },
        [this](classes::TWriter &w) { w.WriteString(m_masterDataPipeline ? m_masterDataPipeline->Name() : QString()); },
        m_masterDataPipeline != nullptr);
    // Older reports stored the master as a reference ("Form1.Pipeline1").
    if (!ClassType().FindProperty(QStringView(u"MasterDataPipeline")))
        aFiler.DefineProperty(
            QStringLiteral("MasterDataPipeline"),
            [this](classes::TReader &r) {
                const QString name = readName(r);
                m_masterName = ppUnqualifiedName(name);
            },
            nullptr, false);
}

} // namespace report
