#include "grid/widgets/TreeListRegistration.h"

#include "grid/core/TreeListColumn.h"
#include "grid/core/TreeListShared.h"
#include "grid/widgets/CursorTable.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/gfx/ImageList.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <memory>

namespace grid {

namespace {

std::unique_ptr<gfx::ImageList> registeredGlyphs;
bool gridRegistered = false;

constexpr TCursor registeredCursorNumbers[] = {
    crDXTLDelete,      crDXTLFullScroll, crDXTLHorScroll,  crDXTLVerScroll, crDXTLUpScroll,
    crDXTLRightScroll, crDXTLDownScroll, crDXTLLeftScroll, crDXTLDragCopy,  crDXTLMultiDragCopy,
};

// ---- Cursors, 32 x 32, black outlines on white ----

enum class CursorArrow { Up, Right, Down, Left };

QImage cursorCanvas()
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void cursorPanArrow(QPainter &p, CursorArrow direction)
{
    // A filled triangle 5 px from the centre, pointing outwards.
    QPolygonF triangle{QPointF(16, 3), QPointF(21, 9), QPointF(11, 9)};
    QTransform turn;
    turn.translate(16, 16);
    turn.rotate(90 * int(direction));
    turn.translate(-16, -16);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::black);
    p.drawPolygon(turn.map(triangle));
}

QCursor cursorPanning(std::initializer_list<CursorArrow> arrows)
{
    QImage image = cursorCanvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (CursorArrow a : arrows)
        cursorPanArrow(p, a);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(16, 16), 2.5, 2.5);
    p.end();
    return QCursor(QPixmap::fromImage(image), 16, 16);
}

void cursorPointer(QPainter &p)
{
    const QPolygon pointer{QPoint(0, 0),  QPoint(0, 15), QPoint(4, 11), QPoint(7, 17),
                           QPoint(9, 16), QPoint(6, 10), QPoint(11, 10)};
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(pointer);
}

QCursor cursorDragCopy(int pages)
{
    QImage image = cursorCanvas();
    QPainter p(&image);
    cursorPointer(p);
    for (int i = pages - 1; i >= 0; --i) {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(10 + 3 * i, 18 - 3 * i, 10, 8);
    }
    // The plus of a copy.
    p.fillRect(22, 22, 9, 9, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(22, 22, 8, 8);
    p.drawLine(24, 26, 28, 26);
    p.drawLine(26, 24, 26, 28);
    p.end();
    return QCursor(QPixmap::fromImage(image), 0, 0);
}

QCursor cursorDelete()
{
    QImage image = cursorCanvas();
    QPainter p(&image);
    cursorPointer(p);
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(14, 16, 24, 26);
    p.drawLine(24, 16, 14, 26);
    p.end();
    return QCursor(QPixmap::fromImage(image), 0, 0);
}

// ---- Row-indicator glyphs: black on white, white is transparent ----

constexpr int indicatorGlyphWidth = 8;
constexpr int indicatorGlyphHeight = 9;

QImage indicatorCanvas()
{
    QImage image(indicatorGlyphWidth, indicatorGlyphHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void indicatorArrow(QPainter &p, int left)
{
    // A right-pointing triangle, 4 px wide, centred vertically.
    for (int i = 0; i < 4; ++i)
        p.drawLine(left + i, 1 + i, left + i, 7 - i);
}

QImage indicatorGlyph(TreeListIndicatorGlyph kind)
{
    QImage image = indicatorCanvas();
    QPainter p(&image);
    p.setPen(Qt::black);
    switch (kind) {
    case igArrow: indicatorArrow(p, 2); break;
    case igEdit: // an I-beam
        p.drawLine(2, 1, 5, 1);
        p.drawLine(2, 7, 5, 7);
        p.drawLine(3, 2, 3, 6);
        p.drawLine(4, 2, 4, 6);
        break;
    case igInsert: // an asterisk
        p.drawLine(4, 1, 4, 7);
        p.drawLine(1, 4, 7, 4);
        p.drawLine(2, 2, 6, 6);
        p.drawLine(6, 2, 2, 6);
        break;
    case igMultiDot: p.fillRect(3, 3, 3, 3, Qt::black); break;
    case igMultiArrow:
        indicatorArrow(p, 0);
        p.fillRect(5, 3, 3, 3, Qt::black);
        break;
    }
    p.end();
    return image;
}

} // namespace

void RegisterTreeListGrid()
{
    if (gridRegistered)
        return;
    classes::RegisterClasses({&TdxTreeListColumn::StaticClass(), &TdxTreeListMaskColumn::StaticClass()});
    SetCursorEntry(crDXTLDelete, cursorDelete());
    SetCursorEntry(crDXTLFullScroll,
                   cursorPanning({CursorArrow::Up, CursorArrow::Right, CursorArrow::Down, CursorArrow::Left}));
    SetCursorEntry(crDXTLHorScroll, cursorPanning({CursorArrow::Right, CursorArrow::Left}));
    SetCursorEntry(crDXTLVerScroll, cursorPanning({CursorArrow::Up, CursorArrow::Down}));
    SetCursorEntry(crDXTLUpScroll, cursorPanning({CursorArrow::Up}));
    SetCursorEntry(crDXTLRightScroll, cursorPanning({CursorArrow::Right}));
    SetCursorEntry(crDXTLDownScroll, cursorPanning({CursorArrow::Down}));
    SetCursorEntry(crDXTLLeftScroll, cursorPanning({CursorArrow::Left}));
    SetCursorEntry(crDXTLDragCopy, cursorDragCopy(1));
    SetCursorEntry(crDXTLMultiDragCopy, cursorDragCopy(2));
    SharedTimers() = TreeListSharedTimers();
    // The list takes the size of the arrow, the first glyph.
    const QImage arrow = indicatorGlyph(igArrow);
    registeredGlyphs = std::make_unique<gfx::ImageList>(arrow.width(), arrow.height());
    for (TreeListIndicatorGlyph kind : {igArrow, igEdit, igInsert, igMultiDot, igMultiArrow})
        registeredGlyphs->add(indicatorGlyph(kind), rtl::clWhite);
    SetIndicatorGlyphs(registeredGlyphs.get());
    gridRegistered = true;
}

void ReleaseTreeListGrid()
{
    if (!gridRegistered)
        return;
    SetIndicatorGlyphs(nullptr);
    registeredGlyphs.reset();
    for (TCursor number : registeredCursorNumbers)
        RemoveCursorEntry(number);
    classes::UnRegisterClasses({&TdxTreeListColumn::StaticClass(), &TdxTreeListMaskColumn::StaticClass()});
    gridRegistered = false;
}

bool TreeListGridRegistered()
{
    return gridRegistered;
}

} // namespace grid
