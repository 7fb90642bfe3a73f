#include "report/output/search/Highlighter.h"

#include "report/model/pages/DrawCommand.h"
#include "report/model/production/SearchErrors.h"

#include "platform/classes/MetaClass.h"

#include <map>
#include <vector>

namespace report {

namespace {

struct HighlightRegistration
{
    const classes::TMetaClass *drawCommandClass;
    const TppDrawCommandHighlighterClass *highlighterClass;
};

struct HighlightRegistryState
{
    std::vector<HighlightRegistration> registrations;
    std::map<const TppDrawCommandHighlighterClass *, std::unique_ptr<TppDrawCommandHighlighter>> instances;
};

HighlightRegistryState &highlightRegistry()
{
    static HighlightRegistryState state;
    return state;
}

// How many steps up from aClass aAncestor is; -1 when it is no ancestor.
int highlightDistance(const classes::TMetaClass &aClass, const classes::TMetaClass *aAncestor)
{
    int distance = 0;
    for (const classes::TMetaClass *c = &aClass; c; c = c->ClassParent(), ++distance)
        if (c == aAncestor)
            return distance;
    return -1;
}

// The index of the registration nearest to aClass (of aHighlighter only,
// when one is given), or -1.
int highlightBestMatch(const classes::TMetaClass &aClass, const TppDrawCommandHighlighterClass *aHighlighter)
{
    const auto &list = highlightRegistry().registrations;
    int best = -1;
    int bestDistance = 0;
    for (int i = 0; i < int(list.size()); ++i) {
        if (aHighlighter && list[i].highlighterClass != aHighlighter)
            continue;
        const int distance = highlightDistance(aClass, list[i].drawCommandClass);
        if (distance >= 0 && (best < 0 || distance < bestDistance)) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

// Both operations word their checks as CreateHighlight.
void highlighterCheckArguments(const TppDrawCommand *aDrawCommand, const TppDrawCommandSearchInfo *aSearchInfo)
{
    if (!aDrawCommand)
        throw ESearchHighlightError(
            QStringLiteral("TppDrawCommandHighlighter.CreateHighlight: Must pass a non nil draw command object."));
    if (!aSearchInfo)
        throw ESearchHighlightError(QStringLiteral(
            "TppDrawCommandHighlighter.CreateHighlight: Must pass a non nil draw command search info object."));
}

} // namespace

TppDrawCommandHighlighter::TppDrawCommandHighlighter()
    : m_highlightColor(rtl::clHighlight)
    , m_highlightTextColor(rtl::clHighlightText)
{}

TppDrawCommandHighlighter::~TppDrawCommandHighlighter() = default;

std::unique_ptr<TppDrawCommand> TppDrawCommandHighlighter::CreateHighlight(TppDrawCommand *aDrawCommand,
                                                                           TppDrawCommandSearchInfo *aSearchInfo,
                                                                           const QString &, gfx::Canvas *aCanvas)
{
    highlighterCheckArguments(aDrawCommand, aSearchInfo);
    if (!aCanvas)
        throw ESearchHighlightError(
            QStringLiteral("TppDrawCommandHighlighter.CreateHighlight: Must pass a non nil TCanvas object."));
    return nullptr;
}

void TppDrawCommandHighlighter::RemoveHighlight(TppDrawCommand *aDrawCommand, TppDrawCommandSearchInfo *aSearchInfo,
                                                const QString &)
{
    highlighterCheckArguments(aDrawCommand, aSearchInfo);
}

TppDrawCommandHighlighterClass::TppDrawCommandHighlighterClass(QString aClassName, Factory aFactory)
    : m_className(std::move(aClassName))
    , m_factory(std::move(aFactory))
{}

void TppDrawCommandHighlightRegistry::Register(const classes::TMetaClass &aDrawCommandClass,
                                               const TppDrawCommandHighlighterClass &aHighlighterClass)
{
    highlightRegistry().registrations.push_back({&aDrawCommandClass, &aHighlighterClass});
}

void TppDrawCommandHighlightRegistry::UnRegister(const classes::TMetaClass &aDrawCommandClass,
                                                 const TppDrawCommandHighlighterClass &aHighlighterClass)
{
    HighlightRegistryState &state = highlightRegistry();
    const int index = highlightBestMatch(aDrawCommandClass, &aHighlighterClass);
    if (index < 0)
        return;
    state.registrations.erase(state.registrations.begin() + index);
    for (const HighlightRegistration &r : state.registrations)
        if (r.highlighterClass == &aHighlighterClass)
            return;
    state.instances.erase(&aHighlighterClass);
}

bool TppDrawCommandHighlightRegistry::IsRegistered(const classes::TMetaClass &aDrawCommandClass)
{
    return highlightBestMatch(aDrawCommandClass, nullptr) >= 0;
}

TppDrawCommandHighlighter *TppDrawCommandHighlightRegistry::GetHighlighter(const TppDrawCommand *aDrawCommand)
{
    const int index = aDrawCommand ? highlightBestMatch(aDrawCommand->ClassType(), nullptr) : -1;
    if (index < 0)
        throw ESearchError(QStringLiteral("TppDrawCommandHighlightRegistry.GetHighlighterForDrawCommand: Unable to "
                                          "find highlighter class for: ") +
                           (aDrawCommand ? aDrawCommand->ClassType().ClassName() : QString()) + QStringLiteral("."));
    HighlightRegistryState &state = highlightRegistry();
    const TppDrawCommandHighlighterClass *highlighterClass = state.registrations[index].highlighterClass;
    std::unique_ptr<TppDrawCommandHighlighter> &instance = state.instances[highlighterClass];
    if (!instance)
        instance = highlighterClass->Create();
    return instance.get();
}

void TppDrawCommandHighlightRegistry::Clear()
{
    highlightRegistry().registrations.clear();
    highlightRegistry().instances.clear();
}

} // namespace report
