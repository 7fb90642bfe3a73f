#include "report/content/graphics/Region.h"

#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/graphics/Graphics.h"

#include "report/model/bands/Band.h"
#include "report/model/bands/CustomBand.h"
#include "report/model/bands/PublishedGeometry.h"
#include "report/model/base/Units.h"
#include "report/model/data/CacheManager.h"
#include "report/model/engine/CustomEngine.h"
#include "report/model/pages/Page.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/GraphicsTools.h"
#include "platform/gfx/Canvas.h"

#include <algorithm>
#include <limits>

namespace report {

namespace {

// The region's part of a page's record, after the stretchable's.
struct RegionCacheRecord
{
    uint8_t firstUnfinishedStretches = 0;
    uint8_t partial = 0;
    uint8_t reserved[2] = {};
    int32_t resumeList = 0;
    int32_t resumeIndex = 0;
};

int32_t regionClamp(int64_t aValue)
{
    return int32_t(
        std::clamp<int64_t>(aValue, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int32_t regionToMM(int aPixels, TppAxisType aAxis)
{
    return ppToMMThousandths(float(aPixels), TppUnitType::utScreenPixels, aAxis);
}

int regionToPixels(int32_t aThousandths, TppAxisType aAxis)
{
    return int(ppRound(ppFromMMThousandths(aThousandths, TppUnitType::utScreenPixels, aAxis)));
}

// Stretching children with no target of their own, the region's other
// stretching kinds, and the plain objects; anything else is not the
// region's to print.
int regionCategory(const TppComponent &aChild)
{
    if (auto *stretchable = dynamic_cast<const TppStretchable *>(&aChild)) {
        if (stretchable->ShiftRelativeTo())
            return 0;
        if (stretchable->Stretch())
            return 2;
    }
    if (aChild.StretchWithParent())
        return 3;
    if (aChild.ShiftWithParent())
        return 4;
    return 1;
}

// A colour of none clears the brush or pen; a colour given to a clear one
// makes it solid again. aLast is the colour the tool had.
template <class Tool, class Style>
void regionFollowColour(Tool &aTool, rtl::TColor &aLast, Style aClear, Style aSolid)
{
    if (aTool.Color() == aLast)
        return;
    aLast = aTool.Color();
    if (aLast == rtl::clNone)
        aTool.SetStyle(aClear);
    else if (aTool.Style() == aClear)
        aTool.SetStyle(aSolid);
}

} // namespace

const classes::TMetaClass &TppCustomRegion::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppCustomRegion, TppStretchable>("TppCustomRegion");
    return meta;
}

TppCustomRegion::TppCustomRegion(classes::TComponent *aOwner)
    : TppStretchable(aOwner)
    , m_brush(std::make_unique<classes::TBrush>())
    , m_pen(std::make_unique<classes::TPen>())
{
    SetCacheRecordSize(int32_t(sizeof(CacheRecordWith<RegionCacheRecord>)));
    m_brushColor = m_brush->Color();
    m_penColor = m_pen->Color();
    m_brush->OnChange = [this](classes::TObject *) { GraphicChanged(); };
    m_pen->OnChange = [this](classes::TObject *) { GraphicChanged(); };
}

TppCustomRegion::~TppCustomRegion()
{
    BeforeDestruction();
    m_brush->OnChange = nullptr;
    m_pen->OnChange = nullptr;
    m_keepCache.reset();
    const std::vector<TppComponent *> children = m_children;
    m_children.clear();
    for (TppComponent *child : children) {
        RemoveNotify(child);
        child->SetRegion(nullptr);
    }
}

TppComponent *TppCustomRegion::Objects(int aIndex) const
{
    return aIndex >= 0 && aIndex < ObjectCount() ? m_children[size_t(aIndex)] : nullptr;
}

// ---- Children ------------------------------------------------------------------------------

void TppCustomRegion::RegionAddChild(TppComponent *aChild)
{
    if (!aChild || aChild == this || RegionIndexOf(aChild) >= 0)
        return;
    if (Band() && aChild->Band() != Band())
        aChild->SetBand(Band());
    m_children.push_back(aChild);
    AddNotify(aChild);
    if (!loadingOrReading())
        gatherChildren();
    if (auto *stretchable = dynamic_cast<TppStretchable *>(aChild); stretchable && stretchable->Stretch())
        SetStretch(true);
}

void TppCustomRegion::RegionRemoveChild(TppComponent *aChild)
{
    const auto it = std::find(m_children.begin(), m_children.end(), aChild);
    if (it == m_children.end())
        return;
    m_children.erase(it);
    // The lists keep their places: the place to go on from on the next page
    // names the child that stood there.
    for (auto &list : m_lists)
        std::replace(list.begin(), list.end(), aChild, static_cast<TppComponent *>(nullptr));
    for (auto entry = m_printList.begin(); entry != m_printList.end();)
        entry = entry->second == aChild ? m_printList.erase(entry) : std::next(entry);
    if (m_maxStretchable == aChild)
        m_maxStretchable = nullptr;
    RemoveNotify(aChild);
    if (aChild->Region() == this && !aChild->IsDestroying())
        aChild->SetRegion(nullptr);
}

TppComponent *TppCustomRegion::GetNextSibling() const
{
    TppBand *band = Band();
    if (!band)
        return nullptr;
    for (int i = band->IndexOfObject(this) + 1; i > 0 && i < band->ObjectCount(); ++i)
        if (TppComponent *next = band->Objects(i); RegionIndexOf(next) < 0)
            return next->GetParent() == GetParent() ? next : nullptr;
    return nullptr;
}

int TppCustomRegion::RegionIndexOf(const TppComponent *aChild) const
{
    const auto it = std::find(m_children.begin(), m_children.end(), aChild);
    return it == m_children.end() ? -1 : int(it - m_children.begin());
}

void TppCustomRegion::RegionMoveChild(TppComponent *aChild, bool aToFront)
{
    const int index = RegionIndexOf(aChild);
    if (index < 0)
        return;
    m_children.erase(m_children.begin() + index);
    if (aToFront)
        m_children.push_back(aChild);
    else
        m_children.insert(m_children.begin(), aChild);
    gatherChildren();
}

void TppCustomRegion::gatherChildren()
{
    TppBand *band = Band();
    if (!band)
        return;
    int at = band->IndexOfObject(this);
    for (TppComponent *child : m_children) {
        const int from = band->IndexOfObject(child);
        if (at < 0 || from < 0)
            continue;
        band->MoveObject(from, from > at ? at + 1 : at);
        at = band->IndexOfObject(child);
    }
}

void TppCustomRegion::BringToFront()
{
    TppStretchable::BringToFront();
    gatherChildren();
}

void TppCustomRegion::SendToBack()
{
    TppStretchable::SendToBack();
    gatherChildren();
}

void TppCustomRegion::SetBand(TppBand *aBand)
{
    TppStretchable::SetBand(aBand);
    if (!aBand)
        return;
    for (TppComponent *child : std::vector<TppComponent *>(m_children))
        if (child->Band() != aBand)
            child->SetBand(aBand);
    if (!loadingOrReading())
        gatherChildren();
}

void TppCustomRegion::GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *)
{
    for (TppComponent *child : std::vector<TppComponent *>(m_children))
        aProc(child);
}

void TppCustomRegion::Loaded()
{
    TppStretchable::Loaded();
    m_lastBounds = rtl::TRect{mmLeft(), mmTop(), mmLeft() + mmWidth(), mmTop() + mmHeight()};
    m_boundsKnown = true;
}

void TppCustomRegion::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppStretchable::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove || IsDestroying() || !aCommunicator)
        return;
    if (auto *child = dynamic_cast<TppComponent *>(aCommunicator); child && RegionIndexOf(child) >= 0)
        RegionRemoveChild(child);
}

// ---- Moving ----------------------------------------------------------------------------------

void TppCustomRegion::followBounds()
{
    const rtl::TRect now{mmLeft(), mmTop(), mmLeft() + mmWidth(), mmTop() + mmHeight()};
    if (!m_boundsKnown || loadingOrReading()) {
        m_lastBounds = now;
        m_boundsKnown = true;
        return;
    }
    const rtl::TRect was = m_lastBounds;
    m_lastBounds = now;
    const int64_t dx = int64_t(now.Left) - was.Left;
    const int64_t dy = int64_t(now.Top) - was.Top;
    const bool resized = now.Width() != was.Width() || now.Height() != was.Height();
    for (TppComponent *child : std::vector<TppComponent *>(m_children)) {
        if (dx != 0 || dy != 0)
            child->SetBounds(regionClamp(child->mmLeft() + dx), regionClamp(child->mmTop() + dy), child->mmWidth(),
                             child->mmHeight());
        if (resized)
            child->FitToParent();
    }
}

void TppCustomRegion::SetBounds(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight)
{
    TppStretchable::SetBounds(aLeft, aTop, aWidth, aHeight);
    followBounds();
}

void TppCustomRegion::SetmmLeft(int32_t aValue)
{
    TppStretchable::SetmmLeft(aValue);
    followBounds();
}

void TppCustomRegion::SetmmTop(int32_t aValue)
{
    TppStretchable::SetmmTop(aValue);
    followBounds();
}

void TppCustomRegion::SetmmWidth(int32_t aValue)
{
    TppStretchable::SetmmWidth(aValue);
    followBounds();
}

void TppCustomRegion::SetmmHeight(int32_t aValue)
{
    TppStretchable::SetmmHeight(aValue);
    followBounds();
}

// ---- Brush and pen -----------------------------------------------------------------------------

// A brush or pen given whole keeps the style it comes with: its colour is
// not one set on a clear tool to make it solid. A colour of none still
// clears it.
void TppCustomRegion::SetBrush(const classes::TBrush *aBrush)
{
    if (!aBrush)
        return;
    if (aBrush->Color() != rtl::clNone)
        m_brushColor = aBrush->Color();
    m_brush->Assign(aBrush);
}

void TppCustomRegion::SetPen(const classes::TPen *aPen)
{
    if (!aPen)
        return;
    if (aPen->Color() != rtl::clNone)
        m_penColor = aPen->Color();
    m_pen->Assign(aPen);
}

void TppCustomRegion::SetPenWidth(int aWidth)
{
    m_pen->SetWidth(aWidth);
}

void TppCustomRegion::GraphicChanged()
{
    regionFollowColour(*m_brush, m_brushColor, gfx::BrushStyle::Clear, gfx::BrushStyle::Solid);
    regionFollowColour(*m_pen, m_penColor, gfx::PenStyle::Clear, gfx::PenStyle::Solid);
    SetTransparent(m_brush->Style() == gfx::BrushStyle::Clear);
    InvalidateDesignControl();
    PropertyChange();
}

// ---- Generation ---------------------------------------------------------------------------------

void TppCustomRegion::buildLists()
{
    std::vector<TppComponent *> byKind[4];
    m_maxStretchable = nullptr;
    for (size_t i = 0; i < m_children.size(); ++i) {
        TppComponent *child = m_children[i];
        child->SetGenerationIndex(int(i));
        const int kind = regionCategory(*child);
        if (kind == 0)
            continue;
        byKind[kind - 1].push_back(child);
        if (kind == 2 && !m_maxStretchable)
            m_maxStretchable = child;
    }
    m_lists.clear();
    m_listKinds.clear();
    for (int kind = 1; kind <= 4; ++kind)
        if (!byKind[kind - 1].empty()) {
            m_lists.push_back(byKind[kind - 1]);
            m_listKinds.push_back(kind);
        }
}

void TppCustomRegion::Init()
{
    TppStretchable::Init();
    for (TppComponent *child : m_children)
        child->Init();
    buildLists();
    m_resumeList = 0;
    m_resumeIndex = 0;
    m_firstUnfinishedStretches = false;
    SetPartialGeneration(false);
    SetPartialAdjustment(mmHeight());
    SetKeptTogether(false);
}

void TppCustomRegion::InitDrawComponent()
{
    TppStretchable::InitDrawComponent();
    for (TppComponent *child : m_children)
        child->InitDrawComponent();
}

void TppCustomRegion::ClearDrawComponent()
{
    TppStretchable::ClearDrawComponent();
    for (TppComponent *child : m_children)
        child->ClearDrawComponent();
}

void TppCustomRegion::ResetGeneration()
{
    TppStretchable::ResetGeneration();
    m_ownHeight = -1;
    m_printList.clear();
    for (TppComponent *child : m_children)
        child->ResetGeneration();
}

void TppCustomRegion::Generate()
{
    m_ownHeight = -1;
    // A handler of the region or of a child may free the region.
    const std::weak_ptr<char> alive = AliveToken();
    TppStretchable::Generate();
    if (alive.expired())
        return;
    if (!StretchMode() && !OutOfSpace()) {
        const rtl::TRect rect = PageRect();
        m_ownHeight = rect.Bottom - rect.Top;
    }
    // A region of fixed height generates its children into its rectangle;
    // one that stretches did so while it measured itself.
    if (!StretchMode() && Visible() && DrawComponent() && !OutOfSpace() && SpaceUsed() > 0) {
        // Its own rectangle, without the shifters below it that the
        // stretchable has counted in by now.
        const int32_t used = SpaceUsed();
        const rtl::TRect rect = PageRect();
        SetSpaceUsed(rect.Bottom - rect.Top);
        if (generateChildren())
            SetSpaceUsed(used);
    }
}

void TppCustomRegion::PaintDesignControl(gfx::Canvas &aCanvas)
{
    const rtl::TRect client = GetSpClientRect();
    const gfx::Pen pen = aCanvas.pen();
    const gfx::Brush brush = aCanvas.brush();
    aCanvas.setBrush(m_brush->Brush());
    aCanvas.setPen(m_pen->Pen());
    aCanvas.Rectangle(client);
    // The bevel lies just inside the border: dark where the light does not
    // reach (top and left), light on the other two sides.
    const int left = client.Left + 1, top = client.Top + 1;
    const int right = client.Right - 2, bottom = client.Bottom - 2;
    aCanvas.setPen(gfx::Pen{rtl::TColor(0x808080), 1, gfx::PenStyle::Solid});
    aCanvas.MoveTo(left, bottom);
    aCanvas.LineTo(left, top);
    aCanvas.LineTo(right + 1, top);
    aCanvas.setPen(gfx::Pen{rtl::TColor(0xC0C0C0), 1, gfx::PenStyle::Solid});
    aCanvas.MoveTo(right, top + 1);
    aCanvas.LineTo(right, bottom);
    aCanvas.LineTo(left, bottom);
    aCanvas.setFont(Font()->Font());
    aCanvas.setBkMode(gfx::BkMode::Transparent);
    const QString caption = GetCaption();
    const rtl::TRect inside{left + 2, top + 2, right - 1, bottom - 1};
    aCanvas.SaveDC();
    aCanvas.IntersectClipRect(inside);
    aCanvas.TextOut(inside.Left, inside.Top, QStringView(caption));
    aCanvas.RestoreDC();
    aCanvas.setPen(pen);
    aCanvas.setBrush(brush);
}

void TppCustomRegion::CalcSpaceUsed()
{
    SetSpaceUsed(mmHeight());
    if (generateChildren())
        m_ownHeight = SpaceUsed();
}

void TppCustomRegion::takeSnapshot()
{
    if (!m_keepCache)
        m_keepCache = std::make_unique<TppCacheManager>(nullptr);
    std::vector<TppCacheable *> children(m_children.begin(), m_children.end());
    m_keepCache->Init(children);
    m_keepCache->SavePage(0);
    m_snapshot = true;
}

bool TppCustomRegion::rollBack()
{
    // Restoring a text runs its handlers again, which may free the region.
    const std::weak_ptr<char> alive = AliveToken();
    m_keepCache->RestorePage(0);
    if (alive.expired())
        return false;
    m_printList.clear();
    for (TppComponent *child : m_children) {
        child->InitDrawComponent();
        child->SetGenerationComplete(false);
    }
    m_resumeList = 0;
    m_resumeIndex = 0;
    SetPartialGeneration(false);
    SetPartialAdjustment(mmHeight());
    SetSpaceUsed(0);
    SetKeptTogether(true);
    return true;
}

bool TppCustomRegion::generateChildren()
{
    // A child's handler may free the region: its step ends there.
    const std::weak_ptr<char> self = AliveToken();
    m_snapshot = false;
    if (NeedsKeepTogether())
        takeSnapshot();
    m_printList.clear();
    const TppCustomBand *band = printingBand();
    const TppCustomEngine *engine = band ? band->PageEngine() : nullptr;
    const bool subReportBreak =
        engine && (engine->EngineState() &
                   (ppEngineState::SectionPageWanted | ppEngineState::SectionPages | ppEngineState::SectionLastPage));
    const bool stretching = StretchMode() && Stretch();
    const int32_t top = PageTop();
    int64_t lowest = int64_t(top) + (stretching ? 0 : mmHeight());
    int64_t tallest = std::numeric_limits<int64_t>::min();
    bool unfinished = false;
    bool firstStretches = false;
    int firstList = 0;
    int firstIndex = 0;
    int32_t smallest = std::numeric_limits<int32_t>::max();
    const int lists = int(m_lists.size());
    const int from = std::clamp(m_resumeList, 0, std::max(lists - 1, 0));
    // Plain children print again on every page the region continues on.
    if (from > 0 && lists > 0 && m_listKinds[0] == 1)
        for (TppComponent *child : std::vector<TppComponent *>(m_lists[0])) {
            if (RegionIndexOf(child) < 0)
                continue;
            child->InitDrawComponent();
            const std::weak_ptr<char> alive = child->AliveToken();
            child->Generate();
            if (self.expired())
                return false;
            if (!alive.expired() && child->SpaceUsed() > 0)
                m_printList.insert_or_assign(child->GenerationIndex(), child);
        }
    bool stop = false;
    for (int list = from; list < lists && !stop; ++list) {
        const std::vector<TppComponent *> children = m_lists[size_t(list)];
        for (int i = list == from ? std::max(m_resumeIndex, 0) : 0; i < int(children.size()); ++i) {
            TppComponent *child = children[size_t(i)];
            if (RegionIndexOf(child) < 0)
                continue;
            const std::weak_ptr<char> alive = child->AliveToken();
            child->Generate();
            if (self.expired())
                return false;
            // A handler freed it while it generated: it has nothing to print.
            if (alive.expired())
                continue;
            if (child->SpaceUsed() > 0) {
                m_printList.insert_or_assign(child->GenerationIndex(), child);
                const int64_t bottom = child->BottomOnPage(band ? band->PrintRect().Top : 0);
                lowest = std::max(lowest, bottom);
                // Children that stretch or shift with the region, generated
                // after those that stretch, see how far it reaches by now.
                if (stretching && lowest - top > SpaceUsed())
                    SetSpaceUsed(regionClamp(lowest - top));
                if (child->StretchesBand() && bottom > tallest) {
                    tallest = bottom;
                    m_maxStretchable = child;
                }
            }
            if (!child->GenerationComplete()) {
                if (!unfinished) {
                    unfinished = true;
                    firstStretches = child->StretchesBand();
                    firstList = list;
                    firstIndex = i;
                }
                smallest = std::min(smallest, regionClamp(int64_t(child->mmTop()) - mmTop()));
                // A section of the report waits: the rest waits with it.
                if (subReportBreak) {
                    stop = true;
                    break;
                }
            }
        }
        // As a band does: what stretches or shifts with the region waits
        // while nothing of the region is on the page yet.
        if (m_listKinds[size_t(list)] == 2 && lowest <= top)
            break;
    }
    if (stretching)
        SetSpaceUsed(regionClamp(std::max<int64_t>(lowest - top, 0)));
    SetOverFlow(unfinished && firstStretches);
    m_firstUnfinishedStretches = firstStretches;
    SetPartialGeneration(unfinished && !OverFlow());
    if (unfinished) {
        m_resumeList = firstList;
        m_resumeIndex = firstIndex;
        SetPartialAdjustment(PartialGeneration() && m_printList.empty() ? 0 : smallest);
    } else {
        m_resumeList = 0;
        m_resumeIndex = 0;
        SetPartialAdjustment(mmHeight());
    }
    if (PartialGeneration())
        SetOverFlow(true);
    if (m_snapshot && OverFlow()) {
        // Nothing of it stays on this page: it starts whole on the next.
        if (!rollBack())
            return false;
        SetOverFlow(true);
        return true;
    }
    if (KeptTogether() && !OverFlow())
        SetKeptTogether(false);
    return true;
}

void TppCustomRegion::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    TppStretchable::PropertiesToDrawCommand(aDrawCommand);
    auto *shape = dynamic_cast<TppDrawShape *>(aDrawCommand);
    if (!shape)
        return;
    const rtl::TRect rect = PageRect();
    // The region's own rectangle: from its top to where its children took
    // it (or its placed height when it does not stretch). The space it used
    // reaches further, past its bottom offset and down to the components
    // shifting below it, and a border drawn around that would enclose them.
    // A region that goes on over a page end is framed on each page as a
    // whole shape of its own, corners and all, from where it stands on that
    // page: a page holds no open-ended half of a frame.
    const int32_t used = m_ownHeight > 0 ? m_ownHeight : mmHeight();
    const int width = regionToPixels(rect.Right - rect.Left, TppAxisType::atHorizontal);
    const int height = regionToPixels(used, TppAxisType::atVertical);
    const TppShapeGeometry g = ppShapeGeometry(m_shape, width, height, m_pen->Width());
    // A pen as wide as the Integer range puts the edges far outside the
    // box: held at the range, not wrapped.
    const auto clamp = [](int64_t aValue) {
        return int32_t(
            std::clamp<int64_t>(aValue, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    };
    const int32_t left = clamp(int64_t(rect.Left) + regionToMM(g.x1, TppAxisType::atHorizontal));
    const int32_t top = clamp(int64_t(rect.Top) + regionToMM(g.y1, TppAxisType::atVertical));
    shape->SetLeft(left);
    shape->SetTop(top);
    shape->SetWidth(clamp(int64_t(rect.Left) + regionToMM(g.x2, TppAxisType::atHorizontal) - left));
    shape->SetHeight(clamp(int64_t(rect.Top) + regionToMM(g.y2, TppAxisType::atVertical) - top));
    shape->SetXCornerRound(regionToMM(g.round, TppAxisType::atHorizontal));
    shape->SetYCornerRound(regionToMM(g.round, TppAxisType::atVertical));
    shape->SetBrush(m_brush.get());
    shape->SetPen(m_pen.get());
    using classes::TShapeType;
    TShapeType drawn = m_shape;
    if (m_shape == TShapeType::stSquare)
        drawn = TShapeType::stRectangle;
    else if (m_shape == TShapeType::stRoundSquare)
        drawn = TShapeType::stRoundRect;
    else if (m_shape == TShapeType::stCircle)
        drawn = TShapeType::stEllipse;
    shape->SetShapeType(drawn);
}

void TppCustomRegion::PrintToPage(TppPage *aPage)
{
    // The handlers of the commands may free the region.
    const std::weak_ptr<char> alive = AliveToken();
    TppStretchable::PrintToPage(aPage);
    if (alive.expired())
        return;
    const std::map<int, TppComponent *> list = m_printList;
    for (const auto &entry : list) {
        if (RegionIndexOf(entry.second) >= 0)
            entry.second->PrintToPage(aPage);
        if (alive.expired())
            return;
    }
}

// ---- Cache ----------------------------------------------------------------------------------------

void TppCustomRegion::SaveToCache(int32_t aPageIndex)
{
    RegionCacheRecord own;
    own.firstUnfinishedStretches = m_firstUnfinishedStretches ? 1 : 0;
    own.partial = PartialGeneration() ? 1 : 0;
    own.resumeList = m_resumeList;
    own.resumeIndex = m_resumeIndex;
    writeCacheRecordWith(aPageIndex, own);
}

void TppCustomRegion::RestoreFromCache(int32_t aPageIndex)
{
    RegionCacheRecord own;
    readCacheRecordWith(aPageIndex, own);
    m_firstUnfinishedStretches = own.firstUnfinishedStretches != 0;
    SetPartialGeneration(own.partial != 0);
    m_resumeList = std::max(own.resumeList, 0);
    m_resumeIndex = std::max(own.resumeIndex, 0);
}

void TppCustomRegion::CacheReset()
{
    TppStretchable::CacheReset();
    SetKeptTogether(false);
}

// ---- TppRegion -------------------------------------------------------------------------------------

const classes::TMetaClass &TppRegion::StaticClass()
{
    using R = TppRegion;
    static const classes::TMetaClass meta = classes::MakeClass<R, TppCustomRegion>("TppRegion", [](auto &c) {
        c.Object("Brush", &R::Brush, &R::SetBrush);
        c.String(
            "Caption", [](const R &o) { return const_cast<R &>(o).GetCaption(); }, &R::SetCaption);
        c.Event("OnDrawCommandClick", static_cast<TppDrawCommandEvent R::*>(&R::OnDrawCommandClick),
                QStringLiteral("TppDrawCommandEvent"));
        c.Event("OnDrawCommandCreate", static_cast<TppDrawCommandEvent R::*>(&R::OnDrawCommandCreate),
                QStringLiteral("TppDrawCommandEvent"));
        ppPublishBounds(c);
        ppPublishShiftRelativeTo(c);
        c.Boolean("ParentHeight", &R::ParentHeight, &R::SetParentHeight).Default(false);
        c.Boolean("ParentWidth", &R::ParentWidth, &R::SetParentWidth).Default(false);
        c.Object("Pen", &R::Pen, &R::SetPen);
        c.Boolean("ReprintOnOverFlow", &R::ReprintOnOverFlow, &R::SetReprintOnOverFlow).Default(false);
        c.Boolean("ShiftWithParent", &R::ShiftWithParent, &R::SetShiftWithParent).Default(false);
        c.Boolean("StretchWithParent", &R::StretchWithParent, &R::SetStretchWithParent).Default(false);
        c.Boolean("Transparent", &R::Transparent, &R::SetClearBrush).Default(false);
        c.Boolean("Visible", &R::Visible, &R::SetVisible).Default(true);
    });
    return meta;
}

TppRegion::TppRegion(classes::TComponent *aOwner)
    : TppCustomRegion(aOwner)
{
    SetDrawCommandClass(&TppDrawShape::StaticClass());
    SetDefaultProp(QStringLiteral("Caption"), 0);
}

void TppRegion::SetClearBrush(bool aValue)
{
    Brush()->SetStyle(aValue ? gfx::BrushStyle::Clear : gfx::BrushStyle::Solid);
    SetTransparent(aValue);
}

} // namespace report
