#include "tests/support/report/EngineFakes.h"

#include "report/model/bands/Band.h"
#include "report/model/groups/Group.h"

#include "platform/classes/ClassBuilder.h"

namespace reporttest {

const classes::TMetaClass &FakePageEngine::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<FakePageEngine, report::TppCustomEngine>("FakePageEngine");
    return meta;
}

FakePageEngine::FakePageEngine(classes::TComponent *aOwner)
    : TppCustomEngine(aOwner)
{
    // A band prints only while its kind is due: the real engine makes each
    // kind due before it calls such a band; details and group footers
    // follow the data.
    using namespace report::ppBandKind;
    SetDueBands(Title | Summary | Header | Footer | ColumnHeader | ColumnFooter | GroupHeader);
    StartPage(1);
}

FakePageEngine::~FakePageEngine()
{
    BeforeDestruction();
}

void FakePageEngine::StartPage(int aPageNo)
{
    SetPageNo(aPageNo);
    SetPrintArea(LeftMargin, TopMargin, Width, TopMargin);
    SetMaxPosition(0);
    SetBandsPrinted(false);
    SetDetailPrinted(false);
    SetPageBandCount(0);
}

void FakePageEngine::Traverse()
{
    Calls.append(QStringLiteral("Traverse"));
    if (OnTraverse)
        OnTraverse();
}

void FakePageEngine::AfterTraversal()
{
    Calls.append(QStringLiteral("AfterTraversal"));
}

void FakePageEngine::EndData()
{
    Calls.append(QStringLiteral("EndData"));
    Exhausted = true;
    IncludeDue(report::ppBandKind::Summary | report::ppBandKind::GroupFooter);
}

void FakePageEngine::GroupStart(report::TppGroup *aGroup)
{
    Calls.append(QStringLiteral("GroupStart ") + (aGroup ? aGroup->UserName() : QString()));
}

void FakePageEngine::RewindPage()
{
    Calls.append(QStringLiteral("RewindPage"));
}

void FakePageEngine::ResetBand(report::TppBand *aBand)
{
    Calls.append(QStringLiteral("ResetBand ") + (aBand ? aBand->UserName() : QString()));
}

} // namespace reporttest
