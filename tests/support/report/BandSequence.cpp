#include "tests/support/report/BandSequence.h"

#include "report/model/bands/CustomBand.h"
#include "report/model/engine/Engine.h"
#include "report/model/outline/OutlineDrawCommand.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"

#include <cstdint>
#include <vector>

namespace reporttest {

namespace {

// Reads a page's commands into band instances, handing each instance's band
// name and top to aOp as it starts. A Trace run reads every page it makes,
// so a command costs no type query once its class and its object were seen
// on the page, and a name is asked of a band only when the band changes.
template <class Op>
void sequenceInstances(const report::TppPage &aPage, Op aOp)
{
    // Per object of the page: whether it is a component, and the instance it
    // last printed in (0 before any).
    struct Seen
    {
        const classes::TObject *object = nullptr;
        report::TppComponent *component = nullptr;
        size_t instance = 0;
    };
    std::vector<Seen> seen(64);
    size_t used = 0;
    const auto lookup = [&](classes::TObject *aObject) -> Seen & {
        const auto slotOf = [](const std::vector<Seen> &aTable, const classes::TObject *aKey) {
            const size_t mask = aTable.size() - 1;
            size_t slot = (size_t(reinterpret_cast<uintptr_t>(aKey)) * 0x9E3779B97F4A7C15ull >> 20) & mask;
            while (aTable[slot].object && aTable[slot].object != aKey)
                slot = (slot + 1) & mask;
            return slot;
        };
        size_t slot = slotOf(seen, aObject);
        if (seen[slot].object)
            return seen[slot];
        if (2 * (used + 1) > seen.size()) {
            std::vector<Seen> grown(seen.size() * 2);
            for (const Seen &entry : seen)
                if (entry.object)
                    grown[slotOf(grown, entry.object)] = entry;
            seen.swap(grown);
            slot = slotOf(seen, aObject);
        }
        ++used;
        seen[slot] = {aObject, dynamic_cast<report::TppComponent *>(aObject), 0};
        return seen[slot];
    };

    const classes::TMetaClass &outline = report::TppOutlineDrawCommand::StaticClass();
    const classes::TMetaClass *lastClass = nullptr;
    bool lastIsOutline = false;
    // Commands of no object, or of one that is no component, count as one.
    size_t noComponentInstance = 0;
    size_t instance = 0;
    const report::TppBand *currentBand = nullptr;
    QString current;
    for (int i = 0; i < aPage.DrawCommandCount(); ++i) {
        report::TppDrawCommand *command = aPage.DrawCommands(i);
        const classes::TMetaClass *commandClass = &command->ClassType();
        if (commandClass != lastClass) {
            lastClass = commandClass;
            lastIsOutline = commandClass->InheritsFrom(outline);
        }
        // The outline rides on the page; no band printed it.
        if (lastIsOutline)
            continue;
        classes::TObject *object = command->Component();
        Seen *entry = object ? &lookup(object) : nullptr;
        report::TppComponent *component = entry ? entry->component : nullptr;
        size_t &lastInstance = entry && component ? entry->instance : noComponentInstance;
        const report::TppBand *band = component ? component->Band() : nullptr;
        bool starts = instance == 0 || lastInstance == instance;
        if (!starts && band != currentBand) {
            const QString name = band ? band->UserName() : QStringLiteral("?");
            starts = name != current;
            current = name;
        }
        if (starts) {
            if (band != currentBand || instance == 0)
                current = band ? band->UserName() : QStringLiteral("?");
            ++instance;
            aOp(current, command->Top());
        }
        currentBand = band;
        lastInstance = instance;
    }
}

} // namespace

QString BandSequence(const report::TppPage &aPage)
{
    QString text;
    QString last;
    int count = 0;
    bool first = true;
    const auto flush = [&] {
        if (count == 0)
            return;
        if (!first)
            text += QLatin1Char(' ');
        first = false;
        text += last;
        if (count > 1)
            text += QLatin1Char('*') + QString::number(count);
    };
    sequenceInstances(aPage, [&](const QString &aName, int32_t) {
        if (count > 0 && aName == last) {
            ++count;
            return;
        }
        flush();
        last = aName;
        count = 1;
    });
    flush();
    return text;
}

QList<QPair<QString, int32_t>> BandTops(const report::TppPage &aPage)
{
    QList<QPair<QString, int32_t>> tops;
    sequenceInstances(aPage, [&tops](const QString &aName, int32_t aTop) { tops.append({aName, aTop}); });
    return tops;
}

void BandPrintable::PropertiesToDrawCommand(report::TppDrawCommand *aDrawCommand)
{
    StandInPrintable::PropertiesToDrawCommand(aDrawCommand);
    if (auto *band = dynamic_cast<report::TppCustomBand *>(Band()))
        aDrawCommand->SetTop(band->PrintRect().Top + mmTop());
}

RecordingReport::RecordingReport()
    : m_cache(std::make_unique<report::TppCacheManager>(nullptr, this))
{
    auto *engine = dynamic_cast<report::TppEngine *>(Engine());
    if (!engine)
        return;
    engine->OnPageComplete.Set([this, engine](classes::TObject *) {
        const report::TppPage &page = *engine->Page();
        Pages.append(BandSequence(page));
        Tops.append(BandTops(page));
        if (engine->PageWanted())
            Delivered.append(QStringLiteral("%1/%2 %3%4")
                                 .arg(page.AbsolutePageNo())
                                 .arg(page.AbsolutePageCount())
                                 .arg(BandSequence(page), page.Final() ? QStringLiteral(" final") : QString()));
    });
    engine->OnResetCache.Set([this](classes::TObject *) { m_cache->Reset(); });
    engine->OnSavePageState.Set([this, engine](classes::TObject *) { m_cache->SavePage(engine->PageNo()); });
    engine->OnRestorePageState.Set([this, engine](classes::TObject *) {
        if (engine->PageNo() - 1 <= m_cache->LastCachedPage())
            m_cache->RestorePage(engine->PageNo() - 1);
    });
    engine->OnGetLastCachedPage.Set([this](classes::TObject *, int &aPageNo) { aPageNo = m_cache->LastCachedPage(); });
}

// The cache lets go of the report's objects before they go.
RecordingReport::~RecordingReport()
{
    m_cache->Clear();
}

void RecordingReport::addBandObjects(report::TppBand *aBand, int32_t aHeight, const QString &aUserName)
{
    aBand->SetReport(this);
    aBand->SetmmHeight(aHeight);
    if (!aUserName.isEmpty())
        aBand->SetUserName(aUserName);
    auto *object = new BandPrintable;
    object->SetmmHeight(aHeight);
    object->SetBand(aBand);
}

} // namespace reporttest
