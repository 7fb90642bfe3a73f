#pragma once

// TppCustomRegion, TppRegion: a stretching rectangle of a band that holds
// components of its own. The region generates them (the band leaves them
// alone) in the same order of kinds a band keeps: plain objects, those
// that stretch, those that stretch or shift with their parent. It moves its
// children when it moves, grows with the lowest of them, can keep them
// together on one page, and draws itself as a shape with its brush and pen
// behind them.

#include "report/model/bands/Stretchable.h"

#include "platform/classes/EnumTypes.h"
#include "platform/rtl/Colors.h"

#include <map>
#include <memory>
#include <vector>

namespace classes {
class TBrush;
class TPen;
} // namespace classes

namespace report {

class TppCacheManager;

class TppCustomRegion : public TppStretchable
{
    ZVO_CLASS(TppCustomRegion)
public:
    explicit TppCustomRegion(classes::TComponent *aOwner = nullptr);
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // The children stay on the band, without a region.
    ~TppCustomRegion() override;

    // ---- Children ----
    int ObjectCount() const { return int(m_children.size()); }
    TppComponent *Objects(int aIndex) const;
    bool IsRegion() const override { return true; }
    void RegionAddChild(TppComponent *aChild) override;
    void RegionRemoveChild(TppComponent *aChild) override;
    int RegionIndexOf(const TppComponent *aChild) const override;
    void RegionMoveChild(TppComponent *aChild, bool aToFront) override;
    // The first object after the region that is not one of its children.
    TppComponent *GetNextSibling() const override;
    // The stretching child that reached lowest on the page (the first
    // stretching child before any generated).
    TppComponent *MaxStretchableChild() const override { return m_maxStretchable; }
    void BringToFront() override;
    void SendToBack() override;
    void SetBand(TppBand *aBand) override;

    // ---- Drawing ----
    classes::TBrush *Brush() const { return m_brush.get(); }
    virtual void SetBrush(const classes::TBrush *aBrush);
    classes::TPen *Pen() const { return m_pen.get(); }
    virtual void SetPen(const classes::TPen *aPen);
    // Rectangle unless told otherwise; the square kinds stand centred in
    // the region.
    classes::TShapeType Shape() const { return m_shape; }
    void SetShape(classes::TShapeType aValue) { m_shape = aValue; }
    void SetPenWidth(int aWidth) override;

    // ---- Generation ----
    void Init() override;
    void InitDrawComponent() override;
    void ClearDrawComponent() override;
    void ResetGeneration() override;
    void Generate() override;
    void CalcSpaceUsed() override;
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;
    void PrintToPage(TppPage *aPage) override;
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;
    void CacheReset() override;

    // ---- Moving ----
    void SetBounds(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight) override;
    void SetmmLeft(int32_t aValue) override;
    void SetmmTop(int32_t aValue) override;
    void SetmmWidth(int32_t aValue) override;
    void SetmmHeight(int32_t aValue) override;

    // In a designer: the brush and pen over the rectangle, a two-step
    // bevel inside the border and the caption.
    void PaintDesignControl(gfx::Canvas &aCanvas) override;

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *aRoot) override;
    void Loaded() override;

protected:
    // The brush and the pen changed: Transparent follows the brush.
    virtual void GraphicChanged();

private:
    // Children move with the region by as much as it moved.
    void followBounds();
    void buildLists();
    // False when a child's handler freed the region.
    bool generateChildren();
    // The children's state before a kept-together attempt.
    void takeSnapshot();
    // False when a handler freed the region while its children were restored.
    bool rollBack();
    // Puts the children directly after the region in the band's order.
    void gatherChildren();

    std::vector<TppComponent *> m_children;
    // The children by kind: "1" plain, "2" stretching, "3" stretching with
    // the region, "4" shifting with it; only kinds that have children.
    // A child that leaves the region leaves a gap, so that a place in a
    // list stays the child's that had it.
    std::vector<std::vector<TppComponent *>> m_lists;
    // The kind of each list, as the lists were built.
    std::vector<int> m_listKinds;
    // The children that used space on the page, by their generation index:
    // they print in that order, whatever order they generated in and
    // wherever a handler moved them since.
    std::map<int, TppComponent *> m_printList;
    TppComponent *m_maxStretchable = nullptr;
    // The height of the region's own rectangle on the page this generation
    // (-1 before it placed itself): the space used counts the offset below
    // it and the components shifting below it too.
    int32_t m_ownHeight = -1;
    int m_resumeList = 0;
    int m_resumeIndex = 0;
    bool m_firstUnfinishedStretches = false;
    std::unique_ptr<classes::TBrush> m_brush;
    std::unique_ptr<classes::TPen> m_pen;
    // The colours the brush and pen had, to tell a colour change.
    rtl::TColor m_brushColor = 0;
    rtl::TColor m_penColor = 0;
    classes::TShapeType m_shape = classes::TShapeType::stRectangle;
    rtl::TRect m_lastBounds{};
    bool m_boundsKnown = false;
    // Keep-together: the children's state as it was, and how many draw
    // commands the page held.
    std::unique_ptr<TppCacheManager> m_keepCache;
    bool m_snapshot = false;
    TppLiveCount<TppCustomRegion> m_live;
};

class TppRegion : public TppCustomRegion
{
    ZVO_CLASS(TppRegion)
public:
    explicit TppRegion(classes::TComponent *aOwner = nullptr);
    // Transparent makes the brush clear; not transparent, solid.
    void SetClearBrush(bool aValue);
};

} // namespace report
