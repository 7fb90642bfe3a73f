#include "tests/support/report/BandSequence.h"

#include "report/model/bands/CustomBand.h"
#include "report/model/engine/Engine.h"
#include "report/model/outline/OutlineDrawCommand.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"

#include <set>

namespace reporttest {

namespace {

struct SequenceInstance
{
    QString name;
    int32_t top;
};

std::vector<SequenceInstance> sequenceInstances(const report::TppPage &aPage)
{
    std::vector<SequenceInstance> instances;
    std::set<const classes::TObject *> inInstance;
    QString current;
    for (int i = 0; i < aPage.DrawCommandCount(); ++i) {
        report::TppDrawCommand *command = aPage.DrawCommands(i);
        // The outline rides on the page; no band printed it.
        if (dynamic_cast<report::TppOutlineDrawCommand *>(command))
            continue;
        auto *component = dynamic_cast<report::TppComponent *>(command->Component());
        const QString name = component && component->Band() ? component->Band()->UserName() : QStringLiteral("?");
        if (instances.empty() || name != current || inInstance.count(component)) {
            instances.push_back({name, command->Top()});
            inInstance.clear();
            current = name;
        }
        inInstance.insert(component);
    }
    return instances;
}

} // namespace

QString BandSequence(const report::TppPage &aPage)
{
    QStringList runs;
    QString last;
    int count = 0;
    const auto flush = [&] {
        if (count > 0)
            runs.append(count == 1 ? last : last + QStringLiteral("*") + QString::number(count));
    };
    for (const SequenceInstance &instance : sequenceInstances(aPage)) {
        if (instance.name == last) {
            ++count;
            continue;
        }
        flush();
        last = instance.name;
        count = 1;
    }
    flush();
    return runs.join(QLatin1Char(' '));
}

QList<QPair<QString, int32_t>> BandTops(const report::TppPage &aPage)
{
    QList<QPair<QString, int32_t>> tops;
    for (const SequenceInstance &instance : sequenceInstances(aPage))
        tops.append({instance.name, instance.top});
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
