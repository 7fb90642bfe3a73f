#include "report/model/groups/GroupBands.h"

#include "report/model/bands/ReportContext.h"
#include "report/model/base/Messages.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/engine/CustomEngine.h"
#include "report/model/groups/Group.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

const classes::TMetaClass &TppGroupBand::StaticClass()
{
    using B = TppGroupBand;
    static const classes::TMetaClass meta = classes::MakeClass<B, TppCustomBand>("TppGroupBand", [](auto &c) {
        c.Single("BottomOffset", &B::BottomOffset, &B::SetBottomOffset).StoredConst = false;
        c.Enum("PrintHeight", EnumInfo<TppPrintHeightType>(), &B::PrintHeight, &B::SetPrintHeight)
            .Default(TppPrintHeightType::phStatic);
        c.Single("PrintPosition", &B::PrintPosition, &B::SetPrintPosition).StoredConst = false;
        // The band is stored inside its group's object, which says it.
        c.Reference("Group", &B::Group, &B::SetGroup).Stored(false);
    });
    return meta;
}

const classes::TMetaClass &TppGroupHeaderBand::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppGroupHeaderBand, TppGroupBand>("TppGroupHeaderBand");
    return meta;
}

const classes::TMetaClass &TppGroupFooterBand::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppGroupFooterBand, TppGroupBand>("TppGroupFooterBand");
    return meta;
}

// ---- Group band ---------------------------------------------------------------------------

TppGroupBand::TppGroupBand(classes::TComponent *aOwner)
    : TppCustomBand(aOwner)
{
    SetmmHeight(0);
}

TppGroupBand::~TppGroupBand()
{
    BeforeDestruction();
    if (m_group)
        m_group->bandFreed(this);
    m_group = nullptr;
}

void TppGroupBand::SetGroup(TppGroup *aGroup)
{
    if (aGroup == m_group)
        return;
    if (m_group)
        detachFromGroup(m_group);
    m_group = nullptr;
    if (aGroup)
        attachToGroup(aGroup);
    SetCaption(GetDefaultCaption());
}

void TppGroupBand::SetParentComponent(classes::TComponent *aParent)
{
    if (auto *group = dynamic_cast<TppGroup *>(aParent))
        SetGroup(group);
    else
        TppCustomBand::SetParentComponent(aParent);
}

classes::TComponent *TppGroupBand::BandGroup() const
{
    return m_group;
}

int TppGroupBand::GroupIndex() const
{
    return m_group && Report() ? Report()->IndexOfGroup(m_group) : -1;
}

QString TppGroupBand::Description() const
{
    if (!m_group)
        return QString();
    const QString &name = m_group->BreakName();
    if (name.isEmpty())
        return ppLoadStr(m_group->BreakType() == TppBreakType::btCustomField ? 300 : 301);
    if (TppDataPipeline *pipeline = m_group->DataPipeline())
        return pipeline->GetFieldAlias(name);
    return name;
}

QString TppGroupBand::GetDefaultCaption() const
{
    const QString caption = ppLoadStr(CaptionIndex());
    if (!m_group || !Report())
        return caption;
    return caption + QStringLiteral("[") + QString::number(GroupIndex()) + QStringLiteral("]: ") + Description();
}

void TppGroupBand::UpdateCaption()
{
    TppCustomBand::UpdateCaption();
}

void TppGroupBand::InitObjects()
{
    TppCustomBand::InitObjects();
    m_breaking = false;
}

void TppGroupBand::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCustomBand::Notify(aCommunicator, aOperation);
}

// ---- Group header -------------------------------------------------------------------------

TppGroupHeaderBand::TppGroupHeaderBand(classes::TComponent *aOwner)
    : TppGroupBand(aOwner)
{
    SetCaptionIndex(192);
    SetCacheRecordSize(24);
}

QString TppGroupHeaderBand::GetSortKey() const
{
    return QString::asprintf("%8d", 4) + QString::asprintf("%8d", GroupIndex());
}

int TppGroupHeaderBand::GetBandKind() const
{
    int kind = ppBandKind::GroupHeader;
    if (m_group && m_group->ReprintOnSubsequentPage())
        kind |= ppBandKind::Header;
    if (m_group && m_group->ReprintOnSubsequentColumn() && Report() && Report()->Columns() >= 2)
        kind |= ppBandKind::ColumnHeader;
    return kind;
}

void TppGroupHeaderBand::attachToGroup(TppGroup *aGroup)
{
    aGroup->SetHeaderBand(this);
}

void TppGroupHeaderBand::detachFromGroup(TppGroup *aGroup)
{
    if (aGroup->HeaderBand() == this)
        aGroup->SetHeaderBand(nullptr);
}

void TppGroupHeaderBand::InitObjects()
{
    TppGroupBand::InitObjects();
    // As at a break, but the first header of a run needs no page or column
    // of its own.
    m_breaking = true;
    m_columnBreakDone = true;
    m_pageBreakDone = true;
}

void TppGroupHeaderBand::StartGeneration()
{
    TppCustomEngine *engine = PageEngine();
    if (!m_group || !engine) {
        SetGenerationComplete(true);
        return;
    }
    const bool resuming = OverFlow() || PartialGeneration();
    if (m_breaking) {
        if (!resuming) {
            // A handler that frees the group frees this band too.
            const std::weak_ptr<char> alive = AliveToken();
            m_group->BeforeHeader();
            if (alive.expired())
                return;
            if (!m_group) {
                SetGenerationComplete(true);
                return;
            }
        }
        if (engine->KeepTogetherGroup() == m_group && !resuming)
            m_group->StartKeepTogether();
    } else {
        const bool pageTop = engine->IsDue(ppBandKind::Header) && m_group->ReprintOnSubsequentPage() &&
                             engine->PageNo() >= m_group->FirstPageNo();
        const bool columnTop =
            engine->IsDue(ppBandKind::ColumnHeader) && m_group->ReprintOnSubsequentColumn() &&
            (engine->PageNo() > m_group->FirstPageNo() || engine->ColumnNo() > m_group->FirstColumn());
        if (!pageTop && !columnTop && !resuming) {
            SetGenerationComplete(true);
            return;
        }
    }
    if (!resuming)
        m_group->BeforeHeaderGenerate();
}

void TppGroupHeaderBand::AfterSpaceStep()
{
    TppCustomEngine *engine = PageEngine();
    if (!m_group || !engine)
        return;
    if (!OutOfSpace() && !m_columnBreakDone && !m_pageBreakDone) {
        const int columns = Report() ? Report()->Columns() : 1;
        const int64_t remaining = int64_t(PageBottom()) - StartingPosition();
        bool columnBreak = false;
        bool pageBreak = false;
        if (columns >= 2 && m_breaking && m_group->NewColumn())
            columnBreak = true;
        else if (m_breaking && m_group->NewPage())
            pageBreak = true;
        else if (columns > 1 && remaining < m_group->mmNewColumnThreshold())
            columnBreak = true;
        else if (remaining < m_group->mmNewPageThreshold())
            pageBreak = true;
        if (columnBreak || pageBreak) {
            SetOutOfSpace(true);
            m_columnBreakDone = columnBreak;
            m_pageBreakDone = pageBreak;
        }
    }
    if (!OutOfSpace() && !OverFlow() && (m_breaking || engine->IsDue(ppBandKind::Title))) {
        m_group->GroupStarted(engine->PageNo(), engine->ColumnNo());
        engine->GroupStart(m_group);
    }
}

void TppGroupHeaderBand::EndGeneration()
{
    if (!PrintedWhole())
        return;
    m_breaking = false;
    m_columnBreakDone = false;
    m_pageBreakDone = false;
    if (m_group)
        m_group->m_breaking = false;
}

void TppGroupHeaderBand::SaveExtra(uint8_t *aBytes) const
{
    TppGroupBand::SaveExtra(aBytes);
    aBytes[1] = m_columnBreakDone;
    aBytes[2] = m_pageBreakDone;
}

void TppGroupHeaderBand::RestoreExtra(const uint8_t *aBytes)
{
    TppGroupBand::RestoreExtra(aBytes);
    m_columnBreakDone = aBytes[1] != 0;
    m_pageBreakDone = aBytes[2] != 0;
}

// ---- Group footer -------------------------------------------------------------------------

TppGroupFooterBand::TppGroupFooterBand(classes::TComponent *aOwner)
    : TppGroupBand(aOwner)
{
    SetCaptionIndex(191);
}

QString TppGroupFooterBand::GetSortKey() const
{
    return QString::asprintf("%8d", 6) + QString::asprintf("%8d", 99999999 - (GroupIndex() + 1));
}

void TppGroupFooterBand::attachToGroup(TppGroup *aGroup)
{
    aGroup->SetFooterBand(this);
}

void TppGroupFooterBand::detachFromGroup(TppGroup *aGroup)
{
    if (aGroup->FooterBand() == this)
        aGroup->SetFooterBand(nullptr);
}

void TppGroupFooterBand::StartGeneration()
{
    TppCustomEngine *engine = PageEngine();
    if (!m_group || !engine) {
        SetGenerationComplete(true);
        return;
    }
    const bool resuming = OverFlow() || PartialGeneration();
    if (!m_breaking && !engine->IsDue(ppBandKind::Summary) && !resuming) {
        SetGenerationComplete(true);
        return;
    }
    if (!resuming)
        m_group->BeforeFooter();
}

void TppGroupFooterBand::EndGeneration()
{
    if (!PrintedWhole())
        return;
    m_breaking = false;
    if (m_group)
        m_group->AfterFooter();
}

} // namespace report

namespace report {

void TppGroupBand::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomBand::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("Groups"), 146, QString());
}

void TppGroupBand::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomBand::UpdatePopupMenu(aMenu);
    if (IppMenuItem *item = aMenu.ItemByName(QStringLiteral("Groups")))
        item->SetOnClick([this] { SendDesignerMessage(ppDesignerMsg::EditGroups, this); });
}

} // namespace report
