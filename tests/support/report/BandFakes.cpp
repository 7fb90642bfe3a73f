#include "tests/support/report/BandFakes.h"

#include "tests/support/report/PageFakes.h"

#include "report/model/engine/CustomEngine.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"

#include <algorithm>

namespace reporttest {

using report::TppBand;

QByteArray componentStreamText(classes::TComponent *aRoot)
{
    classes::TMemoryStream binary, text;
    binary.WriteComponent(aRoot);
    binary.SetPosition(0);
    classes::ObjectBinaryToText(binary, text);
    return QByteArray(text.Memory(), qsizetype(text.Size()));
}

void RecordingDesigner::SendDesignerMessage(int aMsg, uint16_t, classes::TObject *aLParam)
{
    Messages.append(QStringLiteral("send %1").arg(aMsg));
    Objects.append(aLParam);
}

void RecordingDesigner::PostDesignerMessage(int aMsg, uint16_t, classes::TObject *aLParam)
{
    Messages.append(QStringLiteral("post %1").arg(aMsg));
    Objects.append(aLParam);
}

StandInReport::StandInReport()
    : TppCommunicator(nullptr)
{}

StandInReport::~StandInReport()
{
    BeforeDestruction();
}

void StandInReport::AddBand(TppBand *aBand)
{
    if (std::find(Bands.begin(), Bands.end(), aBand) == Bands.end())
        Bands.push_back(aBand);
}

void StandInReport::RemoveBand(TppBand *aBand)
{
    Bands.erase(std::remove(Bands.begin(), Bands.end(), aBand), Bands.end());
}

int StandInReport::IndexOfBand(const TppBand *aBand) const
{
    const auto it = std::find(Bands.begin(), Bands.end(), aBand);
    return it == Bands.end() ? -1 : int(it - Bands.begin());
}

int StandInReport::IndexOfGroup(const classes::TComponent *aGroup) const
{
    const auto it = std::find(Groups.begin(), Groups.end(), aGroup);
    return it == Groups.end() ? -1 : int(it - Groups.begin());
}

void StandInReport::HandlePrintError(const QString &aMessage)
{
    PrintErrors.append(aMessage);
    IppReportContext::HandlePrintError(aMessage);
}

classes::TComponent *StandInReport::GroupAt(int aIndex) const
{
    return aIndex >= 0 && aIndex < int(Groups.size()) ? Groups[size_t(aIndex)] : nullptr;
}

void StandInReport::AddGroup(classes::TComponent *aGroup)
{
    if (std::find(Groups.begin(), Groups.end(), aGroup) == Groups.end())
        Groups.push_back(aGroup);
}

void StandInReport::RemoveGroup(classes::TComponent *aGroup)
{
    Groups.erase(std::remove(Groups.begin(), Groups.end(), aGroup), Groups.end());
}

TppBand *StandInReport::BandAt(int aIndex) const
{
    return aIndex >= 0 && aIndex < int(Bands.size()) ? Bands[size_t(aIndex)] : nullptr;
}

void StandInReport::EnumerateCacheables(const std::function<void(report::TppCacheable *)> &aProc)
{
    for (TppBand *band : std::vector<TppBand *>(Bands))
        aProc(band);
    for (classes::TComponent *group : std::vector<classes::TComponent *>(Groups))
        if (auto *cacheable = dynamic_cast<report::TppCacheable *>(group))
            aProc(cacheable);
    for (report::TppCacheable *cacheable : std::vector<report::TppCacheable *>(Cacheables))
        aProc(cacheable);
}

const classes::TMetaClass &StandInPrintable::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<StandInPrintable, report::TppComponent>("StandInPrintable");
    return meta;
}

StandInPrintable::StandInPrintable(classes::TComponent *aOwner)
    : TppComponent(aOwner)
{
    SetDrawCommandClass(&StandInTextCommand::StaticClass());
}

void StandInPrintable::Generate()
{
    SetSpaceUsed(mmHeight());
    SetGenerationComplete(true);
    DoOnPrint();
}

const classes::TMetaClass &StandInListed::StaticClass()
{
    using L = StandInListed;
    static const classes::TMetaClass meta =
        classes::MakeClass<L, report::TppComponent>("StandInListed", [](classes::TClassBuilder<L> &c) {
            c.Integer("Order", &L::Order, &L::Order);
            c.Boolean("SavedText", &L::SavedText, &L::SavedText);
            c.Boolean("Stretches", &L::Stretches, &L::Stretches);
            c.Boolean("Variable", &L::Variable, &L::Variable);
        });
    return meta;
}

const classes::TMetaClass &StandInRegion::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<StandInRegion, report::TppComponent>("StandInRegion");
    return meta;
}

void StandInRegion::RegionAddChild(report::TppComponent *aChild)
{
    if (RegionIndexOf(aChild) < 0)
        Children.push_back(aChild);
}

void StandInRegion::RegionRemoveChild(report::TppComponent *aChild)
{
    Children.erase(std::remove(Children.begin(), Children.end(), aChild), Children.end());
}

int StandInRegion::RegionIndexOf(const report::TppComponent *aChild) const
{
    const auto it = std::find(Children.begin(), Children.end(), aChild);
    return it == Children.end() ? -1 : int(it - Children.begin());
}

void StandInRegion::RegionMoveChild(report::TppComponent *aChild, bool aToFront)
{
    if (RegionIndexOf(aChild) < 0)
        return;
    RegionRemoveChild(aChild);
    Children.insert(aToFront ? Children.end() : Children.begin(), aChild);
}

const classes::TMetaClass &StandInBand::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<StandInBand, TppBand>("StandInBand");
    return meta;
}

bool StandInReport::IsLastCachedPlusOne() const
{
    return PageEngine && PageEngine->IsLastCachedPlusOne();
}

} // namespace reporttest
