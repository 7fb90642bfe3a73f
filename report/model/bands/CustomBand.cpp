#include "report/model/bands/CustomBand.h"

#include "report/model/engine/BandEngine.h"
#include "report/model/engine/CustomEngine.h"

#include "platform/classes/ClassBuilder.h"

#include <cstring>
#include <unordered_set>

namespace report {

namespace {

// The common record: section, object, OverFlow, PartialGeneration, two
// bytes padding, PartialAdjustment, PrintPositionBreak, PrintingSection,
// then three bytes a class may use, and a last Integer of the detail band.
struct CustomBandCacheRecord
{
    int32_t section;
    int32_t object;
    uint8_t overFlow;
    uint8_t partialGeneration;
    uint8_t padding1[2];
    int32_t partialAdjustment;
    uint8_t printPositionBreak;
    uint8_t printingSection;
    uint8_t extra[2];
    int32_t tail;
};
static_assert(sizeof(CustomBandCacheRecord) == 24);
constexpr int32_t customBandCommonRecordSize = 20;

const std::vector<TppComponent *> &customBandNoSection()
{
    static const std::vector<TppComponent *> empty;
    return empty;
}

} // namespace

const classes::TMetaClass &TppCustomBand::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppCustomBand, TppBand>("TppCustomBand");
    return meta;
}

const classes::TMetaClass &TppBasicBand::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppBasicBand, TppCustomBand>("TppBasicBand");
    return meta;
}

TppCustomBand::TppCustomBand(classes::TComponent *aOwner)
    : TppBand(aOwner)
{
    SetCacheRecordSize(customBandCommonRecordSize);
    m_partialAdjustment = mmHeight();
}

TppCustomBand::~TppCustomBand()
{
    BeforeDestruction();
    m_bandEngine.reset();
}

TppCustomEngine *TppCustomBand::PageEngine() const
{
    return Report() ? Report()->Engine() : nullptr;
}

std::unique_ptr<TppBandEngine> TppCustomBand::CreateBandEngine()
{
    return std::make_unique<TppBandEngine>(nullptr);
}

void TppCustomBand::Generate()
{
    if (!m_bandEngine)
        InitObjects();
    if (m_bandEngine)
        m_bandEngine->Generate();
}

void TppCustomBand::InitObjects()
{
    buildSections();
    resetGenerationState();
    m_bandEngine.reset();
    m_bandEngine = CreateBandEngine();
    if (!m_bandEngine)
        return;
    m_bandEngine->SetBand(this);
    m_bandEngine->OnBeforePrint.Set([this](classes::TObject *) { DoBeforePrint(); });
    m_bandEngine->OnAfterPrint.Set([this](classes::TObject *) { DoAfterPrint(); });
    m_bandEngine->OnBeforeGenerate.Set([this](classes::TObject *) { DoBeforeGenerate(); });
    m_bandEngine->OnAfterGenerate.Set([this](classes::TObject *) { DoAfterGenerate(); });
    // The engine initialises the objects.
    m_bandEngine->InitBand();
}

void TppCustomBand::resetGenerationState()
{
    m_currentSection = 0;
    m_currentObject = 0;
    m_overFlow = false;
    m_partialGeneration = false;
    m_partialAdjustment = mmHeight();
    m_printPositionBreak = false;
    m_printingSection = false;
}

void TppCustomBand::buildSections()
{
    for (auto &section : m_sections)
        section.clear();
    m_resetObjects.clear();
    for (int i = 0; i < ObjectCount(); ++i) {
        TppComponent *object = Objects(i);
        if (object->ResetOnInit())
            m_resetObjects.push_back(object);
        if (const int category = sectionOf(*object))
            m_sections[category - 1].push_back(object);
    }
}

int TppCustomBand::sectionOf(const TppComponent &aObject)
{
    // A region prints its own objects, an object placed below another one
    // that one, whether it stretches or not.
    if (aObject.Region() || aObject.ShiftsRelative())
        return 0;
    if (aObject.StretchesBand())
        return 2;
    if (aObject.StretchWithParent())
        return 3;
    if (aObject.ShiftWithParent())
        return 4;
    return 1;
}

void TppCustomBand::RefreshSections()
{
    std::unordered_set<const TppComponent *> held;
    for (auto &section : m_sections) {
        std::erase_if(section, [this](const TppComponent *aObject) { return IndexOfObject(aObject) < 0; });
        held.insert(section.begin(), section.end());
    }
    for (int i = 0; i < ObjectCount(); ++i) {
        TppComponent *object = Objects(i);
        if (object->GenerationIndex() < 0 || held.count(object))
            continue;
        if (const int category = sectionOf(*object))
            m_sections[category - 1].push_back(object);
    }
}

const std::vector<TppComponent *> &TppCustomBand::Section(int aCategory) const
{
    if (aCategory < 1 || aCategory > 4)
        return customBandNoSection();
    return m_sections[aCategory - 1];
}

TppComponent *TppCustomBand::CurrentObject() const
{
    const std::vector<int> *categories = m_bandEngine ? &m_bandEngine->Categories() : nullptr;
    if (!categories || m_currentSection < 0 || m_currentSection >= int(categories->size()))
        return nullptr;
    const std::vector<TppComponent *> &list = Section((*categories)[size_t(m_currentSection)]);
    TppComponent *object =
        m_currentObject >= 0 && m_currentObject < int(list.size()) ? list[size_t(m_currentObject)] : nullptr;
    // The sections are as the band was prepared: a handler may have taken
    // the object out of the band, or freed it, since.
    return object && IndexOfObject(object) >= 0 ? object : nullptr;
}

void TppCustomBand::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppBand::Notify(aCommunicator, aOperation);
    if (aOperation == ppNotify::Remove && aCommunicator == m_maxStretchable)
        m_maxStretchable = nullptr;
}

void TppCustomBand::SaveToCache(int32_t aPageIndex)
{
    CustomBandCacheRecord record{};
    record.section = m_currentSection;
    record.object = m_currentObject;
    record.overFlow = m_overFlow;
    record.partialGeneration = m_partialGeneration;
    record.partialAdjustment = m_partialAdjustment;
    record.printPositionBreak = m_printPositionBreak;
    record.printingSection = m_printingSection;
    uint8_t extra[3] = {0, 0, 0};
    SaveExtra(extra);
    record.extra[0] = extra[0];
    record.extra[1] = extra[1];
    const int32_t tail = SaveTail();
    // The third extra byte shares the padding of a record without tail.
    std::memcpy(&record.tail, &tail, sizeof tail);
    if (CacheRecordSize() == 24 && tail == 0)
        std::memcpy(&record.tail, &extra[2], 1);
    WriteCacheRecord(aPageIndex, &record);
}

void TppCustomBand::RestoreFromCache(int32_t aPageIndex)
{
    CustomBandCacheRecord record{};
    record.section = m_currentSection;
    record.object = m_currentObject;
    record.partialAdjustment = m_partialAdjustment;
    ReadCacheRecord(aPageIndex, &record);
    m_currentSection = record.section;
    m_currentObject = record.object;
    m_overFlow = record.overFlow != 0;
    m_partialGeneration = record.partialGeneration != 0;
    m_partialAdjustment = record.partialAdjustment;
    m_printPositionBreak = record.printPositionBreak != 0;
    m_printingSection = record.printingSection != 0;
    uint8_t extra[3] = {record.extra[0], record.extra[1], 0};
    std::memcpy(&extra[2], &record.tail, 1);
    RestoreExtra(extra);
    RestoreTail(record.tail);
}

} // namespace report
